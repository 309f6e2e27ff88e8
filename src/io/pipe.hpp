#pragma once
// The pipes a run reads from and writes to.
#include <cstddef>

namespace marlune::io {

// What a pipe is widened to: four times the default, which takes the
// waits out; a user's pipes share a limit of the system (64 MiB by
// default), so they are not made wider than that needs.
inline constexpr int WIDE_PIPE = 1 << 18;

// Makes the pipe `fd` hold `width` bytes (or as near to it as the system
// allows) where it holds less. A pipe holds 64 KiB by default: the
// program on its other end then waits for this run, and this run for it,
// every 64 KiB, and each wait costs a wake-up. A wider pipe lets the faster
// of the two run ahead. Anything that is not a pipe, and a pipe that is
// already as wide, is left as it is; a refusal changes nothing.
void widen_pipe(int fd, int width = WIDE_PIPE) noexcept;

}  // namespace marlune::io
