// The standard streams: a run whose reports cannot be delivered must not crash, hang or claim success.
//
// A closed descriptor is filled with /dev/null at start-up (and remembered as lost output), so files
// opened later never take its number.  A broken pipe ends the process through SIGPIPE, as for any
// filter, even when the parent ignored the signal; other write failures (a full disk, a closed
// terminal) let the run go on to its end, every write failing once without retries, and turn the exit
// status into 1.
//
// Both streams get their buffering at start-up, before anything is written to them (a stream may only
// be given a buffer then).  Standard error collects its text, the probe reports above all, in one
// large buffer that the run loop writes out at its flush points, instead of costing a write per line.
// When the two streams end up in one place (a terminal, `>file 2>&1`, `2>&1 | less`), two buffers
// would mix their text out of order and cut lines apart, so both write each line as it is completed:
// lines arrive whole and in the order they were produced, at a write per line.
#include "StdStreams.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>

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

char standardErrorBuffer[1 << 16];

// Whether standard output and standard error write into the same file, pipe or terminal.  A device
// that keeps nothing (/dev/null, /dev/full) has no order to keep.
bool streamsShareDestination() {
  struct stat out, err;
  if (fstat(1, &out) != 0 || fstat(2, &err) != 0) return false;
  if (out.st_dev != err.st_dev || out.st_ino != err.st_ino) return false;
  return !S_ISCHR(out.st_mode) || isatty(1);
}

void installBuffers() {
  if (streamsShareDestination()) {
    setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    setvbuf(stderr, standardErrorBuffer, _IOLBF, sizeof standardErrorBuffer);
  } else {
    setvbuf(stderr, standardErrorBuffer, _IOFBF, sizeof standardErrorBuffer);
  }
}

// Out of memory, the text already collected goes out with a message, instead of abort() dropping both.
void memoryExhausted() {
  fflush(stdout);
  fputs("ERROR -- out of memory\n", stderr);
  fflush(stderr);
  exit(2);
}

}  // namespace

void reportMemoryExhaustion() { std::set_new_handler(memoryExhausted); }

void guardStandardStreams() {
  reportMemoryExhaustion();
  fillClosed(0, O_RDONLY);
  bool outClosed = fillClosed(1, O_WRONLY);
  bool errClosed = fillClosed(2, O_WRONLY);
  outputLostAtStart = outClosed || errClosed;
  installBuffers();
  signal(SIGPIPE, SIG_DFL);
}

int standardStreamsStatus() {
  bool outFailed = fflush(stdout) != 0 || ferror(stdout);
  if (outFailed) fprintf(stderr, "ERROR -- writing to standard output failed\n");
  bool errFailed = fflush(stderr) != 0 || ferror(stderr);
  return outFailed || errFailed || outputLostAtStart ? 1 : 0;
}
