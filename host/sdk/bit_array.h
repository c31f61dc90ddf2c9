#pragma once
// A resizable array of bits.
#include <cstdint>
#include <vector>

class BitArray {
public:
    BitArray() = default;
    explicit BitArray(int n) { SetSize(n); }

    // With save set the bits below the new size keep their values; new bits are 0.
    void SetSize(int n, int save = 0);
    int GetSize() const { return size_; }
    void ClearAll();
    void SetAll();
    void Set(int i);
    void Set(int i, int value) { value ? Set(i) : Clear(i); }
    void Clear(int i);
    int operator[](int i) const;
    int NumberSet() const;
    bool AnyBitSet() const { return NumberSet() > 0; }
    bool IsEmpty() const { return !AnyBitSet(); }
    BitArray& operator|=(const BitArray& b);
    BitArray& operator&=(const BitArray& b);
    bool operator==(const BitArray& b) const;
    bool operator!=(const BitArray& b) const { return !(*this == b); }

private:
    int size_ = 0;
    std::vector<std::uint64_t> words_;
    void TrimTail();
};
