// What the image-file readers and writers share: the error helper, the size limit, the
// grey conversion and the PNG entry points (which throw when libpng is not built in).
#pragma once

#include "vxImageFile.h"

#include <cstdint>
#include <cstdio>
#include <string>

// Largest width or height a reader accepts, so that a lying header cannot make it
// allocate gigabytes.
constexpr long kMaxImageSide = 16384;

// Throws vxImageFileError "<path>: <fault>".
[[noreturn]] void vf_ImageFileFail(const std::string& path, const std::string& fault);

// Rec. 601 luma of an 8-bit colour, rounded to nearest; grey stays exactly grey.
inline unsigned char vf_Luma601(unsigned r, unsigned g, unsigned b) {
    return static_cast<unsigned char>((299 * r + 587 * g + 114 * b + 500) / 1000);
}

// Reads an image of any supported format from an open file of `size` bytes (a file or
// a stream in memory), as vfReadImageFile does; `path` names it in errors.
vxPelBuffer<unsigned char> vf_ReadImageStream(std::FILE* file, const std::string& path,
                                              std::uintmax_t size);

// Reads a PNG from an open file positioned anywhere (it is rewound); `path` names it in
// errors. The file stays open.
vxPelBuffer<unsigned char> vf_ReadPng(std::FILE* file, const std::string& path);

// Writes rows of `channels` (1 grey or 3 RGB) bytes per pixel, `stride` bytes apart, to
// the open file.
void vf_WritePng(std::FILE* file, const std::string& path, const unsigned char* pixels, long width,
                 long height, long stride, int channels);
