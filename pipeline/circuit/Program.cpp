// --program FILE: runs a program of the user's own in place of the ROM's built-in one.
//
// A source ending in .s or .asm is assembled here (the assembler of tarvik-asm); so is any other file
// that is not a memory image but reads like assembly (isAssemblySource); the rest is read as an image.
// Either way the words go to the ROM through the library's memory loading, which checks them against
// the ROM's 64 words before the run and loads them again at every restart.
#include <cstdio>
#include <string>
#include <utility>

#include "Assembler.h"
#include "Capability.h"
#include "CircuitHooks.h"
#include "FileIO.h"
#include "KeyScript.h"
#include "MemImage.h"
#include "Pipeline.h"
#include "ProcessorNames.h"
#include "ProcessorOptions.h"
#include "Views.h"

namespace {

// Assembles the source; its errors are printed in the assembler's own form before the refusal.
bool assembleProgram(const std::string& file, const std::string& source, MemoryImage& image, std::string& problem) {
  Assembly assembly;
  // While the command line is read no variant is placed yet: the default's ROM, which every one shares.
  if (!assemble(source, file, assembly, &placedProcessor())) {
    for (const std::string& e : assembly.errors) fprintf(stderr, "%s\n", shownText(e).c_str());
    problem = file + ": " + std::to_string(assembly.errors.size()) + " error(s) in the program";
    return false;
  }
  image.file = file;
  for (const AssembledWord& w : assembly.words) image.words.push_back({w.address, w.word, w.line});
  return true;
}

}  // namespace

// A source or an image: read once (a FIFO cannot be read twice), then told apart.
bool readProgramFile(const std::string& file, MemoryImage& image, bool& fromSource, std::string& problem) {
  std::string text, reason;
  bool named = hasSourceName(file);
  if (!readWholeFile(file, text, reason)) {
    problem = file + (named ? ": cannot read the program: " : ": cannot read the memory image: ") + reason;
    return false;
  }
  MemoryImage asImage;
  std::string imageProblem;
  bool readsAsImage = !named && parseMemoryImage(text, file, asImage, imageProblem);
  fromSource = isAssemblySource(file, text, readsAsImage);
  if (fromSource) return assembleProgram(file, text, image, problem);
  if (!readsAsImage) problem = "read as a memory image: " + imageProblem;
  image = std::move(asImage);
  return readsAsImage;
}

namespace {

std::string programFile;  // the --program given, "" before one
MemoryImage programImage;  // its words, for the comparison's source lines
bool programFromSource = false;

bool takeProgram(const char* argument, std::string& problem) {
  std::string file = argument;
  // Refused here, before the second program is read: its errors would be beside the point.
  if (!programFile.empty()) {
    problem = "--program is given twice (" + programFile + " and " + file + "): give one program";
    return false;
  }
  noteInputFile(file, "--program");
  MemoryImage image;
  bool fromSource = false;
  if (!readProgramFile(file, image, fromSource, problem)) return false;
  takeProgramImage(processorNames::rom, std::move(image));
  programFromSource = fromSource;
  return true;
}

}  // namespace

void takeProgramImage(const std::string& memory, MemoryImage image) {
  programFile = image.file;
  programImage = image;
  programFromSource = false;
  addMemoryLoad(memory, std::move(image));
  armViews();  // so that a run without --cycles can end at the program's halt
}

// A program of the user's own is run to its end when nothing else says how far: no --cycles, no
// --keys, and no window (where the user drives the clock).
bool programRunsUntilHalt(bool window) { return !programFile.empty() && !cyclesToRun && !keyScriptGiven && !window; }

void resetProgramOption() {
  programFile.clear();
  programImage = MemoryImage();
  programFromSource = false;
}

const MemoryImage& givenProgram() { return programImage; }
bool givenProgramFromSource() { return programFromSource; }

namespace {

const LongOption programOptions[] = {
    {"--program", "FILE",
     "run a program of your own in place of the ROM program: an assembly source (.s or\n"
     ".asm, or any file that reads as assembly, see docs/assembly.md) or a memory image as\n"
     "for --load; the ROM holds 64 words.\n"
     "Without --cycles, --keys or a window the run ends when the program halts (a branch to\n"
     "itself, halt: bra halt, once the words after it are written back), at most 100000 cycles",
     takeProgram},
};

const Capability programCapability = {
    "program", 10, 0, programOptions, 1, true, nullptr, nullptr, resetProgramOption, nullptr, nullptr, nullptr,
};

}  // namespace

void addProgramOption() { addCapability(programCapability); }
