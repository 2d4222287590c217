// Explanations of a value: why a bit is XXX, UNINITIALIZED or HIZ (or ZERO, ONE) at a given tick.
//
// --explain NAME@TIME names a bit (NAME as --expect names a bundle, NAME[i] for one bit of it); the run
// keeps the change history of every bit while it goes, and when simulated time first passes TIME the
// walk prints, on standard output, the bit's value, since when it holds it and the component that
// drives it with its inputs, then steps back through the inputs that explain an unknown until it meets
// a source: an undriven input, a source at its initial value, a tri-state conflict, a flip-flop that
// captured an unknown, a memory word never written, or a loop.  The rules are in docs/explain.md.
#ifndef TARVIK_EXPLAIN_H
#define TARVIK_EXPLAIN_H

#include <cstdint>
#include <string>
#include <vector>

#include "Signal.h"

// One change of a bit's value, as applied by the run loop.
struct BitChange {
  uint64_t time;
  SignalValue value;
};

// What the walk knows of the past.  With a history (kept while --explain is given) every bit's value
// at any tick since its oldest kept change; without one only the present, with the time a value took
// effect read from the scheduling record where that record tells it.
struct Past {
  const std::vector<std::vector<BitChange>>* history = nullptr;  // per bit, in time order; null: none
  const std::vector<SignalValue>* startValues = nullptr;         // per bit, before its history
  const std::vector<uint64_t>* startTimes = nullptr;             // per bit, when that value took effect
  uint64_t now = 0;                                              // the latest tick the walk may ask for

  SignalValue valueAt(int bit, uint64_t at) const;
  // When the value the bit has at `at` took effect; false when that is not known.
  bool sinceAt(int bit, uint64_t at, uint64_t& since) const;
  // The first change after `at` (still pending, or already applied); false when none is known.
  bool nextChangeAfter(int bit, uint64_t at, BitChange& next) const;
  // The last tick at or before `latest` at which the bit became ONE; false when none is recorded.
  bool lastRiseAtOrBefore(int bit, uint64_t latest, uint64_t& rise) const;
};

// The text explaining each listed bit at `at`, one tree per bit; subtrees the trees share are printed
// once.  depth bounds how many steps back each tree goes.
std::string explainBits(const std::vector<int>& bits, uint64_t at, const Past& past, int depth);

// The same walk for one bit, but a level of a gate (or any part that is not clocked, a memory or a
// source) is followed into every input too: the chain of parts and values back to the sources, at most
// depth steps ("... (further steps left out)" below).  Why a test's output has its wrong value.
std::string explainChain(int bit, uint64_t at, const Past& past, int depth);

// A bit's printable name: its declared bundle's qualified name, with [i] when the bundle is wider.
std::string bitName(int bit);

// "--explain NAME@cN": cycle N of a circuit that numbers its cycles.  Such a circuit offers them before
// the command line is read (elsewhere @cN is refused); startCycles is called once after elaboration
// when a request names a cycle, and the circuit then calls explainCycleRead(N) at the settled point
// of each cycle N it reads, where the requests for cycle N are explained.
void offerExplainCycles(void (*startCycles)());
void explainCycleRead(uint64_t cycle);

extern int explainDepth;  // --explain-depth: steps an explanation goes back

// --explain NAME@TIME and --explain-depth N; false with problem when the argument is malformed.
bool takeExplainOption(const char* argument, std::string& problem);
bool takeExplainDepthOption(const char* argument, std::string& problem);
// The explanation of one bit now, with the history when one is kept (the window's gesture).
std::string explainBitNow(int bit);
// Its chain (explainChain) now, depth steps deep.
std::string explainChainNow(int bit, int depth);
// Forgets requests, history and names of a previous run in this process (tests).
void resetExplanations();
// Forgets the walk's table of drivers (part of resetExplanations).
void resetExplainTables();

// The window's gesture: Shift with the left button on a pane prints the explanation of the bit it
// shows.  Returns true when the press was taken for that, so that it does not also navigate.
bool explainGesture(int x, int y);
// The bit the pane under window pixel (x, y) shows, or -1: the smallest visible pane there, a byte
// probe's cell under the pointer.
int paneBitAt(int x, int y);
// What that pane shows, for a pointer resting on it: "NAME[i] = 1" (0 1 X Z U), and for a bit of a
// wider bundle a second line "NAME = 0x0012 (18)"; "" when no pane is there.
std::string paneValueAt(int x, int y);

#endif
