// Registration, flattening, the connectivity check, activation lists and the fatal-diagnostic stop.
#include <gtest/gtest.h>

#include <vector>

#include "Harness.h"
#include "Netlist.h"
#include "Sim.h"
#include "ssiPh1.h"

namespace {

std::vector<int> activationListOf(int s) {
  return std::vector<int>(phaseThree->activationList[s], phaseThree->activationList[s] + phaseThree->lengthOfActivationList[s]);
}

}  // namespace

TEST(Registration, IndicesLabelsAndPins) {
  Signal a(1, "a"), b(1, "b"), y(1, "y");  // 2, 3, 4
  Or(SD("bb"), (a, b), y);
  And(SD("aa", "Mine"), (a, b), y);
  Tsb(SD("cc"), a, b, y);
  elaborate();
  const PhaseTwo& p = *phaseTwo;
  ASSERT_EQ(p.numberOfComponents, 3);
  EXPECT_EQ(p.decal[0], "Or");
  EXPECT_EQ(p.decal[1], "Mine");
  EXPECT_EQ(p.rcpos[0], "bb");
  EXPECT_EQ(p.logicEvaluate[1], &and_);
  EXPECT_EQ(p.numberOfControlInputs[0], 0);
  EXPECT_EQ(p.controlInputs[0], nullptr);
  EXPECT_EQ(p.numberOfDataInputs[0], 2);
  EXPECT_EQ(p.dataInputs[0][0], 3);  // (a, b): b is the low bit
  EXPECT_EQ(p.dataInputs[0][1], 2);
  EXPECT_EQ(p.outputOverloadable[2], 1);
  EXPECT_EQ(p.controlInputs[2][0], 3);
  EXPECT_EQ(p.maxGraphicDisplayLevel, 1);
}

TEST(Registration, SwitchBindingsPrecedeTheirComponents) {
  Signal s(4, "s");
  Switch(SD("aa"), s, 'a', Zero);
  Switch(SD("ab"), s[0], 'a', One, "again");
  elaborate();
  const PhaseTwo& p = *phaseTwo;
  ASSERT_EQ(p.numberOfSwitches, 5);
  const char keys[] = {'a', 'b', 'c', 'd', 'a'};
  const int bits[] = {3, 2, 1, 0, 0};
  for (int j = 0; j < 5; j++) {
    EXPECT_EQ(p.activationsFromWindow[j][0], keys[j]);
    EXPECT_EQ(p.activationsFromWindow[j][1], j);  // each binding names the component that drives its bit
    EXPECT_EQ(p.activationsFromWindow[j][2], s.serialNumber[bits[j]]);
  }
  EXPECT_EQ(p.decal[0], "a:s[3]");
  EXPECT_EQ(p.decal[4], "a:again");
  EXPECT_EQ(p.selfActivating[0], 1);
}

TEST(Registration, DeepestLevelAndInvisibleComponents) {
  Signal a(1, "a");
  SD top("aa");
  SD inner(SD(top, "ab"), "ac");
  Module(top, "Box", a, a);
  visibleFlag = 0;
  Not(inner, Zero, a);
  visibleFlag = 1;
  elaborate();
  EXPECT_EQ(phaseTwo->maxGraphicDisplayLevel, 3);
  EXPECT_EQ(phaseTwo->iconArrays[1], nullptr);
  EXPECT_NE(phaseTwo->iconArrays[0], nullptr);
  EXPECT_EQ(phaseTwo->decal[0], "Box");
}

TEST(Activation, ListsInIndexOrderOncePerComponent) {
  Signal a(1, "a"), b(1, "b"), y(1, "y"), z(1, "z"), unread(1, "unread");
  And(SD("aa"), (a, a), y);       // 0: a twice
  Tsb(SD("ab"), b, a, z);         // 1: a as control
  Or(SD("ac"), (b, y), z);        // 2
  Switch(SD("ad"), a, 'k', Zero);  // 3: self-activating on its output a
  Not(SD("ae"), Zero, unread);
  elaborate();
  EXPECT_EQ(activationListOf(a.serialNumber[0]), (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(activationListOf(b.serialNumber[0]), (std::vector<int>{1, 2}));
  EXPECT_EQ(activationListOf(y.serialNumber[0]), (std::vector<int>{2}));
  EXPECT_EQ(phaseThree->lengthOfActivationList[unread.serialNumber[0]], 0);
  EXPECT_EQ(activationListOf(0), (std::vector<int>{4}));
}

namespace {

void danglingInputs() {
  Signal a(1, "a"), b(1, "b"), c(3, 5u, "c"), y(1, "y"), boxed(1, "boxed");
  And(SD("aa"), (a, Zero, One, c[0]), y);  // a undriven (data); constants never warn
  Tsb(SD("ab"), y, b, y);                  // b undriven (control)
  Module(SD("ac"), "M", y, boxed);         // a module's outputs count as driven
  Not(SD("ad"), boxed, a);                 // drives a, so only b stays undriven
}

void undriven() {
  Signal a(1, "a"), b(1, "b"), y(1, "y");
  And(SD("aa"), (b, a), y);
  Tsb(SD("ab"), y, a, y);
}

}  // namespace

TEST(Connectivity, WarningsForUndrivenInputsOnly) {
  RunResult r = runCircuit(danglingInputs, {"-X", "-E"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "There are 4 components.\nThere are 9 signals.\n"
            "Warning -- signal[3] has no driver, cmp = 1 Tsb at ab has unconnected CONTROL input, position = 0\n"
            "There are 1 inputUnconnectedWarnings\n");
}

TEST(Connectivity, DataAndControlWarningsAndTheirCount) {
  RunResult r = runCircuit(undriven, {"-X", "-E"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "There are 2 components.\nThere are 5 signals.\n"
            "Warning -- signal[2] a[0] has no driver, cmp = 0 And at aa has unconnected DATA input, position = 0\n"
            "Warning -- signal[3] b[0] has no driver, cmp = 0 And at aa has unconnected DATA input, position = 1\n"
            "Warning -- signal[2] has no driver, cmp = 1 Tsb at ab has unconnected CONTROL input, position = 0\n"
            "There are 3 inputUnconnectedWarnings\n");
}

namespace {
void twoFaults() {
  Signal a(1, "a");
  countFatalDiagnostic();
  Not(SD("aa"), Zero, a);
  countFatalDiagnostic();
}
}  // namespace

TEST(Connectivity, FatalDiagnosticsStopBeforeAnyConnectivityOutput) {
  RunResult r = runCircuit(twoFaults, {"-X"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "2 Fatal Diagnostic(s)--Can't Continue.\n");
}

TEST(Flattening, DumpListsSignalsSwitchesAndComponents) {
  RunResult r = runInChild([] {
    Signal a(1, "a");
    Switch(SD("aa"), a, 'q', Zero, "Q");
    elaborate();
    phaseTwo->dumpFromArrays();
  });
  std::vector<std::string> lines = linesOf(r.err);
  ASSERT_GE(lines.size(), 9u);
  EXPECT_EQ(lines[2], "dumpFromArrays():");
  EXPECT_EQ(lines[3], "Signal 0  Init = 0 constSignal = 1  Name = Zero[0]");
  EXPECT_EQ(lines[5], "Signal 2  Init = 1 constSignal = 0  Name = a[0]");
  EXPECT_EQ(lines[6], "Switch 0  keyChar = q  CompNumber = 0  SignalSerialNumber = 2");
  EXPECT_EQ(lines[8], "   rcpos =  aa  decal = q:Q ");
  EXPECT_EQ(lines[9], "   Inputs[0]:  Outputs[1]: 2");
}
