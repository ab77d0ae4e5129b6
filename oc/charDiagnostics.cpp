// Character text and diagnostics: a key as readable lines, and a character's image with
// its key, names and rectangles as a diagnostic record.
#include "vx_OCDiagnostics.h"

#include "vxDiagObject.h"
#include "vxGraphicList.h"
#include "vxNumText.h"

std::wstring vf_OCCharKeyText(const vxOCCharKey& key) {
    return L"Character code : " + vfStr(key.characterCode()) + L"\nInstance : " +
           vfStr(key.instance()) + L"\nVariant : " + vfStr(key.variant()) + L"\nFontID : " +
           vfStr(key.fontID()) + L"\n";
}

vxDiagRecord* vf_AddOCChar(vxDiagObject* diag, const vxOCChar& character,
                           const std::wstring& title) {
    vxDiagRecord* record = vf_AddImage(diag, character.image(false), title, false);
    if (!record) return nullptr;
    record->text(L"Name : " + character.name() + L"\n" + vf_OCCharKeyText(character.key()) +
                     L"Polarity : " + vfStr(static_cast<long>(character.polarity())) + L"\n",
                 L"Key");

    // Mark before cell, each in the coordinates it is specified in; detected marks are
    // not drawn.
    struct Drawn {
        vxOCCharMetrics::RectType type;
        vxColor color;
        bool image;
    };
    const Drawn drawn[] = {{vxOCCharMetrics::eMarkRectImage, vxColor::green, true},
                           {vxOCCharMetrics::eMarkRect, vxColor::green, false},
                           {vxOCCharMetrics::eCellRectImage, vxColor::orange, true},
                           {vxOCCharMetrics::eCellRect, vxColor::orange, false}};
    vxGraphicList inImage, inClient;
    const vxOCCharMetrics& metrics = character.metrics();
    for (const Drawn& d : drawn)
        if (metrics.isRectSpecified(d.type))
            (d.image ? inImage : inClient).add(vxGraphicRect(metrics.rect(d.type), d.color));
    if (inImage.size() >= inClient.size())
        record->graphics(inImage, L"rect(s)", vxDiagRecord::eImageCoordinates);
    else
        record->graphics(inClient, L"rect(s)", vxDiagRecord::eClientCoordinates);
    return record;
}
