#include "Image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

// The one translation unit that holds the writer's code; nothing of it leaves the plug-in.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace demo {

Image::Image(int w, int h) : width(std::max(1, w)), height(std::max(1, h)), pixels(3u * width * height) {}

void Image::Fill(Rgb colour) {
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = colour.r;
        pixels[i + 1] = colour.g;
        pixels[i + 2] = colour.b;
    }
}

void Image::Plot(int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    uint8_t* pixel = &pixels[3u * (static_cast<size_t>(y) * width + x)];
    pixel[0] = colour.r;
    pixel[1] = colour.g;
    pixel[2] = colour.b;
}

// Liang-Barsky clipping to the picture first: a vertex close to the camera projects far
// outside it, and walking such a line pixel by pixel would take for ever.
void Image::Line(double x0, double y0, double x1, double y1, Rgb colour) {
    double t0 = 0, t1 = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0, width - 1 - x0, y0, height - 1 - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return;
    }
    const double ax = x0 + t0 * dx, ay = y0 + t0 * dy, bx = x0 + t1 * dx, by = y0 + t1 * dy;
    const int steps = static_cast<int>(std::ceil(std::max(std::fabs(bx - ax), std::fabs(by - ay))));
    for (int i = 0; i <= steps; ++i) {
        double t = steps ? static_cast<double>(i) / steps : 0.0;
        Plot(static_cast<int>(std::lround(ax + t * (bx - ax))),
             static_cast<int>(std::lround(ay + t * (by - ay))), colour);
    }
}

Image Image::Shrunk(int factor) const {
    factor = std::max(1, factor);
    Image small(width / factor, height / factor);
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x)
            for (int c = 0; c < 3; ++c) {
                uint8_t brightest = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                        brightest = std::max(
                            brightest,
                            pixels[3u * ((static_cast<size_t>(y) * factor + dy) * width + x * factor + dx) +
                                   c]);
                small.pixels[3u * (static_cast<size_t>(y) * small.width + x) + c] = brightest;
            }
    return small;
}

void Image::Paste(const Image& other, int x, int y) {
    for (int row = 0; row < other.height; ++row)
        for (int column = 0; column < other.width; ++column) {
            const uint8_t* source = &other.pixels[3u * (static_cast<size_t>(row) * other.width + column)];
            Plot(x + column, y + row, {source[0], source[1], source[2]});
        }
}

namespace {

struct PngFile {
    FILE* file;
    bool ok;
};

// The encoder hands over the whole picture in pieces; a short write (a full disk) is remembered.
void WritePiece(void* context, void* data, int size) {
    PngFile& out = *static_cast<PngFile*>(context);
    if (out.ok && std::fwrite(data, 1, static_cast<size_t>(size), out.file) != static_cast<size_t>(size))
        out.ok = false;
}

bool WritePngFile(const std::string& path, int width, int height, const uint8_t* rgb) {
    PngFile out{std::fopen(path.c_str(), "wb"), true};
    if (!out.file) return false;
    out.ok = stbi_write_png_to_func(WritePiece, &out, width, height, 3, rgb, 3 * width) != 0 && out.ok;
    return std::fclose(out.file) == 0 && out.ok;
}

}  // namespace

bool Image::WritePng(const std::string& path) const {
    const std::string temporary = path + ".part";
    // std::filesystem::rename replaces an existing picture on Windows too (std::rename does not).
    std::error_code error;
    if (WritePngFile(temporary, width, height, pixels.data())) {
        std::filesystem::rename(temporary, path, error);
        if (!error) return true;
    }
    std::filesystem::remove(temporary, error);
    return false;
}

}  // namespace demo
