// tarvik-sim NETLIST [options]: runs a circuit from its netlist file (written by a circuit program's
// --netlist-out) exactly as the circuit's own program would run, with the same options.  The file is
// read and checked whole before anything is printed or run.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ExitStatus.h"
#include "FileIO.h"
#include "NetlistFile.h"
#include "Sim.h"

namespace {

Netlist loaded;

void buildLoaded() { registerNetlist(loaded); }

[[noreturn]] void refuse(const std::string& problem) {
  fprintf(stderr, "ERROR -- %s\n", problem.c_str());
  setPendingVerdict({exitBadInput, reasonBadInput, ""});
  exit(exitBadInput);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') refuse("usage: tarvik-sim NETLIST [options of the circuit programs]");
  std::string text, reason;
  if (!readWholeFile(argv[1], text, reason)) refuse(std::string(argv[1]) + ": " + reason);
  std::string problem;
  if (!readNetlist(text, argv[1], loaded, problem)) refuse(problem);
  noteInputFile(argv[1], "the netlist");
  offerNetlistRun(loaded);
  argv[1] = argv[0];  // the options follow as they would follow a circuit program's name
  exit(circuitProgramMain(argc - 1, argv + 1, buildLoaded));  // as src/main.cpp ends, for the web page
}
