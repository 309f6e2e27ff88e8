#include <cstdio>

#include "driver/run.hpp"

int main(int argc, char** argv) {
    if (!marlune::driver::open_standard_descriptors()) return 1;
    return marlune::driver::run(argc, argv, stdin, stderr);
}
