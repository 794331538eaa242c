// An RGB picture the renderer draws lines into, written as PNG through stb_image_write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

class Image {
public:
    Image(int width, int height);

    int Width() const { return width; }
    int Height() const { return height; }
    void Fill(Rgb colour);
    // A line between two points in pixel coordinates, clipped to the picture.
    void Line(double x0, double y0, double x1, double y1, Rgb colour);
    // A smaller copy in which every pixel is the brightest of its block, so thin lines stay.
    Image Shrunk(int factor) const;
    // Copies `other` with its top left corner at (x, y), clipped.
    void Paste(const Image& other, int x, int y);
    // Written to a temporary file renamed into place, so a viewer never sees half a picture.
    bool WritePng(const std::string& path) const;

private:
    void Plot(int x, int y, Rgb colour);

    int width;
    int height;
    std::vector<uint8_t> pixels;  // rows of r, g, b
};

}  // namespace demo
