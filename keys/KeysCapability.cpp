// The key script's record: --keys, and the presses the run loop reads from it.
#include "Capability.h"
#include "KeyScript.h"

namespace {

const LongOption options[] = {
    {"--keys", "script",
     "(also --keys=<script>) key presses replayed during the run, each once the\n"
     "circuit has settled: printable characters stand for themselves; {F1}..{F35},\n"
     "{Left} {Up} {Right} {Down} {Home} {PageUp} {PageDown} {End}, {Return}, {Tab},\n"
     "{Escape}, {BackSpace}, {Delete}, {space}, {braceleft}, {braceright} and\n"
     "{Ctrl-a}..{Ctrl-z} name the other keys.  Timed steps: {@T} waits until tick T,\n"
     "{+N} waits N ticks; the press right after one is made at that tick, settled\n"
     "or not (so a clocked circuit takes it).  Without a window the run ends once\n"
     "the script is used up and the circuit has settled, or at a closing timed step.\n"
     "for example:  -X --keys 0111     -X --keys '{@500}r{+200}'",
     takeKeyScript, "a key script", true},
};

const ScriptedInput script = {
    [] { return keyScriptGiven != 0; }, keyScriptUsedUp, keyScriptWakeTime, keyScriptFinished, nextScriptedKey,
};

}  // namespace

const Capability& keysCapability() {
  static const Capability record = {
      "keys", 10, 0, options, 1, false, nullptr, nullptr, resetKeyScript, nullptr, &script, nullptr,
  };
  return record;
}
