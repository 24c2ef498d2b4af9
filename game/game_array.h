// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The growable array of the game record: a capacity, a count and a block. When full the capacity
// doubles (2 when it was 0), a new block is allocated, the entries are moved over and the old
// block is freed. The array owns its block.

#include <utility>

template <class T> struct GrowArray {
    int capacity = 0;   // entries the block holds
    int count = 0;      // entries in use
    T* block = nullptr; // capacity entries, or null

    GrowArray() = default;
    GrowArray(const GrowArray&) = delete;
    GrowArray& operator=(const GrowArray&) = delete;
    ~GrowArray() { delete[] block; }

    void push(const T& value) {
        if (count == capacity) grow();
        block[count++] = value;
    }
    void clear() { count = 0; }
    void pop() {
        if (count > 0) --count;
    }
    T& operator[](int i) { return block[i]; }
    const T& operator[](int i) const { return block[i]; }
    T* begin() { return block; }
    T* end() { return block + count; }
    const T* begin() const { return block; }
    const T* end() const { return block + count; }

private:
    void grow() {
        int newCapacity = capacity == 0 ? 2 : capacity * 2;
        T* newBlock = new T[newCapacity];
        for (int i = 0; i < count; ++i)
            newBlock[i] = std::move(block[i]);
        delete[] block;
        block = newBlock;
        capacity = newCapacity;
    }
};
