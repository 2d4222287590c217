// Test tables (--test): every kind of value, don't care and the exact values, pulses, repeat with its
// counter, faulty tables refused before the run, the examples' tables, and a broken circuit caught.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "Sim.h"
#include "Vectors.h"

namespace {

// A 4-bit switch word n (keys a..d, bit 3 first) copied to copy; en lets a buffer drive bus (HIZ while
// off) and fuzzy is bus XNOR 1 (XXX while the bus floats); idle[1] is driven by nothing (U).  While run
// is 1 the switch clk and the pulser p count on count and pulses; with run at 0 an edge clears them.
void bench() {
  Signal n(4, "n"), copy(4, "copy"), en(1, "en"), bus(1, "bus"), fuzzy(1, "fuzzy"), idle(2, "idle");
  Signal run(1, "run"), clk(1, "clk"), p(1, "p"), count(4, "count"), pulses(4, "pulses"), lone(1, "lone");
  Switch(SD("aa"), n, 'a', Zero, "n");
  Switch(SD("ba"), en, 'e', Zero, "en");
  Switch(SD("ca"), run, 'r', Zero, "run");
  Switch(SD("da"), clk, 'k', Zero, "clk");
  Pulser(SD("ea"), p, 'p', 10, Zero);
  Or(SD("ab"), n, n, copy);
  Tsb(SD("ac"), One, en, bus);
  Xnor(SD("ad"), (bus, One), fuzzy);
  Tsb(SD("ae"), Zero, One, idle[0]);
  Counter(SD("af"), (run, clk), count);
  Counter(SD("ag"), (run, p), pulses);
  Not(SD("ah"), count[0], lone);
}

// A full adder from gates; the broken one makes its sum with an OR where an XOR belongs.
void adder(bool broken) {
  Signal a(1, "a"), b(1, "b"), cin(1, "cin"), half(1, "half"), s(1, "s"), c1(1, "c1"), c2(1, "c2"), cout(1, "cout");
  Switch(SD("aa"), a, 'a', Zero, "a");
  Switch(SD("ba"), b, 'b', Zero, "b");
  Switch(SD("ca"), cin, 'c', Zero, "cin");
  Xor(SD("ab"), (a, b), half);
  if (broken)
    Or(SD("bb"), (half, cin), s);
  else
    Xor(SD("bb"), (half, cin), s);
  And(SD("ac"), (a, b), c1);
  And(SD("bc"), (half, cin), c2);
  Or(SD("cc"), (c1, c2), cout);
}
void brokenAdder() { adder(true); }

// A switch through eight inverters: an explanation of the last one goes back further than it may.
void inverterChain() {
  Signal in(1, "in"), chain(7, "chain"), out(1, "out");
  Switch(SD("aa"), in, 'a', Zero, "in");
  Not(SD("ab"), in, chain[0]);
  for (int k = 1; k < 7; k++) Not(SD("ab"), chain[k - 1], chain[k]);
  Not(SD("ab"), chain[6], out);
}

// Two switches on one key: the key reaches the first only.
void twinKeys() {
  Signal first(1, "first"), second(1, "second"), out(1, "out");
  Switch(SD("aa"), first, 'a', Zero, "first");
  Switch(SD("ba"), second, 'a', Zero, "second");
  And(SD("ab"), (first, second), out);
}

RunResult runTable(void (*netlist)(), const TextFile& table, std::vector<std::string> more = {}) {
  std::vector<std::string> args = {"-X", "--quiet", "--test", table.path};
  args.insert(args.end(), more.begin(), more.end());
  return runCircuit(netlist, args, 60);
}

// The ERROR lines of a faulty table, each without "ERROR -- FILE".
std::vector<std::string> faults(void (*netlist)(), const std::string& text) {
  TextFile table(text);
  RunResult r = runTable(netlist, table);
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_EQ(r.out, "");  // refused before the run
  std::vector<std::string> found;
  for (const std::string& line : linesStartingWith(r.err, "ERROR -- " + table.path))
    found.push_back(line.substr(std::string("ERROR -- ").size() + table.path.size()));
  return found;
}

// A table the netlist passes: status 0 and nothing but the closing line.
void expectPasses(void (*netlist)(), const std::string& text, const std::string& closing) {
  TextFile table(text);
  RunResult r = runTable(netlist, table);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, closing);
}

TEST(Vectors, EveryKindOfValuePasses) {
  expectPasses(bench,
      "# the bench\n"
      "n en : copy bus fuzzy idle\n"
      "5      0 : 5      =Z =X =U0    # decimal; HIZ, XXX and UNINITIALIZED exactly\n"
      "0x0a   1 : 0b1010 1  1  U0     # hex in, binary out; Z and U are exact without =\n"
      "0b0110 0   6      Z  X  X      # X is don't care, alone for the whole bundle; : may be left out\n"
      "-1     1 : 0xf    =1 1  =U0    # -1 is every bit 1\n"
      "15     1 : 1X1X   1  =1 U0     # X per bit\n"
      "5      1 : =0101  =1 1  =U0\n",
      "6 passed, 0 failed\n");
}

TEST(Vectors, EachFailingOutputIsOneLineInTheNotationOfTheExpectedValue) {
  TextFile table(
      "n en : copy bus fuzzy idle\n"
      "5 0 : 6      =Z 0  U0\n"
      "5 0 : 0x6    Z  =X =UU\n"
      "5 1 : 0b0100 =Z X  X\n"
      "5 1 : 01X0   X  X  X\n"
      "5 1 : =01X1  X  X  X    # exactly XXX on bit 1\n"
      "5 1 : 5      1  1  U0\n");
  RunResult r = runTable(bench, table);
  EXPECT_EQ(r.status, 1);
  const std::string& f = table.path;
  EXPECT_EQ(r.out, f + ":2: step 1: copy expected 6, actual 5\n" +
                   f + ":2: step 1: fuzzy expected 0, actual X\n" +
                   f + ":3: step 2: copy expected 0x6, actual 0x5\n" +
                   f + ":3: step 2: idle expected =UU, actual U0\n" +
                   f + ":4: step 3: copy expected 0b0100, actual 0b0101\n" +
                   f + ":4: step 3: bus expected =Z, actual 1\n" +
                   f + ":5: step 4: copy expected 01X0, actual 0101\n" +
                   f + ":6: step 5: copy expected =01X1, actual 0101\n" +
                   "1 passed, 5 failed\n");
}

TEST(Vectors, PulsesAndRepeatsWithTheCounter) {
  expectPasses(bench,
      "run clk p : count pulses\n"
      "0 C C : 0 0      # edges with run at 0 clear both\n"
      "repeat(5)\n"
      "1 C 0 : i+1 0    # a switch pulse: to 1, then back to 0\n"
      "end\n"
      "repeat(3)\n"
      "1 0 C : 5 (i+1)*1   # a pulser: one press\n"
      "1 0 0 : 5 i+1       # left alone\n"
      "end\n"
      "1 C C : 6 4\n"
      "repeat(12)\n"
      "1 C 0 : (i+7)%16 4  # round past 15\n"
      "end\n",
      "25 passed, 0 failed\n");
}

TEST(Vectors, TheCountersArithmetic) {
  struct Case {
    const char* text;
    long long counter, value;
  } cases[] = {{"i", 7, 7},          {"i+1", 7, 8},       {"2*i+1", 3, 7},   {"2*(i+1)", 3, 8},
               {"(i+1)%4", 3, 0},    {"-i", 3, -3},       {"10-i-2", 3, 5},  {"i/2", 7, 3},
               {"-7/2", 0, -3},      {"-7%2", 0, -1},     {"0x10+i", 1, 17}, {"0b11*i", 2, 6},
               {"--i", 2, 2},        {"((i))", 4, 4},     {"100/i/5", 2, 10}};
  for (const Case& c : cases) {
    long long value = 0;
    std::string problem;
    EXPECT_TRUE(evaluateCounterExpression(c.text, c.counter, value, problem)) << c.text << ": " << problem;
    EXPECT_EQ(value, c.value) << c.text;
  }
  struct Fault {
    const char* text;
    const char* problem;
  } faultsOf[] = {{"i/0", "division by zero"}, {"i%(i-i)", "division by zero"}, {"(i", "a ( without its )"},
                  {"i+", "it ends too soon"}, {"2ii", "cannot read 2ii"},      {"ij", "unexpected i"},
                  {"i)", "unexpected )"},     {"4611686018427387904*2", "it overflows"},
                  {"0x4000000000000001", "0x4000000000000001 is too large (at most 2^62)"},
                  {"i+99999999999999999999", "99999999999999999999 is too large (at most 2^62)"},
                  {"4611686018427387904+1x", "cannot read 1x"}};
  for (const Fault& f : faultsOf) {
    long long value = 0;
    std::string problem;
    EXPECT_FALSE(evaluateCounterExpression(f.text, 3, value, problem)) << f.text;
    EXPECT_EQ(problem, std::string("cannot work out ") + f.text + ": " + f.problem);
  }
}

TEST(Vectors, EveryFaultyStepIsReportedBeforeTheRun) {
  EXPECT_EQ(faults(bench,
                   "n en : copy\n"
                   "1 0\n"
                   "X 0 : 0\n"
                   "16 0 : 0\n"
                   "1 0 : C\n"
                   "i 0 : 0\n"
                   "end\n"
                   "repeat(0)\n"
                   "repeat(4)\n"
                   "i*8 0 : 0\n"
                   "1/i 0 : 1\n"
                   "repeat(2)\n"
                   "end\n"
                   "1 0 : 1 : 1\n"
                   "repeat(2)\n"
                   "0 0 : 0\n"
                   "repeat(3)\n"),
            (std::vector<std::string>{
                ":2: a step needs 2 input and 1 output values, found 2 words",
                ":3: input n takes 0, 1, a number or C, not X",
                ":4: value 16 does not fit the 4 bits of n",
                ":5: output copy takes a value; C pulses an input",
                ":6: the counter i is used outside repeat(N) ... end",
                ":7: end without repeat(N)",
                ":8: repeat needs a count from 1 to 100000: repeat(N)",
                ":10: value 16 does not fit the 4 bits of n (when i is 2)",
                ":11: cannot work out 1/i: division by zero (when i is 0)",
                ":12: a repeat inside a repeat (close the first with end)",
                ":14: a step needs 2 input and 1 output values, found 6 words",
                ":15: repeat(N) without its end",
                ":17: a repeat inside a repeat (close the first with end)"}));
}

TEST(Vectors, AFaultyFirstLineOrTooManyStepsStopTheReading) {
  struct Case {
    void (*netlist)();
    const char* text;
    const char* fault;
  } cases[] = {
      {bench, "n en copy\n1 0 2\n", ":1: the first line names the inputs, then a word :, then the outputs (a b cin : s cout)"},
      {bench, "n : copy : bus\n", ":1: the first line has more than one :"},
      {bench, "nope : copy\n", ":1: no signal bundle is named nope"},
      {bench, "n : nope\n", ":1: no signal bundle is named nope"},
      {bench, "copy : n\n", ":1: input copy: no Switch or Pulser drives its bit 0 (copy[0])"},
      {bench, "n lone : copy\n", ":1: input lone: no Switch or Pulser drives it"},
      {bench, "n[2] idle : copy\n", ":1: input idle: no Switch or Pulser drives its bit 0 (idle[0])"},
      {bench, ":\n", ":1: the table names no inputs and no outputs"},
      {bench, "# nothing but a comment\n\n", ": no table: its first line names the inputs, then :, then the outputs"},
      {twinKeys, "first second : out\n", ":1: input second: no key press reaches the switch of it (its key belongs to another)"},
      {bench, "n en n[2] : copy\n", ":1: inputs n and n[2] both drive n[2]: give each bit one column"},
      {bench, "en en : bus\n", ":1: inputs en and en both drive en: give each bit one column"},
      {bench, "n : copy\n# no steps\n", ":1: the table has no steps, only its first line"},
      {bench, "\nn : copy\nrepeat(3)\nend\n", ":2: the table has no steps, only its first line"},
      {bench, "n : copy\nrepeat(100000)\n1 : 1\n1 : 1\nend\n2 : 3\n", ":3: the table has more than 100000 steps"},
      {bench,
       "n : copy copy copy copy copy copy copy copy copy copy copy copy\nrepeat(99999)\n"
       "1 : 1 1 1 1 1 1 1 1 1 1 1 1\nend\n",
       ":3: the table has more than 1000000 values (its steps times its columns)"},
  };
  for (const Case& c : cases) EXPECT_EQ(faults(c.netlist, c.text), std::vector<std::string>{c.fault}) << c.text;
}

// Each a table that would never be played, or not as written.
TEST(Vectors, RefusedWithKeysWithEOrASecondTableAndWhenTheFileCannotBeRead) {
  TextFile table("n : copy\n1 : 1\n"), other("n : copy\n2 : 3\n");
  const struct {
    std::vector<std::string> more;
    std::string says;
  } cases[] = {
      {{"--keys", "a"}, "ERROR -- --test presses the switches itself; it cannot be given with --keys"},
      {{"-E"}, "ERROR -- -E ends before the run, so --test's table would never be played: give one of them"},
      {{"--test", other.path}, "ERROR -- --test is given twice (" + table.path + " and " + other.path + "): give one table"},
  };
  for (const auto& c : cases) {
    RunResult r = runTable(bench, table, c.more);
    EXPECT_EQ(r.status, 2) << c.says;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(linesOf(r.err).back(), c.says);
  }
  RunResult r;
  r = runCircuit(bench, {"-X", "--test", "/nonexistent/table"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesOf(r.err).back(), "ERROR -- cannot read the test table /nonexistent/table: No such file or directory");
}

TEST(Vectors, ARunThatEndsBeforeTheTableFailsTheStepsLeft) {
  TextFile table("n : copy\n1 : 1\n2 : 2\n3 : 3\n");
  RunResult r = runTable(bench, table, {"-T", "60"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, table.path + ":3: step 2: not reached, the run ended at tick 64\n1 passed, 2 failed\n");
}

// ---- The examples' tables, run by the built programs ------------------------------------------------

RunResult runExample(const std::string& name, const std::string& table, std::vector<std::string> more = {}) {
  std::vector<std::string> args = {"-X", "--quiet", "--test", table};
  args.insert(args.end(), more.begin(), more.end());
  return runProgram(TARVIK_EXAMPLES_DIR "/" + name, args, 60);
}

std::string exampleTable(const std::string& name) { return TARVIK_SOURCE_DIR "/examples/" + name + ".test"; }

TEST(VectorExamples, EveryExampleTablePasses) {
  struct Case {
    const char* example;
    const char* out;
  } cases[] = {
      {"full_adder", "8 passed, 0 failed\n"},
      {"step_counter", "22 passed, 0 failed\n"},
      {"tristate_bus", "Another Tsb at bb is trying to drive it to ZERO, this is not allowed\n6 passed, 0 failed\n"},
      {"ram_readback", "9 passed, 0 failed\n"},
  };
  for (const Case& c : cases) {
    RunResult r = runExample(c.example, exampleTable(c.example));
    EXPECT_EQ(r.status, 0) << c.example << r.err;
    EXPECT_EQ(r.out, c.out) << c.example;
  }
}

TEST(VectorExamples, AWrongRowOfTheFullAdderFails) {
  std::string text = fileText(exampleTable("full_adder"));
  text.replace(text.find("1 1 0   : 0 1"), 13, "1 1 0   : 1 0");
  TextFile table(text);
  RunResult r = runExample("full_adder", table.path);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, table.path + ":9: step 7: s expected 1, actual 0\n" + table.path +
                       ":9: step 7: cout expected 0, actual 1\n7 passed, 1 failed\n");
}

TEST(VectorExamples, ABrokenAdderFailsTheTable) {
  RunResult r = runCircuit(brokenAdder, {"-X", "--quiet", "--test", exampleTable("full_adder")}, 60);
  EXPECT_EQ(r.status, 1);
  const std::string f = exampleTable("full_adder");
  EXPECT_EQ(r.out, f + ":6: step 4: s expected 0, actual 1\n" + f + ":8: step 6: s expected 0, actual 1\n" +
                       "6 passed, 2 failed\n");
}

// --explain-failures: under a failing step, the first wrong output bit's chain back to the switches
// (the OR where the XOR belongs), at most six steps deep; the second wrong output of a step is not
// explained; without a table the option is refused.
TEST(VectorExamples, ExplainFailuresShowsThePartsBehindAWrongOutput) {
  const std::string f = exampleTable("full_adder");
  TextFile twoWrong("a b cin : s cout\n1 1 1 : 0 0\n");
  RunResult r = runCircuit(brokenAdder, {"-X", "--quiet", "--explain-failures", "--test", twoWrong.path}, 60);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, twoWrong.path + ":2: step 1: s expected 0, actual 1\n"
                   "    s = ONE since 110 <- Or at bb (cin=ONE, half=ZERO)\n"
                   "      cin = ONE since 100 <- Switch \"c:cin\" at ca (init Zero=ZERO): changed by its key\n"
                   "      half = ZERO since 80 <- Xor at ab (b=ONE, a=ONE)\n"
                   "        b = ONE since 70 <- Switch \"b:b\" at ba (init Zero=ZERO): changed by its key\n"
                   "        a = ONE since 40 <- Switch \"a:a\" at aa (init Zero=ZERO): changed by its key\n" +
                       twoWrong.path + ":2: step 1: cout expected 0, actual 1\n0 passed, 1 failed\n");
  TextFile chain("in : out\n1 : 0\n");
  r = runCircuit(inverterChain, {"-X", "--quiet", "--explain-failures", "--test", chain.path}, 60);
  std::vector<std::string> lines = linesOf(r.out);
  ASSERT_EQ(lines.size(), 9u) << r.out;
  EXPECT_EQ(lines[1].substr(0, 20), "    out = ONE since ");
  EXPECT_EQ(lines[7], std::string(4 + 12, ' ') + "... (further steps left out)");
  r = runCircuit(brokenAdder, {"-X", "--quiet", "--explain-failures"}, 60);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesOf(r.err).back(), "ERROR -- --explain-failures explains the failing steps of a --test table: give one");
}

TEST(VectorExamples, ExpectStillChecksTheEnd) {
  TextFile right("s 1\ncout 1\n"), wrong("s 0\n");
  RunResult r = runExample("full_adder", exampleTable("full_adder"), {"--expect", right.path});
  EXPECT_EQ(r.status, 0) << r.err;
  r = runExample("full_adder", exampleTable("full_adder"), {"--expect", wrong.path});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "8 passed, 0 failed\n");
  EXPECT_EQ(linesOf(r.err).back(), "MISMATCH -- s: expected 0, actual 1");
}

TEST(VectorExamples, HelpTellsOfTheOption) {
  RunResult r = runProgram(TARVIK_EXAMPLES_DIR "/full_adder", {"--help"});
  EXPECT_NE(r.out.find("  --test <file>"), std::string::npos) << r.out;
}

}  // namespace
