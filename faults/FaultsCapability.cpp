// Stuck-at faults: --fault NET=0|1 holds a net at ZERO or ONE for the whole run, whatever drives it.
//
// Once the circuit description has returned (before the netlist file is written and before
// elaboration), each held bit is cut from its drivers: every output pin and key binding that drove it
// moves to a new signal of its own, which nothing reads, and the bit becomes a constant signal with the
// held value, as Zero and One are.  So its readers see the held value from time 0; the drivers' values,
// an XXX, a HIZ or a bus conflict among them, never reach them.  The run loop is not touched.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "Capability.h"
#include "FaultClasses.h"
#include "FileIO.h"
#include "ExitStatus.h"
#include "Globals.h"
#include "HeldBits.h"
#include "NameIndex.h"
#include "Ph1.h"

namespace {

struct Fault {
  std::string net;
  SignalValue value;
  std::string given;  // NET=V as given, for messages
};

std::vector<Fault> faults;  // in the order given
bool listNets = false;      // --fault-nets: print the nets a fault can hold, and end
std::string classesFile;    // --fault-classes: where the classes of equivalent faults go at the end
bool classesUnwritten = false;  // writing them failed: the run ends with status 2

bool takeFault(const char* argument, std::string& problem) {
  std::string text = argument;
  size_t equals = text.rfind('=');
  std::string value = equals == std::string::npos ? "" : text.substr(equals + 1);
  if (equals == 0 || equals == std::string::npos || (value != "0" && value != "1")) {
    problem = "option --fault requires NET=0 or NET=1, not " + text;
    return false;
  }
  faults.push_back({text.substr(0, equals), value == "1" ? ONE : ZERO, text});
  return true;
}

[[noreturn]] void refuse(const Fault& f, const std::string& problem) {
  fprintf(stderr, "ERROR -- --fault %s: %s\n", f.given.c_str(), problem.c_str());
  setPendingVerdict({exitBadInput, reasonBadInput, ""});
  exit(exitBadInput);
}

SignalNode* signalNode(int serial) {
  for (SignalNode* s = phaseOne->signalList.start; s; s = s->ptr)
    if (s->signalSerialNumber == serial) return s;
  return nullptr;
}

// Moves every driver of serial to a new signal and makes serial a constant of the held value.
void hold(int serial, SignalValue value) {
  SignalList& list = phaseOne->signalList;
  SignalNode* held = signalNode(serial);
  int driven = list.numberOfSignals++;
  list.add(driven, UNINITIALIZED, (std::string(held->name) + "_driven").c_str(), 0);
  for (ComponentNode* n = phaseOne->componentList.start; n; n = n->ptr)
    for (int k = 0; k < n->numberOfOutputs; k++)
      if (n->outputs[k] == serial) n->outputs[k] = driven;
  for (SwitchNode* k = phaseOne->switchList.start; k; k = k->ptr)
    if (k->signalSerialNumber == serial) k->signalSerialNumber = driven;
  held->value = value;
  held->constSignal = 1;
  noteHeldBit(serial, driven);
}

// A circuit whose construction reported faults is left to end as it always does.
void applyFaults() {
  if (faults.empty() || phaseOne->fatalDiagnosticCount > 0) return;
  std::set<int> held;
  for (const Fault& f : faults) {
    std::vector<int> bits;
    std::string problem;
    if (!bitsNamed(f.net, bits, problem)) refuse(f, problem);
    for (int bit : bits) {
      if (bit < 2) refuse(f, "Zero and One are the library's constants: no fault holds them");
      if (!held.insert(bit).second) refuse(f, "a bit of " + f.net + " is held by an earlier --fault");
    }
    for (int bit : bits) hold(bit, f.value);
  }
}

bool takeFaultNets(const char*, std::string&) { return listNets = true; }

// Every bit a bundle declares but Zero and One, by the name --fault takes, in bit order: the
// single-bit stuck-at faults a fault simulator tries are these, each held at 0 and at 1.
void printFaultNets() {
  if (!listNets) return;
  const NameIndex& index = nameIndex();
  for (size_t bit = 2; bit < index.bitBundles.size(); bit++) {
    int b = index.bitBundles[bit];
    if (b < 0) continue;
    printf("%s[%d]\n", index.bundlePaths[size_t(b)].c_str(), index.bitPositions[bit]);
  }
  fflush(stdout);
  setPendingVerdict({exitPassed, reasonPassed, ""});
  exit(exitPassed);
}

bool takeClassesFile(const char* argument, std::string&) {
  classesFile = argument;
  noteOutputFile(classesFile, "--fault-classes");
  return true;
}

// Written once the run has ended, so that every name the checks and tools looked up counts as observed.
void writeFaultClasses() {
  if (classesFile.empty()) return;
  std::string text, problem;
  size_t faultCount = 0, classCount = 0;
  for (const std::vector<std::string>& members : equivalentFaultClasses()) {
    for (size_t k = 0; k < members.size(); k++) text += (k ? " " : "") + members[k];
    text += "\n";
    faultCount += members.size(), classCount++;
  }
  // The closing line tells a reader that the list is whole.
  text += "# " + std::to_string(faultCount) + " faults in " + std::to_string(classCount) + " classes\n";
  if (!writeWholeFile(classesFile, text, problem)) {
    fprintf(stderr, "ERROR -- --fault-classes %s: %s\n", classesFile.c_str(), problem.c_str());
    classesUnwritten = true;
  }
}

Verdict classesVerdict() { return verdictWhen(classesUnwritten, exitBadInput, reasonWriteFailed); }

void resetFaults() {
  classesFile.clear();
  classesUnwritten = false;
  listNets = false;
  faults.clear();
  resetHeldBits();
}

const LongOption options[] = {
    {"--fault", "net=v",
     "(also --fault=<net=v>) hold NET (a bundle, or NET[i] one bit of it) at V,\n"
     "0 or 1, for the whole run, whatever drives it: a stuck-at fault\n"
     "(docs/faults.md); may be given for several nets",
     takeFault, "NET=0 or NET=1"},
    {"--fault-nets", nullptr,
     "print every net bit --fault can hold, NET[i] one a line, and end\n"
     "without running (the fault universe of tarvik-faults)",
     takeFaultNets, nullptr},
    {"--fault-classes", "file",
     "at the end of the run, write the single stuck-at faults of the nets\n"
     "--fault-nets lists to FILE in classes of equivalent ones, a class a\n"
     "line (tarvik-faults runs one fault of each; docs/faults.md)",
     takeClassesFile, "a file name"},
};

}  // namespace

const Capability& faultsCapability() {
  static const Capability record = {
      "faults", 95, 55, options, 3, false, printFaultNets, writeFaultClasses, resetFaults, classesVerdict, nullptr, nullptr, applyFaults,
  };
  return record;
}
