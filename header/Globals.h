// Every process-wide global of the simulator, in one place.  Each area defines its own and offers a
// reset to the initial values so that tests stay independent.
#ifndef TARVIK_GLOBALS_H
#define TARVIK_GLOBALS_H

#include <cstdint>

class PhaseOne;
class PhaseTwo;
class PhaseThree;
class PhaseFour;
class PhaseFive;

// Phases, each created by Sim in turn (Sim.cpp; phaseOne in Ph1.cpp).
extern PhaseOne* phaseOne;      // construction lists; exists from the first Signal until flattening
extern PhaseTwo* phaseTwo;      // the flat netlist
extern PhaseThree* phaseThree;  // run-time signal arrays and activation lists
extern PhaseFour* phaseFour;    // time, queue, transitions, run loop
extern PhaseFive* phaseFive;    // window and display settings

// Options (cmdLine.cpp).
extern int red_fg, green_fg, blue_fg;  // -C: foreground colour, all 0 = default
extern int red_bg, green_bg, blue_bg;  // -c: background colour
extern int red_sw, green_sw, blue_sw;  // -S: sub-window colour
extern int earlyExitFlag;              // -E: build and display, do not run
extern char FunctionKeyString[25];     // -F: function-key codes replayed at run start
extern char XW_geometry[20];           // -g: X geometry wxh+x+y
extern char CursorKeyString[25];       // -K: cursor-key codes replayed at run start
extern int connectMuxOnlyFlag;         // -m: interconnecting lines to multiplexers only
extern int profRunTimeFlag[16];        // -p: flags offered to circuits
extern int numberOfProfRunTimeFlags;
extern uint64_t stopTime;         // -T: the run ends once time passes it; 0 = never
extern int displayTimeFlag;       // -t: show time, queue length and slowness
extern int userRunTimeFlag[16];   // -u: flags offered to circuits
extern int numberOfUserRunTimeFlags;
extern char WindowLabelString[25];  // -W: window title suffix
extern int useXDisplay;             // -X clears it: run without a window
extern int zFlagSet;                // -z given
extern int zSetXa, zSetYa, zSetXb, zSetYb;  // -z: start-up zoom corners in pixels
extern int quietFlag;               // --quiet: no start-up text, netlist counts, halt note, headless probe reports
void resetCommandLineGlobals();

// The option scanner (getopt.cpp).
extern int optind;  // next word
extern char* optarg;  // argument of the option just returned
extern int optopt;  // option character last seen
extern int opterr;  // print scanner messages
void resetOptionScanner();
bool optionScannerBetweenWords();  // no cluster of single-character options is half read

// Run control (RunTime.cpp).
extern int done;        // non-zero ends the run
extern int reStart;     // non-zero restarts at time zero at the next step
extern int stallLevel;  // slowness: 2^stallLevel ms wait after each step
extern int haltFlag;    // non-zero pauses the simulation; only input is served
extern int directEvaluationFlag;  // 0: gates and flip-flops through their routines too (for comparison)
void resetRunControl();

// Value colours (Palette.cpp); the colours themselves are the window's bar_color_* (Window.h).
void resetPalette();  // back to the default value colours

// Registration (addStCmp.cpp).
extern int visibleFlag;  // while 0, components are registered without icon

// The other areas keep their state in their own files (most of it file-local, behind functions), each
// with one reset:
//   the declared bundles and module scopes      Bundles.h      resetBundles()      (while the circuit is built)
//   the component kinds, one per component      CompKinds.h    resetComponentKinds()  (once flattened)
//   the name index                              NameIndex.h    resetNameIndex()    (once elaborated)
//   the steps run after elaboration             CircuitHooks.h resetCircuitHooks()
//   a circuit's own long options                CircuitHooks.h resetCircuitOptions()
//   the files named on the command line         FileIO.h       resetFileRoles()
//   the starting stores of memories             MemoryStore.h  resetPreloadedStores()
//   the verdict an exit would mean              ExitStatus.h   setPendingVerdict()
//   capabilities beyond the core, in folders of their own, each with a record (Capability.h) whose
//   reset forgets its state: resetCapabilities() resets them all.  Their globals: keys/KeyScript.h
//   (the --keys script), waves/Vcd.h (vcdFileName), checks/Expect.h (expectFileName), explain/Explain.h
//   (explainDepth); the processor's: Views.h, Gtkw.h, ProcessorOptions.h.

#endif
