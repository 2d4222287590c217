// Timed steps in key scripts and the headless run that ends when nothing can change any more.
//
// Runs that could hang if a rule broke get an alarm, so a regression fails with status 142 instead of
// stalling the suite.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "KeyScript.h"
#include "Sim.h"

namespace {

const unsigned hangSeconds = 10;

RunResult runGuarded(void (*build)(), const std::vector<std::string>& args) {
  return runCircuit(build, args, hangSeconds);
}

RunResult runExampleGuarded(const std::string& name, const std::vector<std::string>& args) {
  return runProgram(TARVIK_EXAMPLES_DIR "/" + name, args, hangSeconds);
}

std::string probeLines(const RunResult& r) {
  std::string text;
  for (const std::string& l : linesStartingWith(r.err, "Time = ")) text += l + "\n";
  return text;
}

void constantsOnly() {
  Signal a(1, "a");
  Not(SD("aa"), Zero, a);
  Probe(SD("ab"), a, "a");
  Probe(SD("ac"), One, "one");
}

void freeClock() {
  Signal clk(1, "clk");
  Clock(SD("aa"), clk, 10, 0, 20, Zero);
  Probe(SD("ab"), clk, "clk");
}

const char* const switchGatesSettled =
    "There are 6 components.\nThere are 6 signals.\n"
    "Time = 0  Probe for a&b at ac  Value = UNINITIALIZED\n"
    "Time = 0  Probe for a^b at bc  Value = UNINITIALIZED\n"
    "Time = 7  Probe for a^b at bc  Value = XXX\n"
    "Time = 14  Probe for a&b at ac  Value = XXX\n"
    "Time = 20  Probe for a&b at ac  Value = ZERO\n"
    "Time = 20  Probe for a^b at bc  Value = ZERO\n";

}  // namespace

// Without a window and with no press to come, a circuit at rest (or halted) ends the run.
TEST(HeadlessEnd, NothingLeftToHappenEndsTheRun) {
  struct Case {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{"-X"}, switchGatesSettled},
      {{"-X", "-T", "100"}, switchGatesSettled},  // the last event is at 20
      {{"-X", "-T", "100", "--quiet"}, ""},
      {{"-X", "-K", "3"}, "There are 6 components.\nThere are 6 signals.\n"},  // halted from the start
  };
  for (const Case& c : cases) {
    RunResult r = runExampleGuarded("switch_gates", c.args);
    EXPECT_EQ(r.status, 0) << c.args.back();
    EXPECT_EQ(r.err, c.err) << c.args.back();
  }
  RunResult r = runGuarded(constantsOnly, {"-X"});  // settled once the first evaluations have spread
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(probeLines(r),
            "Time = 0  Probe for a at ab  Value = UNINITIALIZED\n"
            "Time = 0  Probe for one at ac  Value = ONE\n"
            "Time = 7  Probe for a at ab  Value = XXX\n"
            "Time = 10  Probe for a at ab  Value = ONE\n");
}

TEST(HeadlessEnd, AFreeClockStillRunsUntilTheStopTime) {
  RunResult r = runGuarded(freeClock, {"-X", "-T", "40"});
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> lines = linesStartingWith(r.err, "Time = ");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Time = 38  Probe for clk at ab  Value = ZERO");
}

TEST(KeyScriptParse, TimedStepsAndTheirErrors) {
  const char* const max = "4611686018427387904";  // 2^62: room for any delay after it
  struct Case {
    std::string script;
    std::vector<ScriptedKey> keys;  // when it parses
    std::string error;              // when it does not
  } cases[] = {
      {"{@0}a{+5}{@5}{F1}", {{waitUntilTick, 0, 0}, {1, 'a'}, {waitTicks, 0, 5}, {waitUntilTick, 0, 5}, {2, 1}}, ""},
      {std::string("{@") + max + "}{+0}", {{waitUntilTick, 0, 1ull << 62}, {waitTicks, 0, 0}}, ""},
      {std::string("{@1}{+") + max + "}", {}, std::string("timed step {+") + max + "} in key script lies beyond the last tick " + max},
      {"{@18446744073709551615}", {}, std::string("timed step {@18446744073709551615} in key script lies beyond the last tick ") + max},
      {"{@}", {}, "timed step {@} in key script needs a decimal number of ticks"},
      {"a{@x}", {}, "timed step {@x} in key script needs a decimal number of ticks"},
      {"{+}", {}, "timed step {+} in key script needs a decimal number of ticks"},
      {"{@-3}", {}, "timed step {@-3} in key script needs a decimal number of ticks"},
      {"{+ 5}", {}, "timed step {+ 5} in key script needs a decimal number of ticks"},
      {"{@18446744073709551616}", {},
       std::string("timed step {@18446744073709551616} in key script lies beyond the last tick ") + max},
      {"{@500}{@100}", {}, "timed step {@100} in key script goes back in time: the script is at tick 500 or later there"},
      {"{@100}x{+50}{@120}", {},
       "timed step {@120} in key script goes back in time: the script is at tick 150 or later there"},
  };
  for (const Case& c : cases) {
    std::vector<ScriptedKey> keys;
    std::string error;
    bool parsed = parseKeyScript(c.script, keys, error);
    EXPECT_EQ(parsed, c.error.empty()) << c.script;
    EXPECT_EQ(error, c.error) << c.script;
    if (!parsed) continue;
    ASSERT_EQ(keys.size(), c.keys.size()) << c.script;
    for (size_t i = 0; i < keys.size(); i++) {
      EXPECT_EQ(keys[i].eventType, c.keys[i].eventType) << c.script << " " << i;
      EXPECT_EQ(keys[i].keyChar, c.keys[i].keyChar) << c.script << " " << i;
      EXPECT_EQ(keys[i].ticks, c.keys[i].ticks) << c.script << " " << i;
    }
  }
  RunResult r = runExampleGuarded("switch_gates", {"-X", "--keys", "a{@9}{@8}"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, startupText);
  EXPECT_EQ(r.err, "ERROR -- timed step {@8} in key script goes back in time: the script is at tick 9 or later there\n");
}

// The clocked example: the reset switch is released by a timed press; the probe shows it at 507 and 510.
TEST(TimedKeys, AClockedCircuitTakesThePressAtItsTick) {
  std::string before = "There are 5 components.\nThere are 8 signals.\n"
                       "Time = 0  Probe for run at bb  Value = UNINITIALIZED\n"
                       "Time = 7  Probe for run at bb  Value = XXX\n"
                       "Time = 10  Probe for run at bb  Value = ZERO\n"
                       "0\n0\n0\n0\n0\n0\n0\n0\n";
  std::string release = "Time = 507  Probe for run at bb  Value = XXX\n"
                        "Time = 510  Probe for run at bb  Value = ONE\n";
  // Absolute and relative steps that name the same ticks; the closing step ends the run at 700 (the
  // stop time only keeps a regression's output short: the clock prints without end).
  for (const char* script : {"{@500}r{+200}", "{+500}r{@700}", "{@200}{+300}r{+100}{+100}"}) {
    RunResult r = runExampleGuarded("timed_reset", {"-X", "-T", "5000", "--keys", script});
    EXPECT_EQ(r.status, 0) << script;
    EXPECT_EQ(r.err, before + release + "0\n1\n2\n3\n") << script;
  }
  // A press that does not follow a timed step waits for a rest that never comes; the stop time ends
  // the run.  A step beyond the stop time is never reached.
  RunResult r = runExampleGuarded("timed_reset", {"-X", "-T", "700", "--keys", "{@500}rr"});
  EXPECT_EQ(r.err, before + release + "0\n1\n2\n3\n");
  r = runExampleGuarded("timed_reset", {"-X", "-T", "300", "--keys", "{@500}r"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, before.substr(0, before.size() - 6));  // the rising edges up to 300
}

// A circuit at rest is carried to the step's tick; a relative step counts from the press before it, a
// passed tick goes on at once, and a halt before a step ends the run.
TEST(TimedKeys, ACircuitAtRestIsCarriedToTheTick) {
  struct Case {
    const char* script;
    const char* after;  // probe lines after the settled start
  } cases[] = {
      {"{@100}a",
       "Time = 114  Probe for a^b at bc  Value = XXX\n"
       "Time = 120  Probe for a^b at bc  Value = ONE\n"},
      {"a{+100}b",
       "Time = 34  Probe for a^b at bc  Value = XXX\n"
       "Time = 40  Probe for a^b at bc  Value = ONE\n"
       "Time = 134  Probe for a&b at ac  Value = XXX\n"
       "Time = 137  Probe for a^b at bc  Value = XXX\n"
       "Time = 140  Probe for a&b at ac  Value = ONE\n"
       "Time = 140  Probe for a^b at bc  Value = ZERO\n"},
      {"a{@5}b",
       "Time = 34  Probe for a&b at ac  Value = XXX\n"
       "Time = 34  Probe for a^b at bc  Value = XXX\n"
       "Time = 40  Probe for a&b at ac  Value = ONE\n"
       "Time = 40  Probe for a^b at bc  Value = ZERO\n"},
      {"{Down}{+5}a", ""},
  };
  for (const Case& c : cases) {
    RunResult r = runExampleGuarded("switch_gates", {"-X", "--keys", c.script});
    EXPECT_EQ(r.status, 0) << c.script;
    EXPECT_EQ(r.err, switchGatesSettled + std::string(c.after)) << c.script;
  }
}
