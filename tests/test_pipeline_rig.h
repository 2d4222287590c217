// Test rig for the processor's blocks and the whole processor: runs a circuit headless in a child
// process and reports, once the run has ended, the final value of every bundle the circuit declared at
// its top level (inside no module box) and of every bundle given to watch().
//
// Values: a one-bit bundle by its name ("ONE", "XXX", ...); a wider one in hexadecimal ("0x0AF0") when
// every bit is ZERO or ONE, else one character per bit, highest first (0, 1, X, Z, U).
#ifndef TARVIK_TESTS_PIPELINE_RIG_H
#define TARVIK_TESTS_PIPELINE_RIG_H

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Bundles.h"
#include "Globals.h"
#include "Harness.h"
#include "Levels.h"
#include "MemImage.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Sim.h"

namespace pipelineRig {

// The text of a value given bit 0 first.
inline std::string textOf(const std::vector<SignalValue>& values) {
  if (values.size() == 1) return signalValueName(values[0]);
  std::string letters;
  unsigned long long word = 0;
  bool binary = true;
  for (size_t i = values.size(); i-- > 0;) {
    SignalValue v = values[i];
    letters += levelChar(v);
    binary = binary && (v == ZERO || v == ONE);
    word = (word << 1) | (v == ONE ? 1u : 0u);
  }
  if (!binary) return letters;
  char hex[32];
  snprintf(hex, sizeof hex, "0x%0*llX", int((values.size() + 3) / 4), word);
  return hex;
}

inline std::string valueOf(const std::vector<int>& bits) {
  std::vector<SignalValue> values;
  for (int b : bits) values.push_back(phaseThree->currentSignals[size_t(b)]);
  return textOf(values);
}

// Bundles reported besides those of the top level, by watch().
inline std::vector<DeclaredBundle>& watched() {
  static std::vector<DeclaredBundle> bundles;
  return bundles;
}

inline void printReportedBundles() {
  for (const DeclaredBundle& b : declaredBundles())
    if (b.scope == 0 && !b.bits.empty()) printf("%s=%s\n", b.name.c_str(), valueOf(b.bits).c_str());
  for (const DeclaredBundle& b : watched()) printf("%s=%s\n", b.name.c_str(), valueOf(b.bits).c_str());
}

inline void (*&circuitUnderTest())() {
  static void (*circuit)() = nullptr;
  return circuit;
}

inline void watchedCircuit() {
  runObservers.push_back({nullptr, nullptr, pipelineRig::printReportedBundles});
  circuitUnderTest()();
}

}  // namespace pipelineRig

// A lasting copy of a name: declared bundles keep the pointer they are given.
inline const char* lastingName(const std::string& name) {
  static std::set<std::string> names;
  return names.insert(name).first->c_str();
}

// Reports s by its name at the end of the run too.  Needed for bundles that a circuit declares after
// its first module box at the same position: those count as declared inside that box.
inline const Signal& watch(const Signal& s) {
  pipelineRig::watched().push_back({s.nameTag, std::vector<int>(s.serialNumber, s.serialNumber + s.length), 0});
  return s;
}

struct PipelineRun {
  RunResult result;
  std::map<std::string, std::string> value;  // top-level bundle name -> final value
};

// Runs circuit headless with the key script (each key once the circuit has settled); the run ends
// when the script is used up and the circuit has settled.
inline PipelineRun runHeadless(void (*circuit)(), const std::string& keys) {
  pipelineRig::circuitUnderTest() = circuit;
  PipelineRun run;
  run.result = runCircuit(pipelineRig::watchedCircuit, {"-X", "--keys=" + keys});
  for (const std::string& line : linesOf(run.result.out)) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) run.value[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return run;
}

// The ROM words for processorWithRom (the other words of the 64 are zero); set before the child forks.
inline std::vector<uint16_t>& romProgram() {
  static std::vector<uint16_t> words;
  return words;
}

// The ROM of the processor placed next replaced by romProgram().
inline void loadRomProgram() {
  MemoryImage image;
  image.file = "test program";
  for (uint32_t a = 0; a < 64; a++)
    image.words.push_back({a, a < romProgram().size() ? romProgram()[a] : 0u, int(a) + 1});
  addMemoryLoad("Memory.Rom", image);
}

// The whole processor with its ROM replaced by romProgram().
inline void processorWithRom() {
  loadRomProgram();
  simnet();
}

// "0" releases reset; each "11" is one clock cycle (rising, then falling edge).
inline std::string resetThenCycles(int cycles) {
  std::string keys = "0";
  for (int i = 0; i < cycles; i++) keys += "11";
  return keys;
}

#endif
