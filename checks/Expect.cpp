// End-of-run checks (--expect FILE).
//
// Each line is NAME VALUE; '#' starts a comment and blank lines are skipped.  NAME is a declared
// bundle's name, qualified by its module scopes as far as needed to tell it from others (out,
// Reg16_1.out, BasicPipe.Reg16_1.out, optionally from top.; names and the rule as in NameIndex.h); a
// name that is exactly some bundle's full path picks that bundle even when it also ends other paths.  VALUE is hex
// (0x..), binary (0b..), decimal (digits only), a negative decimal (the two's complement in the
// bundle's width), or a word of the capital letters 0 1 X Z U (XXX, HIZ, UNINITIALIZED), most
// significant first, exactly as wide as the bundle.  Numbers must fit the bundle's width.  Every
// faulty line is reported with file and line and ends the process with status 2 before the run.
// NAME[ADDR] (ADDR decimal or 0x..) names word ADDR of a memory instead, the memory named as for
// --load; when NAME is no memory, bit ADDR of the bundle NAME.  At the end of the run every mismatch
// is reported on one line with the expected and the actual value, in the notation of the expected
// one, and the exit status becomes 1.  --until reads its names and values with the same functions.
#include "Expect.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "Bundles.h"
#include "FileIO.h"
#include "Globals.h"
#include "MemLoad.h"
#include "NameIndex.h"
#include "Numbers.h"
#include "Ph3.h"
#include "Ph4.h"

SignalValue valueOfLetter(char c) {
  switch (c) {
    case '0': return ZERO;
    case '1': return ONE;
    case 'X': return XXX;
    case 'Z': return HIZ;
    default: return UNINITIALIZED;
  }
}

char letterOfValue(SignalValue v) { return "0UXZ1"[v >= ZERO && v <= ONE ? v : XXX]; }

namespace {

enum Notation { hexNotation, binaryNotation, decimalNotation, letterNotation, signedNotation };

struct Expectation {
  CheckTarget target;
  std::vector<SignalValue> value;  // expected value per bit, bit 0 first
  Notation notation;
};

std::vector<Expectation> expectations;
int failedChecks = 0;

// A parsed value before it meets its bundle: bits with bit 0 first, and how it was written.
struct WrittenValue {
  std::vector<SignalValue> bits;
  Notation notation;
  uint64_t magnitude = 0;  // of a negative decimal, whose bits wait for the width
};

std::string count(size_t n, const char* thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

bool allOf(const std::string& s, size_t from, const std::string& allowed) {
  return s.size() > from && s.find_first_not_of(allowed, from) == std::string::npos;
}

void pushBits(std::vector<SignalValue>& bits, uint64_t number, int count) {
  for (int i = 0; i < count; i++) bits.push_back((number >> i) & 1 ? ONE : ZERO);
}

// Reads one VALUE word; on failure sets problem.  The prefixes are lower case and the letters upper
// case, so that 0X1 is a word of letters and 0x1 a number.
bool parseValue(const std::string& w, WrittenValue& v, std::string& problem) {
  if (w.compare(0, 2, "0x") == 0 && allOf(w, 2, "0123456789abcdefABCDEF")) {
    v.notation = hexNotation;
    for (size_t i = w.size(); i-- > 2;) pushBits(v.bits, uint64_t(digitValue(w[i])), 4);
    return true;
  }
  if (w.compare(0, 2, "0b") == 0 && allOf(w, 2, "01")) {
    v.notation = binaryNotation;
    for (size_t i = w.size(); i-- > 2;) v.bits.push_back(w[i] == '1' ? ONE : ZERO);
    return true;
  }
  if (allOf(w, 0, "0123456789")) {
    uint64_t n = 0;
    if (!readNumber(w, NumberSyntax(), n)) {
      problem = "value " + w + " is too large";
      return false;
    }
    v.notation = decimalNotation;
    pushBits(v.bits, n, 64);
    return true;
  }
  if (w[0] == '-' && allOf(w, 1, "0123456789")) {
    if (!readNumber(w.substr(1), NumberSyntax(), v.magnitude)) {
      problem = "value " + w + " is too large";
      return false;
    }
    v.notation = signedNotation;
    return true;
  }
  if (allOf(w, 0, "01XZU")) {
    v.notation = letterNotation;
    for (size_t i = w.size(); i-- > 0;) v.bits.push_back(valueOfLetter(w[i]));
    return true;
  }
  problem = "cannot read value " + w + " (hex 0x.., binary 0b.., decimal, or a word of 0 1 X Z U)";
  return false;
}

// A negative decimal in width bits: the two's complement, from -2^(width-1) on.
bool fitNegative(WrittenValue& v, size_t width, const std::string& name, const std::string& text,
                 std::string& problem) {
  uint64_t least = uint64_t(1) << (width >= 64 ? 63 : width - 1);
  if (width == 0 || v.magnitude > least) {
    problem = "value " + text + " does not fit the " + count(width, "bit") + " of " + name + " (the least is -" +
              std::to_string(width ? least : 0) + ")";
    return false;
  }
  pushBits(v.bits, uint64_t(0) - v.magnitude, 64);
  v.bits.resize(width, v.magnitude ? ONE : ZERO);  // beyond 64 bits, the sign repeated
  return true;
}

// Fits a written value to a bundle of width bits; numbers may carry leading zeros beyond it.
bool fitValue(WrittenValue& v, size_t width, const std::string& name, const std::string& text,
              std::string& problem) {
  if (v.notation == signedNotation) return fitNegative(v, width, name, text, problem);
  if (v.notation == letterNotation && v.bits.size() != width) {
    problem = "value " + text + " has " + count(v.bits.size(), "letter") + " but " + name + " has " +
              count(width, "bit");
    return false;
  }
  for (size_t i = width; i < v.bits.size(); i++)
    if (v.bits[i] != ZERO) {
      problem = "value " + text + " does not fit the " + count(width, "bit") + " of " + name;
      return false;
    }
  v.bits.resize(width, ZERO);
  return true;
}

// ADDR of NAME[ADDR]: decimal or hex, below 2^32.
bool readAddress(const std::string& text, uint32_t& address, std::string& problem) {
  NumberSyntax addressSyntax = decimalFrom(0, 0xffffffff);
  addressSyntax.hexPrefix = true;
  uint64_t n = 0;
  if (!readNumber(text, addressSyntax, n)) {
    problem = "cannot read address " + text + " (decimal or 0x..)";
    return false;
  }
  address = uint32_t(n);
  return true;
}

// MEMORY[ADDR]: ADDR as a word of the memory (or an address of it, Sim.h's MemoryAddresses).
bool readMemoryTarget(const std::string& memory, const std::string& address, CheckTarget& t, std::string& problem) {
  MemoryShape shape;
  std::vector<SignalValue> word;
  uint32_t written = 0;
  if (!readAddress(address, written, problem) || !findMemory(memory, shape, problem) ||
      !memoryWordIndex(*memoryNamed(shape.path, problem), written, t.address, problem) ||
      !readMemoryWord(shape.path, t.address, word, problem))
    return false;
  t.memory = shape.path;
  t.path = shape.path + "[" + std::to_string(t.address) + "]";
  t.width = word.size();
  return true;
}

bool readBundleTarget(const std::string& name, CheckTarget& t, std::string& problem) {
  int b = bundleNamed(name, problem);
  if (b < 0) return false;
  t.path = nameIndex().bundlePaths[size_t(b)];
  t.bits = declaredBundles()[size_t(b)].bits;
  t.width = t.bits.size();
  return true;
}

// BUNDLE[i]: one bit, named after the bundle.
bool readBitTarget(const std::string& bundle, const std::string& name, CheckTarget& t, std::string& problem) {
  if (!readBundleTarget(bundle, t, problem) || !bitsNamed(name, t.bits, problem)) return false;
  t.path += name.substr(bundle.size());
  t.width = 1;
  return true;
}

bool isIndexed(const std::string& name, size_t& open) {
  open = name.find('[');
  return open != std::string::npos && open > 0 && name.back() == ']';
}

}  // namespace

// NAME[ADDR] is a memory word when NAME is a memory, else bit ADDR of a bundle NAME; a name that is
// neither is reported as the memory it is not.
bool readCheckTarget(const std::string& name, CheckTarget& t, std::string& problem) {
  size_t open = 0;
  std::string unused;
  if (!isIndexed(name, open) || bundleNamed(name, unused) >= 0) return readBundleTarget(name, t, problem);
  std::string memory = name.substr(0, open);
  if (!memoryNamed(memory, unused) && bundleNamed(memory, unused) >= 0) return readBitTarget(memory, name, t, problem);
  return readMemoryTarget(memory, name.substr(open + 1, name.size() - open - 2), t, problem);
}

bool readCheckValue(const std::string& text, const CheckTarget& target, const std::string& name,
                    std::vector<SignalValue>& bits, std::string& problem) {
  WrittenValue v;
  if (!parseValue(text, v, problem) || !fitValue(v, target.width, name, text, problem)) return false;
  bits = v.bits;
  return true;
}

std::vector<CheckTarget> expectedTargets() {
  std::vector<CheckTarget> targets;
  for (const Expectation& e : expectations) targets.push_back(e.target);
  return targets;
}

std::vector<SignalValue> currentValue(const CheckTarget& t) {
  std::vector<SignalValue> value;
  std::string problem;
  if (!t.memory.empty()) readMemoryWord(t.memory, t.address, value, problem);  // resolved when read
  for (int s : t.bits) value.push_back(phaseThree->currentSignals[size_t(s)]);
  return value;
}

namespace {

std::string withoutComment(const std::string& line) {
  size_t hash = line.find('#');
  return hash == std::string::npos ? line : line.substr(0, hash);
}

// Reads one line; returns false with problem set when it is faulty.
bool readLine(const std::string& line, std::string& problem) {
  std::istringstream words(withoutComment(line));
  std::vector<std::string> w;
  for (std::string s; words >> s;) w.push_back(s);
  if (w.empty()) return true;
  if (w.size() != 2) {
    problem = "expected a signal name and a value, found " + count(w.size(), "word");
    return false;
  }
  WrittenValue v;
  if (!parseValue(w[1], v, problem)) return false;
  Expectation e{};
  if (!readCheckTarget(w[0], e.target, problem) || !fitValue(v, e.target.width, w[0], w[1], problem)) return false;
  e.value = v.bits;
  e.notation = v.notation;
  expectations.push_back(e);
  return true;
}

std::string letters(const std::vector<SignalValue>& bits) {
  std::string s;
  for (size_t i = bits.size(); i-- > 0;) s += letterOfValue(bits[i]);
  return s;
}

bool binary(const std::vector<SignalValue>& bits) {
  for (SignalValue v : bits)
    if (v != ZERO && v != ONE) return false;
  return true;
}

std::string hexDigits(const std::vector<SignalValue>& bits) {
  std::string s;
  for (size_t top = (bits.size() + 3) / 4 * 4; top > 0; top -= 4) {
    int digit = 0;
    for (size_t i = top - 4; i < top; i++)
      if (i < bits.size() && bits[i] == ONE) digit |= 1 << (i - (top - 4));
    s += "0123456789abcdef"[digit];
  }
  return s;
}

std::string decimal(const std::vector<SignalValue>& bits) {
  uint64_t n = 0;
  for (size_t i = bits.size(); i-- > 0;) n = n << 1 | (bits[i] == ONE ? 1 : 0);
  return std::to_string(n);
}

// Two's complement: "-3" for 0xfffd in 16 bits.
std::string signedDecimal(const std::vector<SignalValue>& bits) {
  if (bits.empty() || bits.back() != ONE) return decimal(bits);
  uint64_t n = 0;
  for (size_t i = bits.size(); i-- > 0;) n = n << 1 | (bits[i] == ONE ? 0 : 1);  // the complement
  return "-" + std::to_string(n + 1);
}

// A value in the given notation; values that are not all 0 and 1, and decimals wider than 64 bits,
// fall back to letters and hex.
std::string shown(const std::vector<SignalValue>& bits, Notation notation) {
  if (notation == letterNotation || !binary(bits)) return letters(bits);
  if (notation == binaryNotation) return "0b" + letters(bits);
  if (notation == decimalNotation && bits.size() <= 64) return decimal(bits);
  if (notation == signedNotation && bits.size() <= 64) return signedDecimal(bits);
  return "0x" + hexDigits(bits);
}

}  // namespace

std::string shownLike(const std::string& written, const std::vector<SignalValue>& bits) {
  WrittenValue v;
  std::string problem;
  return shown(bits, parseValue(written, v, problem) ? v.notation : letterNotation);
}

namespace {

void check() {
  for (const Expectation& e : expectations) {
    std::vector<SignalValue> actual = currentValue(e.target);
    if (actual == e.value) continue;
    failedChecks++;
    fprintf(stderr, "MISMATCH -- %s: expected %s, actual %s\n", e.target.path.c_str(),
            shown(e.value, e.notation).c_str(), shown(actual, e.notation).c_str());
  }
}

}  // namespace

bool parseExpectations(const std::string& text, const std::string& file, std::vector<std::string>& errors) {
  std::istringstream in(text);
  int number = 0;
  std::string line, problem;
  errors.clear();
  while (std::getline(in, line)) {
    number++;
    if (readLine(line, problem)) continue;
    if (errors.size() == maxExpectationFaults) {
      errors.push_back(file + ": more than " + std::to_string(maxExpectationFaults) + " faulty lines, the rest not read");
      break;
    }
    errors.push_back(file + ":" + std::to_string(number) + ": " + problem);
  }
  return errors.empty();
}

void loadExpectations() {
  if (!expectFileName) return;
  std::string text, reason;
  if (!readWholeFile(expectFileName, text, reason)) {
    fprintf(stderr, "ERROR -- cannot read expectations %s: %s\n", expectFileName, reason.c_str());
    exit(2);
  }
  std::vector<std::string> errors;
  if (!parseExpectations(text, expectFileName, errors)) {
    for (const std::string& e : errors) fprintf(stderr, "ERROR -- %s\n", shownText(e).c_str());
    exit(2);
  }
  runObservers.push_back({nullptr, nullptr, check});
}

int expectationStatus() { return failedChecks ? 1 : 0; }

void resetExpectations() {
  expectations.clear();
  failedChecks = 0;
}
