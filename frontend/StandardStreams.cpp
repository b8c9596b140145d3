#include "frontend/StandardStreams.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

bool ensureStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lower descriptors are open by now, so open() takes this one.
    if (open("/dev/null", O_RDWR) != fd) return false;
  }
  return true;
}
