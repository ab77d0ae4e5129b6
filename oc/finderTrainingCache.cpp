// The finder's process-wide cache of trained characters: a short list in recency
// order behind a mutex. Lookups compare a pointer and two numbers; the list is at most
// a few hundred entries, so a linear walk costs less than the fingerprint.
#include "finderTrainingCache.h"

#include <cstring>
#include <list>
#include <mutex>

namespace {

struct Slot {
    vx_OCTrainingCache::Key key;
    std::shared_ptr<const vx_OCTrainedCharacter> entry;
};

struct Store {
    std::mutex mutex;
    std::list<Slot> slots; // most recent first
};

Store& slotStore() {
    static Store s;
    return s;
}

bool sameKey(const vx_OCTrainingCache::Key& a, const vx_OCTrainingCache::Key& b) {
    return a.model.get() == b.model.get() && a.fingerprint == b.fingerprint &&
           a.grainLimits == b.grainLimits;
}

// FNV-1a, 64 bits.
class Fingerprint {
public:
    void add(const void* data, std::size_t n) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < n; ++i)
            h_ = (h_ ^ p[i]) * 0x100000001b3ULL;
    }
    template <class T> void add(const T& value) { add(&value, sizeof value); }
    std::uint64_t value() const { return h_; }

private:
    std::uint64_t h_ = 0xcbf29ce484222325ULL;
};

} // namespace

vx_OCTrainingCache::Key vx_OCTrainingCache::keyOf(const vxPtrHandle_const<vxOCModel>& model,
                                                  const vxPelBuffer_const<unsigned char>& window,
                                                  std::pair<double, double> grainLimits) {
    Fingerprint f;
    f.add(static_cast<int>(model->charType()));
    f.add(window.isBound());
    if (window.isBound()) {
        const vxPelRect& area = window.window();
        f.add(area.x());
        f.add(area.y());
        f.add(area.width());
        f.add(area.height());
        const vxXform<2> x = window.clientFromImage()->linearXform(vxVector<2>(0.0, 0.0)).xform();
        for (int r = 0; r < 2; ++r) {
            f.add(x.matrix()(r, 0));
            f.add(x.matrix()(r, 1));
            f.add(r == 0 ? x.trans().x() : x.trans().y());
        }
        for (long y = area.y(); y < area.y() + area.height(); ++y)
            f.add(window.pointToPel(area.x(), y), static_cast<std::size_t>(area.width()));
    }
    return Key{model, f.value(), grainLimits};
}

std::shared_ptr<const vx_OCTrainedCharacter> vx_OCTrainingCache::find(const Key& key) {
    Store& s = slotStore();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto it = s.slots.begin(); it != s.slots.end(); ++it)
        if (sameKey(it->key, key)) {
            s.slots.splice(s.slots.begin(), s.slots, it);
            return it->entry;
        }
    return nullptr;
}

void vx_OCTrainingCache::store(const Key& key, std::shared_ptr<const vx_OCTrainedCharacter> entry) {
    Store& s = slotStore();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto it = s.slots.begin(); it != s.slots.end(); ++it)
        if (sameKey(it->key, key)) {
            s.slots.erase(it);
            break;
        }
    s.slots.push_front({key, std::move(entry)});
    while (s.slots.size() > kCapacity)
        s.slots.pop_back();
}
