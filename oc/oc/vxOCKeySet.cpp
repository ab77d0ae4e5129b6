// The key set: possible keys, current indices, confusion overrides and archive.
#include "vxOCKeySet.h"

#include "vxOCAlphabet.h"

#include <algorithm>

namespace {

bool hasDuplicates(const std::vector<long>& values) {
    for (size_t i = 0; i < values.size(); ++i)
        for (size_t j = i + 1; j < values.size(); ++j)
            if (values[i] == values[j]) return true;
    return false;
}

// Whether every index is -1 or a valid index into `count` keys.
bool indicesInRange(const std::vector<long>& indices, size_t count) {
    return std::all_of(indices.begin(), indices.end(), [count](long i) {
        return i >= -1 && (i < 0 || static_cast<size_t>(i) < count);
    });
}

const wchar_t* const kBadCurrentIndices =
    L"At least one of the current key indices is not valid for specified set of possible keys.";
const wchar_t* const kNotOneIndex = L"Set of current key indices must contain only one element.";
const wchar_t* const kNotMember = L"The specified key is not a member of the key set.";

} // namespace

vxOCKeySet::vxOCKeySet(const std::vector<long>& keys, long currentKeyIndex)
    : currentKeyIndices_{currentKeyIndex} {
    // keys() checks the index range too, after the duplicate test.
    this->keys(keys);
}

vxOCKeySet::vxOCKeySet(const std::vector<long>& keys, const std::vector<long>& currentKeyIndices) {
    this->keys(keys);
    this->currentKeyIndices(currentKeyIndices);
}

vxOCKeySet::vxOCKeySet(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                       const std::vector<std::wstring>& names, const std::wstring& currentName) {
    if (alphabet.isNull()) throw vxOCDefs::BadParams(L"Alphabet must point to a valid object.");
    for (size_t i = 0; i < names.size(); ++i)
        for (size_t j = i + 1; j < names.size(); ++j)
            if (names[i] == names[j])
                throw vxOCDefs::SameKey(
                    L"Possible character names for a character position must be unique.");
    std::vector<long> keys, current;
    for (const std::wstring& name : names) {
        bool found = false;
        for (const vxPtrHandle_const<vxOCModel>& model : alphabet->characters()) {
            if (model->name() != name) continue;
            found = true;
            if (name == currentName) current.push_back(static_cast<long>(keys.size()));
            keys.push_back(model->key());
        }
        if (!found)
            throw vxOCDefs::BadKey(
                L"At least one of the character names is not found in the supplied alphabet.");
    }
    if (current.empty())
        throw vxOCDefs::BadIndex(
            L"Current character is not valid for specified set of possible character names.");
    // Keys are unique within an alphabet; a model whose key was changed after it was
    // added could still break that, and the key set keeps its own invariant.
    if (hasDuplicates(keys))
        throw vxOCDefs::SameKey(L"Possible keys for a character position must be unique.");
    keys_.swap(keys);
    currentKeyIndices_.swap(current);
}

void vxOCKeySet::keys(const std::vector<long>& keys) {
    if (hasDuplicates(keys))
        throw vxOCDefs::SameKey(L"Possible keys for a character position must be unique.");
    if (!indicesInRange(currentKeyIndices_, keys.size()))
        throw vxOCDefs::BadIndex(kBadCurrentIndices);
    std::vector<long> copy = keys; // the only step that can fail comes first
    overrideKeys_.clear();
    overrides_.clear();
    keys_.swap(copy);
}

void vxOCKeySet::currentKeyIndices(const std::vector<long>& indices) {
    if (hasDuplicates(indices)) throw vxOCDefs::BadIndex(L"Key indices must be unique.");
    if (!indicesInRange(indices, keys_.size())) throw vxOCDefs::BadIndex(kBadCurrentIndices);
    currentKeyIndices_ = indices;
}

long vxOCKeySet::currentKeyIndex() const {
    if (currentKeyIndices_.size() != 1) throw vxOCDefs::BadParams(kNotOneIndex);
    return currentKeyIndices_.front();
}

void vxOCKeySet::currentKeyIndex(long index) {
    if (currentKeyIndices_.size() > 1) throw vxOCDefs::BadParams(kNotOneIndex);
    if (!indicesInRange({index}, keys_.size()))
        throw vxOCDefs::BadIndex(
            L"Current key index is not valid for specified set of possible keys.");
    currentKeyIndices_.assign(1, index);
}

bool vxOCKeySet::isCurrentWildcard() const {
    return std::find(currentKeyIndices_.begin(), currentKeyIndices_.end(), -1) !=
           currentKeyIndices_.end();
}

long vxOCKeySet::currentKey() const {
    if (currentKeyIndices_.empty()) throw vxOCDefs::BadParams(kNotOneIndex);
    if (currentKeyIndices_.front() == -1)
        throw vxOCDefs::BadKey(L"Wild-card characters have no key.");
    if (currentKeyIndices_.size() > 1) throw vxOCDefs::BadParams(kNotOneIndex);
    return keys_[currentKeyIndices_.front()];
}

std::vector<long> vxOCKeySet::currentKeys() const {
    if (isCurrentWildcard()) throw vxOCDefs::BadKey(L"Wild-card characters have no key index.");
    std::vector<long> keys;
    keys.reserve(currentKeyIndices_.size());
    for (long i : currentKeyIndices_)
        keys.push_back(keys_[i]);
    return keys;
}

long vxOCKeySet::keyIndex_(long key) const {
    const auto it = std::find(keys_.begin(), keys_.end(), key);
    return it == keys_.end() ? -1 : static_cast<long>(it - keys_.begin());
}

long vxOCKeySet::overrideIndex_(long key) const {
    if (keyIndex_(key) < 0) throw vxOCDefs::BadKey(kNotMember);
    const auto it = std::find(overrideKeys_.begin(), overrideKeys_.end(), key);
    return it == overrideKeys_.end() ? -1 : static_cast<long>(it - overrideKeys_.begin());
}

void vxOCKeySet::confusionOverrides(long key, const std::vector<long>& overrides) {
    const long at = overrideIndex_(key);
    if (at >= 0) {
        overrides_[at] = overrides;
        return;
    }
    // Copy first, so that a failed allocation leaves both vectors parallel.
    std::vector<long> newKeys = overrideKeys_;
    std::vector<std::vector<long>> newOverrides = overrides_;
    newKeys.push_back(key);
    newOverrides.push_back(overrides);
    overrideKeys_.swap(newKeys);
    overrides_.swap(newOverrides);
}

const std::vector<long>& vxOCKeySet::confusionOverrides(long key) const {
    const long at = overrideIndex_(key);
    if (at < 0)
        throw vxOCDefs::BadKey(L"There are no confusion keys overrides for the specified key.");
    return overrides_[at];
}

void vxOCKeySet::removeConfusionOverrides(long key) {
    const long at = overrideIndex_(key);
    if (at < 0)
        throw vxOCDefs::BadKey(L"There are no confusion keys overrides for the specified key.");
    overrideKeys_[at] = overrideKeys_.back();
    overrides_[at].swap(overrides_.back());
    overrideKeys_.pop_back();
    overrides_.pop_back();
}

bool vxOCKeySet::hasConfusionOverrides(long key) const {
    return overrideIndex_(key) >= 0;
}

bool operator==(const vxOCKeySet& a, const vxOCKeySet& b) {
    if (a.keys_ != b.keys_ || a.currentKeyIndices_ != b.currentKeyIndices_ ||
        a.overrideKeys_.size() != b.overrideKeys_.size())
        return false;
    // Override keys are unique on both sides, so same count plus every left entry
    // matched on the right makes the entries the same set.
    for (size_t i = 0; i < a.overrideKeys_.size(); ++i) {
        const auto it =
            std::find(b.overrideKeys_.begin(), b.overrideKeys_.end(), a.overrideKeys_[i]);
        if (it == b.overrideKeys_.end() ||
            b.overrides_[it - b.overrideKeys_.begin()] != a.overrides_[i])
            return false;
    }
    return true;
}

vxArchive& operator||(vxArchive& ar, vxOCKeySet& keySet) {
    const unsigned char version = ar.transferVersion(2, 2, "vxOCKeySet");
    if (ar.isStoring()) {
        ar || keySet.keys_ || keySet.currentKeyIndices_ || keySet.overrideKeys_ ||
            keySet.overrides_;
        return ar;
    }
    vxOCKeySet loaded;
    ar || loaded.keys_;
    if (version == 0) {
        long index = -1;
        ar || index;
        loaded.currentKeyIndices_.assign(1, index);
    } else {
        ar || loaded.currentKeyIndices_;
    }
    if (version >= 2) ar || loaded.overrideKeys_ || loaded.overrides_;

    // The stream is not trusted: a key set that no call sequence could build is corrupt.
    const std::vector<long>& keys = loaded.keys_;
    const bool overridesValid =
        loaded.overrideKeys_.size() == loaded.overrides_.size() &&
        !hasDuplicates(loaded.overrideKeys_) &&
        std::all_of(loaded.overrideKeys_.begin(), loaded.overrideKeys_.end(),
                    [&](long k) { return std::find(keys.begin(), keys.end(), k) != keys.end(); });
    if (hasDuplicates(keys) || hasDuplicates(loaded.currentKeyIndices_) ||
        !indicesInRange(loaded.currentKeyIndices_, keys.size()) || !overridesValid)
        throw vxArchive::BadData(L"Archive holds an inconsistent key set");
    keySet = std::move(loaded);
    return ar;
}
