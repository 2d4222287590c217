// A bench for driving components by hand: after elaborate() (Netlist.h) a test sets input levels
// directly, evaluates one component, lets what it scheduled take effect and reads the outputs.
// Nothing else is woken, so each step shows exactly one evaluation of the component under test.
//
// Levels are written one character per bit, highest bit first: 0 ZERO, 1 ONE, X XXX, Z HIZ,
// U UNINITIALIZED.
#ifndef TARVIK_TESTS_COMPONENTRIG_H
#define TARVIK_TESTS_COMPONENTRIG_H

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "Levels.h"
#include "Netlist.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Signal.h"

// Current values of a bundle, highest bit first.
inline std::string levels(const Signal& s) {
  std::string text;
  for (int i = s.length - 1; i >= 0; i--) text += levelChar(phaseThree->currentSignals[s.serialNumber[i]]);
  return text;
}

// Sets a bundle to the levels given highest bit first ("10X"); a single character sets every bit.
inline void set(const Signal& s, const std::string& text) {
  for (int i = 0; i < s.length; i++) {
    char c = text.size() == 1 ? text[0] : text[text.size() - 1 - size_t(i)];
    int n = s.serialNumber[i];
    phaseThree->currentSignals[n] = phaseThree->scheduledSignals[n] = levelOf(c);
  }
}

inline void setWord(const Signal& s, unsigned long long value) {
  std::string text;
  for (int i = s.length - 1; i >= 0; i--) text += (value >> i) & 1 ? '1' : '0';
  set(s, text);
}

// Applies every queued event in queue order and returns them, one "time name=level" per line.
inline std::string settle() {
  std::string timeline;
  PhaseFour& p4 = *phaseFour;
  while (!p4.skewHeap.isEmpty()) {
    Event e = p4.skewHeap.min();
    p4.skewHeap.removeMin();
    p4.time = e.time;
    phaseThree->currentSignals[e.signalSerialNumber] = e.sigValue;
    timeline += std::to_string(e.time) + " " + phaseTwo->signalNames[e.signalSerialNumber] + "=" +
                levelChar(e.sigValue) + "\n";
  }
  return timeline;
}

// The lines of a timeline in sorted order, for events whose order within one tick does not matter.
inline std::string sortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  std::string sorted;
  for (const std::string& line : lines) sorted += line + "\n";
  return sorted;
}

// One evaluation of component cind, settled; returns the observed bundle's levels afterwards.
inline std::string step(int cind, const Signal& observed) {
  phaseTwo->logicEvaluate[cind](cind);
  settle();
  return levels(observed);
}

#endif
