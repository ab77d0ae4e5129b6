// A plain 8-bit RGB raster (rows top to bottom, three bytes per pixel) for rendered
// diagnostics, and a binary PPM writer for looking at it.
#pragma once

#include "vxColor.h"

#include <ostream>
#include <string>
#include <vector>

class vxRgbImage {
public:
    // Largest number of pixels a raster may hold (a guard against absurd sizes).
    static constexpr long kMaxPixels = 1L << 28;

    // The 0 x 0 raster.
    vxRgbImage() = default;
    // A width x height raster filled with `fill`. Throws vxDiagDefs::BadArgument for a
    // negative size or more than kMaxPixels pixels.
    vxRgbImage(long width, long height, vxColor fill = vxColor::black);

    long width() const { return width_; }
    long height() const { return height_; }
    // The pixels: (y * width + x) * 3 + channel, channels red, green, blue.
    const std::vector<unsigned char>& rgb() const { return rgb_; }

    bool contains(long x, long y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    // The pixel at (x, y); throws vxDiagDefs::BadIndex outside the raster.
    vxColor pixel(long x, long y) const;
    // Sets the pixel at (x, y); throws vxDiagDefs::BadIndex outside the raster.
    void pixel(long x, long y, vxColor c);
    // Sets the pixel when it lies inside the raster, else does nothing (for drawing).
    void plot(long x, long y, vxColor c) {
        if (contains(x, y)) set_(x, y, c);
    }

    friend bool operator==(const vxRgbImage&, const vxRgbImage&) = default;

private:
    void set_(long x, long y, vxColor c) {
        const size_t i =
            (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
        rgb_[i] = c.r();
        rgb_[i + 1] = c.g();
        rgb_[i + 2] = c.b();
    }
    long width_ = 0;
    long height_ = 0;
    std::vector<unsigned char> rgb_;
};

// Writes the raster as a binary PPM ("P6", maxval 255). Throws vxDiagDefs::IoError
// when the stream fails.
void vfWritePpm(const vxRgbImage& image, std::ostream& out);
// The same into a file (created or replaced); throws vxDiagDefs::IoError when the file
// cannot be written.
void vfWritePpm(const vxRgbImage& image, const std::string& path);
