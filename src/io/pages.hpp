#pragma once
// Pages for the objects that hold the input and output buffers, obtained
// from the system with all of them mapped (and zeroed) at once: one call,
// instead of a page fault each time the run first touches a page; and off
// the stack, which a run under a tight limit could not grow that far.
#include <cstddef>

namespace marlune::io {

// Throws std::bad_alloc when the system has no room.
void* map_pages(std::size_t size);
void unmap_pages(void* pages, std::size_t size) noexcept;

// A base that makes `new` and `delete` of a class use map_pages.
struct InOwnPages {
    static void* operator new(std::size_t size) { return map_pages(size); }
    static void operator delete(void* pages, std::size_t size) noexcept { unmap_pages(pages, size); }
};

}  // namespace marlune::io
