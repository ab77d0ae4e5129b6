// The tool's image readers (PGM, PPM, PNG, BMP, JPEG, TIFF; the format told by the first
// bytes) on any bytes, from memory, with 16-bit samples refused and read by their high
// bytes. A read either fails with vxImageFileError or gives an image that, written as
// PGM and as PNG and read again, has the same pixels.
#include "fuzz_support.h"
#include "image_samples.h"

#include "vxImageFile.h"
#include "vx_ImageFormats.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace {

vxPelBuffer<unsigned char> readBytes(const std::uint8_t* data, std::size_t size,
                                     const vxImageReadOptions& options) {
    // fmemopen refuses an empty buffer; an empty file is its own error anyway.
    static const std::uint8_t none = 0;
    std::FILE* f =
        ::fmemopen(const_cast<std::uint8_t*>(size ? data : &none), size ? size : 1, "rb");
    if (!f) vfFuzzFail("fmemopen failed");
    try {
        vxPelBuffer<unsigned char> image = vf_ReadImageStream(f, "input", size, options);
        std::fclose(f);
        return image;
    } catch (...) {
        std::fclose(f);
        throw;
    }
}

bool samePixels(const vxPelBuffer<unsigned char>& a, const vxPelBuffer<unsigned char>& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (long y = 0; y < a.height(); ++y)
        if (std::memcmp(a.pointToPel(0, y), b.pointToPel(0, y), size_t(a.width())) != 0)
            return false;
    return true;
}

// In memory where the system has it: every write ends with an fsync.
std::string scratch(const char* ext) {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::is_directory("/dev/shm", ec)
                                          ? std::filesystem::path("/dev/shm")
                                          : std::filesystem::temp_directory_path();
    return (dir / ("oc-image-fuzz-" + std::to_string(::getpid()) + ext)).string();
}

vxFuzzBytes bytesOf(const std::string& text) {
    return vxFuzzBytes(text.begin(), text.end());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    std::vector<vxFuzzBytes> seeds = {
        bytesOf("P5 3 2 255\n\x01\x02\x03\x04\x05\xff"),
        bytesOf("P2\n# grey\n3 2\n15\n0 1 2\n13 14 15\n"),
        bytesOf(std::string("P6 2 1 255\n\xff\x00\x00\x00\x80\x40", 17)),
    };
    if (vfImageFilesHavePng()) {
        const std::string path = scratch(".png");
        vxPelBuffer<unsigned char> tiny(5, 3);
        for (long y = 0; y < 3; ++y)
            for (long x = 0; x < 5; ++x)
                *tiny.pointToPel(x, y) = static_cast<unsigned char>(40 * x + y);
        vfWriteImageFile(path, tiny);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        vxFuzzBytes png;
        for (int c; f && (c = std::fgetc(f)) != EOF;)
            png.push_back(static_cast<unsigned char>(c));
        if (f) std::fclose(f);
        std::filesystem::remove(path);
        seeds.push_back(png);
    }
    seeds.push_back(bytesOf(std::string("P5 2 1 65535\n\x12\x34\xfe\x01", 17)));
    seeds.push_back(bytesOf(
        samples::bmp(3, 2, 24, {0, 0, 255, 0, 255, 0, 255, 0, 0, 30, 20, 10, 1, 2, 3, 4, 5, 6}, true)));
    seeds.push_back(bytesOf(
        samples::bmp(2, 2, 8, {0, 1, 2, 3}, false, 0, {0, 0, 0, 255, 255, 255, 0, 0, 255, 9, 9, 9})));
    seeds.push_back(bytesOf(samples::tiff(3, 2, 16, 1, 1, {1, 2, 3, 0x4000, 0x8000, 0xffff}, true)));
    seeds.push_back(bytesOf(samples::tiff(2, 1, 8, 3, 2, {255, 0, 0, 10, 20, 30})));
#if OC_HAVE_JPEG
    std::vector<unsigned char> grey(8 * 8);
    for (size_t k = 0; k < grey.size(); ++k)
        grey[k] = static_cast<unsigned char>(k * 4);
    seeds.push_back(bytesOf(samples::jpeg(8, 8, 1, grey, 90)));
#endif
    vfFuzzWriteSeedsIfAsked(*argc, *argv, seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vxPelBuffer<unsigned char> image;
    try {
        readBytes(data, size, vxImageReadOptions());
    } catch (const vxImageFileError&) {
    }
    try {
        vxImageReadOptions high;
        high.bits16High = true;
        image = readBytes(data, size, high);
    } catch (const vxImageFileError&) {
        return 0;
    }
    for (const char* ext : {".pgm", ".png"}) {
        if (std::strcmp(ext, ".png") == 0 && !vfImageFilesHavePng()) continue;
        const std::string path = scratch(ext);
        vfWriteImageFile(path, image);
        const vxPelBuffer<unsigned char> again = vfReadImageFile(path);
        std::filesystem::remove(path);
        if (!samePixels(image, again))
            vfFuzzFail(std::string("an image reads back different from ") + ext);
    }
    return 0;
}
