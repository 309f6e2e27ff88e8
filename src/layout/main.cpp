#include <cstdio>

#include "driver/run.hpp"
#include "layout/cli.hpp"

int main(int argc, char** argv) {
    // Closed standard descriptors are handled as marlune handles them.
    if (!marlune::driver::open_standard_descriptors()) return 1;
    return marlune::layout::run(argc, argv, stdout, stderr);
}
