// A circuit as a file: the registration lists of a built circuit (signals, module scopes, bundles,
// components, key bindings and the names the circuit declared), written as text and read back
// (docs/netlist.md gives the format).  Writing takes the lists from phaseOne and the name records;
// loading checks the whole file first and then registers it through the calls the constructors use.
#ifndef TARVIK_NETLISTFILE_H
#define TARVIK_NETLISTFILE_H

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "Bundles.h"
#include "CompKinds.h"
#include "MemImage.h"
#include "NameIndex.h"
#include "Signal.h"

const char netlistFormatName[] = "tarvik-netlist";
const int netlistFormatVersion = 1;

// What a reader takes at most, so that a hostile file cannot take the memory.
const size_t maxNetlistSignals = size_t(1) << 22;
const size_t maxNetlistComponents = size_t(1) << 20;
const size_t maxNetlistPins = size_t(1) << 16;         // per pin group of one component
const size_t maxNetlistIntegers = size_t(1) << 12;     // integer parameters of one component
const size_t maxNetlistBytes = size_t(1) << 22;        // byte parameters of one component
const long maxNetlistStorage = long(1) << 24;          // each private-storage count of one component
const size_t maxNetlistNames = size_t(1) << 20;        // scopes, bundles, keys, memory and name records
const size_t maxNetlistImageWords = size_t(1) << 22;   // words (or bytes) of one image

struct NetlistSignal {
  int serial;
  SignalValue value;
  int constant;
  std::string name;
};

struct NetlistComponent {
  KindRow kind;
  int level;
  std::string position;
  std::string decal;
  bool icon;  // registered while visibleFlag was set (an icon, so drawn)
  int outputOverloadable;
  int selfActivating;
  std::vector<int> dataInputs, controlInputs, outputs, integers;
  std::vector<unsigned char> bytes;
  int storage32, storage16, storage8;
  int scope;
};

struct NetlistKey {
  int component;
  int serial;
  char key;
};

// An image given for the run with --load (or by the circuit's tools, byTools) before the file was written.
struct NetlistLoad {
  std::string memory;
  bool byTools;
  MemoryImage image;
};

struct Netlist {
  std::vector<NetlistSignal> signals;
  std::vector<ModuleScope> scopes;
  std::vector<DeclaredBundle> bundles;
  std::vector<NetlistComponent> components;
  std::vector<NetlistKey> keys;
  std::vector<RegisteredMemory> memories;
  std::vector<WideDeclaration> wideMemories;
  std::vector<std::pair<std::string, std::string>> aliases;
  std::vector<AddressedMemory> addresses;
  std::string tools, toolsArgument;  // the circuit's own tools (NetlistTools.h); "" for none
  std::vector<NetlistLoad> loads;
};

// The lists the circuit description has built (phaseOne and the name records).  False with problem
// when a component cannot be written: one registered with routines of the circuit's own.
bool netlistOfConstruction(Netlist& netlist, std::string& problem);
// The file's text; the same netlist always gives the same bytes.
std::string netlistText(const Netlist& netlist);
// Reads and checks a whole file's text.  False with problem "FILE:LINE: what is wrong".
bool readNetlist(const std::string& text, const std::string& fileName, Netlist& netlist, std::string& problem);
// Registers a checked netlist into phaseOne and the name records, as the circuit's constructors did,
// and names its tools as the circuit's description did.
void registerNetlist(const Netlist& netlist);
// Before the command line is read: adds the file's tools and queues its images, as the options that
// gave them would have.
void offerNetlistRun(const Netlist& netlist);

#endif
