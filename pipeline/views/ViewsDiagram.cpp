// --diagram: the classic pipeline chart, printed when the run ends.
//
// One row per instruction fetched, in program (fetch) order, labelled with its address and its
// disassembly; one column per cycle; each cell the stage the instruction is in that cycle, with "*"
// when a stall holds that stage.  A cycle in which IF is held fetches nothing: its IF cell belongs to
// the instruction fetched next, from the address the held PC kept.  The chart is kept as the stage
// contents of each cycle charted (every cycle, or those of --diagram-cycles) and drawn in blocks of
// sixteen columns, each block listing only the rows that have a cell in it.  On a processor with a load
// interlock the word it holds in ID shows ID*, and the bubble it lets into EX gets a row of its own,
// "(load-use bubble)", with an EX cell in each cycle such a bubble is in EX.
#include <algorithm>
#include <cstdio>

#include "Views.h"

namespace {

const size_t columnsPerBlock = 16;
const uint64_t mostCyclesCharted = 1000000;

struct Column {
  uint64_t cycle;
  int32_t id[numberOfStages];  // the instruction in each stage, relative to firstId; -1 for none
  uint8_t stalled;             // bit per stage
  bool interlockBubble;        // EX holds the bubble of the load interlock
};

struct Row {
  uint16_t address = 0;
  uint16_t word = 0;
};

struct Chart {
  std::vector<Column> columns;
  std::vector<Row> rows;  // by id - firstId
  int64_t firstId = -1;
  std::vector<size_t> heldFetch;  // columns whose IF cell waits for the next fetch
  uint16_t heldAddress = 0;
  bool cutShort = false;
  bool anyInterlockBubble = false;
  uint64_t lastCycleRun = 0;  // charted or not, so that an empty chart can say why
};

Chart chart;

bool charted(uint64_t cycle) {
  if (diagramTo != 0) return cycle >= diagramFrom && cycle <= diagramTo;
  return true;
}

int32_t rowOf(const StageSlot& slot) {
  if (slot.id < 0) return -1;
  if (chart.firstId < 0) chart.firstId = slot.id;
  size_t row = size_t(slot.id - chart.firstId);
  if (row >= chart.rows.size()) chart.rows.resize(row + 1);
  chart.rows[row] = {slot.address, slot.word};
  return int32_t(row);
}

// The oldest instruction in the first column charted numbers the rows: every later one is younger.
void firstColumn(const CycleView& c) {
  for (int stage = numberOfStages - 1; stage >= 0 && chart.firstId < 0; stage--)
    if (c.slot[stage].id >= 0) chart.firstId = c.slot[stage].id;
}

void heldFetchAnswered(int32_t row, uint16_t address) {
  if (address == chart.heldAddress)
    for (size_t k : chart.heldFetch) chart.columns[k].id[stageIF] = row;
  chart.heldFetch.clear();
}

std::string cellText(const Column& col, int32_t row) {
  for (int stage = 0; stage < numberOfStages; stage++)
    if (col.id[stage] == row) return std::string(stageNames[stage]) + (col.stalled >> stage & 1 ? "*" : "");
  return "";
}

std::string trimmed(std::string line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

struct Layout {
  size_t textWidth = 0;
};

// The load interlock's bubbles have no row of a word: a row of their own, under the words.
const char interlockBubbleLabel[] = "(load-use bubble)";

void printInterlockBubbles(size_t begin, size_t end, size_t width, const Layout& layout) {
  std::string cells;
  for (size_t k = begin; k < end; k++) cells += padded(chart.columns[k].interlockBubble ? "EX" : "", width);
  if (trimmed(cells).empty()) return;
  printf("%s\n", trimmed(std::string(7, ' ') + padded(interlockBubbleLabel, layout.textWidth) + "  " + cells).c_str());
}

std::string label(int32_t row, const Layout& layout) {
  const Row& r = chart.rows[size_t(row)];
  char address[16];
  snprintf(address, sizeof address, "%5u  ", unsigned(r.address));
  return address + padded(instructionText(knownBus(r.word), r.address), layout.textWidth) + "  ";
}

void printBlock(size_t begin, size_t end, const Layout& layout) {
  size_t width = std::max<size_t>(4, std::to_string(chart.columns[end - 1].cycle).size() + 1);
  std::string header = padded(" addr  instruction", 7 + layout.textWidth + 2);
  for (size_t k = begin; k < end; k++) header += padded(std::to_string(chart.columns[k].cycle), width);
  printf("%s\n", trimmed(header).c_str());
  int32_t first = INT32_MAX, last = -1;
  for (size_t k = begin; k < end; k++)
    for (int32_t id : chart.columns[k].id)
      if (id >= 0) first = std::min(first, id), last = std::max(last, id);
  for (int32_t row = first; row <= last; row++) {
    std::string line = label(row, layout), cells;
    for (size_t k = begin; k < end; k++) cells += padded(cellText(chart.columns[k], row), width);
    if (trimmed(cells).empty()) continue;
    printf("%s\n", trimmed(line + cells).c_str());
  }
  printInterlockBubbles(begin, end, width, layout);
}

}  // namespace

void diagramBegin() { chart = Chart(); }

void diagramCycle(const CycleView& c) {
  chart.lastCycleRun = c.cycle;
  if (!charted(c.cycle)) return;
  if (chart.columns.size() >= mostCyclesCharted) {
    chart.cutShort = true;
    return;
  }
  if (chart.columns.empty()) firstColumn(c);
  Column col{c.cycle, {}, 0, c.interlockBubble};
  chart.anyInterlockBubble = chart.anyInterlockBubble || c.interlockBubble;
  for (int stage = 0; stage < numberOfStages; stage++) {
    col.id[stage] = rowOf(c.slot[stage]);
    if (c.stalled[stage]) col.stalled = uint8_t(col.stalled | 1u << stage);
  }
  if (col.id[stageIF] >= 0) heldFetchAnswered(col.id[stageIF], c.slot[stageIF].address);
  chart.columns.push_back(col);
  if (c.stalled[stageIF] && c.slot[stageIF].id < 0 && c.pc.known()) {
    chart.heldFetch.push_back(chart.columns.size() - 1);
    chart.heldAddress = c.pc.value;
  }
}

void diagramEnd() {
  printf("\n");
  if (chart.columns.empty() && chart.lastCycleRun > 0) {
    printf("Pipeline diagram: cycles %llu to %llu were asked for, but the run ended after cycle %llu\n",
           (unsigned long long)diagramFrom, (unsigned long long)diagramTo, (unsigned long long)chart.lastCycleRun);
    return;
  }
  if (chart.columns.empty()) {
    printf("Pipeline diagram: no cycle was run\n");
    return;
  }
  Layout layout;
  for (const Row& r : chart.rows)
    layout.textWidth = std::max(layout.textWidth, instructionText(knownBus(r.word), r.address).size());
  if (chart.anyInterlockBubble) layout.textWidth = std::max(layout.textWidth, sizeof interlockBubbleLabel - 1);
  printf("Pipeline diagram, cycles %llu to %llu (* = held by a stall)\n",
         (unsigned long long)chart.columns.front().cycle, (unsigned long long)chart.columns.back().cycle);
  if (diagramTo > chart.lastCycleRun)
    printf("(cycles %llu to %llu were asked for, but the run ended after cycle %llu)\n", (unsigned long long)diagramFrom,
           (unsigned long long)diagramTo, (unsigned long long)chart.lastCycleRun);
  for (size_t begin = 0; begin < chart.columns.size(); begin += columnsPerBlock) {
    printf("\n");
    printBlock(begin, std::min(chart.columns.size(), begin + columnsPerBlock), layout);
  }
  if (chart.cutShort)
    printf("\n(the chart stops after %llu cycles: chart a later stretch with --diagram-cycles FROM:TO)\n",
           (unsigned long long)mostCyclesCharted);
}
