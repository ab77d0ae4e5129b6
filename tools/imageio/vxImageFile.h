// Image files for the command-line tool: 8-bit grey images in and out (PGM always,
// PNG when the build found libpng), BMP, JPEG and TIFF in (JPEG and TIFF when the build
// found libjpeg and libtiff), and colour pictures out for overlays.
//
// Every failure is a vxImageFileError whose what() is one line naming the file and
// the fault ("cannot open", "truncated", "not an 8-bit image", ...). Reading never
// trusts the file: sizes are checked before anything is allocated and a short file
// is an error, never a read past its end.
#pragma once

#include "vxPelBuffer.h"

#include <stdexcept>
#include <string>
#include <vector>

class vxImageFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True when PNG files can be read and written (libpng was found at configure time).
bool vfImageFilesHavePng();
// True when JPEG / TIFF files can be read (libjpeg / libtiff found at configure time).
bool vfImageFilesHaveJpeg();
bool vfImageFilesHaveTiff();

// How a reader treats what it would otherwise refuse.
struct vxImageReadOptions {
    // 16-bit samples (PNG, PGM/PPM with a maximum value above 255, TIFF): refused when
    // false; when true each sample is read as its high byte.
    bool bits16High = false;
};

// Reads an 8-bit image: PGM (binary P5 or ASCII P2, maximum value 1..255), binary PPM
// (P6, 8-bit), PNG (grey, grey+alpha, RGB, RGBA, palette; 8-bit or less), BMP
// (uncompressed, 8-bit palette, 24 or 32-bit colour), JPEG (grey or colour) and TIFF
// (grey, RGB, palette, any compression libtiff decodes). Colour is converted to grey by
// the Rec. 601 luma weights, alpha ignored; samples are otherwise kept as stored (no
// rescaling of a smaller maximum value, no gamma conversion). The format is told by the
// file's first bytes, not by its name. The result has the window (0, 0, width, height)
// and the identity client-from-image transform. Sides above 16384 pixels, 16-bit
// samples, a format not built in, truncated or malformed files throw vxImageFileError.
vxPelBuffer<unsigned char> vfReadImageFile(const std::string& path);
// The same, 16-bit samples treated as `options` says.
vxPelBuffer<unsigned char> vfReadImageFile(const std::string& path,
                                           const vxImageReadOptions& options);

// Writes the window of a grey image; the name's extension picks the format: ".png"
// (throws when PNG is not available) or anything else as binary PGM (P5). The file is
// replaced whole (vxOutputFile): on failure `path` is left as it was.
void vfWriteImageFile(const std::string& path, const vxPelBuffer_const<unsigned char>& image);

// A colour picture, 8 bits per channel, rows top to bottom, pixel (x, y) at
// rgb[3 * (y * width + x)].
struct vxRgbImage {
    long width = 0;
    long height = 0;
    std::vector<unsigned char> rgb;

    // A grey image's window as a colour picture.
    static vxRgbImage fromGrey(const vxPelBuffer_const<unsigned char>& image);
};

// Writes a colour picture: ".png" (when available) or anything else as binary PPM (P6),
// replacing the file whole like vfWriteImageFile.
void vfWriteRgbImageFile(const std::string& path, const vxRgbImage& picture);
