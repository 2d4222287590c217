// The netlist's names (see NameIndex.h).
//
// Names are handed out in declaration order; each parent scope keeps the set of names used among its
// child scopes, and each scope the sets used among its bundles and among its memories, and a taken
// name gets the first free suffix _1, _2, ...
#include "NameIndex.h"
#include "Sim.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include "Bundles.h"
#include "ExitStatus.h"
#include "Globals.h"
#include "MemoryStore.h"
#include "Numbers.h"
#include "Ph1.h"
#include "Ph2.h"

namespace {

// Recorded during construction.
std::vector<RegisteredMemory> registeredMemories;
std::vector<WideDeclaration> wideDeclarations;
std::vector<std::pair<std::string, std::string>> aliases;  // alias, the name it stands for
std::vector<AddressedMemory> addressedMemories;

NameIndex names;
std::set<int> askedByName;  // bundles bundleNamed has picked since the last reset

std::string printable(const std::string& name) {
  if (name.empty()) return "_";
  std::string s = name;
  for (char& c : s)
    if (static_cast<unsigned char>(c) <= ' ' || c == 127 || c == '.') c = '_';
  return s;
}

// wanted made printable, with the first suffix _1, _2, ... that is not in used yet; entered in used.
std::string uniqueName(std::set<std::string>& used, const std::string& wanted) {
  std::string base = printable(wanted), name = base;
  for (int k = 1; used.count(name); k++) name = base + "_" + std::to_string(k);
  used.insert(name);
  return name;
}

std::string within(const std::string& scopePath, const std::string& name) {
  return scopePath.empty() ? name : scopePath + "." + name;
}

bool endsPath(const std::string& path, const std::string& name) {
  return path.size() > name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0 &&
         path[path.size() - name.size() - 1] == '.';
}

}  // namespace

// The matching rule of NameIndex.h: the indexes of the paths a name picks.
// Compares without building "top." + path for every path: the lookups run at every start-up.  A name
// that ends "top." + path past its dot is a longer name than path, which "top." + path cannot end
// after a dot, so ending the rooted path is ending the path itself.
std::vector<size_t> pathsNamed(const std::vector<std::string>& paths, const std::string& name) {
  const std::string root = std::string(rootScopeName) + ".";
  bool rooted = name.compare(0, root.size(), root) == 0;
  std::vector<size_t> exact, ending;
  for (size_t b = 0; b < paths.size(); b++) {
    const std::string& p = paths[b];
    if (name == p || (rooted && name.size() == root.size() + p.size() && name.compare(root.size(), p.size(), p) == 0))
      exact.push_back(b);
    else if (endsPath(p, name))
      ending.push_back(b);
  }
  return exact.empty() ? ending : exact;
}

namespace {

// Why found (what pathsNamed gave) is not exactly one thing.
std::string namingProblem(const std::vector<std::string>& paths, const std::string& name,
                          const std::vector<size_t>& found, const char* thing, const char* things) {
  if (found.empty()) return std::string("no ") + thing + " is named " + name;
  std::string list;
  for (size_t b : found) list += (list.empty() ? "" : ", ") + paths[b];
  return name + " names " + std::to_string(found.size()) + " " + things + " (" + list +
         "); qualify it by module scope";
}

// Needs only the registration lists, so bundles can be named before elaboration; done once.
void nameBundles() {
  if (names.bundlesBuilt) return;
  names.bundlesBuilt = true;
  const std::vector<ModuleScope>& scopes = moduleScopes();
  std::vector<std::set<std::string>> childScopes(scopes.size()), scopeBundles(scopes.size());
  names.scopeNames.assign(scopes.size(), "");
  names.scopePaths.assign(scopes.size(), "");
  for (size_t i = 1; i < scopes.size(); i++) {
    size_t parent = size_t(scopes[i].parent);
    names.scopeNames[i] = uniqueName(childScopes[parent], scopes[i].name);
    names.scopePaths[i] = within(names.scopePaths[parent], names.scopeNames[i]);
  }
  for (const DeclaredBundle& b : declaredBundles()) {
    size_t scope = size_t(b.scope);
    names.bundleNames.push_back(uniqueName(scopeBundles[scope], b.name));
    names.bundlePaths.push_back(within(names.scopePaths[scope], names.bundleNames.back()));
  }
}

void placeBits() {
  names.bitBundles.assign(size_t(phaseTwo->numberOfSignals), -1);
  names.bitPositions.assign(size_t(phaseTwo->numberOfSignals), 0);
  const std::vector<DeclaredBundle>& bundles = declaredBundles();
  for (size_t b = 0; b < bundles.size(); b++)
    for (size_t i = 0; i < bundles[b].bits.size(); i++) {
      size_t bit = size_t(bundles[b].bits[i]);
      if (bit >= names.bitBundles.size() || names.bitBundles[bit] >= 0) continue;
      names.bitBundles[bit] = int(b);
      names.bitPositions[bit] = int(i);
    }
}

// A bit's name after its bundle's name or path.
std::string bitNameAfter(const std::vector<std::string>& bundleNames, int bit) {
  const NameIndex& index = nameIndex();
  int b = index.bitBundles[size_t(bit)];
  if (b < 0) return phaseTwo->signalNames[size_t(bit)];
  bool wide = declaredBundles()[size_t(b)].bits.size() > 1;
  return bundleNames[size_t(b)] + (wide ? "[" + std::to_string(index.bitPositions[size_t(bit)]) + "]" : "");
}

std::vector<std::string> memoryPaths(size_t among) {
  std::vector<std::string> paths;
  for (size_t m = 0; m < among; m++) paths.push_back(names.memories[m].path);
  return paths;
}

// Finds a memory among the first `among` of the names.
const NamedMemory* lookUpMemory(const std::string& name, size_t among, std::string& problem) {
  std::vector<std::string> paths = memoryPaths(among);
  std::vector<size_t> found = pathsNamed(paths, name);
  if (found.size() == 1) return &names.memories[found[0]];
  problem = namingProblem(paths, name, found, "memory", "memories");
  if (found.empty()) {
    std::string list;
    for (const std::string& p : paths) list += (list.empty() ? "" : ", ") + p;
    problem += list.empty() ? " (the circuit has no memory)" : "; the memories are " + list;
  }
  return nullptr;
}

// The lanes are memories of one length; the first fault is kept as memoryFault.
void addWideMemory(const WideDeclaration& d, size_t plain) {
  std::vector<int> lanes;
  std::string problem, first;
  for (const std::string& lane : d.lanes) {
    const NamedMemory* m = lookUpMemory(lane, plain, problem);
    if (m && !lanes.empty() && memoryWordCount(m->lanes[0]) != memoryWordCount(lanes[0]))
      problem = "lane " + m->path + " has " + std::to_string(memoryWordCount(m->lanes[0])) + " words but lane " +
                first + " has " + std::to_string(memoryWordCount(lanes[0]));
    if (!m || !problem.empty()) break;
    if (lanes.empty()) first = m->path;
    lanes.push_back(m->lanes[0]);
  }
  if (problem.empty() && lanes.empty()) problem = "no lanes";
  if (problem.empty())
    names.memories.push_back({d.name, lanes});
  else
    names.memoryFault = "wide memory " + d.name + ": " + problem;
}

void nameMemories() {
  std::vector<std::set<std::string>> used(names.scopePaths.size() + 1);
  for (const RegisteredMemory& m : registeredMemories) {
    size_t scope = size_t(m.scope) < names.scopePaths.size() ? size_t(m.scope) : 0;
    std::string name = uniqueName(used[scope], phaseTwo->decal[size_t(m.component)]);
    names.memories.push_back({within(scope < names.scopePaths.size() ? names.scopePaths[scope] : "", name),
                              {m.component}});
  }
  size_t plain = names.memories.size();
  for (const WideDeclaration& d : wideDeclarations)
    if (names.memoryFault.empty()) addWideMemory(d, plain);
  for (const AddressedMemory& a : addressedMemories)
    for (NamedMemory& m : names.memories)
      if (m.path == a.name) {
        m.addressed = true;
        m.firstAddress = a.first;
      }
}

// The name an alias stands for; null when name is no alias.
const std::string* aliasTarget(const std::string& name) {
  for (const auto& a : aliases)
    if (a.first == name) return &a.second;
  return nullptr;
}

// The bundles a name picks, by index into declaredBundles().
std::vector<size_t> bundlesNamed(const std::string& name) {
  nameBundles();
  std::vector<size_t> found = pathsNamed(names.bundlePaths, name);
  const std::string* target = found.size() == 1 ? nullptr : aliasTarget(name);
  return target ? pathsNamed(names.bundlePaths, *target) : found;
}

}  // namespace

void buildNameIndex() {
  if (names.built) return;
  names.built = true;
  nameBundles();
  placeBits();
  nameMemories();
}

const NameIndex& nameIndex() {
  buildNameIndex();
  return names;
}

std::string fullBitName(int bit) { return bitNameAfter(nameIndex().bundlePaths, bit); }

std::string shortBitName(int bit) { return bitNameAfter(nameIndex().bundleNames, bit); }

const std::string& componentPath(int c) {
  const std::vector<int>& scopes = componentScopes();
  size_t scope = size_t(c) < scopes.size() ? size_t(scopes[size_t(c)]) : 0;
  const NameIndex& index = nameIndex();
  return index.scopePaths[scope < index.scopePaths.size() ? scope : 0];
}

void resetNameIndex() {
  names = NameIndex();
  askedByName.clear();
  registeredMemories.clear();
  wideDeclarations.clear();
  aliases.clear();
  addressedMemories.clear();
}

int bundleNamed(const std::string& name, std::string& problem) {
  std::vector<size_t> found = bundlesNamed(name);
  if (found.size() == 1) {
    askedByName.insert(int(found[0]));
    return int(found[0]);
  }
  problem = namingProblem(names.bundlePaths, name, found, "signal bundle", "signal bundles");
  return -1;
}

bool bundleAskedByName(int bundle) { return askedByName.count(bundle) != 0; }

// NAME[i] is tried as a bundle first, so that a bundle named with brackets stays reachable.
bool bitsNamed(const std::string& name, std::vector<int>& bits, std::string& problem) {
  size_t open = name.rfind('[');
  bool indexed = bundlesNamed(name).empty() && open != std::string::npos && open > 0 && name.back() == ']';
  int b = bundleNamed(indexed ? name.substr(0, open) : name, problem);
  if (b < 0) return false;
  const std::vector<int>& all = declaredBundles()[size_t(b)].bits;
  if (!indexed) {
    bits = all;
    return true;
  }
  std::string digits = name.substr(open + 1, name.size() - open - 2);
  uint64_t bit = 0;
  if (all.empty() || !readNumber(digits, decimalFrom(0, all.size() - 1), bit)) {
    problem = "bit " + digits + " is out of range: " + names.bundlePaths[size_t(b)] + " has " +
              std::to_string(all.size()) + (all.size() == 1 ? " bit" : " bits");
    return false;
  }
  bits = {all[size_t(bit)]};
  return true;
}

void stopOnMemoryFault() {
  const std::string& fault = nameIndex().memoryFault;
  if (fault.empty()) return;
  fprintf(stderr, "ERROR -- %s\n", fault.c_str());
  setPendingVerdict({exitFailed, reasonConstructionFailed, ""});
  exit(1);
}

const NamedMemory* memoryNamed(const std::string& name, std::string& problem) {
  stopOnMemoryFault();
  return lookUpMemory(name, names.memories.size(), problem);
}

std::string memoryPathOf(int cind) {
  stopOnMemoryFault();
  for (const NamedMemory& m : names.memories)
    if (m.lanes.size() == 1 && m.lanes[0] == cind) return m.path;
  return "";
}

void recordMemoryComponent() {
  recordMemoryComponent(phaseOne->componentList.numberOfComponents - 1, currentModuleScope());
}

void recordMemoryComponent(int component, int scope) { registeredMemories.push_back({component, scope}); }

const std::vector<RegisteredMemory>& registeredMemoryComponents() { return registeredMemories; }
const std::vector<WideDeclaration>& wideMemoryDeclarations() { return wideDeclarations; }
const std::vector<std::pair<std::string, std::string>>& nameAliases() { return aliases; }
const std::vector<AddressedMemory>& memoryAddressDeclarations() { return addressedMemories; }

void WideMemory(const char* name, const std::vector<std::string>& lanes) {
  wideDeclarations.push_back({name ? name : "", lanes});
}

void NameAlias(const char* alias, const char* name) { aliases.emplace_back(alias, name); }

void MemoryAddresses(const char* memory, uint32_t first) { addressedMemories.push_back({memory, first}); }

bool memoryWordIndex(const NamedMemory& m, uint32_t address, uint32_t& word, std::string& problem) {
  uint32_t words = memoryWordCount(m.lanes[0]);
  word = address;
  if (!m.addressed || address < words) return true;
  if (address >= m.firstAddress && address - m.firstAddress < words) {
    word = address - m.firstAddress;
    return true;
  }
  char range[64];
  snprintf(range, sizeof range, "0x%x..0x%x", unsigned(m.firstAddress), unsigned(m.firstAddress + words - 1));
  problem = "address " + std::to_string(address) + " is not in " + m.path + ": give a word 0.." +
            std::to_string(words - 1) + " or an address " + range;
  return false;
}
