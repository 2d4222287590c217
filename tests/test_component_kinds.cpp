// What a component is: every constructor of the public API gets its row of the kind table; and the
// steps between flattening and the run keep their one order.
#include <gtest/gtest.h>

#include <iterator>

#include "CompKinds.h"
#include "CompSupport.h"
#include "Explain.h"
#include "Harness.h"
#include "Netlist.h"
#include "Sim.h"
#include "iconData.h"
#include "ssiPh1.h"

namespace {

Signal b(int width) { return Signal(unsigned(width), "b"); }
const unsigned char romBytes[8] = {};

struct KindCase {
  void (*build)(const SD& s);
  KindRow row;
  const char* name;
  ComponentRole role;
  MemorySort memory = noMemory;
};
#define BUILDS(call) [](const SD& s) { call; }
#define ROW(kind) KindRow::kind, #kind

// ProbeH is made of Probes; Module and Space are shown as "component".
const KindCase kindCases[] = {
    {BUILDS(And(s, b(2), b(1))), ROW(And), gateRole},
    {BUILDS(Or(s, b(2), b(1))), ROW(Or), gateRole},
    {BUILDS(Nand(s, b(2), b(1))), ROW(Nand), gateRole},
    {BUILDS(Nor(s, b(2), b(1))), ROW(Nor), gateRole},
    {BUILDS(Xor(s, b(2), b(1))), ROW(Xor), gateRole},
    {BUILDS(Xnor(s, b(2), b(1))), ROW(Xnor), gateRole},
    {BUILDS(Not(s, b(1), b(1))), ROW(Not), gateRole},
    {BUILDS(Iand(s, b(1), b(1), b(1))), ROW(Iand), gateRole},
    {BUILDS(Inand(s, b(1), b(1), b(1))), ROW(Inand), gateRole},
    {BUILDS(CiOr(s, b(1), b(1), b(1))), ROW(CiOr), gateRole},
    {BUILDS(CiNor(s, b(1), b(1), b(1))), ROW(CiNor), gateRole},
    {BUILDS(MultiLevelCompare(s, b(2), b(1))), ROW(MultiLevelCompare), gateRole},
    {BUILDS(Tsb(s, b(1), b(1), b(1))), ROW(Tsb), busDriver},
    {BUILDS(Switch(s, b(1), 's', Zero)), ROW(Switch), sourceRole},
    {BUILDS(Pulser(s, b(1), 'p', 20, Zero)), ROW(Pulser), sourceRole},
    {BUILDS(PowerOn(s, b(1), 30, Zero)), ROW(PowerOn), sourceRole},
    {BUILDS(Clock(s, b(1), 10, 0, 20, Zero)), ROW(Clock), sourceRole},
    {BUILDS(Stop(s, b(1))), ROW(Stop), otherRole},
    {BUILDS(Probe(s, b(1), "p")), ROW(Probe), bitProbe},
    {BUILDS(ProbeH(s, b(1), "p")), ROW(Probe), bitProbe},
    {BUILDS(ProbeByte(s, b(8), "p")), ROW(ProbeByte), byteColumnProbe},
    {BUILDS(ProbeByteH(s, b(8), "p")), ROW(ProbeByteH), byteRowProbe},
    {BUILDS(Module(s, b(1), b(1))), KindRow::Module, "component", otherRole},
    {BUILDS(Space(s)), KindRow::Space, "component", otherRole},
    {BUILDS(Adder(s, b(4), b(2))), ROW(Adder), otherRole},
    {BUILDS(Increment(s, b(2), b(2))), ROW(Increment), otherRole},
    {BUILDS(Counter(s, b(2), b(2))), ROW(Counter), otherRole},
    {BUILDS(Gate(s, b(2), b(1))), ROW(Gate), gateRole},
    {BUILDS(Dff(s, b(4), b(1))), ROW(Dff), flipFlop},
    {BUILDS(Jkff(s, b(5), b(2))), ROW(Jkff), otherRole},
    {BUILDS(Mux(s, b(1), b(2), b(1))), ROW(Mux), selector},
    {BUILDS(Decoder(s, b(1), b(1), b(2))), ROW(Decoder), otherRole},
    {BUILDS(Encoder(s, b(2), b(1), b(1))), ROW(Encoder), otherRole},
    {BUILDS(Register(s, b(1), b(1), b(2), b(2))), ROW(Register), wordRegister},
    {BUILDS(BitAddressibleRegister(s, b(1), b(1), b(1), b(1), b(1), b(1), b(1), b(1), b(2))),
     ROW(BitAddressibleRegister), otherRole},
    {BUILDS(Stderr(s, b(10))), ROW(Stderr), otherRole},
    {BUILDS(IntOut(s, b(2), b(8))), ROW(IntOut), otherRole},
    {BUILDS(HexOut(s, b(2), b(8))), ROW(HexOut), otherRole},
    {BUILDS(RegisterFile(s, b(6), b(4), b(4), 4, 4, 2, 1, 1)), ROW(RegisterFile), multiPort, ramMemory},
    {BUILDS(Ram(s, b(6), b(4), b(4), 4, 4, 2, 1, 1)), ROW(Ram), multiPort, ramMemory},
    {BUILDS(Rom(s, b(3), b(8), 8, 8, romBytes)), ROW(Rom), readOnly, romMemory},
};

// Registration takes what the component runs and shows from its row.
void expectRoutinesOfItsRow(int c) {
  const ComponentKind& k = kindOf(c);
  EXPECT_EQ(phaseTwo->logicEvaluate[c], k.evaluate) << k.name;
  EXPECT_EQ(phaseTwo->drawDynamic[c], k.draw) << k.name;
  EXPECT_EQ(phaseTwo->xEventTriggered[c], k.onKey) << k.name;
  EXPECT_EQ(phaseTwo->iconArrays[c], k.icon) << k.name;
  EXPECT_EQ(phaseTwo->outputOverloadable[c], int(k.outputOverloadable)) << k.name;
  EXPECT_EQ(phaseTwo->selfActivating[c], int(k.selfActivating)) << k.name;
}

// Each case builds one component, at a place of its own.
TEST(ComponentKinds, EveryConstructorGivesItsRow) {
  for (size_t i = 0; i < std::size(kindCases); i++)
    kindCases[i].build(SD(std::string({char('a' + i / 26), char('a' + i % 26)}).c_str()));
  elaborate();
  ASSERT_EQ(size_t(phaseTwo->numberOfComponents), std::size(kindCases));
  for (size_t c = 0; c < std::size(kindCases); c++) {
    EXPECT_EQ(kindRowOf(int(c)), kindCases[c].row) << "case " << c;
    EXPECT_STREQ(kindOf(int(c)).name, kindCases[c].name) << "case " << c;
    EXPECT_EQ(kindOf(int(c)).role, kindCases[c].role) << kindCases[c].name;
    EXPECT_EQ(kindOf(int(c)).memory, kindCases[c].memory) << kindCases[c].name;
    expectRoutinesOfItsRow(int(c));
  }
}

void customRoutine(int) {}

// A circuit's own components are registered without a row, even when they borrow a library routine:
// they are not taken for the library's kind.
TEST(ComponentKinds, ACircuitsOwnComponentIsOther) {
  Signal a(2, "a"), y(1, "y");
  addStandardComponent(customRoutine, rectIcon, "Mine", SD("aa"), a, noSignal(), y);
  SecondaryEvaluatePointer none{};
  addStandardComponent(and_, none, andIcon, nullptr, nullptr, nullptr, 0, 0, "And", SD("ab"), a, noSignal(), y, 0,
                       nullptr, 0, nullptr, 0, 0, 0);
  elaborate();
  for (int c = 0; c < 2; c++) {
    EXPECT_EQ(kindRowOf(c), KindRow::Other);
    EXPECT_STREQ(kindOf(c).name, "component");
    EXPECT_EQ(kindOf(c).role, otherRole);
    EXPECT_EQ(kindOf(c).direct, notDirect);
  }
}

// The kinds follow the flattened netlist, not a previous one; the reset forgets them.
TEST(ComponentKinds, ASecondNetlistGetsItsOwnKinds) {
  And(SD("aa"), b(2), b(1));
  Rom(SD("ab"), b(3), b(8), 8, 8, romBytes);
  elaborate();
  ASSERT_EQ(componentKinds.size(), 2u);
  delete phaseTwo;
  ensurePhaseOne();
  Mux(SD("aa"), b(1), b(2), b(1));
  phaseTwo = new PhaseTwo;
  phaseTwo->listsToArrays();
  ASSERT_EQ(componentKinds.size(), 1u);
  EXPECT_STREQ(kindOf(0).name, "Mux");
  resetComponentKinds();
  EXPECT_TRUE(componentKinds.empty());
}

void inverter() { Not(SD("aa"), Signal(1, "a"), Signal(1, "b")); }

// Each step may end the run with an error: the first faulty one in the order is the one reported.
TEST(AfterElaboration, TheFirstFaultyStepInTheOrderIsReported) {
  ScratchFolder folder;
  std::string load = "Ram=" + folder.write("image", "5\n");  // the circuit has no memory
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--expect", "/none/e", "--load", load, "--explain", "c@1"}, "--explain c@1"},
      {{"--vcd", "/none/v.vcd", "--expect", "/none/e", "--load", load}, "no memory"},
      {{"--vcd", "/none/v.vcd", "--expect", "/none/e"}, "expectations /none/e"},
      {{"--vcd", "/none/v.vcd"}, "waveform dump /none/v.vcd"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-X", "--keys="};
    args.insert(args.end(), c.first.begin(), c.first.end());
    RunResult r = runCircuit(inverter, args);
    EXPECT_EQ(r.status, 2) << c.second;
    std::vector<std::string> errors = linesStartingWith(r.err, "ERROR");
    ASSERT_EQ(errors.size(), 1u) << r.err;
    EXPECT_NE(errors[0].find(c.second), std::string::npos) << errors[0];
  }
}

// Forgetting the requests forgets their step: nothing of them is left to watch the next run.
TEST(AfterElaboration, ResettingExplanationsLeavesNoStepBehind) {
  std::string problem;
  ASSERT_TRUE(takeExplainOption("a@1", problem));
  resetExplanations();
  inverter();
  elaborate();
  callAfterElaborationHooks();
  EXPECT_TRUE(runObservers.empty());
}

}  // namespace
