// Memory image reading: both formats, their faults with line numbers, and words formed for a width.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "MemImage.h"

namespace {

// Words as "address:value" and Intel HEX bytes as "address=value", in hex, in the order given.
std::string shown(const MemoryImage& image) {
  std::string s;
  char item[48];
  for (const ImageWord& w : image.words)
    for (uint32_t k = 0; k < w.repeat; k++) {
      snprintf(item, sizeof item, "%s%x:%llx", s.empty() ? "" : " ", w.address + k, (unsigned long long)w.value);
      s += item;
    }
  for (const ImageByte& b : image.bytes) {
    snprintf(item, sizeof item, "%s%x=%x", s.empty() ? "" : " ", b.address, b.value);
    s += item;
  }
  return s;
}

std::string parsed(const std::string& text) {
  MemoryImage image;
  std::string error;
  return parseMemoryImage(text, "f", image, error) ? shown(image) : "ERROR " + error;
}

const char eof[] = ":00000001FF\n";

TEST(MemoryImageText, ReadsEveryNotation) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"1 2 # three\n3 // four\n\n  fF\n", "0:1 1:2 2:3 3:ff"},
      {"@10 a b\n@2 c", "10:a 11:b 2:c"},
      {"3*ff 1\n0*7 2", "0:ff 1:ff 2:ff 3:1 4:2"},
      {"v2.0 raw\n2*5\r\n", "0:5 1:5"},
      {"1\nv2.0 raw", "ERROR f:2: bad digit 'v' in v2.0"},
      {"ffffffffffffffff", "0:ffffffffffffffff"},
      {"1\n\n@zz", "ERROR f:3: bad digit 'z' in zz"},
      {"x*1", "ERROR f:1: bad digit 'x' in x"},
      {"12g4", "ERROR f:1: bad digit 'g' in 12g4"},
      {"@", "ERROR f:1: missing number"},
      {"10000000000000000", "ERROR f:1: 10000000000000000 is wider than 64 bits"},
      {"@ffffffff 1 2", "ERROR f:1: address 0x100000000 is past 0xffffffff"},
      {"99999999999*0", "ERROR f:1: more than 16777216 words"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(parsed(c.text), c.expected) << c.text;
}

TEST(MemoryImageIntelHex, ReadsRecordsAndChecksThem) {
  struct Case {
    std::string text;
    const char* expected;
  } cases[] = {
      {std::string(":0400100001020304E2\n") + eof + "garbage after the end\n", "10=1 11=2 12=3 13=4"},
      {std::string("\n:020000040001F9\n:030000001234AB0C\n") + eof, "10000=12 10001=34 10002=ab"},
      {std::string(":020000021000EC\r\n:030000001234AB0C\n") + eof, "10000=12 10001=34 10002=ab"},
      {std::string(":0400000500000000F7\n") + eof, ""},
      {std::string(":0400100001020304E3\n") + eof, "ERROR f:1: bad checksum 0xe3"},
      {std::string(":0500100001020304E2\n") + eof, "ERROR f:1: record length does not match its data"},
      {std::string(":040010000102030\n") + eof, "ERROR f:1: a record must have an even number of hex digits"},
      {std::string(":04001000010203G4E2\n") + eof, "ERROR f:1: bad digit in record :04001000010203G4E2"},
      {std::string(":00000006FA\n") + eof, "ERROR f:1: unknown record type 0x6"},
      {std::string(":0100000401FA\n") + eof, "ERROR f:1: record type 0x4 with a wrong length"},
      {std::string(":02000004FFFFFC\n:03FFFE00010203FA\n") + eof, "ERROR f:2: byte address 0x100000000 is past 0xffffffff"},
      {std::string(":0400100001020304E2\n12\n") + eof, "ERROR f:2: a record must start with ':'"},
      {":0400100001020304E2\n\n", "ERROR f:2: no end-of-file record (type 01)"},
  };
  for (const Case& c : cases) EXPECT_EQ(parsed(c.text), c.expected) << c.text;
}

TEST(MemoryImageWords, FormedForTheMemoryWidthAndChecked) {
  struct Case {
    std::string text;
    int bits;
    const char* expected;
  } cases[] = {
      {std::string(":0400100001020304E2\n") + eof, 16, "8:102 9:304"},
      {std::string(":0400100001020304E2\n") + eof, 8, "10:1 11:2 12:3 13:4"},
      {std::string(":030000001234AB0C\n") + eof, 24, "0:1234ab"},
      {std::string(":030000001234AB0C\n") + eof, 16, "0:1234 1:ab00"},
      {std::string(":030000001234AB0C\n") + eof, 12, "ERROR f:1: word 0x1234 is wider than the 12-bit words of M"},
      {std::string(":030000001234AB0C\n") + eof, 4, "ERROR f:1: word 0x12 is wider than the 4-bit words of M"},
      {"3 f\n10", 4, "ERROR f:2: word 0x10 is wider than the 4-bit words of M"},
      {"@13 3 4", 4, "ERROR f:1: address 0x14 is past the end of M (20 words)"},
      {"ffffffffffffffff", 64, "0:ffffffffffffffff"},
  };
  for (const Case& c : cases) {
    MemoryImage image;
    std::string error;
    ASSERT_TRUE(parseMemoryImage(c.text, "f", image, error)) << error;
    MemoryImage formed;
    formed.file = "f";
    bool ok = imageWords(image, c.bits, 20, "M", formed.words, error);
    EXPECT_EQ(ok ? shown(formed) : "ERROR " + error, c.expected) << c.text << " at " << c.bits;
  }
}

TEST(MemoryImageFile, UnreadableFileIsAnErrorWithItsReason) {
  std::string big = "/tmp/tarvik-big-image-" + std::to_string(getpid());
  ASSERT_EQ(truncate(big.c_str(), 0) == 0 || errno == ENOENT, true);
  FILE* f = fopen(big.c_str(), "w");
  ASSERT_TRUE(f);
  fseek(f, (16 << 20) + 1, SEEK_SET);  // sparse: 16 MiB and two bytes, nothing written
  fputc('0', f);
  fclose(f);
  const std::pair<std::string, std::string> cases[] = {
      {"/nonexistent/image.hex", "/nonexistent/image.hex: cannot read the memory image: No such file or directory"},
      {"/", "/: cannot read the memory image: Is a directory"},
      {"/dev/zero", "/dev/zero: cannot read the memory image: not a regular file"},
      {big, big + ": cannot read the memory image: larger than 16 MiB"},
  };
  for (const auto& c : cases) {
    MemoryImage image;
    std::string error;
    EXPECT_FALSE(readMemoryImage(c.first, image, error));
    EXPECT_EQ(error, c.second);
  }
  unlink(big.c_str());
}

// N*WORD is checked against the memory as a whole: a short file cannot make gigabytes of words.
TEST(MemoryImageWords, RunsAreCheckedBeforeTheyAreSpeltOut) {
  MemoryImage image;
  std::string error;
  ASSERT_TRUE(parseMemoryImage("@1 16777215*0", "f", image, error)) << error;
  ASSERT_EQ(image.words.size(), 1u);
  std::vector<ImageWord> words;
  EXPECT_FALSE(imageWords(image, 16, 64, "ROM", words, error));
  EXPECT_EQ(error, "f:1: address 0xffffff is past the end of ROM (64 words)");
  EXPECT_TRUE(words.empty());
}

}  // namespace
