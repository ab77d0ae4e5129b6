// Edge detection: edgelets (sub-pixel edge points with a gradient direction and
// strength) of an 8-bit image.
//
// The gradient is a derivative of Gaussian of standard deviation `sigma`, normalised
// so that a linear ramp of s grey levels per pixel has gradient magnitude s (a sharp
// step of contrast C peaks at about 0.4 C / sigma). Thinned edgelets are the local
// maxima of the magnitude across the edge, placed to sub-pixel accuracy by fitting a
// Gaussian (a parabola in log magnitude) to the magnitudes across the edge.
#pragma once

#include "vxAngle.h"
#include "vxException.h"
#include "vxPelBuffer.h"
#include "vxVector.h"

#include <cstddef>
#include <vector>

class vxDiagObject;

// A direction in 256 steps per turn: 0 is +x, 64 is +y (a quarter turn toward y).
class vxBinaryAngle {
public:
    constexpr vxBinaryAngle() = default;
    constexpr explicit vxBinaryAngle(unsigned char steps) : steps_(steps) {}
    // The nearest step to a (any real angle; halves round up).
    static vxBinaryAngle fromRadian(vxRadian a);

    constexpr unsigned char plain() const { return steps_; }
    // The angle in [0, 2 pi).
    vxRadian radian() const;
    friend constexpr bool operator==(vxBinaryAngle a, vxBinaryAngle b) = default;

private:
    unsigned char steps_ = 0;
};

class vxEdgeletParams {
public:
    enum EdgeType {
        eAllAboveThreshold = 0, // every pixel whose magnitude passes, at its centre
        eThinned = 1            // maxima across the edge only, at sub-pixel positions
    };

    // sigma outside [0.5, 8], a magnitude threshold that is negative or not finite, or
    // an edge type other than 0 or 1.
    class BadParams : public vx_ExceptionImpl<BadParams, 0x10000098> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
    };

    // sigma 1, threshold 10 grey levels per pixel, thinned.
    vxEdgeletParams() = default;
    // sigma: standard deviation of the gradient filter in pixels (0.5 to 8; below
    // about 0.8 the sampled filter is no longer isotropic and angles may be a few
    // steps off).
    // magnitudeThreshold: least gradient magnitude of an edgelet, in grey levels per
    // pixel. edgeType: an EdgeType value. Throws BadParams.
    vxEdgeletParams(double sigma, double magnitudeThreshold, int edgeType);

    double sigma() const { return sigma_; }
    double magnitudeThreshold() const { return threshold_; }
    EdgeType edgeType() const { return type_; }

private:
    double sigma_ = 1.0;
    double threshold_ = 10.0;
    EdgeType type_ = eThinned;
};

// One edge point. The angle is that of the grey-level gradient (pointing from dark to
// bright) in image coordinates.
class vxEdgelet {
public:
    vxEdgelet() = default;
    vxEdgelet(const vxVector<2>& posImage, const vxVector<2>& posClient, double magnitude,
              vxBinaryAngle angle)
        : posImage_(posImage), posClient_(posClient), magnitude_(magnitude), angle_(angle) {}

    const vxVector<2>& posImage() const { return posImage_; }
    const vxVector<2>& posClient() const { return posClient_; }
    // Gradient magnitude in grey levels per pixel.
    double magnitude() const { return magnitude_; }
    vxBinaryAngle angle() const { return angle_; }

private:
    vxVector<2> posImage_;
    vxVector<2> posClient_;
    double magnitude_ = 0.0;
    vxBinaryAngle angle_;
};

// The edgelets of one image, in raster order of the pixels they were found at.
class vxEdgeletSet {
public:
    using const_iterator = std::vector<vxEdgelet>::const_iterator;

    std::size_t size() const { return edgelets_.size(); }
    bool empty() const { return edgelets_.empty(); }
    // Edgelet i; i must be below size().
    const vxEdgelet& operator[](std::size_t i) const { return edgelets_[i]; }
    const_iterator begin() const { return edgelets_.begin(); }
    const_iterator end() const { return edgelets_.end(); }
    const std::vector<vxEdgelet>& edgelets() const { return edgelets_; }

    void clear() { edgelets_.clear(); }
    void reserve(std::size_t n) { edgelets_.reserve(n); }
    void add(const vxEdgelet& e) { edgelets_.push_back(e); }
    void swap(vxEdgeletSet& other) noexcept { edgelets_.swap(other.edgelets_); }

private:
    std::vector<vxEdgelet> edgelets_;
};

// Replaces `set` by the edgelets of image's window. Pixels outside the window are not
// read: the filter repeats the window's edge pixels, so the window's border itself
// shows no edge. Client positions come through the image's client-from-image
// transform. Polls vxAttention::check once per row. `diag` and `diagFlags` are
// accepted for the tool interface and record nothing.
// Throws vxPel::UnboundWindow for an unbound image; `set` is left as it was when
// anything throws. Provided for T = unsigned char.
template <class T>
void vfEdgeDetect(const vxPelBuffer_const<T>& image, const vxEdgeletParams& params,
                  vxEdgeletSet& set, vxDiagObject* diag = nullptr, unsigned long diagFlags = 0);
