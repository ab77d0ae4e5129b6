// BMP reading: uncompressed 8-bit palette, 24-bit and 32-bit colour (also 32-bit
// bit fields laid out as plain BGRX), bottom-up and top-down; colour turned grey with
// the same weights as every other reader.
#include "vx_ImageFormats.h"

#include <climits>

namespace {

unsigned long le(const std::vector<unsigned char>& b, size_t at, int bytes) {
    unsigned long v = 0;
    for (int k = bytes - 1; k >= 0; --k)
        v = v << 8 | b[at + size_t(k)];
    return v;
}

const char* compressionName(unsigned long c) {
    switch (c) {
    case 1: return "RLE8";
    case 2: return "RLE4";
    case 3: return "bit fields";
    case 4: return "JPEG";
    case 5: return "PNG";
    default: return "unknown";
    }
}

} // namespace

vxPelBuffer<unsigned char> vf_ReadBmp(const std::vector<unsigned char>& b,
                                      const std::string& path) {
    const auto fail = [&](const std::string& fault) { vf_ImageFileFail(path, fault); };
    if (b.size() < 26) fail("truncated (BMP header)");
    const unsigned long dataOffset = le(b, 10, 4);
    const unsigned long infoSize = le(b, 14, 4);
    const bool core = infoSize == 12; // the oldest header: 16-bit sides, 3-byte palette
    if (!core && infoSize < 40) fail("malformed BMP (header of " + std::to_string(infoSize) + " bytes)");
    if (b.size() < 14 + (core ? 12 : 40)) fail("truncated (BMP header)");
    long width, height;
    unsigned long bits, compression = 0, paletteSize = 0;
    if (core) {
        width = long(le(b, 18, 2));
        height = long(le(b, 20, 2));
        bits = le(b, 24, 2);
    } else {
        width = long(int32_t(le(b, 18, 4)));
        height = long(int32_t(le(b, 22, 4)));
        bits = le(b, 28, 2);
        compression = le(b, 30, 4);
        paletteSize = le(b, 46, 4);
    }
    const bool topDown = height < 0;
    height = topDown ? -height : height;
    if (width < 1 || height < 1)
        fail("image is empty (" + std::to_string(width) + " x " + std::to_string(height) + ")");
    if (width > kMaxImageSide || height > kMaxImageSide)
        fail("image is too large (" + std::to_string(width) + " x " + std::to_string(height) +
             ", sides above " + std::to_string(kMaxImageSide) + " are refused)");
    if (bits != 8 && bits != 24 && bits != 32)
        fail("BMP of " + std::to_string(bits) + " bits per pixel is not read (8, 24 and 32 are)");
    // Bit fields that put blue, green and red in the bytes plain 32-bit BMP uses read
    // as uncompressed; the masks follow the 40-byte header.
    const bool plainFields = compression == 3 && bits == 32 && b.size() >= 66 &&
                             le(b, 54, 4) == 0xff0000 && le(b, 58, 4) == 0xff00 && le(b, 62, 4) == 0xff;
    if (compression != 0 && !plainFields)
        fail(std::string("compressed BMP (") + compressionName(compression) +
             ") is not read: save it uncompressed");

    // Palette entries (blue, green, red[, reserved]) follow the header, as grey levels.
    std::vector<unsigned char> palette;
    if (bits == 8) {
        const size_t entry = core ? 3 : 4;
        const size_t at = 14 + infoSize;
        const unsigned long count = core || paletteSize == 0 ? 256 : paletteSize;
        if (count > 256) fail("malformed BMP (palette of " + std::to_string(count) + " colours)");
        if (at > b.size() || (b.size() - at) / entry < count) fail("truncated (BMP palette)");
        for (size_t k = 0; k < count; ++k) {
            const unsigned char* c = b.data() + at + k * entry;
            palette.push_back(vf_Luma601(c[2], c[1], c[0]));
        }
    }
    const size_t stride = (size_t(width) * bits + 31) / 32 * 4;
    if (dataOffset > b.size() || (b.size() - dataOffset) / stride < size_t(height))
        fail("truncated (" + std::to_string(width) + " x " + std::to_string(height) +
             " pixels promised)");

    vxPelBuffer<unsigned char> image(width, height);
    const size_t bytesPerPixel = bits / 8;
    for (long y = 0; y < height; ++y) {
        const unsigned char* in = b.data() + dataOffset + stride * size_t(topDown ? y : height - 1 - y);
        unsigned char* out = image.pointToPel(0, y);
        for (long x = 0; x < width; ++x, in += bytesPerPixel) {
            if (bits != 8) {
                out[x] = vf_Luma601(in[2], in[1], in[0]);
            } else if (*in < palette.size()) {
                out[x] = palette[*in];
            } else {
                fail("palette index " + std::to_string(*in) + " beyond the palette's " +
                     std::to_string(palette.size()) + " colours");
            }
        }
    }
    return image;
}
