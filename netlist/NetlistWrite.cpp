// Writing a netlist: the registration lists as they stand when the circuit description returns.
#include <cstdio>

#include "NetlistFile.h"
#include "NetlistTools.h"
#include "Globals.h"
#include "Ph1.h"

namespace {

std::string componentWhere(const ComponentNode& n) {
  return "component " + std::to_string(n.componentIndex) + " (\"" + n.decal + "\" at \"" + n.graphicPosition + "\")";
}

std::vector<int> pinsOf(const int* pins, int count) {
  return count > 0 ? std::vector<int>(pins, pins + count) : std::vector<int>();
}

NetlistComponent componentOf(const ComponentNode& n, int scope) {
  NetlistComponent c;
  c.kind = n.kind;
  c.level = n.graphicLevel;
  c.position = n.graphicPosition;
  c.decal = n.decal;
  c.icon = n.iconArray != nullptr;
  c.outputOverloadable = n.outputOverloadable;
  c.selfActivating = n.selfActivating;
  c.dataInputs = pinsOf(n.dataInputs, n.numberOfDataInputs);
  c.controlInputs = pinsOf(n.controlInputs, n.numberOfControlInputs);
  c.outputs = pinsOf(n.outputs, n.numberOfOutputs);
  c.integers = pinsOf(n.integerParameters, n.numberOfIntegerParameters);
  if (n.numberOfByteParameters > 0)
    c.bytes.assign(n.byteParameters, n.byteParameters + n.numberOfByteParameters);
  c.storage32 = n.numberOfInternal32BitVariables;
  c.storage16 = n.numberOfInternal16BitVariables;
  c.storage8 = n.numberOfInternal8BitVariables;
  c.scope = scope;
  return c;
}

// A text in double quotes: backslash, quote and every byte outside printable ASCII escaped.
std::string quoted(const std::string& text) {
  std::string q = "\"";
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\\' || c == '"') {
      q += '\\';
      q += ch;
    } else if (c < ' ' || c >= 127) {
      char hex[5];
      snprintf(hex, sizeof hex, "\\x%02x", c);
      q += hex;
    } else {
      q += ch;
    }
  }
  return q + "\"";
}

std::string numbers(const std::vector<int>& values) {
  std::string s = std::to_string(values.size());
  for (int v : values) s += " " + std::to_string(v);
  return s;
}

std::string hexBytes(const std::vector<unsigned char>& bytes) {
  if (bytes.empty()) return "0 -";
  std::string s = std::to_string(bytes.size()) + " ";
  for (unsigned char b : bytes) {
    char hex[3];
    snprintf(hex, sizeof hex, "%02x", b);
    s += hex;
  }
  return s;
}

std::string section(const char* name, size_t count) { return std::string(name) + " " + std::to_string(count) + "\n"; }

std::string componentLine(size_t index, const NetlistComponent& c) {
  return "component " + std::to_string(index) + " " + kindRow(c.kind).netlistName + " level " +
         std::to_string(c.level) + " at " + quoted(c.position) + " decal " + quoted(c.decal) +
         (c.icon ? " icon" : " noicon") + " flags " + std::to_string(c.outputOverloadable) + " " +
         std::to_string(c.selfActivating) + " data " + numbers(c.dataInputs) + " control " +
         numbers(c.controlInputs) + " out " + numbers(c.outputs) + " int " + numbers(c.integers) + " bytes " +
         hexBytes(c.bytes) + " storage " + std::to_string(c.storage32) + " " + std::to_string(c.storage16) + " " +
         std::to_string(c.storage8) + " scope " + std::to_string(c.scope) + "\n";
}

std::string signalsText(const Netlist& n) {
  std::string t = section("signals", n.signals.size());
  for (const NetlistSignal& s : n.signals)
    t += "signal " + std::to_string(s.serial) + " " + signalValueName(s.value) + " " + std::to_string(s.constant) +
         " " + quoted(s.name) + "\n";
  return t;
}

std::string scopesAndBundlesText(const Netlist& n) {
  std::string t = section("scopes", n.scopes.size());
  for (size_t i = 0; i < n.scopes.size(); i++)
    t += "scope " + std::to_string(i) + " " + std::to_string(n.scopes[i].parent) + " " + quoted(n.scopes[i].name) +
         " " + quoted(n.scopes[i].position) + "\n";
  t += section("bundles", n.bundles.size());
  for (size_t i = 0; i < n.bundles.size(); i++)
    t += "bundle " + std::to_string(i) + " " + std::to_string(n.bundles[i].scope) + " " + quoted(n.bundles[i].name) +
         " " + numbers(n.bundles[i].bits) + "\n";
  return t;
}

std::string namesText(const Netlist& n) {
  std::string t = section("keys", n.keys.size());
  for (const NetlistKey& k : n.keys)
    t += "key " + std::to_string(k.component) + " " + std::to_string(k.serial) + " " + quoted(std::string(1, k.key)) +
         "\n";
  t += section("memories", n.memories.size());
  for (const RegisteredMemory& m : n.memories)
    t += "memory " + std::to_string(m.component) + " " + std::to_string(m.scope) + "\n";
  t += section("widememories", n.wideMemories.size());
  for (const WideDeclaration& w : n.wideMemories) {
    t += "widememory " + quoted(w.name) + " " + std::to_string(w.lanes.size());
    for (const std::string& lane : w.lanes) t += " " + quoted(lane);
    t += "\n";
  }
  t += section("aliases", n.aliases.size());
  for (const auto& a : n.aliases) t += "alias " + quoted(a.first) + " " + quoted(a.second) + "\n";
  t += section("addresses", n.addresses.size());
  for (const AddressedMemory& a : n.addresses) t += "addresses " + quoted(a.name) + " " + std::to_string(a.first) + "\n";
  return t;
}

std::string hexValue(uint64_t value) {
  char hex[17];
  snprintf(hex, sizeof hex, "%llx", static_cast<unsigned long long>(value));
  return hex;
}

std::string loadText(size_t index, const NetlistLoad& l) {
  std::string t = "load " + std::to_string(index) + " " + quoted(l.memory) + (l.byTools ? " tools " : " option ") +
                  quoted(l.image.file) + " " + std::to_string(l.image.words.size()) + " " +
                  std::to_string(l.image.bytes.size()) + "\n";
  for (const ImageWord& w : l.image.words)
    t += "word " + std::to_string(w.address) + " " + hexValue(w.value) + " " + std::to_string(w.line) + " " +
         std::to_string(w.repeat) + "\n";
  for (const ImageByte& b : l.image.bytes)
    t += "byte " + std::to_string(b.address) + " " + hexValue(b.value) + " " + std::to_string(b.line) + "\n";
  return t;
}

std::string runText(const Netlist& n) {
  std::string t = section("tools", n.tools.empty() ? 0 : 1);
  if (!n.tools.empty()) t += "tool " + quoted(n.tools) + " " + quoted(n.toolsArgument) + "\n";
  t += section("loads", n.loads.size());
  for (size_t i = 0; i < n.loads.size(); i++) t += loadText(i, n.loads[i]);
  return t;
}

}  // namespace

bool netlistOfConstruction(Netlist& netlist, std::string& problem) {
  netlist = Netlist();
  for (const SignalNode* s = phaseOne->signalList.start; s; s = s->ptr)
    netlist.signals.push_back({s->signalSerialNumber, s->value, s->constSignal, s->name});
  netlist.scopes = moduleScopes();
  netlist.bundles = declaredBundles();
  const std::vector<int>& scopes = componentScopes();
  for (const ComponentNode* n = phaseOne->componentList.start; n; n = n->ptr) {
    if (n->kind == KindRow::Other) {
      problem = componentWhere(*n) + " has routines of its circuit's own: a netlist file cannot hold it";
      return false;
    }
    size_t c = size_t(n->componentIndex);
    netlist.components.push_back(componentOf(*n, c < scopes.size() ? scopes[c] : 0));
  }
  for (const SwitchNode* k = phaseOne->switchList.start; k; k = k->ptr)
    netlist.keys.push_back({k->componentNumber, k->signalSerialNumber, k->keyChar});
  netlist.memories = registeredMemoryComponents();
  netlist.wideMemories = wideMemoryDeclarations();
  netlist.aliases = nameAliases();
  netlist.addresses = memoryAddressDeclarations();
  netlist.tools = usedCircuitTools();
  netlist.toolsArgument = usedCircuitToolsArgument();
  for (const QueuedLoad& q : queuedMemoryLoads()) netlist.loads.push_back({q.name, q.byCircuit, q.image});
  return true;
}

std::string netlistText(const Netlist& n) {
  std::string t = std::string(netlistFormatName) + " " + std::to_string(netlistFormatVersion) + "\n";
  t += signalsText(n) + scopesAndBundlesText(n);
  t += section("components", n.components.size());
  for (size_t i = 0; i < n.components.size(); i++) t += componentLine(i, n.components[i]);
  return t + namesText(n) + runText(n) + "end\n";
}
