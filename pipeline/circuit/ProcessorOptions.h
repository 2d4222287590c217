// The processor program's own long options: each area of the processor's tools adds its options here.
#ifndef TARVIK_PROCESSOROPTIONS_H
#define TARVIK_PROCESSOROPTIONS_H

#include <string>

#include "MemImage.h"

// Adds every long option of 5a-LD-hazard to the command line (before Sim).
void addProcessorOptions();

void addProgramOption();    // --program (Program.cpp)
void resetProgramOption();  // forgets the --program given
// A program's words for MEMORY (the ROM), as --program gives them once read (a netlist file keeps them).
void takeProgramImage(const std::string& memory, MemoryImage image);
// A program as --program reads it: a source (fromSource, assembled here) or a memory image.  False with
// problem when it cannot be read or does not assemble (the assembler's errors already printed).
bool readProgramFile(const std::string& file, MemoryImage& image, bool& fromSource, std::string& problem);
// The program --program gave (no words before one), and whether it was assembled from a source.
const MemoryImage& givenProgram();
bool givenProgramFromSource();
void addCompareOptions();   // --compare-with, --compare-at (ViewsCompare.cpp)
void addWaveformOptions();  // --gtkw (Gtkw.cpp)
void addViewOptions();      // --cycles, --trace, --diagram, --summary (ViewsOptions.cpp)

#endif
