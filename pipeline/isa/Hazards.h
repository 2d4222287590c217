// Warnings about the traps of the processor's timing that a program's straight-line code walks into:
// a register read before its write is seen (without forwarding), a psr word too late for the branch before it, a
// store to the ROM, a program that runs off its end.  The timing is the circuit's; see docs/assembly.md.
#ifndef TARVIK_HAZARDS_H
#define TARVIK_HAZARDS_H

#include <string>

#include "Assembler.h"
#include "Variants.h"

// Fills assembly.warnings (of an assembly without errors), in line and column order, on the timing of
// the processor `cpu`: its forwarding, its load interlock and when a register write is seen.
void findHazards(const std::string& file, Assembly& assembly, const ProcessorVariant& cpu = defaultProcessorVariant());

#endif
