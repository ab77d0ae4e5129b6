// Teaching manifests: a text file with one character per line,
//     KEY NAME IMAGE [X Y W H] [blank] [mask=MASKIMAGE]
// KEY an integer, NAME the character's text (one Unicode character or a short word),
// IMAGE a path relative to the manifest, X Y W H the character's image area (the whole
// image when left out). Empty lines and lines starting with '#' are skipped. Several
// lines may share one sample image with different rectangles.
#pragma once

#include "vxImageFile.h"
#include "vxOCModel.h"
#include "vxRect.h"

#include <istream>
#include <string>
#include <vector>

struct vxToolManifestEntry {
    long lineNumber = 0;
    long key = 0;
    std::wstring name;
    std::string image; // as written in the manifest
    bool hasArea = false;
    vxPelRect area;
    bool isBlank = false;
    std::string mask; // empty when none
};

// Reads and checks a manifest: every line well formed, keys and names unique, areas
// with positive sizes. Throws vxToolError "PATH:LINE: ..." for the first fault, and for
// a manifest without characters.
std::vector<vxToolManifestEntry> vfToolReadManifest(const std::string& path);
// The same for a manifest's text read from `in`; `path` names it in messages.
std::vector<vxToolManifestEntry> vfToolParseManifest(std::istream& in, const std::string& path);

// One model per entry, its image (and mask) read relative to the manifest's folder and
// windowed to the area, with its client origin at the centre of the area, so that an
// arranged pose's translation is the character's centre. A blank keeps no image, only
// that transform (and its mask, when given). Throws vxToolError "PATH:LINE: ..." for an
// unreadable image, an area outside the image or a mask of another size.
std::vector<vxPtrHandle_const<vxOCModel>>
vfToolTeachModels(const std::vector<vxToolManifestEntry>& entries, const std::string& manifestPath,
                  const vxImageReadOptions& readOptions = {});

// One model from an image (and care mask, when bound: the image's size), as the
// manifest's lines make them: windowed to `area` (the whole image when null), its
// client origin at the area's centre; a blank keeps no image. Throws vxToolError
// "WHERE..." (`where` ends in ": ") for an area outside the image or a mask of another size, and the
// model's own errors.
vxPtrHandle_const<vxOCModel> vfToolMakeModel(long key, const std::wstring& name,
                                             vxPelBuffer<unsigned char> image,
                                             vxPelBuffer<unsigned char> mask, const vxPelRect* area,
                                             bool isBlank, const std::string& where);
