#pragma once
// A buffer of fixed size for the life of its owner, obtained from the system
// with all of its pages mapped (and zeroed) at once: one call, instead of a
// page fault each time the run first touches a page. Throws std::bad_alloc
// when the system has no room for it.
#include <cstddef>

namespace marlune::io {

class Block {
public:
    explicit Block(std::size_t size);
    ~Block();
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    char* data() const noexcept { return data_; }

private:
    char* data_;
    std::size_t size_;
};

}  // namespace marlune::io
