// Number formatting for diagnostic texts: exact outputs of vfStr, vfDbl and vfHex.
#include "vxDiagDefs.h"
#include "vxNumText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

TEST(NumText, DblRoundsToPrecisionInBothNotations) {
    EXPECT_EQ(vfDbl(0.9, 3, false), L"0.900");
    EXPECT_EQ(vfDbl(1.0 / 3.0, 3, false), L"0.333");
    EXPECT_EQ(vfDbl(2.0 / 3.0, 3, false), L"0.667");
    EXPECT_EQ(vfDbl(-1.25, 1, false), L"-1.2"); // 1.25 is exact: ties go to even
    EXPECT_EQ(vfDbl(12345.678, 0, false), L"12346");
    EXPECT_EQ(vfDbl(1e20, 2, false), L"100000000000000000000.00");
    EXPECT_EQ(vfDbl(0.0, 3, false), L"0.000");
    EXPECT_EQ(vfDbl(0.9, 3, true), L"9.000e-01");
    EXPECT_EQ(vfDbl(-12345.0, 2, true), L"-1.23e+04");
    EXPECT_EQ(vfDbl(std::nan(""), 3, false), L"nan");
    EXPECT_EQ(vfDbl(std::numeric_limits<double>::infinity(), 3, false), L"inf");
    EXPECT_EQ(vfDbl(-std::numeric_limits<double>::infinity(), 3, true), L"-inf");
    // A value that rounds to zero shows no sign.
    EXPECT_EQ(vfDbl(-0.0001, 3, false), L"0.000");
    EXPECT_EQ(vfDbl(-0.0, 2, true), L"0.00e+00");
    EXPECT_EQ(vfDbl(-0.0006, 3, false), L"-0.001");
    // The largest double in fixed notation with the largest precision fits.
    EXPECT_EQ(vfDbl(std::numeric_limits<double>::max(), 40, false).size(), 309u + 1 + 40);
    EXPECT_THROW(vfDbl(1.0, -1, false), vxDiagDefs::BadArgument);
    EXPECT_THROW(vfDbl(1.0, 41, true), vxDiagDefs::BadArgument);
    EXPECT_NO_THROW(vfDbl(1.0, 40, true));
}

TEST(NumText, HexPadsAndPrintsNegativeKeysAs32Bits) {
    EXPECT_EQ(vfHex(0x41, 8), L"00000041");
    EXPECT_EQ(vfHex(0xabcdefUL, 8), L"00ABCDEF");
    EXPECT_EQ(vfHex(0, 0), L"0");
    EXPECT_EQ(vfHex(255, 1), L"FF"); // never truncated
    EXPECT_EQ(vfHex(-1L, 8), L"FFFFFFFF");
    EXPECT_EQ(vfHex(-2, 8), L"FFFFFFFE");
    EXPECT_EQ(vfHex(static_cast<long>(INT32_MIN), 8), L"80000000");
    EXPECT_EQ(vfHex(static_cast<long>(INT32_MIN) - 1, 8), L"FFFFFFFF7FFFFFFF");
    EXPECT_EQ(vfHex(ULONG_MAX, 8), L"FFFFFFFFFFFFFFFF");
    EXPECT_EQ(vfHex(0x1234L, 32), std::wstring(28, L'0') + L"1234");
    EXPECT_THROW(vfHex(1, -1), vxDiagDefs::BadArgument);
    EXPECT_THROW(vfHex(1, 33), vxDiagDefs::BadArgument);
}
