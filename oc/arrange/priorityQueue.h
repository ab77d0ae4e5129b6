// vx_PriorityQueue: the arrangement search's queue of waiting candidates, a binary
// min-heap keyed by a double cost.
#pragma once

#include "vxException.h"

#include <cstddef>
#include <utility>
#include <vector>

class vx_PriorityQueueDefs {
public:
    // top, take or pop on a queue without entries.
    class EmptyQueue : public vx_ExceptionImpl<EmptyQueue, 0x10007403> {
    public:
        EmptyQueue() : vx_ExceptionImpl(L"Priority queue is empty") {}
    };
};

// The heap holds slot numbers; each slot keeps one entry and its key, so entries stay
// where they are while the heap is reordered, and slots freed by pop are reused by
// the next push. Entries of equal key come out in whatever order the heap gives.
template <class T> class vx_PriorityQueue {
public:
    vx_PriorityQueue() = default;

    // Number of waiting entries.
    std::size_t size() const { return heap_.size(); }
    bool empty() const { return heap_.empty(); }

    // Adds `value` with `key`: placed last, then lifted while its key is strictly less
    // than its parent's.
    void push(T value, double key) {
        std::size_t slot;
        if (freeSlots_.empty()) {
            slot = slots_.size();
            slots_.push_back(Slot{std::move(value), key});
        } else {
            slot = freeSlots_.back();
            freeSlots_.pop_back();
            slots_[slot] = Slot{std::move(value), key};
        }
        heap_.push_back(slot);
        liftUp_(heap_.size() - 1);
    }

    // The entry of least key and that key; throw EmptyQueue when there is none.
    const T& top() const { return slots_[topSlot_()].value; }
    double topKey() const { return slots_[topSlot_()].key; }

    // Removes the entry of least key (and returns it); throw EmptyQueue when there is none.
    T take() {
        T value = std::move(slots_[topSlot_()].value);
        removeTop_();
        return value;
    }
    void pop() {
        slots_[topSlot_()].value = T();
        removeTop_();
    }

private:
    struct Slot {
        T value;
        double key;
    };

    std::size_t topSlot_() const {
        if (heap_.empty()) throw vx_PriorityQueueDefs::EmptyQueue();
        return heap_.front();
    }

    double keyAt_(std::size_t heapIndex) const { return slots_[heap_[heapIndex]].key; }

    void removeTop_() {
        freeSlots_.push_back(heap_.front());
        heap_.front() = heap_.back();
        heap_.pop_back();
        if (!heap_.empty()) siftDown_(0);
    }

    void liftUp_(std::size_t i) {
        while (i > 0) {
            const std::size_t parent = (i - 1) / 2;
            if (!(keyAt_(i) < keyAt_(parent))) break;
            std::swap(heap_[i], heap_[parent]);
            i = parent;
        }
    }

    void siftDown_(std::size_t i) {
        const std::size_t n = heap_.size();
        for (;;) {
            const std::size_t left = 2 * i + 1, right = left + 1;
            std::size_t least = i;
            if (left < n && keyAt_(left) < keyAt_(least)) least = left;
            if (right < n && keyAt_(right) < keyAt_(least)) least = right;
            if (least == i) break;
            std::swap(heap_[i], heap_[least]);
            i = least;
        }
    }

    std::vector<std::size_t> heap_;
    std::vector<Slot> slots_;
    std::vector<std::size_t> freeSlots_;
};
