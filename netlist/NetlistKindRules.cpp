// The shapes a netlist file's components must have: the counts the kind table gives each kind, and the
// rules its constructor checks beyond them.
#include "NetlistKindRules.h"

#include "CompSupport.h"
#include "vlsiPh1.h"

namespace {

std::string countFault(const char* what, size_t count, int wanted, const char* kind) {
  if (wanted == anyCount || count == size_t(wanted)) return "";
  return std::to_string(count) + " " + what + " for a " + kind + ", which takes " + std::to_string(wanted);
}

std::string flagsFault(const NetlistComponent& c, const ComponentKind& row) {
  if (c.outputOverloadable == int(row.outputOverloadable) && c.selfActivating == int(row.selfActivating)) return "";
  return std::string("flags ") + std::to_string(c.outputOverloadable) + " " + std::to_string(c.selfActivating) +
         " disagree with a " + row.netlistName + "'s " + std::to_string(int(row.outputOverloadable)) + " " +
         std::to_string(int(row.selfActivating));
}

long pins(const std::vector<int>& group) { return long(group.size()); }

bool memoryFits(const NetlistComponent& c, int zeroIsZERO) {
  const std::vector<int>& p = c.integers;
  MemoryGeometry g{p[0], p[1], p[2], p[3], p[4]};
  return g.sensible() && multiPortRamParameters(g, zeroIsZERO) == p && c.storage32 == p[numberOf32BitWordsParameter] &&
         c.storage16 == 0 && c.storage8 == multiPortRamWritePorts(g) &&
         memoryPinsFit(g, pins(c.controlInputs), pins(c.dataInputs), pins(c.outputs));
}

bool romShapeFits(const NetlistComponent& c) {
  const std::vector<int>& p = c.integers;
  return p[romBytesPerWordParameter] == romBytesPerWord(p[romBitsPerWordParameter]) &&
         romFits(int(pins(c.dataInputs)), p[romWordsParameter], int(pins(c.outputs)), p[romBitsPerWordParameter]) &&
         long(c.bytes.size()) == long(p[romWordsParameter]) * p[romBytesPerWordParameter];
}

// Whether the pins and parameters have the shape the kind's constructor checks (the counts above
// already hold).  Gates take one or more inputs per output, the sources' last parameter is the
// serial of their initial value (checked against the signals by the caller).
bool shapeFits(const NetlistComponent& c) {
  long data = pins(c.dataInputs), control = pins(c.controlInputs), out = pins(c.outputs);
  switch (c.kind) {
    case KindRow::And: case KindRow::Or: case KindRow::Nand: case KindRow::Nor: case KindRow::Xor:
    case KindRow::Xnor: case KindRow::MultiLevelCompare: return data >= 1 && (out == 0 || data % out == 0) && out >= 1;
    case KindRow::Adder: return data == 2 * out && c.integers[0] == out;
    case KindRow::Counter: return data >= 2;
    case KindRow::Gate: return data == 2 && out == 1;
    case KindRow::Mux: return isWordsTimesPowerOfTwo(data, out, int(control));
    case KindRow::Decoder: return isPowerOfTwoOf(int(data), out) && control == 1;
    case KindRow::Encoder: return out >= 1 && isPowerOfTwoOf(int(out - 1), data);
    case KindRow::Register: return data == out;
    case KindRow::BitAddressibleRegister:
      return control == 4 && data % 2 == 1 && out >= 1 && isPowerOfTwoOf(int(data / 2), out - 1);
    case KindRow::Stderr: return data == 10;
    case KindRow::IntOut: case KindRow::HexOut: return control == 2;
    case KindRow::RegisterFile: return memoryFits(c, 1);
    case KindRow::Ram: return memoryFits(c, 0);
    case KindRow::Rom: return romShapeFits(c);
    default: return true;
  }
}

}  // namespace

bool initialValueSerial(const NetlistComponent& c, int& serial) {
  if (kindRow(c.kind).role != sourceRole || c.integers.empty()) return false;
  serial = c.integers.back();
  return true;
}

std::string kindRuleFault(const NetlistComponent& c) {
  const ComponentKind& row = kindRow(c.kind);
  const KindCounts& k = row.counts;
  const char* kind = row.netlistName;
  std::string fault = countFault("data pins", c.dataInputs.size(), k.data, kind) +
                      countFault("control pins", c.controlInputs.size(), k.control, kind) +
                      countFault("outputs", c.outputs.size(), k.outputs, kind) +
                      countFault("integer parameters", c.integers.size(), k.integers, kind) +
                      countFault("byte parameters", c.bytes.size(), k.bytes, kind) + flagsFault(c, row);
  if (fault.empty() && c.icon && !row.icon) fault = std::string("a ") + kind + " has no icon";
  if (fault.empty() && !shapeFits(c))
    fault = "pins (data " + std::to_string(c.dataInputs.size()) + ", control " + std::to_string(c.controlInputs.size()) +
            ", out " + std::to_string(c.outputs.size()) + ") or parameters that no " + kind + " has";
  return fault;
}
