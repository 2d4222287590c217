// Explanations (--explain NAME@TIME): a catalogue of small circuits, one per kind of source an unknown
// is traced back to, each with its explanation worked out by hand; shared subtrees, the depth limit,
// a time past the end of the run, and the faults refused before the run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "Sim.h"

namespace {

// And(a, One) with a undriven: UNINITIALIZED from the start.
void undrivenInput() {
  Signal a(1, "a"), y(1, "y");
  And(SD("aa"), (a, One), y);
}

// A bus whose only buffer is enabled by a switch still at its initial ZERO.
void switchAtInitialValue() {
  Signal e(1, "e"), bus(1, "bus"), y(1, "y");
  Switch(SD("aa"), e, 'e', Zero, "E");
  Tsb(SD("ab"), One, e, bus);
  Or(SD("ac"), (bus, Zero), y);
}

void busConflict() {
  Signal bus(1, "bus");
  Tsb(SD("aa"), One, One, bus);
  Tsb(SD("ab"), Zero, One, bus);
}

// A Dff clocked while its D is Not(undriven): it loads XXX at every rising edge.
void flipFlopCapturingXXX() {
  Signal u(1, "u"), d(1, "d"), clk(1, "clk"), q(1, "q");
  Not(SD("aa"), u, d);
  Clock(SD("ab"), clk, 20, 10, 50, Zero);
  Dff(SD("ac"), (Zero, d, clk, Zero), q);
}

// A Ram reading word 1, which nothing writes.
void memoryNeverWritten() {
  Signal word(2, "word");
  Ram(SD("aa"), (Zero, Zero, Zero, Zero, Zero, One), (Zero, Zero), word, 4, 2, 2, 1, 1);
}

// Two inverters in a ring: XXX goes round for ever.
void inverterLoop() {
  Signal a(1, "a"), b(1, "b");
  Not(SD("aa"), a, b);
  Not(SD("ab"), b, a);
}

// Two branches from one undriven bit meet again.
void sharedCause() {
  Signal u(1, "u"), x(1, "x"), y(1, "y"), z(1, "z");
  Not(SD("aa"), u, x);
  Not(SD("ab"), u, y);
  And(SD("ac"), (x, y), z);
}

struct Case {
  const char* what;
  void (*circuit)();
  std::vector<std::string> args;
  const char* explanation;
};

const Case catalogue[] = {
    {"undriven input", undrivenInput, {"--explain", "y@0"},
     "explain y at 0\n"
     "y = UNINITIALIZED since 0 <- And at aa (One=ONE, a=UNINITIALIZED)\n"
     "  a = UNINITIALIZED since 0: nothing drives it\n"},
    {"switch at its initial value", switchAtInitialValue, {"--explain", "y@20"},
     "explain y at 20\n"
     "y = HIZ since 20 <- Or at ac (Zero=ZERO, bus=HIZ)\n"
     "  bus = HIZ since 10: no buffer is enabled\n"
     "    Tsb at ab (enable e=ZERO, data One=ONE)\n"
     "    e = ZERO since 10 <- Switch \"e:E\" at aa (init Zero=ZERO): at its initial value\n"},
    {"tri-state conflict", busConflict, {"--explain=bus@10"},
     "Another Tsb at ab is trying to drive it to ZERO, this is not allowed\n"
     "explain bus at 10\n"
     "bus = ONE since 10: a tri-state conflict between 2 enabled buffers\n"
     "  Tsb at aa (enable One=ONE, data One=ONE): drives ONE\n"
     "  Tsb at ab (enable One=ONE, data Zero=ZERO): drives ZERO\n"},
    {"flip-flop loading XXX", flipFlopCapturingXXX, {"-T", "200", "--explain", "q@150"},
     "explain q at 150\n"
     "q = XXX since 13 <- Dff at ac: loaded XXX when clk rose at 97 (R Zero=ZERO, C clk=ONE, D d=XXX, S Zero=ZERO)\n"
     "  clk = ONE at 97 since 97 <- Clock at ab (init Zero=ZERO): changed by its timing\n"
     "  d = XXX at 97 since 7 <- Not at aa (u=UNINITIALIZED)\n"
     "    u = UNINITIALIZED at 97 since 0: nothing drives it\n"},
    {"flip-flop before its first edge", flipFlopCapturingXXX, {"-T", "200", "--explain", "q@30"},
     "explain q at 30\n"
     "q = XXX since 13 <- Dff at ac (R Zero=ZERO, C clk=ONE, D d=XXX, S Zero=ZERO): the XXX it starts with; no "
     "clock edge has loaded it\n"
     "  d = XXX since 7 <- Not at aa (u=UNINITIALIZED)\n"
     "    u = UNINITIALIZED since 0: nothing drives it\n"},
    {"memory word never written", memoryNeverWritten, {"--explain", "word[1]@10"},
     "explain word[1] at 10\n"
     "word[1] = UNINITIALIZED since 0 <- Ram at aa (address One=ONE, address Zero=ZERO): word 1 of Ram was never "
     "written\n"},
    {"loop", inverterLoop, {"--explain", "a@7"},
     "explain a at 7\n"
     "a = XXX since 7 <- Not at ab (b=XXX)\n"
     "  b = XXX since 7 <- Not at aa (a=XXX)\n"
     "    a = XXX: a loop through a, b\n"},
    {"shared cause printed once", sharedCause, {"--explain", "z@14"},
     "explain z at 14\n"
     "z = XXX since 14 <- And at ac (y=XXX, x=XXX)\n"
     "  y = XXX since 7 <- Not at ab (u=UNINITIALIZED)\n"
     "    u = UNINITIALIZED since 0: nothing drives it\n"
     "  x = XXX since 7 <- Not at aa (u=UNINITIALIZED)\n"
     "    u = UNINITIALIZED since 0: explained above\n"},
    {"depth limit", inverterLoop, {"--explain-depth", "1", "--explain", "a@7"},
     "explain a at 7\n"
     "a = XXX since 7 <- Not at ab (b=XXX)\n"
     "  ... (--explain-depth 1 stops here)\n"},
    {"several requests, each at its time, the later past the end", flipFlopCapturingXXX,
     {"-T", "60", "--explain", "d@5", "--explain", "clk@1000"},
     "explain d at 5\n"
     "d = UNINITIALIZED since 0 <- Not at aa (u=UNINITIALIZED): becomes XXX at 7\n"
     "  u = UNINITIALIZED since 0: nothing drives it\n"
     "explain clk at 1000: the run ended at 92, so these are the values at its end\n"
     "clk = XXX since 92 <- Clock at ab (init Zero=ZERO): passing through XXX, becomes ONE at 97\n"},
};

TEST(Explain, EachKindOfSourceIsExplainedAsWorkedOutByHand) {
  for (const Case& c : catalogue) {
    std::vector<std::string> args = {"-X", "--quiet"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult r = runCircuit(c.circuit, args);
    EXPECT_EQ(r.status, 0) << c.what << "\n" << r.err;
    EXPECT_EQ(r.out, c.explanation) << c.what;
  }
}

TEST(Explain, AOneBitRequestOfAWiderBundleNamesThatBitOnly) {
  RunResult whole = runCircuit(memoryNeverWritten, {"-X", "--explain", "word@10"});
  EXPECT_EQ(linesStartingWith(whole.out, "word[").size(), 2u);  // highest bit first
  EXPECT_EQ(linesStartingWith(whole.out, "word[1]").size(), 1u);
  EXPECT_EQ(linesOf(whole.out)[1].substr(0, 8), "word[1] ");
}

struct Fault {
  std::vector<std::string> args;
  const char* message;
};

TEST(Explain, FaultyRequestsAreRefusedBeforeTheRun) {
  const Fault faults[] = {
      {{"--explain", "c@10"}, "ERROR -- --explain c@10: no signal bundle is named c\n"},
      {{"--explain", "a[1]@10"}, "ERROR -- --explain a[1]@10: bit 1 is out of range: a has 1 bit\n"},
      {{"--explain", "a[x]@10"}, "ERROR -- --explain a[x]@10: bit x is out of range: a has 1 bit\n"},
      {{"--explain", "a@ten"}, "ERROR -- option --explain a@ten: the time ten is not a decimal tick\n"},
      {{"--explain", "a@99999999999999999999"},
       "ERROR -- option --explain a@99999999999999999999: the time 99999999999999999999 is not a decimal tick\n"},
      {{"--explain", "a"}, "ERROR -- option --explain requires NAME@TIME, not a\n"},
      {{"--explain-depth", "-1"}, "ERROR -- option --explain-depth requires a number of steps from 0 to 1000, not -1\n"},
  };
  for (const Fault& f : faults) {
    std::vector<std::string> args = {"-X"};
    args.insert(args.end(), f.args.begin(), f.args.end());
    RunResult r = runCircuit(inverterLoop, args);
    EXPECT_EQ(r.status, 2) << f.message;
    EXPECT_EQ(linesStartingWith(r.err, "ERROR").size(), 1u) << r.err;
    EXPECT_NE(r.err.find(f.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("explain"), std::string::npos);
  }
}

void probedFlipFlop() {
  Signal u(1, "u"), d(1, "d"), clk(1, "clk"), q(1, "q");
  Not(SD("aa"), u, d);
  Clock(SD("ab"), clk, 20, 10, 50, Zero);
  Dff(SD("ac"), (Zero, d, clk, Zero), q);
  Probe(SD("ad"), q, "Q");
}

// A flip-flop that takes a switch's value late in a long run of its clock.
void lateLoad() {
  Signal d(1, "d"), clk(1, "clk"), q(1, "q");
  Switch(SD("aa"), d, 'd', Zero, "D");
  Clock(SD("ab"), clk, 20, 10, 50, Zero);
  Dff(SD("ac"), (Zero, d, clk, Zero), q);
}

// A long run keeps only the latest changes of each bit; an explanation at its end reads the same as one
// from the whole history (this text was taken with every change kept).
TEST(Explain, ALongRunKeepsABoundedHistoryThatStillExplainsItsEnd) {
  RunResult r = runCircuit(flipFlopCapturingXXX, {"-X", "-T", "100000", "--explain", "q@999999", "--explain", "clk@99000"});
  EXPECT_EQ(r.out.substr(r.out.find("explain ")),
            "explain clk at 99000\n"
            "clk = ZERO since 98998 <- Clock at ab (init Zero=ZERO): at its initial value\n"
            "explain q at 999999: the run ended at 100013, so these are the values at its end\n"
            "q = XXX since 13 <- Dff at ac: loaded XXX when clk rose at 99989 (R Zero=ZERO, C clk=ONE, D d=XXX, S "
            "Zero=ZERO)\n"
            "  clk = ONE at 99989 since 99989 <- Clock at ab (init Zero=ZERO): changed by its timing\n"
            "  d = XXX at 99989 since 7 <- Not at aa (u=UNINITIALIZED)\n"
            "    u = UNINITIALIZED at 99989 since 0: nothing drives it\n");
  // The load some 700 clock changes before the end is among the changes kept.
  r = runCircuit(lateLoad, {"-X", "-T", "100000", "--keys", "{@88500}d", "--explain", "q@999999"});
  EXPECT_EQ(r.out.substr(r.out.find("explain ")),
            "explain q at 999999: the run ended at 100013, so these are the values at its end\n"
            "q = ONE since 88582 <- Dff at ac (R Zero=ZERO, C clk=XXX, D d=ONE, S Zero=ZERO): loaded when clk rose at "
            "88565\n");
}

// The probes' reports on standard error are the same with an explanation as without.
TEST(Explain, LeavesTheProbeReportsAlone) {
  RunResult plain = runCircuit(probedFlipFlop, {"-X", "-T", "200"});
  RunResult explained = runCircuit(probedFlipFlop, {"-X", "-T", "200", "--explain", "q@150"});
  EXPECT_EQ(plain.err, explained.err);
  EXPECT_EQ(linesStartingWith(explained.out, "explain q at 150").size(), 1u);
}

}  // namespace
