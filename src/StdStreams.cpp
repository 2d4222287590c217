// The standard streams: a run whose reports cannot be delivered must not crash, hang or claim success.
//
// A closed descriptor is filled with /dev/null at start-up (and remembered as lost output), so files
// opened later never take its number.  A broken pipe ends the process through SIGPIPE, as for any
// filter, even when the parent ignored the signal; other write failures (a full disk, a closed
// terminal) let the run go on to its end, every write failing once without retries, and turn the exit
// status into 1.
#include "StdStreams.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

bool outputLostAtStart = false;

bool isOpen(int fd) { return fcntl(fd, F_GETFD) != -1 || errno != EBADF; }

// Opens /dev/null onto a closed descriptor; returns whether fd was closed.
bool fillClosed(int fd, int mode) {
  if (isOpen(fd)) return false;
  int null = open("/dev/null", mode);
  if (null >= 0 && null != fd) {
    dup2(null, fd);
    close(null);
  }
  return true;
}

}  // namespace

void guardStandardStreams() {
  fillClosed(0, O_RDONLY);
  bool outClosed = fillClosed(1, O_WRONLY);
  bool errClosed = fillClosed(2, O_WRONLY);
  outputLostAtStart = outClosed || errClosed;
  signal(SIGPIPE, SIG_DFL);
}

int standardStreamsStatus() {
  bool outFailed = fflush(stdout) != 0 || ferror(stdout);
  if (outFailed) fprintf(stderr, "ERROR -- writing to standard output failed\n");
  bool errFailed = fflush(stderr) != 0 || ferror(stderr);
  return outFailed || errFailed || outputLostAtStart ? 1 : 0;
}
