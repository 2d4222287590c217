// Faults around a run: standard streams that are closed, full or broken pipes, and an oscillating
// circuit that runs until its stop time.
//
// What a run does (StdStreams.h): a closed standard descriptor is filled with /dev/null before anything
// is opened, so a waveform dump cannot land on it; a write that fails lets the run go on to its end and
// the exit status becomes 1; a broken pipe ends the process by SIGPIPE, also when the parent ignored
// that signal.  Nothing may crash, hang or loop on a failing write.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Globals.h"
#include "Harness.h"
#include "Ph4.h"
#include "Sim.h"
#include "StdStreams.h"

namespace {

struct Ending {
  int status = -1;  // exit status, or -1 when killed
  int signal = 0;   // the signal that ended it
  std::string out, err;
  double seconds = 0;
};

std::string readAll(int fd) {
  std::string text;
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
  return text;
}

// How the child's standard output or error is set up.
enum StreamSetup { captured, closedStream, fullDevice, pipeClosedEarly };

// Runs body in a child whose standard output and error are set up as asked.  A stream captured goes
// to a file that is returned; a pipe closed early is read for readBeforeClose bytes and then closed.
// The child is given 60 seconds (SIGALRM) so that a hang fails the test instead of blocking it.
Ending runWith(StreamSetup out, StreamSetup err, const std::function<int()>& body, size_t readBeforeClose = 4096) {
  char outPath[] = "/tmp/tarvik-faults-out-XXXXXX", errPath[] = "/tmp/tarvik-faults-err-XXXXXX";
  int outFile = mkstemp(outPath), errFile = mkstemp(errPath);
  int pipeFds[2] = {-1, -1};
  if (out == pipeClosedEarly || err == pipeClosedEarly) {
    EXPECT_EQ(pipe(pipeFds), 0);
  }
  auto start = std::chrono::steady_clock::now();
  fflush(stdout);
  fflush(stderr);
  pid_t pid = fork();
  if (pid == 0) {
    alarm(60);
    auto arrange = [&](StreamSetup how, int fd, int file) {
      if (how == captured) dup2(file, fd);
      if (how == closedStream) close(fd);
      if (how == fullDevice) dup2(open("/dev/full", O_WRONLY), fd);
      if (how == pipeClosedEarly) dup2(pipeFds[1], fd);
    };
    arrange(out, 1, outFile);
    arrange(err, 2, errFile);
    if (pipeFds[0] >= 0) close(pipeFds[0]);
    if (pipeFds[1] >= 0) close(pipeFds[1]);
    close(outFile);
    close(errFile);
    exit(body());
  }
  if (pipeFds[1] >= 0) {
    close(pipeFds[1]);
    std::string got;
    char buf[512];
    for (ssize_t n; got.size() < readBeforeClose && (n = read(pipeFds[0], buf, sizeof buf)) > 0;) got.append(buf, size_t(n));
    close(pipeFds[0]);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  Ending e;
  e.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFEXITED(status)) e.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) e.signal = WTERMSIG(status);
  lseek(outFile, 0, SEEK_SET);  // the offsets are shared with the child: read from the start
  e.out = readAll(outFile);
  lseek(errFile, 0, SEEK_SET);
  e.err = readAll(errFile);
  close(outFile);
  close(errFile);
  unlink(outPath);
  unlink(errPath);
  return e;
}

// What the program entry does around Sim, for a netlist built here.
int simulate(void (*build)(), std::vector<std::string> words) {
  guardStandardStreams();
  words.insert(words.begin(), "circuit");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  Sim(int(argv.size()) - 1, argv.data(), build);
  return standardStreamsStatus();
}

// The time the run ended at, on standard error after the run (so it shows when only stdout fails).
void reportEndOnStandardError() {
  runObservers.push_back({nullptr, nullptr, [] {
                            fprintf(stderr, "run ended at %llu\n", (unsigned long long)phaseFour->time);
                          }});
}
void reportEndOnStandardOutput() {
  runObservers.push_back({nullptr, nullptr, [] { printf("run ended at %llu\n", (unsigned long long)phaseFour->time); }});
}

// A fast clock whose probe reports every change: plenty of output.
void chattyClock() {
  Signal clk(1, "clk");
  Clock(SD("aa"), clk, 1, 0, 2, Zero);
  Probe(SD("ab"), clk, "clk");
}
void chattyClockReportingOnStdout() {
  chattyClock();
  reportEndOnStandardOutput();
}

// Two enabled buffers fight over a bus: the refused one reports on standard output.
void busConflict() {
  Signal bus(1, "bus");
  Tsb(SD("aa"), One, One, bus);
  Tsb(SD("ab"), Zero, One, bus);
  Probe(SD("ac"), bus, "bus");
  reportEndOnStandardError();
}

unsigned long long endedAt(const std::string& text) {
  size_t at = text.rfind("run ended at ");
  return at == std::string::npos ? 0 : strtoull(text.c_str() + at + 13, nullptr, 10);
}

}  // namespace

TEST(Faults, ClosedStandardErrorRunsToTheStopTimeAndFails) {
  Ending e = runWith(captured, closedStream, [] { return simulate(chattyClockReportingOnStdout, {"-X", "-T", "5000"}); });
  EXPECT_EQ(e.signal, 0);
  EXPECT_EQ(e.status, 1);  // the probe reports were lost
  EXPECT_GT(endedAt(e.out), 5000u);
}

TEST(Faults, AClosedStandardErrorIsNotTakenByTheWaveformDump) {
  char vcd[] = "/tmp/tarvik-faults-vcd-XXXXXX";
  close(mkstemp(vcd));
  std::string path = vcd;
  Ending e = runWith(captured, closedStream, [path] { return simulate(chattyClock, {"-X", "-T", "100", "--vcd", path}); });
  std::string dump = fileText(path);
  unlink(vcd);
  EXPECT_EQ(e.status, 1);
  EXPECT_EQ(dump.find("Probe for"), std::string::npos);
  EXPECT_NE(dump.find("$enddefinitions"), std::string::npos);
}

TEST(Faults, FullStandardErrorRunsToTheStopTimeAndFails) {
  Ending e = runWith(captured, fullDevice, [] { return simulate(chattyClockReportingOnStdout, {"-X", "-T", "20000"}); });
  EXPECT_EQ(e.signal, 0);
  EXPECT_EQ(e.status, 1);
  EXPECT_GT(endedAt(e.out), 20000u);
}

TEST(Faults, FullStandardOutputIsReportedAndFails) {
  Ending e = runWith(fullDevice, captured, [] { return simulate(busConflict, {"-X", "--keys", ""}); });
  EXPECT_EQ(e.signal, 0);
  EXPECT_EQ(e.status, 1);
  EXPECT_GT(endedAt(e.err), 0u);
  EXPECT_NE(e.err.find("ERROR -- writing to standard output failed\n"), std::string::npos);
}

TEST(Faults, DeliveredOutputEndsWithStatusZero) {
  Ending e = runWith(captured, captured, [] { return simulate(busConflict, {"-X", "--keys", ""}); });
  EXPECT_EQ(e.status, 0);
  EXPECT_NE(e.out.find("is trying to drive it to ZERO, this is not allowed"), std::string::npos);
  EXPECT_NE(e.err.find("Probe for bus at ac"), std::string::npos);
}

TEST(Faults, BrokenPipeOnStandardErrorEndsTheRun) {
  // Without the pipe breaking, this run would print for a very long time.
  Ending e = runWith(captured, pipeClosedEarly, [] { return simulate(chattyClock, {"-X", "-T", "4000000000"}); });
  EXPECT_EQ(e.signal, SIGPIPE);
  EXPECT_LT(e.seconds, 30);
}

TEST(Faults, BrokenPipeEndsTheRunAlsoWhenTheParentIgnoredSigpipe) {
  Ending e = runWith(captured, pipeClosedEarly, [] {
    signal(SIGPIPE, SIG_IGN);
    return simulate(chattyClock, {"-X", "-T", "4000000000"});
  });
  EXPECT_EQ(e.signal, SIGPIPE);
  EXPECT_LT(e.seconds, 30);
}

TEST(Faults, ProgramWithClosedStandardErrorExitsWithStatusOne) {
  auto program = [](bool closeErr) {
    return runWith(captured, closeErr ? closedStream : captured, [] {
      std::string path = TARVIK_EXAMPLES_DIR "/switch_gates";
      char* argv[] = {&path[0], const_cast<char*>("-X"), const_cast<char*>("--keys"), const_cast<char*>("ab"),
                      nullptr};
      execv(argv[0], argv);
      return 127;
    });
  };
  Ending closed = program(true), open = program(false);
  EXPECT_EQ(closed.status, 1);
  EXPECT_EQ(closed.out, startupText);
  EXPECT_EQ(open.status, 0);
  EXPECT_NE(open.err.find("Probe for"), std::string::npos);
}

// An oscillating ring: five inverters and a level-restoring clock gate (a plain ring of inverters
// fills with XXX after a few laps and stops).  It must run until its stop time, its queue bounded and,
// where the allocator does not hold freed memory back (sanitizer builds do), its resident memory flat.
namespace {

long residentKb() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.compare(0, 6, "VmRSS:") == 0) return atol(line.c_str() + 6);
  return -1;
}

struct RingWatch {
  long batches = 0, firstKb = -1, lastKb = -1, highestKb = -1;
  int longestQueue = 0;
};
RingWatch ringWatch;

void ring() {
  Signal s(6, "s");
  for (int i = 0; i < 5; i++) Not(SD("aa"), s[i], s[i + 1]);
  Gate(SD("ab"), (One, s[5]), s[0]);
  Probe(SD("ac"), s[0], "s0");
  runObservers.push_back({nullptr,
                          [](uint64_t, const std::vector<int>&) {
                            RingWatch& w = ringWatch;
                            int q = phaseFour->skewHeap.getLength();
                            if (q > w.longestQueue) w.longestQueue = q;
                            if (w.batches++ % 20000 == 0) {
                              long kb = residentKb();
                              if (w.firstKb < 0 && w.batches > 20000) w.firstKb = kb;
                              w.lastKb = kb;
                              if (kb > w.highestKb) w.highestKb = kb;
                            }
                          },
                          [] {
                            const RingWatch& w = ringWatch;
                            printf("ring: time=%llu batches=%ld longestQueue=%d firstKb=%ld highestKb=%ld\n",
                                   (unsigned long long)phaseFour->time, w.batches, w.longestQueue, w.firstKb,
                                   w.highestKb);
                          }});
}

}  // namespace

TEST(Faults, OscillatingRingRunsToItsStopTimeWithBoundedMemory) {
  RunResult r = runCircuit(ring, {"-X", "-T", "3000000"});
  ASSERT_EQ(r.status, 0);
  unsigned long long time = 0;
  long batches = 0, firstKb = 0, highestKb = 0;
  int longestQueue = 0;
  ASSERT_EQ(sscanf(r.out.c_str(), "ring: time=%llu batches=%ld longestQueue=%d firstKb=%ld highestKb=%ld", &time,
                   &batches, &longestQueue, &firstKb, &highestKb),
            5)
      << r.out;
  EXPECT_GT(time, 3000000u);
  EXPECT_GT(batches, 100000);  // it kept oscillating
  EXPECT_LE(longestQueue, 20);
  EXPECT_GT(linesStartingWith(r.err, "Time = ").size(), 10000u);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LE(highestKb - firstKb, 1024) << "resident memory grew while the ring ran";
#endif
}
