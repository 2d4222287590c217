// Scripted key presses (--keys).
//
// A script is a text of key names: a printable character stands for itself, and braces name the
// other keys: {F1}..{F35}, {Left} {Up} {Right} {Down} {Home} {PageUp} {PageDown} {End}, {Return},
// {Tab}, {Escape}, {BackSpace}, {Delete}, {space}, {braceleft}, {braceright} and {Ctrl-a}..{Ctrl-z}.
// Each press is handed to the input dispatch as the event the window would have delivered.
//
// Timed steps hold the script: {@T} until tick T, {+N} until N ticks after the step was reached (the
// previous entry taken, or the start).  A step whose tick has passed is taken at once.  The press
// right after a timed step is made at the first poll at or after its tick, settled or not (the run
// loop visits that tick, so it is the tick itself); every other press waits for the circuit to settle,
// as without timed steps, so that a clocked circuit that never settles still takes timed presses.  A
// script whose ticks literally go backwards ({@500}{@100}, {@100}{+50}{@120}) is refused.
#include "KeyScript.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "Globals.h"
#include "Numbers.h"
#include "Ph4.h"

std::vector<ScriptedKey> keyScript;
size_t keyScriptNext = 0;
int keyScriptGiven = 0;
uint64_t keyScriptStepReachedAt = 0;
bool keyScriptAfterTimedStep = false;

void resetKeyScript() {
  keyScript.clear();
  keyScriptNext = 0;
  keyScriptGiven = 0;
  keyScriptStepReachedAt = 0;
  keyScriptAfterTimedStep = false;
}

void replaceKeyScript(std::vector<ScriptedKey> keys) {
  keyScript = std::move(keys);
  keyScriptNext = 0;
  keyScriptGiven = 1;
}

bool keyScriptUsedUp() { return keyScriptNext >= keyScript.size(); }

bool takeKeyScript(const char* text, std::string& problem) {
  std::vector<ScriptedKey> keys;
  bool parsed = parseKeyScript(text, keys, problem);
  keyScript.clear();  // a refused script leaves nothing to replay
  if (parsed) replaceKeyScript(std::move(keys));
  return parsed;
}

namespace {

struct NamedKey {
  const char* name;
  ScriptedKey key;
};

const NamedKey namedKeys[] = {
    {"Left", {3, 0}},        {"Up", {3, 1}},         {"Right", {3, 2}},     {"Down", {3, 3}},
    {"Home", {3, -1}},       {"PageUp", {3, 4}},     {"Prior", {3, 4}},     {"PageDown", {3, 5}},
    {"Next", {3, 5}},        {"End", {3, 6}},        {"Return", {1, 13}},   {"Tab", {1, 9}},
    {"Escape", {1, 27}},     {"BackSpace", {1, 8}},  {"Delete", {1, 127}},  {"space", {1, ' '}},
    {"braceleft", {1, '{'}}, {"braceright", {1, '}'}},
};

bool functionKey(const std::string& name, ScriptedKey& key) {
  NumberSyntax keyNumber = decimalFrom(1, 35);
  keyNumber.maxDigits = 2;
  uint64_t n = 0;
  if (name.size() < 2 || name[0] != 'F' || name[1] == '0' || !readNumber(name.substr(1), keyNumber, n)) return false;
  key = {2, int(n)};
  return true;
}

bool controlKey(const std::string& name, ScriptedKey& key) {
  if (name.size() != 6 || name.compare(0, 5, "Ctrl-") != 0) return false;
  unsigned char letter = static_cast<unsigned char>(name[5]);
  if (!isalpha(letter)) return false;
  key = {1, tolower(letter) & 0x1f};
  return true;
}

bool lookUp(const std::string& name, ScriptedKey& key) {
  for (const NamedKey& k : namedKeys)
    if (name == k.name) {
      key = k.key;
      return true;
    }
  return functionKey(name, key) || controlKey(name, key);
}

bool mayDeliver() { return phaseFour->settled() || haltFlag; }

// The run adds component delays to the time it reaches, so a script may not carry it near the top of
// the 64-bit range: 2^62 ticks leaves room for any delay and keeps every sum below 2^64.
const uint64_t lastTick = uint64_t(1) << 62;

uint64_t saturatingSum(uint64_t a, uint64_t b) { return b > ~uint64_t(0) - a ? ~uint64_t(0) : a + b; }

// A timed step's name ("@T" or "+N"): its entry, or false and the problem.  earliest is the least tick
// at which the script can be here; an absolute tick before it is refused, and earliest moves on.
bool timedStep(const std::string& name, uint64_t& earliest, ScriptedKey& key, std::string& error) {
  NumberSyntax tickCount;
  tickCount.saturateAbove = lastTick;  // a longer number stays past the last tick, without wrapping
  uint64_t ticks = 0;
  if (!readNumber(name.substr(1), tickCount, ticks)) {
    error = "timed step {" + name + "} in key script needs a decimal number of ticks";
    return false;
  }
  bool absolute = name[0] == '@';
  uint64_t reached = absolute ? ticks : saturatingSum(earliest, ticks);
  if (reached > lastTick) {
    error = "timed step {" + name + "} in key script lies beyond the last tick " + std::to_string(lastTick);
    return false;
  }
  if (absolute && ticks < earliest) {
    error = "timed step {" + name + "} in key script goes back in time: the script is at tick " +
            std::to_string(earliest) + " or later there";
    return false;
  }
  earliest = reached;
  key = {absolute ? waitUntilTick : waitTicks, 0, ticks};
  return true;
}

bool isTimedStepName(const std::string& name) { return !name.empty() && (name[0] == '@' || name[0] == '+'); }

bool isTimedStep(const ScriptedKey& k) { return k.eventType == waitUntilTick || k.eventType == waitTicks; }

bool waitsForTimedStep() { return keyScriptNext < keyScript.size() && isTimedStep(keyScript[keyScriptNext]); }

void takeEntry(bool timed) {
  keyScriptNext++;
  keyScriptStepReachedAt = phaseFour->time;
  keyScriptAfterTimedStep = timed;
}

}  // namespace

bool parseKeyScript(const std::string& text, std::vector<ScriptedKey>& script, std::string& error) {
  std::vector<ScriptedKey> keys;
  script.clear();  // a refused script leaves nothing to replay, not the part before its fault
  uint64_t earliest = 0;
  for (size_t i = 0; i < text.size(); i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '{') {
      size_t close = text.find('}', i + 1);
      if (close == std::string::npos) {
        error = "unclosed brace in key script at character " + std::to_string(i + 1);
        return false;
      }
      std::string name = text.substr(i + 1, close - i - 1);
      ScriptedKey key;
      if (isTimedStepName(name)) {
        if (!timedStep(name, earliest, key, error)) return false;
      } else if (!lookUp(name, key)) {
        error = "unknown key name {" + name + "} in key script";
        return false;
      }
      keys.push_back(key);
      i = close;
    } else if (c == '}') {
      error = "unopened brace in key script at character " + std::to_string(i + 1);
      return false;
    } else if (c < 32 || c > 126) {
      error = "key script character " + std::to_string(i + 1) + " is not printable: name the key in braces";
      return false;
    } else {
      keys.push_back({1, int(c)});
    }
  }
  script.swap(keys);
  return true;
}

uint64_t keyScriptWakeTime() {
  if (!waitsForTimedStep()) return 0;
  const ScriptedKey& k = keyScript[keyScriptNext];
  return k.eventType == waitUntilTick ? k.ticks : saturatingSum(keyScriptStepReachedAt, k.ticks);
}

void nextScriptedKey(int* eventType, int* keyChar) {
  *eventType = 0;
  while (waitsForTimedStep() && phaseFour->time >= keyScriptWakeTime()) takeEntry(true);
  if (keyScriptNext >= keyScript.size() || waitsForTimedStep()) return;
  if (!keyScriptAfterTimedStep && !mayDeliver()) return;
  *eventType = keyScript[keyScriptNext].eventType;
  *keyChar = keyScript[keyScriptNext].keyChar;
  takeEntry(false);
}

// Halted, time stands still, so a timed step not yet reached never will be.
bool keyScriptFinished() {
  if (waitsForTimedStep()) return haltFlag != 0;
  if (keyScriptNext < keyScript.size()) return false;
  return mayDeliver() || keyScriptAfterTimedStep;
}
