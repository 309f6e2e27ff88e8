#include "io/pipe.hpp"

#include <fcntl.h>
#include <sys/stat.h>

namespace marlune::io {

void widen_pipe(int fd, int width) noexcept {
#if defined(F_SETPIPE_SZ) && defined(F_GETPIPE_SZ)
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) return;
    const int now = ::fcntl(fd, F_GETPIPE_SZ);
    if (now < 0) return;
    // A user without the right to the full width may still get a part.
    for (int size = width; size > now; size /= 2) {
        if (::fcntl(fd, F_SETPIPE_SZ, size) >= 0) return;
    }
#else
    (void)fd;
    (void)width;
#endif
}

}  // namespace marlune::io
