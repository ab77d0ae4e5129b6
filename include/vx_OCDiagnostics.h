// Diagnostic records of the alphabet and the arranger: what an engineer reads to see
// what the module was given, how it built its answer and what it returned. Nothing
// here changes results; every function records into a caller's vxDiagObject.
#pragma once

#include "vxOCAlphabet.h"
#include "vxOCArrangeParams.h"
#include "vxOCArrangeResults.h"
#include "vxOCChar.h"
#include "vxOCCharKey.h"
#include "vxPelBuffer.h"

#include <string>
#include <vector>

class vxDiagObject;
class vxDiagRecord;

// The confusion matrix as text: "Confusion matrix:", a header of the characters'
// names in single quotes and one row per character of its confusions (3 decimals);
// with `withPairs`, "Confusing pairs:" and one line per ordered pair of different
// characters whose confusion is above the alphabet's threshold, with both keys and
// where the first was found in the second. Empty for a null, empty or uncompiled
// alphabet.
std::wstring vf_ConfusionMatrix(const vxOCAlphabet* alphabet, bool withPairs);

// Records `alphabet` into `diag`: a record titled `title` with the general information
// and the confusion matrix, and with `withCharacters` one level deeper an image record
// per character (its image, key, name, type, image area and pixel range, the image area
// and the client axes drawn) and, one level deeper still, one per mask (care and
// don't-care counts). Returns the general record.
vxDiagRecord* vf_AddAlphabet(vxDiagObject* diag, const vxOCAlphabet* alphabet,
                             const std::wstring& title, bool withCharacters);

// "eNormal", "eBlank", or "InvalidEnumValue" for any other value.
std::wstring vf_CharTypeText(vxOCModel::CharType type);
// "ul(x, y) lr(x, y) size(w, h)" of a pel rectangle (lr exclusive).
std::wstring vf_PelRectText(const vxPelRect& rect);

// The arranger's input group, "OC Arranger: Input": the image with its size, the
// alphabet's and the target's key tables and the run parameters, then one level
// deeper the mask ("Runtime mask", when bound) and the alphabet ("Alphabet details").
void vf_RecordArrangeInput(const vxPelBuffer_const<unsigned char>& image,
                           const vxPelBuffer_const<unsigned char>& mask,
                           const vxOCAlphabet& alphabet, const std::vector<long>& targetKeys,
                           const vxOCArrangeParams& params, vxDiagObject* diag);

// The arranger's output group, "OC Arranger: Output": the overall results with a
// status and score per target position, then one level deeper a record per line with
// its positions' characters, statuses and poses and their enclosing rectangles.
void vf_RecordArrangeOutput(const vxPelBuffer_const<unsigned char>& image,
                            const std::vector<long>& targetKeys, const vxOCAlphabet& alphabet,
                            const vxOCArrangeResults& results, vxDiagObject* diag,
                            unsigned long diagFlags);

// A character key as four lines: "Character code : ", "Instance : ", "Variant : " and
// "FontID : ", each with its value in decimal (unset values as they are stored: 63488
// and -1).
std::wstring vf_OCCharKeyText(const vxOCCharKey& key);

// Records `character` into `diag`: its whole image titled `title`, a text "Key" with
// its name, key and polarity, and its specified mark and cell rectangles (mark green,
// cell orange) as graphics "rect(s)": those in image coordinates, or those in client
// coordinates when there are more of them. Returns the record (null for a null diag).
// Throws what name() throws for a name that has no wide form.
vxDiagRecord* vf_AddOCChar(vxDiagObject* diag, const vxOCChar& character,
                           const std::wstring& title);
