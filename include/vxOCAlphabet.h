// vxOCAlphabet: the character models the arranger and the character finder work
// with, in a fixed order (a model's index in characters() is its character index),
// looked up by key, together with the results of compilation:
//   - the confusion matrix: element (i, j) says how strongly character i is found
//     in character j's image (1.0 on the diagonal, 0.0 for a normal i and a blank j);
//   - the character offsets: entry [i][j] is the transform at which i was best found
//     in j's image. For a blank i, entry [i][0] carries the blank statistics instead:
//     its translation is (mean, r), the reference mean of the lowest structure scores
//     and the relative distance of the lowest score below that mean.
// Keys are unique within an alphabet. An alphabet is compiled or not: characters()
// and add() leave it not compiled, compile() compiles it, remove() and
// confusionThreshold() keep the state. Every failed call throws before anything
// changes. Alphabets are shared, read-only, through vxPtrHandle_const<vxOCAlphabet>;
// queries may run concurrently while nobody changes the alphabet.
#pragma once

#include "vxArchive.h"
#include "vxNMMatrix.h"
#include "vxOCDefs.h"
#include "vxOCModel.h"
#include "vxXform.h"

#include <memory>
#include <string>
#include <vector>

class vxDiagObject;

class vxOCAlphabet : public vxPersistent, public vxRepBase {
public:
    // offsets[i][j]: where character i was best found in character j's image.
    using OffsetTable = std::vector<std::vector<vxXform<2>>>;

    // Empty, compiled, threshold 0.5, a 1-by-1 matrix.
    vxOCAlphabet();
    // Sets the name, then confusionThreshold(threshold), then characters(models,
    // compile): throws vxOCDefs::BadParams for a threshold outside [0, 1] and
    // vxOCDefs::SameKey for two models with one key.
    vxOCAlphabet(const std::vector<vxPtrHandle_const<vxOCModel>>& models, double threshold,
                 bool compile, const std::wstring& name);
    vxOCAlphabet(const std::vector<vxPtrHandle<vxOCModel>>& models, double threshold, bool compile,
                 const std::wstring& name);
    // Copies the characters (shared handles), name, threshold, offsets and compiled
    // flag; the matrix only when the source is compiled.
    vxOCAlphabet(const vxOCAlphabet& other);
    vxOCAlphabet& operator=(const vxOCAlphabet& other);
    ~vxOCAlphabet() override;

    // ---- Characters ----

    const std::vector<vxPtrHandle_const<vxOCModel>>& characters() const { return characters_; }
    // Replaces every character (order kept) and leaves the alphabet not compiled, then
    // compiles it when `compile` is true. Throws vxOCDefs::SameKey "The keys for at
    // least two of the supplied characters are identical." and vxOCDefs::BadParams for
    // a null handle (as add does).
    void characters(const std::vector<vxPtrHandle_const<vxOCModel>>& models, bool compile = false);
    void characters(const std::vector<vxPtrHandle<vxOCModel>>& models, bool compile = false);
    // Appends models (order kept) and leaves the alphabet not compiled (also for an
    // empty vector), then compiles it when `compile` is true. Throws vxOCDefs::SameKey
    // when a model's key is already present (tested first) or two models share a key.
    void add(const vxPtrHandle_const<vxOCModel>& model, bool compile = false);
    void add(const std::vector<vxPtrHandle_const<vxOCModel>>& models, bool compile = false);
    void add(const std::vector<vxPtrHandle<vxOCModel>>& models, bool compile = false);
    // Removes the characters of the keys, one after another: the current last
    // character moves into the removed one's place (so the order of the rest changes).
    // A compiled alphabet stays compiled, its confusion data moved along. Throws
    // vxOCDefs::BadKey for a key not in the alphabet and vxOCDefs::SameKey for a
    // repeated key; an empty vector does nothing.
    void remove(long key);
    void remove(const std::vector<long>& keys);

    long numChars() const { return static_cast<long>(characters_.size()); }
    // The index of the first model with this key (linear scan), or -1.
    long characterIndex(long key) const;
    bool hasCharacter(long key) const { return characterIndex(key) != -1; }
    // Throws vxOCDefs::BadKey "The character for the specified key does not exist in
    // the alphabet."
    const vxPtrHandle_const<vxOCModel>& character(long key) const;

    // ---- Settings ----

    const std::wstring& name() const { return name_; }
    void name(const std::wstring& name) { name_ = name; }
    double confusionThreshold() const { return confusionThreshold_; }
    // Throws vxOCDefs::BadParams "Confusion threshold must be between 0 and 1." outside
    // [0, 1]. The compiled state is kept: the threshold is applied by areConfusable.
    void confusionThreshold(double threshold);
    // The same as the one-argument form; the flag has no effect.
    void confusionThreshold(double threshold, bool flag);

    // ---- Compiled data ----

    bool isCompiled() const { return compiled_; }
    // Computes the confusion matrix and the offsets, one row per worker thread, rows
    // one after another; polls vxAttention::check between rows. Does nothing to an
    // alphabet that is compiled already (but still records). Records the input
    // (eInput), a details record (eIntermediate) and the results (eResults) into diag
    // when flags ask for them. A tool failure on one pair or row counts as "not
    // confusable". A time limit (any vxTimeout::Error, also one armed by an outer
    // library), an abort request (vxAttention::Aborted), a broken invariant or a
    // worker that cannot start passes out of compile as it was thrown, and the
    // alphabet stays as it was: not compiled, with its earlier confusion data.
    void compile(vxDiagObject* diag = nullptr, unsigned long flags = 0);

    // Element (index of key1, index of key2) of the confusion matrix. Throws
    // vxOCDefs::NotCompiled when not compiled, then vxOCDefs::BadKey for a missing key.
    double confusion(long key1, long key2) const;
    // Whether confusion(key1, key2) is strictly above the threshold: the alphabet's,
    // or 0 when key1 is a blank. Throws vxOCDefs::BadKey for a missing key1, then as
    // confusion() does. Not symmetric.
    bool areConfusable(long key1, long key2) const;
    // Entry [index of key1][index of key2] of the offsets table; errors as confusion().
    vxXform<2> characterOffset(long key1, long key2);

    // ---- Comparison ----

    // Same number of characters, equal models position by position, equal names,
    // exactly equal thresholds and equal compiled flags. The compiled data is not
    // compared.
    friend bool operator==(const vxOCAlphabet& a, const vxOCAlphabet& b);
    friend bool operator!=(const vxOCAlphabet& a, const vxOCAlphabet& b) { return !(a == b); }
    // As operator==, with models and thresholds compared within tolerance.
    friend bool vfRealEq(const vxOCAlphabet& a, const vxOCAlphabet& b, double tolerance);

    // ---- Archive ----

    // Version byte (1), the persistent base, name, threshold, characters (through the
    // object table, so a shared model is stored once), compiled flag, matrix, offsets.
    // Version 0 (read only) ends after the characters with a compiled flag; such an
    // alphabet is compiled on load when the flag is set (a time limit or abort then
    // passes through and leaves the target as it was).
    void dispatchSerialize(vxArchive& ar) override;
    static vxPersistent* make();

private:
    void serialize_(vxArchive& ar, unsigned char version);
    // Computes row `row` in the calling thread.
    void compileRow_(long row);
    // Index of the key; throws vxOCDefs::NotCompiled / BadKey as confusion() says.
    long compiledIndex_(long key) const;
    static const vx_Instantiator sExemplar;

    bool compiled_ = true;
    std::wstring name_;
    double confusionThreshold_ = 0.5;
    std::vector<vxPtrHandle_const<vxOCModel>> characters_;
    std::unique_ptr<vxNMMatrix> confusion_;
    OffsetTable offsets_;
};
