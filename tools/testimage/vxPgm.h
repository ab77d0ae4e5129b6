// Reading and writing 8-bit binary PGM (P5) images.
#pragma once

#include "vxPelBuffer.h"

#include <iosfwd>
#include <string>

// Reads a P5 image (header comments allowed, maximum value 1..255, pixels kept as
// stored) into a new buffer with the window (0, 0, width, height) and the identity
// transform. Throws vxTestImageDefs::IoError when the file cannot be opened and
// vxTestImageDefs::BadFormat for anything that is not a complete P5 image with 8-bit
// pixels (including sizes above 16384 on a side).
vxPelBuffer<unsigned char> vfReadPgm(const std::string& path);
vxPelBuffer<unsigned char> vfReadPgm(std::istream& in);

// Writes the buffer's window as a P5 image with maximum value 255. Throws
// vxPel::UnboundWindow for an unbound buffer, vxTestImageDefs::BadArgument for an empty
// window, and vxTestImageDefs::IoError when the file or stream cannot be written.
void vfWritePgm(const std::string& path, const vxPelBuffer_const<unsigned char>& image);
void vfWritePgm(std::ostream& out, const vxPelBuffer_const<unsigned char>& image);
