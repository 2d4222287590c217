// Warnings about the traps of the processor's timing that a program's straight-line code walks into:
// a register read before its write is seen (5a only), a psr word too late for the branch before it, a
// store to the ROM, a program that runs off its end.  The timing is the circuit's; see docs/assembly.md.
#ifndef TARVIK_HAZARDS_H
#define TARVIK_HAZARDS_H

#include <string>

#include "Assembler.h"

// The processor whose timing is followed: 5a-LD-hazard reads a register only once its write is seen;
// 5b-forwarding forwards every register a word reads and holds a load's reader one cycle in ID.
enum class HazardCpu { stale5a, forwarding5b };

// Fills assembly.warnings (of an assembly without errors), in line and column order.
void findHazards(const std::string& file, Assembly& assembly, HazardCpu cpu = HazardCpu::stale5a);

#endif
