// Warnings about the traps of the processor's timing that a program's straight-line code walks into:
// a register read before its write is seen, a psr word too late for the branch before it, a store to
// the ROM, a program that runs off its end.  The timing is the circuit's; see docs/assembly.md.
#ifndef TARVIK_HAZARDS_H
#define TARVIK_HAZARDS_H

#include <string>

#include "Assembler.h"

// Fills assembly.warnings (of an assembly without errors), in line and column order.
void findHazards(const std::string& file, Assembly& assembly);

#endif
