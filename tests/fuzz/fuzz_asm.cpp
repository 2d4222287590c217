// Fuzz target: the processor's assembler, and the disassembler against it.
//
// The input is an assembly source.  A refused source has errors, in line order, each
// "f.s:LINE:COL: message" on a line of the source and a column within it (one past its end for a
// missing operand), followed by that line and a caret under the column.  An accepted one has no
// errors, its listing lines are the source's, and its words lie at distinct addresses and come from
// lines of the source.  Then every word is disassembled at its address, with absolute and with
// relative (.+N) branch targets, and each text, placed at that address by .org, must assemble back to
// the same word.  Every word has such a text (docs/assembly.md), so no word is skipped.  The hazard
// warnings of an accepted source are shown as errors are, in line order; and the -d listing of its
// words assembles back to the same words.
//
// The same bytes, read as choices, also make a constant expression of numbers (up to 64 bits, in
// decimal, hex or binary), + and -, and nested lo( and hi(, whose exact value is worked out here apart
// from the assembler: as a .word it must assemble to that value's 16 bits when every number is at most
// 0xFFFFFFFF and the value fits -32768..65535, and be refused otherwise (a saturated or wrapped number
// would give a wrong byte with no error).
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Assembler.h"
#include "FuzzCheck.h"
#include "Hazards.h"
#include "Isa.h"
#include "Listing.h"

namespace {

void checkError(const std::string& error, const std::vector<std::string>& lines, long& lastLine) {
  size_t at = 0;
  long line = lineOfMessage(error, "f.s", at);
  require(line >= 1 && size_t(line) <= lines.size(), "an error names a line of the source");
  require(line >= lastLine, "errors come in line order");
  lastLine = line;
  const std::string& text = lines[size_t(line - 1)];
  long column = numberAt(error, at);
  require(column >= 1 && size_t(column) <= text.size() + 1, "an error's column lies within its line");
  require(error.compare(at, 2, ": ") == 0 && error.size() > at + 2 && error[at + 2] != '\n',
          "an error has a message after its column");
  size_t shownLine = error.find('\n', at);
  require(shownLine != std::string::npos && error.compare(shownLine + 1, text.size() + 1, text + "\n") == 0,
          "an error shows its source line");
  std::string caret = error.substr(shownLine + text.size() + 2);
  require(!caret.empty() && caret.size() <= size_t(column) && caret.back() == '^' &&
              caret.find_first_not_of(" \t") == caret.size() - 1,
          "an error's caret stands under its column");
}

void checkWords(const Assembly& a, const std::vector<std::string>& lines) {
  require(a.lines == lines, "the listing lines are the source's");
  std::set<uint16_t> addresses;
  for (const AssembledWord& w : a.words) {
    require(addresses.insert(w.address).second, "no two words share an address");
    require(w.line >= 1 && size_t(w.line) <= lines.size(), "a word comes from a line of the source");
  }
}

// Each word's disassembly, placed at its address, in one style of branch target.
std::string disassembly(const std::vector<AssembledWord>& words, bool absoluteTargets) {
  std::string source;
  for (const AssembledWord& w : words)
    source += ".org " + std::to_string(w.address) + "\n" + disassemble(w.word, absoluteTargets ? w.address : -1) + "\n";
  return source;
}

void checkRoundTrip(const Assembly& a, bool absoluteTargets) {
  Assembly again;
  require(assemble(disassembly(a.words, absoluteTargets), "d.s", again), "a disassembly assembles");
  require(again.words.size() == a.words.size(), "a disassembly gives as many words");
  for (size_t i = 0; i < a.words.size(); i++)
    require(again.words[i].address == a.words[i].address && again.words[i].word == a.words[i].word,
            "a disassembled word assembles back to itself at its address");
}

// The input's bytes as a stream of choices; zeros once they run out, so that every expression ends.
// At most termsLeft terms an expression, so that it stays as cheap to assemble as a line.
struct Choices {
  const uint8_t* data;
  size_t size, at = 0;
  int termsLeft = 8;
  uint8_t next() { return at < size ? data[at++] : 0; }
};

// An expression's text and its exact value; numberTooLarge when a number is past 0xFFFFFFFF.
struct Expression {
  std::string text;
  __int128 value = 0;
  bool numberTooLarge = false;
};

std::string numberText(uint64_t n, uint8_t style) {
  if (style % 3 == 0) return std::to_string(n);
  const char* digits = "0123456789ABCDEF";
  int bits = style % 3 == 1 ? 4 : 1;
  std::string text;
  do {
    text.insert(text.begin(), digits[n & ((1u << bits) - 1)]);
    n >>= bits;
  } while (n);
  return (bits == 4 ? "0x" : "0b") + text;
}

// The byte lo( or hi( takes: of the value as a 16-bit word, two's complement.
int byteOf(__int128 value, bool high) {
  int word = int(((value % 65536) + 65536) % 65536);
  return high ? word >> 8 : word & 0xFF;
}

Expression expression(Choices& in, int depth);

// A number of 1 to 8 bytes, or lo(X) / hi(X) while not too deep.
Expression term(Choices& in, int depth) {
  uint8_t kind = in.next();
  Expression t;
  if (depth < 3 && kind % 3 == 0 && --in.termsLeft > 0) {
    bool high = kind & 8;
    Expression inner = expression(in, depth + 1);
    t.text = (high ? "hi(" : "lo(") + inner.text + ")";
    t.value = byteOf(inner.value, high);
    t.numberTooLarge = inner.numberTooLarge;
    return t;
  }
  uint64_t n = 0;
  for (int bytes = 1 + (kind >> 2) % 8; bytes > 0; bytes--) n = n << 8 | in.next();
  t.text = numberText(n, kind >> 5);
  t.value = n;
  t.numberTooLarge = n > 0xFFFFFFFFu;
  return t;
}

// [-] term, then up to three more terms joined by + or -.
Expression expression(Choices& in, int depth) {
  Expression e;
  uint8_t shape = in.next();
  for (int i = 0; i <= shape % 4 && (i == 0 || --in.termsLeft > 0); i++) {
    bool minus = (shape >> (2 + i)) & 1;
    Expression t = term(in, depth);
    e.text += (i == 0 ? (minus ? "-" : "") : (minus ? " - " : " + ")) + t.text;
    e.value += minus ? -t.value : t.value;
    e.numberTooLarge = e.numberTooLarge || t.numberTooLarge;
  }
  return e;
}

void checkExpressionValue(const uint8_t* data, size_t size) {
  Choices in{data, size};
  Expression e = expression(in, 0);
  Assembly a;
  bool good = assemble(".word " + e.text + "\n", "v.s", a);
  bool fits = !e.numberTooLarge && e.value >= -32768 && e.value <= 65535;
  require(good == fits, "an expression is refused exactly when a number or its value does not fit");
  require(!good || a.words[0].word == uint16_t(byteOf(e.value, true) << 8 | byteOf(e.value, false)),
          "an expression assembles to its exact value");
}

// The listing of the words (a later word at an address wins, as when loading) assembles back to them.
void checkListing(const Assembly& a) {
  std::map<uint32_t, uint16_t> words;
  for (const AssembledWord& w : a.words) words[w.address] = w.word;
  Assembly again;
  require(assemble(sourceListing(words), "l.s", again), "a listing assembles");
  std::map<uint32_t, uint16_t> back;
  for (const AssembledWord& w : again.words) back[w.address] = w.word;
  require(back == words, "a listing assembles back to its words");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string source = textOf(data, size);
  std::vector<std::string> lines = sourceLines(source);
  checkExpressionValue(data, size);
  Assembly a;
  bool good = assemble(source, "f.s", a);
  require(good == a.errors.empty(), "an assembly fails exactly when it has errors");
  long lastLine = 1;
  for (const std::string& e : a.errors) checkError(e, lines, lastLine);
  if (!good) return 0;
  checkWords(a, lines);
  checkRoundTrip(a, true);
  checkRoundTrip(a, false);
  checkListing(a);
  for (const ProcessorVariant& cpu : processorVariants()) {
    findHazards("f.s", a, cpu);
    long lastWarning = 1;
    for (const std::string& w : a.warnings) checkError(w, lines, lastWarning);
  }
  return 0;
}
