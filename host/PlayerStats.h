// What the player says about its frames: the frame time statistics printed at exit
// (--stats) and the status line printed once a second while it runs (--status).
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

class EngineControl;

class FrameStats {
public:
    void Add(long long micros) { frames.push_back(micros); }
    // A frame that began with a group reload (--watch); also Add-ed as any frame.
    void AddReloadFrame(long long micros) { reloadFrames.push_back(micros); }
    // "frame times over N frames: min ..., median ..., 99th percentile ..., max ..." in ms.
    std::string Summary() const;
    // "frames with a group reload: N, min ..., median ..., max ..." in ms; "" without reloads.
    std::string ReloadSummary() const;

private:
    std::vector<long long> frames;
    std::vector<long long> reloadFrames;
};

class StatusLine {
public:
    explicit StatusLine(EngineControl* control, long long startMicros)
        : control(control), lastLine(startMicros) {}

    // A group made from a background load (any thread).
    void NoteBackgroundGroup(const std::string& name);
    // After each frame: prints a line once a second has passed since the last one.
    void AfterFrame(long frame, long long nowMicros, std::FILE* out);

private:
    EngineControl* control;
    long long lastLine;
    long framesAtLastLine = 0;
    std::mutex lock;
    std::vector<std::string> background;  // since the last line
};
