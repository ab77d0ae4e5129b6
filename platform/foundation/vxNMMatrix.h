// A dynamically sized matrix of doubles, stored row by row.
//
// Indices and sizes are long; an index outside the matrix, a negative size or a
// block that does not fit throws vxGeomDefs::BadIndex. New elements are 0.
// Archive form: version byte 0, rows and cols as unsigned long, then the rows * cols
// elements row by row as doubles. Loading checks both counts against the bytes
// left before it allocates (vxArchive::BadData otherwise).
#pragma once

#include "vxGeomDefs.h"

#include <vector>

class vxArchive;

class vxNMMatrix {
public:
    // The 0 by 0 matrix.
    vxNMMatrix() = default;
    // rows by cols, every element `value`.
    vxNMMatrix(long rows, long cols, double value = 0.0);

    long rows() const { return rows_; }
    long cols() const { return cols_; }

    double element(long r, long c) const { return e_[index_(r, c)]; }
    void element(long r, long c, double v) { e_[index_(r, c)] = v; }
    double operator()(long r, long c) const { return e_[index_(r, c)]; }
    double& operator()(long r, long c) { return e_[index_(r, c)]; }

    // Copies the block of src starting at (srcRow, srcCol) into this matrix at
    // (dstRow, dstCol). nRows and nCols of -1 mean "as many as fit in both
    // matrices"; an explicit block that does not fit either matrix throws, and
    // nothing is copied then. `m.copySub(old, 0, 0)` fills m with the top-left
    // block of old.
    void copySub(const vxNMMatrix& src, long srcRow, long srcCol, long nRows = -1, long nCols = -1,
                 long dstRow = 0, long dstCol = 0);
    void swapRows(long r1, long r2);
    void swapCols(long c1, long c2);
    // New size; the top-left block common to both sizes keeps its elements, the rest is 0.
    void resize(long rows, long cols);
    void fill(double v);

    friend bool operator==(const vxNMMatrix& a, const vxNMMatrix& b) {
        return a.rows_ == b.rows_ && a.cols_ == b.cols_ && a.e_ == b.e_;
    }

private:
    friend vxArchive& operator||(vxArchive& ar, vxNMMatrix& m);
    size_t index_(long r, long c) const {
        if (r < 0 || r >= rows_ || c < 0 || c >= cols_)
            throw vxGeomDefs::BadIndex(L"vxNMMatrix index out of range");
        return static_cast<size_t>(r) * static_cast<size_t>(cols_) + static_cast<size_t>(c);
    }
    long rows_ = 0;
    long cols_ = 0;
    std::vector<double> e_;
};

// Same size and every element within tol.
bool vfRealEq(const vxNMMatrix& a, const vxNMMatrix& b, double tol);

vxArchive& operator||(vxArchive& ar, vxNMMatrix& m);
