#include "vxException.h"

#include <gtest/gtest.h>

#include <string>

// The place in an assertion's message is the caller's, not the declaration's.
TEST(Assertion, NamesTheExpressionAndTheCallersPlace) {
    vstd_assert_(true, "never reported");
    const int line = __LINE__ + 2;
    try {
        vstd_assert_(1 + 1 == 3, "1 + 1 == 3");
        FAIL() << "no exception";
    } catch (const vxAssertionFailure& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("1 + 1 == 3"), std::string::npos) << message;
        EXPECT_NE(message.find("exception_test.cpp:" + std::to_string(line)), std::string::npos)
            << message;
    }
}
