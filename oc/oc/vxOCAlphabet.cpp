// The alphabet: editing, queries, equality and archive. Compilation is in
// vxOCAlphabetCompile.cpp.
#include "vxOCAlphabet.h"

#include <algorithm>
#include <cmath>
#include <utility>

const vx_Instantiator vxOCAlphabet::sExemplar(typeid(vxOCAlphabet), &vxOCAlphabet::make);

vxPersistent* vxOCAlphabet::make() {
    return new vxOCAlphabet;
}

namespace {

const wchar_t* const kMissingKey =
    L"The character for the specified key does not exist in the alphabet.";
const wchar_t* const kDuplicateSupplied =
    L"The keys for at least two of the supplied characters are identical.";

std::unique_ptr<vxNMMatrix> squareMatrix(long n) {
    const long size = std::max(1L, n);
    return std::make_unique<vxNMMatrix>(size, size);
}

// Handles of either kind as read-only handles. A null handle would make every key
// lookup undefined, so it is refused along with the other argument errors.
template <class Handle>
std::vector<vxPtrHandle_const<vxOCModel>> constHandles(const std::vector<Handle>& models) {
    std::vector<vxPtrHandle_const<vxOCModel>> out(models.begin(), models.end());
    for (const auto& m : out)
        if (m.isNull()) throw vxOCDefs::BadParams(L"Character models must not be null.");
    return out;
}

// Sorted, so that a loaded alphabet of many characters is checked in n log n.
bool hasDuplicateKeys(const std::vector<vxPtrHandle_const<vxOCModel>>& models) {
    std::vector<long> keys;
    keys.reserve(models.size());
    for (const auto& m : models)
        keys.push_back(m->key());
    std::sort(keys.begin(), keys.end());
    return std::adjacent_find(keys.begin(), keys.end()) != keys.end();
}

} // namespace

vxOCAlphabet::vxOCAlphabet() : confusion_(squareMatrix(0)) {}

vxOCAlphabet::vxOCAlphabet(const std::vector<vxPtrHandle_const<vxOCModel>>& models,
                           double threshold, bool compile, const std::wstring& name)
    : vxOCAlphabet() {
    name_ = name;
    confusionThreshold(threshold);
    characters(models, compile);
}

vxOCAlphabet::vxOCAlphabet(const std::vector<vxPtrHandle<vxOCModel>>& models, double threshold,
                           bool compile, const std::wstring& name)
    : vxOCAlphabet(constHandles(models), threshold, compile, name) {}

vxOCAlphabet::vxOCAlphabet(const vxOCAlphabet& other)
    : vxPersistent(other), vxRepBase(other), compiled_(other.compiled_), name_(other.name_),
      confusionThreshold_(other.confusionThreshold_), characters_(other.characters_),
      confusion_(other.compiled_ ? std::make_unique<vxNMMatrix>(*other.confusion_)
                                 : squareMatrix(other.numChars())),
      offsets_(other.offsets_) {}

vxOCAlphabet& vxOCAlphabet::operator=(const vxOCAlphabet& other) {
    if (this == &other) return *this;
    vxOCAlphabet copy(other);
    compiled_ = copy.compiled_;
    name_ = std::move(copy.name_);
    confusionThreshold_ = copy.confusionThreshold_;
    characters_.swap(copy.characters_);
    confusion_.swap(copy.confusion_);
    offsets_.swap(copy.offsets_);
    return *this;
}

vxOCAlphabet::~vxOCAlphabet() = default;

// ---- Characters ----

void vxOCAlphabet::characters(const std::vector<vxPtrHandle_const<vxOCModel>>& models,
                              bool compile) {
    std::vector<vxPtrHandle_const<vxOCModel>> checked = constHandles(models);
    if (hasDuplicateKeys(checked)) throw vxOCDefs::SameKey(kDuplicateSupplied);
    characters_.swap(checked);
    mutating();
    compiled_ = false;
    if (compile) this->compile(nullptr, 0);
}

void vxOCAlphabet::characters(const std::vector<vxPtrHandle<vxOCModel>>& models, bool compile) {
    characters(constHandles(models), compile);
}

void vxOCAlphabet::add(const vxPtrHandle_const<vxOCModel>& model, bool compile) {
    add(std::vector<vxPtrHandle_const<vxOCModel>>{model}, compile);
}

void vxOCAlphabet::add(const std::vector<vxPtrHandle_const<vxOCModel>>& models, bool compile) {
    const std::vector<vxPtrHandle_const<vxOCModel>> checked = constHandles(models);
    for (const auto& m : checked)
        if (hasCharacter(m->key()))
            throw vxOCDefs::SameKey(L"At least one of the supplied characters has the same key "
                                    L"as one of the characters in the alphabet.");
    if (hasDuplicateKeys(checked)) throw vxOCDefs::SameKey(kDuplicateSupplied);
    mutating();
    characters_.insert(characters_.end(), checked.begin(), checked.end());
    compiled_ = false;
    if (compile) this->compile(nullptr, 0);
}

void vxOCAlphabet::add(const std::vector<vxPtrHandle<vxOCModel>>& models, bool compile) {
    add(constHandles(models), compile);
}

void vxOCAlphabet::remove(long key) {
    remove(std::vector<long>{key});
}

void vxOCAlphabet::remove(const std::vector<long>& keys) {
    if (keys.empty()) return;
    for (long key : keys)
        if (!hasCharacter(key))
            throw vxOCDefs::BadKey(
                L"At least one of the supplied keys does not reference a character in this "
                L"alphabet.");
    for (size_t i = 0; i < keys.size(); ++i)
        for (size_t j = i + 1; j < keys.size(); ++j)
            if (keys[i] == keys[j])
                throw vxOCDefs::SameKey(L"At least one of the supplied keys is identical.");

    mutating();
    // The last character fills the gap; when compiled, its row and column of the
    // confusion data follow it so that the data stays indexed by character order.
    for (long key : keys) {
        const long idx = characterIndex(key);
        const long last = numChars() - 1;
        characters_[idx] = characters_[last];
        characters_.pop_back();
        if (compiled_ && idx < last) {
            confusion_->swapRows(idx, last);
            confusion_->swapCols(idx, last);
            std::swap(offsets_[idx], offsets_[last]);
            for (auto& row : offsets_)
                std::swap(row[idx], row[last]);
        }
    }
    const long n = numChars();
    std::unique_ptr<vxNMMatrix> shrunk = squareMatrix(n);
    if (compiled_) {
        shrunk->copySub(*confusion_, 0, 0, n, n);
        offsets_.resize(n);
        for (auto& row : offsets_)
            row.resize(n);
    }
    confusion_ = std::move(shrunk);
}

long vxOCAlphabet::characterIndex(long key) const {
    for (size_t i = 0; i < characters_.size(); ++i)
        if (characters_[i]->key() == key) return static_cast<long>(i);
    return -1;
}

const vxPtrHandle_const<vxOCModel>& vxOCAlphabet::character(long key) const {
    const long idx = characterIndex(key);
    if (idx < 0) throw vxOCDefs::BadKey(kMissingKey);
    return characters_[idx];
}

// ---- Settings ----

void vxOCAlphabet::confusionThreshold(double threshold) {
    if (!(threshold >= 0.0 && threshold <= 1.0))
        throw vxOCDefs::BadParams(L"Confusion threshold must be between 0 and 1.");
    confusionThreshold_ = threshold;
    mutating();
}

void vxOCAlphabet::confusionThreshold(double threshold, bool) {
    confusionThreshold(threshold);
}

// ---- Compiled data ----

long vxOCAlphabet::compiledIndex_(long key) const {
    const long idx = characterIndex(key);
    if (idx < 0) throw vxOCDefs::BadKey(kMissingKey);
    return idx;
}

double vxOCAlphabet::confusion(long key1, long key2) const {
    if (!compiled_) throw vxOCDefs::NotCompiled();
    return confusion_->element(compiledIndex_(key1), compiledIndex_(key2));
}

bool vxOCAlphabet::areConfusable(long key1, long key2) const {
    const vxPtrHandle_const<vxOCModel>& model = character(key1);
    const double threshold = model->charType() == vxOCModel::eBlank ? 0.0 : confusionThreshold_;
    return confusion(key1, key2) > threshold;
}

vxXform<2> vxOCAlphabet::characterOffset(long key1, long key2) {
    if (!compiled_) throw vxOCDefs::NotCompiled();
    const long i = compiledIndex_(key1);
    const long j = compiledIndex_(key2);
    return offsets_[i][j];
}

// ---- Comparison ----

namespace {

template <class SameModel, class SameThreshold>
bool sameAlphabet(const vxOCAlphabet& a, const vxOCAlphabet& b, SameModel sameModel,
                  SameThreshold sameThreshold) {
    if (a.numChars() != b.numChars()) return false;
    for (long i = 0; i < a.numChars(); ++i)
        if (!sameModel(*a.characters()[i], *b.characters()[i])) return false;
    return a.name() == b.name() && sameThreshold(a.confusionThreshold(), b.confusionThreshold()) &&
           a.isCompiled() == b.isCompiled();
}

} // namespace

bool operator==(const vxOCAlphabet& a, const vxOCAlphabet& b) {
    return sameAlphabet(
        a, b, [](const vxOCModel& x, const vxOCModel& y) { return x == y; },
        [](double x, double y) { return x == y; });
}

bool vfRealEq(const vxOCAlphabet& a, const vxOCAlphabet& b, double tolerance) {
    return sameAlphabet(
        a, b,
        [tolerance](const vxOCModel& x, const vxOCModel& y) { return vfRealEq(x, y, tolerance); },
        [tolerance](double x, double y) { return vfRealEq(x, y, tolerance); });
}

// ---- Archive ----

void vxOCAlphabet::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(vxOCAlphabet))) return;
    unsigned char version = 1;
    ar || version;
    serialize_(ar, version);
    setVisited(ar, typeid(vxOCAlphabet));
}

void vxOCAlphabet::serialize_(vxArchive& ar, unsigned char version) {
    if (version > 1) throw vxArchive::UnknownVersion("vxOCAlphabet", version);
    vxPersistent::dispatchSerialize(ar);
    if (ar.isStoring()) {
        ar || name_ || confusionThreshold_ || characters_ || compiled_ || *confusion_ || offsets_;
        return;
    }

    // Loading fills a working copy and checks it whole before taking it over, so a
    // failed load leaves the alphabet as it was and a loaded one keeps every invariant.
    vxOCAlphabet loaded;
    ar || loaded.name_ || loaded.confusionThreshold_ || loaded.characters_;
    if (!(loaded.confusionThreshold_ >= 0.0 && loaded.confusionThreshold_ <= 1.0))
        throw vxArchive::BadData(L"Archive holds a confusion threshold outside [0, 1]");
    for (const auto& m : loaded.characters_)
        if (m.isNull()) throw vxArchive::BadData(L"Archive holds a null character model");
    if (hasDuplicateKeys(loaded.characters_))
        throw vxArchive::BadData(L"Archive holds two characters with the same key");

    bool compiled = false;
    ar || compiled;
    const long n = loaded.numChars();
    if (version == 0) {
        // The old layout kept no confusion data: compute it afresh, on the working copy,
        // whose models have passed the constructor's checks.
        loaded.compiled_ = false;
        loaded.confusion_ = squareMatrix(n);
        if (compiled) loaded.compile(nullptr, 0);
    } else {
        loaded.compiled_ = compiled;
        ar || *loaded.confusion_ || loaded.offsets_;
        if (compiled) {
            const long size = std::max(1L, n);
            bool consistent = loaded.confusion_->rows() == size &&
                              loaded.confusion_->cols() == size &&
                              loaded.offsets_.size() == static_cast<size_t>(n);
            for (const auto& row : loaded.offsets_)
                consistent = consistent && row.size() == static_cast<size_t>(n);
            // Confusion scores lie in [0, 1]; NaN would not even equal itself.
            for (long r = 0; consistent && r < loaded.confusion_->rows(); ++r)
                for (long c = 0; c < loaded.confusion_->cols(); ++c)
                    consistent = consistent && std::isfinite(loaded.confusion_->element(r, c));
            if (!consistent)
                throw vxArchive::BadData(
                    L"Archive holds confusion data that does not match the characters");
        }
    }
    *this = loaded;
}
