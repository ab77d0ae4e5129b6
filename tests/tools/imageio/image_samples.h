// Small image files built in memory for the reader tests and the image fuzz target's
// seeds: uncompressed BMP and TIFF written byte by byte, JPEG through libjpeg.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#if __has_include(<png.h>)
#include <png.h>
#endif
#if OC_HAVE_JPEG
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#endif

namespace samples {

inline void putLe(std::string& s, std::uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k)
        s += char(v >> (8 * k));
}

// `pixels` holds bits/8 bytes per pixel as BMP stores them (blue first), rows top to
// bottom; 8-bit images get a palette of `palette` grey (or given BGR) entries.
inline std::string bmp(long w, long h, int bits, const std::vector<unsigned char>& pixels,
                       bool topDown = false, std::uint32_t compression = 0,
                       const std::vector<unsigned char>& paletteBgr = {}) {
    const long stride = (w * bits + 31) / 32 * 4;
    const std::uint32_t colours = bits == 8 ? std::uint32_t(paletteBgr.empty() ? 256 : paletteBgr.size() / 3) : 0;
    const std::uint32_t offset = 54 + 4 * colours;
    std::string s = "BM";
    putLe(s, offset + std::uint32_t(stride * h), 4);
    putLe(s, 0, 4);
    putLe(s, offset, 4);
    for (std::uint32_t v : {40u, std::uint32_t(w), std::uint32_t(topDown ? -h : h)}) putLe(s, v, 4);
    putLe(s, 1, 2);
    putLe(s, std::uint32_t(bits), 2);
    for (std::uint32_t v : {compression, 0u, 2835u, 2835u, colours, 0u}) putLe(s, v, 4);
    for (std::uint32_t k = 0; k < colours; ++k) {
        for (int c = 0; c < 3; ++c) s += char(paletteBgr.empty() ? k : paletteBgr[3 * k + c]);
        s += '\0';
    }
    const long bpp = bits / 8;
    for (long r = 0; r < h; ++r) {
        const long y = topDown ? r : h - 1 - r;
        s.append(reinterpret_cast<const char*>(pixels.data() + y * w * bpp), size_t(w * bpp));
        s.append(size_t(stride - w * bpp), '\0');
    }
    return s;
}

// An uncompressed one-strip TIFF, little- or big-endian; `samples` are the values in
// order, 8 or 16 bits each.
inline std::string tiff(long w, long h, int bits, int perPixel, int photometric,
                        const std::vector<unsigned>& values, bool bigEndian = false) {
    const auto put = [&](std::string& s, std::uint32_t v, int bytes) {
        for (int k = 0; k < bytes; ++k)
            s += char(v >> (8 * (bigEndian ? bytes - 1 - k : k)));
    };
    std::string data;
    for (unsigned v : values) put(data, v, bits / 8);
    // Entries: tag, type (3 short, 4 long), count, value; bits per sample lies after the
    // directory when there are several.
    const std::vector<std::uint32_t> tags = {256, 257, 258, 259, 262, 273, 277, 278, 279};
    const std::uint32_t dirSize = 2 + 12 * std::uint32_t(tags.size()) + 4;
    const std::uint32_t bitsAt = 8 + dirSize, dataAt = bitsAt + (perPixel > 1 ? 2 * std::uint32_t(perPixel) : 0);
    std::string s = bigEndian ? std::string("MM\0*", 4) : std::string("II*\0", 4);
    put(s, 8, 4);
    put(s, std::uint32_t(tags.size()), 2);
    for (std::uint32_t tag : tags) {
        const std::uint32_t value = tag == 256 ? w : tag == 257 ? h : tag == 258 ? (perPixel == 1 ? bits : bitsAt)
                                  : tag == 259 ? 1 : tag == 262 ? photometric : tag == 273 ? dataAt
                                  : tag == 277 ? perPixel : tag == 278 ? h : std::uint32_t(data.size());
        const bool isLong = tag == 273 || tag == 279 || (tag == 258 && perPixel > 1);
        put(s, tag, 2);
        put(s, isLong && tag != 258 ? 4 : 3, 2);
        put(s, tag == 258 ? perPixel : 1, 4);
        if (isLong) put(s, value, 4);
        else { put(s, value, 2); put(s, 0, 2); }
    }
    put(s, 0, 4);
    for (int c = 0; c < perPixel && perPixel > 1; ++c) put(s, std::uint32_t(bits), 2);
    return s + data;
}

#if OC_HAVE_JPEG
// A baseline JPEG of grey (1 channel) or RGB (3) pixels at the given quality.
inline std::string jpeg(long w, long h, int channels, const std::vector<unsigned char>& pixels,
                        int quality = 100) {
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(w);
    info.image_height = JDIMENSION(h);
    info.input_components = channels;
    info.in_color_space = channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pixels.data()) + info.next_scanline * w * channels;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string s(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return s;
}
#endif

#if __has_include(<png.h>)
// A 16-bit grey PNG of the values (libpng stores linear samples as given).
inline std::string png16(long w, long h, const std::vector<std::uint16_t>& values) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(w);
    image.height = png_uint_32(h);
    image.format = PNG_FORMAT_LINEAR_Y;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, values.data(), 0, nullptr);
    std::string s(size, '\0');
    png_image_write_to_memory(&image, s.data(), &size, 0, values.data(), 0, nullptr);
    s.resize(size);
    return s;
}
#endif

} // namespace samples
