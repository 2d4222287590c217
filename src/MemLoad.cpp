// Memories by name, and loading images into them.
//
// Every Rom, Ram and RegisterFile records itself with the module scope it was registered in.  After
// elaboration each gets a name: its decal, numbered among memories of the same decal in its scope
// (Ram, Ram_1), behind the path of that scope (Memory.Ram_1), and wide memories (lanes side by side)
// join the list.  A name picks a memory the way --expect picks a bundle (pathsNamed).
//
// Loading checks every queued image against its memory before any is loaded, then replaces the
// contents: a Rom's bytes in the flat arrays in place (they are never changed by the run), a Ram's or
// RegisterFile's initial store, which multiPortRam copies in whenever it initialises its store (every
// start and restart) instead of clearing it.  So a run without images does what it always did.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include "BundlePaths.h"
#include "Bundles.h"
#include "CompKinds.h"
#include "FileIO.h"
#include "Globals.h"
#include "MemLoad.h"
#include "Ph1.h"
#include "Ph2.h"
#include "RunTime.h"
#include "vlsiPh1.h"

namespace {

struct RegisteredMemory {
  int component;
  int scope;
};

struct WideDeclaration {
  std::string name;
  std::vector<std::string> lanes;
};

struct QueuedLoad {
  std::string name;
  MemoryImage image;
};

// A named memory: one component, or the lanes of a wide memory, most significant first.
struct NamedMemory {
  std::string path;
  std::vector<int> lanes;
};

std::vector<RegisteredMemory> registeredMemories;
std::vector<WideDeclaration> wideDeclarations;
std::vector<QueuedLoad> queuedLoads;
std::vector<NamedMemory> memoryTable;  // built once after elaboration
std::vector<std::string> memoryPaths;  // the paths of memoryTable, for matching
bool memoryTableBuilt = false;
std::vector<std::vector<uint32_t>> preloadedStores;  // by component index; empty: none

bool isRom(int c) { return kindOf(c).memory == romMemory; }

const int* parametersOf(int c) { return phaseTwo->integerParameters[size_t(c)]; }

int laneWidth(int c) { return parametersOf(c)[isRom(c) ? int(romBitsPerWordParameter) : int(bitWordWidthParameter)]; }

uint32_t laneWords(int c) {
  return uint32_t(parametersOf(c)[isRom(c) ? int(romWordsParameter) : int(numberOfWordsParameter)]);
}

int widthOf(const NamedMemory& m) {
  int width = 0;
  for (int c : m.lanes) width += laneWidth(c);
  return width;
}

// Finds a memory among the first `among` of the table.
const NamedMemory* lookUp(const std::string& name, size_t among, std::string& problem) {
  std::vector<std::string> paths(memoryPaths.begin(), memoryPaths.begin() + long(among));
  std::vector<size_t> found = pathsNamed(paths, name);
  if (found.size() == 1) return &memoryTable[found[0]];
  problem = namingProblem(paths, name, found, "memory", "memories");
  if (found.empty()) {
    std::string list;
    for (const std::string& p : paths) list += (list.empty() ? "" : ", ") + p;
    problem += list.empty() ? " (the circuit has no memory)" : "; the memories are " + list;
  }
  return nullptr;
}

void addToTable(const std::string& path, const std::vector<int>& lanes) {
  memoryTable.push_back({path, lanes});
  memoryPaths.push_back(path);
}

// A wide memory whose lanes are not memories of one length is a fault of the circuit's construction.
void addWideMemory(const WideDeclaration& d, size_t plain) {
  std::vector<int> lanes;
  std::string problem;
  std::string first;
  for (const std::string& lane : d.lanes) {
    const NamedMemory* m = lookUp(lane, plain, problem);
    if (m && !lanes.empty() && laneWords(m->lanes[0]) != laneWords(lanes[0]))
      problem = "lane " + m->path + " has " + std::to_string(laneWords(m->lanes[0])) + " words but lane " + first +
                " has " + std::to_string(laneWords(lanes[0]));
    if (!m || !problem.empty()) {
      fprintf(stderr, "ERROR -- wide memory %s: %s\n", d.name.c_str(), problem.c_str());
      exit(1);
    }
    if (lanes.empty()) first = m->path;
    lanes.push_back(m->lanes[0]);
  }
  if (lanes.empty()) {
    fprintf(stderr, "ERROR -- wide memory %s: no lanes\n", d.name.c_str());
    exit(1);
  }
  addToTable(d.name, lanes);
}

void buildMemoryTable() {
  if (memoryTableBuilt) return;
  memoryTableBuilt = true;
  BundlePaths names = nameBundles();
  std::vector<std::set<std::string>> used(names.scopePaths.size() + 1);
  for (const RegisteredMemory& m : registeredMemories) {
    size_t scope = size_t(m.scope) < names.scopePaths.size() ? size_t(m.scope) : 0;
    std::string name = uniqueName(used[scope], phaseTwo->decal[size_t(m.component)]);
    const std::string& within = scope < names.scopePaths.size() ? names.scopePaths[scope] : "";
    addToTable(within.empty() ? name : within + "." + name, {m.component});
  }
  size_t plain = memoryTable.size();
  for (const WideDeclaration& d : wideDeclarations) addWideMemory(d, plain);
}

const NamedMemory* memoryNamed(const std::string& name, std::string& problem) {
  buildMemoryTable();
  return lookUp(name, memoryTable.size(), problem);
}

// Bit i of a word in a Rom lane: bit i%8 of byte w*A + A-1 - i/8 (A bytes per word).
void romWord(int c, uint32_t address, std::vector<SignalValue>& bits) {
  int bytesPerWord = parametersOf(c)[romBytesPerWordParameter];
  const unsigned char* word = phaseTwo->byteParameters[size_t(c)] + size_t(address) * size_t(bytesPerWord);
  for (int i = 0; i < laneWidth(c); i++) bits.push_back((word[bytesPerWord - 1 - i / 8] >> (i % 8)) & 1 ? ONE : ZERO);
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
  int bytesPerWord = parametersOf(c)[romBytesPerWordParameter], width = laneWidth(c);
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
  if (preloadedStores.size() < size_t(phaseTwo->numberOfComponents)) preloadedStores.resize(size_t(phaseTwo->numberOfComponents));
  std::vector<uint32_t>& store = preloadedStores[size_t(c)];
  store.assign(size_t(p[numberOf32BitWordsParameter]), 0);
  std::vector<SignalValue> bits(static_cast<size_t>(width));
  for (const ImageWord& w : words) {
    for (int i = 0; i < width; i++) bits[size_t(i)] = (w.value >> (shift + i)) & 1 ? ONE : ZERO;
    packValues(width, bits.data(), store.data() + size_t(w.address) * size_t(perWord));
  }
}

void load(const NamedMemory& m, const std::vector<ImageWord>& words) {
  int shift = widthOf(m);
  for (int c : m.lanes) {
    shift -= laneWidth(c);
    if (isRom(c))
      writeRomLane(c, words, shift);
    else
      writeStoreLane(c, words, shift);
  }
}

// Resolves and checks one queued image; reports its first fault.
bool checkLoad(const QueuedLoad& q, const NamedMemory*& memory, std::vector<ImageWord>& words) {
  std::string problem;
  memory = memoryNamed(q.name, problem);
  if (memory && widthOf(*memory) > 64)
    problem = memory->path + " has " + std::to_string(widthOf(*memory)) +
              "-bit words; images fill words of at most 64 bits";
  if (!problem.empty()) {
    fprintf(stderr, "ERROR -- %s: %s\n", q.image.file.c_str(), problem.c_str());
    return false;
  }
  if (imageWords(q.image, widthOf(*memory), laneWords(memory->lanes[0]), memory->path, words, problem)) return true;
  fprintf(stderr, "ERROR -- %s\n", shownText(problem).c_str());
  return false;
}

}  // namespace

void recordMemoryComponent() {
  registeredMemories.push_back({phaseOne->componentList.numberOfComponents - 1, currentModuleScope()});
}

void WideMemory(const char* name, const std::vector<std::string>& lanes) {
  wideDeclarations.push_back({name ? name : "", lanes});
}

void addMemoryLoad(const std::string& name, MemoryImage image) { queuedLoads.push_back({name, std::move(image)}); }

bool takeMemoryLoadOption(const char* argument, std::string& problem) {
  std::string text = argument;
  size_t equals = text.find('=');
  if (equals == 0 || equals == std::string::npos || equals + 1 == text.size()) {
    problem = "option --load requires NAME=FILE, not " + text;
    return false;
  }
  MemoryImage image;
  noteInputFile(text.substr(equals + 1), "--load");
  if (!readMemoryImage(text.substr(equals + 1), image, problem)) return false;
  addMemoryLoad(text.substr(0, equals), std::move(image));
  return true;
}

// Two images for one memory would leave only the later one in it, unnoticed.
bool loadedTwice(const std::vector<const NamedMemory*>& memories) {
  for (size_t j = 0; j < memories.size(); j++)
    for (size_t i = 0; i < j; i++)
      if (memories[i] && memories[i] == memories[j]) {
        fprintf(stderr, "ERROR -- %s is given two images, %s and %s: give one\n", memories[i]->path.c_str(),
                queuedLoads[i].image.file.c_str(), queuedLoads[j].image.file.c_str());
        return true;
      }
  return false;
}

void loadMemoryImages() {
  buildMemoryTable();
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

bool findMemory(const std::string& name, MemoryShape& shape, std::string& problem) {
  const NamedMemory* m = memoryNamed(name, problem);
  if (!m) return false;
  shape = {m->path, widthOf(*m), laneWords(m->lanes[0])};
  return true;
}

bool readMemoryWord(const std::string& name, uint32_t address, std::vector<SignalValue>& bits, std::string& problem) {
  const NamedMemory* m = memoryNamed(name, problem);
  if (!m) return false;
  if (address >= laneWords(m->lanes[0])) {
    problem = "address " + std::to_string(address) + " is past the end of " + m->path + " (" +
              std::to_string(laneWords(m->lanes[0])) + " words)";
    return false;
  }
  bits.clear();
  for (size_t k = m->lanes.size(); k-- > 0;) {
    int c = m->lanes[k];
    if (isRom(c))
      romWord(c, address, bits);
    else
      storeWord(c, address, bits);
  }
  return true;
}

std::string memoryPathOf(int cind) {
  buildMemoryTable();
  for (const NamedMemory& m : memoryTable)
    if (m.lanes.size() == 1 && m.lanes[0] == cind) return m.path;
  return "";
}

const uint32_t* preloadedStore(int cind) {
  size_t c = size_t(cind);
  return c < preloadedStores.size() && !preloadedStores[c].empty() ? preloadedStores[c].data() : nullptr;
}

void resetMemoryImages() {
  registeredMemories.clear();
  wideDeclarations.clear();
  queuedLoads.clear();
  memoryTable.clear();
  memoryPaths.clear();
  memoryTableBuilt = false;
  preloadedStores.clear();
}
