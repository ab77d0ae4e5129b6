#include "vxDiagText.h"

#include "vxNumText.h"

#include <algorithm>

namespace {

// Deeper levels are shown at this depth, so that a wild level cannot blow up the text.
constexpr long kMaxIndentLevel = 100;

// Appends each line of `text` (split at "\n"; a final "\n" adds no empty line) after
// `indent`.
void appendLines(std::wstring& out, const std::wstring& indent, const std::wstring& text) {
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find(L'\n', begin);
        if (end == std::wstring::npos) end = text.size();
        out += indent + text.substr(begin, end - begin) + L"\n";
        begin = end + 1;
    }
}

} // namespace

std::wstring vfDiagRecordToText(const vxDiagRecord& record, long index) {
    const std::wstring indent(2 * static_cast<size_t>(std::min(record.level(), kMaxIndentLevel)),
                              L' ');
    const std::wstring inner = indent + L"  ", innermost = indent + L"    ";
    std::wstring out = indent + L"[" + vfStr(index) + L"] " + record.annotation() + L"\n";
    if (record.hasImage()) {
        const vxPelBuffer_const<unsigned char>& image = record.image();
        out += inner + L"image " + vfStr(image.width()) + L" x " + vfStr(image.height()) +
               L" at (" + vfStr(image.offset().x()) + L", " + vfStr(image.offset().y()) + L")\n";
    }
    for (const vxDiagRecord::TextAnnotation& t : record.texts()) {
        out += inner + L"text \"" + t.name + L"\":\n";
        appendLines(out, innermost, t.text);
    }
    for (const vxDiagRecord::GraphicsAnnotation& g : record.graphicsAnnotations()) {
        const wchar_t* system =
            g.coordinateSystem == vxDiagRecord::eImageCoordinates ? L"image" : L"client";
        out += inner + L"graphics \"" + g.name + L"\" (" + system + L" coordinates): " +
               vfStr(g.graphics.size()) + L"\n";
        for (const vxGraphic& graphic : g.graphics)
            out += innermost + vfDescribeGraphic(graphic) + L"\n";
    }
    return out;
}

std::wstring vfDiagToText(const vxDiagObject& diag) {
    std::wstring out;
    for (long i = 0; i < diag.numRecords(); ++i)
        out += vfDiagRecordToText(diag.diagRecord(i), i);
    return out;
}
