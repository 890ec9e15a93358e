#pragma once

#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

// A sequence of rows with indexed access in constant time whose insert and
// erase in the middle move about 2^Shift rows plus one row per block, not
// every row behind: the rows lie in blocks of 2^Shift, each a ring with its
// own start, all in one run of memory. A block's ring turns by one where a
// neighbour hands it a row, so a delete among millions of records stays flat.
// With every ring at rest the rows lie in plain order: flat() brings them
// there for the passes that want one plain array (sorting, reading a file).
template <class Row, unsigned Shift = 12> class TieredRows
{
    static_assert(Shift <= 16, "a block's start is kept in 16 bits");
    static constexpr size_t BlockRows = size_t(1) << Shift;
    static constexpr size_t Mask = BlockRows - 1;

    template <class Owner, class Ref> class Cursor
    {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = Row;
        using difference_type = std::ptrdiff_t;
        using reference = Ref;

        Cursor() = default;
        Cursor(Owner *owner, size_t index) : owner_(owner), index_(index) {}
        Ref operator*() const { return (*owner_)[index_]; }
        auto operator->() const { return &(*owner_)[index_]; }
        Ref operator[](difference_type n) const { return (*owner_)[size_t(difference_type(index_) + n)]; }
        Cursor &operator++() { return ++index_, *this; }
        Cursor &operator--() { return --index_, *this; }
        Cursor operator++(int) { return {owner_, index_++}; }
        Cursor operator--(int) { return {owner_, index_--}; }
        Cursor &operator+=(difference_type n) { return index_ = size_t(difference_type(index_) + n), *this; }
        Cursor &operator-=(difference_type n) { return *this += -n; }
        friend Cursor operator+(Cursor c, difference_type n) { return c += n; }
        friend Cursor operator+(difference_type n, Cursor c) { return c += n; }
        friend Cursor operator-(Cursor c, difference_type n) { return c -= n; }
        friend difference_type operator-(const Cursor &a, const Cursor &b)
        {
            return difference_type(a.index_) - difference_type(b.index_);
        }
        friend bool operator==(const Cursor &a, const Cursor &b) { return a.index_ == b.index_; }
        friend auto operator<=>(const Cursor &a, const Cursor &b) { return a.index_ <=> b.index_; }

    private:
        Owner *owner_ = nullptr;
        size_t index_ = 0;
    };

public:
    using iterator = Cursor<TieredRows, Row &>;
    using const_iterator = Cursor<const TieredRows, const Row &>;

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    Row &operator[](size_t i) { return slots_[slotOf(i >> Shift, i & Mask)]; }
    const Row &operator[](size_t i) const { return slots_[slotOf(i >> Shift, i & Mask)]; }
    const Row &back() const { return (*this)[count_ - 1]; }
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, count_}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, count_}; }

    void clear()
    {
        slots_.clear();
        starts_.clear();
        count_ = 0;
    }
    void reserve(size_t rows) { slots_.reserve(roundedUp(rows)); }
    void push_back(const Row &row) { insert(count_, row); }

    void insert(size_t index, const Row &row)
    {
        if (count_ == slots_.size()) {
            slots_.resize(count_ + BlockRows);
            starts_.push_back(0);
        }
        const size_t block = index >> Shift, last = count_ >> Shift;
        // Each block behind takes the last row of the one before at its front.
        for (size_t b = last; b > block; --b) {
            starts_[b] = (starts_[b] - 1) & Mask;
            slots_[slotOf(b, 0)] = slots_[slotOf(b - 1, Mask)];
        }
        const size_t end = block == last ? count_ & Mask : Mask;
        for (size_t j = end; j > (index & Mask); --j)
            slots_[slotOf(block, j)] = slots_[slotOf(block, j - 1)];
        slots_[slotOf(block, index & Mask)] = row;
        ++count_;
    }

    void erase(size_t index)
    {
        const size_t block = index >> Shift, last = (count_ - 1) >> Shift;
        const size_t end = block == last ? ((count_ - 1) & Mask) + 1 : BlockRows;
        for (size_t j = index & Mask; j + 1 < end; ++j)
            slots_[slotOf(block, j)] = slots_[slotOf(block, j + 1)];
        // Each block behind hands its first row to the end of the one before.
        for (size_t b = block + 1; b <= last; ++b) {
            slots_[slotOf(b - 1, Mask)] = slots_[slotOf(b, 0)];
            starts_[b] = (starts_[b] + 1) & Mask;
        }
        --count_;
        if ((count_ & Mask) == 0) {
            slots_.resize(count_);
            starts_.pop_back();
        }
    }

    // The index of the first row that pred holds for, or size(): a straight
    // pass over memory, with no ring turned per row.
    template <class Pred> size_t findIf(Pred pred) const
    {
        for (size_t block = 0; block < starts_.size(); ++block) {
            size_t first = count_;
            for (size_t j = 0; j < BlockRows; ++j) {
                const size_t index = (block << Shift) | ((j - starts_[block]) & Mask);
                if (index < first && pred(slots_[(block << Shift) | j]))
                    first = index;
            }
            if (first < count_)
                return first;
        }
        return count_;
    }

    // The rows in plain order, as one vector of exactly size() rows that the
    // pass may reorder, shorten or lengthen.
    template <class Pass> void flat(Pass pass)
    {
        for (size_t b = 0; b < starts_.size(); ++b) {
            const auto first = slots_.begin() + std::ptrdiff_t(b << Shift);
            std::rotate(first, first + starts_[b], first + std::ptrdiff_t(BlockRows));
        }
        slots_.resize(count_);
        pass(slots_);
        count_ = slots_.size();
        slots_.resize(roundedUp(count_));
        starts_.assign(slots_.size() >> Shift, 0);
    }
    // Room for count rows in plain order, to be filled in place.
    Row *flatOf(size_t count)
    {
        count_ = count;
        slots_.resize(roundedUp(count));
        starts_.assign(slots_.size() >> Shift, 0);
        return slots_.data();
    }

private:
    static size_t roundedUp(size_t rows) { return (rows + Mask) & ~Mask; }
    size_t slotOf(size_t block, size_t j) const { return (block << Shift) | ((starts_[block] + j) & Mask); }

    std::vector<Row> slots_; // whole blocks
    std::vector<std::uint16_t> starts_; // each block's first row
    size_t count_ = 0;
};
