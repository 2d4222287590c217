// Scripted key presses (--keys): replayed through the same path as keys typed in the window, one press
// at each input poll at which the circuit has settled or the run is halted.  Timed steps ({@T}, {+N})
// hold the script until a tick; the press right after one is made at that tick, settled or not.
#ifndef TARVIK_KEYSCRIPT_H
#define TARVIK_KEYSCRIPT_H

#include <cstdint>
#include <string>
#include <vector>

// Event types of the timed steps: wait until tick ticks, or until ticks after the step was reached.
const int waitUntilTick = -1;
const int waitTicks = -2;

// One press as checkEvent reports it: eventType 1 character, 2 function key, 3 cursor-block key; or
// a timed step (waitUntilTick, waitTicks) with its tick count.
struct ScriptedKey {
  int eventType;
  int keyChar;
  uint64_t ticks = 0;
};

// Parses a script; on a malformed one returns false, sets error to the problem and leaves keys empty.
// Timed steps may not reach past tick 2^62, so that the run never wraps its 64-bit time.
bool parseKeyScript(const std::string& text, std::vector<ScriptedKey>& keys, std::string& error);

// The script of this run; keyScriptGiven is set when --keys was given at all.
extern std::vector<ScriptedKey> keyScript;
extern size_t keyScriptNext;
extern int keyScriptGiven;
extern uint64_t keyScriptStepReachedAt;  // tick at which the entry keyScriptNext became the next one
extern bool keyScriptAfterTimedStep;     // the last entry taken was a timed step
void resetKeyScript();
// --keys TEXT: the script to replay; false with problem, and nothing to replay, when it is malformed.
bool takeKeyScript(const char* text, std::string& problem);
// Replays keys from the first on, as if given with --keys (the processor's --cycles makes its presses so).
void replaceKeyScript(std::vector<ScriptedKey> keys);
// True when every entry of the script has been taken (or none was given).
bool keyScriptUsedUp();

// Delivers the next press if the script has one and the circuit may take it; returns its event type
// through eventType (0 when nothing was delivered).
void nextScriptedKey(int* eventType, int* keyChar);
// True when a run without a window has nothing more to do: no press can come (none given, the script
// used up, or halted before a timed step) and the circuit rests or is halted; or the script ended on a
// timed step that has been reached.
bool keyScriptFinished();
// The tick of the timed step the script waits for, 0 when it waits for none.
uint64_t keyScriptWakeTime();

#endif
