// The processor's assembler: source text to words, with a listing and every error of the file.
#ifndef TARVIK_ASSEMBLER_H
#define TARVIK_ASSEMBLER_H

#include <cstdint>
#include <string>
#include <vector>

#include "Variants.h"

// Where an operand of a word was written, for messages about it (0: not written).
enum OperandPlace { rdPlace, rs1Place, rs2Place, addressPlace, numberOfPlaces };

struct AssembledWord {
  uint16_t address;
  uint16_t word;
  int line;                         // source line (1-based)
  int column = 1;                   // of the mnemonic or directive
  int columns[numberOfPlaces] = {};  // of each operand, by OperandPlace
  bool data = false;                // placed by .word: not an instruction of the program
};

struct Assembly {
  std::vector<AssembledWord> words;  // in address order of emission
  std::vector<std::string> errors;   // each "FILE:LINE:COL: message\n<the line>\n<caret>", in line and column order
  std::vector<std::string> warnings; // each "FILE:LINE:COL: warning: message\n<the line>\n<caret>" (Hazards.h)
  std::vector<std::string> lines;    // the source lines, for listings
};

// "FILE:LINE:COL: message", the line and a caret under the column (a tab above a tab, so that it lines up).
std::string sourceMessage(const std::string& file, const std::string& text, int line, int column,
                          const std::string& message);

// Whether a program file is an assembly source: by its name (.s, .asm), or when its text is not a
// memory image (readsAsImage false) but its first statement is an instruction, a directive or a label.
bool hasSourceName(const std::string& file);
bool isAssemblySource(const std::string& file, const std::string& text, bool readsAsImage);

// Assembles source; true when there was no error.  file names the source in messages.  With cpu, a word
// past that processor's ROM is an error (once, at the first): the program could not be loaded.
bool assemble(const std::string& source, const std::string& file, Assembly& out,
              const ProcessorVariant* cpu = nullptr);

#endif
