// --until COND on a plain circuit: checked each time the circuit settles, the first condition that
// holds ends a headless run there (status 0, the end-of-run checks applied) and says so on standard
// error; a run that ends otherwise says that none held; a faulty condition is refused before the run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"

namespace {

const std::string gates = std::string(TARVIK_EXAMPLES_DIR) + "/switch_gates";

RunResult runGates(const std::vector<std::string>& more) {
  std::vector<std::string> args = {"-X"};
  args.insert(args.end(), more.begin(), more.end());
  return runProgram(gates, args);
}

std::string lastLine(const std::string& text) {
  std::vector<std::string> lines = linesOf(text);
  return lines.empty() ? "" : lines.back();
}

}  // namespace

// 'a' makes a^b ONE at tick 40 and 'b' makes a&b ONE at tick 60; the script would go on to press 'a' again.
TEST(Until, TheFirstConditionThatHoldsEndsTheRunThere) {
  struct Case {
    std::vector<std::string> until;
    const char* says;
  } cases[] = {
      {{"--until", "both=1"}, "--until both=1 held at tick 60"},
      {{"--until", "both=1", "--until=a=1"}, "--until a=1 held at tick 40"},
      {{"--until", "differ!=0", "--until", "both=1"}, "--until differ!=0 held at tick 40"},
      {{"--until", "both=-1"}, "--until both=-1 held at tick 60"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--keys", "aba"};
    args.insert(args.end(), c.until.begin(), c.until.end());
    RunResult r = runGates(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lastLine(r.err), c.says) << r.err;
  }
}

// The checks of --expect see the circuit where the condition stopped it.
TEST(Until, ExpectationsAreCheckedWhereTheRunStopped) {
  TextFile checks("both 1\na 0\n");
  RunResult r = runGates({"--keys", "aba", "--until", "both=1", "--expect", checks.path});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(linesStartingWith(r.err, "MISMATCH"), std::vector<std::string>{"MISMATCH -- a: expected 0, actual 1"});
}

TEST(Until, ARunThatEndsOtherwiseSaysNoConditionHeld) {
  RunResult bySettling = runGates({"--keys", "a", "--until", "both=1"});
  EXPECT_EQ(bySettling.status, 0);
  EXPECT_EQ(lastLine(bySettling.err), "--until: no condition held; the run ended at tick 40");
  RunResult byStopTime = runGates({"--keys", "ab", "--until", "both=1", "-T", "20"});
  EXPECT_EQ(lastLine(byStopTime.err), "--until: no condition held; the run ended at tick 27");
  RunResult plain = runGates({"--keys", "ab"});
  EXPECT_EQ(plain.err.find("--until"), std::string::npos) << "nothing is said without --until";
}

TEST(Until, AFaultyConditionIsRefusedBeforeTheRun) {
  struct Case {
    const char* condition;
    const char* says;
  } cases[] = {
      {"both", "ERROR -- --until both: needs NAME=VALUE, NAME!=VALUE"},
      {"=1", "ERROR -- --until =1: needs NAME=VALUE, NAME!=VALUE"},
      {"both!=", "ERROR -- --until both!=: needs NAME=VALUE, NAME!=VALUE"},
      {"nothing=1", "ERROR -- --until nothing=1: no signal bundle is named nothing"},
      {"both=2", "ERROR -- --until both=2: value 2 does not fit the 1 bit of both"},
      {"both=-2", "ERROR -- --until both=-2: value -2 does not fit the 1 bit of both (the least is -1)"},
      {"both=maybe", "ERROR -- --until both=maybe: cannot read value maybe"},
      {"both[1]=1", "ERROR -- --until both[1]=1: bit 1 is out of range: both has 1 bit"},
      {"halt", "ERROR -- --until halt: this circuit does not know when a program halts"},
  };
  for (const Case& c : cases) {
    RunResult r = runGates({"--until", c.condition});
    EXPECT_EQ(r.status, 2) << c.condition;
    EXPECT_EQ(r.err.find(c.says), r.err.find("ERROR")) << r.err;
    EXPECT_EQ(r.err.find("Time = "), std::string::npos) << "the run must not start";
  }
}

TEST(Until, HelpListsIt) {
  RunResult r = runGates({"--help"});
  EXPECT_NE(r.out.find("  --until <cond>   (also --until=<cond>) end the run as soon as COND holds"),
            std::string::npos);
}
