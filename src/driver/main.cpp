#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <unistd.h>

#include "driver/run.hpp"

namespace {

// When memory runs out there may be none left even to throw std::bad_alloc,
// so every failed allocation of the program ends the run here instead:
// a small reserve is given back (for what the exit still needs), the message
// is written straight to the descriptor and the process exits with status 1.
// As with every fatal error, what was handed to the output stream is
// written by the exit; what the output buffer still holds is lost.
void* reserve = nullptr;

[[noreturn]] void out_of_memory() {
    static bool ending = false;
    static constexpr char message[] = "Out of memory\n";
    if (!ending) {
        ending = true;
        std::free(reserve);
        reserve = nullptr;
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, message, sizeof message - 1);
        std::exit(1);
    }
    // An allocation made by the exit itself failed as well.
    ::_exit(1);
}

// Throwing needs memory too: when even the exception object cannot be
// allocated, the run ends in std::terminate with no exception in flight.
// That is the one way this program gets there; anything else keeps the
// usual report.
std::terminate_handler usual_terminate = nullptr;

void terminate_for_want_of_memory() {
    if (!std::current_exception()) out_of_memory();
    usual_terminate();
}

// Before any other initialisation of the program, which may allocate.
[[gnu::constructor(101)]] void prepare_for_out_of_memory() {
    std::set_new_handler(out_of_memory);
    usual_terminate = std::set_terminate(terminate_for_want_of_memory);
    reserve = std::malloc(64 * 1024);
}

}  // namespace

int main(int argc, char** argv) {
    if (!marlune::driver::open_standard_descriptors()) return 1;
    return marlune::driver::run(argc, argv, stdin, stderr);
}
