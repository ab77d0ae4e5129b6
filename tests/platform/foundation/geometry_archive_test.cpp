// Archive forms of the geometry types: round trips, layouts the module relies on, and
// loops of shared transforms.
#include "vxAffineRectangle.h"
#include "vxNMMatrix.h"
#include "vxRange.h"
#include "vxRect.h"
#include "vxXform.h"

#include "archive_test_util.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// A persistent object that archives a vxRect from one reused local per element,
// all within one archive operation.
class RectList : public vxPersistent {
public:
    std::vector<vxRect> rects;
    void dispatchSerialize(vxArchive& ar) override {
        unsigned long n = rects.size();
        ar.transferCount(n, 1);
        if (ar.isLoading()) rects.assign(n, vxRect());
        for (unsigned long i = 0; i < n; ++i) {
            vxRect local = rects[i]; // the same stack slot every time
            ar || local;
            rects[i] = local;
        }
    }
};

const std::string kCompositeName = typeid(vx2XformComposite).name();

} // namespace

TEST(GeometryArchive, ValueTypesRoundTripWithTheModulesLayouts) {
    const vxXform<2> x(vxMatrix<2>(vxDegree(12), vxDegree(-3), 1.5, 0.25), vxVector<2>(7, -8));
    EXPECT_EQ(roundTripped(vxVector<2>(-1.5, 2e300)), vxVector<2>(-1.5, 2e300));
    EXPECT_EQ(roundTripped(vxMatrix<2>(1, -2, 3.5, 4e-300)), vxMatrix<2>(1, -2, 3.5, 4e-300));
    EXPECT_EQ(roundTripped(x), x);
    const vx2Rigid rigid(vxVector<2>(3, 4), vxRadian(-2.5));
    EXPECT_EQ(roundTripped(rigid), rigid);
    EXPECT_EQ(roundTripped(vxDegree(-270)), vxDegree(-270));
    for (const vxRange& range :
         {vxRange(0.9, 1.1), vxRange(2, 2), vxRange::EmptyRange(), vxRange::FullRange()})
        EXPECT_EQ(roundTripped(range, vxRange(5, 6)), range);
    EXPECT_EQ(roundTripped(vxPelRect(-5, 7, 1L << 40, 0)), vxPelRect(-5, 7, 1L << 40, 0));
    EXPECT_EQ(roundTripped(vxRect(-1.25, 2, 3, -4)), vxRect(-1.25, 2, 3, -4));
    const vxAffineRectangle affine(vxVector<2>(1, 2), vxVector<2>(5, 3), vxVector<2>(0, 7));
    EXPECT_EQ(roundTripped(affine), affine);
    {
        // The persistence helper and operator|| share one form.
        vxArchive store;
        vxPelRect src(1, 2, 3, 4);
        vf_PersistenceHelper<vxRectangle<long>>::serialize(store, src);
        vxArchive load(store.bytes());
        vxPelRect back;
        load || back;
        EXPECT_EQ(back, src);
    }
    vxNMMatrix nmSrc(3, 2);
    nmSrc(2, 1) = -7;
    nmSrc(0, 0) = std::numeric_limits<double>::quiet_NaN();
    const vxNMMatrix nm = roundTripped(nmSrc);
    EXPECT_EQ(nm.rows(), 3);
    EXPECT_EQ(nm.cols(), 2);
    EXPECT_TRUE(std::isnan(nm(0, 0)));
    EXPECT_EQ(nm(2, 1), -7.0);
    EXPECT_EQ(roundTripped(vxNMMatrix(0, 5), vxNMMatrix(4, 4)), vxNMMatrix(0, 5));

    // Containers of them, as the module's classes hold them.
    const std::vector<std::vector<vxXform<2>>> table{{x, vxXform<2>()}, {}};
    EXPECT_EQ(roundTripped(table), table);
    const std::vector<vxRect> rects{vxRect(1, 2, 3, 4), vxRect()};
    EXPECT_EQ(roundTripped(rects), rects);
    const std::vector<vxRadian> angles{vxRadian(0), vxRadian(-1)};
    EXPECT_EQ(roundTripped(angles), angles);

    // An angle is one double in radians (the arrange parameters say so).
    vxArchive ar;
    vxRadian angle(0.75);
    ar || angle;
    double plain = 0;
    vxArchive asDouble(ar.bytes());
    asDouble || plain;
    EXPECT_EQ(plain, 0.75);
    EXPECT_EQ(asDouble.remaining(), 0u);
    EXPECT_EQ(storedSize(vxRange(1, 2)), 16u);
    EXPECT_EQ(storedSize(vxXform<2>()), 48u);
    EXPECT_EQ(storedSize(vx2Rigid()), 24u);
    EXPECT_EQ(storedSize(vxPelRect()), 32u); // four longs
    EXPECT_EQ(storedSize(vxRect()), 33u);    // version byte and four doubles
    EXPECT_EQ(storedSize(vxNMMatrix(1, 1)), 1u + 8 + 8 + 8);
}

TEST(GeometryArchive, CompositeLoopsAreRefused) {
    // A composite whose outer part is itself (tag 2 refers to object 0), and two
    // composites that refer to each other.
    unsigned char newObject = 1, seen = 2, null = 0, version = 0;
    std::string name = kCompositeName;
    uint64_t first = 0;
    vxArchive self, pair;
    self || newObject || name || version || seen || first || null || version;
    pair || newObject || name || version;     // A
    pair || newObject || name || version;     // A.outer = B
    pair || seen || first || null || version; // B.outer = A, B.inner null, B's base
    pair || null || version;                  // A.inner null, A's base
    for (const vxArchive* store : {&self, &pair}) {
        vxArchive load(store->bytes());
        vxPtrHandle_const<vx2XformBase> h;
        EXPECT_THROW(load || h, vxArchive::BadData);
    }
}
