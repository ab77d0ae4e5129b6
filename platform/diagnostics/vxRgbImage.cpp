#include "vxRgbImage.h"

#include "vxDiagDefs.h"

#include <fstream>

vxRgbImage::vxRgbImage(long width, long height, vxColor fill) {
    if (width < 0 || height < 0) throw vxDiagDefs::BadArgument(L"Raster size cannot be negative");
    if (height != 0 && width > kMaxPixels / height)
        throw vxDiagDefs::BadArgument(L"Raster is too large");
    width_ = width;
    height_ = height;
    rgb_.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (size_t i = 0; i < rgb_.size(); i += 3) {
        rgb_[i] = fill.r();
        rgb_[i + 1] = fill.g();
        rgb_[i + 2] = fill.b();
    }
}

vxColor vxRgbImage::pixel(long x, long y) const {
    if (!contains(x, y)) throw vxDiagDefs::BadIndex(L"Raster pixel out of range");
    const size_t i =
        (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
    return vxColor(rgb_[i], rgb_[i + 1], rgb_[i + 2]);
}

void vxRgbImage::pixel(long x, long y, vxColor c) {
    if (!contains(x, y)) throw vxDiagDefs::BadIndex(L"Raster pixel out of range");
    set_(x, y, c);
}

void vfWritePpm(const vxRgbImage& image, std::ostream& out) {
    // The header is built apart from the stream so that no stream locale can change it.
    const std::string header =
        "P6\n" + std::to_string(image.width()) + " " + std::to_string(image.height()) + "\n255\n";
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(image.rgb().data()),
              static_cast<std::streamsize>(image.rgb().size()));
    if (!out) throw vxDiagDefs::IoError(L"Writing the PPM image failed");
}

void vfWritePpm(const vxRgbImage& image, const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) throw vxDiagDefs::IoError(L"Cannot open the PPM file for writing");
    vfWritePpm(image, file);
    file.close();
    if (!file) throw vxDiagDefs::IoError(L"Writing the PPM file failed");
}
