// vxOCKeySet: what may stand at one character position. The possible keys (unique,
// in the caller's order), the index or indices of the current key among them (-1
// meaning a wild card: any character), and per possible key an optional list of
// confusion overrides (keys with which it is to be treated as confusable, whatever
// the alphabet's confusion matrix says).
//
// A plain value: copied, compared and archived by value. Every failed call throws a
// vxOCDefs error before anything changes.
#pragma once

#include "vxArchive.h"
#include "vxOCDefs.h"
#include "vxRepBase.h"

#include <string>
#include <vector>

class vxOCAlphabet;

class vxOCKeySet {
public:
    // A wild card: no possible keys, the single current index -1, no overrides.
    vxOCKeySet() = default;
    // The possible keys with one current index in -1 .. keys.size() - 1. Throws
    // SameKey for duplicate keys, BadIndex for an index outside that range.
    vxOCKeySet(const std::vector<long>& keys, long currentKeyIndex);
    // The possible keys, then the current indices as currentKeyIndices(v) sets them.
    vxOCKeySet(const std::vector<long>& keys, const std::vector<long>& currentKeyIndices);
    // The keys of the alphabet's models named by `names`, in the order of the names
    // and, per name, in alphabet order; every model named `currentName` is current.
    // Throws BadParams for a null alphabet, SameKey for repeated names, BadKey for a
    // name no model has, BadIndex when no model named `currentName` was taken.
    vxOCKeySet(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
               const std::vector<std::wstring>& names, const std::wstring& currentName);
    vxOCKeySet(const vxOCKeySet&) = default;
    vxOCKeySet& operator=(const vxOCKeySet&) = default;

    const std::vector<long>& keys() const { return keys_; }
    // Replaces the possible keys and drops every confusion override. Throws SameKey
    // for duplicates, BadIndex when a current index would fall outside the new keys.
    void keys(const std::vector<long>& keys);

    const std::vector<long>& currentKeyIndices() const { return currentKeyIndices_; }
    // Throws BadIndex for repeated indices or an index outside -1 .. keys().size() - 1.
    // An empty vector is allowed (no current key, and not a wild card).
    void currentKeyIndices(const std::vector<long>& indices);

    // The single current index; BadParams unless there is exactly one.
    long currentKeyIndex() const;
    // Makes `index` the single current index. Throws BadParams when more than one
    // index is current, BadIndex for an index outside -1 .. keys().size() - 1.
    void currentKeyIndex(long index);

    // Whether any current index is -1.
    bool isCurrentWildcard() const;
    // The key at the single current index. Throws BadKey for a wild card, BadParams
    // unless exactly one index is current.
    long currentKey() const;
    // The keys at the current indices, in their order; BadKey for a wild card.
    std::vector<long> currentKeys() const;

    // Sets (or replaces) the override list of a possible key; BadKey when `key` is not
    // possible. The list itself is not checked.
    void confusionOverrides(long key, const std::vector<long>& overrides);
    // The override list of `key`; BadKey when `key` is not possible or has none.
    const std::vector<long>& confusionOverrides(long key) const;
    // Removes the overrides of `key` (the last entry takes its place); BadKey as above.
    void removeConfusionOverrides(long key);
    // Whether `key` has overrides; BadKey when `key` is not possible.
    bool hasConfusionOverrides(long key) const;

    // Keys and current indices equal in order; the same overrides per key, whatever
    // the order in which they were added.
    friend bool operator==(const vxOCKeySet& a, const vxOCKeySet& b);
    friend bool operator!=(const vxOCKeySet& a, const vxOCKeySet& b) { return !(a == b); }

    // Archive: version byte (2), keys, current indices, override keys, override lists.
    // Version 1 (read only) has no overrides; version 0 holds a single current index
    // as a long instead of the vector. A loaded key set that breaks an invariant
    // throws vxArchive::BadData and leaves the target as it was.
    friend vxArchive& operator||(vxArchive& ar, vxOCKeySet& keySet);

private:
    // Index of key among the possible keys, or -1.
    long keyIndex_(long key) const;
    // Index of key among the override keys, or -1; BadKey when key is not possible.
    long overrideIndex_(long key) const;

    std::vector<long> currentKeyIndices_{-1};
    std::vector<long> keys_;
    std::vector<long> overrideKeys_;
    std::vector<std::vector<long>> overrides_;
};
