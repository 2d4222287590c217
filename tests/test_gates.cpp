// Gates and the tri-state buffer: five-valued results, vector forms and their width errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Harness.h"
#include "Netlist.h"
#include "Sim.h"
#include "SimpleGate.h"
#include "ssiPh1.h"

namespace {

typedef void (*OneInputGate)(const SD&, const Signal&, const Signal&);
typedef void (*TwoRoleGate)(const SD&, const Signal&, const Signal&, const Signal&);

// Set before each run; the child process inherits them.
std::vector<SignalValue> inputs, secondInputs;
OneInputGate gateUnderTest;
TwoRoleGate twoRoleGateUnderTest;

// Constant bits of any of the five values, the first value at bit 0.
Signal bitsOf(const std::vector<SignalValue>& values, const char* name) {
  static std::vector<std::unique_ptr<Signal>> kept;  // bundles live as long as the netlist
  kept.emplace_back(new Signal(0, "none"));
  for (SignalValue v : values) {
    Signal bit(1, v, 1, name);
    kept.emplace_back(new Signal((bit, *kept.back())));
  }
  return *kept.back();
}

void oneGate() {
  Signal y(1, "y");
  gateUnderTest(SD("aa"), bitsOf(inputs, "in"), y);
  Probe(SD("ab"), y, "y");
}

void twoRoleGate() {
  Signal y(1, "y");
  twoRoleGateUnderTest(SD("aa"), bitsOf(inputs, "t"), bitsOf(secondInputs, "c"), y);
  Probe(SD("ab"), y, "y");
}

std::string settledValue() {
  RunResult r = runCircuit(gateUnderTest ? oneGate : twoRoleGate, {"-X", "--keys="});
  std::vector<std::string> lines = linesStartingWith(r.err, "Time = ");
  if (r.status != 0 || lines.empty()) return "run failed: " + r.err;
  return lines.back().substr(lines.back().rfind(' ') + 1);
}

std::string gate(OneInputGate g, std::vector<SignalValue> in) {
  gateUnderTest = g;
  inputs = in;
  return settledValue();
}

std::string twoRole(TwoRoleGate g, std::vector<SignalValue> inTrue, std::vector<SignalValue> inComplement) {
  gateUnderTest = nullptr;
  twoRoleGateUnderTest = g;
  inputs = inTrue;
  secondInputs = inComplement;
  return settledValue();
}

void NotGate(const SD& sd, const Signal& in, const Signal& out) { Not(sd, in, out); }
void AndGate(const SD& sd, const Signal& in, const Signal& out) { And(sd, in, out); }
void OrGate(const SD& sd, const Signal& in, const Signal& out) { Or(sd, in, out); }

}  // namespace

TEST(Gates, MinimumAndMaximumInValueOrder) {
  EXPECT_EQ(gate(AndGate, {ONE, HIZ}), "HIZ");
  EXPECT_EQ(gate(AndGate, {ZERO, XXX}), "ZERO");
  EXPECT_EQ(gate(AndGate, {UNINITIALIZED, XXX}), "UNINITIALIZED");
  EXPECT_EQ(gate(OrGate, {ZERO, HIZ}), "HIZ");
  EXPECT_EQ(gate(OrGate, {XXX, ONE}), "ONE");
  EXPECT_EQ(gate(Nor, {ZERO, HIZ}), "XXX");
  EXPECT_EQ(gate(Nand, {ONE, ONE, ONE}), "ZERO");
  EXPECT_EQ(gate(NotGate, {UNINITIALIZED}), "XXX");
  EXPECT_EQ(gate(NotGate, {ZERO}), "ONE");
}

TEST(Gates, EmptyInputsGiveTheIdentities) {
  EXPECT_EQ(gate(AndGate, {}), "ONE");
  EXPECT_EQ(gate(OrGate, {}), "ZERO");
  EXPECT_EQ(gate(Xor, {}), "ZERO");
}

TEST(Gates, Parity) {
  EXPECT_EQ(gate(Xor, {ONE, ONE, ONE}), "ONE");
  EXPECT_EQ(gate(Xor, {ONE, ONE}), "ZERO");
  EXPECT_EQ(gate(Xor, {ONE, HIZ}), "XXX");
  EXPECT_EQ(gate(Xnor, {ONE, ZERO}), "ZERO");
  EXPECT_EQ(gate(Xnor, {UNINITIALIZED, ZERO}), "XXX");
}

TEST(Gates, InvertedInputsUseTheComplement) {
  EXPECT_EQ(twoRole(Iand, {ONE}, {ZERO}), "ONE");
  EXPECT_EQ(twoRole(Iand, {ONE}, {XXX}), "UNINITIALIZED");
  EXPECT_EQ(twoRole(Inand, {ONE}, {ZERO}), "ZERO");
  EXPECT_EQ(twoRole(Inand, {ONE}, {XXX}), "XXX");  // complement of UNINITIALIZED
  EXPECT_EQ(twoRole(CiOr, {ZERO}, {ONE}), "ZERO");
  EXPECT_EQ(twoRole(CiOr, {ZERO}, {ZERO}), "ONE");
  EXPECT_EQ(twoRole(CiNor, {ZERO}, {HIZ}), "HIZ");
}

TEST(Gates, MultiLevelCompare) {
  EXPECT_EQ(gate(MultiLevelCompare, {HIZ, HIZ}), "ONE");
  EXPECT_EQ(gate(MultiLevelCompare, {ZERO, UNINITIALIZED}), "ZERO");
  EXPECT_EQ(gate(MultiLevelCompare, {XXX, XXX, ONE}), "ONE");
  EXPECT_EQ(gate(MultiLevelCompare, {ONE}), "XXX");  // nothing to compare with
}

TEST(TriStateBuffer, EnabledDrivesLevelsOnlyOtherwiseHiz) {
  const SignalValue values[] = {ZERO, UNINITIALIZED, XXX, HIZ, ONE};
  for (SignalValue e : values)
    for (SignalValue d : values) {
      std::string expected = e == ONE && d == ZERO ? "ZERO" : e == ONE && d == ONE ? "ONE" : "HIZ";
      EXPECT_EQ(twoRole([](const SD& sd, const Signal& data, const Signal& enable, const Signal& out) {
                  Tsb(sd, data, enable, out);
                }, {d}, {e}),
                expected)
          << "enable " << e << " data " << d;
    }
}

TEST(TriStateBuffer, TwoDriversConflictOnTheBus) {
  RunResult r = runCircuit(
      [] {
        Signal bus(1, "bus");
        Tsb(SD("aa"), One, One, bus);
        Tsb(SD("ab"), Zero, One, bus);
        Probe(SD("ac"), bus, "bus");
      },
      {"-X", "--keys="});
  // Neither buffer took the bus from HIZ, so it counts as component 0's and the second is refused.
  EXPECT_EQ(r.out, "Another Tsb at ab is trying to drive it to ZERO, this is not allowed\n");
  EXPECT_EQ(linesStartingWith(r.err, "Time = ").back(), "Time = 10  Probe for bus at ac  Value = ONE");
}

namespace {

// Registers gates in a fresh netlist and returns the output bit each component drives, in index order.
std::vector<int> drivenBits(void (*build)()) {
  build();
  elaborate();
  std::vector<int> bits;
  for (int c = 0; c < phaseTwo->numberOfComponents; c++) bits.push_back(phaseTwo->outputs[c][0]);
  return bits;
}

}  // namespace

TEST(VectorGates, SplitFromTheHighestBitDown) {
  static Signal* out;
  std::vector<int> bits = drivenBits([] {
    Signal a(16, "a"), b(16, "b");
    out = new Signal(16, "out");
    And(SD("aa"), a, b, *out);
  });
  ASSERT_EQ(bits.size(), 16u);
  EXPECT_EQ(bits[0], out->serialNumber[15]);
  EXPECT_EQ(bits[15], out->serialNumber[0]);
  EXPECT_EQ(phaseTwo->numberOfDataInputs[0], 2);
}

TEST(VectorGates, GroupsAndBroadcasts) {
  static Signal *in, *out;
  drivenBits([] {
    in = new Signal(6, "in");
    out = new Signal(3, "out");
    Or(SD("aa"), *in, *out);          // three 2-input gates
    And(SD("ab"), One, *out, *out);   // a one-bit operand is used for every bit
    Not(SD("ac"), *out, *out);
  });
  ASSERT_EQ(phaseTwo->numberOfComponents, 9);
  // Output bit 2 (registered first) reads input bits 4 and 5.
  EXPECT_EQ(phaseTwo->numberOfDataInputs[0], 2);
  EXPECT_EQ(phaseTwo->dataInputs[0][0], in->serialNumber[5]);
  EXPECT_EQ(phaseTwo->dataInputs[0][1], in->serialNumber[4]);
  EXPECT_EQ(phaseTwo->dataInputs[3][1], 1);  // One at the high position of (One, out[2])
  EXPECT_EQ(phaseTwo->logicEvaluate[8], &not_);
}

TEST(VectorGates, WidthErrorsEndTheProgramAtOnce) {
  struct Case {
    void (*build)();
    const char* message;
  };
  const Case cases[] = {
      {[] { And(SD("aa"), Signal(4, "a"), Signal(3, "b"), Signal(4, "o")); },
       "ERROR -- And (vector) component at aa length error:  in1.length = 4 in2.length = 3 out.length = 4\n"},
      {[] { Or(SD("ab"), Signal(3, "a"), Signal(0, "o")); },
       "ERROR -- Or with out.length == 0 at ab  length error:  in.length = 3 out.length = 0\n"},
      {[] { And(SD("ac"), Signal(5, "a"), Signal(2, "o")); },
       "ERROR -- And (vector) with inputs not divisible over outputs at ac length error:  in.length = 5 out.length = 2\n"},
      {[] { Or(SD("ad"), Signal(0, "a"), Signal(2, "o")); },
       "ERROR -- Or (vector) with inputs not divisible over outputs at ad length error:  in.length = 0 out.length = 2\n"},
      {[] { Not(SD("ae"), Signal(2, "a"), Signal(3, "o")); },
       "ERROR -- Not (vector) at ae length error:  in.length = 2 out.length = 3\n"},
      {[] { Not(SD("af"), Signal(1, "a"), Signal(2, "o")); },
       "ERROR -- Not (vector) at af length error:  in.length = 1 out.length = 2\n"},
      {[] { Tsb(SD("ag"), Signal(1, "a"), Signal(2, "c"), Signal(1, "o")); },
       "ERROR -- Tsb (Tri-state-buffer) at ag length error:  control.length = 2 in.length = 1 out.length = 1\n"},
  };
  for (const Case& c : cases) {
    RunResult r = runCircuit(c.build, {"-X"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.message);
  }
}

// Every two-input simple gate on every pair of values, in one circuit, run with the gates evaluated by
// the run loop and through their routines: both must give the gates' definitions (AND the minimum,
// OR the maximum, XOR the parity or XXX, the inverted forms ONE and ZERO swapped and all else XXX).
namespace {

const SignalValue allValues[5] = {ZERO, UNINITIALIZED, XXX, HIZ, ONE};
const char* const valueNames[5] = {"ZERO", "UNINITIALIZED", "XXX", "HIZ", "ONE"};
typedef void (*VectorGate)(const SD&, const Signal&, const Signal&);
struct GateKind {
  const char* name;
  VectorGate make;
};
const GateKind twoInputGates[6] = {{"And", AndGate}, {"Or", OrGate}, {"Nand", Nand},
                                   {"Nor", Nor},     {"Xor", Xor},   {"Xnor", Xnor}};

int definedOutput(int gate, int a, int b) {
  auto invert = [](int v) { return v == ONE ? int(ZERO) : v == ZERO ? int(ONE) : int(XXX); };
  auto known = [](int v) { return v == ZERO || v == ONE; };
  int low = a < b ? a : b, high = a > b ? a : b;
  int parity = known(a) && known(b) ? ((a == ONE) != (b == ONE) ? int(ONE) : int(ZERO)) : int(XXX);
  const int results[6] = {low, high, invert(low), invert(high), parity, invert(parity)};
  return results[gate];
}

void everyPairOfEveryGate() {
  for (int g = 0; g < 6; g++)
    for (int a = 0; a < 5; a++)
      for (int b = 0; b < 5; b++) {
        std::string name = std::string(twoInputGates[g].name) + "_" + std::to_string(a) + std::to_string(b);
        static std::deque<std::string> names;  // the probes keep the text
        static std::vector<std::unique_ptr<Signal>> kept;
        names.push_back(name);
        kept.emplace_back(new Signal(1, names.back().c_str()));
        Signal& y = *kept.back();
        twoInputGates[g].make(SD("aa"), bitsOf({allValues[a], allValues[b]}, "in"), y);
        Probe(SD("ab"), y, names.back().c_str());
      }
}

// The last reported value of every probe, by probe name.
std::map<std::string, std::string> settledProbes(const std::string& err) {
  std::map<std::string, std::string> last;
  for (const std::string& line : linesStartingWith(err, "Time = ")) {
    size_t probe = line.find("Probe for ") + 10, value = line.rfind(' ');
    last[line.substr(probe, line.find(' ', probe) - probe)] = line.substr(value + 1);
  }
  return last;
}

void expectDefinedOutputs(const RunResult& r) {
  ASSERT_EQ(r.status, 0) << r.err;
  std::map<std::string, std::string> last = settledProbes(r.err);
  for (int g = 0; g < 6; g++)
    for (int a = 0; a < 5; a++)
      for (int b = 0; b < 5; b++) {
        std::string name = std::string(twoInputGates[g].name) + "_" + std::to_string(a) + std::to_string(b);
        EXPECT_EQ(last[name], valueNames[definedOutput(g, a, b)]) << name;
      }
}

}  // namespace

TEST(Gates, EveryTwoInputGateOnEveryPairBothWaysOfEvaluating) {
  expectDefinedOutputs(runCircuit(everyPairOfEveryGate, {"-X", "--keys="}));
  directEvaluationFlag = 0;
  RunResult throughRoutines = runCircuit(everyPairOfEveryGate, {"-X", "--keys="});
  directEvaluationFlag = 1;
  expectDefinedOutputs(throughRoutines);
}

// The shared reductions on values outside the five: AND and OR compare the numbers as they are,
// parity and the inverted forms take anything but ZERO and ONE as unknown.
TEST(Gates, ReductionsOfValuesOutsideTheFive) {
  const int pins[2] = {0, 1};
  for (int a = -3; a < 10; a++)
    for (int b = -3; b < 10; b++) {
      const SignalValue pair[2] = {SignalValue(a), SignalValue(b)};
      SCOPED_TRACE(std::to_string(a) + "," + std::to_string(b));
      int low = std::min({a, b, int(ONE)}), high = std::max({a, b, int(ZERO)});
      EXPECT_EQ(simpleGateOutput(pins, 2, pair, reduceMinimum, false), low);
      EXPECT_EQ(simpleGateOutput(pins, 2, pair, reduceMaximum, false), high);
      bool known = (a == ZERO || a == ONE) && (b == ZERO || b == ONE);
      EXPECT_EQ(simpleGateOutput(pins, 2, pair, reduceParity, false), known ? ((a == b) ? ZERO : ONE) : XXX);
      EXPECT_EQ(simpleGateOutput(pins, 2, pair, reduceMinimum, true), invertResult(SignalValue(low)));
    }
}
