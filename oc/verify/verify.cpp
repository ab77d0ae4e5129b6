// Verification: the arranger places the target's characters; then, at every matched
// position, the finder looks for the expected character and for every character the
// alphabet can confuse with it within a few pixels and degrees of the placed pose, at
// the placed scale, and the expected one passes only when it clearly wins.
#include "vxOCVerify.h"

#include "../finderTrainingCache.h"

#include "vxAttention.h"
#include "vxDiagObject.h"
#include "vxGraphicList.h"
#include "vxNumText.h"
#include "vxOCArrange.h"
#include "vxOCImageUtilities.h"
#include "vxOCLine.h"
#include "vx_OCAffineTransform.h"
#include "vx_OCExtract.h"
#include "vx_OCRefinement.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <sstream>

void vf_OCVerifyFill_(vxOCVerifyResults& r, vxOCArrangeResults&& arranged,
                      std::vector<vxOCVerifyDefs::Verdict>&& verdicts, std::vector<long>&& readsAs,
                      std::vector<double>&& scores, std::vector<double>&& rivalScores,
                      std::vector<vxXform<2>>&& poses) {
    r.arrange_ = std::move(arranged);
    r.verdicts_ = std::move(verdicts);
    r.readsAs_ = std::move(readsAs);
    r.scores_ = std::move(scores);
    r.rivalScores_ = std::move(rivalScores);
    r.poses_ = std::move(poses);
    r.pass_ = std::all_of(r.verdicts_.begin(), r.verdicts_.end(),
                          [](vxOCVerifyDefs::Verdict v) { return v == vxOCVerifyDefs::ePass; });
}

namespace {

// The code of the verification's own per-character time limit, told apart from a
// caller's.
constexpr unsigned long kTimeoutCode = 0x80000065;

// Where the arranger put a position, in the image's client frame: the transform from
// the model's client frame (with the character's scale) and the cell centre.
struct Placement {
    vxXform<2> pose;
    vxVector<2> centre;
    double angleDegrees = 0.0;
    double scale = 1.0;
    long line = -1;
};

vxVector<2> cellCentreOf(const vxOCModel& model) {
    const vxPelRect& a = model.imageArea();
    const vxVector<2> c(static_cast<double>(a.x()) + 0.5 * static_cast<double>(a.width()),
                        static_cast<double>(a.y()) + 0.5 * static_cast<double>(a.height()));
    return model.image().clientFromImageXform().mapPoint(c);
}

vxVector<2> centreOf(const vxAffineRectangle& r) {
    return r.cornerPo() + 0.5 * (r.cornerPx() - r.cornerPo()) + 0.5 * (r.cornerPy() - r.cornerPo());
}

// The placements of every position, in target order (the lines hold every position
// once, in order).
std::vector<Placement> placementsOf(const vxOCArrangeResults& results, const vxOCAlphabet& alphabet,
                                    const std::vector<long>& keys) {
    std::vector<Placement> out;
    const vxOCLineArrangement& arrangement = *results.arrangement();
    for (long j = 0; j < arrangement.numLines(); ++j) {
        const vxOCLine& line = *arrangement.lines()[static_cast<std::size_t>(j)];
        const vx2Rigid& linePose = arrangement.linePoses()[static_cast<std::size_t>(j)];
        for (long k = 0; k < line.numPositions(); ++k) {
            const double scale = line.charScales()[static_cast<std::size_t>(k)];
            Placement p;
            p.pose = results.clientFromArrangementXform() * linePose.linear() *
                     line.charPoses()[static_cast<std::size_t>(k)].linear() *
                     vxXform<2>(vxMatrix<2>::scaling(scale, scale), vxVector<2>());
            const std::size_t i = out.size();
            if (i < keys.size() && alphabet.hasCharacter(keys[i]))
                p.centre = p.pose.mapPoint(cellCentreOf(*alphabet.character(keys[i])));
            p.angleDegrees = p.pose.xRot().plain() * 180.0 / std::numbers::pi;
            p.scale = p.pose.xScale();
            p.line = j;
            out.push_back(p);
        }
    }
    return out;
}

// The characters the alphabet can confuse with `key`, either way, that can be looked
// for (normal models).
std::vector<long> rivalsOf(const vxOCAlphabet& alphabet, long key) {
    std::vector<long> rivals;
    for (const auto& model : alphabet.characters()) {
        if (!model || model->key() == key || model->charType() != vxOCModel::eNormal) continue;
        if (alphabet.areConfusable(key, model->key()) || alphabet.areConfusable(model->key(), key))
            rivals.push_back(model->key());
    }
    return rivals;
}

// A character's alignment pattern, trained as the finder trains it, from the cache the
// finder shares (a production line verifies image after image against one alphabet,
// and training costs more than running in a small window). Null for a character the
// finder cannot align (a blank, too few or too one-sided edges).
std::shared_ptr<const vxKSAlignPattern> patternOf(const vxPtrHandle_const<vxOCModel>& model) {
    return vf_OCTrainedCharacter(model, {-1.0, -1.0})->pattern;
}

// A character looked for near a placement: its best score there and the cell (image
// client frame) where it scored so.
struct Sighting {
    double score = 0.0;
    vxAffineRectangle cell;
};

// The best sighting of each of `keys` whose cell centre lies within verifyParams' reach of
// the placement's centre, found by the alignment tool (scored as the finder scores) in
// a window around it, within the angle range of the placed angle and 5 % of the placed
// scale. 0 for a character without a pattern or not found.
std::vector<Sighting> scoresAt(const vxPelBuffer_const<unsigned char>& image,
                               const vxPelBuffer_const<unsigned char>& mask,
                               const vxOCAlphabet& alphabet, const std::vector<long>& keys,
                               const Placement& place, const vxOCArrangeParams& arrangeParams,
                               const vxOCVerifyParams& params) {
    std::vector<Sighting> best(keys.size());
    // The window holds the largest of the characters' cells around the centre, and the
    // reach on every side.
    double radius = 0.0;
    for (long key : keys) {
        const vxPelRect& a = alphabet.character(key)->imageArea();
        radius = std::max(radius, 0.5 * std::hypot(double(a.width()), double(a.height())));
    }
    const double reach = params.xyRange() * place.scale;
    // A rival counts a little further off: a look-alike's cell need not be centred where
    // the expected character's is (a 1 found on the stem of a 4 lies right of the 4's
    // centre), so it may lie a quarter of the expected cell's width further.
    const vxOCModel& expected = *alphabet.character(keys[0]);
    const double unitsPerPixel =
        std::sqrt(std::fabs(expected.image().clientFromImageXform().matrix().determinant()));
    const double rivalReach =
        reach + 0.25 * place.scale * unitsPerPixel *
                    double(std::min(expected.imageArea().width(), expected.imageArea().height()));
    const vxXform<2> imageFromClient = image.imageFromClientXform();
    const double pixelsPerUnit = std::sqrt(std::fabs(imageFromClient.matrix().determinant()));
    const double half = (radius * place.scale + reach) * pixelsPerUnit + 2.0;
    const vxVector<2> c = imageFromClient.mapPoint(place.centre);
    if (!std::isfinite(c.x()) || !std::isfinite(c.y()) || !std::isfinite(half)) return best;
    const vxPelRect window = vxRect(c.x() - half, c.y() - half, 2.0 * half, 2.0 * half)
                                 .enclosePelRect()
                                 .intersect(image.window());
    if (window.width() < 8 || window.height() < 8) return best;
    vxPelBuffer_const<unsigned char> view = image;
    view.window(window, false);
    vxPelBuffer_const<unsigned char> maskView = mask;
    if (mask.isBound()) maskView.window(window, false);

    vxKSAlignRunParams run;
    run.acceptThreshold(0.1);
    run.algorithm(vx_KSDefs::eCoarseToFine);
    run.zoneEnable(vx_KSDefs::eAngleZone | vx_KSDefs::eScaleZone);
    run.zone(vx_KSDefs::eAngle, place.angleDegrees - params.angleRange(),
             place.angleDegrees + params.angleRange());
    run.zone(vx_KSDefs::eScale, place.scale / 1.05, place.scale * 1.05);
    run.scoreUsingClutter(false);
    // Lower than the finder's: the window is small and the character known to be there,
    // and a print at the dark end of an illumination gradient has edges of a few grey
    // levels per pixel.
    run.contrastThreshold(5.0);
    run.xyOverlap(0.2);
    run.numToFind(3); // a neighbour printed alike may be in the window too
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const std::shared_ptr<const vxKSAlignPattern> pattern =
            patternOf(alphabet.character(keys[k]));
        if (!pattern) continue;
        // A rival scoring well below the expected character cannot change the verdict,
        // and a higher threshold lets the tool drop its candidates early; those within
        // 0.05 are still reported.
        if (k > 0)
            run.acceptThreshold(std::clamp(best[0].score - params.margin() - 0.05, 0.1, 1.0));
        vxKSAlignResultSet set;
        try {
            vxAttentionTag limit(true);
            limit.attachTimeoutCustom(arrangeParams.timeout(), kTimeoutCode);
            if (mask.isBound())
                pattern->run(view, maskView, run, set, nullptr, 0);
            else
                pattern->run(view, run, set, nullptr, 0);
        } catch (const vxTimeout::InternalExpired& e) {
            if (e.code() != kTimeoutCode) throw; // an outer library's limit
        } catch (const vx_KSDefs::InternalError&) {
            if (vxAttention::isAbortRequested()) vxAttention::check();
        }
        const vxXform<2> trainClientFromImage =
            pattern->trainClientFromImage()->linearXform(vxVector<2>(0.0, 0.0)).xform();
        const vxPelRect trainWindow = pattern->trainImage().window();
        for (long i = 0; i < set.numResults(); ++i) {
            const vx_OCExtractCharInstance found(set.results()[static_cast<std::size_t>(i)],
                                                 trainClientFromImage, trainWindow);
            if ((centreOf(found.affRect()) - place.centre).length() <=
                    (k == 0 ? reach : rivalReach) &&
                found.score() > best[k].score)
                best[k] = {found.score(), found.affRect()};
        }
    }
    return best;
}

// A placement of `model` with its cell centre at `centre`.
Placement placedAt(const vxVector<2>& centre, double angleDegrees, double scale, long line,
                   const vxOCModel& model) {
    Placement p;
    p.centre = centre;
    p.angleDegrees = angleDegrees;
    p.scale = scale;
    p.line = line;
    const vxRadian angle(angleDegrees * std::numbers::pi / 180.0);
    const vxXform<2> turn(vxMatrix<2>::rotation(angle) * vxMatrix<2>::scaling(scale, scale),
                          vxVector<2>());
    p.pose = vxXform<2>(turn.matrix(), centre - turn.mapPoint(cellCentreOf(model)));
    return p;
}

// Where the line through positions ia and ib (placed at a and b) puts position k, if
// its characters are evenly spaced: each step turns by the same angle (none on a
// straight line), so position k is a carried by the rotation that carries a to b,
// scaled to k's number of steps.
Placement along(const Placement& a, long ia, const Placement& b, long ib, long k,
                const vxOCModel& model) {
    const double steps = static_cast<double>(k - ia) / static_cast<double>(ib - ia);
    const double turnDegrees = std::remainder(b.angleDegrees - a.angleDegrees, 360.0);
    const double turn = turnDegrees * std::numbers::pi / 180.0;
    vxVector<2> centre = a.centre + (b.centre - a.centre) * steps;
    if (std::fabs(turn) > 1e-3) {
        // The centre o of the rotation by `turn` that carries a's centre to b's.
        const vxMatrix<2> r = vxMatrix<2>::rotation(vxRadian(turn));
        const vxMatrix<2> fixed = vxMatrix<2>() - r;
        const vxVector<2> o = fixed.inverse() * (b.centre - r * a.centre);
        centre = o + vxMatrix<2>::rotation(vxRadian(turn * steps)) * (a.centre - o);
    }
    return placedAt(centre, a.angleDegrees + turnDegrees * steps,
                    a.scale + (b.scale - a.scale) * steps, a.line, model);
}

// Whether `place` lies where `expected` says: centre within a third of the pitch and,
// unless only the place is asked about, angle within twice the angle range. (A
// character that looks the same turned half round may be placed either way up: it
// still shows where its line runs.)
bool agrees(const Placement& place, const Placement& expected, double pitch,
            const vxOCVerifyParams& params, bool placeOnly = false) {
    return (place.centre - expected.centre).length() <= pitch / 3.0 &&
           (placeOnly || std::fabs(std::remainder(place.angleDegrees - expected.angleDegrees,
                                                  360.0)) <= 2.0 * params.angleRange());
}

// A line's evenly spaced model: positions a and b, and the pitch between neighbours.
struct LineModel {
    long a = -1, b = -1;
    double pitch = 0.0;
};

// The model of a line's matched positions `members` (at least two): every pair
// proposes one; the proposal most members agree with wins, then the one turning least
// per step, then the one whose agreeing members scored best.
LineModel consensus(const std::vector<long>& members, const std::vector<Placement>& places,
                    const std::vector<double>& placedScores, const vxOCAlphabet& alphabet,
                    const std::vector<long>& keys, const vxOCVerifyParams& params) {
    LineModel best;
    std::size_t bestAgreeing = 0;
    double bestTurn = 0.0, bestScore = 0.0;
    for (std::size_t x = 0; x < members.size(); ++x)
        for (std::size_t y = x + 1; y < members.size(); ++y) {
            const long a = members[x], b = members[y];
            const Placement& pa = places[std::size_t(a)];
            const Placement& pb = places[std::size_t(b)];
            const double pitch = (pb.centre - pa.centre).length() / double(b - a);
            const double turn =
                std::fabs(std::remainder(pb.angleDegrees - pa.angleDegrees, 360.0)) / double(b - a);
            std::size_t agreeing = 0;
            double score = 0.0;
            for (long k : members) {
                const Placement& pk = places[std::size_t(k)];
                if (k == a || k == b ||
                    agrees(pk, along(pa, a, pb, b, k, *alphabet.character(keys[std::size_t(k)])),
                           pitch, params)) {
                    ++agreeing;
                    score += placedScores[std::size_t(k)];
                }
            }
            const bool better = best.a < 0                         ? true
                                : agreeing != bestAgreeing         ? agreeing > bestAgreeing
                                : std::fabs(turn - bestTurn) > 1.0 ? turn < bestTurn
                                                                   : score > bestScore;
            if (better) {
                best = {a, b, pitch};
                bestAgreeing = agreeing;
                bestTurn = turn;
                bestScore = score;
            }
        }
    return best;
}

Placement expectedBy(const LineModel& m, const std::vector<Placement>& places, long k,
                     const vxOCModel& model) {
    return along(places[std::size_t(m.a)], m.a, places[std::size_t(m.b)], m.b, k, model);
}

// Moves matched positions that are not where their line puts them (a character found
// on a neighbour's strokes, or turned half round among upright ones) to where it does,
// and returns which moved. With one line allowed, every matched position belongs to
// it; otherwise the arranger's lines of two or more positions are the lines, and a
// matched position the arranger left alone is kept when it agrees with the line just
// before or after it in the target, else moved to the nearer one's place for it. When
// the arranger made no line of two, every matched position is taken for one line.
std::vector<bool> alignToLines(std::vector<Placement>& places,
                               const std::vector<vxOCArrangeDefs::CharStatus>& status,
                               const std::vector<double>& placedScores,
                               const vxOCAlphabet& alphabet, const std::vector<long>& keys,
                               const vxOCArrangeParams& arrangeParams,
                               const vxOCVerifyParams& params) {
    const long n = static_cast<long>(places.size());
    std::vector<bool> moved(places.size(), false);
    std::map<long, long> lineSizes;
    for (const Placement& p : places)
        ++lineSizes[p.line];
    std::map<long, std::vector<long>> groups; // matched normal positions by line
    std::vector<long> lone;
    for (long i = 0; i < n; ++i) {
        if (status[std::size_t(i)] != vxOCArrangeDefs::eMatched ||
            alphabet.character(keys[std::size_t(i)])->charType() != vxOCModel::eNormal)
            continue;
        if (arrangeParams.maxLines() == 1)
            groups[0].push_back(i);
        else if (lineSizes[places[std::size_t(i)].line] >= 2)
            groups[places[std::size_t(i)].line].push_back(i);
        else
            lone.push_back(i);
    }
    // Nothing the arranger put in a line of its own can tell where the lines are: then
    // every matched position is taken for one line.
    if (groups.empty()) {
        if (!lone.empty()) groups[0] = lone;
        lone.clear();
    }
    // Two of the arranger's lines one after the other in the target are one printed line
    // when the model of either, carried on, puts a position of the other where it lies:
    // the arranger breaks a line in two around characters it placed wrongly.
    const auto explains = [&](const std::vector<long>& by, const std::vector<long>& of) {
        if (by.size() < 2) return false;
        const LineModel m = consensus(by, places, placedScores, alphabet, keys, params);
        return std::any_of(of.begin(), of.end(), [&](long k) {
            return agrees(places[std::size_t(k)],
                          expectedBy(m, places, k, *alphabet.character(keys[std::size_t(k)])),
                          m.pitch, params, true);
        });
    };
    for (bool merged = true; merged;) {
        merged = false;
        std::vector<std::vector<long>*> ordered;
        for (auto& [line, members] : groups)
            ordered.push_back(&members);
        std::sort(ordered.begin(), ordered.end(),
                  [](const auto* a, const auto* b) { return a->front() < b->front(); });
        for (std::size_t g = 0; g + 1 < ordered.size() && !merged; ++g) {
            std::vector<long>& a = *ordered[g];
            std::vector<long>& b = *ordered[g + 1];
            if (!explains(a, b) && !explains(b, a)) continue;
            a.insert(a.end(), b.begin(), b.end());
            std::sort(a.begin(), a.end());
            b.clear();
            merged = true;
        }
        std::erase_if(groups, [](const auto& entry) { return entry.second.empty(); });
    }
    std::map<long, LineModel> models;
    std::vector<long> groupOf(places.size(), -1);
    for (const auto& [line, members] : groups) {
        if (members.size() < 2) continue;
        const LineModel m = consensus(members, places, placedScores, alphabet, keys, params);
        models[line] = m;
        for (long k : members)
            groupOf[std::size_t(k)] = line;
    }
    // The members first, with the models made from them as they stand.
    std::vector<Placement> expected(places.size());
    for (const auto& [line, members] : groups) {
        if (members.size() < 3) continue; // two positions always agree with themselves
        for (long k : members)
            expected[std::size_t(k)] =
                expectedBy(models[line], places, k, *alphabet.character(keys[std::size_t(k)]));
        for (long k : members)
            if (!agrees(places[std::size_t(k)], expected[std::size_t(k)], models[line].pitch,
                        params)) {
                places[std::size_t(k)] = expected[std::size_t(k)];
                moved[std::size_t(k)] = true;
            }
    }
    for (long i : lone) {
        long before = -1, after = -1;
        for (long k = i - 1; k >= 0 && before < 0; --k)
            if (groupOf[std::size_t(k)] >= 0) before = k;
        for (long k = i + 1; k < n && after < 0; ++k)
            if (groupOf[std::size_t(k)] >= 0) after = k;
        const vxOCModel& model = *alphabet.character(keys[std::size_t(i)]);
        bool agreed = before < 0 && after < 0;
        for (long k : {before, after})
            if (k >= 0) {
                const LineModel& m = models[groupOf[std::size_t(k)]];
                agreed = agreed || agrees(places[std::size_t(i)], expectedBy(m, places, i, model),
                                          m.pitch, params);
            }
        if (agreed) continue;
        const long nearer = before < 0                             ? after
                            : after < 0 || i - before <= after - i ? before
                                                                   : after;
        places[std::size_t(i)] = expectedBy(models[groupOf[std::size_t(nearer)]], places, i, model);
        moved[std::size_t(i)] = true;
    }
    return moved;
}

// Looks for an unknown position where its line predicts it, with the refinement's
// correlation bank. Returns whether the bank found it, updating `place` to the pose found
// and `score` to the bank's score.
bool findAtLineEnd(const vxPelBuffer_const<unsigned char>& image,
                   const vxPtrHandle_const<vxOCAlphabet>& alphabet, const std::vector<long>& keys,
                   std::size_t i, Placement& place, double& score) {
    std::vector<vx_Pose> poses(keys.size());
    std::vector<vxOCArrangeDefs::CharStatus> statuses(keys.size(), vxOCArrangeDefs::eMatched);
    std::vector<double> scores(keys.size(), 0.0);
    poses[i] = vx_Pose(place.pose.trans(), place.pose.xRot(), place.scale);
    statuses[i] = vxOCArrangeDefs::eInferred;
    vf_RefineArrangement(image, alphabet, keys, poses, statuses, scores);
    if (statuses[i] != vxOCArrangeDefs::eMatched) return false;
    const vxOCModel& model = *alphabet->character(keys[i]);
    place.pose = poses[i].xform();
    place.centre = place.pose.mapPoint(cellCentreOf(model));
    place.angleDegrees = poses[i].angle().plain() * 180.0 / std::numbers::pi;
    place.scale = poses[i].scale();
    score = scores[i];
    return true;
}

// Structure (vfScoreBlankness: 0 flat, 1 strokes) of the image over a blank's area
// placed by `pose`.
double structureAt(const vxPelBuffer_const<unsigned char>& image,
                   const vxPelBuffer_const<unsigned char>& mask, const vxOCModel& blank,
                   const vxXform<2>& pose) {
    return vfScoreBlankness(image, mask, pose, blank.image(), blank.imageArea(), blank.mask());
}

// The most structure a blank's place may show and still pass: half the least any normal
// character of the alphabet shows over the blank's area, as compilation measures it. A
// character printed where the blank belongs shows about as much as the characters do;
// paper with noise and a neighbour's edge at the cell's border far less.
double blankStructureLimit(const vxOCAlphabet& alphabet, const vxOCModel& blank) {
    double least = 1.0;
    for (const auto& model : alphabet.characters()) {
        if (!model || model->charType() != vxOCModel::eNormal) continue;
        try {
            least = std::min(least, structureAt(model->image(), model->mask(), blank, {}));
        } catch (const vxException&) {
            // a character the blank's area cannot be sampled from does not count
        }
    }
    return 0.5 * least;
}

const wchar_t* verdictName(vxOCVerifyDefs::Verdict v) {
    switch (v) {
    case vxOCVerifyDefs::ePass:
        return L"ePass";
    case vxOCVerifyDefs::eWrong:
        return L"eWrong";
    case vxOCVerifyDefs::eMissing:
        return L"eMissing";
    }
    return L"BadEnumValue";
}

// A "Verification" record per position that failed: what was expected and what it reads
// as, with the expected character's cell (yellow) and the winning rival's (red) over
// the image.
void recordFailures(const vxPelBuffer_const<unsigned char>& image, const vxOCAlphabet& alphabet,
                    const std::vector<long>& keys,
                    const std::vector<vxOCVerifyDefs::Verdict>& verdicts,
                    const std::vector<long>& readsAs, const std::vector<double>& scores,
                    const std::vector<double>& rivalScores, const std::vector<vxXform<2>>& poses,
                    const std::vector<vxAffineRectangle>& rivalCells, vxDiagObject* diag) {
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        if (verdicts[i] == vxOCVerifyDefs::ePass) continue;
        const vxOCModel& model = *alphabet.character(keys[i]);
        std::wostringstream text;
        text << L"Position " << i << L": expected '" << model.name() << L"' (key "
             << vfHex(keys[i], 8) << L")\nVerdict: " << verdictName(verdicts[i]) << L"\nScore: "
             << vfDbl(scores[i], 3, false);
        if (readsAs[i] >= 0)
            text << L"\nReads as: '" << alphabet.character(readsAs[i])->name() << L"' (key "
                 << vfHex(readsAs[i], 8) << L")\nRival score: " << vfDbl(rivalScores[i], 3, false);
        text << L"\n";
        vxGraphicList graphics;
        const vxPelRect& area = model.imageArea();
        const vxXform<2> clientFromModelImage = poses[i] * model.image().clientFromImageXform();
        graphics.add(vxGraphicAffineRect(
            vxAffineRectangle(clientFromModelImage.mapPoint(vxVector<2>(area.ul())),
                              clientFromModelImage.mapPoint(vxVector<2>(area.ur())),
                              clientFromModelImage.mapPoint(vxVector<2>(area.ll()))),
            vxColor::yellow, 1, false));
        if (readsAs[i] >= 0)
            graphics.add(vxGraphicAffineRect(rivalCells[i], vxColor::red, 2, false));
        vxDiagRecord* record = vf_AddImage(diag, image, L"Verification", false);
        record->text(text.str(), L"Verification");
        record->graphics(graphics, L"Cells");
    }
}

} // namespace

void vfOCVerify(const vxPelBuffer_const<unsigned char>& image,
                const vxPelBuffer_const<unsigned char>& mask, const vxOCAlphabet& alphabet,
                const std::vector<long>& targetKeys, const vxOCArrangeParams& arrangeParams,
                const vxOCVerifyParams& verifyParams, vxOCVerifyResults& results,
                vxDiagObject* diag, unsigned long diagFlags) {
    if (!alphabet.isCompiled()) throw vxOCDefs::NotCompiled();
    vxOCArrangeResults arranged;
    vfOCArrange_(image, mask, alphabet, targetKeys, arrangeParams, arranged, diag, diagFlags);

    const std::size_t n = targetKeys.size();
    std::vector<vxOCVerifyDefs::Verdict> verdicts(n, vxOCVerifyDefs::eMissing);
    std::vector<long> readsAs(n, -1);
    std::vector<double> scores(n, 0.0), rivalScores(n, 0.0);
    std::vector<vxAffineRectangle> rivalCells(n);
    const vxPtrHandle_const<vxOCAlphabet> shared(new vxOCAlphabet(alphabet));
    std::vector<Placement> places = placementsOf(arranged, alphabet, targetKeys);
    std::vector<vxOCArrangeDefs::CharStatus> status = arranged.statusFlags();
    std::vector<double> placedScores = arranged.scores();
    status.resize(places.size(), vxOCArrangeDefs::eUnknown);
    placedScores.resize(places.size(), 0.0);

    // Unknown positions just past either end of a line of matched characters (lone
    // unmatched lines, often characters the finder cannot align) are looked for where
    // the line predicts them, walking outward one by one while they are found.
    const auto matchedPair = [&](long a, long b) {
        return a >= 0 && b >= 0 && a < long(places.size()) && b < long(places.size()) &&
               status[std::size_t(a)] == vxOCArrangeDefs::eMatched &&
               status[std::size_t(b)] == vxOCArrangeDefs::eMatched &&
               places[std::size_t(a)].line == places[std::size_t(b)].line;
    };
    for (int direction : {+1, -1}) {
        const long first = direction > 0 ? 0 : long(places.size()) - 1;
        for (long i = first; i >= 0 && i < long(places.size()); i += direction) {
            const std::size_t k = std::size_t(i);
            if (status[k] != vxOCArrangeDefs::eUnknown) continue;
            if (alphabet.character(targetKeys[k])->charType() != vxOCModel::eNormal) continue;
            const long from = i - direction, before = i - 2 * direction;
            if (!matchedPair(from, before)) continue;
            vxAttention::check();
            Placement place = along(places[std::size_t(before)], before, places[std::size_t(from)],
                                    from, i, *alphabet.character(targetKeys[k]));
            double score = 0.0;
            if (!findAtLineEnd(image, shared, targetKeys, k, place, score)) continue;
            place.line = places[std::size_t(from)].line; // it continues that line
            places[k] = place;
            status[k] = vxOCArrangeDefs::eMatched;
            placedScores[k] = score;
        }
    }

    const std::vector<bool> moved = alignToLines(places, status, placedScores, alphabet, targetKeys,
                                                 arrangeParams, verifyParams);
    std::map<long, double> blankLimits;
    for (std::size_t i = 0; i < n && i < places.size(); ++i) {
        vxAttention::check();
        const long key = targetKeys[i];
        const vxOCModel& model = *alphabet.character(key);
        if (model.charType() == vxOCModel::eBlank) {
            // A blank the arranger placed passes when its place is as bare as paper.
            if (status[i] == vxOCArrangeDefs::eUnknown) continue;
            // Measured over every character of the alphabet: once per blank key.
            const auto known = blankLimits.find(key);
            const double limit = known != blankLimits.end()
                                     ? known->second
                                     : blankLimits[key] = blankStructureLimit(alphabet, model);
            double structure = 1.0;
            try {
                structure = structureAt(image, mask, model, places[i].pose);
            } catch (const vxException&) {
                // a place the area cannot be sampled at shows nothing to pass
            }
            scores[i] = 1.0 - structure;
            rivalScores[i] = 1.0 - limit;
            verdicts[i] = structure <= limit ? vxOCVerifyDefs::ePass : vxOCVerifyDefs::eWrong;
            continue;
        }
        if (status[i] != vxOCArrangeDefs::eMatched) continue;

        std::vector<long> keys = rivalsOf(alphabet, key);
        keys.insert(keys.begin(), key);
        const std::vector<Sighting> found =
            scoresAt(image, mask, alphabet, keys, places[i], arrangeParams, verifyParams);
        // A character the finder has no pattern for keeps the score that placed it, or,
        // moved, is looked for where it was moved to with the refinement's bank.
        double own = found[0].score;
        if (!patternOf(alphabet.character(key))) {
            own = placedScores[i];
            if (moved[i] && !findAtLineEnd(image, shared, targetKeys, i, places[i], own)) own = 0.0;
        }
        double rival = 0.0;
        long rivalKey = -1;
        for (std::size_t k = 1; k < keys.size(); ++k)
            if (found[k].score > rival) {
                rival = found[k].score;
                rivalKey = keys[k];
                rivalCells[i] = found[k].cell;
            }
        scores[i] = own;
        rivalScores[i] = rival;
        if (own >= verifyParams.minScore() && own >= rival + verifyParams.margin()) {
            verdicts[i] = vxOCVerifyDefs::ePass;
        } else if (rivalKey >= 0 && rival >= verifyParams.minScore() &&
                   rival + verifyParams.margin() > own) {
            verdicts[i] = vxOCVerifyDefs::eWrong;
            readsAs[i] = rivalKey;
        } else {
            verdicts[i] =
                own >= verifyParams.minScore() ? vxOCVerifyDefs::eWrong : vxOCVerifyDefs::eMissing;
        }
    }
    std::vector<vxXform<2>> poses(n);
    for (std::size_t i = 0; i < n && i < places.size(); ++i)
        poses[i] = places[i].pose;
    if (diag && vxDiagObject::shouldRecord(diagFlags, vxDiagObject::eResults))
        recordFailures(image, alphabet, targetKeys, verdicts, readsAs, scores, rivalScores, poses,
                       rivalCells, diag);
    vf_OCVerifyFill_(results, std::move(arranged), std::move(verdicts), std::move(readsAs),
                     std::move(scores), std::move(rivalScores), std::move(poses));
}

void vfOCVerify(const vxPelBuffer_const<unsigned char>& image, const vxOCAlphabet& alphabet,
                const std::vector<long>& targetKeys, const vxOCArrangeParams& arrangeParams,
                const vxOCVerifyParams& verifyParams, vxOCVerifyResults& results,
                vxDiagObject* diag, unsigned long diagFlags) {
    vfOCVerify(image, vxPelBuffer_const<unsigned char>(), alphabet, targetKeys, arrangeParams,
               verifyParams, results, diag, diagFlags);
}
