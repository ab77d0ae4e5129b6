#include "vxImageFile.h"
#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class ImageFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("imageio_test_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    std::string read(const std::string& p) const {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Reading or writing fails with one line that names the file.
    template <class F>
    std::string expectFailure(const std::string& p, F f, const std::string& what) {
        try {
            f();
            ADD_FAILURE() << "no error for " << what;
        } catch (const vxImageFileError& e) {
            const std::string m = e.what();
            EXPECT_EQ(m.rfind(p + ": ", 0), 0u) << m;
            EXPECT_EQ(m.find('\n'), std::string::npos) << m;
            return m;
        }
        return {};
    }

    fs::path dir_;
};

vxPelBuffer<unsigned char> gradient(long w, long h) {
    vxPelBuffer<unsigned char> image(w, h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            *image.pointToPel(x, y) = static_cast<unsigned char>(x * 37 + y * 11);
    return image;
}

// PNG chunk checksum, to forge headers that libpng accepts.
uint32_t crc32(const std::string& bytes) {
    uint32_t c = 0xffffffffu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
    }
    return ~c;
}

} // namespace

TEST_F(ImageFile, PgmRoundTripsTheWindowAndReadsAsciiWithComments) {
    vxPelBuffer<unsigned char> image = gradient(9, 7);
    image.window(vxPelRect(2, 1, 5, 4), false);
    vfWriteImageFile(path("a.pgm"), image);
    const auto back = vfReadImageFile(path("a.pgm"));
    EXPECT_EQ(back.window(), vxPelRect(0, 0, 5, 4));
    EXPECT_TRUE(vfPelEqual(back, image));

    // Samples are kept as stored even when the maximum value is below 255.
    const auto ascii =
        vfReadImageFile(write("b.pgm", "P2 # c\n3 # w\n2\n#m\n15\n0 1 2\n13\t14 15"));
    EXPECT_EQ(ascii.window(), vxPelRect(0, 0, 3, 2));
    EXPECT_EQ(*ascii.pointToPel(1, 0), 1);
    EXPECT_EQ(*ascii.pointToPel(2, 1), 15);
}

TEST_F(ImageFile, PngRoundTripsGrey) {
    if (!vfImageFilesHavePng()) {
        expectFailure(
            path("a.png"), [&] { vfWriteImageFile(path("a.png"), gradient(3, 3)); }, "png");
        GTEST_SKIP() << "built without PNG";
    }
    vxPelBuffer<unsigned char> image = gradient(40, 30);
    image.window(vxPelRect(3, 2, 31, 17), false);
    vfWriteImageFile(path("a.PNG"), image);
    EXPECT_EQ(read(path("a.PNG")).substr(1, 3), "PNG");
    EXPECT_TRUE(vfPelEqual(vfReadImageFile(path("a.PNG")), image));

    // A declared linear gamma does not change the samples read.
    const std::string png = read(path("a.PNG"));
    std::string gamma = std::string("gAMA") + '\0' + '\x01' + '\x86' + '\xa0'; // 1.0
    const uint32_t crc = crc32(gamma);
    gamma = std::string(3, '\0') + '\x04' + gamma;
    for (int k = 0; k < 4; ++k)
        gamma += char(crc >> (24 - 8 * k));
    const std::string linear = write("linear.png", png.substr(0, 33) + gamma + png.substr(33));
    EXPECT_TRUE(vfPelEqual(vfReadImageFile(linear), image));
}

TEST_F(ImageFile, BadFilesThrowOneLineNamingTheFile) {
    std::vector<std::pair<std::string, std::string>> bad = {
        {"empty", ""},
        {"magic", "GIF89a......"},
        {"plain bitmap", "P1\n1 1\n1\n"},
        {"truncated", "P5\n4 2\n255\n1234567"},
        {"sixteen bit", "P5\n2 1\n65535\n\x01\x02\x03\x04"},
        {"zero width", "P5\n0 3\n255\n"},
        {"too wide", "P5\n16385 1\n255\n"},
        {"huge and short", "P6\n16384 16384\n255\nxyz"},
        {"digit run", "P5\n99999999999999999999999 1\n255\n"},
        {"ascii too big", "P2\n2 1\n255\n1 256"},
        {"ascii short", "P2\n2 1\n255\n1  "},
        {"ascii junk", "P2\n2 1\n255\n1 x "},
        {"header cut", "P5\n3"},
        {"sample above max", "P5\n2 1\n100\n\x05\xff"},
    };
    if (vfImageFilesHavePng()) {
        vfWriteImageFile(path("ok.png"), gradient(64, 64));
        const std::string png = read(path("ok.png"));
        bad.emplace_back("png cut", png.substr(0, png.size() / 2));
        bad.emplace_back("png signature only", png.substr(0, 8));
        // The same file with a forged header (IHDR data is bytes 16-28, its checksum 29-32):
        // 16-bit samples, then 16384 x 16384 pixels from a few hundred bytes of data.
        const auto forge = [&](size_t at, const std::string& bytes) {
            std::string forged = png;
            forged.replace(at, bytes.size(), bytes);
            const uint32_t crc = crc32(forged.substr(12, 17));
            for (int k = 0; k < 4; ++k)
                forged[29 + k] = char(crc >> (24 - 8 * k));
            return forged;
        };
        bad.emplace_back("png sixteen bit", forge(24, "\x10"));
        bad.emplace_back("png huge claim", forge(16, std::string("\0\0\x40\0\0\0\x40\0", 8)));
    }
    for (const auto& [name, bytes] : bad) {
        const std::string p = write(name, bytes);
        const std::string m = expectFailure(
            p, [&] { vfReadImageFile(p); }, name);
        if (name.find("sixteen") != std::string::npos) {
            EXPECT_NE(m.find("not an 8-bit image"), std::string::npos) << m;
        }
        if (name.find("huge") != std::string::npos) { // refused from the header, not decoded
            EXPECT_NE(m.find("truncated"), std::string::npos) << m;
            EXPECT_NE(m.find("16384 x 16384 pixels"), std::string::npos) << m;
        }
    }
    for (const auto& missing : {path("none.pgm"), dir_.string()})
        expectFailure(
            missing, [&] { vfReadImageFile(missing); }, missing);
}
