#include "vxDiagObject.h"

#include "vxDiagDefs.h"
#include "vxPelOps.h"

vxDiagRecord& vxDiagObject::newDiagRecord() {
    return records_.emplace_back(level_);
}

vxDiagRecord& vxDiagObject::diagRecord(long i) {
    if (i < 0 || i >= numRecords())
        throw vxDiagDefs::BadIndex(L"Diagnostic record index out of range");
    return records_[static_cast<size_t>(i)];
}

const vxDiagRecord& vxDiagObject::diagRecord(long i) const {
    return const_cast<vxDiagObject*>(this)->diagRecord(i);
}

void vxDiagObject::level(long level) {
    if (level < 0) throw vxDiagDefs::BadLevel(L"A diagnostic level cannot be negative");
    level_ = level;
}

namespace {

// Builds the record aside and appends it only when complete, so that a failure adds
// nothing.
vxDiagRecord* addComplete(vxDiagObject& diag, vxDiagRecord&& record) {
    vxDiagRecord& added = diag.newDiagRecord();
    added = std::move(record);
    return &added;
}

} // namespace

vxDiagRecord* vf_AddImage(vxDiagObject* diag, const vxPelBuffer_const<unsigned char>& image,
                          const std::wstring& title, bool copy) {
    if (!diag) return nullptr;
    vxDiagRecord record(diag->level());
    record.recordAnnotation(title);
    if (image.isBound())
        record.image(copy ? vxPelBuffer_const<unsigned char>(vfPelCopy(image)) : image);
    return addComplete(*diag, std::move(record));
}

vxDiagRecord* vf_AddText(vxDiagObject* diag, const std::wstring& text, const std::wstring& title) {
    if (!diag) return nullptr;
    vxDiagRecord record(diag->level());
    record.recordAnnotation(title);
    record.text(text, title);
    return addComplete(*diag, std::move(record));
}

vxDiagRecord* vf_AddGraphics(vxDiagObject* diag, const vxGraphicList& graphics,
                             const std::wstring& title, int coordinateSystem) {
    if (!diag) return nullptr;
    vxDiagRecord record(diag->level());
    record.recordAnnotation(title);
    record.graphics(graphics, title, coordinateSystem);
    return addComplete(*diag, std::move(record));
}
