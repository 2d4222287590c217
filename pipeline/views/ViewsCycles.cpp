// --cycles N: the presses that run N cycles, made as the run goes.
//
// They go through the key script, as if given with --keys: '0' releases reset, then '1' twice per
// cycle, each once the circuit has settled.  The script is refilled a block at a time whenever the
// circuit rests with the script used up, so a long run never holds its 2N presses.  Without a window
// the run ends when the last press has settled (as a used-up script ends it); in the window the run
// halts then, and the user can go on by hand.  A restart (F1) runs the cycles again from reset.
//
// A run that stops by itself (--until without --cycles or --keys, or --program without --cycles,
// --keys or a window) runs up to stopCycleCap cycles the same way.  After each cycle read, the --until
// conditions are checked, and a --program run without --cycles ends once its program has halted;
// standard error says which ended it.
//
// In the browser every cycle read is also told to the page's script (Module.onCycle, when it gives
// one), with the cycles planned, for the lab's progress line; the programs' output is the same.
#include <algorithm>
#include <cstdio>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
EM_JS(void, tellPageCycleRead, (double cycle, double planned), {
  if (Module['onCycle']) Module['onCycle'](cycle, planned);
});
#else
static void tellPageCycleRead(double, double) {}
#endif

#include "Globals.h"
#include "KeyScript.h"
#include "Ph4.h"
#include "Ph5.h"
#include "Until.h"
#include "Views.h"
#include "Window.h"

namespace {

const uint64_t pressesPerBlock = 1024;
uint64_t planned = 0;       // the cycles this run makes; 0: none (the user's keys drive it)
bool untilHalt = false;     // --program without --cycles: the program's halt ends the run
uint64_t pressesLeft = 0;
bool haltedAtEnd = false;
bool stopped = false;       // the run was ended (or halted) by a condition or the program's halt

bool window() { return phaseFive->windexPointer->windowOpen; }

uint64_t cyclesToPlan() {
  if (cyclesToRun || keyScriptGiven) return cyclesToRun;
  return stopConditionsGiven() || untilHalt ? stopCycleCap : 0;
}

void stopPresses() {
  stopped = true;
  pressesLeft = 0;
}

// The cap reached without a stop: said once, for a run the user gave no count.
void sayCapReached() {
  if (stopped || cyclesToRun || !untilHalt || stopConditionsGiven()) return;
  fprintf(stderr, "--program: the program did not halt within %llu cycles, where the run ends without --cycles\n",
          (unsigned long long)stopCycleCap);
}

}  // namespace

void cyclesBegin() {
  untilHalt = programRunsUntilHalt(window());
  planned = cyclesToPlan();
  stopped = haltedAtEnd = false;
  pressesLeft = 0;
  if (!planned) return;
  replaceKeyScript({ScriptedKey{1, '0'}});
  pressesLeft = 2 * planned;
}

void cyclesAtRest() {
  if (!planned || !keyScriptUsedUp()) return;
  if (pressesLeft > 0) {
    uint64_t block = std::min(pressesLeft, pressesPerBlock);
    replaceKeyScript(std::vector<ScriptedKey>(size_t(block), ScriptedKey{1, '1'}));
    pressesLeft -= block;
  } else if (!haltedAtEnd) {
    haltedAtEnd = true;
    sayCapReached();
    if (window()) haltFlag = 1;
  }
}

void cyclesAfterRead(const CycleView& c) {
  tellPageCycleRead(double(c.cycle), double(planned));
  if (stopped) return;
  if (stopConditionsGiven() && stopConditionHeld(c.cycle, c.halted())) {
    stopPresses();
  } else if (untilHalt && c.halted()) {
    if (!quietFlag)
      fprintf(stderr, "--program: the program halted at tick %llu (cycle %llu)\n",
              (unsigned long long)phaseFour->time, (unsigned long long)c.cycle);
    stopPresses();
    done = 1;
  }
}
