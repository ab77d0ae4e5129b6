// What the image-file readers and writers share: the error helper, the size limit, the
// grey conversion and the PNG entry points (which throw when libpng is not built in).
#pragma once

#include "vxImageFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Largest width or height a reader accepts, so that a lying header cannot make it
// allocate gigabytes.
constexpr long kMaxImageSide = 16384;

// Throws vxImageFileError "<path>: <fault>".
[[noreturn]] void vf_ImageFileFail(const std::string& path, const std::string& fault);

// Rec. 601 luma of an 8-bit colour, rounded to nearest; grey stays exactly grey.
inline unsigned char vf_Luma601(unsigned r, unsigned g, unsigned b) {
    return static_cast<unsigned char>((299 * r + 587 * g + 114 * b + 500) / 1000);
}

// Throws vxImageFileError "<path>: not an 8-bit image (16-bit samples): ..." saying
// how to read it anyway.
[[noreturn]] void vf_ImageFileRefuse16Bit(const std::string& path);

// Reads an image of any supported format from an open file of `size` bytes (a file or
// a stream in memory), as vfReadImageFile does; `path` names it in errors.
vxPelBuffer<unsigned char> vf_ReadImageStream(std::FILE* file, const std::string& path,
                                              std::uintmax_t size,
                                              const vxImageReadOptions& options = {});

// Reads a PNG from an open file positioned anywhere (it is rewound); `path` names it in
// errors. The file stays open.
vxPelBuffer<unsigned char> vf_ReadPng(std::FILE* file, const std::string& path,
                                      const vxImageReadOptions& options);

// Readers of a whole file's bytes; `path` names it in errors. JPEG and TIFF throw
// "... support was not built in" when their library was not found.
vxPelBuffer<unsigned char> vf_ReadBmp(const std::vector<unsigned char>& bytes,
                                      const std::string& path);
vxPelBuffer<unsigned char> vf_ReadJpeg(const std::vector<unsigned char>& bytes,
                                       const std::string& path);
vxPelBuffer<unsigned char> vf_ReadTiff(const std::vector<unsigned char>& bytes,
                                       const std::string& path, const vxImageReadOptions& options);

// Writes rows of `channels` (1 grey or 3 RGB) bytes per pixel, `stride` bytes apart, to
// the open file.
void vf_WritePng(std::FILE* file, const std::string& path, const unsigned char* pixels, long width,
                 long height, long stride, int channels);
