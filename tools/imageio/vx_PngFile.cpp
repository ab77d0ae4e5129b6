// PNG reading and writing through libpng's simplified interface, which reports errors
// in the image record instead of jumping out of the library.
#include "vx_ImageFormats.h"

#if OC_HAVE_PNG
#include <png.h>

#include <climits>
#include <cstring>
#include <vector>
#endif

bool vfImageFilesHavePng() {
    return OC_HAVE_PNG != 0;
}

#if OC_HAVE_PNG

namespace {

// A png_image that is released on every path out.
struct PngImage {
    png_image image;
    PngImage() {
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
    }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
    std::string message() const { return image.message; }
};

} // namespace

vxPelBuffer<unsigned char> vf_ReadPng(std::FILE* file, const std::string& path) {
    std::rewind(file);
    PngImage png;
    if (!png_image_begin_read_from_stdio(&png.image, file))
        vf_ImageFileFail(path, "malformed PNG (" + png.message() + ")");
    if (png.image.format & PNG_FORMAT_FLAG_LINEAR)
        vf_ImageFileFail(path, "not an 8-bit image (16-bit PNG samples)");
    const long width = long(png.image.width), height = long(png.image.height);
    if (width < 1 || height < 1) vf_ImageFileFail(path, "image is empty");
    if (width > kMaxImageSide || height > kMaxImageSide)
        vf_ImageFileFail(path, "image is too large (" + std::to_string(width) + " x " +
                                   std::to_string(height) + ", sides above " +
                                   std::to_string(kMaxImageSide) + " are refused)");

    // Colour (and palette) images are read as RGB and turned grey here, so that the
    // weights are the Rec. 601 ones; alpha is read and dropped, never composited.
    const bool colour = png.image.format & PNG_FORMAT_FLAG_COLOR;
    const bool alpha = png.image.format & PNG_FORMAT_FLAG_ALPHA;
    png.image.format = (colour ? PNG_FORMAT_FLAG_COLOR : 0) | (alpha ? PNG_FORMAT_FLAG_ALPHA : 0);
    const long channels = (colour ? 3 : 1) + (alpha ? 1 : 0);

    vxPelBuffer<unsigned char> image(width, height);
    if (channels == 1) {
        if (!png_image_finish_read(&png.image, nullptr, image.pointToPel(0, 0),
                                   png_int_32(image.rowUpdate()), nullptr))
            vf_ImageFileFail(path, "corrupt or truncated PNG (" + png.message() + ")");
        return image;
    }
    std::vector<unsigned char> pixels(size_t(width * height * channels));
    if (!png_image_finish_read(&png.image, nullptr, pixels.data(), png_int_32(width * channels),
                               nullptr))
        vf_ImageFileFail(path, "corrupt or truncated PNG (" + png.message() + ")");
    const unsigned char* in = pixels.data();
    for (long y = 0; y < height; ++y) {
        unsigned char* out = image.pointToPel(0, y);
        for (long x = 0; x < width; ++x, in += channels)
            out[x] = colour ? vf_Luma601(in[0], in[1], in[2]) : in[0];
    }
    return image;
}

void vf_WritePng(std::FILE* file, const std::string& path, const unsigned char* pixels, long width,
                 long height, long stride, int channels) {
    if (width > INT_MAX / channels || height > INT_MAX)
        vf_ImageFileFail(path, "image is too large for PNG");
    // Rows that are not laid out plainly (or too far apart for libpng) are packed first.
    std::vector<unsigned char> packed;
    const long rowBytes = width * channels;
    if (stride < rowBytes || stride > INT_MAX) {
        packed.resize(size_t(rowBytes * height));
        for (long y = 0; y < height; ++y)
            std::memcpy(packed.data() + y * rowBytes, pixels + y * stride, size_t(rowBytes));
        pixels = packed.data();
        stride = rowBytes;
    }
    PngImage png;
    png.image.width = png_uint_32(width);
    png.image.height = png_uint_32(height);
    png.image.format = channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
    if (!png_image_write_to_stdio(&png.image, file, 0, pixels, png_int_32(stride), nullptr))
        vf_ImageFileFail(path, "cannot write PNG (" + png.message() + ")");
}

#else

vxPelBuffer<unsigned char> vf_ReadPng(std::FILE*, const std::string& path) {
    vf_ImageFileFail(path, "PNG support not built in (libpng was not found)");
}

void vf_WritePng(std::FILE*, const std::string& path, const unsigned char*, long, long, long, int) {
    vf_ImageFileFail(path, "PNG support not built in (libpng was not found)");
}

#endif
