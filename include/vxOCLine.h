// vxOCLine and vxOCLineArrangement: what is expected, or was found, along lines of
// characters.
//
// A line is a sequence of character positions, each described by a key set, with
// the alphabet all keys refer to, a pose and a scale per character (in line
// coordinates) and per-character uncertainties of translation, rotation and scale.
// An arrangement is a set of lines, each with a pose (in arrangement coordinates)
// and uncertainties of translation and rotation. Both are shared, read-only, through
// counted handles: vfOCChangeCurrentKey(s) make new objects instead of changing them.
//
// Constructors validate completely and throw a vxOCDefs error before an object
// exists; a line or arrangement that exists is always consistent.
#pragma once

#include "vxAngle.h"
#include "vxArchive.h"
#include "vxOCAlphabet.h"
#include "vxOCDefs.h"
#include "vxOCKeySet.h"
#include "vxOCModel.h"
#include "vxRect.h"
#include "vxXform.h"

#include <initializer_list>
#include <string>
#include <vector>

class vxOCLine : public vxPersistent, public vxRepBase {
public:
    // No positions, an empty name and a new default alphabet.
    vxOCLine();
    // Every position gets the same scale and uncertainties; pose 0 is the identity and
    // pose k is step * pose k-1, so the characters follow each other by a fixed step.
    // Throws vxOCDefs::BadParams for a null alphabet, a scale not above 0 or a
    // negative uncertainty, then vxOCDefs::BadKey when a possible key of a key set is
    // not in the alphabet.
    vxOCLine(const std::vector<vxOCKeySet>& keySets,
             const vxPtrHandle_const<vxOCAlphabet>& alphabet, const vx2Rigid& step,
             double charScale, double translationUncertainty, vxRadian rotationUncertainty,
             double scaleUncertainty, const std::wstring& name);
    // Explicit poses, one per key set, with a shared scale and shared uncertainties.
    // Throws as above, and BadParams (after the alphabet test) for a pose count other
    // than the key-set count.
    vxOCLine(const std::vector<vxOCKeySet>& keySets,
             const vxPtrHandle_const<vxOCAlphabet>& alphabet,
             const std::vector<vx2Rigid>& charPoses, double charScale,
             double translationUncertainty, vxRadian rotationUncertainty, double scaleUncertainty,
             const std::wstring& name);
    // Everything per position. Throws as above: every count is checked before any
    // value, and the values are checked position by position.
    vxOCLine(const std::vector<vxOCKeySet>& keySets,
             const vxPtrHandle_const<vxOCAlphabet>& alphabet,
             const std::vector<vx2Rigid>& charPoses, const std::vector<double>& charScales,
             const std::vector<double>& translationUncertainties,
             const std::vector<vxRadian>& rotationUncertainties,
             const std::vector<double>& scaleUncertainties, const std::wstring& name);
    // Copies share the alphabet.
    vxOCLine(const vxOCLine&) = default;
    vxOCLine& operator=(const vxOCLine&) = default;

    const std::vector<vxOCKeySet>& keySetSequence() const { return keySets_; }
    // Never null.
    const vxPtrHandle_const<vxOCAlphabet>& alphabet() const { return alphabet_; }
    const std::vector<vx2Rigid>& charPoses() const { return charPoses_; }
    const std::vector<double>& charScales() const { return charScales_; }
    const std::vector<double>& translationUncertainties() const { return translationUnc_; }
    const std::vector<vxRadian>& rotationUncertainties() const { return rotationUnc_; }
    const std::vector<double>& scaleUncertainties() const { return scaleUnc_; }
    const std::wstring& name() const { return name_; }

    long numPositions() const { return static_cast<long>(charPoses_.size()); }
    // Positions that are not wild cards and have a current key whose model is eNormal.
    long numNormalChars() const;
    // Whether the key set at `pos` is a wild card; vxOCDefs::BadIndex "Invalid
    // position index." for a position outside 0 .. numPositions() - 1.
    bool isWildcard(long pos) const;
    // The model of the first current key at `pos`. Throws vxOCDefs::BadIndex for an
    // invalid position, a wild card, or a position without a current key.
    vxPtrHandle_const<vxOCModel> character(long pos) const;
    // The models of all current keys at `pos`, in the order of the current indices;
    // throws as character() does, except that no current key gives an empty vector.
    std::vector<vxPtrHandle_const<vxOCModel>> characters(long pos) const;

    // The rectangle enclosing every non-wild-card character: each model with the
    // position's first current key (and, with includeConfusable, each model the
    // alphabet calls confusable with it) under the position's pose, scale and
    // uncertainties, carried back through second's inverse and out through
    // first * second and third with the given uncertainties. A default rectangle when
    // no position has a character. Throws vxOCDefs::BadParams for a negative
    // uncertainty, vxOCDefs::NotCompiled for includeConfusable on an alphabet that is
    // not compiled, and vxGeomDefs errors for a singular second or a scale
    // uncertainty of 1 or more.
    vxRect encloseRect(const vxXform<2>& first, const vxXform<2>& second, const vxXform<2>& third,
                       double translationUncertainty, vxRadian rotationUncertainty,
                       double scaleUncertainty, bool includeConfusable) const;

    // Alphabets equal by value, and every position's key set, pose, scale and
    // uncertainties exactly equal, and the names equal.
    friend bool operator==(const vxOCLine& a, const vxOCLine& b);
    friend bool operator!=(const vxOCLine& a, const vxOCLine& b) { return !(a == b); }

    // Archive: version byte (0), the persistent base, key sets, alphabet (through the
    // object table, so an alphabet shared by several lines is stored once), poses,
    // scales, the three uncertainty vectors, name. A loaded line that breaks an
    // invariant throws vxArchive::BadData and leaves the target as it was.
    void dispatchSerialize(vxArchive& ar) override;
    static vxPersistent* make();

private:
    void serialize_(vxArchive& ar, unsigned char version);
    // Checks that every possible key is in the alphabet, then takes the fields.
    void assign_(const std::vector<vxOCKeySet>& keySets,
                 const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                 const std::vector<vx2Rigid>& charPoses, const std::vector<double>& charScales,
                 const std::vector<double>& translationUncertainties,
                 const std::vector<vxRadian>& rotationUncertainties,
                 const std::vector<double>& scaleUncertainties, const std::wstring& name);
    // The key set at `pos` after the position and wild-card checks.
    const vxOCKeySet& characterKeySet_(long pos) const;
    static const vx_Instantiator sExemplar;

    std::vector<vxOCKeySet> keySets_;
    vxPtrHandle_const<vxOCAlphabet> alphabet_;
    std::vector<vx2Rigid> charPoses_;
    std::vector<double> charScales_;
    std::vector<double> translationUnc_;
    std::vector<vxRadian> rotationUnc_;
    std::vector<double> scaleUnc_;
    std::wstring name_;
};

class vxOCLineArrangement : public vxPersistent, public vxRepBase {
public:
    using LineHandle = vxPtrHandle_const<vxOCLine>;

    // No lines and an empty name.
    vxOCLineArrangement() = default;
    // Line pose 0 is the identity, line pose k is step * pose k-1; every line gets the
    // same uncertainties. Throws vxOCDefs::BadParams for a negative uncertainty or a
    // null line.
    vxOCLineArrangement(const std::vector<vxPtrHandle_const<vxOCLine>>& lines, const vx2Rigid& step,
                        double translationUncertainty, vxRadian rotationUncertainty,
                        const std::wstring& name);
    vxOCLineArrangement(const std::vector<vxPtrHandle<vxOCLine>>& lines, const vx2Rigid& step,
                        double translationUncertainty, vxRadian rotationUncertainty,
                        const std::wstring& name);
    // Explicit line poses. Throws vxOCDefs::BadParams for a negative uncertainty, then
    // for a pose count other than the line count, then for a null line.
    vxOCLineArrangement(const std::vector<vxPtrHandle_const<vxOCLine>>& lines,
                        const std::vector<vx2Rigid>& linePoses, double translationUncertainty,
                        vxRadian rotationUncertainty, const std::wstring& name);
    vxOCLineArrangement(const std::vector<vxPtrHandle<vxOCLine>>& lines,
                        const std::vector<vx2Rigid>& linePoses, double translationUncertainty,
                        vxRadian rotationUncertainty, const std::wstring& name);
    // Everything per line. Throws vxOCDefs::BadParams for a count other than the line
    // count, then, line by line, for a negative uncertainty, then for a null line.
    vxOCLineArrangement(const std::vector<vxPtrHandle_const<vxOCLine>>& lines,
                        const std::vector<vx2Rigid>& linePoses,
                        const std::vector<double>& translationUncertainties,
                        const std::vector<vxRadian>& rotationUncertainties,
                        const std::wstring& name);
    vxOCLineArrangement(const std::vector<vxPtrHandle<vxOCLine>>& lines,
                        const std::vector<vx2Rigid>& linePoses,
                        const std::vector<double>& translationUncertainties,
                        const std::vector<vxRadian>& rotationUncertainties,
                        const std::wstring& name);
    // Copies share the lines.
    vxOCLineArrangement(const vxOCLineArrangement&) = default;
    vxOCLineArrangement& operator=(const vxOCLineArrangement&) = default;

    // Never null.
    const std::vector<vxPtrHandle_const<vxOCLine>>& lines() const { return lines_; }
    const std::vector<vx2Rigid>& linePoses() const { return linePoses_; }
    const std::vector<double>& translationUncertainties() const { return translationUnc_; }
    const std::vector<vxRadian>& rotationUncertainties() const { return rotationUnc_; }
    const std::wstring& name() const { return name_; }
    long numLines() const { return static_cast<long>(lines_.size()); }

    // The rectangle enclosing every line's rectangle (vxOCLine::encloseRect under the
    // line's pose and uncertainties), carried back through second's inverse and out
    // through first * second and third with the given uncertainties. A default
    // rectangle when there are no lines. Throws as vxOCLine::encloseRect does.
    vxRect encloseRect(const vxXform<2>& first, const vxXform<2>& second, const vxXform<2>& third,
                       double translationUncertainty, vxRadian rotationUncertainty,
                       double scaleUncertainty, bool includeConfusable) const;

    // The same number of lines, equal by value at every index, with exactly equal
    // poses and uncertainties, and equal names.
    friend bool operator==(const vxOCLineArrangement& a, const vxOCLineArrangement& b);
    friend bool operator!=(const vxOCLineArrangement& a, const vxOCLineArrangement& b) {
        return !(a == b);
    }

    // Archive: version byte (0), the persistent base, lines (through the object table,
    // so a line shared by several entries is stored once), poses, the two uncertainty
    // vectors, name. A loaded arrangement that breaks an invariant throws
    // vxArchive::BadData and leaves the target as it was.
    void dispatchSerialize(vxArchive& ar) override;
    static vxPersistent* make();

private:
    void serialize_(vxArchive& ar, unsigned char version);
    // Checks that no line is null, then takes the fields.
    void assign_(const std::vector<vxPtrHandle_const<vxOCLine>>& lines,
                 const std::vector<vx2Rigid>& linePoses,
                 const std::vector<double>& translationUncertainties,
                 const std::vector<vxRadian>& rotationUncertainties, const std::wstring& name);
    static const vx_Instantiator sExemplar;

    std::vector<vxPtrHandle_const<vxOCLine>> lines_;
    std::vector<vx2Rigid> linePoses_;
    std::vector<double> translationUnc_;
    std::vector<vxRadian> rotationUnc_;
    std::wstring name_;
};

// Each returns a new arrangement: a copy of `arrangement` in which the current keys of
// position `positionIndex` of line `lineIndex` are replaced; the arrangement and its
// lines are not changed. Throws vxOCDefs::BadKey "At least one of the keys is not
// found in the alphabet." for an empty key vector, vxOCDefs::BadParams for an invalid
// line or position index, vxOCDefs::BadKey when a key is not possible at the position
// and vxOCDefs::BadIndex when a key is given twice.
vxPtrHandle<vxOCLineArrangement> vfOCChangeCurrentKeys(const vxOCLineArrangement& arrangement,
                                                       long lineIndex, long positionIndex,
                                                       const std::vector<long>& keys);
// So that a braced key list ({4, 1}) is not taken for a character name.
inline vxPtrHandle<vxOCLineArrangement>
vfOCChangeCurrentKeys(const vxOCLineArrangement& arrangement, long lineIndex, long positionIndex,
                      std::initializer_list<long> keys) {
    return vfOCChangeCurrentKeys(arrangement, lineIndex, positionIndex, std::vector<long>(keys));
}
vxPtrHandle<vxOCLineArrangement> vfOCChangeCurrentKey(const vxOCLineArrangement& arrangement,
                                                      long lineIndex, long positionIndex, long key);
// The keys of every model of the line's alphabet named `name`, in alphabet order,
// become current (a name no model has is the empty key vector).
vxPtrHandle<vxOCLineArrangement> vfOCChangeCurrentKeys(const vxOCLineArrangement& arrangement,
                                                       long lineIndex, long positionIndex,
                                                       const std::wstring& name);
// Makes the position a wild card.
vxPtrHandle<vxOCLineArrangement> vfOCChangeCurrentKey(const vxOCLineArrangement& arrangement,
                                                      long lineIndex, long positionIndex);
