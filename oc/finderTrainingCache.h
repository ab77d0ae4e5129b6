// What training makes of one character model, kept between finder runs. A production
// line arranges image after image against one alphabet, and training a character (its
// pattern, its suitability and its symmetry tests, six runs of the pattern) costs about
// as much as searching the image for it, so the finder trains each model once and
// reuses the outcome while the model's pixels and the granularity stay the same.
#pragma once

#include "vxKSAlignPattern.h"
#include "vxOCModel.h"
#include "vxPelBuffer.h"
#include "vxRepBase.h"
#include "vxXform.h"
#include "vx_OCExtractDefs.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

struct vx_OCTrainedCharacter {
    // Null when the character is unsuitable for alignment or no training attempt
    // succeeded.
    std::shared_ptr<const vxKSAlignPattern> pattern;
    double spread = 0.0;
    // Filled by the symmetry tests, which run after training.
    std::optional<std::pair<vx_OCExtractDefs::Symmetry, vxXform<2>>> symmetry;
};

class vx_OCTrainingCache {
public:
    // What identifies a training: the model (held, so that its address never comes to
    // name another model), a fingerprint of everything training reads from it (its
    // image window's pixels and client transform, area and type), and the grain limits.
    struct Key {
        vxPtrHandle_const<vxOCModel> model;
        std::uint64_t fingerprint = 0;
        std::pair<double, double> grainLimits;
    };
    // The key of training `model`, whose image windowed to its area is `window`
    // (unbound when it has none).
    static Key keyOf(const vxPtrHandle_const<vxOCModel>& model,
                     const vxPelBuffer_const<unsigned char>& window,
                     std::pair<double, double> grainLimits);

    // The entry stored under an equal key, or null; a hit becomes the most recent.
    static std::shared_ptr<const vx_OCTrainedCharacter> find(const Key& key);
    // Stores (or replaces) the entry; the least recently used beyond the capacity go.
    static void store(const Key& key, std::shared_ptr<const vx_OCTrainedCharacter> entry);

    static constexpr std::size_t kCapacity = 256;
};

// The training of `model` at these grain limits (as the finder's parameters give them;
// -1 in either lets the tool choose), taken from the cache or trained as the finder
// trains and stored. A blank, or a model without image or area, gets no pattern. Time
// limits and abort requests pass out, and nothing is stored then.
std::shared_ptr<const vx_OCTrainedCharacter>
vf_OCTrainedCharacter(const vxPtrHandle_const<vxOCModel>& model,
                      std::pair<double, double> grainLimits);
