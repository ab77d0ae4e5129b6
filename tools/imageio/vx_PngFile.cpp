// PNG reading and writing through libpng's simplified interface, which reports errors
// in the image record instead of jumping out of the library. Samples are read as stored:
// the colour-space chunks that would make libpng convert them are dropped first.
#include "vx_ImageFormats.h"

#if OC_HAVE_PNG
#include <png.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
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

// The whole file without its colour-space chunks (gAMA, cHRM, sRGB, iCCP), so that
// libpng hands the samples over as stored instead of converting them to sRGB. Chunks
// are copied whole otherwise; a damaged chunk structure is left for libpng to report.
// Also counts the bytes of compressed image data.
struct PngBytes {
    std::vector<unsigned char> bytes;
    size_t imageData = 0;
};

PngBytes readWithoutColourSpace(std::FILE* file, const std::string& path) {
    if (std::fseek(file, 0, SEEK_END) != 0) vf_ImageFileFail(path, "cannot read (seek failed)");
    const long size = std::ftell(file);
    if (size < 0 || size > INT_MAX) vf_ImageFileFail(path, "file is too large to read");
    std::rewind(file);
    PngBytes result;
    std::vector<unsigned char>& bytes = result.bytes;
    bytes.resize(static_cast<size_t>(size));
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
        vf_ImageFileFail(path, "cannot read (short read)");

    size_t in = 8, out = 8; // after the signature
    while (bytes.size() - in >= 12) {
        const unsigned char* c = bytes.data() + in;
        const size_t length = size_t(c[0]) << 24 | size_t(c[1]) << 16 | size_t(c[2]) << 8 | c[3];
        if (length > bytes.size() - in - 12) break;
        const std::string type(reinterpret_cast<const char*>(c + 4), 4);
        const bool colourSpace =
            type == "gAMA" || type == "cHRM" || type == "sRGB" || type == "iCCP";
        if (type == "IDAT") result.imageData += length;
        if (!colourSpace) {
            std::memmove(bytes.data() + out, c, length + 12);
            out += length + 12;
        }
        in += length + 12;
    }
    std::memmove(bytes.data() + out, bytes.data() + in, bytes.size() - in);
    bytes.resize(out + bytes.size() - in);
    return result;
}

// A lower bound of the compressed image data a header implies: deflate packs at most
// about 1032 bytes into one. 0 when the first chunk is not a header.
size_t leastImageData(const std::vector<unsigned char>& bytes, long width, long height) {
    if (bytes.size() < 33 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) return 0;
    const int depth = bytes[24], colourType = bytes[25];
    const long samples = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    const long raw = height * (1 + (width * samples * depth + 7) / 8);
    return size_t(raw / 1100);
}

// Reads the header into `png` and checks the sample depth and the size.
void beginRead(PngImage& png, bool fromMemory, std::FILE* file,
               const std::vector<unsigned char>& bytes, const std::string& path,
               const vxImageReadOptions& options) {
    if (!(fromMemory ? png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size())
                     : png_image_begin_read_from_stdio(&png.image, file)))
        vf_ImageFileFail(path, "malformed PNG (" + png.message() + ")");
    if ((png.image.format & PNG_FORMAT_FLAG_LINEAR) && !options.bits16High)
        vf_ImageFileRefuse16Bit(path);
    const long width = long(png.image.width), height = long(png.image.height);
    if (width < 1 || height < 1) vf_ImageFileFail(path, "image is empty");
    if (width > kMaxImageSide || height > kMaxImageSide)
        vf_ImageFileFail(path, "image is too large (" + std::to_string(width) + " x " +
                                   std::to_string(height) + ", sides above " +
                                   std::to_string(kMaxImageSide) + " are refused)");
}

// 16-bit samples, high bytes kept. Without a gamma chunk (they are dropped) libpng's
// linear output is the stored samples; with alpha it hands colour premultiplied, which
// is undone here.
vxPelBuffer<unsigned char> readHighBytes(PngImage& png, const std::string& path) {
    const long width = long(png.image.width), height = long(png.image.height);
    const bool colour = png.image.format & PNG_FORMAT_FLAG_COLOR;
    const bool alpha = png.image.format & PNG_FORMAT_FLAG_ALPHA;
    png.image.format = PNG_FORMAT_FLAG_LINEAR | (colour ? PNG_FORMAT_FLAG_COLOR : 0) |
                       (alpha ? PNG_FORMAT_FLAG_ALPHA : 0);
    const long channels = (colour ? 3 : 1) + (alpha ? 1 : 0);
    std::vector<png_uint_16> pixels(size_t(width * height * channels));
    if (!png_image_finish_read(&png.image, nullptr, pixels.data(), png_int_32(width * channels),
                               nullptr))
        vf_ImageFileFail(path, "corrupt or truncated PNG (" + png.message() + ")");
    vxPelBuffer<unsigned char> image(width, height);
    const png_uint_16* in = pixels.data();
    for (long y = 0; y < height; ++y) {
        unsigned char* out = image.pointToPel(0, y);
        for (long x = 0; x < width; ++x, in += channels) {
            const unsigned long a = alpha ? in[channels - 1] : 65535;
            unsigned high[3];
            for (int c = 0; c < (colour ? 3 : 1); ++c)
                high[c] = a == 0 ? 0 : unsigned(std::min(65535ul, (in[c] * 65535ul + a / 2) / a) >> 8);
            out[x] = colour ? vf_Luma601(high[0], high[1], high[2]) : static_cast<unsigned char>(high[0]);
        }
    }
    return image;
}

} // namespace

vxPelBuffer<unsigned char> vf_ReadPng(std::FILE* stream, const std::string& path,
                                      const vxImageReadOptions& options) {
    // The header is checked from the file before the file is read into memory, and the
    // file may not be much larger than its image's data could be (8-bit RGBA, stored
    // uncompressed, plus room for other chunks).
    {
        std::rewind(stream);
        PngImage header;
        beginRead(header, false, stream, {}, path, options);
        const long rawBytes = long(header.image.height) * (1 + 8 * long(header.image.width));
        if (std::fseek(stream, 0, SEEK_END) != 0 ||
            std::ftell(stream) > rawBytes + rawBytes / 64 + (long(64) << 20))
            vf_ImageFileFail(path, "file is far larger than its image needs");
    }
    const PngBytes file = readWithoutColourSpace(stream, path);
    PngImage png;
    beginRead(png, true, nullptr, file.bytes, path, options);
    const long width = long(png.image.width), height = long(png.image.height);
    if (file.imageData < leastImageData(file.bytes, width, height))
        vf_ImageFileFail(path, "truncated (too little image data for " + std::to_string(width) +
                                   " x " + std::to_string(height) + " pixels)");
    if (png.image.format & PNG_FORMAT_FLAG_LINEAR) return readHighBytes(png, path);

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
    // Left uninitialised: libpng writes every byte, and pages of a file that turns out
    // short are never touched.
    const std::unique_ptr<unsigned char[]> pixels(
        new unsigned char[size_t(width * height * channels)]);
    if (!png_image_finish_read(&png.image, nullptr, pixels.get(), png_int_32(width * channels),
                               nullptr))
        vf_ImageFileFail(path, "corrupt or truncated PNG (" + png.message() + ")");
    const unsigned char* in = pixels.get();
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

vxPelBuffer<unsigned char> vf_ReadPng(std::FILE*, const std::string& path,
                                      const vxImageReadOptions&) {
    vf_ImageFileFail(path, "PNG support not built in (libpng was not found)");
}

void vf_WritePng(std::FILE*, const std::string& path, const unsigned char*, long, long, long, int) {
    vf_ImageFileFail(path, "PNG support not built in (libpng was not found)");
}

#endif
