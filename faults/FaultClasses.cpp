// Fault collapsing by the classic equivalence of a gate's input and output faults.
//
// An AND's output is 0 whenever one input is 0: with that input held at 0 the output is held at 0, so
// "input stuck at 0" and "output stuck at 0" give the rest of the circuit the same values and no test
// can tell them apart, provided that nothing else looks at the input.  The rules, by the gate's
// reduction (AND-like or OR-like) and whether it inverts:
//   AND, NAND (and NOT, a NAND of one input): input=0 is output=0 (AND) or output=1 (NAND);
//   OR, NOR: input=1 is output=1 (OR) or output=0 (NOR);
//   any gate of one input, XOR and XNOR included (a buffer or an inverter): input=v is output=v, or
//   output=!v where it inverts.
// They apply where the input is read by that one pin of the whole netlist and by nothing that looks it
// up by name (a table's output column, an --expect check, a stop condition, a view), the output has
// that gate as its only driver, and neither is a constant.  Equal-valued faults chain (an inverter
// chain's faults form one class).  The faults differ only before the gate's first evaluation at the
// start of a run, a few ticks that tables and end-of-run checks never look at.
#include "FaultClasses.h"

#include <algorithm>
#include <map>
#include <numeric>

#include "CompKinds.h"
#include "Globals.h"
#include "NameIndex.h"
#include "Ph2.h"

namespace {

// Union-find over faults numbered bit * 2 + value.
struct FaultSets {
  std::vector<size_t> parent;
  explicit FaultSets(size_t bits) : parent(bits * 2) { std::iota(parent.begin(), parent.end(), size_t(0)); }
  size_t root(size_t f) {
    while (parent[f] != f) f = parent[f] = parent[parent[f]];
    return f;
  }
  void join(int inputBit, int inputValue, int outputBit, int outputValue) {
    parent[root(size_t(inputBit) * 2 + size_t(inputValue))] = root(size_t(outputBit) * 2 + size_t(outputValue));
  }
};

struct NetUse {
  std::vector<int> readers, drivers;  // pins reading and driving each signal
};

NetUse netUse() {
  const PhaseTwo& p2 = *phaseTwo;
  NetUse use{std::vector<int>(size_t(p2.numberOfSignals), 0), std::vector<int>(size_t(p2.numberOfSignals), 0)};
  for (int c = 0; c < p2.numberOfComponents; c++) {
    for (int k = 0; k < p2.numberOfDataInputs[c]; k++) use.readers[size_t(p2.dataInputs[c][k])]++;
    for (int k = 0; k < p2.numberOfControlInputs[c]; k++) use.readers[size_t(p2.controlInputs[c][k])]++;
    for (int k = 0; k < p2.numberOfOutputs[c]; k++) use.drivers[size_t(p2.outputs[c][k])]++;
  }
  return use;
}

// The bits --fault-nets lists.
bool inUniverse(int bit) {
  const NameIndex& index = nameIndex();
  return bit >= 2 && size_t(bit) < index.bitBundles.size() && index.bitBundles[size_t(bit)] >= 0;
}

bool joinable(int bit) { return inUniverse(bit) && !phaseTwo->constSignals[size_t(bit)]; }

bool observedByName(int bit) { return bundleAskedByName(nameIndex().bitBundles[size_t(bit)]); }

// The gate's input faults that equal an output fault, joined to it.
void joinGateFaults(int c, const NetUse& use, FaultSets& sets) {
  const PhaseTwo& p2 = *phaseTwo;
  const ComponentKind& kind = kindOf(c);
  if (kind.direct != directGate || p2.numberOfControlInputs[c] != 0 || p2.numberOfOutputs[c] != 1) return;
  int out = p2.outputs[c][0], inputs = p2.numberOfDataInputs[c];
  if (!joinable(out) || use.drivers[size_t(out)] != 1) return;
  if (inputs > 1 && kind.reduction == reduceParity) return;
  int controlling = kind.reduction == reduceMinimum ? 0 : 1;
  for (int k = 0; k < inputs; k++) {
    int in = p2.dataInputs[c][k];
    if (!joinable(in) || use.readers[size_t(in)] != 1 || observedByName(in)) continue;
    for (int value : {0, 1})
      if (inputs == 1 || value == controlling) sets.join(in, value, out, value ^ int(kind.invert));
  }
}

std::string faultText(size_t fault) {
  int bit = int(fault / 2);
  const NameIndex& index = nameIndex();
  int b = index.bitBundles[size_t(bit)];
  return index.bundlePaths[size_t(b)] + "[" + std::to_string(index.bitPositions[size_t(bit)]) + "]=" +
         std::to_string(fault % 2);
}

}  // namespace

std::vector<std::vector<std::string>> equivalentFaultClasses() {
  const PhaseTwo& p2 = *phaseTwo;
  FaultSets sets(size_t(p2.numberOfSignals));
  NetUse use = netUse();
  for (int c = 0; c < p2.numberOfComponents; c++) joinGateFaults(c, use, sets);
  std::map<size_t, std::vector<std::string>> byRoot;
  for (int bit = 0; bit < p2.numberOfSignals; bit++)
    if (inUniverse(bit))
      for (size_t value : {0, 1}) {
        size_t fault = size_t(bit) * 2 + value;
        byRoot[sets.root(fault)].push_back(faultText(fault));
      }
  std::vector<std::vector<std::string>> classes;
  for (auto& entry : byRoot) {
    std::sort(entry.second.begin(), entry.second.end());
    classes.push_back(std::move(entry.second));
  }
  std::sort(classes.begin(), classes.end());
  return classes;
}
