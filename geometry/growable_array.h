#pragma once
// A record array that grows, when full, to trunc(capacity x 1.5) and moves its
// records into the new storage, as every growable list of the build does.
#include <cstdint>
#include <memory>
#include <utility>

template <typename T> class GrowableArray {
public:
    GrowableArray() = default;
    explicit GrowableArray(std::int32_t initialCapacity) { Reset(initialCapacity); }

    // Drops every record and starts again with the given room.
    void Reset(std::int32_t initialCapacity) {
        data_ = std::make_unique<T[]>(static_cast<std::size_t>(initialCapacity));
        count_ = 0;
        capacity_ = initialCapacity;
    }
    void Free() {
        data_.reset();
        count_ = 0;
        capacity_ = 0;
    }

    // Appends and answers the index of the new record.
    std::int32_t Append(T record) {
        if (count_ >= capacity_) Grow();
        data_[static_cast<std::size_t>(count_)] = std::move(record);
        return count_++;
    }

    T& operator[](std::int32_t i) { return data_[static_cast<std::size_t>(i)]; }
    const T& operator[](std::int32_t i) const { return data_[static_cast<std::size_t>(i)]; }
    T* data() { return data_.get(); }
    const T* data() const { return data_.get(); }
    std::int32_t count() const { return count_; }
    std::int32_t capacity() const { return capacity_; }
    T* begin() { return data_.get(); }
    T* end() { return data_.get() + count_; }
    const T* begin() const { return data_.get(); }
    const T* end() const { return data_.get() + count_; }

private:
    void Grow() {
        std::int32_t next = static_cast<std::int32_t>(static_cast<double>(capacity_) * 1.5);
        if (next <= capacity_) next = capacity_ + 1; // a capacity of 0 or 1 must still grow
        auto bigger = std::make_unique<T[]>(static_cast<std::size_t>(next));
        for (std::int32_t i = 0; i < count_; ++i)
            bigger[static_cast<std::size_t>(i)] = std::move(data_[static_cast<std::size_t>(i)]);
        data_ = std::move(bigger);
        capacity_ = next;
    }

    std::unique_ptr<T[]> data_;
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
};
