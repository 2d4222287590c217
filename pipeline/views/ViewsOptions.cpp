// The long options of the processor's views: --cycles N, --trace, --trace-ticks, --diagram,
// --diagram-cycles FROM:TO, --summary and --summary-ram.  Each only sets its flag; the first of them
// also arranges for the views to be started once the netlist is built (the start-up check after
// elaboration, chained to any other circuit's), as do --program and the library's --until, for which
// the views are the points its conditions are checked at.  The views number the cycles, so they also
// offer --explain NAME@cN.
#include <cstring>
#include <string>

#include "Capability.h"
#include "CircuitHooks.h"
#include "Explain.h"
#include "Numbers.h"
#include "ProcessorOptions.h"
#include "Until.h"
#include "Views.h"

uint64_t cyclesToRun = 0;
int traceView = 0;
int diagramView = 0;
uint64_t diagramFrom = 0, diagramTo = 0;
int summaryView = 0;
SummaryRam summaryRam = summaryRamNone;
int traceTicks = 0;

namespace {

bool hookArmed = false;

// A count of cycles: decimal digits only (at most 9, leading zeros counted), 1 to maximumCycles.
bool parseCount(const char* text, uint64_t& count) {
  NumberSyntax cycles = decimalFrom(1, maximumCycles);
  cycles.maxDigits = 9;
  return readNumber(text, cycles, count);
}

bool takeCycles(const char* argument, std::string& problem) {
  // A second count would silently replace the first.
  if (cyclesToRun) {
    problem = "--cycles is given twice (" + std::to_string(cyclesToRun) + " and " + argument + "): give it once";
    return false;
  }
  if (!parseCount(argument, cyclesToRun)) {
    problem = "--cycles needs a number of cycles from 1 to " + std::to_string(maximumCycles) + ", not \"" +
              argument + "\"";
    return false;
  }
  armViews();
  return true;
}

bool takeFlag(int& flag) {
  flag = 1;
  armViews();
  return true;
}

bool takeTrace(const char*, std::string&) { return takeFlag(traceView); }
bool takeTraceTicks(const char*, std::string&) { return takeFlag(traceTicks) && takeFlag(traceView); }

bool takeSummaryRam(const char* argument, std::string& problem) {
  if (strcmp(argument, "nonzero") == 0)
    summaryRam = summaryRamNonZero;
  else if (strcmp(argument, "all") == 0)
    summaryRam = summaryRamAll;
  else {
    problem = std::string("--summary-ram needs nonzero or all, not \"") + argument + "\"";
    return false;
  }
  return takeFlag(summaryView);
}
bool takeSummary(const char*, std::string&) { return takeFlag(summaryView); }
bool takeDiagram(const char*, std::string&) { return takeFlag(diagramView); }

// FROM:TO, both cycle counts, FROM <= TO.
bool takeDiagramRange(const char* argument, std::string& problem) {
  std::string text = argument;
  size_t colon = text.find(':');
  std::string from = text.substr(0, colon), to = colon == std::string::npos ? "" : text.substr(colon + 1);
  if (colon == std::string::npos || !parseCount(from.c_str(), diagramFrom) || !parseCount(to.c_str(), diagramTo) ||
      diagramFrom > diagramTo) {
    problem = "--diagram-cycles needs FROM:TO, two cycle numbers from 1 to " + std::to_string(maximumCycles) +
              " with FROM <= TO, not \"" + text + "\"";
    return false;
  }
  return takeFlag(diagramView);
}

}  // namespace

void armViews() {
  if (hookArmed) return;
  hookArmed = true;
  addAfterElaborationHook(startViews);
}

void resetViewOptions() {
  cyclesToRun = 0;
  traceView = diagramView = summaryView = traceTicks = 0;
  summaryRam = summaryRamNone;
  diagramFrom = diagramTo = 0;
  hookArmed = false;
}

namespace {

const LongOption viewOptions[] = {
    {"--cycles", "N",
     "release reset ('0') and run N clock cycles ('1' twice each), 1 to 10000000; without a\n"
     "window the run then ends, in the window it halts; not together with --keys.  --until\n"
     "is checked once a cycle, and --until halt holds once the program has reached a branch\n"
     "to itself (halt: bra halt) and the words after it are written back; --until without\n"
     "--cycles runs at most 100000 cycles",
     takeCycles},
    {"--trace", nullptr,
     "a line per cycle on standard output: PC, the instruction in each stage (* = held by a\n"
     "stall), the branch decision, the register written, the memory access, N and Z",
     takeTrace},
    {"--trace-ticks", nullptr,
     "--trace with the tick of each line after its cycle: the settled point the line was\n"
     "read at, as --explain NAME@TIME and a --vcd dump number time",
     takeTraceTicks},
    {"--diagram", nullptr,
     "at the end of the run, the pipeline chart: a row per instruction fetched, a column per\n"
     "cycle, each cell the stage it is in (* = held by a stall)",
     takeDiagram},
    {"--diagram-cycles", "FROM:TO", "the pipeline chart of the cycles FROM to TO only",
     takeDiagramRange},
    {"--summary", nullptr,
     "at the end of the run: the registers, N, Z, PC, the RAM words written, the cycles run,\n"
     "instructions completed, stall cycles, branches taken and cycles per instruction",
     takeSummary},
    {"--summary-ram", "WHICH",
     "--summary with the RAM as the run left it, each word with its index and address\n"
     "(0x40..): WHICH is nonzero (the words neither 0 nor never written) or all (64 words)",
     takeSummaryRam, "nonzero or all"},
};

void resetViewCapability() {
  resetViewOptions();
  resetViews();
}

const Capability viewsCapability = {
    "views", 30, 0, viewOptions, sizeof viewOptions / sizeof viewOptions[0], true,
    nullptr, nullptr, resetViewCapability, nullptr, nullptr, nullptr,
};

}  // namespace

void addViewOptions() {
  // --until is checked once a cycle, as the views read it, and knows the program's halt.
  CircuitStopPoints points;
  points.arm = armViews;
  points.knowsHalt = true;
  setCircuitStopPoints(points);
  addCapability(viewsCapability);
  offerExplainCycles(startViews);
}
