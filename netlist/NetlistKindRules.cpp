// The counts each kind's constructor fixes (-1: any count the constructor checks by its own rules).
#include "NetlistKindRules.h"

#include <iterator>

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

}  // namespace

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
  return fault;
}
