// Every reader on small files built byte by byte (or by the format's own library):
// expected pixels, the 16-bit refusal and its high-byte way out, and damaged files.
#include "image_samples.h"
#include "vxImageFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

struct Case {
    std::string name;
    std::string bytes;
    std::vector<int> expected; // row by row; empty when an error is expected
    long width = 0;
    std::string error = {};    // a part of the message
    bool bits16High = false;
    int tolerance = 0;         // lossy formats
};

// BGR of red, green, blue and (10, 20, 30): grey 76, 150, 29, 18.
const std::vector<unsigned char> kBgr = {0, 0, 255, 0, 255, 0, 255, 0, 0, 30, 20, 10};
const std::vector<int> kLuma = {76, 150, 29, 18};

std::vector<unsigned char> withAlpha(const std::vector<unsigned char>& bgr) {
    std::vector<unsigned char> out;
    for (size_t k = 0; k < bgr.size(); k += 3) out.insert(out.end(), {bgr[k], bgr[k + 1], bgr[k + 2], 7});
    return out;
}

std::vector<Case> cases() {
    using namespace samples;
    std::vector<Case> c = {
        {"bmp 8-bit grey palette, bottom-up", bmp(3, 2, 8, {0, 1, 2, 200, 254, 255}), {0, 1, 2, 200, 254, 255}, 3},
        {"bmp 8-bit colour palette", bmp(2, 1, 8, {1, 0}, false, 0, {0, 0, 0, 0, 0, 255}), {76, 0}, 2},
        {"bmp 24-bit, top-down, padded rows", bmp(2, 2, 24, kBgr, true), kLuma, 2},
        {"bmp 32-bit, bottom-up", bmp(2, 2, 32, withAlpha(kBgr)), kLuma, 2},
        {"bmp rle8", bmp(2, 1, 8, {1, 0}, false, 1), {}, 0, "compressed BMP (RLE8)"},
        {"bmp truncated", bmp(4, 4, 24, std::vector<unsigned char>(48)).substr(0, 80), {}, 0, "truncated"},
        {"bmp 16-bit", bmp(2, 1, 16, {1, 2, 3, 4}), {}, 0, "16 bits per pixel"},
        {"tiff grey", tiff(3, 1, 8, 1, 1, {5, 6, 250}), {5, 6, 250}, 3},
        {"tiff rgb, big-endian", tiff(2, 2, 8, 3, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}, true), kLuma, 2},
        {"tiff white is zero", tiff(2, 1, 8, 1, 0, {0, 255}), {255, 0}, 2},
        {"tiff 16-bit refused", tiff(2, 1, 16, 1, 1, {0x1234, 0xfe01}), {}, 0, "--bits16=high"},
        {"tiff 16-bit high byte", tiff(2, 1, 16, 1, 1, {0x1234, 0xfe01}, true), {0x12, 0xfe}, 2, "", true},
        {"tiff truncated", tiff(8, 8, 8, 1, 1, std::vector<unsigned>(64, 9)).substr(0, 150), {}, 0, "TIFF"},
        {"pgm 16-bit refused", std::string("P5 2 1 65535\n\x12\x34\xfe\x01", 17), {}, 0, "convert it to 8 bits"},
        {"pgm 16-bit high byte", std::string("P5 2 1 65535\n\x12\x34\xfe\x01", 17), {0x12, 0xfe}, 2, "", true},
        {"ascii pgm 16-bit high byte", "P2 2 1 1023\n1023 256\n", {3, 1}, 2, "", true},
        {"ppm 16-bit high byte", std::string("P6 1 1 65535\n\xff\x00\x00\x00\x00\x00", 19), {76}, 1, "", true},
    };
#if __has_include(<png.h>)
    if (vfImageFilesHavePng()) {
        c.push_back({"png 16-bit refused", png16(2, 1, {0x1234, 0xfe01}), {}, 0, "--bits16=high"});
        c.push_back({"png 16-bit high byte", png16(2, 1, {0x1234, 0xfe01}), {0x12, 0xfe}, 2, "", true});
    }
#endif
#if OC_HAVE_JPEG
    std::vector<unsigned char> ramp(16 * 16);
    std::vector<int> expected(ramp.size());
    for (size_t k = 0; k < ramp.size(); ++k) expected[k] = ramp[k] = static_cast<unsigned char>(k % 16 * 12 + k / 16 * 3);
    const std::string grey = jpeg(16, 16, 1, ramp);
    std::vector<unsigned char> red;
    for (int k = 0; k < 64; ++k) red.insert(red.end(), {255, 0, 0});
    c.push_back({"jpeg grey", grey, expected, 16, "", false, 3});
    c.push_back({"jpeg colour", jpeg(8, 8, 3, red), std::vector<int>(64, 76), 8, "", false, 3});
    c.push_back({"jpeg truncated", grey.substr(0, grey.size() / 2), {}, 0, "truncated JPEG"});
    c.push_back({"jpeg garbage after the marker", std::string("\xff\xd8\xff\x01garbage", 11), {}, 0, "JPEG"});
#else
    c.push_back({"jpeg not built in", std::string("\xff\xd8\xff\xe0", 4), {}, 0, "JPEG support was not built in"});
#endif
    return c;
}

TEST(ImageFormats, ReadExpectedPixelsOrFailWithAClearMessage) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("image_formats_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (const Case& c : cases()) {
        const std::string path = (dir / "image").string();
        std::ofstream(path, std::ios::binary) << c.bytes;
        vxImageReadOptions options;
        options.bits16High = c.bits16High;
        try {
            const vxPelBuffer<unsigned char> image = vfReadImageFile(path, options);
            ASSERT_TRUE(c.error.empty()) << c.name << ": no error";
            ASSERT_EQ(image.width(), c.width) << c.name;
            ASSERT_EQ(image.width() * image.height(), long(c.expected.size())) << c.name;
            for (size_t k = 0; k < c.expected.size(); ++k)
                EXPECT_NEAR(*image.pointToPel(long(k) % c.width, long(k) / c.width), c.expected[k], c.tolerance)
                    << c.name << " pixel " << k;
        } catch (const vxImageFileError& e) {
            EXPECT_FALSE(c.error.empty()) << c.name << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << c.name << ": " << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
        }
    }
    std::filesystem::remove_all(dir);
}

} // namespace
