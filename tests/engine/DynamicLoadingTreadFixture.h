// Shared set-up of the dynamic loading plug-in tests: a started engine, its loader, a
// directory for group files and frames until something happened.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "PluginChannels.h"
#include "support/TestEngine.h"

inline constexpr char kLoadFailed[] = "DynamicLoading: couldn't load group file";

class DynamicLoadingTread : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.Started());
        loader = static_cast<Pex_DynamicLoadingChannel*>(
            engine.Engine()->GetUniqueChannel(TEV_DYNAMICLOADING_GUID, nullptr));
        ASSERT_NE(loader, nullptr);
    }

    std::string WriteFile(const std::string& name, const std::string& content) {
        std::string path = dir.Path() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    void Frame() { engine.Ext()->IncreaseTreeCount(); }

    // Frames until done answers true; false after about frames * 2 ms (ten seconds).
    bool FramesUntil(const std::function<bool()>& done, int frames = 5000) {
        for (int i = 0; i < frames; ++i) {
            Frame();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    int LiveGroups() {
        int count = 0;
        for (int i = 0; i < engine.Engine()->GetChannelGroupCount(); ++i)
            if (engine.Engine()->GetChannelGroup(i)) ++count;
        return count;
    }

    bool WorkerSlotUsed(int id) { return engine.Ext()->GetTreadFromID(id) != nullptr; }

    tarnwell_test::TempDir dir;
    tarnwell_test::TestEngine engine;
    Pex_DynamicLoadingChannel* loader = nullptr;
};
