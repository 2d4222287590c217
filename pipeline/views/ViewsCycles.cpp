// --cycles N: the presses that run N cycles, made as the run goes.
//
// They go through the key script, as if given with --keys: '0' releases reset, then '1' twice per
// cycle, each once the circuit has settled.  The script is refilled a block at a time whenever the
// circuit rests with the script used up, so a long run never holds its 2N presses.  Without a window
// the run ends when the last press has settled (as a used-up script ends it); in the window the run
// halts then, and the user can go on by hand.  A restart (F1) runs the cycles again from reset.
#include <algorithm>

#include "Globals.h"
#include "KeyScript.h"
#include "Ph5.h"
#include "Views.h"
#include "Window.h"

namespace {

const uint64_t pressesPerBlock = 1024;
uint64_t pressesLeft = 0;
bool haltedAtEnd = false;

}  // namespace

void cyclesBegin() {
  replaceKeyScript({ScriptedKey{1, '0'}});
  pressesLeft = 2 * cyclesToRun;
  haltedAtEnd = false;
}

void cyclesAtRest() {
  if (!keyScriptUsedUp()) return;
  if (pressesLeft > 0) {
    uint64_t block = std::min(pressesLeft, pressesPerBlock);
    replaceKeyScript(std::vector<ScriptedKey>(size_t(block), ScriptedKey{1, '1'}));
    pressesLeft -= block;
  } else if (!haltedAtEnd && phaseFive->windexPointer->display) {
    haltedAtEnd = true;
    haltFlag = 1;
  }
}
