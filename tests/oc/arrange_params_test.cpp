// Arrange parameters and results: setter validation with bounds and messages,
// equality field by field, archive layouts and versions.
#include "vxOCArrangeParams.h"
#include "vxOCArrangeResults.h"

#include "oc_test_support.h"
#include "vxOCArrange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {

using Defs = vxOCArrangeDefs;
using Access = vx_OCArrangeResultsAccess;
using Set = std::function<void(vxOCArrangeParams&)>;
const double notANumber = std::numeric_limits<double>::quiet_NaN();

std::vector<unsigned char> store(vxOCArrangeParams p) {
    vxArchive out;
    out || p;
    return out.bytes();
}

// Each changes one field away from its default.
const Set changes[] = {
    [](auto& p) { p.scaleRange(vxRange(0.5, 2.0)); },
    [](auto& p) { p.minMatchScore(0.7); },
    [](auto& p) { p.maxLines(3); },
    [](auto& p) { p.lineType(Defs::eCircular); },
    [](auto& p) { p.isTextDirectionSpecified(true); },
    [](auto& p) { p.straightTextDirection(vxRadian(0.25)); },
    [](auto& p) { p.isCircularTextDirectionClockwise(false); },
    [](auto& p) { p.maxUnmatchedChars(2); },
    [](auto& p) { p.orientationMode(Defs::eSpecified); },
    [](auto& p) { p.orientationReference(Defs::eAbsolute); },
    [](auto& p) { p.expectedOrientation(vxRadian(-1.5)); },
    [](auto& p) { p.lineBreakCost(3.0); },
    [](auto& p) { p.unmatchedCharCost(4.0); },
    [](auto& p) { p.normalTransCost(5.0); },
    [](auto& p) { p.tangentialTransCost(6.0); },
    [](auto& p) { p.orientationCost(7.0); },
    [](auto& p) { p.scaleCost(8.0); },
    [](auto& p) { p.compPoseUncertainties(true); },
    [](auto& p) { p.maxCandidates(9); },
    [](auto& p) { p.timeout(11.0); },
};

vxOCArrangeParams allChanged() {
    vxOCArrangeParams p;
    for (const auto& change : changes)
        change(p);
    return p;
}

vxOCArrangeParams loaded(const std::vector<unsigned char>& bytes) {
    vxArchive in(bytes);
    vxOCArrangeParams p;
    in || p;
    return p;
}

} // namespace

TEST(ArrangeParams, SettersCheckInclusiveBoundsWithTheirMessagesAndChangeNothingOnFailure) {
    const struct {
        Set set;
        const wchar_t* message;
    } rejected[] = {
        {[](auto& p) { p.scaleRange(vxRange::EmptyRange()); }, L"Invalid scale range"},
        {[](auto& p) { p.scaleRange(vxRange(0.0, 1.0)); }, L"Invalid scale range"},
        {[](auto& p) { p.minMatchScore(-1e-12); }, L"Invalid min match score"},
        {[](auto& p) { p.minMatchScore(1.0000001); }, L"Invalid min match score"},
        {[](auto& p) { p.minMatchScore(notANumber); }, L"Invalid min match score"},
        {[](auto& p) { p.maxLines(0); }, L"Invalid max lines"},
        {[](auto& p) { p.lineType(Defs::LineType(3)); }, L"Invalid line type"},
        {[](auto& p) { p.maxUnmatchedChars(-1); }, L"Invalid max unmatched chars"},
        {[](auto& p) { p.orientationMode(Defs::OrientationMode(2)); }, L"Invalid orientation mode"},
        {[](auto& p) { p.orientationReference(Defs::OrientationReference(2)); },
         L"Invalid orientation reference"},
        {[](auto& p) { p.lineBreakCost(-0.5); }, L"Invalid line break cost"},
        {[](auto& p) { p.unmatchedCharCost(-0.5); }, L"Invalid unmatched char cost"},
        {[](auto& p) { p.normalTransCost(-0.5); }, L"Invalid normal translation cost"},
        {[](auto& p) { p.tangentialTransCost(notANumber); },
         L"Invalid tangential translation cost"},
        {[](auto& p) { p.orientationCost(-0.5); }, L"Invalid orientation cost"},
        {[](auto& p) { p.scaleCost(-0.5); }, L"Invalid scale cost"},
        {[](auto& p) { p.maxCandidates(-1); }, L"Invalid max candidates"},
        {[](auto& p) { p.timeout(-1.0); }, L"Invalid timeout"},
    };
    for (const auto& r : rejected) {
        vxOCArrangeParams p = allChanged();
        try {
            r.set(p);
            ADD_FAILURE() << "accepted case " << &r - rejected;
        } catch (const Defs::BadParams& e) {
            EXPECT_EQ(e.message(), r.message);
        }
        EXPECT_EQ(p, allChanged());
    }

    // The bounds themselves are accepted; free fields take anything.
    vxOCArrangeParams p;
    p.minMatchScore(0.0);
    p.minMatchScore(1.0);
    p.maxLines(1);
    p.maxUnmatchedChars(0);
    p.maxCandidates(0);
    p.timeout(0.0);
    p.lineBreakCost(0.0);
    p.scaleRange(vxRange(0.5, std::numeric_limits<double>::infinity()));
    p.scaleRange(vxRange(1.0, 1.0));
    p.straightTextDirection(vxRadian(notANumber));
    EXPECT_EQ(p.scaleRange(), vxRange(1.0, 1.0));
}

TEST(ArrangeParams, EveryFieldTakesPartInEqualityAndArchiveWithItsLayout) {
    const vxOCArrangeParams d; // the defaults that change what a search accepts
    EXPECT_EQ(d.scaleRange(), vxRange(0.9, 1.1));
    EXPECT_EQ(d.minMatchScore(), 0.4);
    EXPECT_EQ(d.maxCandidates(), 500000);
    EXPECT_EQ(d.timeout(), 10.0);
    EXPECT_EQ(loaded(store(d)), d);
    for (size_t i = 0; i < std::size(changes); ++i) {
        vxOCArrangeParams one;
        changes[i](one);
        EXPECT_NE(one, vxOCArrangeParams()) << "field " << i;
        EXPECT_EQ(loaded(store(one)), one) << "field " << i;
    }

    // Version byte, range (2 doubles), score, int, enum (unsigned long), bool, angle,
    // bool, int, two enums, angle, six costs, bool, int, timeout.
    const std::vector<unsigned char> bytes = store(allChanged());
    EXPECT_EQ(bytes.size(), 1u + 16 + 8 + 4 + 8 + 1 + 8 + 1 + 4 + 16 + 8 + 48 + 1 + 4 + 8);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[25], 3); // maxLines, after the version, range and score

    std::vector<unsigned char> badVersion = bytes;
    badVersion[0] = 1;
    vxOCArrangeParams target;
    try {
        vxArchive in(badVersion);
        in || target;
        FAIL() << "version 1 loaded";
    } catch (const vxArchive::UnknownVersion& e) {
        EXPECT_EQ(e.className(), "oc/arrange");
    }
    std::vector<unsigned char> badEnum = bytes;
    badEnum[29] = 7; // the line type
    vxArchive enumIn(badEnum);
    EXPECT_THROW(enumIn || target, vxArchive::BadData);
    vxArchive truncatedIn(std::vector<unsigned char>(bytes.begin(), bytes.end() - 1));
    EXPECT_THROW(truncatedIn || target, vxArchive::BadData);
    EXPECT_EQ(target, vxOCArrangeParams());
}

namespace {

vxPtrHandle_const<vxOCLineArrangement> arrangement(const wchar_t* name) {
    return vxPtrHandle_const<vxOCLineArrangement>(new vxOCLineArrangement(
        std::vector<vxPtrHandle_const<vxOCLine>>(), vx2Rigid(), 0.0, vxRadian(0), name));
}

vxOCArrangeResults filledResults() {
    vxOCArrangeResults r;
    Access::isFound(r) = true;
    Access::isSearchTruncated(r) = true;
    Access::arrangement(r) = arrangement(L"found");
    Access::clientFromArrangementXform(r) =
        vxXform<2>(vxVector<2>(3, 4), 1.5, 1.0, vxRadian(0), vxRadian(0.5));
    Access::statusFlags(r) = {Defs::eMatched, Defs::eInferred, Defs::eUnknown};
    Access::scores(r) = {0.9, 0.0, 0.0};
    return r;
}

} // namespace

TEST(ArrangeResults, ArchiveVersionsAndDamagedStreams) {
    vxOCArrangeResults filled = filledResults();
    vxArchive out;
    out || filled;
    EXPECT_EQ(out.bytes()[0], 1);
    vxOCArrangeResults loaded;
    vxArchive in(out.bytes());
    in || loaded;
    EXPECT_EQ(loaded, filled);
    EXPECT_EQ(in.remaining(), 0u);

    // Loading over a filled object drops its arrangement for the stored null one.
    vxOCArrangeResults empty;
    vxArchive emptyOut;
    emptyOut || empty;
    vxArchive emptyIn(emptyOut.bytes());
    emptyIn || loaded;
    EXPECT_TRUE(loaded.arrangement().isNull());
    EXPECT_EQ(loaded, empty);

    // Version 0 carries two trailing doubles that are read and dropped.
    std::vector<unsigned char> v0 = out.bytes();
    v0[0] = 0;
    vxArchive tail;
    double first = 1.0, second = 2.0;
    tail || first || second;
    v0.insert(v0.end(), tail.bytes().begin(), tail.bytes().end());
    vxArchive v0In(v0);
    v0In || loaded;
    EXPECT_EQ(loaded, filled);
    EXPECT_EQ(v0In.remaining(), 0u);

    std::vector<unsigned char> v2 = out.bytes();
    v2[0] = 2;
    vxArchive v2In(v2);
    EXPECT_THROW(v2In || loaded, vxArchive::UnknownVersion);

    // One status more than scores is refused.
    vxOCArrangeResults uneven = filledResults();
    Access::statusFlags(uneven).push_back(Defs::eUnknown);
    vxArchive unevenOut;
    unevenOut || uneven;
    vxArchive unevenIn(unevenOut.bytes());
    EXPECT_THROW(unevenIn || loaded, vxArchive::BadData);

    // A bad status value leaves the target as it was.
    std::vector<unsigned char> badStatus = out.bytes();
    badStatus.at(badStatus.size() - 3 * 8 - 9 - 8) = 3; // the last status
    vxArchive badIn(badStatus);
    EXPECT_THROW(badIn || loaded, vxArchive::BadData);
    EXPECT_EQ(loaded, filled);
}
