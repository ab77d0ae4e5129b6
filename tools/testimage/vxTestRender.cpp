// Scene rendering: argument checks, ground truth, and the order of the image-formation
// steps (the pixel loops are in vxTestRaster.cpp).
#include "vxTestImageDefs.h"
#include "vxTestScene.h"
#include "vx_TestRaster.h"

#include <cmath>

namespace {

using Bad = vxTestImageDefs::BadArgument;

constexpr long kMaxSide = 16384;
constexpr double kMaxPixelsPerEm = 1e6;

bool isFinite(double v) {
    return std::isfinite(v);
}

void checkLevel(double v, const wchar_t* what) {
    if (!(v >= 0.0 && v <= 255.0)) throw Bad(std::wstring(what) + L" must be in 0..255");
}

void checkScene(const vxTestScene& s, bool checkSize) {
    if (checkSize && (s.width < 1 || s.width > kMaxSide || s.height < 1 || s.height > kMaxSide))
        throw Bad(L"Test image width and height must be in 1..16384");
    if (s.font != vxTestFont::eStroke && s.font != vxTestFont::eDotMatrix)
        throw Bad(L"Unknown test font style");
    checkLevel(s.light, L"Light level");
    checkLevel(s.dark, L"Dark level");
    if (s.polarity != vxTestScene::eDarkOnLight && s.polarity != vxTestScene::eLightOnDark)
        throw Bad(L"Polarity must be dark on light or light on dark");
    if (!(s.contrast > 0.0 && s.contrast <= 1.0)) throw Bad(L"Contrast must be in (0, 1]");
    if (!isFinite(s.gradient.x()) || !isFinite(s.gradient.y()))
        throw Bad(L"Illumination gradient must be finite");
    if (!(s.blurSigma >= 0.0 && s.blurSigma <= 50.0)) throw Bad(L"Blur sigma must be in 0..50");
    if (!(s.noiseSigma >= 0.0 && s.noiseSigma <= 255.0))
        throw Bad(L"Noise sigma must be in 0..255");
    for (const vxTestOcclusion& o : s.occlusions) {
        checkLevel(o.grey, L"Occlusion grey");
        const vxAffineRectangle& a = o.area;
        for (const vxVector<2>& p : {a.cornerPo(), a.cornerPx(), a.cornerPy()})
            if (!isFinite(p.x()) || !isFinite(p.y()))
                throw Bad(L"Occlusion corners must be finite");
        if (!(std::abs(a.area()) > 0.0)) throw Bad(L"Occlusion area must not be empty");
    }
}

// The ink and background levels after polarity and contrast.
void levels(const vxTestScene& s, float& ink, float& background) {
    const double mean = 0.5 * (s.light + s.dark);
    const bool darkOnLight = s.polarity == vxTestScene::eDarkOnLight;
    const double in = darkOnLight ? s.dark : s.light, bg = darkOnLight ? s.light : s.dark;
    ink = float(mean + s.contrast * (in - mean));
    background = float(mean + s.contrast * (bg - mean));
}

vxTestImage render(const vxTestScene& scene, const std::vector<vxTestCharPlacement>& placements,
                   bool illuminate) {
    checkScene(scene, true);
    const vxTestFont& font = vxTestFont::get(scene.font);
    vxTestImage out;
    out.truth.reserve(placements.size());
    for (const vxTestCharPlacement& p : placements) {
        out.truth.push_back(vfTestCharTruth(p, scene.font));
        font.glyph(p.code); // throws for an unknown character before any work
    }

    vx_FloatImage cov(scene.width, scene.height, 0.0f);
    for (const vxTestCharTruth& t : out.truth)
        vf_AddGlyphCoverage(cov, font.glyph(t.code), t.pose, 0.5 * t.strokeWidth);

    float ink, background;
    levels(scene, ink, background);
    for (float& v : cov.v)
        v = background + v * (ink - background);
    for (const vxTestOcclusion& o : scene.occlusions)
        vf_PaintOcclusion(cov, o.area, float(o.grey));
    vf_GaussianBlur(cov, scene.blurSigma);
    if (illuminate) vf_Illuminate(cov, scene.gradient);
    vxTestRandom rng(scene.seed);
    vf_AddNoise(cov, scene.noiseSigma, rng);

    out.image = vxPelBuffer<unsigned char>(scene.width, scene.height);
    vf_Quantize(cov, out.image);
    return out;
}

} // namespace

vxTestOcclusion vxTestOcclusion::rectangle(const vxRect& r, double grey) {
    return vxTestOcclusion{vxAffineRectangle(r), grey};
}

vxTestOcclusion vxTestOcclusion::band(const vxVector<2>& from, const vxVector<2>& to, double width,
                                      double grey) {
    const vxVector<2> along = to - from;
    if (along.isNull()) throw Bad(L"A band needs two different end points");
    const vxVector<2> across = along.unit().perp() * (0.5 * width);
    return vxTestOcclusion{vxAffineRectangle(from - across, to - across, from + across), grey};
}

vxTestCharTruth vfTestCharTruth(const vxTestCharPlacement& p, vxTestFont::Style font) {
    if (!isFinite(p.x) || !isFinite(p.y) || !isFinite(p.angle.plain()))
        throw Bad(L"Character position and angle must be finite");
    const double s = p.size * p.scale;
    if (!(p.size > 0.0 && p.scale > 0.0 && s <= kMaxPixelsPerEm))
        throw Bad(L"Character size and scale must be positive, their product at most 1e6");
    if (!(p.strokeWidth >= 0.0 && p.strokeWidth <= p.size))
        throw Bad(L"Stroke width must be in 0..size");

    vxTestCharTruth t;
    t.code = p.code;
    t.center = vxVector<2>(p.x, p.y);
    t.angle = p.angle;
    t.pixelsPerEm = s;
    t.pose = vxXform<2>(t.center, s, 1.0, vxRadian(0.0), p.angle);
    const vxRect c = vxTestFont::cell();
    t.cell = vxAffineRectangle(t.pose.mapPoint(c.ul()), t.pose.mapPoint(c.ur()),
                               t.pose.mapPoint(c.ll()));
    const double width =
        p.strokeWidth > 0.0 ? p.strokeWidth : vxTestFont::get(font).defaultStrokeWidth() * p.size;
    t.strokeWidth = width * p.scale;
    return t;
}

vxTestImage vfRenderTestImage(const vxTestScene& scene,
                              const std::vector<vxTestCharPlacement>& placements) {
    return render(scene, placements, true);
}

vxTestImage vfRenderTestChar(char code, double size, const vxTestScene& look, long margin,
                             double strokeWidth) {
    if (margin < 0 || margin > kMaxSide) throw Bad(L"Margin must be in 0..16384");
    if (!(size > 0.0 && size <= kMaxSide)) throw Bad(L"Character size must be in (0, 16384]");
    vxTestScene scene = look;
    scene.width = long(std::ceil(vxTestFont::cellWidth * size - 1e-9)) + 2 * margin;
    scene.height = long(std::ceil(vxTestFont::cellHeight * size - 1e-9)) + 2 * margin;
    scene.occlusions.clear();
    vxTestCharPlacement p;
    p.code = code;
    p.x = scene.width / 2.0;
    p.y = scene.height / 2.0;
    p.size = size;
    p.strokeWidth = strokeWidth;
    return render(scene, {p}, false);
}
