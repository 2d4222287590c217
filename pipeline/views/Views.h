// The processor's text views (--trace, --diagram, --summary) and the cycle runner (--cycles).
//
// Every figure comes from the simulated signals.  An observer of the run looks at the circuit each time
// it comes to rest after a key press: at rest in the high phase of the clock it reads one cycle (the
// words in the instruction registers, the fetch, the memory access, the stalls, the branch decision,
// the register just written, the flags just loaded).  Which instruction sits in which stage, and
// whether a word is a bubble or a nop of the program, is bookkeeping from the observed fetch addresses
// and stall signals; it is checked against the words the instruction registers hold.
#ifndef TARVIK_VIEWS_H
#define TARVIK_VIEWS_H

#include <cstdint>
#include <string>
#include <vector>

#include "Signal.h"

// A bus as read at one moment: its bits that are ZERO or ONE, and a mask of those that are not.
struct BusValue {
  uint16_t value = 0;
  uint16_t unknown = 0xFFFF;
  bool known() const { return unknown == 0; }
};

enum PipelineStage { stageIF, stageID, stageEX, stageMEM, stageWB, numberOfStages };
extern const char* const stageNames[numberOfStages];

// What a stage holds: an instruction the processor fetched, numbered in fetch order from 0, or one of
// these.
const int64_t bubbleSlot = -1;   // nothing: after reset, or the no-operation a stall lets in
const int64_t unknownSlot = -2;  // a word the bookkeeping cannot place (it disagrees with the register)
struct StageSlot {
  int64_t id = bubbleSlot;
  uint16_t address = 0;  // where it was fetched
  uint16_t word = 0;     // the word fetched
};

enum MemoryAccess { noAccess, loadAccess, storeAccess };

// EX's operands A (rs1), B (rs2) and D (rd), and where the forwarding unit took each from: its fwd
// signal's value (ID's latches, the word in MEM, the word in WB), or unknown.
enum ExOperand { operandA, operandB, operandD, numberOfOperands };
enum ForwardSource { forwardNone, forwardMEM, forwardWB, forwardUnknown };
// The register operand k of word names (bits 5..3, 2..0, 13..11).
int operandRegister(uint16_t word, int operand);
// "MEM", "WB" or "?" for a forward.
const char* forwardSourceName(ForwardSource source);

// One processor cycle, read at rest in its high phase.
struct CycleView {
  uint64_t cycle = 0;  // 1 for the first cycle after reset was released
  uint64_t tick = 0;   // the simulated time of the rest it was read at
  BusValue pc;
  StageSlot slot[numberOfStages];  // IF holds an instruction only while fetching
  BusValue word[numberOfStages];  // IF: the word fetched (the data bus); the others: their instruction register
  bool stalled[numberOfStages] = {};
  bool fetching = false;  // IF read memory this cycle
  BusValue fetchAddress;  // the address it read, when fetching
  bool branchInMem = false, branchTaken = false;
  bool branchUnknown = false;  // MEM's branch decision is neither ZERO nor ONE (a flag it reads is unknown)
  BusValue branchTarget;
  int writtenRegister = -1;  // 1..7 when WB writes a register this cycle
  BusValue writtenValue;
  MemoryAccess access = noAccess;
  BusValue accessAddress, accessData;
  SignalValue n = UNINITIALIZED, z = UNINITIALIZED;
  // A processor with forwarding (5b-forwarding) only: where EX took each operand it reads, by
  // operand (A, B, D), and the load interlock, which holds ID and IF and lets a bubble into EX;
  // interlockBubble: EX holds the bubble the interlock let in at the end of the cycle before.
  bool hasForwarding = false;
  ForwardSource forwarded[numberOfOperands] = {forwardNone, forwardNone, forwardNone};
  bool loadUse = false;
  bool interlockBubble = false;
  // The program's end, a taken branch to its own address (halt: bra halt), followed by ViewsHalt.cpp:
  // haltDecided from the cycle the first such branch is taken in MEM on, lastProgramWord then the
  // last word fetched after it (its delay slots), and haltCycle (0 before) the cycle that word is in
  // WB, its result written: the program's last cycle.  The cycles after it are the halt loop.
  bool haltDecided = false;
  int64_t lastProgramWord = bubbleSlot;
  uint64_t haltCycle = 0;
  bool halted() const { return haltCycle != 0; }
  bool inHaltLoop() const { return haltCycle != 0 && cycle > haltCycle; }
};

// Options (ViewsOptions.cpp).
extern uint64_t cyclesToRun;       // --cycles: cycles to run after releasing reset; 0 = not given
extern int traceView;              // --trace: a line per cycle on standard output
extern int diagramView;            // --diagram: the pipeline chart at the end of the run
extern uint64_t diagramFrom, diagramTo;  // --diagram=FROM:TO: the cycles charted (0, 0 = all)
extern int summaryView;            // --summary: registers, memory written and counts at the end
enum SummaryRam { summaryRamNone, summaryRamNonZero, summaryRamAll };
extern SummaryRam summaryRam;      // --summary-ram held|all: the RAM's words in the summary
extern int traceTicks;             // --trace-ticks: the trace shows the tick each line was read at
const uint64_t maximumCycles = 10000000;
// The cycles a run makes without --cycles when it is to stop by itself (--until, or --program
// without a window): it ends at that cap when it does not stop sooner.
const uint64_t stopCycleCap = 100000;
void resetViewOptions();
// Starts the views once the netlist is built (--until and --program ask for it too).
void armViews();
// --program without --cycles, --keys or a window runs until the program halts (Program.cpp).
bool programRunsUntilHalt(bool window);

// The observation (ViewsObserve.cpp).
// The current value of the bundle a name picks ("Reg3", "BasicPipe.isBranch"; the rule of NameIndex.h).
// A name that picks none ends the process with status 2.
BusValue readBus(const char* name);
SignalValue readBit(const char* name);
// Starts following the run when a view, --cycles or an --explain NAME@cN asks for it (once); refuses
// --cycles with --keys.
void startViews();
void resetViews();

// A store whose address has bit 6 ZERO goes to the ROM, which drops it (the address as the bus had it).
bool storeIgnored(const CycleView& c);
// The memory stall holds IF: a load or store in MEM has the bus this cycle.
bool memoryStall(const CycleView& c);
const uint16_t ramAddressBit = 0x40, ramWordMask = 0x3F;

// Text helpers (ViewsText.cpp).
BusValue knownBus(uint16_t value);
void setBusBit(BusValue& v, int position, SignalValue bit);  // v must start with no unknown bit
std::string hexWord(const BusValue& v);          // "00f0"; an unknown digit as 'x'
std::string hexOf(const BusValue& v);            // "0x00f0"
std::string signedWord(const BusValue& v);       // "-256"; "?" when unknown
// A branch's decision in MEM: "taken -> N", "not taken", or "taken? -> N" when it is unknown.
std::string branchEventText(bool taken, bool unknown, const BusValue& target);
// MEM's access: "load 0x.... <- [0x....]", "store [0x....] <- 0x....", "" for none.
std::string accessText(MemoryAccess access, const BusValue& address, const BusValue& data);
std::string instructionText(const BusValue& word, int address);  // the disassembly, "????" when unknown
std::string flagLetter(SignalValue v);           // "0", "1", "x", "u" or "z"
bool colourOutput();                             // standard output is a terminal
std::string padded(const std::string& text, size_t width);

// The views, each fed every cycle and told when the run begins again and ends.
void traceBegin();
void traceCycle(const CycleView& c);
void diagramBegin();
void diagramCycle(const CycleView& c);
void diagramEnd();
void summaryBegin();
void summaryCycle(const CycleView& c);
void summaryEnd();

// Running off the program (ViewsRunOff.cpp), for the summary: a fetch of a word the program never
// gave (a ROM word its image lacks, a RAM word no store wrote and no image gave), unless it is one of
// the three words fetched behind a branch before its decision.
void runOffBegin();
void runOffCycle(const CycleView& c);
void printRunOff();

// The comparison with a reference run (ViewsCompare.cpp): fed every cycle, told when the run ends.
extern int compareView;  // --compare-with given
void compareCycle(const CycleView& c);
void compareEnded();
// The run of a reference in a child process keeps the views' own observer alone (ViewsObserve.cpp):
// nothing else of the parent's run (a dump, a check) may act in it.
void keepOnlyViewObserver();

// The halt of the program (ViewsHalt.cpp): marks each cycle read, from the last.
void haltBegin();
void followHalt(CycleView& c);

// The cycle runner (ViewsCycles.cpp): presses '0', then '1' twice per cycle, lazily, for --cycles, or
// up to stopCycleCap for a run that stops by itself; after each cycle read, the stop conditions.
void cyclesBegin();
void cyclesAtRest();
void cyclesAfterRead(const CycleView& c);

#endif
