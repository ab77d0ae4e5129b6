// The records that carry the character search's findings to the arranger: the pose of
// one character (vx_Pose) and the per-position record the arranger keeps for every
// target position (vx_ArrangePositionInfo). Both are plain values without persistence.
#pragma once

#include "vxAffineRectangle.h"
#include "vxAngle.h"
#include "vxVector.h"
#include "vxXform.h"
#include "vx_OCExtractDefs.h"

// A character pose in client coordinates: origin, orientation and uniform scale.
// logScale is always the natural logarithm of scale (so -inf for scale 0).
class vx_Pose {
public:
    // Origin (0, 0), angle 0, scale 1.
    vx_Pose() = default;
    vx_Pose(const vxVector<2>& translation, vxRadian angle, double scale);

    const vxVector<2>& translation() const { return translation_; }
    void translation(const vxVector<2>& translation) { translation_ = translation; }
    vxRadian angle() const { return angle_; }
    void angle(vxRadian angle) { angle_ = angle; }
    double scale() const { return scale_; }
    // Sets the scale and its logarithm.
    void scale(double scale);
    double logScale() const { return logScale_; }

    // p -> scale R(angle) p + translation.
    vxXform<2> xform() const;
    // p -> R(angle) p + translation: the scale is dropped.
    vx2Rigid rigid() const;

    friend bool operator==(const vx_Pose&, const vx_Pose&) = default;

private:
    vxVector<2> translation_;
    vxRadian angle_;
    double scale_ = 1.0;
    double logScale_ = 0.0;
};

// The pose of a transform p -> M p + t: translation t, angle atan2(m10 - m01, m00 + m11)
// (the rotation of M's similarity part; 0 when both terms are exactly 0) and scale
// sqrt(|det M|), so a mirrored or sheared transform still gets a positive scale.
vx_Pose vf_PoseFromXform(const vxXform<2>& xform);

// What the arranger knows about one target position. The arrange driver sets isBlank
// and cell; the character search sets the rest.
class vx_ArrangePositionInfo {
public:
    vx_ArrangePositionInfo() = default;

    // The position's character model is a blank.
    bool isBlank() const { return isBlank_; }
    void isBlank(bool blank) { isBlank_ = blank; }

    // Whether leaving the position unmatched costs the unmatched-character cost (true
    // by default; the search clears it for a key that was not found at all).
    bool isCostedWhenUnmatched() const { return isCostedWhenUnmatched_; }
    void isCostedWhenUnmatched(bool costed) { isCostedWhenUnmatched_ = costed; }

    // The key's model image area in the model's client coordinates (the unit square by
    // default). Setting it also sets the two diagonals below.
    const vxAffineRectangle& cell() const { return cell_; }
    void cell(const vxAffineRectangle& cell);
    // cornerPx - cornerPy and cornerPx + cornerPy - 2 cornerPo of the cell.
    const vxVector<2>& cellDiagonal1() const { return diagonal1_; }
    const vxVector<2>& cellDiagonal2() const { return diagonal2_; }
    // The cell's extent along x and along y: the larger absolute component of the two
    // diagonals on each axis (the sides of the cell's axis-parallel bounding box).
    vxVector<2> cellExtent() const;

    // The character's rotational symmetry (none by default).
    vx_OCExtractDefs::Symmetry symmetry() const { return symmetry_; }
    void symmetry(vx_OCExtractDefs::Symmetry symmetry) { symmetry_ = symmetry; }

    // The model's own half turn: the pose at which it matched itself turned by 180
    // degrees (identity by default).
    const vxXform<2>& rot180Pose() const { return rot180Pose_; }
    void rot180Pose(const vxXform<2>& pose) { rot180Pose_ = pose; }

    // How many target positions carry this position's key (0 until the search sets it).
    int numOccurrences() const { return numOccurrences_; }
    void numOccurrences(int count) { numOccurrences_ = count; }

    // How many of the position's candidates, best first, the arrangement search tries.
    int candidateCount() const { return candidateCount_; }
    void candidateCount(int count) { candidateCount_ = count; }

    // Whether the arrangement search may leave the position unmatched (true by default).
    bool mayBeUnmatched() const { return mayBeUnmatched_; }
    void mayBeUnmatched(bool may) { mayBeUnmatched_ = may; }

private:
    bool isBlank_ = false;
    bool isCostedWhenUnmatched_ = true;
    vxAffineRectangle cell_;
    vxVector<2> diagonal1_{1.0, -1.0}; // of the default unit square
    vxVector<2> diagonal2_{1.0, 1.0};
    vx_OCExtractDefs::Symmetry symmetry_ = vx_OCExtractDefs::eNotSymmetric;
    vxXform<2> rot180Pose_;
    int numOccurrences_ = 0;
    int candidateCount_ = 0;
    bool mayBeUnmatched_ = true;
};
