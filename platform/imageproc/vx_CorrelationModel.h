// Correlation models: a template image, its optional care mask, and the statistics
// of its care pixels that every correlation score needs.
#pragma once

#include "vxPelBuffer.h"

#include <cstdint>
#include <vector>

// Sums over a model's care pixels.
struct vx_CorrSums {
    std::int64_t sum = 0;   // of the grey levels
    std::int64_t sumSq = 0; // of their squares
};

template <class T> class vx_CorrelationModel;

template <> class vx_CorrelationModel<unsigned char> {
public:
    // An empty model: no pixels, no care pixels.
    vx_CorrelationModel() = default;
    // A model of image's window (the pixels are copied). Pixels whose mask value is 128
    // or more are care pixels; an unbound mask makes every pixel a care pixel. Throws
    // vxPel::UnboundWindow for an unbound image, vxPel::SizeMismatch for a bound mask
    // of another size, vx_CorrDefs::BadArgument for a window wider or higher than 32767
    // pixels or larger than 2^23 pixels.
    explicit vx_CorrelationModel(const vxPelBuffer_const<unsigned char>& image,
                                 const vxPelBuffer_const<unsigned char>& mask = {});

    // The model's own copies of the image and mask windows (the mask unbound when the
    // model has none), with the callers' windows and transforms.
    const vxPelBuffer_const<unsigned char>& image() const { return image_; }
    const vxPelBuffer_const<unsigned char>& mask() const { return mask_; }
    bool hasMask() const { return mask_.isBound(); }
    long width() const { return width_; }
    long height() const { return height_; }

    long nCarePels() const { return nCare_; }
    const vx_CorrSums& sums() const { return sums_; }
    // nCarePels() * sum of squares - sum^2: nCarePels()^2 times the care pixels'
    // variance in grey levels squared; 0 without care pixels.
    double variance() const { return variance_; }

    // Row-major copies for the correlators (rows width() apart): the grey levels with
    // don't-care pixels set to 0, and the care flags (1 or 0; empty without a mask).
    const std::vector<unsigned char>& pels() const { return pels_; }
    const std::vector<unsigned char>& care() const { return care_; }

private:
    vxPelBuffer_const<unsigned char> image_;
    vxPelBuffer_const<unsigned char> mask_;
    long width_ = 0;
    long height_ = 0;
    long nCare_ = 0;
    vx_CorrSums sums_;
    double variance_ = 0.0;
    std::vector<unsigned char> pels_;
    std::vector<unsigned char> care_;
};
