// Loading images into memories, and reading their words.  Which memories there are and what they are
// named is the name index's (NameIndex.h).
//
// Loading checks every queued image against its memory before any is loaded, then replaces the
// contents: a Rom's bytes in the flat arrays in place (they are never changed by the run), a Ram's or
// RegisterFile's initial store, which multiPortRam copies in whenever it initialises its store (every
// start and restart) instead of clearing it.  So a run without images does what it always did.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "FileIO.h"
#include "Globals.h"
#include "MemLoad.h"
#include "MemoryStore.h"
#include "NameIndex.h"
#include "Ph2.h"
#include "RunTime.h"
#include "vlsiPh1.h"

namespace {

std::vector<QueuedLoad> queuedLoads;
std::vector<std::vector<bool>> wordsLoaded;         // by component index, the words an image gave; empty: none

const int* parametersOf(int c) { return phaseTwo->integerParameters[size_t(c)]; }

int widthOf(const NamedMemory& m) {
  int width = 0;
  for (int c : m.lanes) width += memoryWordWidth(c);
  return width;
}

// Bit i of a word in a Rom lane: bit i%8 of byte w*A + A-1 - i/8 (A bytes per word).
void romWord(int c, uint32_t address, std::vector<SignalValue>& bits) {
  int bytesPerWord = parametersOf(c)[romBytesPerWordParameter];
  const unsigned char* word = phaseTwo->byteParameters[size_t(c)] + size_t(address) * size_t(bytesPerWord);
  for (int i = 0; i < memoryWordWidth(c); i++) bits.push_back((word[bytesPerWord - 1 - i / 8] >> (i % 8)) & 1 ? ONE : ZERO);
}

// A Ram or RegisterFile word as the memory reads it; before its first evaluation (the store not yet
// initialised) what initialisation will give it.
void storeWord(int c, uint32_t address, std::vector<SignalValue>& bits) {
  const int* p = parametersOf(c);
  int width = p[bitWordWidthParameter], perWord = p[storeWordsPerSimWordParameter];
  if (p[zeroIsZEROParameter] && address == 0) {
    bits.insert(bits.end(), size_t(width), ZERO);
    return;
  }
  const uint32_t* store = phaseTwo->state[size_t(c)] ? phaseTwo->internal32BitVariables[size_t(c)] : preloadedStore(c);
  if (!store) {
    bits.insert(bits.end(), size_t(width), UNINITIALIZED);
    return;
  }
  std::vector<SignalValue> values(static_cast<size_t>(width), UNINITIALIZED);
  unpackSignals(width, store + size_t(address) * size_t(perWord), values.data());
  bits.insert(bits.end(), values.begin(), values.end());
}

void writeRomLane(int c, const std::vector<ImageWord>& words, int shift) {
  int bytesPerWord = parametersOf(c)[romBytesPerWordParameter], width = memoryWordWidth(c);
  unsigned char* bytes = phaseTwo->byteParameters[size_t(c)];
  std::fill(bytes, bytes + phaseTwo->numberOfByteParameters[size_t(c)], 0);
  for (const ImageWord& w : words) {
    uint64_t lane = (w.value >> shift) & (width >= 64 ? ~uint64_t(0) : (uint64_t(1) << width) - 1);
    for (int k = 0; k < bytesPerWord; k++)
      bytes[size_t(w.address) * size_t(bytesPerWord) + size_t(bytesPerWord - 1 - k)] = uint8_t(lane >> (8 * k));
  }
}

// Image words become determinate bits, packed as the memory stores them; a later word at the same
// address replaces an earlier one whole.  Words the image does not give stay UNINITIALIZED.
void writeStoreLane(int c, const std::vector<ImageWord>& words, int shift) {
  const int* p = parametersOf(c);
  int width = p[bitWordWidthParameter], perWord = p[storeWordsPerSimWordParameter];
  std::vector<uint32_t>& store = preloadedStoreToFill(c);
  std::vector<SignalValue> bits(static_cast<size_t>(width));
  for (const ImageWord& w : words) {
    for (int i = 0; i < width; i++) bits[size_t(i)] = (w.value >> (shift + i)) & 1 ? ONE : ZERO;
    packValues(width, bits.data(), store.data() + size_t(w.address) * size_t(perWord));
  }
}

void noteWordsLoaded(int c, const std::vector<ImageWord>& words) {
  if (wordsLoaded.size() < size_t(phaseTwo->numberOfComponents)) wordsLoaded.resize(size_t(phaseTwo->numberOfComponents));
  std::vector<bool>& given = wordsLoaded[size_t(c)];
  given.assign(memoryWordCount(c), false);
  for (const ImageWord& w : words) given[w.address] = true;
}

void load(const NamedMemory& m, const std::vector<ImageWord>& words) {
  int shift = widthOf(m);
  for (int c : m.lanes) {
    shift -= memoryWordWidth(c);
    noteWordsLoaded(c, words);
    if (isRomComponent(c))
      writeRomLane(c, words, shift);
    else
      writeStoreLane(c, words, shift);
  }
}

// Resolves and checks an image for the memory NAME; problem is its first fault.
bool resolveImage(const std::string& name, const MemoryImage& image, const NamedMemory*& memory,
                  std::vector<ImageWord>& words, std::string& problem) {
  memory = memoryNamed(name, problem);
  if (memory && widthOf(*memory) > 64)
    problem = memory->path + " has " + std::to_string(widthOf(*memory)) +
              "-bit words; images fill words of at most 64 bits";
  if (!problem.empty()) {
    problem = image.file + ": " + problem;
    return false;
  }
  if (imageWords(image, widthOf(*memory), memoryWordCount(memory->lanes[0]), memory->path, words, problem)) return true;
  problem = shownText(problem);
  return false;
}

// Resolves and checks one queued image; reports its first fault.
bool checkLoad(const QueuedLoad& q, const NamedMemory*& memory, std::vector<ImageWord>& words) {
  std::string problem;
  if (resolveImage(q.name, q.image, memory, words, problem)) return true;
  fprintf(stderr, "ERROR -- %s\n", problem.c_str());
  return false;
}

// The refusal of a second image for one memory, naming both files.
std::string twoImages(const std::string& memory, const std::string& first, const std::string& second) {
  return memory + " is given two images, " + first + " and " + second + ": give one";
}

}  // namespace

void addMemoryLoad(const std::string& name, MemoryImage image) { queuedLoads.push_back({name, std::move(image), true}); }

void queueOptionMemoryLoad(const std::string& name, MemoryImage image) {
  queuedLoads.push_back({name, std::move(image), false});
}

const std::vector<QueuedLoad>& queuedMemoryLoads() { return queuedLoads; }

bool takeMemoryLoadOption(const char* argument, std::string& problem) {
  std::string text = argument;
  size_t equals = text.find('=');
  if (equals == 0 || equals == std::string::npos || equals + 1 == text.size()) {
    problem = "option --load requires NAME=FILE, not " + text;
    return false;
  }
  std::string name = text.substr(0, equals), file = text.substr(equals + 1);
  // A memory a circuit's option gave an image by this name (--program's ROM) is refused before the
  // file is read: it may be no image at all (that option's source), and its faults would hide the
  // conflict.  Two --load of one memory are told apart after elaboration, with every faulty image.
  for (const QueuedLoad& q : queuedLoads)
    if (q.byCircuit && q.name == name) {
      problem = twoImages(name, q.image.file, file);
      return false;
    }
  MemoryImage image;
  noteInputFile(file, "--load");
  if (!readMemoryImage(file, image, problem)) return false;
  queueOptionMemoryLoad(name, std::move(image));
  return true;
}

// The memory two loads both reach: the one they name when it is the same, else the first lane they share
// (a wide memory and one of its lanes, or two wide memories); "" when they reach none in common.
std::string sharedMemory(const NamedMemory& a, const NamedMemory& b) {
  if (&a == &b) return a.path;
  for (int c : a.lanes)
    if (std::find(b.lanes.begin(), b.lanes.end(), c) != b.lanes.end()) return memoryPathOf(c);
  return "";
}

// Two images for one memory would leave only the later one in it, or a word mixed of both, unnoticed.
bool loadedTwice(const std::vector<const NamedMemory*>& memories) {
  for (size_t j = 0; j < memories.size(); j++)
    for (size_t i = 0; i < j; i++) {
      std::string shared = memories[i] && memories[j] ? sharedMemory(*memories[i], *memories[j]) : "";
      if (shared.empty()) continue;
      std::string refusal = twoImages(shared, queuedLoads[i].image.file, queuedLoads[j].image.file);
      fprintf(stderr, "ERROR -- %s\n", refusal.c_str());
      return true;
    }
  return false;
}

void loadMemoryImages() {
  stopOnMemoryFault();
  std::vector<const NamedMemory*> memories(queuedLoads.size());
  std::vector<std::vector<ImageWord>> words(queuedLoads.size());
  bool faulty = false;
  for (size_t i = 0; i < queuedLoads.size(); i++)
    if (!checkLoad(queuedLoads[i], memories[i], words[i])) {
      faulty = true;
      memories[i] = nullptr;
    }
  if (loadedTwice(memories) || faulty) exit(2);
  for (size_t i = 0; i < queuedLoads.size(); i++) load(*memories[i], words[i]);
}

bool imageFitsMemory(const std::string& name, const MemoryImage& image, std::string& problem) {
  const NamedMemory* memory = nullptr;
  std::vector<ImageWord> words;
  return resolveImage(name, image, memory, words, problem);
}

bool loadMemoryImageNow(const std::string& name, const MemoryImage& image, std::string& problem) {
  const NamedMemory* memory = nullptr;
  std::vector<ImageWord> words;
  if (!resolveImage(name, image, memory, words, problem)) return false;
  load(*memory, words);
  return true;
}

bool findMemory(const std::string& name, MemoryShape& shape, std::string& problem) {
  const NamedMemory* m = memoryNamed(name, problem);
  if (!m) return false;
  shape = {m->path, widthOf(*m), memoryWordCount(m->lanes[0])};
  return true;
}

bool readMemoryWord(const std::string& name, uint32_t address, std::vector<SignalValue>& bits, std::string& problem) {
  const NamedMemory* m = memoryNamed(name, problem);
  if (!m) return false;
  if (address >= memoryWordCount(m->lanes[0])) {
    problem = "address " + std::to_string(address) + " is past the end of " + m->path + " (" +
              std::to_string(memoryWordCount(m->lanes[0])) + " words)";
    return false;
  }
  bits.clear();
  for (size_t k = m->lanes.size(); k-- > 0;) {
    int c = m->lanes[k];
    if (isRomComponent(c))
      romWord(c, address, bits);
    else
      storeWord(c, address, bits);
  }
  return true;
}

bool wordsGivenByImages(const std::string& name, std::vector<bool>& given) {
  given.clear();
  std::string problem;
  const NamedMemory* m = memoryNamed(name, problem);
  if (!m) return false;
  bool anyLoaded = false;
  given.assign(memoryWordCount(m->lanes[0]), true);
  for (int c : m->lanes) {
    bool loaded = size_t(c) < wordsLoaded.size() && !wordsLoaded[size_t(c)].empty();
    anyLoaded = anyLoaded || loaded;
    for (size_t w = 0; w < given.size(); w++) given[w] = given[w] && loaded && wordsLoaded[size_t(c)][w];
  }
  if (!anyLoaded) given.clear();
  return anyLoaded;
}

void resetMemoryImages() {
  queuedLoads.clear();
  resetPreloadedStores();
  wordsLoaded.clear();
  resetNameIndex();
}

