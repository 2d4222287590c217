// Probes, spaces and modules: labels, partitions, horizontal rows, byte probes; and the evaluation
// guarantees the probes rely on (once per step, the pass at time zero).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "KeyScript.h"
#include "Netlist.h"
#include "Sim.h"
#include "ssiPh1.h"

namespace {

std::vector<std::string> decals() {
  std::vector<std::string> d;
  for (int c = 0; c < phaseTwo->numberOfComponents; c++) d.push_back(phaseTwo->decal[c]);
  return d;
}

std::vector<std::string> positions() {
  std::vector<std::string> p;
  for (int c = 0; c < phaseTwo->numberOfComponents; c++) p.push_back(phaseTwo->rcpos[c]);
  return p;
}

int evaluations = 0;
void countEvaluation(int) { evaluations++; }

}  // namespace

TEST(Probe, UnlabelledBitsTakeTheirNamesHighestFirst) {
  Signal d(3, "d");
  Probe(SD("aa"), d);
  elaborate();
  EXPECT_EQ(decals(), (std::vector<std::string>{"d[2]", "d[1]", "d[0]"}));
  EXPECT_EQ(phaseTwo->drawDynamic[0], &probe);
  EXPECT_EQ(phaseTwo->logicEvaluate[0], nullptr);
}

TEST(Probe, PartitionsInsertSpacesAndTheLastSizeRepeats) {
  Signal d(7, "d");
  const int sizes[] = {3, 2};
  Probe(SD("aa"), d, "x", 2, sizes);
  elaborate();
  // Bits 6..4, space, 3..2, space, 1..0.
  EXPECT_EQ(decals(), (std::vector<std::string>{"x", "x", "x", "", "x", "x", "", "x", "x"}));
  EXPECT_EQ(phaseTwo->numberOfDataInputs[3], 0);
  EXPECT_EQ(phaseTwo->dataInputs[4][0], d.serialNumber[3]);
}

TEST(Probe, PartitionsWithoutSizesEndTheProgram) {
  RunResult r = runCircuit([] { Probe(SD("ab"), Signal(5, "d"), "x", 2, nullptr); }, {"-X"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR--Partitioned Probe at ab with no partitionSize list, in.length = 5 -- can't continue.\n");
}

TEST(Probe, HorizontalRowsStandSideBySide) {
  Signal bus(4, "bus"), bit(1, "bit");
  ProbeH(SD("ca"), bus, "D");
  ProbeH(SD(SD("da"), "bb"), bit, "E");
  elaborate();
  EXPECT_EQ(decals(), (std::vector<std::string>{"D[0]", "D[1]", "D[2]", "D[3]", "E"}));
  EXPECT_EQ(positions(), (std::vector<std::string>{"ca.1z", "ca.1y", "ca.1x", "ca.1w", "da.bb.1z"}));
  EXPECT_EQ(phaseTwo->graphicLevel[0], 1);
  EXPECT_EQ(phaseTwo->graphicLevel[4], 2);
}

TEST(Probe, BytesMustBeEightBitsWide) {
  RunResult r = runCircuit([] { ProbeByte(SD("ab"), Signal(6, 5u, "six")); }, {"-X"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "There are 1 components.\nThere are 8 signals.\n"
            "ERROR -- Probe8 at ab length error: cannot has more than 8 inputs ,you have 6 inputs \n");
  r = runCircuit([] { ProbeByteH(SD("ab"), Signal(8, 5u, "eight"), "byte"); }, {"-X", "--keys="});
  EXPECT_EQ(r.status, 0);
}

TEST(Module, BoxesAndSpacesRegisterStructureOnly) {
  Signal in(2, "in"), out(1, "out");
  Module(SD("aa"), in, out);
  Module(SD("ab"), "ALU", in, out);
  Space(SD("ac"));
  elaborate();
  EXPECT_EQ(decals(), (std::vector<std::string>{"Module", "ALU", ""}));
  EXPECT_EQ(phaseTwo->outputOverloadable[1], 1);
  EXPECT_EQ(phaseTwo->numberOfDataInputs[1], 2);
  EXPECT_EQ(phaseTwo->numberOfOutputs[2], 0);
}

TEST(Evaluation, OncePerStepWhateverChangesInTheBatch) {
  RunResult r = runInChild([] {
    static Signal a(1, "a"), b(1, "b"), none(0, "none");
    Switch(SD("aa"), a, 'a', Zero);
    Switch(SD("ab"), b, 'b', Zero);
    SecondaryEvaluatePointer sep{};
    addStandardComponent(countEvaluation, sep, nullptr, nullptr, nullptr, nullptr, 0, 0, "Count", SD("ac"), (a, b), none,
                         none, 0, nullptr, 0, nullptr, 0, 0, 0);
    elaborate();
    replaceKeyScript({});  // an empty script: run until settled
    phaseFour->run();
    // Time 0 evaluates everything; a and b change together at 7 (XXX) and at 10 (ZERO): one each.
    printf("%d\n", evaluations);
  });
  EXPECT_EQ(r.out, "3\n");
}

TEST(Evaluation, RestartEvaluatesEverythingAgainInStateZero) {
  RunResult r = runCircuit(
      [] {
        Signal p(1, "p");
        Pulser(SD("aa"), p, 'p', 5, One);
        Probe(SD("ab"), p, "p");
      },
      {"-X", "--keys", "{F1}p"});
  // After the restart the pulser's first call sets its init value again, the key then pulses it: ZERO
  // at 20, and the return to ONE requested for XXX at 19 lands after it, at 21, then ONE at 24.
  std::vector<std::string> lines = linesStartingWith(r.err, "Time = ");
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[3], "Time = 0  Probe for p at ab  Value = UNINITIALIZED");
  EXPECT_EQ(lines[9], "Time = 24  Probe for p at ab  Value = ONE");
}
