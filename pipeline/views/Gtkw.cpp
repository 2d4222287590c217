// --gtkw FILE: a GTKWave save file for the processor's waveforms, with the instruction registers
// shown as instructions.
//
// The save file lists the dump's top-level signals in groups headed by comment traces (front panel,
// fetch, the four instruction registers, the register file, flags, memory bus, stalls and branch, and
// last the variant's own group, such as 5b-forwarding's forwarding and interlock signals), vectors in
// hex.  The instruction registers go through a translate filter file written beside it:
// one line per 16-bit word, its four hex digits as GTKWave prints them, then the disassembled
// instruction (branch targets relative, as the filter knows no address).  GTKWave opens the filter by
// the path written in the save file, from its own working directory, so that path is absolute; so is
// the dump's.  Both files are written once the netlist is built, before the run (so --vcd may come
// after --gtkw); they only describe the dump and change nothing in the run.
#include "Gtkw.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Bundles.h"
#include "Capability.h"
#include "CircuitHooks.h"
#include "FileIO.h"
#include "Globals.h"
#include "Isa.h"
#include "NameIndex.h"
#include "Pipeline.h"
#include "ProcessorNames.h"
#include "ProcessorOptions.h"
#include "Vcd.h"

const char* gtkwFileName = nullptr;

namespace {

struct TraceGroup {
  const char* comment;
  std::vector<const char*> signals;
  bool asInstructions;
};

namespace names = processorNames;

const TraceGroup traceGroups[] = {
    {"Clock and reset", {names::clock, names::reset}, false},
    {"IF: PC", {names::pc, names::pcNext}, false},
    {"IR: ID EX MEM WB",
     {names::instructionRegisters[0], names::instructionRegisters[1], names::instructionRegisters[2],
      names::instructionRegisters[3]},
     true},
    {"Registers",
     {names::registers[1], names::registers[2], names::registers[3], names::registers[4], names::registers[5],
      names::registers[6], names::registers[7]},
     false},
    {"Flags", {names::n, names::z}, false},
    {"Memory bus", {names::memory, names::read, names::addressBus, names::dataBus}, false},
    {"Stalls and branch",
     {names::stalls[0], names::stalls[1], names::stalls[2], names::stalls[3], names::branchDecision},
     false},
};

// Trace flags of the save format: right-justified values in hex or binary; a comment; a file filter.
const unsigned hexFlags = 0x22, binaryFlags = 0x28, commentFlags = 0x200, fileFilterFlag = 0x2000;

std::string absolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char here[4096];
  if (!getcwd(here, sizeof here)) return path;
  return std::string(here) + "/" + path;
}

// Flag lines go out only when the flags change, as GTKWave writes them itself.
void setFlags(std::string& text, unsigned& current, unsigned flags) {
  if (flags == current) return;
  char line[16];
  snprintf(line, sizeof line, "@%x\n", flags);
  text += line;
  current = flags;
}

// The dump's variable of the bundle a name picks, with its range when wider than a bit.
void appendTrace(std::string& text, unsigned& flags, const char* name, const std::string& filter) {
  std::string problem;
  int b = bundleNamed(name, problem);
  size_t width = b < 0 ? 0 : declaredBundles()[size_t(b)].bits.size();
  std::string trace = std::string(rootScopeName) + "." + (b < 0 ? name : nameIndex().bundlePaths[size_t(b)]);
  if (width > 1) trace += "[" + std::to_string(width - 1) + ":0]";
  setFlags(text, flags, width > 1 ? hexFlags | (filter.empty() ? 0 : fileFilterFlag) : binaryFlags);
  if (width > 1 && !filter.empty()) text += "^1 " + filter + "\n";
  text += trace + "\n";
}

void appendGroup(std::string& text, unsigned& flags, const TraceGroup& g, const std::string& filterPath) {
  setFlags(text, flags, commentFlags);
  text += std::string("-") + g.comment + "\n";
  for (const char* name : g.signals) appendTrace(text, flags, name, g.asInstructions ? filterPath : "");
}

void fail(const std::string& problem) {
  fprintf(stderr, "ERROR -- --gtkw: %s\n", problem.c_str());
  exit(2);
}

// Both files are checked against the dump and every input before either is written.
void writeWaveformViews() {
  std::string save = absolute(gtkwFileName), filter = absolute(mnemonicFilterPath(gtkwFileName));
  if (vcdFileName && (sameFile(vcdFileName, save) || sameFile(vcdFileName, filter)))
    fail("the save file and its filter " + filter + " must not be the --vcd dump");
  std::string conflict = conflictWithNotedFiles(save, "--gtkw");
  if (conflict.empty()) conflict = conflictWithNotedFiles(filter, "(the --gtkw filter)");
  if (!conflict.empty()) fail(conflict);
  // A save file that names no dump opens nothing in GTKWave.
  if (!vcdFileName) fail("needs --vcd FILE too: the save file lays out that dump");
  std::string reason;
  if (!writeWholeFile(save, saveFileText(filter, vcdFileName), reason)) fail("cannot write " + save + ": " + reason);
  if (!writeWholeFile(filter, mnemonicFilterText(), reason)) fail("cannot write " + filter + ": " + reason);
}

bool takeGtkw(const char* argument, std::string& problem) {
  if (!*argument) {
    problem = "--gtkw needs a file name";
    return false;
  }
  if (!gtkwFileName) addAfterElaborationHook(writeWaveformViews);
  gtkwFileName = argument;
  return true;
}

}  // namespace

std::string mnemonicFilterPath(const std::string& saveFile) {
  size_t slash = saveFile.rfind('/');
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = saveFile.rfind('.');
  bool hasExtension = dot != std::string::npos && dot > nameStart;
  return saveFile.substr(0, hasExtension ? dot : saveFile.size()) + "-mnemonics.txt";
}

std::string mnemonicFilterText() {
  std::string text;
  char hex[8];
  for (unsigned word = 0; word <= 0xFFFF; word++) {
    snprintf(hex, sizeof hex, "%04X ", word);
    text += hex + disassemble(uint16_t(word)) + "\n";
  }
  return text;
}

std::string saveFileText(const std::string& filterPath, const char* dumpPath) {
  const ProcessorVariant& cpu = placedProcessor();
  std::string text =
      std::string("[*] ") + cpu.program +
      ": the processor's waveforms by stage; open with  gtkwave DUMP.vcd THIS.gtkw\n"
      "[*] The instruction registers are shown through the filter file named on their ^1 lines.\n";
  if (dumpPath) text += "[dumpfile] \"" + absolute(dumpPath) + "\"\n";
  text += "[size] 1400 900\n[pos] -1 -1\n[sst_expanded] 0\n[signals_width] 150\n";
  unsigned flags = 0;
  for (const TraceGroup& g : traceGroups) appendGroup(text, flags, g, filterPath);
  if (cpu.gtkwGroupTitle) appendGroup(text, flags, {cpu.gtkwGroupTitle, cpu.gtkwGroupSignals, false}, filterPath);
  return text;
}

void resetGtkwGlobals() {
  gtkwFileName = nullptr;
}

namespace {

const LongOption gtkwOptions[] = {
    {"--gtkw", "FILE",
     "write a GTKWave save file for the --vcd dump (given with --vcd, which it needs): the\n"
     "signals grouped by stage, values in hex, the instruction registers as instructions\n"
     "through the filter FILE-mnemonics.txt (FILE's extension replaced), written beside it;\n"
     "open with  gtkwave DUMP.vcd FILE",
     takeGtkw},
};

const Capability gtkwCapability = {
    "waves views", 20, 0, gtkwOptions, 1, true, nullptr, nullptr, resetGtkwGlobals, nullptr, nullptr, nullptr,
};

}  // namespace

void addWaveformOptions() { addCapability(gtkwCapability); }
