// Fuzz target: the whole command line, single-character options and long options together, key
// scripts included.
//
// The input is the list of words after the program name, separated by NUL bytes.  parseCommandLine
// must end in one of its outcomes without exiting; the text options must stay terminated inside
// their fields, the flag tables counted no more often than words were given, a refusal must say why,
// a key script must hold only presses the input dispatch knows and timed steps within the last tick,
// a script refused by --keys must leave none behind, and the file names must point into the words.
// Parsing the same words again from the initial state must give the same options: nothing may depend
// on what an earlier parse left behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "Capability.h"
#include "CircuitHooks.h"
#include "Expect.h"
#include "Explain.h"
#include "FuzzCheck.h"
#include "Globals.h"
#include "KeyScript.h"
#include "MemImage.h"
#include "Vcd.h"
#include "cmdLine.h"

namespace {

// Every option global, as text, for comparing two parses.
std::string snapshot() {
  std::string s;
  auto add = [&s](long long v) { s += std::to_string(v) + ","; };
  for (int v : {red_fg, green_fg, blue_fg, red_bg, green_bg, blue_bg, red_sw, green_sw, blue_sw, earlyExitFlag,
                connectMuxOnlyFlag, numberOfProfRunTimeFlags, displayTimeFlag, numberOfUserRunTimeFlags, useXDisplay,
                zFlagSet, zSetXa, zSetYa, zSetXb, zSetYb, keyScriptGiven})
    add(v);
  for (int i = 0; i < 16; i++) add(profRunTimeFlag[i]), add(userRunTimeFlag[i]);
  add((long long)stopTime);
  s += std::string(FunctionKeyString) + "|" + XW_geometry + "|" + CursorKeyString + "|" + WindowLabelString + "|";
  s += std::string(vcdFileName ? vcdFileName : "(none)") + "|" + (expectFileName ? expectFileName : "(none)") + "|";
  for (const ScriptedKey& k : keyScript) add(k.eventType), add(k.keyChar), add((long long)k.ticks);
  return s;
}

bool terminatedWithin(const char* field, size_t size) { return memchr(field, '\0', size) != nullptr; }

bool pointsIntoWords(const char* p, const std::vector<std::string>& words) {
  if (!p) return true;
  for (const std::string& w : words)
    if (p >= w.c_str() && p <= w.c_str() + w.size()) return true;
  return false;
}

bool knownKey(const ScriptedKey& k) {
  return (k.eventType == waitUntilTick && k.keyChar == 0) || (k.eventType == waitTicks && k.keyChar == 0) ||
         (k.eventType == 1 && k.keyChar >= 0 && k.keyChar < 128) ||
         (k.eventType == 2 && k.keyChar >= 1 && k.keyChar <= 35) ||
         (k.eventType == 3 && k.keyChar >= -1 && k.keyChar <= 6);
}

// The script's timed steps never take it past tick 2^62, so that the run's time cannot wrap.
bool withinLastTick(const std::vector<ScriptedKey>& script) {
  const uint64_t lastTick = uint64_t(1) << 62;
  uint64_t reached = 0;
  for (const ScriptedKey& k : script) {
    if (k.eventType == waitUntilTick) reached = k.ticks;
    if (k.eventType == waitTicks) reached = k.ticks > lastTick - reached ? lastTick + 1 : reached + k.ticks;
    if (reached > lastTick) return false;
  }
  return true;
}

CommandLineOutcome parseFresh(std::vector<std::string>& words, std::string& problem) {
  // --explain and --load queue requests and routines in the library; forget those of the last input.
  resetCommandLineGlobals();
  resetCapabilities();
  resetCircuitHooks();
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  problem.clear();
  return parseCommandLine(int(argv.size()) - 1, argv.data(), &problem);
}

void checkOptions(const std::vector<std::string>& words, CommandLineOutcome outcome, const std::string& problem) {
  int given = int(words.size()) - 1;
  if (outcome != commandLineRun && outcome != commandLineShortHelp && outcome != commandLineLongHelp &&
      outcome != commandLineRefused)
    abort();
  if ((outcome == commandLineRefused) == problem.empty()) abort();
  if (!terminatedWithin(FunctionKeyString, sizeof FunctionKeyString) ||
      !terminatedWithin(XW_geometry, sizeof XW_geometry) || !terminatedWithin(CursorKeyString, sizeof CursorKeyString) ||
      !terminatedWithin(WindowLabelString, sizeof WindowLabelString))
    abort();
  if (numberOfProfRunTimeFlags < 0 || numberOfUserRunTimeFlags < 0 ||
      numberOfProfRunTimeFlags + numberOfUserRunTimeFlags > given)
    abort();
  if (!pointsIntoWords(vcdFileName, words) || !pointsIntoWords(expectFileName, words)) abort();
  // Only an accepted --keys gives a script; a refused one leaves the script as it was.
  if (!keyScript.empty() && !keyScriptGiven) abort();
  for (const ScriptedKey& k : keyScript)
    if (!knownKey(k)) abort();
  if (!withinLastTick(keyScript)) abort();
  if (optind < 0 || optind > given + 1) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words{"prog"};
  for (std::string& w : nulSeparatedWords(data, size, 48, 200)) words.push_back(std::move(w));

  std::string problem;
  CommandLineOutcome outcome = parseFresh(words, problem);
  checkOptions(words, outcome, problem);
  std::string first = snapshot();

  std::vector<std::string> again = words;
  std::string problemAgain;
  if (parseFresh(again, problemAgain) != outcome || problemAgain != problem) abort();
  std::string second = snapshot();
  // The file names point into different copies of the words; their texts are compared.
  if (first != second) abort();
  return 0;
}
