// The counts each kind's constructor fixes (-1: any count the constructor checks by its own rules).
#include "NetlistKindRules.h"

#include <iterator>

#include "CompSupport.h"
#include "vlsiPh1.h"

namespace {

struct KindCounts {
  int data, control, outputs, integers, bytes;
};

const int any = -1;

// In the order of KindRow.
const KindCounts kindCounts[] = {
    {any, 0, 1, 0, 0}, {any, 0, 1, 0, 0}, {any, 0, 1, 0, 0}, {any, 0, 1, 0, 0},  // And Or Nand Nor
    {any, 0, 1, 0, 0}, {any, 0, 1, 0, 0}, {1, 0, 1, 0, 0},                        // Xor Xnor Not
    {any, any, 1, 0, 0}, {any, any, 1, 0, 0}, {any, any, 1, 0, 0}, {any, any, 1, 0, 0},  // Iand .. CiNor
    {any, 0, any, 0, 0}, {1, 1, 1, 0, 0},                                         // MultiLevelCompare Tsb
    {0, 0, 1, 2, 0}, {0, 0, 1, 4, 0}, {0, 0, 1, 1, 0}, {0, 0, 1, 2, 0},           // PowerOn Clock Switch Pulser
    {any, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {any, 0, 0, 0, 0}, {any, 0, 0, 0, 0},     // Stop Probe ProbeByte(H)
    {any, 0, any, 0, 0}, {0, 0, 0, 0, 0},                                         // Module Space
    {any, 0, any, 1, 0}, {any, 0, any, 0, 0}, {any, 0, any, 0, 0}, {any, 0, any, 0, 0},  // Adder .. Gate
    {4, 0, 1, 0, 0}, {5, 0, 2, 0, 0},                                             // Dff Jkff
    {any, any, any, 0, 0}, {any, any, any, 0, 0}, {any, 0, any, 0, 0},            // Mux Decoder Encoder
    {any, 2, any, 0, 0}, {any, any, any, 0, 0},                                   // Register BitAddressibleRegister
    {any, 0, 0, 0, 0}, {any, any, 0, 0, 0}, {any, any, 0, 0, 0},                  // Stderr IntOut HexOut
    {any, any, any, 8, 0}, {any, any, any, 8, 0}, {any, 0, any, 3, any},          // RegisterFile Ram Rom
    {any, any, any, any, any},                                                    // Other: never read
};
static_assert(std::size(kindCounts) == size_t(KindRow::count), "one row per KindRow");

std::string countFault(const char* what, size_t count, int wanted, const char* kind) {
  if (wanted == any || count == size_t(wanted)) return "";
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
  const KindCounts& k = kindCounts[size_t(c.kind)];
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
