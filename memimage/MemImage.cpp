// Memory images from text: reading the two formats, and forming words for a memory of a given width.
//
// The format is told by content: a file whose first non-blank line starts with ':' is Intel HEX, any
// other is hex words.  Hex words: whitespace-separated hexadecimal words, '#' or '//' to the end of a
// line is a comment, @ADDR (hex) moves the load address, N*WORD (N decimal) gives WORD N times, and a
// first line "v2.0 raw" is skipped.  Intel HEX: records 00 (data), 01 (end of file, required; what
// follows it is ignored), 02 and 04 (extended segment and linear address), 03 and 05 (start address,
// ignored); every record's length and checksum are verified.  Nothing here knows the simulator.
#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

#include "FileIO.h"
#include "MemImage.h"
#include "Numbers.h"
#include "TextLines.h"

namespace {

// The most words an image may give, N*WORD counted as N; no memory the simulator can hold is larger.
const uint64_t maxImageWords = uint64_t(1) << 24;
const uint64_t addressLimit = uint64_t(1) << 32;

std::string located(const std::string& file, int line, const std::string& problem) {
  return file + ":" + std::to_string(line) + ": " + problem;
}

std::string hex(uint64_t value) {
  char text[24];
  snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

// Reads plain digits in base 16 or 10 into value; problem names the first fault.
bool readDigits(const std::string& digits, int base, uint64_t& value, std::string& problem) {
  NumberSyntax syntax;
  syntax.base = base;
  NumberReading read = readNumber(digits, syntax);
  if (read.fault != numberRead) {
    problem = numberProblem(read, digits, syntax);
    return false;
  }
  value = read.value;
  return true;
}

std::string withoutComment(const std::string& line) {
  return line.substr(0, std::min(line.find('#'), line.find("//")));
}

// The hex-words reader: one token at a time, with the load address it has reached.
struct WordReader {
  MemoryImage& image;
  uint64_t address = 0;
  int line = 0;
  std::string problem;
  uint64_t given = 0;  // words so far, N*WORD as N

  bool token(const std::string& t) {
    uint64_t value = 0, repeat = 1;
    if (t[0] == '@') {
      if (!readDigits(t.substr(1), 16, address, problem)) return false;
      return inRange(address);
    }
    size_t star = t.find('*');
    if (star != std::string::npos && !readDigits(t.substr(0, star), 10, repeat, problem)) return false;
    if (!readDigits(star == std::string::npos ? t : t.substr(star + 1), 16, value, problem)) return false;
    if (repeat > maxImageWords - given) {
      problem = "more than " + std::to_string(maxImageWords) + " words";
      return false;
    }
    given += repeat;
    if (repeat == 0) return true;
    if (!inRange(address + repeat - 1)) return false;
    image.words.push_back({uint32_t(address), value, line, uint32_t(repeat)});  // kept as a run until the memory is known
    address += repeat;
    return true;
  }

  bool inRange(uint64_t a) {
    if (a < addressLimit) return true;
    problem = "address " + hex(a) + " is past 0xffffffff";
    return false;
  }
};

bool parseWords(const std::vector<std::string>& lines, MemoryImage& image, std::string& error) {
  WordReader reader{image, 0, 0, {}, 0};
  for (size_t i = 0; i < lines.size(); i++) {
    reader.line = int(i) + 1;
    if (i == 0 && trimmedText(lines[i]) == "v2.0 raw") continue;
    std::istringstream tokens(withoutComment(lines[i]));
    for (std::string t; tokens >> t;) {
      if (reader.token(t)) continue;
      error = located(image.file, reader.line, reader.problem);
      return false;
    }
  }
  return true;
}

// The Intel HEX reader: the bytes of one record, checked, then applied.
struct RecordReader {
  MemoryImage& image;
  uint64_t base = 0;
  bool ended = false;
  int line = 0;
  std::string problem;

  bool record(const std::string& text) {
    std::vector<uint8_t> b;
    if (!recordBytes(text, b)) return false;
    size_t length = b[0];
    uint64_t offset = uint64_t(b[1]) << 8 | b[2];
    int type = b[3];
    const uint8_t* data = b.data() + 4;
    switch (type) {
      case 0:
        for (size_t k = 0; k < length; k++) {
          uint64_t a = base + offset + k;
          if (a >= addressLimit) return fault("byte address " + hex(a) + " is past 0xffffffff");
          image.bytes.push_back({uint32_t(a), data[k], line});
        }
        return true;
      case 1: ended = true; return length == 0 || fault("end-of-file record with data");
      case 2: return length == 2 ? (base = (uint64_t(data[0]) << 8 | data[1]) << 4, true) : badLength(type);
      case 4: return length == 2 ? (base = (uint64_t(data[0]) << 8 | data[1]) << 16, true) : badLength(type);
      case 3: case 5: return length == 4 || badLength(type);
      default: return fault("unknown record type " + hex(uint64_t(type)));
    }
  }

  // ':' then pairs of hex digits: length, address (2), type, data, checksum.
  bool recordBytes(const std::string& text, std::vector<uint8_t>& b) {
    if (text[0] != ':') return fault("a record must start with ':'");
    if (text.size() % 2 == 0) return fault("a record must have an even number of hex digits");
    for (size_t i = 1; i < text.size(); i += 2) {
      int high = digitValue(text[i]), low = digitValue(text[i + 1]);
      if (high < 0 || low < 0) return fault("bad digit in record " + text);
      b.push_back(uint8_t(high << 4 | low));
    }
    if (b.size() < 5 || b.size() != size_t(b[0]) + 5) return fault("record length does not match its data");
    unsigned sum = 0;
    for (uint8_t x : b) sum += x;
    if (sum % 256 != 0) return fault("bad checksum " + hex(b.back()));
    return true;
  }

  bool badLength(int type) { return fault("record type " + hex(uint64_t(type)) + " with a wrong length"); }
  bool fault(const std::string& why) {
    problem = why;
    return false;
  }
};

bool parseIntelHex(const std::vector<std::string>& lines, MemoryImage& image, std::string& error) {
  RecordReader reader{image, 0, false, 0, {}};
  for (size_t i = 0; i < lines.size() && !reader.ended; i++) {
    reader.line = int(i) + 1;
    std::string t = trimmedText(lines[i]);
    if (t.empty() || reader.record(t)) continue;
    error = located(image.file, reader.line, reader.problem);
    return false;
  }
  if (reader.ended) return true;
  error = located(image.file, int(lines.size()), "no end-of-file record (type 01)");
  return false;
}

bool isIntelHex(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::string t = trimmedText(line);
    if (!t.empty()) return t[0] == ':';
  }
  return false;
}

// The bytes of an Intel HEX image merged into words, most significant byte first.
std::vector<ImageWord> wordsOfBytes(const std::vector<ImageByte>& bytes, int bytesPerWord) {
  std::map<uint32_t, ImageWord> words;
  for (const ImageByte& b : bytes) {
    uint32_t address = b.address / uint32_t(bytesPerWord);
    int shift = 8 * (bytesPerWord - 1 - int(b.address % uint32_t(bytesPerWord)));
    auto found = words.emplace(address, ImageWord{address, 0, b.line}).first;
    found->second.value = (found->second.value & ~(uint64_t(0xff) << shift)) | uint64_t(b.value) << shift;
  }
  std::vector<ImageWord> list;
  for (const auto& w : words) list.push_back(w.second);
  return list;
}

bool fits(uint64_t value, int bits) { return bits >= 64 || (value >> bits) == 0; }

}  // namespace

bool parseMemoryImage(const std::string& text, const std::string& file, MemoryImage& image, std::string& error) {
  image = MemoryImage{};
  image.file = file;
  std::vector<std::string> lines = textLines(text);
  return isIntelHex(lines) ? parseIntelHex(lines, image, error) : parseWords(lines, image, error);
}

bool readMemoryImage(const std::string& file, MemoryImage& image, std::string& error) {
  std::string text, reason;
  if (!readWholeFile(file, text, reason)) {
    error = file + ": cannot read the memory image: " + reason;
    return false;
  }
  return parseMemoryImage(text, file, image, error);
}

// Every run is checked against the memory before it is spelt out word by word, so that a short file
// cannot ask for more words than the memory holds.
bool imageWords(const MemoryImage& image, int bitsPerWord, uint32_t numberOfWords, const std::string& memory,
                std::vector<ImageWord>& words, std::string& error) {
  int bytesPerWord = std::max(1, (bitsPerWord + 7) / 8);  // a memory of 0-bit words still takes bytes
  const std::vector<ImageWord>& given = image.bytes.empty() ? image.words : wordsOfBytes(image.bytes, bytesPerWord);
  words.clear();
  for (const ImageWord& w : given) {
    std::string problem;
    uint64_t last = uint64_t(w.address) + w.repeat - 1;
    if (last >= numberOfWords)
      problem = "address " + hex(last) + " is past the end of " + memory + " (" + std::to_string(numberOfWords) +
                " words)";
    else if (!fits(w.value, bitsPerWord))
      problem = "word " + hex(w.value) + " is wider than the " + std::to_string(bitsPerWord) + "-bit words of " +
                memory;
    if (problem.empty()) continue;
    error = located(image.file, w.line, problem);
    return false;
  }
  for (const ImageWord& w : given)
    for (uint32_t k = 0; k < w.repeat; k++) words.push_back({w.address + k, w.value, w.line});
  return true;
}
