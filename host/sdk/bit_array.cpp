#include "bit_array.h"

#include <bit>

void BitArray::SetSize(int n, int save) {
    if (n < 0) n = 0;
    const std::size_t words = (static_cast<std::size_t>(n) + 63) / 64;
    if (!save) {
        words_.assign(words, 0);
    } else {
        words_.resize(words, 0);
    }
    size_ = n;
    TrimTail();
}

void BitArray::TrimTail() {
    if (size_ % 64 != 0 && !words_.empty()) words_.back() &= (std::uint64_t(1) << (size_ % 64)) - 1;
}

void BitArray::ClearAll() {
    for (auto& w : words_) w = 0;
}

void BitArray::SetAll() {
    for (auto& w : words_) w = ~std::uint64_t(0);
    TrimTail();
}

void BitArray::Set(int i) {
    if (i < 0 || i >= size_) return;
    words_[i / 64] |= std::uint64_t(1) << (i % 64);
}

void BitArray::Clear(int i) {
    if (i < 0 || i >= size_) return;
    words_[i / 64] &= ~(std::uint64_t(1) << (i % 64));
}

int BitArray::operator[](int i) const {
    if (i < 0 || i >= size_) return 0;
    return static_cast<int>((words_[i / 64] >> (i % 64)) & 1);
}

int BitArray::NumberSet() const {
    int n = 0;
    for (auto w : words_) n += std::popcount(w);
    return n;
}

BitArray& BitArray::operator|=(const BitArray& b) {
    for (std::size_t i = 0; i < words_.size() && i < b.words_.size(); ++i) words_[i] |= b.words_[i];
    TrimTail();
    return *this;
}

BitArray& BitArray::operator&=(const BitArray& b) {
    for (std::size_t i = 0; i < words_.size(); ++i) words_[i] &= i < b.words_.size() ? b.words_[i] : 0;
    return *this;
}

bool BitArray::operator==(const BitArray& b) const { return size_ == b.size_ && words_ == b.words_; }
