// An alignment run: argument checks, the run image's pyramid, the coarse-to-fine
// search, the merging of overlapping results and the conversion to client poses.
#include "vxAttention.h"
#include "vxKSAlignPattern.h"
#include "vx_KSFootprint.h"
#include "vx_KSModel.h"
#include "vx_KSRunPyramid.h"
#include "vx_KSSearch.h"
#include "vx_KSStats.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kThresholdDropPerLevel = 0.1;
// Candidates come best first by their tracked score, which can lie far below the
// refined one when tracking ends off the true angle: once the results are full, the
// rest are dropped unrefined only this far below the worst of them.
constexpr double kSkipMargin = 0.2;

// Buffers kept per thread across runs: freshly mapped memory is page-faulted in on first
// touch, which alone would make a run several times slower.
struct Workspace {
    vx_KSRunPyramid pyramid;
    vx_KSSearchWork search;
    std::vector<vx_KSCandidate> candidates;
};

Workspace& workspace() {
    thread_local Workspace ws;
    return ws;
}

// The values a degree of freedom takes at one level: the zone sampled with `step` (a
// full-turn angle zone once around), or the nominal value alone.
void sampleAngles(bool free, double low, double high, double nominal, double step,
                  std::vector<double>& out) {
    out.clear();
    if (!free) {
        out.push_back(nominal);
        return;
    }
    if (high - low >= 2.0 * kPi - 1e-9) {
        const long n = std::max(1L, static_cast<long>(std::ceil(2.0 * kPi / step)));
        for (long i = 0; i < n; ++i)
            out.push_back(low + i * 2.0 * kPi / n);
        return;
    }
    const long n = std::max(1L, static_cast<long>(std::ceil((high - low) / step)));
    for (long i = 0; i < n; ++i)
        out.push_back(low + (i + 0.5) * (high - low) / n);
}

void sampleScales(bool free, double low, double high, double nominal, double logStep,
                  std::vector<double>& out) {
    out.clear();
    if (!free) {
        out.push_back(nominal);
        return;
    }
    const double span = std::log(high / low);
    const long n = std::max(1L, static_cast<long>(std::ceil(span / logStep)));
    for (long i = 0; i < n; ++i)
        out.push_back(low * std::exp((i + 0.5) * span / n));
}

// A pose search in pixel terms: zones and nominals with the client transforms taken out.
struct Space : vx_KSZone {
    double angleNominal = 0.0; // radians
    double scaleNominal = 1.0;
};

Space pixelSpace(const vx_KSRunParams& p, const vxXform<2>& trainCfi, const vxXform<2>& runCfi) {
    // pose_client = runCfi * pose_pixel * trainCfi^-1: with similarity client transforms
    // the angles add and the scales multiply.
    const double turn = runCfi.xRot().plain() - trainCfi.xRot().plain();
    const double ratio = runCfi.xScale() / trainCfi.xScale();
    Space s;
    s.freeAngle = (p.zoneEnable() & vx_KSDefs::eAngleZone) != 0;
    s.freeScale = (p.zoneEnable() & vx_KSDefs::eScaleZone) != 0;
    const vxRange az = p.zone(vx_KSDefs::eAngle), sz = p.zone(vx_KSDefs::eScale);
    const double deg = kPi / 180.0;
    s.angleLow = az.start() * deg - turn;
    s.angleHigh = az.end() * deg - turn;
    s.fullTurn = s.angleHigh - s.angleLow >= 2.0 * kPi - 1e-9;
    s.angleNominal = p.nominal(vx_KSDefs::eAngle) * deg - turn;
    s.scaleLow = sz.start() / ratio;
    s.scaleHigh = sz.end() / ratio;
    s.scaleNominal = p.nominal(vx_KSDefs::eScale) / ratio;
    return s;
}

// The pattern is never searched larger than the image nor smaller than this many
// pixels across: an accepted scale zone of 0.9 to 1e19 would otherwise ask for
// billions of angle steps and features mapped beyond any coordinate range.
constexpr double kMinPatternPixels = 4.0;

// Narrows the scale zone (or checks the held scale) to the scales at which the
// pattern's ink, `inkDiagonal` training pixels across, spans at least a few pixels and
// at most the run window's diagonal. Returns false when no scale is left or the space
// is not finite; nothing can be found then.
bool fitToImage(Space& s, double inkDiagonal, double windowDiagonal) {
    const double smallest = kMinPatternPixels / inkDiagonal;
    const double largest = std::max(smallest, windowDiagonal / inkDiagonal);
    if (!(std::isfinite(s.angleLow) && std::isfinite(s.angleHigh) &&
          std::isfinite(s.angleNominal)))
        return false;
    if (!s.freeScale) return s.scaleNominal >= smallest && s.scaleNominal <= largest;
    s.scaleLow = std::max(s.scaleLow, smallest);
    s.scaleHigh = std::min(s.scaleHigh, largest);
    return s.scaleLow <= s.scaleHigh;
}

double levelThreshold(double accept, int L, int fine) {
    return std::max(0.05 * accept, accept - kThresholdDropPerLevel * (L - fine));
}

// Mean nearest-pixel agreement and the share of features agreeing within 30 degrees,
// for runs that skip the least-squares refinement.
vx_KSRefined scoreUnrefined(const vx_KSLevel& level, int L, const vx_KSGradient& unit,
                            const vx_KSPlane* care, const vx_KSPose& pose) {
    const double u = std::ldexp(1.0, L), c = std::cos(pose.angle), s = std::sin(pose.angle);
    double sum = 0.0;
    long count = 0, found = 0;
    for (const vx_KSFeature& f : level.features) {
        const long x = static_cast<long>(std::floor(pose.x / u + pose.scale * (c * f.x - s * f.y)));
        const long y = static_cast<long>(std::floor(pose.y / u + pose.scale * (s * f.x + c * f.y)));
        const bool inside = x >= 0 && y >= 0 && x < unit.w && y < unit.h;
        if (inside && care && !care->pix[y * unit.w + x]) continue;
        ++count;
        if (!inside) continue;
        const double agree = std::max(0.0, (c * f.ux - s * f.uy) * unit.gx(y * unit.w + x) +
                                               (s * f.ux + c * f.uy) * unit.gy(y * unit.w + x));
        sum += agree;
        if (agree >= 0.866) ++found;
    }
    vx_KSRefined r;
    r.pose = pose;
    r.score = count ? sum / count : 0.0;
    r.coverage = count ? double(found) / count : 0.0;
    return r;
}

// Image edge pixels inside the footprint that no pattern feature explains, as a share of
// all the footprint's edge pixels (level L, window-local pose).
double clutterOf(const vx_KSModel& m, int L, const vx_KSGradient& g, bool raw, double contrast,
                 const vx_KSPlane* care, const vx_KSPose& pose) {
    const double u = std::ldexp(1.0, L);
    const double c = std::cos(pose.angle), s = std::sin(pose.angle);
    const double ox = 0.5 * m.window.width() / u, oy = 0.5 * m.window.height() / u;
    const double reach = pose.scale * std::hypot(ox, oy) + 1.0;
    const double tx = pose.x / u, ty = pose.y / u;
    long edges = 0, unexplained = 0;
    const float c2 = static_cast<float>(contrast * contrast);
    for (long y = std::max(0L, static_cast<long>(ty - reach));
         y < std::min(g.h, static_cast<long>(ty + reach) + 1); ++y)
        for (long x = std::max(0L, static_cast<long>(tx - reach));
             x < std::min(g.w, static_cast<long>(tx + reach) + 1); ++x) {
            const long i = y * g.w + x;
            const float m2 = g.gx(i) * g.gx(i) + g.gy(i) * g.gy(i);
            if (raw ? m2 < c2 : m2 == 0.0f) continue;
            if (care && !care->pix[i]) continue;
            const double dx = x + 0.5 - tx, dy = y + 0.5 - ty;
            const double px = (c * dx + s * dy) / pose.scale + ox;
            const double py = (-s * dx + c * dy) / pose.scale + oy;
            const long pi = static_cast<long>(std::floor(px)),
                       pj = static_cast<long>(std::floor(py));
            if (pi < 0 || pj < 0 || pi >= m.nearEdge.w || pj >= m.nearEdge.h) continue;
            ++edges;
            if (!m.nearEdge.pix[pj * m.nearEdge.w + pi]) ++unexplained;
        }
    return edges ? double(unexplained) / edges : 0.0;
}

// Thread CPU milliseconds since the last call (the first call starts the clock), so
// that stage times hold up on a busy machine.
class StageClock {
public:
    double lap() {
        const double now = cpuMs();
        const double ms = now - last_;
        last_ = now;
        return ms;
    }

private:
    static double cpuMs() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
    }
    double last_ = cpuMs();
};

} // namespace

vx_KSRunStats& vf_KSLastRunStats() {
    thread_local vx_KSRunStats stats;
    return stats;
}

void vxKSAlignPattern::run(const vxPelBuffer_const<unsigned char>& image,
                           const vxKSAlignRunParams& params, vxKSAlignResultSet& results,
                           vxDiagObject*, unsigned long) const {
    run_(image, nullptr, params, results);
}

void vxKSAlignPattern::run(const vxPelBuffer_const<unsigned char>& image,
                           const vxPelBuffer_const<unsigned char>& mask,
                           const vxKSAlignRunParams& params, vxKSAlignResultSet& results,
                           vxDiagObject*, unsigned long) const {
    run_(image, &mask, params, results);
}

void vxKSAlignPattern::run_(const vxPelBuffer_const<unsigned char>& image,
                            const vxPelBuffer_const<unsigned char>* mask,
                            const vxKSAlignRunParams& params, vxKSAlignResultSet& results) const {
    if (!model_) throw vx_KSDefs::NotTrained();
    if (!image.isBound() || image.width() <= 0 || image.height() <= 0)
        throw vx_KSDefs::BadImage(L"Run image is unbound or empty");
    if (mask &&
        (!mask->isBound() || mask->width() != image.width() || mask->height() != image.height()))
        throw vx_KSDefs::BadImage(L"Mask is unbound or differs in size from the image");
    const vx_KSModel& m = *model_;
    const vxPelRect win = image.window();
    const vxXform<2> trainCfi = trainImage_.clientFromImage()->linearXform(m.origin).xform();
    const vxVector<2> winCentre(win.x() + 0.5 * win.width(), win.y() + 0.5 * win.height());
    const vxXform<2> runCfiAtCentre = image.clientFromImage()->linearXform(winCentre).xform();
    Space space = pixelSpace(params, trainCfi, runCfiAtCentre);
    if (!fitToImage(space, std::hypot(m.inkBox.width(), m.inkBox.height()),
                    std::hypot(double(win.width()), double(win.height())))) {
        results.results_.clear();
        return;
    }
    const vx_KSZone& zone = space;
    const bool exhaustive = params.algorithm() == vx_KSDefs::eExhaustive;
    const int fine = m.fine;
    const int top = exhaustive ? fine : m.top;

    std::vector<vxKSAlignResult> found;
    std::vector<vxAffineRectangle> footprints;
    try {
        Workspace& ws = workspace();
        vx_KSRunStats& stats = vf_KSLastRunStats();
        stats = vx_KSRunStats();
        StageClock clock;
        const unsigned char* src = image.pointToPel(win.x(), win.y());
        const unsigned char* msrc =
            mask ? mask->pointToPel(mask->window().x(), mask->window().y()) : nullptr;
        const float contrast = static_cast<float>(params.contrastThreshold());
        // The fine level keeps raw gradients for the refinement; the levels searched or
        // tracked on need unit gradients (the fine level too when it is one of them).
        const bool refine = m.refine;
        const int lowestTracked = (refine && top > fine) ? fine + 1 : fine;
        vxAttention::check();
        ws.pyramid.prepare(src, image.rowUpdate(), win.width(), win.height(), msrc,
                           mask ? mask->rowUpdate() : 0, top, fine, lowestTracked, contrast);
        vxAttention::check();
        const vx_KSRunPyramid& pyramid = ws.pyramid;
        const auto careAt = [&](int L) { return pyramid.care(L); };
        const auto unitAt = [&](int L) -> const vx_KSGradient& { return pyramid.unit(L); };
        const vx_KSGradient& fineRaw = pyramid.raw(fine);
        stats.pyramidMs = clock.lap();

        // Exhaustive search of the top level.
        const vx_KSLevel& topLevel = m.levels[top];
        const double radius = std::max(topLevel.radius, 1.0);
        vx_KSGrid grid;
        if (exhaustive) {
            sampleAngles(space.freeAngle, space.angleLow, space.angleHigh, space.angleNominal,
                         kPi / 180.0, grid.angles);
            grid.scales.clear();
            if (space.freeScale)
                for (double s = space.scaleLow; s <= space.scaleHigh + 1e-9; s += 0.05)
                    grid.scales.push_back(s);
            else
                grid.scales.push_back(space.scaleNominal);
        } else {
            sampleAngles(space.freeAngle, space.angleLow, space.angleHigh, space.angleNominal,
                         2.0 / (radius * std::max(1.0, space.freeScale ? space.scaleHigh
                                                                       : space.scaleNominal)),
                         grid.angles);
            sampleScales(space.freeScale, space.scaleLow, space.scaleHigh, space.scaleNominal,
                         1.0 / radius, grid.scales);
        }
        const std::size_t budget = static_cast<std::size_t>(10 * params.numToFind() + 20);
        std::vector<vx_KSCandidate>& cands = ws.candidates;
        vf_KSSearchTop(topLevel, top, unitAt(top), careAt(top), pyramid.stamp(top), grid,
                       levelThreshold(params.acceptThreshold(), top, fine), budget,
                       std::max(1.0, 0.5 * radius), ws.search, cands);

        stats.topMs = clock.lap();
        stats.topCandidates = static_cast<long>(cands.size());

        // Track the candidates down the pyramid.
        for (int L = top - 1; L >= lowestTracked; --L) {
            const vx_KSLevel& level = m.levels[L];
            const double r = std::max(level.radius, 1.0);
            const double angleStep = space.freeAngle ? 1.0 / (r * space.scaleHigh) : 0.0;
            const double scaleStep = space.freeScale ? 1.0 / r : 0.0;
            const double threshold = levelThreshold(params.acceptThreshold(), L, fine);
            std::vector<vx_KSCandidate> kept;
            for (vx_KSCandidate& c : cands) {
                c.score =
                    vf_KSTrack(level, L, unitAt(L), careAt(L), angleStep, scaleStep, zone, c.pose);
                if (c.score >= threshold) kept.push_back(c);
            }
            std::stable_sort(kept.begin(), kept.end(),
                             [](const auto& a, const auto& b) { return a.score > b.score; });
            cands.swap(kept);
        }

        stats.trackMs = clock.lap();

        // Refine the survivors one by one, best first, merging overlapping results.
        const vxVector<2> offset(win.x(), win.y());
        const vxPtrHandle_const<vx2XformBase> runCfi = image.clientFromImage();
        const vxXform<2> trainIfc = trainCfi.inverse();
        const vxAffineRectangle footprint(m.inkBox);
        // Once numToFind results are kept, a candidate must beat the worst of them.
        const auto mustBeat = [&](const std::vector<vxKSAlignResult>& kept) {
            double floor = params.acceptThreshold();
            if (static_cast<long>(kept.size()) >= params.numToFind())
                floor = std::max(floor, kept.back().score());
            return floor;
        };
        for (const vx_KSCandidate& c : cands) {
            vxAttention::check();
            // Tracked scores run a little above refined ones (nearest pixels, coarser
            // levels), and candidates come best first: once the results are full, the
            // rest cannot displace any of them.
            if (static_cast<long>(found.size()) >= params.numToFind() &&
                c.score < found.back().score() - kSkipMargin)
                break;
            vx_KSRefined r =
                refine ? vf_KSRefine(m.levels[fine], fine, fineRaw, careAt(fine), contrast, zone,
                                     mustBeat(found), c.pose)
                       : scoreUnrefined(m.levels[fine], fine, unitAt(fine), careAt(fine), c.pose);
            if (r.abandoned) continue;
            double clutter = 0.0;
            if (params.scoreUsingClutter()) {
                clutter = clutterOf(m, fine, refine ? fineRaw : unitAt(fine), refine, contrast,
                                    careAt(fine), r.pose);
                r.score *= 1.0 - clutter;
            }
            const vxMatrix<2> mat = r.pose.scale * vxMatrix<2>::rotation(vxRadian(r.pose.angle));
            const vxXform<2> pixelPose(mat,
                                       vxVector<2>(r.pose.x, r.pose.y) + offset - mat * m.origin);
            const vxXform<2> pose =
                runCfi->linearXform(pixelPose.mapPoint(m.origin)).xform() * pixelPose * trainIfc;
            const vxKSAlignResult result(pose, r.score, r.coverage, clutter,
                                         r.score >= params.acceptThreshold());
            vf_KSMergeResult(result, footprint.map(pixelPose), params.xyOverlap(),
                             params.numToFind(), found, footprints);
            ++stats.refined;
        }
        stats.refineMs = clock.lap();
    } catch (const vxTimeout::Error&) {
        results.results_ = found;
        throw;
    } catch (const vxAttention::Aborted&) {
        results.results_.clear();
        throw vx_KSDefs::InternalError();
    }
    results.results_ = std::move(found);
}
