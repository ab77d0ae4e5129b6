// Alphabet diagnostics: the confusion matrix as text, and the alphabet with its
// characters and masks as diagnostic records.
#include "vx_OCDiagnostics.h"

#include "vxDiagObject.h"
#include "vxException.h"
#include "vxGraphicList.h"
#include "vxNumText.h"
#include "vxPelOps.h"

#include <algorithm>
#include <cmath>

namespace {

std::wstring quoted(const std::wstring& s) { return L"'" + s + L"'"; }

std::wstring num(double v) { return vfDbl(v, 3, false); }

// The image area in green (image coordinates) and the client axes in blue (client
// coordinates), drawn on a character's image and on its mask.
void drawAreaAndAxes(vxDiagRecord& record, const vxPelRect& area) {
    vxGraphicList box;
    box.add(vxGraphicRect(vxRect(vxVector<2>(area.ul()),
                                 vxVector<2>(double(area.width()), double(area.height()))),
                          vxColor::green));
    record.graphics(box, L"Image area", vxDiagRecord::eImageCoordinates);
    const double length =
        std::max(3.0, 0.5 * static_cast<double>(std::min(area.width(), area.height())));
    vxGraphicList axes;
    axes.add(vxGraphicLineSeg(vxLineSeg(vxVector<2>(0.0, 0.0), vxVector<2>(length, 0.0)),
                              vxColor::blue));
    axes.add(vxGraphicLineSeg(vxLineSeg(vxVector<2>(0.0, 0.0), vxVector<2>(0.0, length)),
                              vxColor::blue));
    record.graphics(axes, L"Client coordinate axes", vxDiagRecord::eClientCoordinates);
}

vxPelBuffer_const<unsigned char> inArea(vxPelBuffer_const<unsigned char> image,
                                        const vxPelRect& area) {
    vstd_assert_(image.window().contains(area), "image area inside the image window");
    image.window(area, false);
    return image;
}

} // namespace

std::wstring vf_CharTypeText(vxOCModel::CharType type) {
    switch (type) {
    case vxOCModel::eNormal: return L"eNormal";
    case vxOCModel::eBlank: return L"eBlank";
    }
    return L"InvalidEnumValue";
}

std::wstring vf_PelRectText(const vxPelRect& r) {
    return L"ul(" + vfStr(r.x()) + L", " + vfStr(r.y()) + L") " + L"lr(" +
           vfStr(r.x() + r.width()) + L", " + vfStr(r.y() + r.height()) + L") " + L"size(" +
           vfStr(r.width()) + L", " + vfStr(r.height()) + L")";
}

std::wstring vf_ConfusionMatrix(const vxOCAlphabet* alphabet, bool withPairs) {
    if (!alphabet || alphabet->numChars() == 0 || !alphabet->isCompiled()) return L"";
    const auto& chars = alphabet->characters();
    std::wstring header, rows, pairs;
    for (const auto& c : chars)
        if (c) header += L"\t" + quoted(c->name());
    for (const auto& a : chars) {
        if (!a) continue;
        rows += quoted(a->name());
        for (const auto& b : chars) {
            if (!b) continue;
            const double confusion = alphabet->confusion(a->key(), b->key());
            rows += L"\t" + num(confusion);
            if (!withPairs || a->key() == b->key() || !(confusion > alphabet->confusionThreshold()))
                continue;
            // The offsets are read only; the accessor is not const for other reasons.
            const vxXform<2> offset =
                const_cast<vxOCAlphabet*>(alphabet)->characterOffset(a->key(), b->key());
            const vxMatrix<2>& m = offset.matrix();
            vstd_assert_(std::fabs(m(0, 0) - 1.0) <= 1e-15 && std::fabs(m(1, 1) - 1.0) <= 1e-15 &&
                             std::fabs(m(0, 1)) <= 1e-15 && std::fabs(m(1, 0)) <= 1e-15,
                         "character offsets are translations");
            pairs += L"score " + num(confusion) + L" for (" + quoted(a->name()) + L", " +
                     quoted(b->name()) + L") keys(" + vfHex(a->key(), 8) + L", " +
                     vfHex(b->key(), 8) + L") at (" + num(offset.trans().x()) + L", " +
                     num(offset.trans().y()) + L")\n";
        }
        rows += L"\n";
    }
    std::wstring text = L"Confusion matrix:\n" + header + L"\n" + rows;
    if (withPairs) text += L"Confusing pairs:\n" + pairs;
    return text;
}

vxDiagRecord* vf_AddAlphabet(vxDiagObject* diag, const vxOCAlphabet* alphabet,
                             const std::wstring& title, bool withCharacters) {
    if (!diag || !alphabet) return nullptr;
    vxDiagRecord& general = diag->newDiagRecord();
    general.recordAnnotation(title);
    general.text(L"Alphabet general info\n  name = " + quoted(alphabet->name()) +
                     L"\n  numChars = " + vfStr(alphabet->numChars()) +
                     L"\n  confusionThreshold = " + num(alphabet->confusionThreshold()) +
                     L"\n  isCompiled = " + vfStr(alphabet->isCompiled()) + L"\n" +
                     vf_ConfusionMatrix(alphabet, true) + L"\n",
                 L"Alphabet general info");
    if (!withCharacters) return &general;

    const long generalIndex = diag->numRecords() - 1;
    diag->level(diag->level() + 1);
    const auto& chars = alphabet->characters();
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (!chars[i]) continue;
        const vxOCModel& model = *chars[i];
        const vxPelRect& area = model.imageArea();
        vxDiagRecord* record =
            vf_AddImage(diag, model.image(),
                        L"Character #" + vfStr(i) + L": " + quoted(model.name()), true);
        vstd_assert_(record != nullptr, "a character record");
        std::wstring text = L"Character info\n  key = " + vfHex(model.key(), 8) +
                            L"\n  name = " + model.name() + L"\n  description = " +
                            quoted(model.description()) + L"\n  type = " +
                            vf_CharTypeText(model.charType()) + L"\n  imageArea = " +
                            vf_PelRectText(area) + L"\n";
        if (model.image().isBound() && model.charType() == vxOCModel::eNormal) {
            const vxPelBuffer_const<unsigned char> pixels = inArea(model.image(), area);
            text += L"  minPixelValue = " + vfStr(vfPelMin(pixels)) + L"\n  maxPixelValue = " +
                    vfStr(vfPelMax(pixels)) + L"\n";
        }
        record->text(text, L"Character info");
        drawAreaAndAxes(*record, area);

        if (model.mask().isBound()) {
            diag->level(diag->level() + 1);
            vxDiagRecord* maskRecord = vf_AddImage(diag, model.mask(), L"mask", true);
            vstd_assert_(maskRecord != nullptr, "a mask record");
            drawAreaAndAxes(*maskRecord, area);
            if (model.charType() != vxOCModel::eBlank) {
                std::vector<unsigned long> hist;
                vfPelHistogram(inArea(model.mask(), area), hist);
                unsigned long dontCare = 0;
                for (int v = 0; v < 128; ++v)
                    dontCare += hist[static_cast<std::size_t>(v)];
                const unsigned long care =
                    static_cast<unsigned long>(area.width() * area.height()) - dontCare;
                maskRecord->text(L"Mask info\n  nCarePixels = " + vfStr(care) +
                                     L"\n  nDontCarePixels = " + vfStr(dontCare) + L"\n",
                                 L"Mask info");
            }
            diag->level(diag->level() - 1);
        }
    }
    diag->level(diag->level() - 1);
    return &diag->diagRecord(generalIndex);
}
