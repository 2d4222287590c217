// The construction phase: signal list, switch list, component list and the fatal-diagnostic count.
#include "Ph1.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Globals.h"
#include "NetlistCounts.h"
#include "NodeList.h"

PhaseOne* phaseOne = nullptr;

void ensurePhaseOne() {
  if (!phaseOne) phaseOne = new PhaseOne;
}

void countFatalDiagnostic() {
  ensurePhaseOne();
  phaseOne->fatalDiagnosticCount++;
}

PhaseOne::~PhaseOne() {
  if (fatalDiagnosticCount > 0) {
    fprintf(stderr, "%d Fatal Diagnostic(s)--Can't Continue.\n", fatalDiagnosticCount);
    exit(1);
  }
  // Members are destroyed in reverse order of declaration: components, switches, signals.
}

void SignalNode::print() const {
  fprintf(stderr, "   Signal number %d   constSignal = %d  Name: %s  Value: %d\n", signalSerialNumber, constSignal,
          name ? name : "", int(value));
}

SignalList::~SignalList() {
  if (!quietFlag) fprintf(stderr, signalCountFormat, numberOfSignals);
  deleteNodes(start, [](SignalNode* n) {
    delete[] n->name;
    delete n;
  });
}

void SignalList::add(int number, SignalValue sv, const char* name, int constSpec) {
  SignalNode* node = new SignalNode;
  node->signalSerialNumber = number;
  if (name) {
    size_t n = strlen(name) + 1;
    node->name = new char[n];
    memcpy(node->name, name, n);
  }
  node->constSignal = constSpec;
  node->value = sv;
  appendNode(start, end, node);
  if (number >= 0) {
    if (size_t(number) >= bySerial.size()) bySerial.resize(size_t(number) + 1, nullptr);
    bySerial[size_t(number)] = node;
  }
}

const char* SignalList::nameOf(int serialNumber) const {
  if (serialNumber < 0 || size_t(serialNumber) >= bySerial.size() || !bySerial[size_t(serialNumber)]) return "";
  const char* name = bySerial[size_t(serialNumber)]->name;
  return name ? name : "";
}

void SignalList::print() const {
  for (const SignalNode* n = start; n; n = n->ptr) n->print();
}
