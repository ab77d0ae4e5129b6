// PNG encoding through libpng's simplified interface, which reports errors in the
// image record instead of jumping out of the library.
#include "vxGreyPng.h"

#if OC_HAVE_PNG
#include <png.h>

#include <climits>
#include <cstring>
#include <vector>
#endif

bool vfGreyPngAvailable() {
    return OC_HAVE_PNG != 0;
}

#if OC_HAVE_PNG

namespace {

struct PngImage {
    png_image image;
    PngImage() {
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
    }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
};

} // namespace

std::string vfEncodeGreyPng(const vxPelBuffer_const<unsigned char>& image) {
    const long width = image.width(), height = image.height(), stride = image.rowUpdate();
    if (width <= 0 || height <= 0) throw vxGreyPngError("cannot encode an empty image");
    if (width > INT_MAX || height > INT_MAX || stride > INT_MAX)
        throw vxGreyPngError("image is too large for PNG");
    const unsigned char* pixels = image.pointToPel(image.window().x(), image.window().y());

    PngImage png;
    png.image.width = png_uint_32(width);
    png.image.height = png_uint_32(height);
    png.image.format = PNG_FORMAT_GRAY;
    // The first call only measures; the second writes into a buffer of that size.
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(png.image, size, 0, pixels, png_int_32(stride), nullptr))
        throw vxGreyPngError(std::string("cannot encode PNG (") + png.image.message + ")");
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&png.image, bytes.data(), &size, 0, pixels, png_int_32(stride),
                                   nullptr))
        throw vxGreyPngError(std::string("cannot encode PNG (") + png.image.message + ")");
    bytes.resize(size);
    return bytes;
}

#else

std::string vfEncodeGreyPng(const vxPelBuffer_const<unsigned char>&) {
    throw vxGreyPngError("PNG support not built in (libpng was not found)");
}

#endif
