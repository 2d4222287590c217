// --program FILE: runs an assembly source or a memory image in place of the ROM's built-in program.
#include <string>

#include "CircuitHooks.h"
#include "ProcessorOptions.h"

namespace {

bool takeProgram(const char*, std::string& problem) {
  problem = "--program is not available yet";
  return false;
}

}  // namespace

void addProgramOption() {
  addCircuitOption({"--program", "FILE", "run an assembly source (.s, .asm) or a memory image in place of the ROM program",
                    takeProgram});
}
