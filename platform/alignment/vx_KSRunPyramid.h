// The run image's pyramid, care maps and gradients, kept per thread between alignment
// runs. Several patterns are usually run on one image in a row (one per character of
// a string); they share everything built here, so it is rebuilt only when the image,
// the mask or the contrast threshold changes, or a run needs levels not built yet.
// Reuse is decided by comparing the pixels themselves with a private copy, so an image
// changed in place is never mistaken for the one before.
#pragma once

#include "vx_KSGradient.h"

#include <cstdint>
#include <vector>

class vx_KSRunPyramid {
public:
    // Makes levels 0 to `top` ready: planes, care maps (with a mask; pixels of 128 and
    // above care), raw gradients from level `fine` up, and unit gradients (below
    // `contrast` set to 0) from `lowestUnit` up. `image` and `mask` point at the
    // windows' first pixels, `stride` and `maskStride` bytes apart; mask may be null.
    // Polls vxAttention::check after every few rows of work (about 64 K pixels); the
    // rows finished before a stop stay, and the next call goes on from them, so on a
    // large image a short time limit per run still lets successive runs get through.
    void prepare(const unsigned char* image, long stride, long w, long h, const unsigned char* mask,
                 long maskStride, int top, int fine, int lowestUnit, float contrast);

    const vx_KSGradient& raw(int level) const { return levels_[level].raw; }
    const vx_KSGradient& unit(int level) const { return levels_[level].unit; }
    // The care map of a level, or null when the run has no mask.
    const vx_KSPlane* care(int level) const { return hasMask_ ? &levels_[level].care : nullptr; }
    // A number that names a level's unit gradients and care map as they are now: it
    // changes whenever they are built again (another image, mask or contrast), and no
    // two builds in the process share one. Never 0.
    std::uint64_t stamp(int level) const { return levels_[level].stamp; }

private:
    // Each stage of a level counts the rows it has finished; a stage is ready when it
    // has them all.
    struct Level {
        vx_KSPlane plane; // level 0 holds a copy of the image window
        vx_KSPlane care;
        vx_KSGradient raw;
        vx_KSGradient unit;
        long planeRows = 0, careRows = 0, rawRows = 0, unitRows = 0;
        std::uint64_t stamp = 0; // 0 until prepare ends after a reset
        void resetFrom(bool plane, bool care, bool gradients);
    };

    // True when the first `rows` rows of the window's pixels equal `copy`'s (w wide);
    // polls vxAttention::check as it goes.
    static bool samePixels(const unsigned char* src, long stride, long w, long rows,
                           const vx_KSPlane& copy);

    std::vector<Level> levels_;
    vx_KSPlane maskCopy_;
    bool hasMask_ = false;
    float unitContrast_ = -1.0f;
};
