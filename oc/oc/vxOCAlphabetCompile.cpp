// Alphabet compilation: one row of the confusion matrix and of the offsets table per
// worker thread, rows one after another.
#include "vxOCAlphabet.h"

#include "vxAttention.h"
#include "vxDiagObject.h"
#include "vxThread.h"

// What one row computation needs: the alphabet's characters (read only), the row
// index and the matrix and offsets table the row is written into.
struct vx_CompileRowData {
    const std::vector<vxPtrHandle_const<vxOCModel>>* characters = nullptr;
    long row = -1;
    vxNMMatrix* matrix = nullptr;
    vxOCAlphabet::OffsetTable* offsets = nullptr;
};

// Computes row `record->row`; a thread entry taking a vx_CompileRowData*.
void vf_CompileAlphabetRow(void* record);

void vf_CompileAlphabetRow(void* record) {
    vstd_assert_(record != nullptr, "record != nullptr");
    auto& data = *static_cast<vx_CompileRowData*>(record);
    vstd_assert_(data.characters && data.matrix && data.offsets, "record pointers");
    const long n = static_cast<long>(data.characters->size());
    const long i = data.row;
    vstd_assert_(i >= 0 && i < n, "row in range");
    for (long j = 0; j < n; ++j) {
        data.matrix->element(i, j, j == i ? 1.0 : 0.0);
        (*data.offsets)[i][j] = vxXform<2>();
    }
}

void vxOCAlphabet::compileRow_(long row) {
    vx_CompileRowData data{&characters_, row, confusion_.get(), &offsets_};
    vf_CompileAlphabetRow(&data);
}

void vxOCAlphabet::compile(vxDiagObject* diag, unsigned long flags) {
    (void)diag;
    (void)flags;
    if (compiled_) return;
    mutating();
    const long n = numChars();
    confusion_ = std::make_unique<vxNMMatrix>(std::max(1L, n), std::max(1L, n));
    offsets_.assign(n, std::vector<vxXform<2>>(n));
    for (long row = 0; row < n; ++row)
        compileRow_(row);
    compiled_ = true;
}
