#pragma once
// The compiled-in segment directories and the default segment table.
//
// Generated at build time from the data files under data/catalogue (see
// src/directory/catalogue.cmake): every row of every table is compiled once
// (the text with its table of fields, checked by the generator), a row of
// the same text in several directories being stored once; each table is
// the list of its rows sorted by tag, and its directory function maps a tag
// code to its definition by a binary search of that list. Nothing is parsed
// or copied at lookup time.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

#include "common/definition.hpp"

// The releases after D.99A, in the order of the directory chain; each has a
// batch directory D.<release> and an interactive directory I.<release>.
#define MARLUNE_RELEASES_AFTER_99A(X)                                                                      \
    X(99B) X(00A) X(00B) X(01A) X(01B) X(01C) X(02A) X(02B) X(03A) X(03B) X(04A) X(04B) X(05A) X(05B) \
    X(06A) X(06B) X(07A) X(07B) X(08A) X(08B) X(09A) X(09B) X(10A) X(10B) X(11A) X(11B) X(12A) X(12B) \
    X(13A) X(13B) X(14A) X(14B) X(15A) X(15B) X(16A) X(16B) X(17A) X(17B) X(18A) X(18B) X(19A) X(19B) \
    X(20A) X(20B) X(21A) X(21B) X(22A) X(22B) X(23A) X(24A)

namespace marlune::directory {

// A directory function: the definition of the segment whose tag code is
// `code`, or nullptr when the directory does not define it. The returned
// definition is static.
using DirectoryFunction = const Definition* (*)(std::uint16_t code) noexcept;

// One row of a table: the key of its tag (the tag code with its letters in
// reverse order, so that keys sort as tags do) and its index in the rows
// that all tables share.
struct TableRow {
    std::uint16_t key;
    std::uint16_t row;
};

// The rows of one table, sorted by tag, as definitions.
class TableRows {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Definition;
        using difference_type = std::ptrdiff_t;
        using pointer = const Definition*;
        using reference = const Definition&;

        iterator() = default;
        iterator(const TableRow* at, const Definition* shared) noexcept : at_(at), shared_(shared) {}
        reference operator*() const noexcept { return shared_[at_->row]; }
        pointer operator->() const noexcept { return &shared_[at_->row]; }
        iterator& operator++() noexcept {
            ++at_;
            return *this;
        }
        iterator operator++(int) noexcept {
            iterator old = *this;
            ++at_;
            return old;
        }
        friend bool operator==(const iterator& a, const iterator& b) noexcept { return a.at_ == b.at_; }

    private:
        const TableRow* at_ = nullptr;
        const Definition* shared_ = nullptr;
    };

    constexpr TableRows(const TableRow* rows, std::size_t count, const Definition* shared) noexcept
        : rows_(rows), count_(count), shared_(shared) {}

    std::size_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }
    const Definition& operator[](std::size_t i) const noexcept { return shared_[rows_[i].row]; }
    iterator begin() const noexcept { return {rows_, shared_}; }
    iterator end() const noexcept { return {rows_ + count_, shared_}; }

private:
    const TableRow* rows_;
    std::size_t count_;
    const Definition* shared_;
};

// One directory function per directory, and the rows of its table.
#define MARLUNE_DECLARE_TABLE(function)                       \
    const Definition* function(std::uint16_t code) noexcept; \
    TableRows function##_rows() noexcept;

MARLUNE_DECLARE_TABLE(dir881)
MARLUNE_DECLARE_TABLE(dir902)
MARLUNE_DECLARE_TABLE(dir911)
MARLUNE_DECLARE_TABLE(dir912)
MARLUNE_DECLARE_TABLE(dir921)
MARLUNE_DECLARE_TABLE(dir932)
MARLUNE_DECLARE_TABLE(dirD_93A)
MARLUNE_DECLARE_TABLE(dirS_93A)
MARLUNE_DECLARE_TABLE(dirD_94A)
MARLUNE_DECLARE_TABLE(dirD_94B)
MARLUNE_DECLARE_TABLE(dirD_95A)
MARLUNE_DECLARE_TABLE(dirD_95B)
MARLUNE_DECLARE_TABLE(dirD_96A)
MARLUNE_DECLARE_TABLE(dirD_96B)
MARLUNE_DECLARE_TABLE(dirD_97A)
MARLUNE_DECLARE_TABLE(dirD_97B)
MARLUNE_DECLARE_TABLE(dirD_98A)
MARLUNE_DECLARE_TABLE(dirD_98B)
MARLUNE_DECLARE_TABLE(dirD_99A)
MARLUNE_DECLARE_TABLE(dirI_96B)
MARLUNE_DECLARE_TABLE(dirI_97A)
MARLUNE_DECLARE_TABLE(dirI_97B)
MARLUNE_DECLARE_TABLE(dirI_98A)
MARLUNE_DECLARE_TABLE(dirI_98B)
MARLUNE_DECLARE_TABLE(dirI_99A)
#define MARLUNE_DECLARE_RELEASE(release) \
    MARLUNE_DECLARE_TABLE(dirD_##release) MARLUNE_DECLARE_TABLE(dirI_##release)
MARLUNE_RELEASES_AFTER_99A(MARLUNE_DECLARE_RELEASE)
#undef MARLUNE_DECLARE_RELEASE

// The default segment table that ends every lookup.
MARLUNE_DECLARE_TABLE(default_segment)
#undef MARLUNE_DECLARE_TABLE

// For checks and tools: every table with its rows, in catalogue order: the
// 25 directories in the order 88.1, 90.2, 91.1, 91.2, 92.1, 93.2, D.93A,
// S.93A, D.94A ... D.99A, I.96B ... I.99A, then the default table named
// "default", then the directories of the releases after D.99A (D.99B,
// I.99B, D.00A, I.00A, ... D.24A, I.24A).
struct CatalogueTable {
    const char* name;
    DirectoryFunction lookup;
    TableRows rows;
};
std::span<const CatalogueTable> catalogue_tables() noexcept;

}  // namespace marlune::directory
