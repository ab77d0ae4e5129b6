// Archive round trips, shared objects, versions and corrupted input.
#include "vxArchive.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A shared persistent test object with one version-1 level.
class Node : public vxPersistent, public vxRepBase {
public:
    long value = 0;
    std::wstring label;
    vxPtrHandle<Node> next;

    void dispatchSerialize(vxArchive& ar) override {
        if (haveVisited(ar, typeid(Node))) return;
        unsigned char v = ar.transferVersion(1, 1, "Node");
        vxPersistent::dispatchSerialize(ar);
        ar || value || label;
        if (v >= 1) ar || next;
        setVisited(ar, typeid(Node));
    }
    static vxPersistent* make() { return new Node; }
};
const vx_Instantiator sNodeExemplar(typeid(Node), &Node::make);

std::vector<unsigned char> storeChain(vxPtrHandle<Node> head) {
    vxArchive ar;
    ar || head;
    return ar.bytes();
}

} // namespace

TEST(Archive, PrimitivesRoundTrip) {
    vxArchive out;
    bool b = true;
    char c = -5;
    short s = -1234;
    int i = -123456789;
    long l = -1234567890123L;
    unsigned long ul = 0xFEDCBA9876543210UL;
    float f = 1.5f;
    double d = -2.25e-300;
    std::wstring ws = L"caf\u00e9 \U0001F600";
    std::string ns = "plain";
    std::vector<double> vd{1.0, -2.0, 3.5};
    out || b || c || s || i || l || ul || f || d || ws || ns || vd;

    vxArchive in(out.bytes());
    bool b2 = false;
    char c2 = 0;
    short s2 = 0;
    int i2 = 0;
    long l2 = 0;
    unsigned long ul2 = 0;
    float f2 = 0;
    double d2 = 0;
    std::wstring ws2;
    std::string ns2;
    std::vector<double> vd2;
    in || b2 || c2 || s2 || i2 || l2 || ul2 || f2 || d2 || ws2 || ns2 || vd2;
    EXPECT_EQ(b, b2);
    EXPECT_EQ(c, c2);
    EXPECT_EQ(s, s2);
    EXPECT_EQ(i, i2);
    EXPECT_EQ(l, l2);
    EXPECT_EQ(ul, ul2);
    EXPECT_EQ(f, f2);
    EXPECT_EQ(d, d2);
    EXPECT_EQ(ws, ws2);
    EXPECT_EQ(ns, ns2);
    EXPECT_EQ(vd, vd2);
    EXPECT_EQ(in.remaining(), 0u);
    // Little-endian encoding of an int.
    vxArchive raw;
    int one = 0x01020304;
    raw || one;
    EXPECT_EQ(raw.bytes(), (std::vector<unsigned char>{4, 3, 2, 1}));
}

TEST(Archive, SharedObjectStoredOnceAndComesBackShared) {
    vxPtrHandle<Node> shared(new Node);
    shared->value = 7;
    shared->label = L"shared";
    vxPtrHandle<Node> a(new Node), b(new Node);
    a->next = shared;
    b->next = shared;
    std::vector<vxPtrHandle<Node>> both{a, b};

    vxArchive out;
    out || both;
    vxArchive oneOnly;
    oneOnly || a;
    vxArchive twice;
    twice || a || a;
    EXPECT_LT(twice.bytes().size(), 2 * oneOnly.bytes().size());

    std::vector<vxPtrHandle<Node>> loaded;
    {
        vxArchive in(out.bytes());
        in || loaded;
    }
    ASSERT_EQ(loaded.size(), 2u);
    ASSERT_TRUE(loaded[0]->next);
    EXPECT_EQ(loaded[0]->next.get(), loaded[1]->next.get());
    EXPECT_EQ(loaded[0]->next->value, 7);
    EXPECT_EQ(loaded[0]->next->label, L"shared");
    EXPECT_EQ(loaded[0]->next->refCount(), 2); // the archive let go of its reference
}

TEST(Archive, SelfReferenceLoads) {
    vxPtrHandle<Node> loop(new Node);
    loop->next = loop;
    auto bytes = storeChain(loop);
    loop->next.reset(); // break the cycle so that the test does not leak

    vxPtrHandle<Node> back;
    {
        vxArchive in(bytes);
        in || back;
    }
    EXPECT_EQ(back->next.get(), back.get());
    back->next.reset();
}

TEST(Archive, UnknownVersionRefused) {
    vxPtrHandle<Node> n(new Node);
    auto bytes = storeChain(n);
    // Layout: tag, class-name count (8 bytes) and name, then Node's version byte.
    size_t versionAt = 1 + 8 + std::string(typeid(Node).name()).size();
    ASSERT_EQ(bytes[versionAt], 1);
    bytes[versionAt] = 2;
    vxArchive in(bytes);
    vxPtrHandle<Node> back;
    try {
        in || back;
        FAIL() << "expected UnknownVersion";
    } catch (const vxArchive::UnknownVersion& e) {
        EXPECT_EQ(e.className(), "Node");
        EXPECT_EQ(e.version(), 2);
    }
}

TEST(Archive, TruncatedAndCorruptedInputThrows) {
    vxPtrHandle<Node> head(new Node);
    head->label = L"head of a short chain";
    head->next = vxPtrHandle<Node>(new Node);
    head->next->value = 99;
    auto bytes = storeChain(head);

    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        vxArchive in(std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut));
        vxPtrHandle<Node> back;
        EXPECT_THROW(in || back, vxArchive::Error) << "cut at " << cut;
    }

    // Random bit flips: loading either succeeds or throws an archive error; never
    // crashes, reads out of bounds (the sanitizer build checks) or allocates wildly.
    std::mt19937 rng(1234);
    for (int trial = 0; trial < 2000; ++trial) {
        auto damaged = bytes;
        int flips = 1 + trial % 3;
        for (int k = 0; k < flips; ++k)
            damaged[rng() % damaged.size()] ^= static_cast<unsigned char>(1u << (rng() % 8));
        vxArchive in(damaged);
        vxPtrHandle<Node> back;
        try {
            in || back;
        } catch (const vxArchive::Error&) {
        }
        // Damage can link the loaded nodes into a cycle; unlink them all.
        for (vxPtrHandle<Node> cur = back; cur;) {
            vxPtrHandle<Node> next = cur->next;
            cur->next.reset();
            cur = next;
        }
    }
}

TEST(Archive, HugeCountIsRejectedBeforeAllocating) {
    vxArchive out;
    unsigned char version = 0;
    unsigned long count = 1UL << 60;
    out || version || count;
    vxArchive in(out.bytes());
    std::vector<double> v;
    EXPECT_THROW(in || v, vxArchive::BadData);
    std::wstring s;
    vxArchive in2(std::vector<unsigned char>(out.bytes().begin() + 1, out.bytes().end()));
    EXPECT_THROW(in2 || s, vxArchive::BadData);
}

TEST(Archive, UnknownClassRefused) {
    vxArchive out;
    unsigned char tag = 1;
    std::string name = "NoSuchClass";
    out || tag || name;
    vxArchive in(out.bytes());
    vxPtrHandle<Node> back;
    EXPECT_THROW(in || back, vxArchive::UnknownClass);
}
