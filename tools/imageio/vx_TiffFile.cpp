// TIFF reading through libtiff, from memory. Grey and RGB images stored in strips of
// contiguous 8 or 16-bit samples are read row by row as stored; everything else libtiff
// can turn into RGBA (palettes, bilevel, YCbCr, tiles, separate planes) goes through
// its RGBA reader. The library's messages are collected per file, never printed: the
// first error becomes the vxImageFileError's text.
#include "vx_ImageFormats.h"

bool vfImageFilesHaveTiff() {
    return OC_HAVE_TIFF != 0;
}

#if OC_HAVE_TIFF

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <mutex>
#include <tiffio.h>

namespace {

struct Memory {
    const std::vector<unsigned char>* bytes;
    toff_t at = 0;
    std::string firstError;
};

tmsize_t readProc(thandle_t h, void* buffer, tmsize_t size) {
    Memory& m = *static_cast<Memory*>(h);
    const toff_t left = m.bytes->size() - std::min<toff_t>(m.at, m.bytes->size());
    const tmsize_t n = tmsize_t(std::min<toff_t>(left, toff_t(size)));
    if (n <= 0) return 0;
    std::memcpy(buffer, m.bytes->data() + m.at, size_t(n));
    m.at += toff_t(n);
    return n;
}
tmsize_t writeProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t seekProc(thandle_t h, toff_t offset, int whence) {
    Memory& m = *static_cast<Memory*>(h);
    const toff_t base = whence == SEEK_CUR ? m.at : whence == SEEK_END ? m.bytes->size() : 0;
    m.at = base + offset; // reads past the end read nothing
    return m.at;
}
int closeProc(thandle_t) { return 0; }
toff_t sizeProc(thandle_t h) { return static_cast<Memory*>(h)->bytes->size(); }
int mapProc(thandle_t, void**, toff_t*) { return 0; }
void unmapProc(thandle_t, void*, toff_t) {}

int onError(TIFF*, void* user, const char*, const char* format, va_list args) {
    Memory& m = *static_cast<Memory*>(user);
    if (m.firstError.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        m.firstError = text;
    }
    return 1; // handled: nothing reaches the global handlers
}
int onWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct Closer {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

} // namespace

vxPelBuffer<unsigned char> vf_ReadTiff(const std::vector<unsigned char>& bytes,
                                       const std::string& path, const vxImageReadOptions& options) {
    // Codecs that still report through the process-wide handlers must not print either.
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
    Memory m{&bytes, 0, {}};
    const auto fail = [&](const std::string& fault) {
        vf_ImageFileFail(path, m.firstError.empty() ? fault : fault + " (" + m.firstError + ")");
    };
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, tmsize_t(1) << 30);
    TIFFOpenOptionsSetErrorHandlerExtR(opts, onError, &m);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, onWarning, &m);
    std::unique_ptr<TIFF, Closer> tif(TIFFClientOpenExt(path.c_str(), "rm", &m, readProc, writeProc,
                                                        seekProc, closeProc, sizeProc, mapProc,
                                                        unmapProc, opts));
    TIFFOpenOptionsFree(opts);
    if (!tif) fail("malformed TIFF");
    TIFF* t = tif.get();

    uint32_t w32 = 0, h32 = 0;
    uint16_t bits = 1, samples = 1, photometric = 0, planar = PLANARCONFIG_CONTIG,
             format = SAMPLEFORMAT_UINT;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w32);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h32);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &format);
    if (!TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric)) fail("malformed TIFF (no photometric tag)");
    const long width = long(w32), height = long(h32);
    if (width < 1 || height < 1)
        fail("image is empty (" + std::to_string(width) + " x " + std::to_string(height) + ")");
    if (width > kMaxImageSide || height > kMaxImageSide)
        fail("image is too large (" + std::to_string(width) + " x " + std::to_string(height) +
             ", sides above " + std::to_string(kMaxImageSide) + " are refused)");
    if (bits == 16 && !options.bits16High) vf_ImageFileRefuse16Bit(path);
    if (bits > 16 || format != SAMPLEFORMAT_UINT)
        fail("TIFF of " + std::to_string(bits) + "-bit or non-integer samples is not read");
    // Compression packs a few thousand to one at most (LZW's longest code); a header
    // promising more than that is not allocated for.
    const double raw = double(width) * double(height) * samples * bits / 8;
    if (raw > 4096.0 * double(bytes.size()) + (1 << 20))
        fail("truncated (too little image data for " + std::to_string(width) + " x " +
             std::to_string(height) + " pixels)");

    vxPelBuffer<unsigned char> image(width, height);
    const bool grey = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    const bool rgb = photometric == PHOTOMETRIC_RGB && samples >= 3;
    if ((grey || rgb) && (bits == 8 || bits == 16) && planar == PLANARCONFIG_CONTIG &&
        !TIFFIsTiled(t)) {
        const tmsize_t rowBytes = TIFFScanlineSize(t);
        const size_t bytesPerSample = bits / 8;
        if (rowBytes < tmsize_t(size_t(width) * samples * bytesPerSample)) fail("malformed TIFF");
        std::vector<unsigned char> row(static_cast<size_t>(rowBytes));
        for (long y = 0; y < height; ++y) {
            if (TIFFReadScanline(t, row.data(), uint32_t(y), 0) < 0) fail("corrupt or truncated TIFF");
            unsigned char* out = image.pointToPel(0, y);
            for (long x = 0; x < width; ++x) {
                // 16-bit samples come in the machine's order; the high byte is kept.
                const auto sample = [&](int c) -> unsigned {
                    const size_t at = (size_t(x) * samples + size_t(c)) * bytesPerSample;
                    if (bits == 8) return row[at];
                    uint16_t v;
                    std::memcpy(&v, row.data() + at, 2);
                    return v >> 8;
                };
                const unsigned v = rgb ? vf_Luma601(sample(0), sample(1), sample(2)) : sample(0);
                out[x] = static_cast<unsigned char>(photometric == PHOTOMETRIC_MINISWHITE ? 255 - v : v);
            }
        }
        return image;
    }
    char message[1024] = "";
    if (!TIFFRGBAImageOK(t, message)) fail(std::string("TIFF variant not read: ") + message);
    std::vector<uint32_t> raster(size_t(width) * size_t(height));
    if (!TIFFReadRGBAImageOriented(t, w32, h32, raster.data(), ORIENTATION_TOPLEFT, 1))
        fail("corrupt or truncated TIFF");
    for (long y = 0; y < height; ++y) {
        unsigned char* out = image.pointToPel(0, y);
        const uint32_t* in = raster.data() + size_t(y) * size_t(width);
        for (long x = 0; x < width; ++x)
            out[x] = vf_Luma601(TIFFGetR(in[x]), TIFFGetG(in[x]), TIFFGetB(in[x]));
    }
    return image;
}

#else

vxPelBuffer<unsigned char> vf_ReadTiff(const std::vector<unsigned char>&, const std::string& path,
                                       const vxImageReadOptions&) {
    vf_ImageFileFail(path, "TIFF support was not built in (libtiff was not found when configuring)");
}

#endif
