// The buffering of the standard streams: installed once before anything is written; standard error
// in a large buffer that loses and reorders nothing on any way out of the run; when both streams go
// to one file, pipe or terminal, every line whole and in the order it was produced.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <stdio_ext.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Globals.h"
#include "Harness.h"
#include "Sim.h"
#include "StdStreams.h"

namespace {

void probeThenFaultyByteProbe() {
  Signal a(1, "a"), three(3, "three");
  Switch(SD("aa"), a, 'a', Zero, "A");
  Probe(SD("ab"), a, "pa");
  ProbeByte(SD("ac"), three, "bad");  // not eight bits: ends the program when first drawn
}

void clockWithProbe() {
  Signal clk(1, "clk");
  Clock(SD("aa"), clk, 10, 0, 20, Zero);
  Probe(SD("ab"), clk, "clk");
}

// The clock's second driver asks for the bus at every rising edge, right after the probe reports it.
void clockFightingForABus() {
  Signal clk(1, "clk"), bus(1, "bus");
  Clock(SD("aa"), clk, 10, 0, 20, Zero);
  Probe(SD("ab"), clk, "clk");
  Tsb(SD("ba"), One, One, bus);
  Tsb(SD("ac"), Zero, clk, bus);
}

// Sim as the program entry runs it: streams guarded first, the exit status from them at the end.
void simulateGuarded(void (*build)(), std::vector<std::string> words) {
  guardStandardStreams();
  words.insert(words.begin(), "circuit");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  Sim(int(argv.size()) - 1, argv.data(), build);
  exit(standardStreamsStatus());
}

RunResult runGuarded(void (*build)(), const std::vector<std::string>& words) {
  return runInChild([&] { simulateGuarded(build, words); });
}

uint64_t timeOf(const std::string& line) { return strtoull(line.c_str() + 7, nullptr, 10); }

const std::string busProgram = TARVIK_EXAMPLES_DIR "/tristate_bus";
const std::string busRun = busProgram + " -X --keys ababb";
const std::string conflictLine = "Another Tsb at bb is trying to drive it to ZERO, this is not allowed\n";
const std::string reportsBeforeConflict =
    "There are 5 components.\nThere are 5 signals.\n"
    "Time = 0  Probe for bus at ac  Value = UNINITIALIZED\n"
    "Time = 10  Probe for bus at ac  Value = HIZ\n"
    "Time = 27  Probe for bus at ac  Value = XXX\n"
    "Time = 30  Probe for bus at ac  Value = ONE\n";
const std::string reportsAfterConflict =
    "Time = 57  Probe for bus at ac  Value = HIZ\n"
    "Time = 84  Probe for bus at ac  Value = XXX\n"
    "Time = 87  Probe for bus at ac  Value = ZERO\n";
// What a person sees when both streams share a terminal or a file.
const std::string busRunSeenTogether = startupText + reportsBeforeConflict + conflictLine + reportsAfterConflict;

// Runs body in a child on a new pseudo-terminal as both streams; returns what the terminal showed.
std::string onPseudoTerminal(const std::function<void()>& body) {
  int master = -1;
  fflush(stdout);
  fflush(stderr);
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    alarm(60);
    body();
    _exit(0);
  }
  std::string shown;
  char buf[4096];
  for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;) shown.append(buf, size_t(n));
  close(master);
  waitpid(pid, nullptr, 0);
  std::string text;  // the terminal turns each line end into CR LF
  for (char c : shown)
    if (c != '\r') text += c;
  return text;
}

void runBusProgram() {
  std::string program = busProgram, x = "-X", keys = "--keys", script = "ababb";
  char* words[] = {&program[0], &x[0], &keys[0], &script[0], nullptr};
  execv(program.c_str(), words);
}

// The report of clockFightingForABus: every line a probe report or a conflict that follows the report
// of a rising edge.  Returns the number of conflicts.
size_t conflictsInFightReport(const std::string& text) {
  size_t conflicts = 0;
  std::string previous;
  for (const std::string& line : linesOf(text)) {
    if (line.compare(0, 10, "There are ") == 0) continue;
    if (line == "Another Tsb at ac is trying to drive it to ZERO, this is not allowed") {
      EXPECT_NE(previous.find("  Probe for clk at ab  Value = ONE"), std::string::npos) << conflicts;
      conflicts++;
    } else if (line.compare(0, 7, "Time = ") != 0 || line.find("  Probe for clk at ab  Value = ") == std::string::npos) {
      ADD_FAILURE() << line;
      return conflicts;
    }
    previous = line;
  }
  EXPECT_EQ(conflicts, linesStartingWith(text, "Time = ").size() / 4);
  return conflicts;
}

}  // namespace

TEST(StderrBuffer, StreamsAreBufferedAtStartUpByWhereTheyGo) {
  enum { errLineBuffered = 1, outLineBuffered = 2, errInLargeBuffer = 4, errAlreadyWritten = 8 };
  struct Case {
    const char* where;
    void (*arrange)();
    int buffering;
  };
  const Case cases[] = {
      {"two files", [] {}, errInLargeBuffer},
      {"one file", [] { dup2(1, 2); }, errLineBuffered | outLineBuffered | errInLargeBuffer},
      {"one pipe",
       [] {
         int p[2];
         if (pipe(p) == 0) dup2(p[1], 1), dup2(p[1], 2);
       },
       errLineBuffered | outLineBuffered | errInLargeBuffer},
      {"/dev/null for both", [] { dup2(open("/dev/null", O_WRONLY), 1), dup2(1, 2); }, errInLargeBuffer},
  };
  for (const Case& c : cases) {
    RunResult r = runInChild([&] {
      c.arrange();
      guardStandardStreams();
      _exit((__flbf(stderr) ? errLineBuffered : 0) | (__flbf(stdout) ? outLineBuffered : 0) |
            (__fbufsize(stderr) == 1 << 16 ? errInLargeBuffer : 0) | (__fpending(stderr) ? errAlreadyWritten : 0));
    });
    EXPECT_EQ(r.status, c.buffering) << c.where;
  }
}

TEST(StderrBuffer, ExitDuringThePassKeepsEarlierReportsInOrder) {
  RunResult r = runGuarded(probeThenFaultyByteProbe, {"-X", "-T", "100"});
  EXPECT_EQ(r.status, 1);
  size_t probe = r.err.find("Time = 0  Probe for pa at ab  Value = UNINITIALIZED");
  size_t error = r.err.find("ERROR -- Probe8 at ac length error");
  ASSERT_NE(probe, std::string::npos) << r.err;
  ASSERT_NE(error, std::string::npos) << r.err;
  EXPECT_LT(probe, error);
}

TEST(StderrBuffer, LongRunsLoseNothingBeyondTheBufferSize) {
  // About 100 bytes a line and four lines a 38-tick cycle: well over the buffer's 64 KiB.
  RunResult r = runGuarded(clockWithProbe, {"-X", "-T", "100000"});
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> lines = linesStartingWith(r.err, "Time = ");
  ASSERT_GT(r.err.size(), size_t(1) << 17);
  // The clock's changes: XXX at 7, ZERO at 10, then per 38-tick cycle XXX, ONE, XXX, ZERO at 14, 19,
  // 33, 38 (plus 38k); the first line is the report at time 0.
  size_t expected = 3;
  for (uint64_t k = 0;; k++) {
    size_t before = expected;
    for (uint64_t offset : {14, 19, 33, 38})
      if (offset + 38 * k <= 100000) expected++;
    if (expected == before) break;
  }
  EXPECT_EQ(lines.size(), expected) << lines.back();
  for (size_t i = 1; i < lines.size(); i++) ASSERT_LE(timeOf(lines[i - 1]), timeOf(lines[i])) << i;
  EXPECT_EQ(lines.front(), "Time = 0  Probe for clk at ab  Value = UNINITIALIZED");
}

TEST(StderrBuffer, TheRunLeavesNothingInTheBufferWhenItReturns) {
  RunResult r = runInChild([] {
    guardStandardStreams();
    char program[] = "circuit", x[] = "-X", t[] = "-T", stop[] = "50";
    char* argv[] = {program, x, t, stop, nullptr};
    Sim(4, argv, clockWithProbe);
    const char after[] = "after the run\n";
    if (write(2, after, sizeof after - 1) < 0) _exit(3);
    _exit(0);  // no flush: only what has been written is there
  });
  ASSERT_EQ(r.status, 0);
  std::vector<std::string> lines = linesOf(r.err);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "after the run");
  EXPECT_FALSE(linesStartingWith(r.err, "Time = 38").empty()) << r.err;
}

TEST(StderrBuffer, SeparateDestinationsGetTheirOwnTexts) {
  RunResult files = runProgram(busProgram, {"-X", "--keys", "ababb"});
  EXPECT_EQ(files.status, 0);
  EXPECT_EQ(files.out, startupText + conflictLine);
  EXPECT_EQ(files.err, reportsBeforeConflict + reportsAfterConflict);
  RunResult errorOnAPipe = runProgram("/bin/sh", {"-c", busRun + " 2>&1 >/dev/null | cat"});
  EXPECT_EQ(errorOnAPipe.out, reportsBeforeConflict + reportsAfterConflict);
}

TEST(StderrBuffer, SharedFileOrPipeGetsWholeLinesInTheirOrder) {
  for (const char* redirection : {" 2>&1", " 2>&1 | cat"}) {
    RunResult r = runProgram("/bin/sh", {"-c", busRun + redirection});
    EXPECT_EQ(r.status, 0) << redirection;
    EXPECT_EQ(r.out, busRunSeenTogether) << redirection;
  }
}

TEST(StderrBuffer, SharedTerminalShowsWholeLinesInTheirOrder) {
  EXPECT_EQ(onPseudoTerminal(runBusProgram), busRunSeenTogether);
}

TEST(StderrBuffer, LongSharedRunsKeepEveryLineWholeAndInOrder) {
  // Well over the 64 KiB of standard error's buffer, a conflict after every report of a rising edge.
  auto fight = [] { simulateGuarded(clockFightingForABus, {"-X", "-T", "100000"}); };
  RunResult file = runInChild([&] {
    dup2(1, 2);
    fight();
  });
  EXPECT_EQ(file.status, 0);
  ASSERT_GT(file.out.size(), size_t(1) << 17);
  EXPECT_GT(conflictsInFightReport(file.out), 2000u);
  EXPECT_GT(conflictsInFightReport(onPseudoTerminal(fight)), 2000u);
}
