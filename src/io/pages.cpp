#include "io/pages.hpp"

#include <new>
#include <sys/mman.h>

namespace marlune::io {

void* map_pages(std::size_t size) {
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return p;
}

void unmap_pages(void* pages, std::size_t size) noexcept { ::munmap(pages, size); }

}  // namespace marlune::io
