// Error numbers, archive forms, rethrow by full type, status and polarity conversion.
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

TEST(Errors, ArchiveLayoutMessagesAndUnknownVersions) {
    // A module error keeps its message and type; an arranger error drops the message.
    vxOCDefs::BadIndex badIndex(L"index 7 out of range");
    auto loaded = roundTrip(badIndex);
    auto* asBadIndex = dynamic_cast<vxOCDefs::BadIndex*>(loaded.get());
    ASSERT_NE(asBadIndex, nullptr);
    EXPECT_EQ(asBadIndex->message(), L"index 7 out of range");
    vx_OCExtractDefs::vx_OCExtractError extract(L"Bad index");
    EXPECT_EQ(dynamic_cast<vxException&>(*roundTrip(extract)).message(), L"Bad index");
    vxOCArrangeDefs::BadParams arrange(L"Timeout must be >= 0");
    auto loadedArrange = roundTrip(arrange);
    auto* asArrange = dynamic_cast<vxOCArrangeDefs::BadParams*>(loadedArrange.get());
    ASSERT_NE(asArrange, nullptr);
    EXPECT_EQ(asArrange->message(), L"");

    // Own version, Errors version, then the string level; an unknown version names its
    // class level.
    const auto expectUnknownVersion = [](auto target, std::vector<unsigned char> bytes, size_t at,
                                         const char* level) {
        bytes[at] = 3;
        vxArchive in(bytes);
        try {
            in || target;
            ADD_FAILURE() << "expected UnknownVersion";
        } catch (const vxArchive::UnknownVersion& e) {
            EXPECT_EQ(e.className(), level);
        }
    };
    vxOCDefs::BadKey key(L"k");
    vxArchive out;
    out || key;
    ASSERT_GE(out.bytes().size(), 3u);
    EXPECT_EQ(out.bytes()[0], 0);
    EXPECT_EQ(out.bytes()[1], 0);
    expectUnknownVersion(vxOCDefs::BadKey(), out.bytes(), 1, "vxOCDefs::Errors");

    // An arranger error archives its two levels and then the bare exception level.
    vxOCArrangeDefs::BadMask mask(L"not archived");
    vxArchive maskOut, stringOut;
    maskOut || mask;
    vxOCDefs::BadKey empty;
    stringOut || empty;
    EXPECT_LT(maskOut.bytes().size(), stringOut.bytes().size());
    expectUnknownVersion(vxOCArrangeDefs::BadMask(), maskOut.bytes(), 0,
                         "vxOCArrangeDefs::BadMask");
}

TEST(Errors, SuicideAndRethrowKeepsConcreteType) {
    vxOCDefs::Errors* heap = new vxOCDefs::NotCompiled(L"not compiled");
    try {
        heap->suicideAndRethrow();
        FAIL() << "expected a throw";
    } catch (const vxOCDefs::Errors& e) {
        EXPECT_EQ(e.errorNumber(), 0x10005e06);
        EXPECT_NE(dynamic_cast<const vxOCDefs::NotCompiled*>(&e), nullptr);
        EXPECT_EQ(e.message(), L"not compiled");
    }
    vxException* arrange = new vxOCArrangeDefs::BadParams(L"x");
    EXPECT_THROW(arrange->suicideAndRethrow(), vxOCArrangeDefs::BadParams);
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

TEST(Errors, PolarityConversion) {
    voc_charPolarity c = voc_charPolarityUnknown;
    vfConvertPolarity(vxOCDefs::eLightOnDark, c);
    EXPECT_EQ(c, voc_charPolarityLightOnDark);
    vxOCDefs::Polarity p = vxOCDefs::eDarkOnLight;
    vfConvertPolarity(voc_charPolarityUnknown, p);
    EXPECT_EQ(p, vxOCDefs::eUnknownPolarity);
    try {
        vfConvertPolarity(static_cast<voc_charPolarity>(3), p);
        FAIL();
    } catch (const vxOCDefs::BadParams& e) {
        EXPECT_EQ(e.message(), L"Illegal polarity");
    }
    EXPECT_EQ(p, vxOCDefs::eUnknownPolarity);
}
