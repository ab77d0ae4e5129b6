// An 8-bit grey image's window encoded as a PNG file in memory, for embedding in pages.
#pragma once

#include "vxPelBuffer.h"

#include <stdexcept>
#include <string>

class vxGreyPngError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True when images can be encoded (libpng was found at configure time).
bool vfGreyPngAvailable();

// The bytes of a grey PNG of the window of `image` (the window's upper-left pixel is
// the PNG's first). Throws vxPel::UnboundWindow for an unbound image and
// vxGreyPngError for an empty window, when libpng is not built in or when it fails.
std::string vfEncodeGreyPng(const vxPelBuffer_const<unsigned char>& image);
