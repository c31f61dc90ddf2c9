#include "geometry/front_queue.h"

void FrontQueue::Clear() {
    heap_.clear();
    slot_.clear();
}

bool FrontQueue::Contains(std::int32_t v) const {
    return v >= 0 && static_cast<std::size_t>(v) < slot_.size() && slot_[v] >= 0;
}

void FrontQueue::Place(std::size_t at, const Entry& e) {
    heap_[at] = e;
    slot_[e.index] = static_cast<std::int32_t>(at);
}

void FrontQueue::SiftUp(std::size_t at) {
    const Entry e = heap_[at];
    while (at > 0) {
        const std::size_t parent = (at - 1) / 2;
        if (!Before(e, heap_[parent])) break;
        Place(at, heap_[parent]);
        at = parent;
    }
    Place(at, e);
}

void FrontQueue::SiftDown(std::size_t at) {
    const Entry e = heap_[at];
    const std::size_t size = heap_.size();
    for (;;) {
        std::size_t child = 2 * at + 1;
        if (child >= size) break;
        if (child + 1 < size && Before(heap_[child + 1], heap_[child])) ++child;
        if (!Before(heap_[child], e)) break;
        Place(at, heap_[child]);
        at = child;
    }
    Place(at, e);
}

void FrontQueue::Set(std::int32_t v, float key) {
    if (static_cast<std::size_t>(v) >= slot_.size())
        slot_.resize(static_cast<std::size_t>(v) + 1, -1);
    if (slot_[v] < 0) {
        heap_.push_back({key, v});
        slot_[v] = static_cast<std::int32_t>(heap_.size() - 1);
        SiftUp(heap_.size() - 1);
        return;
    }
    const std::size_t at = static_cast<std::size_t>(slot_[v]);
    const Entry old = heap_[at];
    heap_[at].key = key;
    if (Before(heap_[at], old))
        SiftUp(at);
    else
        SiftDown(at);
}

void FrontQueue::Remove(std::int32_t v) {
    if (!Contains(v)) return;
    const std::size_t at = static_cast<std::size_t>(slot_[v]);
    slot_[v] = -1;
    const Entry last = heap_.back();
    heap_.pop_back();
    if (at == heap_.size()) return;
    const Entry gone{heap_[at].key, v};
    Place(at, last);
    if (Before(last, gone))
        SiftUp(at);
    else
        SiftDown(at);
}
