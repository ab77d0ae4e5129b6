// Error numbers and the module's status converter.
#include "vxOCArrangeDefs.h"
#include "vxOCDefs.h"
#include "vx_OCExtractDefs.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Stores an error through a persistent pointer and loads it back by its type.
template <class E> std::unique_ptr<vxPersistent> roundTrip(E& error) {
    vxArchive out;
    vxPersistent* p = &error;
    out.serializePointer(p);
    vxArchive in(out.bytes());
    vxPersistent* loaded = nullptr;
    in.serializePointer(loaded);
    return std::unique_ptr<vxPersistent>(loaded);
}

} // namespace

TEST(Errors, NumbersAreFixed) {
    EXPECT_EQ(vxOCDefs::BadParams().errorNumber(), 0x10005e00);
    EXPECT_EQ(vxOCDefs::BadImage().errorNumber(), 0x10005e01);
    EXPECT_EQ(vxOCDefs::NotImplemented().errorNumber(), 0x10005e02);
    EXPECT_EQ(vxOCDefs::SameKey().errorNumber(), 0x10005e03);
    EXPECT_EQ(vxOCDefs::BadKey().errorNumber(), 0x10005e04);
    EXPECT_EQ(vxOCDefs::BadIndex().errorNumber(), 0x10005e05);
    EXPECT_EQ(vxOCDefs::NotCompiled().errorNumber(), 0x10005e06);
    EXPECT_EQ(vxOCDefs::RectNotSpecified().errorNumber(), 0x10005e09);
    EXPECT_EQ(vxOCDefs::MetricNotSpecified().errorNumber(), 0x10005e0a);
    EXPECT_EQ(vxOCDefs::ThresholdAndInvertNotSpecified().errorNumber(), 0x10005e0b);
    EXPECT_EQ(vxOCDefs::IntegerOverflow().errorNumber(), 0x10005e0d);
    EXPECT_EQ(vxOCDefs::UnrepresentableKey().errorNumber(), 0x10005e0e);
    EXPECT_EQ(vxOCDefs::BadFileFormat().errorNumber(), 0x10005e0f);
    EXPECT_EQ(vxOCArrangeDefs::BadParams().errorNumber(), 0x10007400);
    EXPECT_EQ(vxOCArrangeDefs::BadMask().errorNumber(), 0x10007401);
    EXPECT_EQ(vx_OCExtractDefs::vx_OCExtractError().errorNumber(), 0x10007402);
}

TEST(Errors, StatusConverter) {
    EXPECT_NO_THROW(vf_OCStatusConverter(static_cast<long>(int32_t(0x800013ee))));
    EXPECT_NO_THROW(vf_OCStatusConverter(0));
    EXPECT_THROW(vf_OCStatusConverter(-2147478548L), vxOCDefs::BadParams);
    EXPECT_THROW(vf_OCStatusConverter(-2147478547L), vxOCDefs::ThresholdAndInvertNotSpecified);
    EXPECT_THROW(vf_OCStatusConverter(-2147478545L), vxOCDefs::RectNotSpecified);
    try {
        vf_OCStatusConverter(-2147478543L);
        FAIL();
    } catch (const vxOCDefs::IntegerOverflow& e) {
        EXPECT_EQ(e.message(), L"Value overflows integer value range");
    }
    // Registered at load: the foundation routes family 159 failures to it.
    EXPECT_THROW(vfThrowExceptionOnFailure(-2147478544L), vxOCDefs::IntegerOverflow);
    EXPECT_THROW(vfThrowExceptionOnFailure(-2147478546L), vxStatusError);
    EXPECT_NO_THROW(vfThrowExceptionOnFailure(0));
}
