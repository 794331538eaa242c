// The renderer's picture: lines are clipped to it whatever their end points, and it is
// written as a PNG that reads back the same, or not at all.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "../../demo/plugins/wireframe/Image.h"
#include "DemoPictures.h"
#include "support/TestEngine.h"

namespace {

std::vector<unsigned char> ReadRgb(const std::string& path, unsigned& width, unsigned& height) {
    demo_test::Picture picture = demo_test::ReadPng(path);
    width = picture.width;
    height = picture.height;
    return picture.rgb;
}

size_t Lit(const std::vector<unsigned char>& rgb) {
    size_t lit = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) lit += rgb[i] || rgb[i + 1] || rgb[i + 2];
    return lit;
}

TEST(DemoImage, LinesFarOutsideAreClippedAtOnceAndWrittenPngReadsBack) {
    tarnwell_test::TempDir dir("demo-image");
    demo::Image image(20, 10);
    image.Fill({0, 0, 0});
    const auto start = std::chrono::steady_clock::now();
    image.Line(-1e12, -1e12, 1e12, 1e12, {255, 0, 0});  // crosses: the diagonal part
    image.Line(-1e12, 50, 1e12, 50, {0, 255, 0});       // passes below: nothing
    image.Line(30, -5, 40, 5, {0, 0, 255});             // beside it: nothing
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    const std::string path = dir.Path() + "/picture.png";
    ASSERT_TRUE(image.WritePng(path));
    unsigned width = 0, height = 0;
    std::vector<unsigned char> rgb = ReadRgb(path, width, height);
    ASSERT_FALSE(rgb.empty());
    EXPECT_EQ(width, 20u);
    EXPECT_EQ(height, 10u);
    EXPECT_EQ(Lit(rgb), 10u);  // (0,0) to (9,9)
    EXPECT_EQ(rgb[3 * (9 * 20 + 9)], 255);
}

TEST(DemoImage, WriteIntoAMissingDirectoryFailsAndLeavesNoPart) {
    tarnwell_test::TempDir dir("demo-image");
    demo::Image image(4, 4);
    const std::string path = dir.Path() + "/missing/picture.png";
    EXPECT_FALSE(image.WritePng(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST(DemoImage, ShrunkKeepsThinLinesVisible) {
    demo::Image image(9, 9);
    image.Fill({0, 0, 0});
    image.Line(0, 4, 8, 4, {200, 100, 50});
    demo::Image small = image.Shrunk(3);
    ASSERT_EQ(small.Width(), 3);
    const std::string path = (std::filesystem::temp_directory_path() / "demo-shrunk-test.png").string();
    ASSERT_TRUE(small.WritePng(path));
    unsigned width = 0, height = 0;
    std::vector<unsigned char> rgb = ReadRgb(path, width, height);
    std::filesystem::remove(path);
    EXPECT_EQ(Lit(rgb), 3u);  // the middle row, at full brightness
    EXPECT_EQ(rgb[3 * 3], 200);
}

}  // namespace
