// String clones.
#include "vstd_string.h"

#include <gtest/gtest.h>

#include <string>

TEST(CString, ClonesAreIndependentCopies) {
    const std::u32string s = U"A\U0001F600z";
    vstd_char32* c32 = nullptr;
    ASSERT_EQ(vstd_string_clone32(s.c_str(), &c32), VSYS_OK);
    ASSERT_NE(c32, nullptr);
    EXPECT_NE(c32, s.c_str());
    EXPECT_EQ(std::u32string(c32), s);
    EXPECT_EQ(vstd_string_length32(c32), 3u);
    vstd_string_free(c32);

    wchar_t* cw = nullptr;
    ASSERT_EQ(vstd_string_cloneW(L"", &cw), VSYS_OK);
    ASSERT_NE(cw, nullptr); // an empty string clones to an empty string, not to null
    EXPECT_EQ(cw[0], L'\0');
    vstd_string_free(cw);
}

TEST(CString, NullHandling) {
    wchar_t* cw = reinterpret_cast<wchar_t*>(1);
    EXPECT_EQ(vstd_string_cloneW(nullptr, &cw), VSYS_OK);
    EXPECT_EQ(cw, nullptr);
    EXPECT_EQ(vstd_string_clone32(U"x", nullptr), VSYS_STATUS_NULL_POINTER);
    EXPECT_EQ(vstd_string_length32(nullptr), 0u);
    vstd_string_free(nullptr);
}
