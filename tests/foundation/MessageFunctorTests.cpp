// Message functors: the text each form composes, the type it carries, and the
// fallback box without a sink.
#include <gtest/gtest.h>

#include <string>

#include "DebugMessages.h"
#include "support/TestEngine.h"

using tarnwell_test::ScopedBoxCapture;
using tarnwell_test::ScopedSink;

namespace {

template <typename... Args>
std::string Compose(Args... args) {
    ScopedSink capture;
    ShowDebugMessage functor;
    functor(args...);
    return capture.Only();
}

// One functor of each class, in the order of their message types.
struct EveryFunctor {
    ShowDebugMessage debug;
    ShowErrorMessage error;
    ShowInfoMessage info;
    ShowMessageBox box;
    ShowUserInfoMessage userInfo;
    ShowUserWarningMessage userWarning;
    ShowUserErrorMessage userError;
    ShowDebugMessage* all[7] = {&debug, &error, &info, &box, &userInfo, &userWarning, &userError};
};

}  // namespace

TEST(MessageFunctors, NoSinkNoMessageNoBox) {
    ScopedBoxCapture boxes;
    DebugOutPut* previous = debugOutPut;
    debugOutPut = nullptr;
    ShowErrorMessage functor;
    functor("text");
    functor(1.5f);
    functor(7);
    functor(7ul);
    functor(2.5);
    functor(_GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}});
    functor("text", "second");
    functor("text", 7);
    functor("text", 1.5f);
    debugOutPut = previous;
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(MessageFunctors, DirectShowMessageFallsBackToBoxWithCaption) {
    ScopedBoxCapture boxes;
    DebugOutPut* previous = debugOutPut;
    debugOutPut = nullptr;
    EveryFunctor functors;
    for (ShowDebugMessage* functor : functors.all) functor->ShowMessage("boxed");
    debugOutPut = previous;
    ASSERT_EQ(boxes.boxes.size(), 7u);
    const char* captions[] = {"Debug", "Error", "Info", "Message", "Error", "Error", "Error"};
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(boxes.boxes[i].caption, captions[i]) << i;
        EXPECT_EQ(boxes.boxes[i].text, "boxed");
        EXPECT_EQ(boxes.boxes[i].style, 0u);  // plain OK
    }
}

TEST(MessageFunctors, EachFunctorCarriesItsType) {
    ScopedSink capture;
    EveryFunctor functors;
    for (ShowDebugMessage* functor : functors.all) (*functor)("x", 1);
    ASSERT_EQ(capture.Messages().size(), 7u);
    for (int type = 0; type < 7; type++) {
        EXPECT_EQ(capture.Messages()[type].type, type);
        EXPECT_EQ(capture.Messages()[type].text, "x 1");
    }
}

TEST(MessageFunctors, NumbersUseFiftyDigitGcvt) {
    EXPECT_EQ(Compose(7), "7.");
    EXPECT_EQ(Compose(42), "42.");
    EXPECT_EQ(Compose(-3), "-3.");
    EXPECT_EQ(Compose(0.5f), "0.5");
    EXPECT_EQ(Compose(0.25), "0.25");
    EXPECT_EQ(Compose(4000000000ul), "4000000000.");
    EXPECT_EQ(Compose(1.0 / 1048576.0), "9.5367431640625e-07");  // small magnitudes switch to exponent form
}

TEST(MessageFunctors, GuidInRegistryFormUpperCaseNoBraces) {
    const _GUID id = {0x0DE141BF, 0x025D, 0x4313, {0x94, 0xAF, 0xBE, 0x13, 0x15, 0x0C, 0x64, 0x58}};
    EXPECT_EQ(Compose(id), "0DE141BF-025D-4313-94AF-BE13150C6458");
    EXPECT_EQ(Compose(_GUID{0xFFFFFFFF, 0, 1, {0, 0, 0, 0, 0, 0, 0, 0xab}}),
              "FFFFFFFF-0000-0001-0000-0000000000AB");
}

TEST(MessageFunctors, TwoPartFormsJoinWithOneBlank) {
    EXPECT_EQ(Compose("Count", 7), "Count 7");
    EXPECT_EQ(Compose("Count", -12), "Count -12");
    EXPECT_EQ(Compose("Pi", 3.14159f), "Pi 3.1416");  // five digits for the float form
    EXPECT_EQ(Compose("Load", "file.cgr"), "Load file.cgr");
    EXPECT_EQ(Compose("Load", static_cast<const char*>(nullptr)), "Load ");
    ScopedSink capture;
    ShowDebugMessage functor;
    functor(static_cast<const char*>(nullptr), "second");
    functor(static_cast<const char*>(nullptr), 3);
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(MessageFunctors, CompositionBoundsAt498And598) {
    const std::string t498(498, 'a');
    const std::string t497(497, 'b');
    const std::string t490(490, 'c');
    const std::string long2(200, 'z');
    // A first text of 498 keeps no blank and no number.
    EXPECT_EQ(Compose(t498.c_str(), 7), t498);
    // The number is cut where the text would pass 498.
    EXPECT_EQ(Compose(t497.c_str(), 12345), t497 + " ");
    EXPECT_EQ(Compose(t490.c_str(), 1234567890), t490 + " 1234567");
    EXPECT_EQ(Compose(t490.c_str(), 2.5f), t490 + " 2.5");
    // The text form allows 598: 100 characters of the second text after 498.
    EXPECT_EQ(Compose(t498.c_str(), long2.c_str()), t498 + std::string(100, 'z'));
    EXPECT_EQ(Compose(t497.c_str(), long2.c_str()), t497 + " " + std::string(100, 'z'));
    // Longer first texts are cut to 498 and stay terminated.
    const std::string t700(700, 'd');
    EXPECT_EQ(Compose(t700.c_str(), long2.c_str()), std::string(498, 'd') + std::string(100, 'z'));
    EXPECT_EQ(Compose(t700.c_str(), 5), std::string(498, 'd'));
    // The single-text form passes the text unchanged, whatever its length.
    EXPECT_EQ(Compose(t700.c_str()), t700);
}
