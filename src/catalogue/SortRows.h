#pragma once

#include <algorithm>
#include <array>
#include <thread>
#include <vector>

// Puts the record set's rows in their order (a total one: row ids differ), as
// fast as the order they come in allows.
namespace SortRows {

// The halves are sorted side by side and merged: any sort gives the one result.
template <class Row, class Less> void onBothCores(std::vector<Row> &rows, Less less)
{
    constexpr size_t RowsWorthAThread = 100000;
    if (rows.size() < RowsWorthAThread) {
        std::sort(rows.begin(), rows.end(), less);
        return;
    }
    const auto middle = rows.begin() + static_cast<std::ptrdiff_t>(rows.size() / 2);
    std::thread other([&] { std::sort(rows.begin(), middle, less); });
    std::sort(middle, rows.end(), less);
    other.join();
    std::inplace_merge(rows.begin(), middle, rows.end(), less);
}

// Keys read in text order (from the key index) are whole numbers of
// different widths more often than not: ordered by width, stably, they are in
// number order. A check tells; anything else gets the full sort.
template <class Row, class Less, class KeyLength> void inOrder(std::vector<Row> &rows, Less less, KeyLength keyLength)
{
    if (std::is_sorted(rows.begin(), rows.end(), less))
        return;
    constexpr size_t Widths = 64;
    std::array<size_t, Widths + 1> start{};
    for (const Row &row : rows)
        ++start[std::min<size_t>(keyLength(row), Widths - 1) + 1];
    for (size_t width = 1; width <= Widths; ++width)
        start[width] += start[width - 1];
    // The room kept behind the rows comes along, so the rows' next growth moves nothing.
    std::vector<Row> byWidth;
    byWidth.reserve(rows.capacity());
    byWidth.resize(rows.size());
    for (const Row &row : rows)
        byWidth[start[std::min<size_t>(keyLength(row), Widths - 1)]++] = row;
    rows.swap(byWidth);
    if (!std::is_sorted(rows.begin(), rows.end(), less))
        onBothCores(rows, less);
}
}
