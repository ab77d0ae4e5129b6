// Changing the current keys of one position: a new line and a new arrangement are
// built around the changed key set, so that arrangements and lines shared through
// handles never change under their holders.
#include "vxOCLine.h"

#include <algorithm>
#include <optional>

namespace {

void checkLineIndex(const vxOCLineArrangement& arrangement, long lineIndex) {
    if (lineIndex < 0 || lineIndex >= arrangement.numLines())
        throw vxOCDefs::BadParams(L"The supplied line index is not valid.");
}

// `keys` empty means a wild card; the callers rule out an empty key vector first.
vxPtrHandle<vxOCLineArrangement> changeCurrentKeys(const vxOCLineArrangement& arrangement,
                                                   long lineIndex, long positionIndex,
                                                   const std::optional<std::vector<long>>& keys) {
    if (keys && keys->empty())
        throw vxOCDefs::BadKey(L"At least one of the keys is not found in the alphabet.");
    checkLineIndex(arrangement, lineIndex);
    const vxOCLine& line = *arrangement.lines()[lineIndex];
    if (positionIndex < 0 || positionIndex >= static_cast<long>(line.keySetSequence().size()))
        throw vxOCDefs::BadParams(L"The supplied position index is not valid.");

    std::vector<vxOCKeySet> keySets = line.keySetSequence();
    vxOCKeySet& keySet = keySets[positionIndex];
    std::vector<long> indices;
    if (!keys) {
        indices.push_back(-1);
    } else {
        const std::vector<long>& possible = keySet.keys();
        for (long key : *keys) {
            const auto it = std::find(possible.begin(), possible.end(), key);
            if (it == possible.end())
                throw vxOCDefs::BadKey(
                    L"The specified key is not in the keySet for this position.");
            indices.push_back(static_cast<long>(it - possible.begin()));
        }
    }
    keySet.currentKeyIndices(indices);

    vxPtrHandle_const<vxOCLine> changedLine(
        new vxOCLine(keySets, line.alphabet(), line.charPoses(), line.charScales(),
                     line.translationUncertainties(), line.rotationUncertainties(),
                     line.scaleUncertainties(), line.name()));
    std::vector<vxPtrHandle_const<vxOCLine>> lines = arrangement.lines();
    lines[lineIndex] = changedLine;
    return vxPtrHandle<vxOCLineArrangement>(new vxOCLineArrangement(
        lines, arrangement.linePoses(), arrangement.translationUncertainties(),
        arrangement.rotationUncertainties(), arrangement.name()));
}

} // namespace

vxPtrHandle<vxOCLineArrangement> vfOCChangeCurrentKeys(const vxOCLineArrangement& arrangement,
                                                       long lineIndex, long positionIndex,
                                                       const std::vector<long>& keys) {
    return changeCurrentKeys(arrangement, lineIndex, positionIndex, keys);
}

vxPtrHandle<vxOCLineArrangement> vfOCChangeCurrentKey(const vxOCLineArrangement& arrangement,
                                                      long lineIndex, long positionIndex,
                                                      long key) {
    return changeCurrentKeys(arrangement, lineIndex, positionIndex, std::vector<long>{key});
}

vxPtrHandle<vxOCLineArrangement> vfOCChangeCurrentKeys(const vxOCLineArrangement& arrangement,
                                                       long lineIndex, long positionIndex,
                                                       const std::wstring& name) {
    checkLineIndex(arrangement, lineIndex);
    std::vector<long> keys;
    for (const vxPtrHandle_const<vxOCModel>& model :
         arrangement.lines()[lineIndex]->alphabet()->characters())
        if (model->name() == name) keys.push_back(model->key());
    return changeCurrentKeys(arrangement, lineIndex, positionIndex, keys);
}

vxPtrHandle<vxOCLineArrangement> vfOCChangeCurrentKey(const vxOCLineArrangement& arrangement,
                                                      long lineIndex, long positionIndex) {
    return changeCurrentKeys(arrangement, lineIndex, positionIndex, std::nullopt);
}
