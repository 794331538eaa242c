// One short run of the demo project in the player: the renderer's frames are PNG pictures of
// the scene, and the group loaded in the background shows up after the first frame.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/TestEngine.h"

namespace fs = std::filesystem;

namespace {

const int kFrames = 60;
const int kEvery = 10;
// The renderer's default picture size and the colour the generator gives the comet.
const unsigned kWidth = 480, kHeight = 360;
const unsigned char kCometColour[3] = {255, 115, 51};

struct Picture {
    bool read = false;
    unsigned width = 0, height = 0;
    std::vector<unsigned char> rgb;

    size_t Count(const unsigned char colour[3]) const {
        size_t count = 0;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3) count += std::memcmp(&rgb[i], colour, 3) == 0;
        return count;
    }
};

Picture ReadPng(const fs::path& path) {
    Picture picture;
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    picture.read = png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
    picture.width = image.width;
    picture.height = image.height;
    png_image_free(&image);
    return picture;
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class DemoRun : public ::testing::Test {
protected:
    // One run for the whole suite: the player is the slow part.
    static void SetUpTestSuite() {
        dir = new tarnwell_test::TempDir("demo-run");
        const std::string out = dir->Path() + "/frames";
        const std::string command = "VANTOR_DEMO_OUTPUT='" + out +
                                    "' VANTOR_DEMO_EVERY=" + std::to_string(kEvery) +
                                    " '" DEMO_PLAYER "' --frames " + std::to_string(kFrames) + " --fps 60 '" +
                                    DEMO_PROJECT_DIR "/demo.vtr' > '" + dir->Path() + "/player.log' 2>&1";
        status = std::system(command.c_str());
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
    // Four thumbnails of a third of the size in a row, two rows for six frames.
    EXPECT_GE(sheet.width, 4 * kWidth / 3);
    EXPECT_GE(sheet.height, 2 * kHeight / 3);
}

TEST_F(DemoRun, BackgroundLoadedCometAppearsInALaterFrameButNotTheFirst) {
    ASSERT_EQ(status, 0);
    const int last = (kFrames - 1) / kEvery * kEvery;
    EXPECT_EQ(ReadPng(Frame(0)).Count(kCometColour), 0u);
    EXPECT_GT(ReadPng(Frame(last)).Count(kCometColour), 20u);

    // The renderer's own account: the pool's objects and both moons from the start, the
    // comet (a pool member from the third group) later.
    std::vector<std::string> lines = ReadLines(Frames() / "frames.txt");
    ASSERT_EQ(lines.size(), static_cast<size_t>(kFrames / kEvery));
    EXPECT_EQ(lines.front(), "frame 0: 4 objects: Cube Body Body Crystal");
    EXPECT_NE(lines.back().find("Comet"), std::string::npos) << lines.back();
}

}  // namespace
