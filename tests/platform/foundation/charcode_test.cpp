// Representability boundaries and white space of character codes.
#include "vxCharCode.h"

#include <gtest/gtest.h>

TEST(CharCode, CharIsAsciiOnly) {
    EXPECT_TRUE(vxCharCode(0).isRepresentableAsChar());
    EXPECT_EQ(vxCharCode(0x41).getAsChar(), 'A');
    EXPECT_EQ(vxCharCode(0x7F).getAsChar(), '\x7f');
    EXPECT_FALSE(vxCharCode(0x80).isRepresentableAsChar());
    EXPECT_FALSE(vxCharCode(0xE9).isRepresentableAsChar());
    EXPECT_THROW(vxCharCode(0xE9).getAsChar(), vxCharCodeDefs::NotRepresentable);
}

TEST(CharCode, WideIsAnyScalarValue) {
    struct Case {
        unsigned long code;
        bool ok;
    };
    for (Case c : {Case{0xE9, true}, Case{0xD7FF, true}, Case{0xD800, false}, Case{0xDFFF, false},
                   Case{0xE000, true}, Case{0xF800, true}, Case{0x10FFFF, true},
                   Case{0x110000, false}, Case{0xFFFFFFFF, false}, Case{0x100000041, false}}) {
        vxCharCode code(c.code);
        EXPECT_EQ(code.isRepresentableAsWChar(), c.ok) << std::hex << c.code;
        EXPECT_EQ(code.isRepresentableAsTChar(), c.ok) << std::hex << c.code;
        if (c.ok) {
            EXPECT_EQ(code.getAsWChar(), static_cast<wchar_t>(c.code));
            EXPECT_EQ(code.getAsTChar(), static_cast<wchar_t>(c.code));
        } else {
            EXPECT_THROW(code.getAsWChar(), vxCharCodeDefs::NotRepresentable);
            EXPECT_THROW(code.getAsTChar(), vxCharCodeDefs::NotRepresentable);
        }
    }
}

TEST(CharCode, UnicodeWhiteSpace) {
    for (unsigned long c :
         {0x09ul, 0x0Dul, 0x20ul, 0x85ul, 0xA0ul, 0x1680ul, 0x2000ul, 0x200Aul, 0x2028ul, 0x3000ul})
        EXPECT_TRUE(vxCharCode(c).isSpace()) << std::hex << c;
    for (unsigned long c : {0x08ul, 0x0Eul, 0x41ul, 0x200Bul, 0xFEFFul, 0xF800ul})
        EXPECT_FALSE(vxCharCode(c).isSpace()) << std::hex << c;
}
