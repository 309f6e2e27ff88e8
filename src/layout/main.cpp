#include <cstdio>

#include "layout/cli.hpp"

int main(int argc, char** argv) { return marlune::layout::run(argc, argv, stdout, stderr); }
