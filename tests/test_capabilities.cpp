// Capabilities as records: a capability known only to this test program joins the command line, --help,
// the end of the run and the exit status through its one registration line; every program's verdict
// line says what its exit status says, whichever way it ends; and the core includes no capability's
// header.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "Capability.h"
#include "Harness.h"
#include "Sim.h"

namespace {

// A capability of this test alone: --tally WORD counts words; at the end of the run it prints the
// count, and a word "fail" fails the run.
int tallied = 0;
bool tallyFails = false;

bool takeTally(const char* word, std::string&) {
  tallied++;
  tallyFails = tallyFails || std::string(word) == "fail";
  return true;
}

const LongOption tallyOptions[] = {{"--tally", "word", "count WORD", takeTally, "a word"}};

void printTally() { printf("tally: %d words\n", tallied); }

Verdict tallyVerdict() { return verdictWhen(tallyFails, exitFailed, reasonTestFailed); }

const Capability tally = {"tally", 75, 60, tallyOptions, 1, false, nullptr, printTally, nullptr, tallyVerdict,
                          nullptr, nullptr};
const bool tallyAdded = addCapability(tally);

void gate() {
  Signal a(1, "a"), na(1, "na");
  Switch(SD("aa"), a, 'a', Zero, "A");
  Not(SD("ab"), a, na);
  Probe(SD("ac"), na, "na");
}

void endsDuringConstruction() {
  gate();
  exit(0);  // a circuit may end the program itself: its status then says nothing of the checks
}

TEST(Capabilities, OneAddedByItsRecordAloneIsListedTakenRunAndCounted) {
  RunResult help = runCircuit(gate, {"--help"});
  EXPECT_NE(help.out.find("  --palette <name>"), std::string::npos);
  size_t palette = help.out.find("--palette"), tallyAt = help.out.find("  --tally <word>   count WORD\n"),
         explain = help.out.find("  --explain <name@time>");
  EXPECT_LT(palette, tallyAt);
  EXPECT_LT(tallyAt, explain);  // listedAt 75: between the core's options and --explain's

  RunResult two = runCircuit(gate, {"-X", "--quiet", "--tally", "x", "--tally=y"});
  EXPECT_EQ(two.status, 0);
  EXPECT_EQ(linesOf(two.out).back(), "tally: 2 words");

  RunResult failing = runCircuit(gate, {"-X", "--quiet", "--tally", "fail"});
  EXPECT_EQ(failing.status, 1);
  EXPECT_EQ(linesOf(failing.out).back(), "tally: 1 words");
}

// Runs the circuit with a verdict descriptor and returns the verdict line(s) written there.
std::string verdictOf(void (*build)(), const std::vector<std::string>& args, RunResult& run) {
  ScratchFolder folder;
  std::string path = folder / "verdict";
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  EXPECT_GE(fd, 3);
  setenv("TARVIK_VERDICT_FD", std::to_string(fd).c_str(), 1);
  run = runCircuit(build, args);
  unsetenv("TARVIK_VERDICT_FD");
  close(fd);
  return fileText(path);
}

TEST(Capabilities, TheVerdictLineTellsHowEachRunEnded) {
  TextFile wrong("na 0\n"), right("na 1\n");
  struct Case {
    void (*build)();
    std::vector<std::string> args;
    int status;
    const char* verdict;
  } cases[] = {
      {gate, {"-X", "--quiet"}, 0, "verdict 0 passed\n"},
      {gate, {"-X", "--quiet", "--expect", right.path}, 0, "verdict 0 passed\n"},
      {gate, {"-X", "--quiet", "--expect", wrong.path}, 1, "verdict 1 expect-failed\n"},
      {gate, {"-X", "--quiet", "--tally", "fail", "--expect", wrong.path}, 1, "verdict 1 expect-failed\n"},
      {gate, {"-X", "--quiet", "--until", "na=0"}, 0, "verdict 0 no-stop-condition\n"},
      {gate, {"-X", "--quiet", "--until", "na=1"}, 0, "verdict 0 passed\n"},
      // A run that never reached its stop condition is named by that, but a lost write is news of its own.
      {gate, {"-X", "--quiet", "--expect", wrong.path, "--until", "na=0"}, 1, "verdict 1 no-stop-condition\n"},
      {gate, {"-X", "--quiet", "--vcd", "/dev/full", "--until", "na=0"}, 2, "verdict 2 write-failed\n"},
      {gate, {"-X", "--quiet", "--no-such\nverdict 0 passed"}, 2, "verdict 2 refused-option --no-such?verdict?0?passed\n"},
      {gate, {"-X", "--quiet", "--keys", "{F99}"}, 2, "verdict 2 refused-option --keys\n"},
      {gate, {"-X", "--quiet", "--expect", "/no/such/file"}, 2, "verdict 2 bad-input\n"},
      {gate, {"-X", "--quiet", "--until", "nosuchname=1"}, 2, "verdict 2 bad-input\n"},
      {endsDuringConstruction, {"-X", "--quiet"}, 0, "verdict 1 construction-failed\n"},
  };
  for (const Case& c : cases) {
    RunResult run;
    std::string verdict = verdictOf(c.build, c.args, run);
    EXPECT_EQ(run.status, c.status) << c.args.back();
    EXPECT_EQ(verdict, c.verdict) << c.args.back();
  }
}

TEST(Capabilities, NoVerdictIsWrittenUnlessADescriptorAboveTheStandardStreamsIsGiven) {
  for (const char* fd : {"", "1", "2", "x3", "-4", "99999999999"}) {
    setenv("TARVIK_VERDICT_FD", fd, 1);
    RunResult run = runCircuit(gate, {"-X", "--quiet"});
    unsetenv("TARVIK_VERDICT_FD");
    EXPECT_EQ(run.status, 0) << fd;
    EXPECT_EQ(run.out.find("verdict"), std::string::npos) << fd;
    EXPECT_EQ(run.err.find("verdict"), std::string::npos) << fd;
  }
}

// The capability folders are the build's list; no file of the core (src/, header/) includes a header
// of theirs, so a capability is added or removed without touching the core.
TEST(Capabilities, TheCoreIncludesNoCapabilityHeader) {
  std::string root = TARVIK_SOURCE_DIR;
  std::smatch list;
  std::string cmake = fileText(root + "/CMakeLists.txt");
  ASSERT_TRUE(std::regex_search(cmake, list, std::regex("set\\(TARVIK_CAPABILITIES ([a-z ]+)\\)")));
  std::istringstream folders(list[1].str());
  std::vector<std::string> headers;
  for (std::string folder; folders >> folder;) {
    RunResult ls = runProgram("/bin/sh", {"-c", "cd '" + root + "/" + folder + "' && ls *.h"});
    for (const std::string& h : linesOf(ls.out)) headers.push_back(h);
  }
  ASSERT_GE(headers.size(), 7u);
  RunResult includes = runProgram("/bin/sh", {"-c", "cd '" + root + "' && grep -H '#include' src/* header/*"});
  for (const std::string& line : linesOf(includes.out))
    for (const std::string& h : headers) EXPECT_EQ(line.find("\"" + h + "\""), std::string::npos) << line;
}

}  // namespace
