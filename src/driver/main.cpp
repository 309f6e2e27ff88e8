#include <cstdio>

#include "driver/run.hpp"

int main(int argc, char** argv) { return marlune::driver::run(argc, argv, stdin, stderr); }
