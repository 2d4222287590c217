// Text pieces shared by the processor's views: words in hex and signed decimal with unknown bits
// shown as such, instructions as their disassembly, and whether standard output takes colour.
#include <unistd.h>

#include "Isa.h"
#include "Views.h"

const char* const stageNames[numberOfStages] = {"IF", "ID", "EX", "MEM", "WB"};

BusValue knownBus(uint16_t value) {
  BusValue v;
  v.value = value;
  v.unknown = 0;
  return v;
}

void setBusBit(BusValue& v, int position, SignalValue bit) {
  if (bit == ONE) v.value = uint16_t(v.value | 1u << position);
  if (bit != ONE && bit != ZERO) v.unknown = uint16_t(v.unknown | 1u << position);
}

std::string hexWord(const BusValue& v) {
  static const char digits[] = "0123456789abcdef";
  std::string text(4, '0');
  for (int d = 0; d < 4; d++) {
    int shift = 12 - 4 * d;
    text[size_t(d)] = (v.unknown >> shift) & 0xF ? 'x' : digits[(v.value >> shift) & 0xF];
  }
  return text;
}

std::string hexOf(const BusValue& v) { return "0x" + hexWord(v); }

std::string branchEventText(bool taken, bool unknown, const BusValue& target) {
  std::string where = target.known() ? std::to_string(target.value) : "?";
  if (unknown) return "taken? -> " + where;
  return taken ? "taken -> " + where : "not taken";
}

std::string accessText(MemoryAccess access, const BusValue& address, const BusValue& data) {
  if (access == loadAccess) return "load " + hexOf(data) + " <- [" + hexOf(address) + "]";
  if (access == storeAccess) return "store [" + hexOf(address) + "] <- " + hexOf(data);
  return "";
}

std::string signedWord(const BusValue& v) { return v.known() ? std::to_string(int16_t(v.value)) : "?"; }

std::string instructionText(const BusValue& word, int address) {
  return word.known() ? disassemble(word.value, address) : "????";
}

std::string flagLetter(SignalValue v) {
  switch (v) {
    case ZERO: return "0";
    case ONE: return "1";
    case HIZ: return "z";
    case UNINITIALIZED: return "u";
    default: return "x";
  }
}

bool colourOutput() { return isatty(STDOUT_FILENO) == 1; }

std::string padded(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}
