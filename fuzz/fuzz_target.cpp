// A libFuzzer target for one command, chosen when it is compiled.
#include <cstddef>
#include <cstdint>

#include "run_one.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    marlune::fuzz::run_one(marlune::driver::Command::MARLUNE_FUZZ_COMMAND, data, size);
    return 0;
}
