// vxOCCharKey: identifies one character of a font by its character code, font, glyph
// variant and sample instance. Each field has an unset value (code 0xF800 for an unknown
// character, -1 for an unspecified instance, variant or font); any other value, negative
// ones included, is specified. A plain value: no setter checks, nothing throws but the
// character conversions and loading.
#pragma once

#include "vxArchive.h"
#include "voc_charKey.h"

#include <cstdint>

class vxOCCharKey {
public:
    static constexpr unsigned long kUnknownCode = 0xF800;
    static constexpr long kUnspecified = -1;

    // Fields in record order; the default key has all four unset.
    vxOCCharKey(unsigned long characterCode = kUnknownCode, long instance = kUnspecified,
                long variant = kUnspecified, long fontID = kUnspecified);

    // Sets all four fields to their unset values.
    void reset();

    // Setters store the value as given, cut to 32 bits like the C record's fields.
    unsigned long characterCode() const { return code_; }
    void characterCode(unsigned long code) { code_ = static_cast<uint32_t>(code); }
    long instance() const { return instance_; }
    void instance(long instance) { instance_ = static_cast<int32_t>(instance); }
    long variant() const { return variant_; }
    void variant(long variant) { variant_ = static_cast<int32_t>(variant); }
    long fontID() const { return fontID_; }
    void fontID(long fontID) { fontID_ = static_cast<int32_t>(fontID); }

    bool isCharacterCodeKnown() const { return code_ != kUnknownCode; }
    bool isInstanceSpecified() const { return instance_ != kUnspecified; }
    bool isVariantSpecified() const { return variant_ != kUnspecified; }
    bool isFontIDSpecified() const { return fontID_ != kUnspecified; }

    // Equal character codes (two unknown codes are equal).
    bool equalCharacterCode(const vxOCCharKey& other) const { return code_ == other.code_; }
    bool equalCharacterCode(unsigned long code) const { return code_ == code; }

    // Wild-card match: both codes known and equal, and each of instance, variant and
    // font equal or unspecified on either side. A key of unknown code matches nothing.
    bool isMatch(const vxOCCharKey& other) const;

    // The character code through vxCharCode; the conversion operators throw
    // vxCharCodeDefs::NotRepresentable for a code the type cannot hold.
    bool isRepresentableAsChar() const;
    bool isRepresentableAsWChar() const;
    bool isRepresentableAsTChar() const;
    bool isSpace() const;
    explicit operator char() const;
    explicit operator wchar_t() const;

    // Copy the four fields from or to the C-level record.
    void setKey(const voc_charKey& key);
    void getKey(voc_charKey& key) const;

    friend bool operator==(const vxOCCharKey& a, const vxOCCharKey& b) = default;
    // A strict order over code, font, instance, variant (in that order), in which an
    // unset value sorts after every set one.
    friend bool operator<(const vxOCCharKey& a, const vxOCCharKey& b);

private:
    uint32_t code_;
    int32_t instance_;
    int32_t variant_;
    int32_t fontID_;
};

// Archive: version byte (1), code (unsigned 32-bit), instance, font, variant (signed
// 32-bit). Version 0, without the variant, loads with the variant unspecified; a later
// version throws vxArchive::UnknownVersion. A failed load leaves the key unchanged.
vxArchive& operator||(vxArchive& ar, vxOCCharKey& key);
