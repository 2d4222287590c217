// The processor's assembler: source text to words, with a listing and every error of the file.
#ifndef TARVIK_ASSEMBLER_H
#define TARVIK_ASSEMBLER_H

#include <cstdint>
#include <string>
#include <vector>

struct AssembledWord {
  uint16_t address;
  uint16_t word;
  int line;  // source line (1-based)
};

struct Assembly {
  std::vector<AssembledWord> words;  // in address order of emission
  std::vector<std::string> errors;   // each "FILE:LINE:COL: message\n<the line>\n<caret>"
  std::vector<std::string> lines;    // the source lines, for listings
};

// Assembles source; true when there was no error.  file names the source in messages.
bool assemble(const std::string& source, const std::string& file, Assembly& out);

#endif
