#pragma once
// The compiled-in segment directories and the default segment table.
//
// Each table is generated at build time from its data file under
// data/catalogue (see src/directory/catalogue.cmake): a static array of the
// compiled definitions (each text with its table of fields, checked by the
// generator), and a directory function that maps a tag code to its
// definition with one switch.  Nothing is parsed or copied at lookup time.
#include <cstdint>
#include <span>

#include "common/definition.hpp"

namespace marlune::directory {

// A directory function: the definition of the segment whose tag code is
// `code`, or nullptr when the directory does not define it. One switch on
// the code; the returned definition is static.
using DirectoryFunction = const Definition* (*)(std::uint16_t code) noexcept;

const Definition* dir881(std::uint16_t code) noexcept;
const Definition* dir902(std::uint16_t code) noexcept;
const Definition* dir911(std::uint16_t code) noexcept;
const Definition* dir912(std::uint16_t code) noexcept;
const Definition* dir921(std::uint16_t code) noexcept;
const Definition* dir932(std::uint16_t code) noexcept;
const Definition* dirD_93A(std::uint16_t code) noexcept;
const Definition* dirS_93A(std::uint16_t code) noexcept;
const Definition* dirD_94A(std::uint16_t code) noexcept;
const Definition* dirD_94B(std::uint16_t code) noexcept;
const Definition* dirD_95A(std::uint16_t code) noexcept;
const Definition* dirD_95B(std::uint16_t code) noexcept;
const Definition* dirD_96A(std::uint16_t code) noexcept;
const Definition* dirD_96B(std::uint16_t code) noexcept;
const Definition* dirD_97A(std::uint16_t code) noexcept;
const Definition* dirD_97B(std::uint16_t code) noexcept;
const Definition* dirD_98A(std::uint16_t code) noexcept;
const Definition* dirD_98B(std::uint16_t code) noexcept;
const Definition* dirD_99A(std::uint16_t code) noexcept;
const Definition* dirI_96B(std::uint16_t code) noexcept;
const Definition* dirI_97A(std::uint16_t code) noexcept;
const Definition* dirI_97B(std::uint16_t code) noexcept;
const Definition* dirI_98A(std::uint16_t code) noexcept;
const Definition* dirI_98B(std::uint16_t code) noexcept;
const Definition* dirI_99A(std::uint16_t code) noexcept;

// The default segment table that ends every lookup.
const Definition* default_segment(std::uint16_t code) noexcept;

// For checks and tools: every table with its rows, in catalogue order (the
// 25 directories in the order 88.1, 90.2, 91.1, 91.2, 92.1, 93.2, D.93A,
// S.93A, D.94A ... D.99A, I.96B ... I.99A, then the default table named
// "default").
struct CatalogueTable {
    const char* name;
    DirectoryFunction lookup;
    std::span<const Definition> rows;
};
std::span<const CatalogueTable> catalogue_tables() noexcept;

// The rows of each table, sorted by tag (defined with the table).
std::span<const Definition> dir881_rows() noexcept;
std::span<const Definition> dir902_rows() noexcept;
std::span<const Definition> dir911_rows() noexcept;
std::span<const Definition> dir912_rows() noexcept;
std::span<const Definition> dir921_rows() noexcept;
std::span<const Definition> dir932_rows() noexcept;
std::span<const Definition> dirD_93A_rows() noexcept;
std::span<const Definition> dirS_93A_rows() noexcept;
std::span<const Definition> dirD_94A_rows() noexcept;
std::span<const Definition> dirD_94B_rows() noexcept;
std::span<const Definition> dirD_95A_rows() noexcept;
std::span<const Definition> dirD_95B_rows() noexcept;
std::span<const Definition> dirD_96A_rows() noexcept;
std::span<const Definition> dirD_96B_rows() noexcept;
std::span<const Definition> dirD_97A_rows() noexcept;
std::span<const Definition> dirD_97B_rows() noexcept;
std::span<const Definition> dirD_98A_rows() noexcept;
std::span<const Definition> dirD_98B_rows() noexcept;
std::span<const Definition> dirD_99A_rows() noexcept;
std::span<const Definition> dirI_96B_rows() noexcept;
std::span<const Definition> dirI_97A_rows() noexcept;
std::span<const Definition> dirI_97B_rows() noexcept;
std::span<const Definition> dirI_98A_rows() noexcept;
std::span<const Definition> dirI_98B_rows() noexcept;
std::span<const Definition> dirI_99A_rows() noexcept;
std::span<const Definition> default_segment_rows() noexcept;

}  // namespace marlune::directory
