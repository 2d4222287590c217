// The processor variants: one row each, and every part that differs between them (the circuit, the
// assembler's timing warnings, the views, the GTKWave layout, tarvik-asm --cpu, tools/run --cpu, the
// web page, the grader's `processor` key) reads it here.  Adding a variant is a row in Variants.cpp
// and its circuit file, pipeline/circuit/PROGRAM.cpp, whose simnet places the processor with the row.
#ifndef TARVIK_VARIANTS_H
#define TARVIK_VARIANTS_H

#include <deque>
#include <string>
#include <vector>

struct ProcessorVariant {
  const char* tag;      // what --cpu and the grader's `processor` take: "5a"
  const char* program;  // the circuit's program and its circuit file's name: "5a-LD-hazard"
  // EX takes each operand from the word in MEM or WB that writes its register: a read sees every
  // earlier ALU word's write.
  bool forwarding;
  // A word reading the register a load in EX writes waits a cycle in ID (the loadUse signal).
  bool loadInterlock;
  // Without forwarding, a register written by the word fetched at cycle f is read right by the words
  // fetched from f + registerSeenAfter on.
  int registerSeenAfter;
  // The GTKWave save file's last group, of this variant's own signals; no title: none.
  const char* gtkwGroupTitle;
  std::vector<const char*> gtkwGroupSignals;
  const char* docsAnchor;  // its section of docs/processor.md
  unsigned romWords;       // its program ROM's words, from address 0: the assembler refuses a word past them
};

// Every variant: the shipped rows, in order, then any added by addProcessorVariant (a row stays where
// it is: adding one moves none).
const std::deque<ProcessorVariant>& processorVariants();
// The row whose tag is `tag`, or null.
const ProcessorVariant* processorVariantTagged(const std::string& tag);
// The first row, what a processor is without saying which.
const ProcessorVariant& defaultProcessorVariant();
// The tags joined, the last by `lastSeparator`, each within `quote`: ("|", "|") gives "5a|5b",
// (", ", " or ", "\"") gives "\"5a\" or \"5b\"".
std::string processorVariantTags(const std::string& separator, const std::string& lastSeparator,
                                 const std::string& quote = "");
// Adds a row after the shipped ones (a variant built outside this folder, a test's).
void addProcessorVariant(const ProcessorVariant& variant);

#endif
