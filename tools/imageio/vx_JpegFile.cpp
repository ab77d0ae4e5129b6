// JPEG reading through libjpeg. The library's default error handler exits the process;
// ours longjmps back to the one function that calls the library, which holds no C++
// objects, and the error becomes a vxImageFileError there. Warnings about corrupt data
// (a file cut short among them, which libjpeg would pad with grey) are errors too: a
// damaged print must not pass for a readable one.
#include "vx_ImageFormats.h"

bool vfImageFilesHaveJpeg() {
    return OC_HAVE_JPEG != 0;
}

#if OC_HAVE_JPEG

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void onError(j_common_ptr info) {
    ErrorManager* e = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, e->message);
    std::longjmp(e->jump, 1);
}

// Level -1 is a warning about corrupt data; the rest are trace messages, never printed.
void onMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code != JWRN_EXTRANEOUS_DATA) onError(info);
}

// What decode() hands back; plain data only, since decode() may be left by longjmp.
struct Decoded {
    unsigned char* pixels = nullptr; // width * height * channels, malloc'd
    long width = 0, height = 0, channels = 0;
    const char* fault = nullptr; // a fault found before decoding
};

// Decodes into malloc'd memory; returns false with the library's message on an error.
// Sides and the data a header implies are checked before anything large is allocated.
bool decode(const unsigned char* bytes, size_t size, Decoded& out, ErrorManager& err) {
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        std::free(out.pixels);
        out.pixels = nullptr;
        return false;
    }
    jpeg_create_decompress(&info);
    // Past this libjpeg reports "insufficient memory" instead of allocating (a
    // progressive file keeps every coefficient of the image).
    info.mem->max_memory_to_use = long(1) << 30;
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    const long width = long(info.image_width), height = long(info.image_height);
    // Each 8 x 8 block takes at least a bit in the first scan.
    const size_t blocks = size_t((width + 7) / 8) * size_t((height + 7) / 8);
    if (width > kMaxImageSide || height > kMaxImageSide) {
        out.fault = "image is too large";
    } else if (size < blocks / 64) {
        out.fault = "truncated (too little image data for its size)";
    } else if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        out.fault = "CMYK JPEG is not read: save it as RGB or grey";
    }
    if (out.fault) {
        jpeg_destroy_decompress(&info);
        out.width = width;
        out.height = height;
        return true;
    }
    info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = long(info.output_width);
    out.height = long(info.output_height);
    out.channels = info.output_components;
    out.pixels = static_cast<unsigned char*>(
        std::malloc(size_t(out.width * out.height * out.channels)));
    if (!out.pixels) {
        jpeg_destroy_decompress(&info);
        std::strcpy(err.message, "out of memory");
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.pixels + size_t(info.output_scanline) * size_t(out.width * out.channels);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

vxPelBuffer<unsigned char> vf_ReadJpeg(const std::vector<unsigned char>& bytes,
                                       const std::string& path) {
    ErrorManager err;
    Decoded d;
    if (!decode(bytes.data(), bytes.size(), d, err))
        vf_ImageFileFail(path, std::string("corrupt or truncated JPEG (") + err.message + ")");
    struct Free {
        unsigned char* p;
        ~Free() { std::free(p); }
    } owner{d.pixels};
    if (d.fault) {
        if (std::strcmp(d.fault, "image is too large") == 0)
            vf_ImageFileFail(path, "image is too large (" + std::to_string(d.width) + " x " +
                                       std::to_string(d.height) + ", sides above " +
                                       std::to_string(kMaxImageSide) + " are refused)");
        vf_ImageFileFail(path, d.fault);
    }
    vxPelBuffer<unsigned char> image(d.width, d.height);
    const unsigned char* in = d.pixels;
    for (long y = 0; y < d.height; ++y) {
        unsigned char* out = image.pointToPel(0, y);
        for (long x = 0; x < d.width; ++x, in += d.channels)
            out[x] = d.channels == 3 ? vf_Luma601(in[0], in[1], in[2]) : in[0];
    }
    return image;
}

#else

vxPelBuffer<unsigned char> vf_ReadJpeg(const std::vector<unsigned char>&, const std::string& path) {
    vf_ImageFileFail(path, "JPEG support was not built in (libjpeg was not found when configuring)");
}

#endif
