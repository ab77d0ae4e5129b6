// Archive round trips, shared objects, versions and corrupted input.
#include "archive_test_util.h"

#include <memory>

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

// A registered class that is neither shared nor a Node; counts its live objects.
class Plain : public vxPersistent {
public:
    static inline int live = 0;
    Plain() { ++live; }
    ~Plain() override { --live; }
    void dispatchSerialize(vxArchive& ar) override { ar.transferVersion(0, 0, "Plain"); }
    static vxPersistent* make() { return new Plain; }
};
const vx_Instantiator sPlainExemplar(typeid(Plain), &Plain::make);

std::vector<unsigned char> storeChain(vxPtrHandle<Node> head) {
    vxArchive ar;
    ar || head;
    return ar.bytes();
}

void unlink(vxPtrHandle<Node> cur) {
    while (cur) {
        vxPtrHandle<Node> next = cur->next;
        cur->next.reset();
        cur = next;
    }
}

// Loads a chain and unlinks it again (damage can link the loaded nodes into a cycle).
void loadChain(vxArchive& in) {
    vxPtrHandle<Node> back;
    try {
        in || back;
    } catch (...) {
        unlink(back);
        throw;
    }
    unlink(back);
}

// A chain of `levels` new Nodes, written field by field so that it may nest deeper
// than storing allows.
std::vector<unsigned char> handWrittenChain(int levels) {
    vxArchive out;
    unsigned char newObject = 1, version = 1, null = 0;
    std::string name = typeid(Node).name();
    long value = 0;
    std::wstring label;
    for (int k = 0; k < levels; ++k)
        out || newObject || name || version || value || label;
    out || null;
    return out.bytes();
}

} // namespace

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

    // A self-reference loads as one object pointing at itself.
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

TEST(Archive, UnknownVersionClassAndHugeCountsAreRefused) {
    auto bytes = storeChain(vxPtrHandle<Node>(new Node));
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

    vxArchive unknown;
    unsigned char tag = 1;
    std::string name = "NoSuchClass";
    unknown || tag || name;
    vxArchive inUnknown(unknown.bytes());
    EXPECT_THROW(inUnknown || back, vxArchive::UnknownClass);

    // A count beyond the bytes left is refused before anything is allocated, by the
    // count's own check rather than by a short read afterwards: nine elements of at
    // least a byte, or three wide characters of four, cannot come from eight bytes.
    auto expectCountRefused = [](unsigned long count, auto target, bool versioned) {
        vxArchive out;
        unsigned char version = 0;
        double eightBytes = 1;
        if (versioned) out || version;
        out || count || eightBytes;
        vxArchive in(out.bytes());
        try {
            in || target;
            ADD_FAILURE() << "expected BadData for count " << count;
        } catch (const vxArchive::BadData& e) {
            EXPECT_NE(std::string(e.what()).find("count"), std::string::npos) << e.what();
        }
    };
    expectCountRefused(9, std::vector<double>(), true);
    expectCountRefused(3, std::wstring(), false);
    expectCountRefused(1UL << 60, std::wstring(), false);
}

TEST(Archive, TruncatedAndCorruptedInputThrows) {
    vxPtrHandle<Node> head(new Node);
    head->label = L"head of a short chain";
    head->next = vxPtrHandle<Node>(new Node);
    head->next->value = 99;
    const auto bytes = storeChain(head);
    expectEveryTruncationThrows(bytes, loadChain);
}

TEST(Archive, AnObjectOfTheWrongClassIsRefusedAndFreed) {
    // A Node handle whose slot holds a new Plain: refused and freed.
    unsigned char newObject = 1, seen = 2, version = 0;
    std::string name = typeid(Plain).name();
    vxArchive fresh;
    fresh || newObject || name || version;
    {
        vxArchive in(fresh.bytes());
        vxPtrHandle<Node> h;
        EXPECT_THROW(in || h, vxArchive::BadData);
        EXPECT_TRUE(h.isNull());
    }
    EXPECT_EQ(Plain::live, 0);

    // A Plain loaded through a plain pointer, then named again by a Node handle: refused,
    // and it stays with the owner it has.
    uint64_t first = 0;
    vxArchive again;
    again || newObject || name || version || seen || first;
    vxArchive in(again.bytes());
    vxPersistent* raw = nullptr;
    in.serializePointer(raw);
    std::unique_ptr<vxPersistent> owned(raw);
    vxPtrHandle<Node> h;
    EXPECT_THROW(in || h, vxArchive::BadData);
    EXPECT_EQ(Plain::live, 1);
    owned.reset();
    EXPECT_EQ(Plain::live, 0);
}

TEST(Archive, NestingBeyondTheLimitIsRefusedBothWays) {
    constexpr int limit = vxArchive::kMaxNesting;
    {
        vxArchive in(handWrittenChain(limit));
        vxPtrHandle<Node> back;
        in || back;
        EXPECT_EQ(in.remaining(), 0u);
        unlink(back);
    }
    vxArchive deeper(handWrittenChain(limit + 1));
    vxPtrHandle<Node> back;
    EXPECT_THROW(deeper || back, vxArchive::BadData);
    EXPECT_TRUE(back.isNull());

    // Storing refuses what loading would refuse, with the storing kind of error.
    vxPtrHandle<Node> head(new Node);
    for (int k = 0; k < limit; ++k) {
        vxPtrHandle<Node> node(new Node);
        node->next = head;
        head = node;
    }
    vxArchive out;
    try {
        out || head;
        ADD_FAILURE() << "stored " << limit + 1 << " levels";
    } catch (const vxArchive::BadData&) {
        ADD_FAILURE() << "storing threw BadData";
    } catch (const vxArchive::Error&) {
    }
    unlink(head);
}
