// Diagnostics as plain text, for tests and for command-line inspection.
#pragma once

#include "vxDiagObject.h"

#include <string>

// Every record in order. A record's lines are indented by two blanks per level (levels
// beyond 100 are shown at 100):
//   [index] title
//     image W x H at (X, Y)                          (when it has an image)
//     text "name":                                    (per text annotation)
//       each line of the text
//     graphics "name" (image|client coordinates): N   (per graphics annotation)
//       one vfDescribeGraphic line per graphic
// Every line ends with "\n".
std::wstring vfDiagToText(const vxDiagObject& diag);
// One record in the same form; `index` is the number shown in brackets.
std::wstring vfDiagRecordToText(const vxDiagRecord& record, long index);
