// Image files for the command-line tool: format detection, PGM/PPM reading and writing,
// and the dispatch to the other formats' readers.
#include "vxImageFile.h"

#include "vxOutputFile.h"
#include "vx_ImageFormats.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string systemReason() {
    return std::strerror(errno);
}

// A name ends with ".png" in any letter case.
bool namesPng(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".png";
}

// Writes `path` through a temporary file (see vxOutputFile.h): a failed write leaves
// whatever was at `path` as it was.
void writeFile(const std::string& path, const std::function<void(std::FILE*)>& body) {
    try {
        vxOutputFile out(path);
        body(out.file());
        out.commit();
    } catch (const vxOutputFileError& e) {
        throw vxImageFileError(e.what());
    }
}

void writeBytes(std::FILE* f, const std::string& path, const void* data, size_t size) {
    if (std::fwrite(data, 1, size, f) != size)
        vf_ImageFileFail(path, "cannot write (" + systemReason() + ")");
}

// Reads the header and samples of a PGM (P2, P5) or binary PPM (P6) file.
class PnmReader {
public:
    PnmReader(std::FILE* file, const std::string& path, long fileSize, bool bits16High)
        : f_(file), path_(path), fileSize_(fileSize), bits16High_(bits16High) {}

    vxPelBuffer<unsigned char> read() {
        std::fseek(f_, 0, SEEK_SET);
        const int p = std::getc(f_);
        const int kind = std::getc(f_);
        if (p != 'P' || (kind != '2' && kind != '5' && kind != '6'))
            fail("unsupported PNM variant (only P2, P5 and P6 are read)");
        const int next = std::getc(f_);
        if (!isSpace(next) && next != '#') fail("malformed header (no space after the magic)");
        std::ungetc(next, f_);
        const long width = number("header width");
        const long height = number("header height");
        const long maxValue = number("header maximum value");
        if (width < 1 || height < 1)
            fail("image is empty (" + std::to_string(width) + " x " + std::to_string(height) + ")");
        if (width > kMaxImageSide || height > kMaxImageSide)
            fail("image is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                 ", sides above " + std::to_string(kMaxImageSide) + " are refused)");
        if (maxValue < 1 || maxValue > 65535) fail("malformed header (bad maximum value)");
        if (maxValue > 255 && !bits16High_) vf_ImageFileRefuse16Bit(path_);
        if (!isSpace(std::getc(f_))) fail("malformed header (no space after maximum value)");
        maxValue_ = maxValue;
        // Samples above 255 take two bytes, most significant first; the high byte is kept.
        const int bytes = maxValue > 255 ? 2 : 1;
        const int shift = maxValue > 255 ? 8 : 0;

        const int channels = kind == '6' ? 3 : 1;
        const long samples = width * height * channels;
        // An ASCII sample takes at least a digit and a separator (the last one no separator).
        const long needed = kind == '2' ? 2 * samples - 1 : samples * bytes;
        const long position = std::ftell(f_);
        if (position < 0 || fileSize_ - position < needed)
            fail("truncated (" + std::to_string(width) + " x " + std::to_string(height) +
                 " pixels promised)");

        vxPelBuffer<unsigned char> image(width, height);
        std::vector<unsigned char> raw(size_t(width * channels * bytes)), row(size_t(width * channels));
        for (long y = 0; y < height; ++y) {
            unsigned char* out = image.pointToPel(0, y);
            if (kind == '2') {
                for (long x = 0; x < width; ++x)
                    out[x] = static_cast<unsigned char>(asciiSample() >> shift);
                continue;
            }
            if (std::fread(raw.data(), 1, raw.size(), f_) != raw.size()) fail("truncated");
            for (size_t k = 0; k < row.size(); ++k) {
                const long v = bytes == 2 ? raw[2 * k] << 8 | raw[2 * k + 1] : raw[k];
                checkSample(v);
                row[k] = static_cast<unsigned char>(v >> shift);
            }
            if (channels == 1)
                std::memcpy(out, row.data(), row.size());
            else
                for (long x = 0; x < width; ++x)
                    out[x] = vf_Luma601(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
        }
        return image;
    }

private:
    static bool isSpace(int c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }

    [[noreturn]] void fail(const std::string& fault) const { vf_ImageFileFail(path_, fault); }

    // Skips white space and '#' comments (each to the end of its line).
    void skipSpace() {
        for (;;) {
            int c = std::getc(f_);
            if (c == '#')
                while (c != '\n' && c != '\r' && c != EOF)
                    c = std::getc(f_);
            else if (!isSpace(c)) {
                if (c != EOF) std::ungetc(c, f_);
                return;
            }
        }
    }

    // A decimal number after optional space and comments; large values are capped (the
    // callers refuse them) so that a long run of digits cannot overflow.
    long number(const char* what) {
        skipSpace();
        long v = 0;
        int digits = 0;
        int c = std::getc(f_);
        for (; c >= '0' && c <= '9'; c = std::getc(f_), ++digits)
            v = std::min(v * 10 + (c - '0'), long(INT_MAX));
        if (c != EOF) std::ungetc(c, f_);
        if (digits == 0) {
            if (std::feof(f_))
                fail(std::string("truncated (the file ends before the ") + what + ")");
            fail(std::string("malformed (bad ") + what + ")");
        }
        return v;
    }

    void checkSample(long v) const {
        if (v > maxValue_)
            fail("sample " + std::to_string(v) + " above the maximum value " +
                 std::to_string(maxValue_));
    }

    long asciiSample() {
        const long v = number("sample");
        checkSample(v);
        return v;
    }

    std::FILE* f_;
    const std::string& path_;
    long fileSize_;
    bool bits16High_;
    long maxValue_ = 255;
};

// The whole file, refused when larger than `limit` bytes.
std::vector<unsigned char> readAll(std::FILE* f, const std::string& path, std::uintmax_t size,
                                   std::uintmax_t limit) {
    if (size > limit) vf_ImageFileFail(path, "file is too large to read");
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    std::fseek(f, 0, SEEK_SET);
    if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
        vf_ImageFileFail(path, "cannot read (short read)");
    return bytes;
}

} // namespace

void vf_ImageFileFail(const std::string& path, const std::string& fault) {
    throw vxImageFileError(path + ": " + fault);
}

void vf_ImageFileRefuse16Bit(const std::string& path) {
    vf_ImageFileFail(path, "not an 8-bit image (16-bit samples): convert it to 8 bits first, "
                           "or pass --bits16=high to take the high byte");
}

vxPelBuffer<unsigned char> vfReadImageFile(const std::string& path) {
    return vfReadImageFile(path, vxImageReadOptions());
}

vxPelBuffer<unsigned char> vfReadImageFile(const std::string& path,
                                           const vxImageReadOptions& options) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) vf_ImageFileFail(path, "cannot open (" + systemReason() + ")");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) vf_ImageFileFail(path, "not a regular file");
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) vf_ImageFileFail(path, "cannot read (" + ec.message() + ")");
    return vf_ReadImageStream(f.get(), path, size, options);
}

vxPelBuffer<unsigned char> vf_ReadImageStream(std::FILE* file, const std::string& path,
                                              std::uintmax_t size,
                                              const vxImageReadOptions& options) {
    if (size == 0) vf_ImageFileFail(path, "empty file");
    unsigned char magic[8] = {};
    std::fseek(file, 0, SEEK_SET);
    const size_t got = std::fread(magic, 1, sizeof magic, file);
    static const unsigned char pngMagic[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (got == sizeof magic && std::memcmp(magic, pngMagic, sizeof magic) == 0)
        return vf_ReadPng(file, path, options);
    if (got >= 2 && magic[0] == 'P' && magic[1] >= '1' && magic[1] <= '7')
        return PnmReader(file, path, long(std::min<std::uintmax_t>(size, LONG_MAX)),
                         options.bits16High)
            .read();
    // The largest file these formats can need: a 16384 x 16384 image, 32-bit BMP or 16-bit
    // RGBA TIFF stored plainly.
    constexpr std::uintmax_t kLimit = std::uintmax_t(8) * kMaxImageSide * kMaxImageSide + (1 << 20);
    if (got >= 2 && magic[0] == 'B' && magic[1] == 'M')
        return vf_ReadBmp(readAll(file, path, size, kLimit), path);
    if (got >= 3 && magic[0] == 0xff && magic[1] == 0xd8 && magic[2] == 0xff)
        return vf_ReadJpeg(readAll(file, path, size, kLimit), path);
    if (got >= 4 && (std::memcmp(magic, "II*\0", 4) == 0 || std::memcmp(magic, "MM\0*", 4) == 0))
        return vf_ReadTiff(readAll(file, path, size, kLimit), path, options);
    vf_ImageFileFail(path, "unknown image format (neither PGM, PPM, PNG, BMP, JPEG nor TIFF)");
}

void vfWriteImageFile(const std::string& path, const vxPelBuffer_const<unsigned char>& image) {
    if (!image.isBound()) vf_ImageFileFail(path, "nothing to write (unbound image)");
    const vxPelRect w = image.window();
    if (w.width() < 1 || w.height() < 1) vf_ImageFileFail(path, "nothing to write (empty image)");
    const unsigned char* top = image.pointToPel(w.x(), w.y());
    if (namesPng(path)) {
        writeFile(path, [&](std::FILE* f) {
            vf_WritePng(f, path, top, w.width(), w.height(), image.rowUpdate(), 1);
        });
        return;
    }
    writeFile(path, [&](std::FILE* f) {
        const std::string header =
            "P5\n" + std::to_string(w.width()) + " " + std::to_string(w.height()) + "\n255\n";
        writeBytes(f, path, header.data(), header.size());
        for (long y = w.y(); y < w.y() + w.height(); ++y)
            writeBytes(f, path, image.pointToPel(w.x(), y), size_t(w.width()));
    });
}

vxRgbImage vxRgbImage::fromGrey(const vxPelBuffer_const<unsigned char>& image) {
    if (!image.isBound()) throw vxImageFileError("cannot make a picture of an unbound image");
    const vxPelRect w = image.window();
    vxRgbImage picture;
    picture.width = w.width();
    picture.height = w.height();
    picture.rgb.resize(size_t(3 * w.width() * w.height()));
    unsigned char* out = picture.rgb.data();
    for (long y = w.y(); y < w.y() + w.height(); ++y) {
        const unsigned char* in = image.pointToPel(w.x(), y);
        for (long x = 0; x < w.width(); ++x, out += 3)
            out[0] = out[1] = out[2] = in[x];
    }
    return picture;
}

void vfWriteRgbImageFile(const std::string& path, const vxRgbImage& picture) {
    const long w = picture.width, h = picture.height;
    if (w < 1 || h < 1) vf_ImageFileFail(path, "nothing to write (empty picture)");
    if (w > LONG_MAX / 3 / h || picture.rgb.size() != size_t(3 * w * h))
        vf_ImageFileFail(path, "picture holds " + std::to_string(picture.rgb.size()) +
                                   " bytes, not 3 x " + std::to_string(w) + " x " +
                                   std::to_string(h));
    if (namesPng(path)) {
        writeFile(path,
                  [&](std::FILE* f) { vf_WritePng(f, path, picture.rgb.data(), w, h, 3 * w, 3); });
        return;
    }
    writeFile(path, [&](std::FILE* f) {
        const std::string header = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
        writeBytes(f, path, header.data(), header.size());
        writeBytes(f, path, picture.rgb.data(), picture.rgb.size());
    });
}
