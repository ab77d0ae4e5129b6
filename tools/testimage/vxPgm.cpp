// Binary PGM (P5) reading and writing.
#include "vxPgm.h"

#include "vxTestImageDefs.h"

#include <algorithm>
#include <fstream>
#include <istream>
#include <ostream>
#include <vector>

namespace {

using BadFormat = vxTestImageDefs::BadFormat;

// Skips white space and '#' comments (to the end of their line) between header fields.
void skipSpace(std::istream& in) {
    for (;;) {
        const int c = in.peek();
        if (c == '#') {
            while (in.good() && in.get() != '\n') {
            }
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
            in.get();
        } else {
            return;
        }
    }
}

// A header number: decimal digits only, at most `limit`.
long readNumber(std::istream& in, long limit) {
    skipSpace(in);
    long v = 0;
    int digits = 0;
    while (in.peek() >= '0' && in.peek() <= '9') {
        v = v * 10 + (in.get() - '0');
        if (v > limit) throw BadFormat(L"PGM header value out of range");
        ++digits;
    }
    if (digits == 0) throw BadFormat(L"PGM header is malformed");
    return v;
}

void checkWritable(const vxPelBuffer_const<unsigned char>& image) {
    if (!image.isBound()) throw vxPel::UnboundWindow();
    if (image.window().isNull()) throw vxTestImageDefs::BadArgument(L"Cannot write an empty image");
}

} // namespace

vxPelBuffer<unsigned char> vfReadPgm(std::istream& in) {
    char magic[2] = {0, 0};
    in.read(magic, 2);
    if (!in || magic[0] != 'P' || magic[1] != '5') throw BadFormat(L"Not a binary PGM (P5) image");
    const long width = readNumber(in, 16384);
    const long height = readNumber(in, 16384);
    const long maxValue = readNumber(in, 65535);
    if (width < 1 || height < 1) throw BadFormat(L"PGM image is empty");
    if (maxValue < 1 || maxValue > 255) throw BadFormat(L"PGM maximum value must be in 1..255");
    const int sep = in.get();
    if (sep != ' ' && sep != '\t' && sep != '\n' && sep != '\r')
        throw BadFormat(L"PGM header is malformed");

    // Rows are read into a growing vector first, so a header that promises more pixels
    // than the file holds fails without allocating the whole image.
    std::vector<char> pixels;
    for (long y = 0; y < height; ++y) {
        pixels.resize(size_t((y + 1) * width));
        in.read(pixels.data() + y * width, std::streamsize(width));
        if (in.gcount() != width) throw BadFormat(L"PGM image is truncated");
    }
    vxPelBuffer<unsigned char> image(width, height);
    for (long y = 0; y < height; ++y)
        std::copy_n(pixels.data() + y * width, width, image.pointToPel(0, y));
    return image;
}

vxPelBuffer<unsigned char> vfReadPgm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw vxTestImageDefs::IoError(L"Cannot open PGM file for reading");
    return vfReadPgm(in);
}

void vfWritePgm(std::ostream& out, const vxPelBuffer_const<unsigned char>& image) {
    checkWritable(image);
    const vxPelRect w = image.window();
    out << "P5\n" << w.width() << ' ' << w.height() << "\n255\n";
    for (long y = w.y(); y < w.y() + w.height(); ++y)
        out.write(reinterpret_cast<const char*>(image.pointToPel(w.x(), y)),
                  std::streamsize(w.width()));
    if (!out) throw vxTestImageDefs::IoError(L"Cannot write PGM image");
}

void vfWritePgm(const std::string& path, const vxPelBuffer_const<unsigned char>& image) {
    checkWritable(image);
    std::ofstream out(path, std::ios::binary);
    if (!out) throw vxTestImageDefs::IoError(L"Cannot open PGM file for writing");
    vfWritePgm(out, image);
    out.close();
    if (!out) throw vxTestImageDefs::IoError(L"Cannot write PGM file");
}
