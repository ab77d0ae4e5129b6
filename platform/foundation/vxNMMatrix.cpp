// Dynamically sized matrices.
#include "vxNMMatrix.h"

#include "vxArchive.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {
void checkSize(long rows, long cols) {
    if (rows < 0 || cols < 0) throw vxGeomDefs::BadIndex(L"vxNMMatrix size must not be negative");
}
} // namespace

vxNMMatrix::vxNMMatrix(long rows, long cols, double value) : rows_(rows), cols_(cols) {
    checkSize(rows, cols);
    e_.assign(static_cast<size_t>(rows) * static_cast<size_t>(cols), value);
}

void vxNMMatrix::copySub(const vxNMMatrix& src, long srcRow, long srcCol, long nRows, long nCols,
                         long dstRow, long dstCol) {
    if (srcRow < 0 || srcCol < 0 || dstRow < 0 || dstCol < 0 || srcRow > src.rows_ ||
        srcCol > src.cols_ || dstRow > rows_ || dstCol > cols_ || nRows < -1 || nCols < -1)
        throw vxGeomDefs::BadIndex(L"vxNMMatrix block out of range");
    const long fitRows = std::min(src.rows_ - srcRow, rows_ - dstRow);
    const long fitCols = std::min(src.cols_ - srcCol, cols_ - dstCol);
    if (nRows == -1) nRows = fitRows;
    if (nCols == -1) nCols = fitCols;
    if (nRows > fitRows || nCols > fitCols)
        throw vxGeomDefs::BadIndex(L"vxNMMatrix block out of range");
    if (&src == this) {
        // Overlapping blocks of the same matrix: copy through a temporary.
        const vxNMMatrix copy(src);
        copySub(copy, srcRow, srcCol, nRows, nCols, dstRow, dstCol);
        return;
    }
    for (long r = 0; r < nRows; ++r)
        for (long c = 0; c < nCols; ++c)
            (*this)(dstRow + r, dstCol + c) = src(srcRow + r, srcCol + c);
}

void vxNMMatrix::swapRows(long r1, long r2) {
    if (r1 < 0 || r1 >= rows_ || r2 < 0 || r2 >= rows_)
        throw vxGeomDefs::BadIndex(L"vxNMMatrix row out of range");
    if (r1 == r2) return;
    auto a = e_.begin() + r1 * cols_, b = e_.begin() + r2 * cols_;
    std::swap_ranges(a, a + cols_, b);
}

void vxNMMatrix::swapCols(long c1, long c2) {
    if (c1 < 0 || c1 >= cols_ || c2 < 0 || c2 >= cols_)
        throw vxGeomDefs::BadIndex(L"vxNMMatrix column out of range");
    if (c1 == c2) return;
    for (long r = 0; r < rows_; ++r)
        std::swap((*this)(r, c1), (*this)(r, c2));
}

void vxNMMatrix::resize(long rows, long cols) {
    checkSize(rows, cols);
    vxNMMatrix m(rows, cols);
    m.copySub(*this, 0, 0);
    *this = std::move(m);
}

void vxNMMatrix::fill(double v) {
    std::fill(e_.begin(), e_.end(), v);
}

bool vfRealEq(const vxNMMatrix& a, const vxNMMatrix& b, double tol) {
    if (a.rows() != b.rows() || a.cols() != b.cols()) return false;
    for (long r = 0; r < a.rows(); ++r)
        for (long c = 0; c < a.cols(); ++c)
            if (!vfRealEq(a(r, c), b(r, c), tol)) return false;
    return true;
}

vxArchive& operator||(vxArchive& ar, vxNMMatrix& m) {
    ar.transferVersion(0, 0, "vxNMMatrix");
    unsigned long rows = static_cast<unsigned long>(m.rows_);
    unsigned long cols = static_cast<unsigned long>(m.cols_);
    ar || rows || cols;
    if (ar.isStoring()) {
        for (double& d : m.e_)
            ar || d;
        return ar;
    }
    // Both counts must fit a long, and rows * cols doubles must fit into what is
    // left (checked without forming a product that could overflow). A matrix with
    // no elements costs nothing, whatever its other count.
    const unsigned long left = ar.remaining() / sizeof(double);
    const unsigned long maxDim = static_cast<unsigned long>(std::numeric_limits<long>::max());
    if (rows > maxDim || cols > maxDim)
        throw vxArchive::BadData(L"Archive holds an invalid matrix size");
    if (rows != 0 && cols != 0 && (cols > left || rows > left / cols))
        throw vxArchive::BadData(L"Archive holds a matrix larger than its remaining data");
    vxNMMatrix loaded(static_cast<long>(rows), static_cast<long>(cols));
    for (double& d : loaded.e_)
        ar || d;
    m = std::move(loaded);
    return ar;
}
