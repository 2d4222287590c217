// Scripted key presses (--keys): replayed through the same path as keys typed in the window, one press
// at each input poll at which the circuit has settled or the run is halted.
#ifndef TARVIK_KEYSCRIPT_H
#define TARVIK_KEYSCRIPT_H

#include <string>
#include <vector>

// One press as checkEvent reports it: eventType 1 character, 2 function key, 3 cursor-block key.
struct ScriptedKey {
  int eventType;
  int keyChar;
};

// Parses a script; on a malformed one returns false and sets error to the problem.
bool parseKeyScript(const std::string& text, std::vector<ScriptedKey>& keys, std::string& error);

// The script of this run; keyScriptGiven is set when --keys was given at all.
extern std::vector<ScriptedKey> keyScript;
extern size_t keyScriptNext;
extern int keyScriptGiven;
void resetKeyScript();

// Delivers the next press if the script has one and the circuit may take it; returns its event type
// through eventType (0 when nothing was delivered).
void nextScriptedKey(int* eventType, int* keyChar);
// True when a run without a window has nothing more to do: the script is used up and the circuit rests.
bool keyScriptFinished();

#endif
