#include "io/block.hpp"

#include <new>
#include <sys/mman.h>

namespace marlune::io {

Block::Block(std::size_t size) : size_(size) {
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    data_ = static_cast<char*>(p);
}

Block::~Block() { ::munmap(data_, size_); }

}  // namespace marlune::io
