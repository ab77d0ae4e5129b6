// Archive forms of the geometry types: round trips, layouts the module relies on,
// shared transforms, and damaged input.
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

std::vector<unsigned char> storeHandles(std::vector<vxPtrHandle_const<vx2XformBase>> hs) {
    vxArchive ar;
    ar || hs;
    return ar.bytes();
}

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

TEST(GeometryArchive, RectIsPersistent) {
    // A local reused within one archive operation is archived every time.
    RectList list;
    list.rects = {vxRect(1, 1, 1, 1), vxRect(2, 2, 2, 2), vxRect(3, 3, 3, 3)};
    vxArchive store;
    store || list;
    RectList back;
    vxArchive load(store.bytes());
    load || back;
    EXPECT_EQ(back.rects, list.rects);

    // Through a persistent pointer the archive re-creates it by its registered class.
    vxRect src(5, 6, 7, 8);
    vxPersistent* p = &src;
    vxArchive byPointer;
    byPointer.serializePointer(p);
    vxArchive loadPointer(byPointer.bytes());
    vxPersistent* made = nullptr;
    loadPointer.serializePointer(made);
    std::unique_ptr<vxPersistent> owned(made);
    ASSERT_TRUE(dynamic_cast<vxRect*>(made));
    EXPECT_EQ(*dynamic_cast<vxRect*>(made), src);
}

TEST(GeometryArchive, SharedTransformsComeBackShared) {
    const auto lin = vfMakeXform(vxXform<2>(vxMatrix<2>(2, 0, 0, 2), vxVector<2>(1, 1)));
    const vxPtrHandle_const<vx2XformBase> comp(
        new vx2XformComposite(lin, vfMakeXform(vxXform<2>())));
    const auto bytes = storeHandles({lin, comp, lin});

    std::vector<vxPtrHandle_const<vx2XformBase>> back;
    {
        vxArchive load(bytes);
        load || back;
    }
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].get(), back[2].get());
    EXPECT_TRUE(*back[0] == *lin);
    EXPECT_TRUE(*back[1] == *comp);
    // The composite's outer part is the same object as the first handle.
    const auto* loaded = dynamic_cast<const vx2XformComposite*>(back[1].get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->outer().get(), back[0].get());
    EXPECT_EQ(back[0]->refCount(), 3); // two vector entries and the composite
}

TEST(GeometryArchive, DamagedInputIsRefused) {
    // A range that storing never writes.
    {
        vxArchive store;
        double s = 2, e = 1;
        store || s || e;
        vxArchive load(store.bytes());
        vxRange r;
        EXPECT_THROW(load || r, vxArchive::BadData);
    }
    // Matrix counts beyond the data, beyond long, and an unknown version.
    auto matrixBytes = [](unsigned char version, unsigned long rows, unsigned long cols,
                          int doubles) {
        vxArchive store;
        store || version || rows || cols;
        for (int i = 0; i < doubles; ++i) {
            double d = i;
            store || d;
        }
        return store.bytes();
    };
    for (auto bytes : {matrixBytes(0, 1UL << 40, 1UL << 40, 4), matrixBytes(0, 3, 3, 8),
                       matrixBytes(0, ~0UL, 0, 0), matrixBytes(0, 2, ~0UL / 2 + 1, 4)}) {
        vxArchive load(bytes);
        vxNMMatrix m(1, 1);
        EXPECT_THROW(load || m, vxArchive::BadData);
        EXPECT_EQ(m, vxNMMatrix(1, 1)); // untouched
    }
    {
        vxArchive load(matrixBytes(1, 1, 1, 1));
        vxNMMatrix m;
        EXPECT_THROW(load || m, vxArchive::UnknownVersion);
    }
    // Every truncation of a geometry archive throws an archive error.
    vxArchive store;
    vxXform<2> x;
    vxRect rect(1, 2, 3, 4);
    vxNMMatrix nm(2, 2, 1.0);
    vxRange range(1, 2);
    std::vector<vxPtrHandle_const<vx2XformBase>> hs{vfMakeXform(x)};
    store || x || rect || nm || range || hs;
    expectEveryTruncationThrows(store.bytes(),
                                [&](vxArchive& load) { load || x || rect || nm || range || hs; });
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
    // Random damage to a tree of shared transforms either loads or throws an
    // archive error; it never crashes or loops (the sanitizer build checks leaks).
    const auto lin = vfMakeXform(vxXform<2>(vxMatrix<2>(1, 2, 3, 4), vxVector<2>(5, 6)));
    const vxPtrHandle_const<vx2XformBase> inner(new vx2XformComposite(lin, lin));
    const vxPtrHandle_const<vx2XformBase> outer(new vx2XformComposite(inner, lin));
    loadRandomlyDamaged(storeHandles({outer, inner, lin}), 99, 3000, [](vxArchive& load) {
        std::vector<vxPtrHandle_const<vx2XformBase>> back;
        try {
            load || back;
        } catch (const vxArchive::Error&) {
            return;
        }
        for (const auto& h : back)
            if (h) (void)h->mapPoint(vxVector<2>(1, 1));
    });
}
