// Loading a checked netlist: signals into phaseOne's list, components through the registration the
// library's constructors use (with their keys bound first, as the constructors bind them), then the
// scopes, bundles and names exactly as the circuit left them.  Before that, while the command line is
// still to be read, the file's tools add their options and its images are queued, in the order the
// circuit's command line gave them.
#include <cstring>

#include "FileIO.h"
#include "Globals.h"
#include "NetlistFile.h"
#include "NetlistTools.h"
#include "Ph1.h"
#include "Sim.h"

namespace {

// A bundle over signals already declared.
void setPins(Signal& s, const std::vector<int>& pins) {
  s.length = int(pins.size());
  s.serialNumber = pins.empty() ? nullptr : new int[pins.size()];
  if (!pins.empty()) memcpy(s.serialNumber, pins.data(), sizeof(int) * pins.size());
}

void registerComponent(const NetlistComponent& c) {
  Signal data(0u, "UnNamed"), control(0u, "UnNamed"), outputs(0u, "UnNamed");
  setPins(data, c.dataInputs);
  setPins(control, c.controlInputs);
  setPins(outputs, c.outputs);
  SD sd(c.position.c_str(), c.decal.c_str());
  sd.graphicLevel = c.level;
  ComponentStorage storage{int(c.integers.size()), c.integers.data(), int(c.bytes.size()), c.bytes.data(),
                           c.storage32, c.storage16, c.storage8};
  int visible = visibleFlag;
  visibleFlag = c.icon;
  addStandardComponent(c.kind, sd, data, control, outputs, storage);
  visibleFlag = visible;
}

}  // namespace

void registerNetlist(const Netlist& n) {
  ensurePhaseOne();
  SignalList& list = phaseOne->signalList;
  for (size_t i = size_t(list.numberOfSignals); i < n.signals.size(); i++) {
    const NetlistSignal& s = n.signals[i];
    list.add(list.numberOfSignals, s.value, s.name.c_str(), s.constant);
    list.numberOfSignals++;
  }
  size_t key = 0;
  for (size_t c = 0; c < n.components.size(); c++) {
    for (; key < n.keys.size() && n.keys[key].component == int(c); key++)
      phaseOne->switchList.add(n.keys[key].serial, n.keys[key].key);
    registerComponent(n.components[c]);
  }
  moduleScopes() = n.scopes;
  declaredBundles() = n.bundles;
  componentScopes().clear();
  for (const NetlistComponent& c : n.components) componentScopes().push_back(c.scope);
  for (const RegisteredMemory& m : n.memories) recordMemoryComponent(m.component, m.scope);
  for (const WideDeclaration& w : n.wideMemories) WideMemory(w.name.c_str(), w.lanes);
  for (const auto& a : n.aliases) NameAlias(a.first.c_str(), a.second.c_str());
  for (const AddressedMemory& a : n.addresses) MemoryAddresses(a.name.c_str(), a.first);
  if (n.tools.empty()) return;
  useCircuitTools(n.tools, n.toolsArgument);
  circuitToolsNamed(n.tools)->built(n.toolsArgument);
}

void offerNetlistRun(const Netlist& n) {
  const CircuitTools* tools = n.tools.empty() ? nullptr : circuitToolsNamed(n.tools);
  if (tools) tools->add(n.toolsArgument);
  for (const NetlistLoad& l : n.loads) {
    if (l.byTools)
      tools->takeImage(l.memory, l.image);
    else
      queueOptionMemoryLoad(l.memory, l.image);
    if (!l.byTools) noteInputFile(l.image.file, "--load");  // no output may overwrite the image it came from
  }
}
