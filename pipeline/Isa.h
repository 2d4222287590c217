// The processor's instruction set, written down once: every instruction form with its mnemonic,
// fields and encoding.  The assembler, the disassembler and the processor's views all read it.
#ifndef TARVIK_ISA_H
#define TARVIK_ISA_H

#include <cstdint>
#include <string>

// The word as assembly text.  With address >= 0 a branch target is shown as the absolute address
// (address + offset, modulo 65536); with address < 0 as a relative target ".+N" / ".-N".  The text
// assembles back to the same word (at that address).
std::string disassemble(uint16_t word, int address = -1);

#endif
