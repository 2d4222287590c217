// tarvik-asm: the processor's assembler and disassembler on the command line.
//
// Assembling writes a memory image in the text hex format (one word a line, "@ADDR" where the address
// jumps), which --load and --program read; -l adds to each word a comment with its address and source
// line.  Warnings about the program's timing traps on the processor named by --cpu (5a-LD-hazard unless
// told otherwise) go to standard error unless -w.  -d reads an image (either format the simulator
// loads) and prints it as a source that assembles back to it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "Assembler.h"
#include "FileIO.h"
#include "Hazards.h"
#include "Listing.h"
#include "LongOption.h"
#include "MemImage.h"
#include "StdStreams.h"
#include "Variants.h"

namespace {

const char usageBeforeCpu[] =
    "\n"
    "  -l          give every word of the image a comment \"// ADDR: source line\"\n"
    "  -w, --no-warnings\n"
    "              do not warn about timing traps (a register read before its write is seen, a psr\n"
    "              word too late for its branch, a store to the ROM, no halt at the end)\n";
const char usageAfterCpu[] =
    " warn about the timing of 5a-LD-hazard (the default) or of 5b-forwarding, which\n"
    "              forwards registers and interlocks a load's reader: no register read is warned of\n"
    "  -o OUT      write to OUT instead of standard output\n"
    "  -d          disassemble: one source line per word, \"instruction ; ADDR: WORD\", branch targets\n"
    "              as labels; it assembles back to the same image\n"
    "  -h, --help  show this text\n"
    "\n"
    "Errors in the source are printed as FILE:LINE:COL: message, with the line and a caret; then no image\n"
    "is written and the exit status is 1.  Warnings (FILE:LINE:COL: warning: message) leave the image and\n"
    "the exit status 0.  Bad usage or an unreadable file: exit status 2; so is a FILE not named .s or .asm\n"
    "that is a memory image (-d lists it).\n"
    "The assembly language is described in docs/assembly.md.\n";

// The usage lines and the --cpu line list the tags of every processor variant.
std::string usageText() {
  std::string tags = processorVariantTags("|", "|");
  std::string assembling = "tarvik-asm [-l] [-w] [--cpu " + tags + "] [-o OUT] FILE.s";
  std::string listing = "tarvik-asm -d [-o OUT] IMAGE";
  size_t width = std::max(assembling.size(), listing.size()) + 2;
  assembling.resize(width, ' ');
  listing.resize(width, ' ');
  std::string cpu = "--cpu " + tags;
  cpu.resize(std::max<size_t>(cpu.size(), 11), ' ');
  return "Usage: " + assembling + "assemble FILE.s into a memory image\n       " + listing +
         "list a memory image as instructions\n" + usageBeforeCpu + ("  " + cpu) + usageAfterCpu;
}

struct Options {
  bool listing = false;
  bool disassembling = false;
  bool warnings = true;
  const ProcessorVariant* cpu = nullptr;  // the default once the command line is read (the rows are ready)
  bool cpuGiven = false;
  std::string output;  // empty: standard output
  std::string input;
  bool helpAsked = false;
};

Options options;  // the long options' rows fill it in

int refuse(const std::string& message) {
  fprintf(stderr, "ERROR -- %s\n", shownText(message).c_str());
  return 2;
}

bool takeNoWarnings(const char*, std::string&) {
  options.warnings = false;
  return true;
}

// The --cpu refusals name every variant's tag.
std::string cpuTags() { return processorVariantTags(", ", " or "); }

bool takeCpu(const char* argument, std::string& problem) {
  std::string name = argument;
  const ProcessorVariant* variant = processorVariantTagged(name);
  if (!variant) {
    problem = "--cpu " + name + ": the processor is " + cpuTags();
    return false;
  }
  options.cpu = variant;
  options.cpuGiven = true;
  return true;
}

bool takeHelp(const char*, std::string&) {
  options.helpAsked = true;
  return true;
}

// The usage text lays these out by hand, among the single-letter options.
const size_t longOptionCount = 3;
const LongOption* longOptions() {
  static const std::string cpuMissing = "--cpu needs " + cpuTags();
  static const LongOption table[longOptionCount] = {
      {"--no-warnings", nullptr, nullptr, takeNoWarnings, nullptr, false, nullptr, true},
      {"--cpu", "TAG", nullptr, takeCpu, nullptr, true, cpuMissing.c_str()},
      {"--help", nullptr, nullptr, takeHelp, nullptr, false, nullptr, true},
  };
  return table;
}

// Reads one word (and the argument it takes); returns -1 to go on, or the exit status.
int readWord(int argc, char** argv, int& i) {
  std::string a = argv[i], problem;
  if (a == "-l") {
    options.listing = true;
  } else if (a == "-w") {
    takeNoWarnings(nullptr, problem);
  } else if (a == "-d") {
    options.disassembling = true;
  } else if (a == "-o") {
    if (++i == argc) return refuse("-o needs a file name");
    options.output = argv[i];
  } else if (a == "-h") {
    takeHelp(nullptr, problem);
  } else if (a.size() > 1 && a[0] == '-') {
    LongOptionMatch m = takeLongOptionFrom(longOptions(), longOptionCount, argc, argv, i, problem);
    if (m == longOptionRefused) return refuse(problem);
    if (m == longOptionNotInTable) return refuse("unknown option '" + a + "' (tarvik-asm --help lists the options)");
  } else if (!options.input.empty()) {
    return refuse("one file at a time: '" + options.input + "' and '" + a + "'");
  } else {
    options.input = a;
  }
  return -1;
}

// Reads the command line into options; returns -1 to go on, or the exit status.
int readOptions(int argc, char** argv) {
  options.cpu = &defaultProcessorVariant();
  for (int i = 1; i < argc; ++i) {
    int status = readWord(argc, argv, i);
    if (status >= 0) return status;
    if (options.helpAsked) {
      fputs(usageText().c_str(), stdout);
      return 0;
    }
  }
  const Options& o = options;
  if (o.input.empty()) return refuse("no file given (tarvik-asm --help shows the usage)");
  if (o.listing && o.disassembling) return refuse("-l lists a source; it does not go with -d");
  if (!o.warnings && o.disassembling) return refuse("-w turns off the warnings of assembling; it does not go with -d");
  if (o.cpuGiven && o.disassembling) return refuse("--cpu picks the warnings of assembling; it does not go with -d");
  if (!o.output.empty() && sameFile(o.output, o.input))
    return refuse("the output -o " + o.output + " is the input " + o.input + ": it would be overwritten");
  return -1;
}

// Written whole and checked: a full disk or a closed pipe is an error, not a short image with status 0.
int writeResult(const Options& o, const std::string& text) {
  std::string reason;
  if (!o.output.empty())
    return writeWholeFile(o.output, text, reason) ? 0 : refuse("cannot write '" + o.output + "': " + reason);
  bool written = fwrite(text.data(), 1, text.size(), stdout) == text.size();
  if (flushedWithoutError(stdout, reason) && written) return 0;
  return refuse("cannot write to standard output: " + reason);
}

// The source's name in the image's first comment: a control character there (a newline above all)
// would end the comment and put the rest of the name among the words.
std::string commentSafe(const std::string& name) {
  std::string safe;
  for (unsigned char c : name) {
    char escaped[8];
    snprintf(escaped, sizeof escaped, "\\x%02X", c);
    safe += c < 32 || c == 127 ? std::string(escaped) : std::string(1, char(c));
  }
  return safe;
}

std::string hex4(uint64_t value) {
  char text[24];
  snprintf(text, sizeof text, "%04llX", static_cast<unsigned long long>(value));
  return text;
}

std::string withoutTrailingSpace(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

std::string imageText(const Options& o, const Assembly& assembly) {
  std::string text = "// " + commentSafe(o.input) + ", assembled by tarvik-asm\n";
  uint32_t next = 0;
  for (const AssembledWord& w : assembly.words) {
    if (w.address != next) text += "@" + hex4(w.address) + "\n";
    text += hex4(w.word);
    if (o.listing) text += "  // " + hex4(w.address) + ": " + withoutTrailingSpace(assembly.lines[w.line - 1]);
    text += "\n";
    next = w.address + 1u;
  }
  return text;
}

int assembleFile(const Options& o) {
  std::string source, reason;
  if (!readWholeFile(o.input, source, reason)) return refuse(o.input + ": cannot read the source: " + reason);
  MemoryImage image;
  std::string problem;
  // Refused only when it is an image: a text that is neither gets the assembler's own errors.
  bool readsAsImage =
      parseMemoryImage(source, o.input, image, problem) && !(image.words.empty() && image.bytes.empty());
  if (readsAsImage && !isAssemblySource(o.input, source, readsAsImage))
    return refuse(o.input + " is a memory image, not an assembly source (tarvik-asm -d lists it)");
  Assembly assembly;
  if (!assemble(source, o.input, assembly, o.cpu)) {
    for (const std::string& e : assembly.errors) fprintf(stderr, "%s\n", shownText(e).c_str());
    return 1;
  }
  if (o.warnings) findHazards(o.input, assembly, *o.cpu);
  for (const std::string& w : assembly.warnings) fprintf(stderr, "%s\n", shownText(w).c_str());
  return writeResult(o, imageText(o, assembly));
}

int disassembleFile(const Options& o) {
  MemoryImage image;
  std::string text, problem;
  if (!readWholeFile(o.input, text, problem)) return refuse(o.input + ": cannot read the memory image: " + problem);
  if (!parseMemoryImage(text, o.input, image, problem)) {
    bool source = isAssemblySource(o.input, text, false);
    std::string hint = source ? " (an assembly source? tarvik-asm without -d assembles it)" : "";
    return refuse("read as a memory image: " + problem + hint);
  }
  std::vector<ImageWord> given;  // an Intel HEX image's bytes become words here, two to a word
  if (!imageWords(image, 16, 0x10000, "the processor's memory", given, problem)) return refuse(problem);
  std::map<uint32_t, uint16_t> words;  // a later word at the same address wins, as when loading
  for (const ImageWord& w : given) words[w.address] = static_cast<uint16_t>(w.value);
  return writeResult(o, sourceListing(words));
}

}  // namespace

int main(int argc, char** argv) {
  reportMemoryExhaustion();
  int status = readOptions(argc, argv);
  if (status >= 0) return status;
  return options.disassembling ? disassembleFile(options) : assembleFile(options);
}
