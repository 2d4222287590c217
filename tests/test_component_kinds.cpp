// What a component is: every constructor of the public API gets its row of the kind table, and the
// steps between flattening and the run keep their one order.
#include <gtest/gtest.h>

#include "CircuitHooks.h"
#include "CompKinds.h"
#include "Explain.h"
#include "Harness.h"
#include "Netlist.h"
#include "Sim.h"

namespace {

const unsigned char romBytes[8] = {};

struct KindCase {
  void (*build)(const SD& sd);
  const char* name;
  ComponentRole role;
  MemorySort memory;
};

// Each builds one valid component (Module and Space have no routine to tell them by).
const KindCase kindCases[] = {
    {[](const SD& sd) { And(sd, Signal(2, "i"), Signal(1, "o")); }, "And", gateRole, noMemory},
    {[](const SD& sd) { Or(sd, Signal(2, "i"), Signal(1, "o")); }, "Or", gateRole, noMemory},
    {[](const SD& sd) { Nand(sd, Signal(2, "i"), Signal(1, "o")); }, "Nand", gateRole, noMemory},
    {[](const SD& sd) { Nor(sd, Signal(2, "i"), Signal(1, "o")); }, "Nor", gateRole, noMemory},
    {[](const SD& sd) { Xor(sd, Signal(2, "i"), Signal(1, "o")); }, "Xor", gateRole, noMemory},
    {[](const SD& sd) { Xnor(sd, Signal(2, "i"), Signal(1, "o")); }, "Xnor", gateRole, noMemory},
    {[](const SD& sd) { Not(sd, Signal(1, "i"), Signal(1, "o")); }, "Not", gateRole, noMemory},
    {[](const SD& sd) { Iand(sd, Signal(1, "t"), Signal(1, "c"), Signal(1, "o")); }, "Iand", gateRole, noMemory},
    {[](const SD& sd) { Inand(sd, Signal(1, "t"), Signal(1, "c"), Signal(1, "o")); }, "Inand", gateRole, noMemory},
    {[](const SD& sd) { CiOr(sd, Signal(1, "t"), Signal(1, "c"), Signal(1, "o")); }, "CiOr", gateRole, noMemory},
    {[](const SD& sd) { CiNor(sd, Signal(1, "t"), Signal(1, "c"), Signal(1, "o")); }, "CiNor", gateRole, noMemory},
    {[](const SD& sd) { MultiLevelCompare(sd, Signal(2, "i"), Signal(1, "o")); }, "MultiLevelCompare", gateRole,
     noMemory},
    {[](const SD& sd) { Tsb(sd, Signal(1, "i"), Signal(1, "e"), Signal(1, "o")); }, "Tsb", busDriver, noMemory},
    {[](const SD& sd) { Switch(sd, Signal(1, "o"), 's', Zero); }, "Switch", sourceRole, noMemory},
    {[](const SD& sd) { Pulser(sd, Signal(1, "o"), 'p', 20, Zero); }, "Pulser", sourceRole, noMemory},
    {[](const SD& sd) { PowerOn(sd, Signal(1, "o"), 30, Zero); }, "PowerOn", sourceRole, noMemory},
    {[](const SD& sd) { Clock(sd, Signal(1, "o"), 10, 0, 20, Zero); }, "Clock", sourceRole, noMemory},
    {[](const SD& sd) { Stop(sd, Signal(1, "i")); }, "Stop", otherRole, noMemory},
    {[](const SD& sd) { Probe(sd, Signal(1, "i"), "p"); }, "Probe", bitProbe, noMemory},
    {[](const SD& sd) { ProbeH(sd, Signal(1, "i"), "p"); }, "Probe", bitProbe, noMemory},
    {[](const SD& sd) { ProbeByte(sd, Signal(8, "i"), "p"); }, "ProbeByte", byteColumnProbe, noMemory},
    {[](const SD& sd) { ProbeByteH(sd, Signal(8, "i"), "p"); }, "ProbeByteH", byteRowProbe, noMemory},
    {[](const SD& sd) { Module(sd, Signal(1, "i"), Signal(1, "o")); }, "component", otherRole, noMemory},
    {[](const SD& sd) { Space(sd); }, "component", otherRole, noMemory},
    {[](const SD& sd) { Adder(sd, Signal(4, "i"), Signal(2, "o")); }, "Adder", otherRole, noMemory},
    {[](const SD& sd) { Increment(sd, Signal(2, "i"), Signal(2, "o")); }, "Increment", otherRole, noMemory},
    {[](const SD& sd) { Counter(sd, Signal(2, "i"), Signal(2, "o")); }, "Counter", otherRole, noMemory},
    {[](const SD& sd) { Gate(sd, Signal(2, "i"), Signal(1, "o")); }, "Gate", gateRole, noMemory},
    {[](const SD& sd) { Dff(sd, Signal(4, "i"), Signal(1, "o")); }, "Dff", flipFlop, noMemory},
    {[](const SD& sd) { Jkff(sd, Signal(5, "i"), Signal(2, "o")); }, "Jkff", otherRole, noMemory},
    {[](const SD& sd) { Mux(sd, Signal(1, "s"), Signal(2, "i"), Signal(1, "o")); }, "Mux", selector, noMemory},
    {[](const SD& sd) { Decoder(sd, Signal(1, "e"), Signal(1, "i"), Signal(2, "o")); }, "Decoder", otherRole,
     noMemory},
    {[](const SD& sd) { Encoder(sd, Signal(2, "i"), Signal(1, "o"), Signal(1, "v")); }, "Encoder", otherRole,
     noMemory},
    {[](const SD& sd) { Register(sd, Signal(1, "e"), Signal(1, "w"), Signal(2, "i"), Signal(2, "o")); }, "Register",
     wordRegister, noMemory},
    {[](const SD& sd) {
       BitAddressibleRegister(sd, Signal(1, "c"), Signal(1, "s"), Signal(1, "e"), Signal(1, "w"), Signal(1, "b"),
                              Signal(1, "wa"), Signal(1, "ra"), Signal(1, "bo"), Signal(2, "o"));
     },
     "BitAddressibleRegister", otherRole, noMemory},
    {[](const SD& sd) { Stderr(sd, Signal(10, "i")); }, "Stderr", otherRole, noMemory},
    {[](const SD& sd) { IntOut(sd, Signal(2, "c"), Signal(8, "i")); }, "IntOut", otherRole, noMemory},
    {[](const SD& sd) { HexOut(sd, Signal(2, "c"), Signal(8, "i")); }, "HexOut", otherRole, noMemory},
    {[](const SD& sd) { RegisterFile(sd, Signal(6, "c"), Signal(4, "i"), Signal(4, "o"), 4, 4, 2, 1, 1); },
     "RegisterFile", multiPort, ramMemory},
    {[](const SD& sd) { Ram(sd, Signal(6, "c"), Signal(4, "i"), Signal(4, "o"), 4, 4, 2, 1, 1); }, "Ram", multiPort,
     ramMemory},
    {[](const SD& sd) { Rom(sd, Signal(3, "a"), Signal(8, "o"), 8, 8, romBytes); }, "Rom", readOnly, romMemory},
};

// The components each case built, by component index, as registered.
std::vector<std::pair<int, int>> buildEveryCase() {
  std::vector<std::pair<int, int>> made;
  ensurePhaseOne();
  for (size_t i = 0; i < sizeof kindCases / sizeof kindCases[0]; i++) {
    int before = phaseOne->componentList.numberOfComponents;
    std::string position = std::string(1, char('a' + i / 26)) + char('a' + i % 26);
    kindCases[i].build(SD(position.c_str()));
    made.push_back({before, phaseOne->componentList.numberOfComponents});
  }
  return made;
}

TEST(ComponentKinds, EveryConstructorGivesItsRow) {
  std::vector<std::pair<int, int>> made = buildEveryCase();
  elaborate();
  ASSERT_EQ(componentKinds.size(), size_t(phaseTwo->numberOfComponents));
  for (size_t i = 0; i < made.size(); i++) {
    const KindCase& k = kindCases[i];
    EXPECT_LT(made[i].first, made[i].second) << k.name;
    for (int c = made[i].first; c < made[i].second; c++) {
      EXPECT_STREQ(kindOf(c).name, k.name) << "case " << i;
      EXPECT_EQ(kindOf(c).role, k.role) << k.name;
      EXPECT_EQ(kindOf(c).memory, k.memory) << k.name;
    }
  }
}

// The kinds follow the flattened netlist, not a previous one; the reset forgets them.
TEST(ComponentKinds, ASecondNetlistGetsItsOwnKinds) {
  And(SD("aa"), Signal(2, "i"), Signal(1, "o"));
  Rom(SD("ab"), Signal(3, "a"), Signal(8, "o"), 8, 8, romBytes);
  elaborate();
  ASSERT_EQ(componentKinds.size(), 2u);
  delete phaseTwo;
  ensurePhaseOne();
  Mux(SD("aa"), Signal(1, "s"), Signal(2, "i"), Signal(1, "o"));
  phaseTwo = new PhaseTwo;
  phaseTwo->listsToArrays();
  ASSERT_EQ(componentKinds.size(), 1u);
  EXPECT_STREQ(kindOf(0).name, "Mux");
  resetComponentKinds();
  EXPECT_TRUE(componentKinds.empty());
}

void inverter() { Not(SD("aa"), Signal(1, "a"), Signal(1, "b")); }

// Each step between flattening and the run may end it with an error: the first faulty one in the
// order is the one reported.
TEST(AfterElaboration, TheFirstFaultyStepInTheOrderIsReported) {
  struct Case {
    std::vector<std::string> args;
    const char* reported;
  };
  ScratchFolder folder;
  std::string load = "Ram=" + folder.write("image", "5\n");  // the circuit has no memory
  const Case cases[] = {
      {{"--expect", "/nonexistent/e", "--load", load, "--explain", "c@1"}, "--explain c@1"},
      {{"--vcd", "/nonexistent/v.vcd", "--expect", "/nonexistent/e", "--load", load}, "no memory"},
      {{"--vcd", "/nonexistent/v.vcd", "--expect", "/nonexistent/e"}, "expectations /nonexistent/e"},
      {{"--vcd", "/nonexistent/v.vcd"}, "waveform dump /nonexistent/v.vcd"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"-X", "--keys="};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult r = runCircuit(inverter, args);
    EXPECT_EQ(r.status, 2) << c.reported;
    std::vector<std::string> errors = linesStartingWith(r.err, "ERROR");
    ASSERT_EQ(errors.size(), 1u) << r.err;
    EXPECT_NE(errors[0].find(c.reported), std::string::npos) << errors[0];
  }
}

bool takeMark(const char*, std::string&) {
  addAfterElaborationHook([] { printf("circuit step\n"); });
  return true;
}

// A circuit's option and --explain attach their steps in the order the options are given.
TEST(AfterElaboration, OptionStepsRunInTheOrderOfTheirOptions) {
  auto run = [](std::vector<std::string> args) {
    return runInChild([&] {
      addCircuitOption({"--mark", nullptr, "a step of the circuit", takeMark});
      args.insert(args.begin(), {"circuit", "-X", "--keys="});
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(&a[0]);
      argv.push_back(nullptr);
      Sim(int(argv.size()) - 1, argv.data(), inverter);
    });
  };
  RunResult markFirst = run({"--mark", "--explain", "c@1"});
  EXPECT_EQ(markFirst.status, 2);
  EXPECT_NE(markFirst.out.find("circuit step\n"), std::string::npos);
  RunResult explainFirst = run({"--explain", "c@1", "--mark"});
  EXPECT_EQ(explainFirst.status, 2);
  EXPECT_EQ(explainFirst.out.find("circuit step"), std::string::npos);
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
