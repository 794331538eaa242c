// One short run of the demo project in the player: the renderer's frames are PNG pictures of
// the scene, and the group loaded in the background shows up after the first frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DemoPictures.h"
#include "support/ChildProcess.h"
#include "support/TestEngine.h"

namespace fs = std::filesystem;
using demo_test::Picture;
using demo_test::ReadPng;

namespace {

// The run the reference was made from: unthrottled, so only the frame count decides what is drawn.
const int kFrames = 150;
const int kEvery = 10;
const int kRunTimeoutMs = 300000;
// The renderer's default picture size and the colour the generator gives the comet.
const unsigned kWidth = 480, kHeight = 360;
const unsigned char kCometColour[3] = {255, 115, 51};

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// What a run wrote, as text: every picture in name order by its size and the hash of its
// pixels, then frames.txt byte for byte.
std::string RunSummary(const fs::path& frames) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(frames))
        if (entry.path().extension() == ".png") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string summary;
    for (const std::string& name : names) {
        const Picture picture = ReadPng(frames / name);
        summary +=
            name + " " + std::to_string(picture.width) + " " + std::to_string(picture.height) + " " +
            (picture.read ? demo_test::Sha256Hex(picture.rgb.data(), picture.rgb.size()) : "unreadable") +
            "\n";
    }
    return summary + "frames.txt\n" + ReadBytes(frames / "frames.txt");
}

class DemoRun : public ::testing::Test {
protected:
    // One run for the whole suite: the player is the slow part.
    static void SetUpTestSuite() {
        dir = new tarnwell_test::TempDir("demo-run");
        tarnwell_test::ChildOptions options;
        options.environment = {{"VANTOR_DEMO_OUTPUT", Frames().string()},
                               {"VANTOR_DEMO_EVERY", std::to_string(kEvery)}};
        options.output = dir->Path() + "/player.log";
        status = tarnwell_test::RunChild(
            {DEMO_PLAYER, "--frames", std::to_string(kFrames), "--fps", "0", DEMO_PROJECT_DIR "/demo.vtr"},
            options, kRunTimeoutMs);
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }

    static fs::path Frames() { return fs::path(dir->Path()) / "frames"; }
    static fs::path Frame(int number) {
        char name[32];
        std::snprintf(name, sizeof(name), "frame-%05d.png", number);
        return Frames() / name;
    }

    static tarnwell_test::TempDir* dir;
    static int status;
};

tarnwell_test::TempDir* DemoRun::dir = nullptr;
int DemoRun::status = -1;

TEST_F(DemoRun, EveryNthFrameIsAPictureOfTheSceneAndTheContactSheetHoldsThemAll) {
    ASSERT_EQ(status, 0) << "player log: " << dir->Path() << "/player.log";
    for (int frame = 0; frame < kFrames; frame += kEvery) {
        Picture picture = ReadPng(Frame(frame));
        ASSERT_TRUE(picture.read) << Frame(frame);
        EXPECT_EQ(picture.width, kWidth);
        EXPECT_EQ(picture.height, kHeight);
        // The corner is background; a good share of the picture is not.
        const unsigned char background[3] = {picture.rgb[0], picture.rgb[1], picture.rgb[2]};
        size_t drawn = picture.rgb.size() / 3 - picture.Count(background);
        EXPECT_GT(drawn, 500u) << Frame(frame);
    }
    EXPECT_FALSE(fs::exists(Frame(kEvery - 1)));
    Picture sheet = ReadPng(Frames() / "contact-sheet.png");
    ASSERT_TRUE(sheet.read);
    // Four thumbnails of a third of the size in a row, four rows for fifteen frames.
    EXPECT_GE(sheet.width, 4 * kWidth / 3);
    EXPECT_GE(sheet.height, 4 * kHeight / 3);
}

TEST_F(DemoRun, BackgroundLoadedCometAppearsInALaterFrameButNotTheFirst) {
    ASSERT_EQ(status, 0);
    const int last = (kFrames - 1) / kEvery * kEvery;
    EXPECT_EQ(ReadPng(Frame(0)).Count(kCometColour), 0u);
    EXPECT_GT(ReadPng(Frame(last)).Count(kCometColour), 20u);

    // The renderer's own account: the pool's objects and both moons from the start, the
    // comet (a pool member from the third group) later.
    std::vector<std::string> lines = ReadLines(Frames() / "frames.txt");
    ASSERT_EQ(lines.size(), static_cast<size_t>((kFrames + kEvery - 1) / kEvery));
    EXPECT_EQ(lines.front(), "frame 0: 4 objects: Cube Body Body Crystal");
    EXPECT_NE(lines.back().find("Comet"), std::string::npos) << lines.back();
}

// The reference was written from a Linux run; the Windows build is held to the same pixels.
TEST_F(DemoRun, PicturesAndLogMatchTheReferencePixelForPixel) {
    ASSERT_EQ(status, 0) << "player log: " << dir->Path() << "/player.log";
    const std::string summary = RunSummary(Frames());
    std::ofstream(DEMO_RUN_SUMMARY, std::ios::binary) << summary;
    EXPECT_EQ(summary, ReadBytes(DEMO_REFERENCE))
        << "this run: " DEMO_RUN_SUMMARY
           "; after a deliberate change to what the demo draws, a Linux "
           "run's summary is the new reference: cp " DEMO_RUN_SUMMARY " " DEMO_REFERENCE;
}

}  // namespace
