#pragma once
// The mesher's queue of active front vertices, ordered by (key, index): the
// top is the vertex a scan for the strictly smallest key from the lowest index
// would pick. An indexed binary heap, told whenever a vertex's key changes.
#include <cstdint>
#include <vector>

class FrontQueue {
public:
    void Clear();
    // Inserts vertex v with key, or moves it there if it is queued already.
    // Keys must be ordered values (never not-a-number).
    void Set(std::int32_t v, float key);
    // Takes v out; nothing happens if it is not queued.
    void Remove(std::int32_t v);
    bool Contains(std::int32_t v) const;
    bool Empty() const { return heap_.empty(); }
    std::int32_t Size() const { return static_cast<std::int32_t>(heap_.size()); }
    // The vertex with the smallest key, the lowest index among equal keys; -1 when empty.
    std::int32_t Top() const { return heap_.empty() ? -1 : heap_.front().index; }

private:
    struct Entry {
        float key;
        std::int32_t index;
    };
    static bool Before(const Entry& a, const Entry& b) {
        return a.key < b.key || (a.key == b.key && a.index < b.index);
    }
    void Place(std::size_t at, const Entry& e);
    void SiftUp(std::size_t at);
    void SiftDown(std::size_t at);

    std::vector<Entry> heap_;
    std::vector<std::int32_t> slot_; // heap position of each vertex, -1 when absent
};
