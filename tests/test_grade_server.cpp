// A student's runs on one server (--serve-jobs): each run's output, status and verdict are those of a
// run of the whole command line started alone, with and without the sandbox; what the server cannot
// tell apart is refused and runs alone; a run past its time ends the server.
#include <gtest/gtest.h>

#include "GradeFiles.h"
#include "Grading.h"
#include "Harness.h"
#include "Runner.h"
#include "Sandbox.h"

namespace {

const std::string processor = TARVIK_PIPELINE_DIR "/5a-LD-hazard";

const char* const loop =
    "        setlo r1, 5\n"
    "again:  subs  r1, r1, 1\n"
    "        bne   again\n"
    "        nop\n        nop\n        nop\n"
    "halt:   bra   halt\n        nop\n        nop\n        nop\n";

struct ServerRig {
  std::string folder, problem;
  RunLimits limits;
  SandboxPlace place;
  TestServer server;
  std::vector<std::string> common{processor, "-X", "--quiet", "--program", "loop.s", "--until", "halt"};

  explicit ServerRig(const std::vector<std::string>& extra = {}) {
    if (!newScratchFolder(folder, problem)) return;
    write("loop.s", loop);
    write("t/right.expect", "Reg1 0\n");
    write("t/wrong.expect", "Reg1 7\n");
    place = {folder, {processor}};
    std::vector<std::string> argv = common;
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back("--serve-jobs");
    limits.seconds = 20;
    startServer(argv, folder, limits, &place, server);
  }
  ~ServerRig() {
    stopServer(server);
    if (!folder.empty()) removeTree(folder);
  }
  void write(const std::string& name, const std::string& text) {
    FILE* f = fopen((folder + "/" + name).c_str(), "w");
    fputs(text.c_str(), f);
    fclose(f);
  }
  RunOutcome alone(const std::vector<std::string>& words) {
    std::vector<std::string> argv = common;
    argv.insert(argv.end(), words.begin(), words.end());
    return runLimited(argv, folder, limits, true, &place);
  }
};

void expectSameRun(const RunOutcome& served, const RunOutcome& alone, const std::string& words) {
  EXPECT_EQ(served.output, alone.output) << words;
  EXPECT_EQ(served.verdict, alone.verdict) << words;
  EXPECT_EQ(served.status, alone.status) << words;
  EXPECT_EQ(served.signal, alone.signal) << words;
  EXPECT_FALSE(served.timedOut) << words;
}

void servesLikeRunsAlone(bool inSandbox) {
  if (inSandbox && !sandboxMissing().empty()) GTEST_SKIP() << "no sandbox here";
  sandboxed = inSandbox;
  ServerRig rig;
  ASSERT_GT(rig.server.process, 0) << rig.problem;
  const std::string right = rig.folder + "/t/right.expect", wrong = rig.folder + "/t/wrong.expect";
  struct Job {
    std::vector<std::string> words;
    bool served;
  } const jobs[] = {
      {{"--cycles", "100", "--expect", right}, true},
      {{"--cycles", "100", "--expect", wrong}, true},
      {{"--cycles", "12", "--trace", "--summary"}, true},
      {{"--cycles", "abc"}, true},
      {{"--expect", rig.folder + "/t/none.expect"}, true},
      {{"--fault", "Reg1[0]=0"}, false},  // changes the netlist: a run of its own
      {{"-T", "900"}, false},              // a short option
      {{"--cycles", "9", "--help"}, false},
      {{"--load", "Memory.Ram=" + wrong}, true},
  };
  for (const Job& job : jobs) {
    std::string shown;
    for (const std::string& w : job.words) shown += w + " ";
    RunOutcome served;
    ASSERT_EQ(runOnServer(rig.server, job.words, rig.limits, served), job.served) << shown;
    if (job.served) expectSameRun(served, rig.alone(job.words), shown);
  }
  ASSERT_GT(rig.server.process, 0);  // still serving after its refusals
}

TEST(ServedRuns, AreRunsOfTheWholeCommandLine) { servesLikeRunsAlone(false); }
TEST(ServedRuns, AreRunsOfTheWholeCommandLineInTheSandbox) { servesLikeRunsAlone(true); }

TEST(ServedRuns, ARunPastItsTimeEndsTheServerAndTheNextRunsAlone) {
  sandboxed = false;
  ServerRig rig;
  ASSERT_GT(rig.server.process, 0);
  rig.limits.seconds = 1;
  rig.write("forever.s", "again: bra again\nnop\nnop\nnop\n");
  RunOutcome o;
  ASSERT_TRUE(runOnServer(rig.server, {"--cycles", "10000000"}, rig.limits, o));
  EXPECT_TRUE(o.timedOut);
  EXPECT_EQ(rig.server.process, -1);
  EXPECT_FALSE(runOnServer(rig.server, {"--cycles", "10"}, rig.limits, o));
}

TEST(ServedRuns, AServerThatPrintsAtStartUpIsNotUsed) {
  sandboxed = false;
  ServerRig loud({"--cycles"});  // refused before the netlist is built: printed, and ended
  EXPECT_EQ(loud.server.process, -1);
  sandboxed = false;
  ServerRig warned({"-p", "99", "1"});  // a warning, and it goes on
  EXPECT_EQ(warned.server.process, -1);
}

}  // namespace

// Sim.h is precompiled for the circuits' compiles only where the compiler takes the result.
TEST(PrecompiledHeader, IsPutFirstOnlyWhereTheCompilerTakesIt) {
  struct Case {
    const char* compiler;
    bool used;
  } const cases[] = {{"/usr/bin/g++", true}, {"/bin/false", false}};
  for (const Case& c : cases) {
    GradeSetup s;
    s.assignment.kind = AssignmentKind::circuit;
    s.compiler = c.compiler;
    s.compileFlags = {"-std=c++17", "-O1", "-I" TARVIK_SOURCE_DIR "/header", "-lX11"};
    std::vector<std::string> before = s.compileFlags;
    precompileHeader(s);
    if (!c.used) {
      EXPECT_EQ(s.compileFlags, before) << c.compiler;
      continue;
    }
    ASSERT_EQ(s.compileFlags.size(), before.size() + 1);
    EXPECT_TRUE(isRegularFile(s.compileFlags[0].substr(2) + "/Sim.h.gch"));
    RunResult r = runProgram(c.compiler, {s.compileFlags[0], s.compileFlags[1], s.compileFlags[2], s.compileFlags[3],
                                          "-H", "-fsyntax-only", TARVIK_SOURCE_DIR "/examples/full_adder.cpp"});
    EXPECT_NE(r.err.find("! " + s.compileFlags[0].substr(2) + "/Sim.h.gch"), std::string::npos) << r.err;
  }
  removeScratchRoot();
}
