// The fuzz targets' shared checks: they count lines as the readers they check do, split NUL-separated
// words as a command line would, read "FILE:LINE:" only where a message really starts so, and judge
// written numbers by the documented notations; a check that drifted would report faults that are not
// there, or miss those that are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Assembler.h"
#include "MemImage.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/Notations.h"

namespace {

const std::string lineEnds[] = {"", "\n", "a", "a\n", "a\r\n", "a\n\nb", "a\rb\n", "\r\n\r\n", "\n\n", " \t\n x"};

TEST(FuzzCheck, CountsLinesAsTheAssemblerSplitsThem) {
  for (const std::string& text : lineEnds) {
    Assembly a;
    assemble(text, "f.s", a);
    EXPECT_EQ(sourceLines(text), a.lines) << text;
  }
}

// An Intel HEX image without its end record is refused on its last line, the count of its lines.
TEST(FuzzCheck, CountsLinesAsTheMemoryImageReaderDoes) {
  for (const char* tail : {"", "\n", "\r\n", "\n\n", "\n \n\t"}) {
    std::string text = std::string(":0400100001020304E2") + tail;
    MemoryImage image;
    std::string error;
    ASSERT_FALSE(parseMemoryImage(text, "f.hex", image, error));
    size_t at = 0;
    EXPECT_EQ(lineOfMessage(error, "f.hex", at), long(sourceLines(text).size())) << error;
  }
}

TEST(FuzzCheck, SplitsWordsAtNulBytes) {
  using Words = std::vector<std::string>;
  const struct {
    std::string input;
    size_t maxWords, maxLength;
    Words words;
  } cases[] = {
      {"", 8, 8, {}},
      {std::string("\0", 1), 8, 8, {""}},
      {"-X", 8, 8, {"-X"}},
      {std::string("a\0", 2), 8, 8, {"a"}},
      {std::string("a\0\0b", 4), 8, 8, {"a", "", "b"}},
      {std::string("a\0b\0c", 5), 2, 8, {"a", "b"}},
      {std::string("abcdef\0gh", 9), 8, 3, {"abc", "gh"}},
  };
  for (const auto& c : cases) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(c.input.data());
    EXPECT_EQ(nulSeparatedWords(data, c.input.size(), c.maxWords, c.maxLength), c.words) << c.input;
  }
}

TEST(FuzzCheck, ReadsTheLineOfAMessageOnlyWhereItStartsSo) {
  const struct {
    const char* message;
    long line;
    size_t after;  // where the rest begins, when the line is read
  } cases[] = {
      {"f.s:12:3: x", 12, 7},   {"f.s:1: x", 1, 6},         {"f.s:0:", 0, 6},   {"f.s:x:1: x", -1, 0},
      {"g.s:1:1: x", -1, 0},    {"f.s:12", -1, 0},          {"f.s:", -1, 0},    {"f.s1:2:", -1, 0},
      {"f.s:123456789:", 123456789, 14}, {"f.s:1234567890:", -1, 0},
  };
  for (const auto& c : cases) {
    size_t at = 0;
    EXPECT_EQ(lineOfMessage(c.message, "f.s", at), c.line) << c.message;
    if (c.line >= 0) {
      EXPECT_EQ(at, c.after) << c.message;
    }
  }
}

// The limits of --explain's TIME (64 bits) and of --explain-depth (1000), leading zeros allowed.
TEST(FuzzCheck, ComparesDecimalNumbersWithALimit) {
  const std::string max = "18446744073709551615";
  const struct {
    std::string text, limit;
    bool atMost;
  } cases[] = {
      {"0", "1000", true},   {"1000", "1000", true},      {"1001", "1000", false}, {"0001000", "1000", true},
      {"999", "1000", true}, {"00000", "0", true},        {"", "1000", false},     {"+1", "1000", false},
      {"1 ", "1000", false}, {max, max, true},            {"18446744073709551616", max, false},
      {"00000000000000000000018446744073709551615", max, true},
  };
  for (const auto& c : cases) EXPECT_EQ(decimalAtMost(c.text, c.limit), c.atMost) << c.text << " " << c.limit;
}

// A value of --expect against a bundle's width, in each notation.
TEST(FuzzCheck, JudgesExpectValuesByNotationAndWidth) {
  const struct {
    const char* value;
    int width;
    bool fits;
  } cases[] = {
      {"0x0fff", 12, true},  {"0x1000", 12, false}, {"0x000000000001", 1, true}, {"0x", 12, false},
      {"0xg", 12, false},    {"0b111", 3, true},     {"0b1000", 3, false},       {"0b0001", 1, true},
      {"4095", 12, true},    {"4096", 12, false},    {"0101", 3, false},         {"0101", 7, true},
      {"18446744073709551615", 64, true},            {"18446744073709551616", 64, false},
      {"0X1", 3, true},      {"XZU", 3, true},       {"XZ", 3, false},           {"XZUX", 3, false},
      {"0B1", 3, false},     {"-1", 3, true},        {"-4", 3, true},            {"-5", 3, false},
      {"-9223372036854775808", 64, true},            {"-9223372036854775809", 64, false},
      {"-", 3, false},       {"", 1, false},
  };
  for (const auto& c : cases) EXPECT_EQ(valueFits(c.value, c.width), c.fits) << c.value << " " << c.width;
}

}  // namespace
