// The number reader every option and file format shares, and the long-option table that the library
// and a circuit share: matching words and printing --help from the table.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "LongOption.h"
#include "Numbers.h"

namespace {

NumberSyntax plainHex() {
  NumberSyntax s;
  s.base = 16;
  return s;
}

NumberSyntax prefixed(bool capital) {
  NumberSyntax s;
  s.hexPrefix = s.binaryPrefix = true;
  s.capitalPrefix = capital;
  return s;
}

NumberSyntax cycleCount() {
  NumberSyntax s = decimalFrom(1, 10000000);
  s.maxDigits = 9;
  return s;
}

NumberSyntax saturating(uint64_t above) {
  NumberSyntax s;
  s.saturateAbove = above;
  return s;
}

struct NumberCase {
  const char* text;
  NumberSyntax syntax;
  NumberFault fault;
  uint64_t value;        // when read
  const char* problem;   // numberProblem's text
};

TEST(Numbers, EachNotationItsLimitsAndItsFaultText) {
  const uint64_t top = ~uint64_t(0);
  const NumberCase cases[] = {
      {"0", NumberSyntax(), numberRead, 0, ""},
      {"007", NumberSyntax(), numberRead, 7, ""},
      {"18446744073709551615", NumberSyntax(), numberRead, top, ""},
      {"000000000000000000000018446744073709551615", NumberSyntax(), numberRead, top, ""},
      {"18446744073709551616", NumberSyntax(), numberTooWide, 0, "18446744073709551616 is wider than 64 bits"},
      {"", NumberSyntax(), numberMissing, 0, "missing number"},
      {"+5", NumberSyntax(), numberBadDigit, 0, "bad digit '+' in +5"},
      {"12a", NumberSyntax(), numberBadDigit, 0, "bad digit 'a' in 12a"},
      {"0x10", NumberSyntax(), numberBadDigit, 0, "bad digit 'x' in 0x10"},
      {"ffFF", plainHex(), numberRead, 0xffff, ""},
      {"FFFFFFFFFFFFFFFF", plainHex(), numberRead, top, ""},
      {"FFFFFFFFFFFFFFFFFG", plainHex(), numberTooWide, 0, "FFFFFFFFFFFFFFFFFG is wider than 64 bits"},
      {"0x1f", prefixed(false), numberRead, 31, ""},
      {"0b101", prefixed(false), numberRead, 5, ""},
      {"0X1F", prefixed(false), numberBadDigit, 0, "bad digit 'X' in 0X1F"},
      {"0X1F", prefixed(true), numberRead, 31, ""},
      {"0b102", prefixed(true), numberBadDigit, 0, "bad digit '2' in 0b102"},
      {"0x", prefixed(true), numberMissing, 0, "missing number"},
      {"0x00000000000000000000000000001", prefixed(true), numberRead, 1, ""},
      {"000000001", cycleCount(), numberRead, 1, ""},
      {"10000000", cycleCount(), numberRead, 10000000, ""},
      {"0000000001", cycleCount(), numberTooLong, 0, "0000000001 has more than 9 digits"},
      {"10000001", cycleCount(), numberOutOfRange, 10000001, "10000001 is not in 1..10000000"},
      {"0", cycleCount(), numberOutOfRange, 0, "0 is not in 1..10000000"},
      // Past the ceiling the value stops growing: it stays large, never wraps and is never refused.
      {"99999999999999", saturating(uint64_t(1) << 40), numberRead, 9999999999999, ""},
      {"999999999999999999999999999999", saturating(uint64_t(1) << 40), numberRead, 9999999999999, ""},
      {"9999999999999999999999x", saturating(uint64_t(1) << 40), numberBadDigit, 0,
       "bad digit 'x' in 9999999999999999999999x"},
      {"46116860184273879040", saturating(uint64_t(1) << 62), numberRead, top, ""},
      {"4611686018427387904", saturating(uint64_t(1) << 62), numberRead, uint64_t(1) << 62, ""},
  };
  for (const NumberCase& c : cases) {
    NumberReading r = readNumber(c.text, c.syntax);
    EXPECT_EQ(r.fault, c.fault) << c.text;
    if (c.fault == numberRead || c.fault == numberOutOfRange) {
      EXPECT_EQ(r.value, c.value) << c.text;
    }
    EXPECT_EQ(numberProblem(r, c.text, c.syntax), c.problem) << c.text;
    uint64_t value = 12345;
    EXPECT_EQ(readNumber(c.text, c.syntax, value), c.fault == numberRead) << c.text;
    EXPECT_EQ(value, c.fault == numberRead ? c.value : 12345) << c.text;
  }
}

// What the take routines were handed, one line each.
std::string taken;

bool takeAny(const char* argument, std::string&) {
  taken += std::string(argument ? argument : "(none)") + "\n";
  return true;
}

bool refuseZero(const char* argument, std::string& problem) {
  if (std::string(argument) != "0") return takeAny(argument, problem);
  problem = "--count must not be 0";
  return false;
}

// A library-style option (its argument described, an empty one taken), a circuit-style one (the four
// fields a circuit gives), a flag, and heads of 17, 18 and more characters against the column of 19.
const LongOption table[] = {
    {"--script", "text", "a script\nof two lines", takeAny, "a key script", true},
    {"--count", "N", "how many", refuseZero},
    {"--flag", nullptr, "a flag", takeAny},
    {"--a-much-longer-name", "VALUE", "after two spaces", takeAny},
    {"--eighteen", "abc", "head of 18", takeAny},
};

// A program that keeps its own refusal texts: its missing argument in its words, and a flag given an
// argument left to it as an unknown word.
const LongOption ownTexts[] = {
    {"--out", "DIR", nullptr, takeAny, nullptr, false, "--out needs a folder"},
    {"--quiet", nullptr, nullptr, takeAny, nullptr, false, nullptr, true},
};

// Matches the words from the first on, as the command line does; each result as a line.
template <size_t count>
std::string matchedIn(const LongOption (&table)[count], std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  taken.clear();
  std::string results;
  for (int i = 0; i < int(argv.size()); i++) {
    std::string problem;
    LongOptionMatch m = takeLongOptionFrom(table, count, int(argv.size()), argv.data(), i, problem);
    results += m == longOptionNotInTable ? "not an option\n" : m == longOptionRefused ? problem + "\n" : "";
    if (m == longOptionRefused) break;
  }
  return taken + results;
}
std::string matched(std::vector<std::string> words) { return matchedIn(table, words); }

TEST(LongOptionTable, ArgumentsInBothFormsFlagsAndRefusals) {
  EXPECT_EQ(matched({"--script=a b", "--script", "c", "--count=3", "--count", "4", "--flag"}),
            "a b\nc\n3\n4\n(none)\n");
  EXPECT_EQ(matched({"--script=", "--script", ""}), "\n\n");
  EXPECT_EQ(matched({"--script"}), "option --script requires a key script\n");
  EXPECT_EQ(matched({"--count"}), "option --count requires an argument (N)\n");
  EXPECT_EQ(matched({"--count", ""}), "option --count requires an argument (N)\n");
  EXPECT_EQ(matched({"--count=0"}), "--count must not be 0\n");
  EXPECT_EQ(matched({"--flag=x"}), "option --flag takes no argument\n");
  EXPECT_EQ(matched({"--flagx", "--coun"}), "not an option\nnot an option\n");
  EXPECT_EQ(matchedIn(ownTexts, {"--out"}), "--out needs a folder\n");
  EXPECT_EQ(matchedIn(ownTexts, {"--out="}), "--out needs a folder\n");
  EXPECT_EQ(matchedIn(ownTexts, {"--quiet", "--quiet=x"}), "(none)\nnot an option\n");
}

TEST(LongOptionTable, HelpIsLaidOutFromTheTable) {
  char* text = nullptr;
  size_t size = 0;
  FILE* to = open_memstream(&text, &size);
  printLongOptions(to, table, sizeof table / sizeof table[0]);
  fclose(to);
  EXPECT_EQ(std::string(text, size),
            "  --script <text>  a script\n"
            "                   of two lines\n"
            "  --count <N>      how many\n"
            "  --flag           a flag\n"
            "  --a-much-longer-name <VALUE>  after two spaces\n"
            "  --eighteen <abc>  head of 18\n");
  free(text);
}

}  // namespace
