// Fuzz target: memory images in both formats, and the words they give memories of several shapes.
//
// The input is the text of an image.  A refused one has an error "f.hex:LINE: problem" on a line of
// the text.  An accepted one holds hex words (N*WORD as one run) or Intel HEX bytes, never both, each
// from a line of the text: at most 2^24 words, runs counted as N, every run inside the 32-bit address
// space, at most one byte per two characters.  Then the image meets memories of several widths and
// sizes: refused with an error on a line of the text that names the memory, or accepted with every
// word inside the memory and fitting its width; hex words come as given with each run spelt out,
// Intel HEX bytes form words most significant byte first, the last byte given at an address winning
// and the bytes not given zero.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "MemImage.h"

namespace {

struct Shape {
  int bitsPerWord;
  uint32_t numberOfWords;
  const char* name;
};

// The processor's memories, byte and odd widths, the widest words, and words of no bits at all.
const Shape shapes[] = {
    {16, 64, "Rom"},   {8, 256, "Bytes"},         {1, 1, "Bit"},                {12, 4096, "Twelve"},
    {24, 1000, "Odd"}, {33, 1u << 20, "Wide"}, {64, 1u << 20, "Widest"}, {0, 16, "Empty"},
};

// A memory of more than 4096 words meets only images of at most 2^20 words: it would spell out any
// run it holds, and the fuzzer's time is better spent on many inputs than on millions of words.
const uint32_t smallMemory = 4096;
const uint64_t largeImage = uint64_t(1) << 20;

uint64_t wordsGiven(const MemoryImage& image) {
  uint64_t n = 0;
  for (const ImageWord& w : image.words) n += w.repeat;
  return n;
}

void checkLocated(const std::string& error, size_t lineCount, const char* what) {
  size_t at = 0;
  long line = lineOfMessage(error, "f.hex", at);
  require(line >= 1 && size_t(line) <= lineCount && error.compare(at, 1, " ") == 0 && error.size() > at + 1,
          what);
}

void checkImage(const MemoryImage& image, size_t lineCount, size_t textSize) {
  require(image.words.empty() || image.bytes.empty(), "an image holds words or bytes, never both");
  require(wordsGiven(image) <= (uint64_t(1) << 24), "an image gives at most 2^24 words");
  require(image.bytes.size() <= textSize / 2, "an image holds at most one byte per two characters");
  for (const ImageWord& w : image.words) {
    require(w.line >= 1 && size_t(w.line) <= lineCount, "a word comes from a line of the text");
    require(w.repeat >= 1 && uint64_t(w.address) + w.repeat <= (uint64_t(1) << 32), "a run lies below 2^32");
  }
  for (const ImageByte& b : image.bytes)
    require(b.line >= 1 && size_t(b.line) <= lineCount, "a byte comes from a line of the text");
}

// The hex words as a memory takes them: each run spelt out, in the order given.
bool spelt(const std::vector<ImageWord>& runs, const std::vector<ImageWord>& words) {
  size_t i = 0;
  for (const ImageWord& r : runs)
    for (uint32_t k = 0; k < r.repeat; k++, i++)
      if (i >= words.size() || words[i].address != r.address + k || words[i].value != r.value ||
          words[i].line != r.line || words[i].repeat != 1)
        return false;
  return i == words.size();
}

// The words the bytes give, by address: each byte in its place, most significant first.
std::map<uint32_t, uint64_t> wordsOfBytes(const std::vector<ImageByte>& bytes, uint32_t bytesPerWord) {
  std::map<uint32_t, uint8_t> last;
  for (const ImageByte& b : bytes) last[b.address] = b.value;
  std::map<uint32_t, uint64_t> words;
  for (const auto& b : last)
    words[b.first / bytesPerWord] |= uint64_t(b.second) << (8 * (bytesPerWord - 1 - b.first % bytesPerWord));
  return words;
}

void checkWords(const MemoryImage& image, const Shape& shape, const std::vector<ImageWord>& words) {
  for (const ImageWord& w : words) {
    require(w.address < shape.numberOfWords, "a word lies inside its memory");
    require(shape.bitsPerWord >= 64 || w.value >> shape.bitsPerWord == 0, "a word fits its memory's width");
  }
  if (image.bytes.empty()) {
    require(spelt(image.words, words), "hex words come as given, each run spelt out");
    return;
  }
  uint32_t bytesPerWord = shape.bitsPerWord > 8 ? uint32_t(shape.bitsPerWord + 7) / 8 : 1;
  std::map<uint32_t, uint64_t> expected = wordsOfBytes(image.bytes, bytesPerWord);
  require(words.size() == expected.size(), "Intel HEX bytes give one word per word address");
  for (const ImageWord& w : words)
    require(expected.count(w.address) && expected[w.address] == w.value, "Intel HEX bytes form their words");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text = textOf(data, size);
  size_t lineCount = sourceLines(text).size();
  MemoryImage image;
  std::string error;
  if (!parseMemoryImage(text, "f.hex", image, error)) {
    checkLocated(error, lineCount, "a refused image names a line of its text");
    return 0;
  }
  require(image.file == "f.hex", "an image keeps its file name");
  checkImage(image, lineCount, size);
  bool large = wordsGiven(image) > largeImage;
  for (const Shape& shape : shapes) {
    if (large && shape.numberOfWords > smallMemory) continue;
    std::vector<ImageWord> words;
    if (imageWords(image, shape.bitsPerWord, shape.numberOfWords, shape.name, words, error)) {
      checkWords(image, shape, words);
    } else {
      checkLocated(error, lineCount, "a refused image names a line of its text");
      require(error.find(shape.name) != std::string::npos, "a refused image names the memory");
    }
  }
  return 0;
}
