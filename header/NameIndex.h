// The names of the elaborated netlist, in one index built once: module scopes, declared bundles and
// their bits, the module path of every component, and the memories.  Every option and view that takes
// a name (--expect, --explain, --load, --vcd, the processor's views) asks it; none keeps its own.
//
// How a NAME picks a thing (a bundle, a memory):
//   the thing whose path NAME is, with or without "top."; failing that, every thing whose path NAME
//   ends at a '.' boundary (Reg16_1.out ends BasicPipe.Reg16_1.out; ut ends nothing).  It must pick
//   exactly one; otherwise the problem is "no THING is named NAME" or "NAME names 2 THINGS (a, b);
//   qualify it by module scope".
//
// How things are named: sibling scopes with the same tag are numbered in declaration order (Reg16,
// Reg16_1, Reg16_2, ...), and so are bundles of the same name in one scope.  Whitespace and '.'
// become '_', since '.' joins the parts of a qualified name.  A bundle's path is the names of its
// scopes below the top and its own name, joined by '.': BasicPipe.Reg16_1.out.  In the waveform dump
// the top scope is a module named rootScopeName, so the same bundle shows there as
// top.BasicPipe.Reg16_1.out.  A bit is named by its bundle (the first that holds it), with [i] when
// the bundle is wider; a bit of no bundle by its signal's own name.  Every Rom, Ram and RegisterFile is
// named by its decal, numbered among memories of the same decal in its scope (Ram, Ram_1), behind the
// path of that scope (Memory.Ram_1); the wide memories (lanes side by side) follow under their
// declared names.
#ifndef TARVIK_NAMEINDEX_H
#define TARVIK_NAMEINDEX_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

const char rootScopeName[] = "top";

// A named memory: one component, or the lanes of a wide memory, most significant first.
struct NamedMemory {
  std::string path;
  std::vector<int> lanes;
  bool addressed = false;      // a program reaches its words at firstAddress.. as well (MemoryAddresses)
  uint32_t firstAddress = 0;
};

struct NameIndex {
  bool built = false;
  bool bundlesBuilt = false;                // scopes and bundles named (possible before elaboration)
  std::vector<std::string> scopeNames;      // per scope of moduleScopes(); "" for the top scope
  std::vector<std::string> scopePaths;      // per scope: its qualified name without the top scope
  std::vector<std::string> bundleNames;     // per bundle of declaredBundles(), unique within its scope
  std::vector<std::string> bundlePaths;     // per bundle: qualified name without the top scope
  std::vector<int> bitBundles;              // per bit: the first bundle declaring it, -1 for none
  std::vector<int> bitPositions;            // per bit: its place in that bundle
  std::vector<NamedMemory> memories;        // the memories in registration order, then the wide ones
  std::string memoryFault;                  // why a wide memory could not be made; "" when none
};

// Builds the index of the elaborated netlist once; later calls do nothing.  The driver calls it right
// after elaboration; every lookup calls it too, so that a netlist elaborated by a test can be asked.
void buildNameIndex();
const NameIndex& nameIndex();
// Forgets the index and the recorded memories (tests that build another netlist in one process).
void resetNameIndex();

// A bit's printable names: its bundle's path (fullBitName) or own name (shortBitName), with [i] when
// the bundle is wider; the signal's own name when no bundle declares it.  Made when asked, since most
// runs never print one.
std::string fullBitName(int bit);
std::string shortBitName(int bit);
// A component's module path, "" for the top scope.
const std::string& componentPath(int c);

// The bundle NAME picks, as an index into declaredBundles(); -1 with problem.  This and bitsNamed need
// only the scopes and bundles: they answer once the circuit description has returned, before elaboration.
int bundleNamed(const std::string& name, std::string& problem);
// Whether bundleNamed has picked the bundle since the index was last reset: what the run's checks,
// stop conditions and tools look at by name, which a fault simulator must not take as unobserved.
bool bundleAskedByName(int bundle);
// The bits NAME picks, bit 0 first; NAME[i], when NAME[i] is no bundle itself, picks bit i of the
// bundle NAME.  False with problem.
bool bitsNamed(const std::string& name, std::vector<int>& bits, std::string& problem);

// The indexes of the paths NAME picks by the rule above (several: it is ambiguous).  The grader checks
// an assignment's memory names with it before any run.
std::vector<size_t> pathsNamed(const std::vector<std::string>& paths, const std::string& name);

// The memory NAME picks; null with problem, which lists the memories when none is picked.  The first
// memory lookup ends the process (status 1) when a wide memory was declared with faulty lanes.
const NamedMemory* memoryNamed(const std::string& name, std::string& problem);
// The name of the memory that component cind is (a lane of a wide memory by its own name); "" when it
// is no memory.
std::string memoryPathOf(int cind);
// Ends the process (status 1) when a wide memory was declared with faulty lanes: a fault of the
// circuit's construction, reported when memories are first needed.
void stopOnMemoryFault();

// NameAlias, MemoryAddresses and WideMemory, the names a circuit declares, are in Sim.h.
// The word that ADDR of NAME[ADDR] picks in memory m: ADDR itself, or ADDR - first for an address of
// MemoryAddresses.  False with problem when ADDR is neither (only a memory with addresses refuses here).
bool memoryWordIndex(const NamedMemory& m, uint32_t address, uint32_t& word, std::string& problem);

// Records the component registered last as a memory (Rom, Ram, RegisterFile), in the module scope it
// was registered in.  Called by their constructors.
void recordMemoryComponent();
// The same for a given component and scope (a netlist file read back).
void recordMemoryComponent(int component, int scope);

// What construction recorded for the index, in the order recorded (a netlist file keeps them).
struct RegisteredMemory {
  int component;
  int scope;
};
struct WideDeclaration {
  std::string name;
  std::vector<std::string> lanes;
};
struct AddressedMemory {
  std::string name;
  uint32_t first;
};
const std::vector<RegisteredMemory>& registeredMemoryComponents();
const std::vector<WideDeclaration>& wideMemoryDeclarations();
const std::vector<std::pair<std::string, std::string>>& nameAliases();  // alias, the name it stands for
const std::vector<AddressedMemory>& memoryAddressDeclarations();

#endif
