// Overlay pictures of an arrange run: the run image in colour with each placed
// position's cell outlined (green matched, orange inferred), a tick from the cell's
// centre toward its top edge showing the character's up direction, the fitted lines in
// blue, and the target character printed beside each cell.
#pragma once

#include "vxPelBuffer.h"
#include "vxToolReport.h"

#include <string>

// Draws `report` over `image` (whose client-from-image transform places the report's
// client coordinates) and writes the picture to `path` (PNG by the ".png" extension
// when available, PPM otherwise). Throws vxToolError when the file cannot be written.
void vfToolWriteOverlay(const std::string& path, const vxPelBuffer_const<unsigned char>& image,
                        const vxToolReport& report);
