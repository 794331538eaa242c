#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>

#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Threads.h"

namespace {

// True when text has the shape of pattern, where '9' stands for any digit.
bool HasShape(const std::string& text, const std::string& pattern) {
    if (text.size() != pattern.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        bool ok = pattern[i] == '9' ? (text[i] >= '0' && text[i] <= '9') : text[i] == pattern[i];
        if (!ok) return false;
    }
    return true;
}

struct CapturedBox {
    std::string caption, text;
    unsigned style = 0;
    int count = 0;
};
CapturedBox captured;

void Capture(const char* caption, const char* text, unsigned style) {
    captured.caption = caption;
    captured.text = text;
    captured.style = style;
    ++captured.count;
}

TEST(PlatformMessageBox, GoesToTheInstalledHandlerUntilTheDefaultIsRestored) {
    captured = CapturedBox();
    EXPECT_EQ(platform::SetMessageBoxHandler(&Capture), nullptr);  // the default was active
    EXPECT_EQ(platform::MessageBox(nullptr, "Error loading group", "Message", platform::MB_OK),
              platform::IDOK);
    EXPECT_EQ(captured.caption, "Message");
    EXPECT_EQ(captured.text, "Error loading group");
    EXPECT_EQ(captured.style, platform::MB_OK);
    platform::MessageBox(nullptr, nullptr, nullptr, platform::MB_ICONERROR);
    EXPECT_EQ(captured.text, "");
    EXPECT_EQ(captured.style, platform::MB_ICONERROR);

    EXPECT_EQ(platform::SetMessageBoxHandler(nullptr), &Capture);
    testing::internal::CaptureStderr();
    platform::MessageBox(nullptr, "to stderr", "Info", platform::MB_OK);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Info"), std::string::npos);
    EXPECT_NE(err.find("to stderr"), std::string::npos);
    EXPECT_EQ(captured.count, 2);
}

TEST(PlatformClock, StampsHaveTheLogFormats) {
    char date[20], time[20];
    ASSERT_TRUE(platform::FormatLocalDate(date, sizeof date));
    ASSERT_TRUE(platform::FormatLocalTime(time, sizeof time));
    EXPECT_TRUE(HasShape(date, "9999-99-99")) << date;
    EXPECT_TRUE(HasShape(time, "99:99:99")) << time;
    EXPECT_LE(std::string(time), "23:59:60");
    char tiny[5];
    EXPECT_FALSE(platform::FormatLocalDate(tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "");

    uint32_t before = platform::GetTickCount();
    platform::Sleep(30);
    EXPECT_GE(static_cast<uint32_t>(platform::GetTickCount() - before), 25u);  // wrap-safe difference
}

struct ThreadProbe {
    std::atomic<bool> release{false};
    std::atomic<unsigned long> seenId{0};
    std::atomic<int> runs{0};
};

unsigned long ProbeEntry(void* argument) {
    ThreadProbe* probe = static_cast<ThreadProbe*>(argument);
    probe->seenId = platform::CurrentThreadId();
    while (!probe->release) platform::Sleep(1);
    ++probe->runs;
    return 0;
}

TEST(PlatformThreads, RunWithTheirArgumentAndReportTheirIdentifier) {
    ThreadProbe probe;
    unsigned long id = 0;
    platform::ThreadHandle handle = platform::CreateThread(&ProbeEntry, &probe, &id);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, platform::CurrentThreadId());
    EXPECT_TRUE(platform::IsThreadRunning(handle));
    EXPECT_FALSE(platform::WaitThread(handle, 10));
    probe.release = true;
    EXPECT_TRUE(platform::WaitThread(handle, 0xFFFFFFFFu));
    EXPECT_FALSE(platform::IsThreadRunning(handle));
    EXPECT_EQ(probe.seenId.load(), id);
    EXPECT_EQ(probe.runs.load(), 1);
    EXPECT_FALSE(platform::TerminateThread(handle, 1));
    EXPECT_EQ(platform::LastError(), platform::kErrorNotSupported);
    platform::CloseThreadHandle(handle);
    EXPECT_EQ(platform::CreateThread(nullptr, nullptr, nullptr), nullptr);
}

TEST(PlatformThreads, ReleasingTheHandleLetsTheThreadFinishOnItsOwn) {
    ThreadProbe probe;
    platform::ThreadHandle handle = platform::CreateThread(&ProbeEntry, &probe, nullptr);
    ASSERT_NE(handle, nullptr);
    platform::CloseThreadHandle(handle);
    probe.release = true;
    for (int i = 0; i < 5000 && probe.runs == 0; ++i) platform::Sleep(1);
    EXPECT_EQ(probe.runs.load(), 1);
}

TEST(PlatformGuid, IsRandomVersionFour) {
    std::set<std::string> seen;
    for (int i = 0; i < 64; ++i) {
        _GUID guid;
        ASSERT_TRUE(platform::CreateGuid(&guid));
        EXPECT_EQ(guid.Data3 >> 12, 4);
        EXPECT_EQ(guid.Data4[0] & 0xC0, 0x80);
        seen.insert(std::string(reinterpret_cast<const char*>(&guid), sizeof guid));
    }
    EXPECT_EQ(seen.size(), 64u);
    EXPECT_FALSE(platform::CreateGuid(nullptr));
}

}  // namespace
