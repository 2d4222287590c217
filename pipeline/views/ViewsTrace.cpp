// --trace: a line per processor cycle on standard output, printed as the cycle is read.
//
// Columns: the cycle, PC, then for each stage IF .. WB the address and the disassembly of the
// instruction in it ("*" after the address when a stall holds the stage), then N and Z, then what
// happened: on a processor with forwarding the registers EX took from MEM or WB (r1<-MEM, r2<-WB),
// the branch decision when a branch is in MEM ("taken? -> N" when it is unknown), the register WB
// wrote with its new value, and the memory access of MEM (a store to a ROM address, which the memory
// drops, is marked so).  IF held by
// the load interlock alone shows (load-use) instead of (no fetch); the word it holds in ID has "*".
// With --trace-ticks a column after the cycle gives the tick the line was read at.  The stage columns
// are as wide as the longest text any word disassembles to, so every line lines up.  On a terminal
// the marks and events are coloured.
#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "Globals.h"
#include "Isa.h"
#include "Ph5.h"
#include "Views.h"
#include "Window.h"

namespace {

const size_t addressWidth = 3;
size_t textWidth = 0;  // the longest disassembly of any word
bool colour = false;
bool flushEachLine = false;  // in the window the user steps the clock and waits for the line

const char* const dim = "\033[2m";
const char* const yellow = "\033[33m";
const char* const green = "\033[32m";
const char* const cyan = "\033[36m";
const char* const magenta = "\033[35m";
const char* const plain = "\033[0m";

std::string line;  // the line being made, kept to spare its allocation every cycle

// Appends text, in colour on a terminal.
void put(const std::string& text, const char* code) {
  if (colour && code) line += code;
  line += text;
  if (colour && code) line += plain;
}

size_t longestDisassembly() {
  size_t longest = std::string("(no fetch)").size();
  for (unsigned w = 0; w <= 0xFFFF; w++) longest = std::max(longest, disassemble(uint16_t(w), -1).size());
  return longest;
}

std::string rightAligned(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// A fetched instruction's address and padded disassembly, made once per address and word: a program
// runs the same few words over and over.
std::unordered_map<uint32_t, std::pair<std::string, std::string>> instructionColumns;

const std::pair<std::string, std::string>& instructionColumn(const StageSlot& slot) {
  auto& column = instructionColumns[uint32_t(slot.address) << 16 | slot.word];
  if (column.first.empty())
    column = {rightAligned(std::to_string(slot.address), addressWidth),
              padded(instructionText(knownBus(slot.word), slot.address), textWidth)};
  return column;
}

// A stage's column: address, stall mark, text; the text padded to the common width.
void putStage(const CycleView& c, int stage) {
  // The texts of empty and unknown stages are few: padded once.
  static const std::string unknownAddress = rightAligned("?", addressWidth), noAddress(addressWidth, ' ');
  static const std::string bubble = padded("(bubble)", textWidth), noFetch = padded("(no fetch)", textWidth),
                           idle = padded("(idle)", textWidth), unknownWord = padded("????", textWidth),
                           interlocked = padded("(load-use)", textWidth);
  const StageSlot& slot = c.slot[stage];
  bool held = c.stalled[stage];
  const std::string *address = &noAddress, *text = &bubble;
  const char* code = dim;
  std::string heldAddress, placedText;
  if (slot.id >= 0) {
    const auto& column = instructionColumn(slot);
    address = &column.first;
    text = &column.second;
    code = nullptr;
  } else if (slot.id == unknownSlot) {
    address = &unknownAddress;
    if (c.word[stage].known()) placedText = padded(instructionText(c.word[stage], -1), textWidth);
    text = c.word[stage].known() ? &placedText : &unknownWord;
    code = nullptr;
  } else if (stage == stageIF) {
    text = !held ? &idle : c.loadUse && !memoryStall(c) ? &interlocked : &noFetch;
    if (held) heldAddress = c.pc.known() ? rightAligned(std::to_string(c.pc.value), addressWidth) : unknownAddress;
    if (held) address = &heldAddress;
  }
  line += ' ';
  line += *address;
  put(held ? "*" : " ", held ? yellow : nullptr);
  put(*text, code);
}

void putEvent(const std::string& text, const char* code) {
  line += "  ";
  put(text, code);
}

// rN<-MEM, rN<-WB: a register EX took from a later stage, once however many operands read it.
void putForwards(const CycleView& c) {
  std::string marks[numberOfOperands];
  for (int k = 0; k < numberOfOperands; k++) {
    if (c.forwarded[k] == forwardNone) continue;
    int reg = operandRegister(c.word[stageEX].value, k);
    std::string mark = "r" + (c.word[stageEX].known() ? std::to_string(reg) : "?") + "<-" +
                       forwardSourceName(c.forwarded[k]);
    if (std::find(marks, marks + k, mark) == marks + k) putEvent(mark, yellow);
    marks[k] = mark;
  }
}

void putEvents(const CycleView& c) {
  if (c.hasForwarding) putForwards(c);
  if (c.branchInMem) putEvent(branchEventText(c.branchTaken, c.branchUnknown, c.branchTarget), green);
  if (c.writtenRegister > 0)
    putEvent("r" + std::to_string(c.writtenRegister) + " <- " + hexOf(c.writtenValue), cyan);
  if (c.access != noAccess)
    putEvent(accessText(c.access, c.accessAddress, c.accessData) + (storeIgnored(c) ? " (ignored: ROM address)" : ""),
             magenta);
}

}  // namespace

void traceBegin() {
  if (textWidth == 0) textWidth = longestDisassembly();
  colour = colourOutput();
  flushEachLine = phaseFive->windexPointer->windowOpen;
  line = traceTicks ? "   cycle         tick     PC" : "   cycle     PC";
  for (const char* name : stageNames) line += " " + padded(name, addressWidth + 1 + textWidth);
  line += " N Z\n";
  fputs(line.c_str(), stdout);
}

void traceCycle(const CycleView& c) {
  char lead[48];
  std::string pc = c.pc.known() ? std::to_string(c.pc.value) : "?";
  if (traceTicks)
    snprintf(lead, sizeof lead, "%8llu %12llu %6s", (unsigned long long)c.cycle, (unsigned long long)c.tick, pc.c_str());
  else
    snprintf(lead, sizeof lead, "%8llu %6s", (unsigned long long)c.cycle, pc.c_str());
  line = lead;
  for (int stage = stageIF; stage < numberOfStages; stage++) putStage(c, stage);
  line += ' ';
  line += flagLetter(c.n);
  line += ' ';
  line += flagLetter(c.z);
  putEvents(c);
  line += '\n';
  fputs(line.c_str(), stdout);
  if (flushEachLine) fflush(stdout);
}
