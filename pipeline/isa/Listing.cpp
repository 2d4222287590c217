// The disassembly listing of tarvik-asm -d.
#include "Listing.h"

#include <cstdio>

#include "Isa.h"

namespace {

const size_t labelWidth = 8, instructionWidth = 24;

std::string labelOf(uint32_t address) {
  char text[16];
  snprintf(text, sizeof text, "L%04X", address);
  return text;
}

bool isBranch(uint16_t word) { return formOfWord(word)->shape == OperandShape::Target; }

// The instruction's text, its branch target as a label, an address or (wrapping) relative.
std::string instructionText(const std::map<uint32_t, uint16_t>& words, uint32_t address, uint16_t word) {
  if (!isBranch(word)) return disassemble(word);
  long target = static_cast<long>(address) + signExtend(word, 11);
  std::string mnemonic = formOfWord(word)->mnemonic;
  if (words.count(static_cast<uint32_t>(target & 0xFFFF))) return mnemonic + " " + labelOf(target & 0xFFFF);
  if (target >= 0 && target <= 0xFFFF) return mnemonic + " " + std::to_string(target);
  return disassemble(word);
}

std::string padded(std::string text, size_t width) {
  text += ' ';
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

}  // namespace

std::string sourceListing(const std::map<uint32_t, uint16_t>& words) {
  std::map<uint32_t, bool> labelled;
  for (const auto& w : words)
    if (isBranch(w.second)) labelled[(w.first + signExtend(w.second, 11)) & 0xFFFF] = true;
  std::string text;
  uint32_t next = 0;
  for (const auto& w : words) {
    char org[32], comment[32];
    snprintf(org, sizeof org, "%*s.org 0x%04X\n", static_cast<int>(labelWidth), "", w.first);
    snprintf(comment, sizeof comment, "; %04X: %04X\n", w.first, w.second);
    if (w.first != next) text += org;
    std::string label = labelled.count(w.first) ? labelOf(w.first) + ":" : "";
    text += padded(label, labelWidth) + padded(instructionText(words, w.first, w.second), instructionWidth) + comment;
    next = w.first + 1;
  }
  return text;
}
