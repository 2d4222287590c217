// Construction errors: every path by which a constructor refuses its signals, with its exact text and
// exit status.  The small components and the bundle operations end the program at once; the medium
// and large ones count a fatal diagnostic, so that one run reports all of them before it stops.  The
// paths that the per-family tests (test_gates, test_arith, test_flipflops, ...) do not reach are here,
// together with a circuit that has a fault in every counted constructor.
#include <gtest/gtest.h>

#include <string>

#include "Harness.h"
#include "Sim.h"

namespace {

struct ImmediateCase {
  void (*build)();
  const char* message;
};

// Each case ends the program at once: its message is the last thing written and nothing after it is
// registered (the probe that follows never reports).
void expectImmediateEnd(const ImmediateCase& c) {
  RunResult r = runCircuit(c.build, {"-X", "--keys="});
  EXPECT_EQ(r.status, 1) << c.message;
  EXPECT_EQ(r.err, c.message);
  EXPECT_EQ(r.out, "");
}

// A bundle of n bits named bn, declared once per process (in the child that builds the circuit) and
// held for the rest of it.
Signal& bits(int n) {
  static Signal* made[70] = {};
  static std::string names[70];
  if (!made[n]) {
    names[n] = "b" + std::to_string(n);
    made[n] = new Signal(unsigned(n), names[n].c_str());
  }
  return *made[n];
}

void probeAfter() { Probe(SD("zz"), One, "after"); }

}  // namespace

TEST(ConstructionErrors, SmallComponentsEndTheProgramAtOnce) {
  const ImmediateCase cases[] = {
      {[] { And(SD("aa"), bits(3), bits(0)); probeAfter(); },
       "ERROR -- And with out.length == 0 at aa  length error:  in.length = 3 out.length = 0\n"},
      {[] { Or(SD("ab"), bits(2), bits(4), bits(2)); probeAfter(); },
       "ERROR -- Or (vector) component at ab length error:  in1.length = 2 in2.length = 4 out.length = 2\n"},
      {[] { And(SD("ac"), bits(1), bits(3), bits(4)); probeAfter(); },  // one bit against a word of another width
       "ERROR -- And (vector) component at ac length error:  in1.length = 1 in2.length = 3 out.length = 4\n"},
      {[] { Or(SD("ad"), bits(0), bits(0), bits(0)); probeAfter(); },  // nothing to compute
       "ERROR -- Or (vector) component at ad length error:  in1.length = 0 in2.length = 0 out.length = 0\n"},
      {[] { Or(SD("ae"), bits(6), bits(4)); probeAfter(); },
       "ERROR -- Or (vector) with inputs not divisible over outputs at ae length error:  in.length = 6 out.length = 4\n"},
      {[] { And(SD("af"), bits(2), bits(3)); probeAfter(); },  // fewer inputs than outputs
       "ERROR -- And (vector) with inputs not divisible over outputs at af length error:  in.length = 2 out.length = 3\n"},
      {[] { Not(SD("ag"), bits(0), bits(0)); probeAfter(); },
       "ERROR -- Not (vector) at ag length error:  in.length = 0 out.length = 0\n"},
      {[] { Not(SD("ah"), bits(3), bits(1)); probeAfter(); },
       "ERROR -- Not (vector) at ah length error:  in.length = 3 out.length = 1\n"},
      {[] { Tsb(SD("ba"), bits(2), bits(1), bits(1)); probeAfter(); },
       "ERROR -- Tsb (Tri-state-buffer) at ba length error:  control.length = 1 in.length = 2 out.length = 1\n"},
      {[] { Tsb(SD("bb"), bits(1), bits(1), bits(0)); probeAfter(); },
       "ERROR -- Tsb (Tri-state-buffer) at bb length error:  control.length = 1 in.length = 1 out.length = 0\n"},
      {[] { Tsb(SD(SD("bc"), "aa"), bits(1), bits(0), bits(1)); probeAfter(); },
       "ERROR -- Tsb (Tri-state-buffer) at bc.aa length error:  control.length = 0 in.length = 1 out.length = 1\n"},
      {[] { Probe(SD("bd"), bits(0), "p", 1, nullptr); probeAfter(); },
       "ERROR--Partitioned Probe at bd with no partitionSize list, in.length = 0 -- can't continue.\n"},
  };
  for (const ImmediateCase& c : cases) expectImmediateEnd(c);
}

TEST(ConstructionErrors, BundleOperationsOutOfRangeEndTheProgramAtOnce) {
  const ImmediateCase cases[] = {
      {[] { bits(3)[-1]; probeAfter(); }, "Signal :: operator[] subscript out of range--\n  -- Signal = b3 sub = -1\n"},
      {[] { bits(0)[0]; probeAfter(); }, "Signal :: operator[] subscript out of range--\n  -- Signal = b0 sub = 0\n"},
      {[] { bits(2).sub(2, 0); probeAfter(); }, "Signal member sub(int,int)--bad range: 2,0\nSource length = 2\n"},
      {[] { bits(2).sub(-3, 5); probeAfter(); }, "Signal member sub(int,int)--bad range: -3,5\nSource length = 2\n"},
      {[] { bits(1) - bits(2); probeAfter(); }, "Error--operator - arguments are not length = 1.\n"},
      {[] { bits(0) - bits(1); probeAfter(); }, "Error--operator - arguments are not length = 1.\n"},
      {[] { 1100000000 * bits(2); probeAfter(); },
       "Error--operator * replication of b2 gives more than 2147483647 bits.\n"},
  };
  for (const ImmediateCase& c : cases) expectImmediateEnd(c);
}

// The byte probes check their width when first drawn, which is at time zero of the run, after the
// netlist summary.
TEST(ConstructionErrors, ByteProbesOfAnotherWidthEndTheRunAtTheirFirstDrawing) {
  RunResult r = runCircuit([] { ProbeByteH(SD("ab"), bits(9), "wide"); }, {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "There are 1 components.\nThere are 11 signals.\n"
            "Warning -- signal[2] b9[0] has no driver, cmp = 0 wide at ab has unconnected DATA input, position = 0\n"
            "Warning -- signal[3] b9[1] has no driver, cmp = 0 wide at ab has unconnected DATA input, position = 1\n"
            "Warning -- signal[4] b9[2] has no driver, cmp = 0 wide at ab has unconnected DATA input, position = 2\n"
            "Warning -- signal[5] b9[3] has no driver, cmp = 0 wide at ab has unconnected DATA input, position = 3\n"
            "Warning -- signal[6] b9[4] has no driver, cmp = 0 wide at ab has unconnected DATA input, position = 4\n"
            "Warning -- signal[7] b9[5] has no driver, cmp = 0 wide at ab has unconnected DATA input, position = 5\n"
            "Warning -- signal[8] b9[6] has no driver, cmp = 0 wide at ab has unconnected DATA input, position = 6\n"
            "Warning -- signal[9] b9[7] has no driver, cmp = 0 wide at ab has unconnected DATA input, position = 7\n"
            "Warning -- signal[10] b9[8] has no driver, cmp = 0 wide at ab has unconnected DATA input, position = 8\n"
            "There are 9 inputUnconnectedWarnings\n"
            "ERROR -- Probe8 at ab length error: cannot has more than 8 inputs ,you have 9 inputs \n");
  r = runCircuit([] { ProbeByte(SD("ac"), bits(0), "none"); }, {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "There are 1 components.\nThere are 2 signals.\n"
            "ERROR -- Probe8 at ac length error: cannot has more than 8 inputs ,you have 0 inputs \n");
}

namespace {

const unsigned char romBytes[16] = {};

// One fault in every constructor that counts its faults, in registration order; a probe and an
// undriven input that would speak if the run started.
void everyCountedFault() {
  Adder(SD("aa"), bits(5), bits(2));
  Counter(SD("ab", "Cnt"), bits(1), bits(4));
  Gate(SD("ac"), bits(3), bits(1));
  Dff(SD("ad"), bits(5), bits(1));
  Jkff(SD("ae"), bits(5), bits(3));
  Mux(SD("af"), bits(1), bits(3), bits(2));
  Decoder(SD("ag"), bits(2), bits(2), bits(4));
  Encoder(SD("ah"), bits(4), bits(2), bits(2));
  Register(SD("ba"), bits(1), bits(2), bits(4), bits(4));
  BitAddressibleRegister(SD("bb"), bits(2), bits(1), bits(1), bits(1), bits(1), bits(2), bits(2), bits(1), bits(4));
  BitAddressibleRegister(SD("bc"), bits(1), bits(1), bits(1), bits(1), bits(1), bits(2), bits(3), bits(1), bits(4));
  Stderr(SD("bd"), bits(9));
  IntOut(SD("be"), bits(3), bits(8));
  HexOut(SD("bf"), bits(1), bits(8));
  RegisterFile(SD("bg", "RF"), bits(4), bits(2), bits(2), 4, 2, 2, 1, 1);
  Ram(SD("bh"), (bits(2), bits(4)), bits(4), bits(2), 4, 2, 2, 1, 1);
  Ram(SD("ca"), bits(1), bits(1), bits(1), 4, 2, 2, -1, 1);
  Rom(SD("cb"), bits(3), bits(8), 10, 8, romBytes);
  SD block("da", "Blk");
  Adder(SD(block, "ab"), bits(3), bits(1));
  Probe(SD("cc"), bits(1), "watch");
  And(SD("cd"), bits(1), bits(1));
}

}  // namespace

TEST(ConstructionErrors, EveryCountedFaultIsReportedBeforeTheStop) {
  RunResult r = runCircuit(everyCountedFault, {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "I/O length error--Adder  at aa dataIn.length = 5 out.length = 2\n"
            "I/O length error--Counter Cnt at ab in.length = 1 should be at least 2.\n"
            "I/O length error--Gate() at ac in.length = 3 out.length = 1 should be 2 & 1.\n"
            "I/O length error--Dff() at ad in.length = 5 out.length = 1 should be 4 & 1.\n"
            "I/O length error--Jkff() at ae in.length = 5 out.length = 3 should be 5 & 2.\n"
            "I/O length error--Mux  at af dataIn.length = 3 controlIn.length = 1 out.length = 2\n"
            "I/O length error--Decoder  at ag dataIn.length = 2 controlIn.length = 2 out.length = 4\n"
            "I/O length error--Encoder  at ah dataIn.length = 4 out.length = 2 valid.length = 2\n"
            "I/O lengths mismatch for Register  at ba dataIn.length = 4 write.length = 2 enable.length = 1 "
            "out.length = 4\n"
            "Signal length error for AddressibleRegister  at bb clear, set, enable, write, bitIn or bitOut more "
            "than a single bit.\n"
            "Signal length error for AddressibleRegister  at bc Read/Write Address or Output lengths do not agree.\n"
            "I/O length error--Stderr() at bd in.length = 9 should be 10.\n"
            "I/O length error--IntOut() at be control.length = 3 should be 2.\n"
            "I/O length error--HexOut() at bf control.length = 1 should be 2.\n"
            "Error--RegisterFile RF at bg: I/O length error\n"
            " dataIn.length = 2 should match: 2\n"
            " controlIn.length = 4 should match: 6\n"
            " out.length = 2 should match: 2\n"
            "Error--Ram  at bh: I/O length error\n"
            " dataIn.length = 4 should match: 2\n"
            " controlIn.length = 6 should match: 6\n"
            " out.length = 2 should match: 2\n"
            "Error--Ram  at ca: memory size error numberOfWords = 4 bitWordWidth = 2 portAddressSize = 2 "
            "numberOfReadPorts = -1 numberOfWritePorts = 1\n"
            "I/O length error--Rom  at cb in.length = 3 words = 10 out.length = 8 bitsPerWord = 8 "
            "allocatedBytesPerWord = 1\n"
            "I/O length error--Adder Blk at da.ab dataIn.length = 3 out.length = 1\n"
            "19 Fatal Diagnostic(s)--Can't Continue.\n");
}

TEST(ConstructionErrors, AnImmediateFaultAfterCountedOnesEndsWithoutTheCount) {
  RunResult r = runCircuit(
      [] {
        Adder(SD("aa"), bits(3), bits(1));
        Dff(SD("ab"), bits(2), bits(1));
        Tsb(SD("ac"), bits(2), bits(1), bits(1));
        Gate(SD("ad"), bits(1), bits(1));
      },
      {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "I/O length error--Adder  at aa dataIn.length = 3 out.length = 1\n"
            "I/O length error--Dff() at ab in.length = 2 out.length = 1 should be 4 & 1.\n"
            "ERROR -- Tsb (Tri-state-buffer) at ac length error:  control.length = 1 in.length = 2 out.length = 1\n");
}

// Geometries too large to hold are refused as faults, not allocated: a ROM of 2^30 words of 8 bytes
// and a register file of 2^32 store words.
TEST(ConstructionErrors, MemoriesTooLargeToHoldAreCountedFaults) {
  RunResult r = runCircuit(
      [] {
        Rom(SD("aa"), bits(30), bits(64), 1 << 30, 64, nullptr);
        RegisterFile(SD("ab"), bits(32), bits(64), bits(64), 1 << 30, 64, 30, 1, 1);
      },
      {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "I/O length error--Rom  at aa in.length = 30 words = 1073741824 out.length = 64 bitsPerWord = 64 "
            "allocatedBytesPerWord = 8\n"
            "Error--RegisterFile  at ab: memory size error numberOfWords = 1073741824 bitWordWidth = 64 "
            "portAddressSize = 30 numberOfReadPorts = 1 numberOfWritePorts = 1\n"
            "2 Fatal Diagnostic(s)--Can't Continue.\n");
}

// The same constructors with fitting signals say nothing and the run starts.
TEST(ConstructionErrors, FittingSignalsGiveNoMessage) {
  RunResult r = runCircuit(
      [] {
        Signal a(1, "a");
        Switch(SD("aa"), a, 'a', Zero);
        And(SD("ab"), Signal(4, "x"), a, Signal(4, "y"));
        Or(SD("ac"), Signal(6, "x"), Signal(3, "y"));
        Not(SD("ad"), Signal(5, "x"), Signal(5, "y"));
        Tsb(SD("ae"), a, a, Signal(1, "y"));
        Adder(SD("af"), Signal(8, "x"), Signal(4, "y"));
        Counter(SD("ag"), Signal(2, "x"), Signal(3, "y"));
        Mux(SD("ah"), a, Signal(4, "x"), Signal(2, "y"));
        Decoder(SD("ba"), a, Signal(2, "x"), Signal(4, "y"));
        Encoder(SD("bb"), Signal(4, "x"), Signal(2, "y"), Signal(1, "v"));
        Stderr(SD("bc"), Signal(10, "x"));
        IntOut(SD("bd"), Signal(2, "x"), Signal(8, "y"));
        Ram(SD("be"), Signal(6, "x"), Signal(2, "y"), Signal(2, "z"), 4, 2, 2, 1, 1);
        Rom(SD("bf"), Signal(3, "x"), Signal(8, "y"), 8, 8, romBytes);
      },
      {"-X", "--keys="});
  EXPECT_EQ(r.status, 0);
  for (const char* faultStart : {"ERROR", "I/O", "Error--", "Signal length"})
    EXPECT_EQ(linesStartingWith(r.err, faultStart).size(), 0u) << faultStart;
  EXPECT_EQ(r.err.find("Fatal"), std::string::npos);
  EXPECT_EQ(linesStartingWith(r.err, "There are ").size(), 3u);  // components, signals, unconnected inputs
}
