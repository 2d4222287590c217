// What a component is: every constructor of the public API gets its row of the kind table; and the
// steps between flattening and the run keep their one order.
#include <gtest/gtest.h>

#include <iterator>

#include "CompKinds.h"
#include "Explain.h"
#include "Harness.h"
#include "Netlist.h"
#include "Sim.h"

namespace {

Signal b(int width) { return Signal(unsigned(width), "b"); }
const unsigned char romBytes[8] = {};

struct KindCase {
  void (*build)(const SD& s);
  const char* name;
  ComponentRole role;
  MemorySort memory = noMemory;
};
#define BUILDS(call) [](const SD& s) { call; }

// Module and Space have no routine to tell them by.
const KindCase kindCases[] = {
    {BUILDS(And(s, b(2), b(1))), "And", gateRole}, {BUILDS(Or(s, b(2), b(1))), "Or", gateRole},
    {BUILDS(Nand(s, b(2), b(1))), "Nand", gateRole}, {BUILDS(Nor(s, b(2), b(1))), "Nor", gateRole},
    {BUILDS(Xor(s, b(2), b(1))), "Xor", gateRole}, {BUILDS(Xnor(s, b(2), b(1))), "Xnor", gateRole},
    {BUILDS(Not(s, b(1), b(1))), "Not", gateRole}, {BUILDS(Iand(s, b(1), b(1), b(1))), "Iand", gateRole},
    {BUILDS(Inand(s, b(1), b(1), b(1))), "Inand", gateRole}, {BUILDS(CiOr(s, b(1), b(1), b(1))), "CiOr", gateRole},
    {BUILDS(CiNor(s, b(1), b(1), b(1))), "CiNor", gateRole},
    {BUILDS(MultiLevelCompare(s, b(2), b(1))), "MultiLevelCompare", gateRole},
    {BUILDS(Tsb(s, b(1), b(1), b(1))), "Tsb", busDriver}, {BUILDS(Switch(s, b(1), 's', Zero)), "Switch", sourceRole},
    {BUILDS(Pulser(s, b(1), 'p', 20, Zero)), "Pulser", sourceRole},
    {BUILDS(PowerOn(s, b(1), 30, Zero)), "PowerOn", sourceRole},
    {BUILDS(Clock(s, b(1), 10, 0, 20, Zero)), "Clock", sourceRole}, {BUILDS(Stop(s, b(1))), "Stop", otherRole},
    {BUILDS(Probe(s, b(1), "p")), "Probe", bitProbe}, {BUILDS(ProbeH(s, b(1), "p")), "Probe", bitProbe},
    {BUILDS(ProbeByte(s, b(8), "p")), "ProbeByte", byteColumnProbe},
    {BUILDS(ProbeByteH(s, b(8), "p")), "ProbeByteH", byteRowProbe},
    {BUILDS(Module(s, b(1), b(1))), "component", otherRole}, {BUILDS(Space(s)), "component", otherRole},
    {BUILDS(Adder(s, b(4), b(2))), "Adder", otherRole}, {BUILDS(Increment(s, b(2), b(2))), "Increment", otherRole},
    {BUILDS(Counter(s, b(2), b(2))), "Counter", otherRole}, {BUILDS(Gate(s, b(2), b(1))), "Gate", gateRole},
    {BUILDS(Dff(s, b(4), b(1))), "Dff", flipFlop}, {BUILDS(Jkff(s, b(5), b(2))), "Jkff", otherRole},
    {BUILDS(Mux(s, b(1), b(2), b(1))), "Mux", selector}, {BUILDS(Decoder(s, b(1), b(1), b(2))), "Decoder", otherRole},
    {BUILDS(Encoder(s, b(2), b(1), b(1))), "Encoder", otherRole},
    {BUILDS(Register(s, b(1), b(1), b(2), b(2))), "Register", wordRegister},
    {BUILDS(BitAddressibleRegister(s, b(1), b(1), b(1), b(1), b(1), b(1), b(1), b(1), b(2))),
     "BitAddressibleRegister", otherRole},
    {BUILDS(Stderr(s, b(10))), "Stderr", otherRole}, {BUILDS(IntOut(s, b(2), b(8))), "IntOut", otherRole},
    {BUILDS(HexOut(s, b(2), b(8))), "HexOut", otherRole},
    {BUILDS(RegisterFile(s, b(6), b(4), b(4), 4, 4, 2, 1, 1)), "RegisterFile", multiPort, ramMemory},
    {BUILDS(Ram(s, b(6), b(4), b(4), 4, 4, 2, 1, 1)), "Ram", multiPort, ramMemory},
    {BUILDS(Rom(s, b(3), b(8), 8, 8, romBytes)), "Rom", readOnly, romMemory},
};

// Each case builds one component, at a place of its own.
TEST(ComponentKinds, EveryConstructorGivesItsRow) {
  for (size_t i = 0; i < std::size(kindCases); i++)
    kindCases[i].build(SD(std::string({char('a' + i / 26), char('a' + i % 26)}).c_str()));
  elaborate();
  ASSERT_EQ(size_t(phaseTwo->numberOfComponents), std::size(kindCases));
  for (size_t c = 0; c < std::size(kindCases); c++) {
    EXPECT_STREQ(kindOf(int(c)).name, kindCases[c].name) << "case " << c;
    EXPECT_EQ(kindOf(int(c)).role, kindCases[c].role) << kindCases[c].name;
    EXPECT_EQ(kindOf(int(c)).memory, kindCases[c].memory) << kindCases[c].name;
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
