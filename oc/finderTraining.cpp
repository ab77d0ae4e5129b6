// Finder training: one alignment pattern per distinct target key, the search order by
// edge spread, and each character's rotational symmetry.
#include "vx_OCExtract.h"

#include "finderTrainingCache.h"

#include "vxAttention.h"
#include "vxEdgeDetect.h"
#include "vxTimer.h"
#include "vx_OCAffineTransform.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace {

constexpr auto kBilinear = static_cast<vxAffineSamplingParams::Interpolation>(2);
// Character images smaller than this on either side are enlarged twice for the tool.
constexpr long kSmallSide = 15;
constexpr long kTrainModeAll = 3;

bool isSmall(const vxPelBuffer_const<unsigned char>& image) {
    return image.width() < kSmallSide || image.height() < kSmallSide;
}

// The model's image windowed to its image area; unbound when it has no bound image or
// an empty area.
vxPelBuffer_const<unsigned char> characterWindow(const vxOCModel& model) {
    vxPelBuffer_const<unsigned char> window;
    if (!model.image().isBound() || model.imageArea().width() <= 0 ||
        model.imageArea().height() <= 0)
        return window;
    window = model.image();
    window.window(model.imageArea(), false);
    return window;
}

const vxPtrHandle_const<vxOCModel>* modelOf(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                                            long key) {
    if (!alphabet) return nullptr;
    const long index = alphabet->characterIndex(key);
    return index < 0 ? nullptr : &alphabet->characters()[static_cast<std::size_t>(index)];
}

// Trains the pattern of one character window (or finds it unsuitable). A time limit
// or abort passes out; nothing is cached then.
std::shared_ptr<const vx_OCTrainedCharacter>
trainCharacter(const vxPelBuffer_const<unsigned char>& window, bool autoGrain, double coarse,
               double fine) {
    auto out = std::make_shared<vx_OCTrainedCharacter>();
    vxPelBuffer<unsigned char> enlarged;
    if (isSmall(window)) vf_AffineTransform(window, vxRadian(0.0), 2.0, enlarged, kBilinear);
    const vxPelBuffer_const<unsigned char> trainImage =
        isSmall(window) ? vxPelBuffer_const<unsigned char>(enlarged) : window;

    double spread = 0.0;
    if (vf_IsUnsuitableForAlignment_(trainImage, &spread)) return out;

    // The second attempt trains at full resolution only, which succeeds where the
    // coarse levels lose too many features.
    auto pattern = std::make_shared<vxKSAlignPattern>();
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            if (attempt == 0) {
                pattern->autoSelectGrainLimits(autoGrain);
                if (!autoGrain)
                    pattern->grainLimits(static_cast<float>(coarse), static_cast<float>(fine));
            } else {
                pattern->autoSelectGrainLimits(false);
                pattern->grainLimits(1.0, 1.0);
            }
            pattern->train(trainImage, kTrainModeAll, nullptr, 0);
            out->pattern = std::move(pattern);
            out->spread = spread;
            return out;
        } catch (const vx_KSDefs::Errors&) {
            // the tool's message is not needed: the character simply gets no pattern
        }
    }
    return out;
}

bool sameTrainingImage(const vxKSAlignPattern& a, const vxKSAlignPattern& b) {
    const vxPelBuffer_const<unsigned char>& x = a.trainImage();
    const vxPelBuffer_const<unsigned char>& y = b.trainImage();
    if (!x.isBound() || !y.isBound() || x.window() != y.window()) return false;
    return x.pointToPel(x.window().x(), x.window().y()) ==
           y.pointToPel(y.window().x(), y.window().y());
}

} // namespace

std::shared_ptr<const vx_OCTrainedCharacter>
vf_OCTrainedCharacter(const vxPtrHandle_const<vxOCModel>& model,
                      std::pair<double, double> grainLimits) {
    const vxPelBuffer_const<unsigned char> window = characterWindow(*model);
    if (model->charType() == vxOCModel::eBlank || !window.isBound())
        return std::make_shared<vx_OCTrainedCharacter>();
    const vx_OCTrainingCache::Key key = vx_OCTrainingCache::keyOf(model, window, grainLimits);
    if (std::shared_ptr<const vx_OCTrainedCharacter> found = vx_OCTrainingCache::find(key))
        return found;
    const bool autoGrain = grainLimits.first == -1.0 || grainLimits.second == -1.0;
    // The tool takes the coarser granularity first.
    const double coarse = std::max(grainLimits.first, grainLimits.second);
    const double fine = std::min(grainLimits.first, grainLimits.second);
    std::shared_ptr<const vx_OCTrainedCharacter> trained =
        trainCharacter(window, autoGrain, coarse, fine);
    vx_OCTrainingCache::store(key, trained);
    return trained;
}

vx_OCExtractModel::vx_OCExtractModel() {
    init();
}

vx_OCExtractModel::~vx_OCExtractModel() {
    init();
}

void vx_OCExtractModel::init() {
    for (vxKSAlignPattern* p : patterns_)
        delete p;
    patterns_.clear();
    occurrences_.clear();
    keys_.clear();
    searchOrder_.clear();
    diagText_.str(L""); // clear() alone resets only the stream's state flags
    diagText_.clear();
}

void vx_OCExtractModel::train_(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                               const std::vector<long>& targetKeys,
                               vx_OCExtractStringResult& result, vxDiagObject*, unsigned long) {
    vxTimer timer(true);
    keys_ = targetKeys;
    std::sort(keys_.begin(), keys_.end());
    keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());
    const std::size_t n = keys_.size();
    occurrences_.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i)
        occurrences_[i] = std::count(targetKeys.begin(), targetKeys.end(), keys_[i]);
    result.trainTime_ = 0.0;

    for (vxKSAlignPattern* p : patterns_)
        delete p;
    patterns_.assign(n, nullptr);
    searchOrder_.clear();
    std::vector<std::pair<long, double>> ranking(n);

    for (std::size_t i = 0; i < n; ++i) {
        vxAttention::check();
        ranking[i] = {static_cast<long>(i), 0.0};
        const vxPtrHandle_const<vxOCModel>* model = modelOf(alphabet, keys_[i]);
        if (!model) continue;
        const std::shared_ptr<const vx_OCTrainedCharacter> trained =
            vf_OCTrainedCharacter(*model, params_.grainLimits);
        if (!trained->pattern) continue;
        patterns_[i] = new vxKSAlignPattern(*trained->pattern);
        ranking[i].second = trained->spread;
    }

    std::stable_sort(ranking.begin(), ranking.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    for (const auto& entry : ranking)
        searchOrder_.push_back(entry.first);

    computeModelSymmetries_(alphabet, nullptr, 0);
    timer.stop();
    result.trainTime_ += timer.msec();
}

void vx_OCExtractModel::computeModelSymmetries_(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                                                vxDiagObject*, unsigned long) {
    const std::size_t n = patterns_.size();
    symmetries_.assign(n, vx_OCExtractDefs::eNotSymmetric);
    rot180Poses_.assign(n, vxXform<2>());
    static constexpr std::array<double, 5> kTestAngles{-65.0, -29.0, 32.0, 45.0, 96.0};
    for (std::size_t i = 0; i < n; ++i) {
        vxAttention::check();
        if (!patterns_[i]) continue;
        const vxPtrHandle_const<vxOCModel>* model = modelOf(alphabet, keys_[i]);
        vstd_assert_(model != nullptr, "a trained character is in the alphabet");
        const vxPelBuffer_const<unsigned char> image = characterWindow(**model);
        const vx_OCTrainingCache::Key cacheKey =
            vx_OCTrainingCache::keyOf(*model, image, params_.grainLimits);
        const std::shared_ptr<const vx_OCTrainedCharacter> trained =
            vx_OCTrainingCache::find(cacheKey);
        // The cached symmetry holds only for the cached pattern (copies share its
        // training image).
        const bool cachedPattern =
            trained && trained->pattern && sameTrainingImage(*trained->pattern, *patterns_[i]);
        if (cachedPattern && trained->symmetry) {
            symmetries_[i] = trained->symmetry->first;
            rot180Poses_[i] = trained->symmetry->second;
            continue;
        }
        vxXform<2> halfTurn;
        const bool r180 = vf_MatchesRotated_(image, *patterns_[i], 180.0, &halfTurn);
        if (r180) rot180Poses_[i] = halfTurn;
        bool all = r180;
        for (std::size_t a = 0; a < kTestAngles.size() && all; ++a) {
            vxXform<2> dropped;
            all = vf_MatchesRotated_(image, *patterns_[i], kTestAngles[a], &dropped);
        }
        symmetries_[i] = all    ? vx_OCExtractDefs::eRotationallySymmetric
                         : r180 ? vx_OCExtractDefs::eSymmetric180
                                : vx_OCExtractDefs::eNotSymmetric;
        if (cachedPattern) {
            auto filled = std::make_shared<vx_OCTrainedCharacter>(*trained);
            filled->symmetry.emplace(symmetries_[i], rot180Poses_[i]);
            vx_OCTrainingCache::store(cacheKey, std::move(filled));
        }
    }
}

bool vf_IsUnsuitableForAlignment_(const vxPelBuffer_const<unsigned char>& image, double* spread) {
    *spread = 0.0;
    vxEdgeletSet edges;
    vfEdgeDetect<unsigned char>(image, vxEdgeletParams(1.0, 10.0, 1), edges, nullptr, 0);
    const long n = static_cast<long>(edges.size());
    if (n < 25) return true;

    // Directions folded over a half turn into 128 bins; the window is 20 degrees
    // rounded up to whole bins, and the histogram wraps around.
    constexpr int kBins = 128;
    constexpr int kWindow = (kBins + 8) / 9; // ceil(128 / 9) = 15
    std::array<long, kBins + kWindow> bins{};
    for (const vxEdgelet& e : edges)
        ++bins[e.angle().plain() & 127];
    for (int b = 0; b < kWindow; ++b)
        bins[kBins + b] = bins[b];

    const double half = n * 0.5;
    long s = 0;
    for (int b = 0; b < kWindow; ++b)
        s += bins[b];
    if (s > half) return true;
    long best = s;
    for (int start = 1; start < kBins; ++start) {
        s = s - bins[start - 1] + bins[start - 1 + kWindow];
        if (s > best) {
            best = s;
            if (s > half) return true;
        }
    }
    *spread = static_cast<double>(n - best);
    return false;
}

bool vf_MatchesRotated_(const vxPelBuffer_const<unsigned char>& image,
                        const vxKSAlignPattern& pattern, double testAngle, vxXform<2>* pose) {
    const double factor = isSmall(image) ? 2.0 : 1.0;
    vxPelBuffer<unsigned char> turned;
    vf_AffineTransform(image, vxRadian(vxDegree(testAngle)), factor, turned, kBilinear);

    // The turned image keeps the source's client coordinates, so holding the pose at
    // minus the test angle there holds the pattern upright over the turned pixels.
    vxKSAlignRunParams params;
    params.acceptThreshold(0.3);
    params.algorithm(vx_KSDefs::eCoarseToFine);
    params.scoreUsingClutter(false);
    params.contrastThreshold(10.0);
    params.xyOverlap(0.3);
    params.numToFind(1);
    params.nominal(vx_KSDefs::eAngle, -testAngle);

    vxKSAlignResultSet set;
    pattern.run(turned, params, set, nullptr, 0);
    std::vector<vxKSAlignResult> usable;
    vf_AcceptedResults_(set, usable);
    if (usable.empty() || !usable.front().accepted()) return false;
    *pose = usable.front().pose();
    return usable.front().score() > 0.7;
}

void vf_AcceptedResults_(const vxKSAlignResultSet& set, std::vector<vxKSAlignResult>& out) {
    out.clear();
    for (const vxKSAlignResult& r : set.results())
        if (r.accepted() && r.coverage() >= 0.0) out.push_back(r);
    if (out.empty()) out = set.results();
}
