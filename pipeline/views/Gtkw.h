// The processor's waveforms laid out for GTKWave (--gtkw FILE): a save file that groups the dump's
// top-level signals by stage, and a translate filter that shows the instruction registers as
// instructions.
#ifndef TARVIK_GTKW_H
#define TARVIK_GTKW_H

#include <string>

extern const char* gtkwFileName;  // --gtkw: GTKWave save file to write before the run; null = none
void resetGtkwGlobals();

// The filter file that goes with a save file: its name with the extension replaced by
// "-mnemonics.txt" (views/run.gtkw -> views/run-mnemonics.txt).
std::string mnemonicFilterPath(const std::string& saveFile);
// Every 16-bit word as GTKWave prints it in hex, then the instruction: "0AF0 setlo r1, 0xf0".
std::string mnemonicFilterText();
// The save file's text; the dump is named only when dumpPath is not null.  Needs the built netlist.
std::string saveFileText(const std::string& filterPath, const char* dumpPath);

#endif
