// The assembler: source text to words.
//
// Two passes over the lines.  The first lexes each line, defines its label or .equ name, checks its
// mnemonic and places its words, so that every label has its address before any use; the second
// encodes the operands (constants as expressions of numbers and names) through the statement's form in
// the instruction table.  An error ends the work on its line only, so every faulty line of the file is
// reported, each as "FILE:LINE:COL: message", the line and a caret under the column, in line and column
// order.
#include "Assembler.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "Isa.h"
#include "Numbers.h"
#include "TextLines.h"

namespace {

const uint32_t addressLimit = 65536;
const uint16_t operationField = 0x7 << operationShift;

struct Token {
  std::string text;
  int column;  // 1-based
};

struct Statement {
  int line;                   // 1-based
  std::vector<Token> tokens;  // from the mnemonic on
  int endColumn;              // just past the last token, for "missing operand"
  uint32_t address;           // of its first word
  const InstructionForm* form;  // null for a directive
};

// A label (its address) or a .equ name (its value): one namespace.
struct Name {
  long long value;
  int line;
  bool label;
};
using Names = std::map<std::string, Name>;

// The state of one assembly: where errors go, the labels and the addresses already holding a word.
struct Run {
  const std::string& file;
  Assembly& out;
  const ProcessorVariant* cpu;  // whose ROM the words must fit; null: any address
  bool pastRom = false;         // a word past it was reported (once: the rest of the program follows it)
  Names names;
  std::map<uint32_t, int> taken;  // address -> source line of its word
  std::vector<std::pair<std::pair<int, int>, std::string>> errors;  // by line and column; the passes interleave them

  void error(int line, int column, const std::string& message) {
    errors.push_back({{line, column}, sourceMessage(file, out.lines[line - 1], line, column, message)});
  }
};

std::string lower(const std::string& s) {
  std::string l;
  for (char c : s) l += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l;
}

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }
bool isLabelName(const std::string& s) {
  return !s.empty() && (std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_');
}
bool isNumberStart(const std::string& s) { return std::isdigit(static_cast<unsigned char>(s[0])) != 0; }
// r0..r7, and r8, r12 ... which are refused as registers rather than taken for names.
bool isRegisterLike(const std::string& s) {
  return s.size() > 1 && (s[0] == 'r' || s[0] == 'R') && std::isdigit(static_cast<unsigned char>(s[1]));
}
const int maxDepth = 64;  // of lo( and hi(: a deeper line is refused rather than exhausting the stack

std::string shown(char c) {
  if (std::isprint(static_cast<unsigned char>(c))) return std::string("'") + c + "'";
  char hex[8];
  snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(c));
  return hex;
}

// Splits a line into words (letters, digits, '_', '.') and single punctuation characters, up to a
// comment.  False with the column of a character that belongs to neither.
bool lex(const std::string& text, std::vector<Token>& tokens, int& badColumn) {
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == ';' || c == '#' || text.compare(i, 2, "//") == 0) break;
    if (c == ' ' || c == '\t') {
      ++i;
    } else if (isWordChar(c)) {
      size_t start = i;
      while (i < text.size() && isWordChar(text[i])) ++i;
      tokens.push_back({text.substr(start, i - start), static_cast<int>(start) + 1});
    } else if (std::string(",[]+-&|:()").find(c) != std::string::npos) {
      tokens.push_back({std::string(1, c), static_cast<int>(i) + 1});
      ++i;
    } else {
      badColumn = static_cast<int>(i) + 1;
      return false;
    }
  }
  return true;
}

// The largest number written, and the bound on an expression's sums: every value within them is exact,
// so lo( and hi( always take the bytes of the true value.
const uint64_t maxNumber = 0xFFFFFFFF;
const long long maxSum = 1LL << 50;

// Decimal, 0x hex or 0b binary, at most maxNumber: a number reading, whose fault tells too large apart.
NumberReading parseNumber(const std::string& text) {
  NumberSyntax syntax;
  syntax.hexPrefix = syntax.binaryPrefix = syntax.capitalPrefix = true;
  syntax.max = maxNumber;
  return readNumber(text, syntax);
}

// Reads the operands of one statement; the first fault is kept with its column.
struct OperandReader {
  const Statement& statement;
  std::string usage;  // "add takes rd, rs1, rs2|constant"
  const Names& names;  // those defined so far (in the second pass: all)
  size_t next = 1;
  std::string error;
  int errorColumn = 0;
  int columns[numberOfPlaces] = {};
  int depth = 0;  // of lo( and hi( around the term being read

  OperandReader(const Statement& s, const std::string& u, const Names& n) : statement(s), usage(u), names(n) {}

  bool fail(int column, const std::string& message) {
    if (error.empty()) error = message, errorColumn = column;
    return false;
  }
  bool atEnd() const { return next >= statement.tokens.size(); }
  const Token& peek() const { return statement.tokens[next]; }
  bool missing() { return fail(statement.endColumn, "missing operand: " + usage); }
  bool expected(const std::string& what) {
    if (atEnd()) return missing();
    return fail(peek().column, "expected " + what + ", found '" + peek().text + "'");
  }
  bool takeIf(const char* text) {
    if (atEnd() || peek().text != text) return false;
    ++next;
    return true;
  }
  bool take(const char* text) { return takeIf(text) || expected(std::string("'") + text + "'"); }
  bool finish() { return atEnd() || fail(peek().column, "extra operand: " + usage); }

  bool reg(uint16_t& word, int shift) {
    if (atEnd()) return missing();
    const std::string name = lower(peek().text);
    if (name.size() != 2 || name[0] != 'r' || name[1] < '0' || name[1] > '7') {
      if (name[0] == 'r' && name.size() > 1 && std::isdigit(static_cast<unsigned char>(name[1])))
        return fail(peek().column, "bad register '" + peek().text + "' (registers are r0..r7)");
      return expected("a register (r0..r7)");
    }
    word |= static_cast<uint16_t>((name[1] - '0') << shift);
    columns[shift == rdShift ? rdPlace : shift == rs1Shift ? rs1Place : rs2Place] = peek().column;
    ++next;
    return true;
  }

  bool unsignedNumber(long long& value) {
    if (atEnd()) return missing();
    if (!isNumberStart(peek().text)) return expected("a number");
    NumberReading r = parseNumber(peek().text);
    if (r.fault == numberOutOfRange || r.fault == numberTooWide)
      return fail(peek().column, "number '" + peek().text + "' too large (at most 0xFFFFFFFF)");
    if (r.fault != numberRead) return fail(peek().column, "bad number '" + peek().text + "'");
    value = static_cast<long long>(r.value);
    ++next;
    return true;
  }

  // A label or .equ name, defined before the statement in the first pass.
  bool nameValue(long long& value) {
    auto found = names.find(peek().text);
    if (found == names.end()) return fail(peek().column, "undefined label '" + peek().text + "'");
    if (found->second.label && found->second.value >= addressLimit)  // a label after the word at 65535
      return fail(peek().column, "label '" + peek().text + "' is at 65536, past the last address 65535");
    value = found->second.value;
    ++next;
    return true;
  }

  bool isFunction() const {
    std::string name = lower(peek().text);
    return (name == "lo" || name == "hi") && next + 1 < statement.tokens.size() &&
           statement.tokens[next + 1].text == "(";
  }

  // lo(X) or hi(X): the low or the high byte of X as a 16-bit word.
  bool function(long long& value) {
    bool low = lower(peek().text) == "lo";
    next += 2;
    if (++depth > maxDepth) return fail(statement.tokens[next - 2].column, "lo( and hi( nested too deeply");
    long long inner = 0;
    if (!expression(inner) || !take(")")) return false;
    --depth;
    value = low ? inner & 0xFF : (inner & 0xFFFF) >> 8;
    return true;
  }

  // A number, a name or lo(X) / hi(X).
  bool term(long long& value) {
    if (atEnd()) return missing();
    if (isNumberStart(peek().text)) return unsignedNumber(value);
    if (isLabelName(peek().text)) return isFunction() ? function(value) : nameValue(value);
    return expected("a number");
  }

  // [-] term, then + term or - term any number of times.  A sum past +-maxSum is refused, not clamped:
  // a clamped sum brought back into range by a later term would be a wrong value.
  bool expression(long long& value) {
    bool negative = takeIf("-");
    if (!term(value)) return false;
    if (negative) value = -value;
    while (!atEnd() && (peek().text == "+" || peek().text == "-")) {
      bool minus = peek().text == "-";
      int column = peek().column;
      ++next;
      long long t = 0;
      if (!term(t)) return false;
      value = minus ? value - t : value + t;
      if (value < -maxSum || value > maxSum) return fail(column, "expression too large (past 2^50)");
    }
    return true;
  }

  bool number(long long min, long long max, long long& value) {
    int column = atEnd() ? statement.endColumn : peek().column;
    if (!expression(value)) return false;
    if (value < min || value > max)
      return fail(column, "constant " + std::to_string(value) + " out of range " + std::to_string(min) + ".." +
                              std::to_string(max));
    return true;
  }

  // Register rs2, or the signed 3-bit constant with bit 6 set.  A constant above constant3Max (only an
  // address's "- 4" may have one) goes in negated, its operation turned to +: [r6 - 4] is [r6 + -4].
  bool op2(uint16_t& word, long long max = constant3Max) {
    if (!atEnd() && isRegisterLike(peek().text)) return reg(word, 0);
    long long value = 0;
    if (!number(constant3Min, max, value)) return false;
    if (value > constant3Max) {
      word &= static_cast<uint16_t>(~operationField);
      value = -value;
    }
    word |= immediateBit | (value & registerField);
    return true;
  }

  bool addressOperation(uint16_t& word) {
    if (!atEnd())
      for (int operation = 0; operation < 8; ++operation)
        if (lower(peek().text) == addressOperations[operation]) {
          word |= static_cast<uint16_t>(operation << operationShift);
          ++next;
          return true;
        }
    return expected("an address operation (+ - & | lo2 lo1 hi2 hi1) or ']'");
  }

  // [rs1 OP op2], or [rs1] for [rs1 + r0].
  bool address(uint16_t& word) {
    if (!atEnd()) columns[addressPlace] = peek().column;
    if (!take("[") || !reg(word, rs1Shift)) return false;
    if (takeIf("]")) return true;
    // - takes every constant whose negation + takes: -4..4.
    long long max = !atEnd() && peek().text == "-" ? -constant3Min : constant3Max;
    return addressOperation(word) && op2(word, max) && take("]");
  }

  // A label, an absolute address or ".+N" / ".-N" (also "." alone), as the offset from the branch.
  bool target(uint16_t& word) {
    if (atEnd()) return missing();
    int column = peek().column;
    long long offset = 0;
    if (takeIf(".")) {
      bool back = takeIf("-");
      if ((back || takeIf("+")) && !unsignedNumber(offset)) return false;
      if (back) offset = -offset;
    } else {
      long long at = 0;
      if (!isNumberStart(peek().text) && peek().text != "-" && !isLabelName(peek().text))
        return expected("a label, an address or .+N");
      if (!number(0, addressLimit - 1, at)) return false;
      offset = signExtend(static_cast<unsigned>(at - statement.address), 16);
    }
    if (offset < offsetMin || offset > offsetMax)
      return fail(column, "branch target out of range: offset " + std::to_string(offset) + " not in " +
                              std::to_string(offsetMin) + ".." + std::to_string(offsetMax));
    word |= static_cast<uint16_t>(offset & offsetField);
    return true;
  }

  // A constant as a 16-bit word.
  bool value(uint16_t& word) {
    long long v = 0;
    bool read = number(-32768, 65535, v);
    word = static_cast<uint16_t>(v);
    return read;
  }

  bool instruction(uint16_t& word) {
    word = statement.form->value;
    switch (statement.form->shape) {
      case OperandShape::None: return true;
      case OperandShape::RegRegOp2: return reg(word, rdShift) && take(",") && reg(word, rs1Shift) && take(",") && op2(word);
      case OperandShape::RegByte: {
        long long v = 0;
        if (!reg(word, rdShift) || !take(",") || !number(-128, 255, v)) return false;
        word |= static_cast<uint16_t>(v & 0xFF);
        return true;
      }
      case OperandShape::RegAddress: return reg(word, rdShift) && take(",") && address(word);
      case OperandShape::Target: return target(word);
      case OperandShape::RegReg: return reg(word, rdShift) && take(",") && reg(word, rs1Shift);
      case OperandShape::RegOp2: return reg(word, rs1Shift) && take(",") && op2(word);
    }
    return false;
  }
};

int endColumnOf(const std::vector<Token>& tokens) {
  const Token& last = tokens.back();
  return last.column + static_cast<int>(last.text.size());
}

// The number of words a statement places, or -1 after reporting why it places none.
int wordCount(Run& run, Statement& s) {
  std::string mnemonic = lower(s.tokens[0].text);
  if (mnemonic == ".org" || mnemonic == ".equ") return 0;
  if (mnemonic == ".word") {
    int commas = 0;
    for (const Token& t : s.tokens) commas += t.text == ",";
    return commas + 1;
  }
  s.form = formNamed(mnemonic);
  if (s.form) return 1;
  run.error(s.line, s.tokens[0].column, "unknown mnemonic '" + s.tokens[0].text + "'");
  return -1;
}

std::string hexAddress(uint32_t address) {
  char text[16];
  snprintf(text, sizeof text, "0x%04X", address);
  return text;
}

// A word past the processor's ROM could not be loaded into it: refused here rather than at run time.
bool withinRom(Run& run, const Statement& s, int words) {
  if (!run.cpu || s.address + words <= run.cpu->romWords) return true;
  if (!run.pastRom)
    run.error(s.line, s.tokens[0].column,
              "address " + hexAddress(std::max(s.address, run.cpu->romWords)) + " is past the end of the ROM (" +
                  std::to_string(run.cpu->romWords) + " words, 0x0000.." + hexAddress(run.cpu->romWords - 1) + ")");
  run.pastRom = true;
  return false;
}

// Claims the statement's addresses; false after reporting an overlap or an address past the memory.
bool place(Run& run, const Statement& s, int words) {
  if (s.address + words > addressLimit) {
    run.error(s.line, s.tokens[0].column, "address past 65535");
    return false;
  }
  if (!withinRom(run, s, words)) return false;
  for (uint32_t a = s.address; a < s.address + words; ++a) {
    auto found = run.taken.find(a);
    if (found == run.taken.end()) continue;
    run.error(s.line, s.tokens[0].column,
              "address " + hexAddress(a) + " already holds a word (line " + std::to_string(found->second) + ")");
    return false;
  }
  for (uint32_t a = s.address; a < s.address + words; ++a) run.taken[a] = s.line;
  return true;
}

// .org ADDRESS: moves the address of the next word.
bool origin(Run& run, Statement& s, uint32_t& address) {
  OperandReader reader{s, ".org takes an address", run.names};
  long long value = 0;
  if (reader.number(0, addressLimit - 1, value) && reader.finish()) {
    address = static_cast<uint32_t>(value);
    return true;
  }
  run.error(s.line, reader.errorColumn, reader.error);
  return false;
}

void define(Run& run, const Token& name, int line, long long value, bool label) {
  const char* kind = label ? "label" : "name";
  if (!isLabelName(name.text)) {
    run.error(line, name.column, std::string(label ? "bad label name '" : "bad name '") + name.text + "'");
    return;
  }
  auto found = run.names.find(name.text);
  if (found != run.names.end()) {
    run.error(line, name.column, std::string("duplicate ") + kind + " '" + name.text + "' (first on line " +
                                     std::to_string(found->second.line) + ")");
    return;
  }
  run.names[name.text] = {value, line, label};
}

// .equ NAME, VALUE: a name for a constant, from the names defined above it.
void constant(Run& run, Statement& s) {
  OperandReader reader{s, ".equ takes name, value", run.names};
  long long value = 0;
  if (reader.atEnd()) {
    reader.missing();
  } else {
    const Token& name = reader.peek();
    ++reader.next;
    if (reader.take(",") && reader.number(-32768, 65535, value) && reader.finish()) {
      define(run, name, s.line, value, false);
      return;
    }
  }
  run.error(s.line, reader.errorColumn, reader.error);
}

// First pass over one line: its label, its mnemonic and its addresses.  The statement is kept for the
// second pass only when it places words without a fault.
void scanLine(Run& run, int line, uint32_t& address, std::vector<Statement>& statements) {
  std::vector<Token> tokens;
  int badColumn = 0;
  size_t nul = run.out.lines[line - 1].find('\0');
  if (nul != std::string::npos) {  // even in a comment: it would cut the listing and every message short
    run.error(line, static_cast<int>(nul) + 1, "NUL byte in the source: is it a text file?");
    return;
  }
  if (!lex(run.out.lines[line - 1], tokens, badColumn)) {
    run.error(line, badColumn, "unexpected character " + shown(run.out.lines[line - 1][badColumn - 1]));
    return;
  }
  const Token* label = tokens.size() >= 2 && tokens[1].text == ":" ? &tokens[0] : nullptr;
  Statement s{line, std::vector<Token>(tokens.begin() + (label ? 2 : 0), tokens.end()), 0, address, nullptr};
  bool placed = true;
  if (!s.tokens.empty()) {
    s.endColumn = endColumnOf(s.tokens);
    int words = wordCount(run, s);
    placed = words > 0 && place(run, s, words);
    bool org = lower(s.tokens[0].text) == ".org";
    if (words == 0 && org && origin(run, s, address)) s.address = address;
    if (words == 0 && !org) constant(run, s);
    if (words > 0) address += words;
  }
  if (label) define(run, *label, line, s.address, true);
  if (placed && !s.tokens.empty()) statements.push_back(s);
}

// Second pass over one statement: its operands, then its words.
void encode(Run& run, const Statement& s) {
  OperandReader reader{s, lower(s.tokens[0].text) + " takes ", run.names};
  std::vector<uint16_t> words(1);
  bool good;
  if (s.form) {
    reader.usage += operandUsage(s.form->shape);
    good = reader.instruction(words[0]) && reader.finish();
  } else {
    reader.usage += "values";
    good = reader.value(words[0]);
    while (good && reader.takeIf(",")) {
      words.push_back(0);
      good = reader.value(words.back());
    }
    good = good && reader.finish();
  }
  if (!good) {
    run.error(s.line, reader.errorColumn, reader.error);
    return;
  }
  for (size_t i = 0; i < words.size(); ++i) {
    AssembledWord w{static_cast<uint16_t>(s.address + i), words[i], s.line};
    w.column = s.tokens[0].column;
    std::copy(reader.columns, reader.columns + numberOfPlaces, w.columns);
    w.data = !s.form;
    run.out.words.push_back(w);
  }
}

std::vector<std::string> splitLines(const std::string& source) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < source.size()) {
    size_t end = source.find('\n', start);
    if (end == std::string::npos) end = source.size();
    std::string line = source.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string sourceMessage(const std::string& file, const std::string& text, int line, int column,
                          const std::string& message) {
  std::string caret;
  for (int i = 0; i + 1 < column && i < static_cast<int>(text.size()); ++i) caret += text[i] == '\t' ? '\t' : ' ';
  return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message + "\n" + text + "\n" +
         caret + "^";
}

bool hasSourceName(const std::string& file) {
  return endsWith(file, ".s") || endsWith(file, ".asm");
}

bool isAssemblySource(const std::string& file, const std::string& text, bool readsAsImage) {
  if (hasSourceName(file)) return true;
  if (readsAsImage) return false;
  for (const std::string& line : splitLines(text)) {
    std::vector<Token> tokens;
    int badColumn = 0;
    if (!lex(line, tokens, badColumn)) return false;
    if (tokens.empty()) continue;
    std::string first = lower(tokens[0].text);
    return (tokens.size() >= 2 && tokens[1].text == ":" && isLabelName(tokens[0].text)) || formNamed(first) ||
           first == ".org" || first == ".word" || first == ".equ";
  }
  return false;
}

bool assemble(const std::string& source, const std::string& file, Assembly& out, const ProcessorVariant* cpu) {
  out = Assembly();
  out.lines = splitLines(source);
  Run run{file, out, cpu, false, {}, {}, {}};
  std::vector<Statement> statements;
  uint32_t address = 0;
  for (size_t i = 0; i < out.lines.size(); ++i) scanLine(run, static_cast<int>(i) + 1, address, statements);
  for (const Statement& s : statements) encode(run, s);
  std::stable_sort(run.errors.begin(), run.errors.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });  // line, then column
  for (const auto& e : run.errors) out.errors.push_back(e.second);
  return out.errors.empty();
}

