// The netlist's record: --netlist-out FILE writes the registration lists once the circuit description
// has returned, and ends the program without running it.
#include <cstdio>
#include <cstdlib>

#include "Capability.h"
#include "ExitStatus.h"
#include "FileIO.h"
#include "NetlistFile.h"
#include "NetlistTools.h"
#include "Globals.h"
#include "Ph1.h"

namespace {

std::string netlistOut;  // "" when not asked for

bool takeNetlistOut(const char* argument, std::string&) {
  netlistOut = argument;
  quietFlag = 1;  // a program that only writes its file has no keyboard controls to tell of
  noteOutputFile(netlistOut, "--netlist-out");
  return true;
}

[[noreturn]] void refuse(const std::string& problem, VerdictReason reason) {
  fprintf(stderr, "ERROR -- %s\n", problem.c_str());
  setPendingVerdict({exitBadInput, reason, ""});
  exit(exitBadInput);
}

// A circuit whose construction reported faults is left to end as it always does.
void writeNetlistOut() {
  if (netlistOut.empty() || phaseOne->fatalDiagnosticCount > 0) return;
  Netlist netlist;
  std::string problem;
  if (!netlistOfConstruction(netlist, problem)) refuse("--netlist-out: " + problem, reasonBadInput);
  if (!writeWholeFile(netlistOut, netlistText(netlist), problem))
    refuse("--netlist-out " + netlistOut + ": " + problem, reasonWriteFailed);
  setPendingVerdict({exitPassed, reasonPassed, ""});
  exit(exitPassed);
}

void resetNetlistOut() {
  netlistOut.clear();
  resetUsedCircuitTools();
}

const LongOption options[] = {
    {"--netlist-out", "file",
     "(also --netlist-out=<file>) write the circuit's netlist to FILE once it is\n"
     "built, and end without running it; tarvik-sim FILE runs it (docs/netlist.md)",
     takeNetlistOut, "a file name"},
};

}  // namespace

const Capability& netlistCapability() {
  static const Capability record = {
      "netlist", 90, 60, options, 1, false, nullptr, nullptr, resetNetlistOut, nullptr, nullptr, nullptr,
      writeNetlistOut,
  };
  return record;
}
