// How the fuzz targets judge the numbers an input writes, independently of the readers they check:
// decimal numbers against a limit (the --explain arguments), and --expect values against the width
// of a bundle.
#ifndef TARVIK_FUZZ_NOTATIONS_H
#define TARVIK_FUZZ_NOTATIONS_H

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

inline bool allOf(const std::string& s, size_t from, const char* allowed) {
  return s.size() > from && s.find_first_not_of(allowed, from) == std::string::npos;
}

// Decimal digits only, of a number at most limit (itself written without leading zeros); any number
// of leading zeros is fine.
inline bool decimalAtMost(const std::string& text, const std::string& limit) {
  if (!allOf(text, 0, "0123456789")) return false;
  size_t first = text.find_first_not_of('0');
  std::string n = first == std::string::npos ? "" : text.substr(first);
  return n.size() < limit.size() || (n.size() == limit.size() && n <= limit);
}

// Significant bits of a number written in base 2, 16 or 10 (10: 65 when it does not fit 64 bits).
inline size_t significantBits(const std::string& digits, int base) {
  if (base == 10 && !decimalAtMost(digits, "18446744073709551615")) return 65;
  size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 0;
  uint64_t value = strtoull(base == 10 ? digits.c_str() : digits.substr(first, 1).c_str(), nullptr, base);
  size_t bits = 0;
  for (; value; value >>= 1) bits++;
  return base == 10 ? bits : bits + (base == 16 ? 4 : 1) * (digits.size() - first - 1);
}

// A negative decimal -N fits width bits when N is at most 2^(width-1), the two's complement's least.
inline bool negativeFits(const std::string& digits, int width) {
  if (width <= 0 || significantBits(digits, 10) > 64) return false;
  uint64_t least = uint64_t(1) << (width > 64 ? 63 : width - 1);
  return strtoull(digits.c_str(), nullptr, 10) <= least;
}

// Whether an --expect value is read as fitting a bundle of width bits: 0x hex, 0b binary or decimal
// fitting the width (leading zeros allowed), a negative decimal, or a word of the letters 0 1 X Z U
// exactly as wide.
inline bool valueFits(const std::string& v, int width) {
  if (!v.empty() && v[0] == '-' && allOf(v, 1, "0123456789")) return negativeFits(v.substr(1), width);
  if (v.compare(0, 2, "0x") == 0 && allOf(v, 2, "0123456789abcdefABCDEF"))
    return significantBits(v.substr(2), 16) <= size_t(width);
  if (v.compare(0, 2, "0b") == 0 && allOf(v, 2, "01")) return significantBits(v.substr(2), 2) <= size_t(width);
  if (allOf(v, 0, "0123456789")) return significantBits(v, 10) <= size_t(width);
  return allOf(v, 0, "01XZU") && v.size() == size_t(width);
}

#endif
