#include "process/StandardStreams.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include <string>

void ensureStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lower ones are open by now, so /dev/null lands on this one.
    if (open("/dev/null", O_RDWR) != -1) continue;
    const std::string message = std::string("cannot open /dev/null for a closed standard stream: ") +
                                strerror(errno) + "\n";
    if (write(STDERR_FILENO, message.data(), message.size()) < 0) {
      // standard error is the closed one: the status alone tells
    }
    _exit(1);
  }
}
