// Numbers as users write them: in options, key scripts, memory images, expectation files and assembly
// sources.  One reader, whose NumberSyntax says what a caller accepts (the base of plain digits, the
// 0x and 0b prefixes, a most number of digits, a range, saturation); each caller words its own refusal,
// or takes numberProblem's.  Header-only, so that the assembler's library, which links nothing, reads
// numbers the same way as the simulator.
#ifndef TARVIK_NUMBERS_H
#define TARVIK_NUMBERS_H

#include <cstddef>
#include <cstdint>
#include <string>

struct NumberSyntax {
  int base = 10;               // of digits without a prefix: 10 or 16
  bool hexPrefix = false;      // 0x then hex digits
  bool binaryPrefix = false;   // 0b then binary digits
  bool capitalPrefix = false;  // 0X and 0B as well
  size_t maxDigits = 0;        // at most this many characters after any prefix, leading zeros counted; 0: any
  uint64_t min = 0, max = ~uint64_t(0);
  // Saturation, when below 2^64-1: once the value is above this, further digits are checked but no
  // longer added, and a value that would pass 2^64-1 stays at 2^64-1.  A long number then reads as a
  // large one, for a caller that refuses it as out of its range, instead of as wider than 64 bits.
  uint64_t saturateAbove = ~uint64_t(0);
};

// Plain decimal digits from min to max.
inline NumberSyntax decimalFrom(uint64_t min, uint64_t max) {
  NumberSyntax s;
  s.min = min;
  s.max = max;
  return s;
}

enum NumberFault { numberRead, numberMissing, numberBadDigit, numberTooLong, numberTooWide, numberOutOfRange };

struct NumberReading {
  NumberFault fault = numberRead;
  uint64_t value = 0;  // when read
  char badDigit = 0;   // with numberBadDigit
};

// A digit's value in bases up to 16 (either case), or -1.
inline int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The base a prefix at the start of text names (2 of its characters), or 0 for none the syntax takes.
inline int prefixBase(const std::string& text, const NumberSyntax& syntax) {
  if (text.size() < 2 || text[0] != '0') return 0;
  char p = text[1];
  if (syntax.hexPrefix && (p == 'x' || (syntax.capitalPrefix && p == 'X'))) return 16;
  if (syntax.binaryPrefix && (p == 'b' || (syntax.capitalPrefix && p == 'B'))) return 2;
  return 0;
}

inline NumberReading numberFault(NumberFault fault, char badDigit = 0) {
  NumberReading r;
  r.fault = fault;
  r.badDigit = badDigit;
  return r;
}

// Reads the whole of text; the first fault from the left ends the reading.
inline NumberReading readNumber(const std::string& text, const NumberSyntax& syntax) {
  int base = prefixBase(text, syntax);
  size_t from = base ? 2 : 0;
  if (!base) base = syntax.base;
  if (text.size() == from) return numberFault(numberMissing);
  if (syntax.maxDigits && text.size() - from > syntax.maxDigits) return numberFault(numberTooLong);
  bool saturating = syntax.saturateAbove != ~uint64_t(0);
  NumberReading r;
  for (size_t i = from; i < text.size(); i++) {
    int d = digitValue(text[i]);
    if (d < 0 || d >= base) return numberFault(numberBadDigit, text[i]);
    if (r.value > syntax.saturateAbove) continue;
    if (r.value <= (~uint64_t(0) - uint64_t(d)) / uint64_t(base))
      r.value = r.value * uint64_t(base) + uint64_t(d);
    else if (saturating)
      r.value = ~uint64_t(0);
    else
      return numberFault(numberTooWide);
  }
  if (r.value < syntax.min || r.value > syntax.max) r.fault = numberOutOfRange;
  return r;
}

// Reads text into value (left alone on a fault); true when it is a number of the syntax.
inline bool readNumber(const std::string& text, const NumberSyntax& syntax, uint64_t& value) {
  NumberReading r = readNumber(text, syntax);
  if (r.fault == numberRead) value = r.value;
  return r.fault == numberRead;
}

// The fault of a reading of text, for a message: "missing number", "bad digit 'g' in 12g", ...
inline std::string numberProblem(const NumberReading& r, const std::string& text, const NumberSyntax& syntax) {
  switch (r.fault) {
    case numberRead: return "";
    case numberMissing: return "missing number";
    case numberBadDigit: return std::string("bad digit '") + r.badDigit + "' in " + text;
    case numberTooLong: return text + " has more than " + std::to_string(syntax.maxDigits) + " digits";
    case numberTooWide: return text + " is wider than 64 bits";
    case numberOutOfRange: break;
  }
  return text + " is not in " + std::to_string(syntax.min) + ".." + std::to_string(syntax.max);
}

#endif
