// The construction phase: the lists that the circuit description fills while it builds the netlist.
#ifndef TARVIK_PH1_H
#define TARVIK_PH1_H

#include <vector>

#include "CompList.h"
#include "Schmtc.h"
#include "SecEvTyp.h"
#include "Signal.h"
#include "SwList.h"

class SignalNode {
public:
  SignalNode* ptr = nullptr;
  int signalSerialNumber = 0;
  char* name = nullptr;  // the list's own copy
  int constSignal = 0;
  SignalValue value = UNINITIALIZED;  // initial value
  void print() const;
};

class SignalList {
public:
  int numberOfSignals = 0;  // the count and the next serial number
  SignalNode* start = nullptr;
  SignalNode* end = nullptr;

  SignalList() = default;
  SignalList(const SignalList&) = delete;
  SignalList& operator=(const SignalList&) = delete;
  ~SignalList();  // reports the count
  // Appends a node; the declaring constructors advance numberOfSignals themselves.
  void add(int number, SignalValue sv, const char* name, int constSpec);
  void print() const;
  // The name of a declared bit ("" when there is no such bit).
  const char* nameOf(int serialNumber) const;

private:
  std::vector<SignalNode*> bySerial;  // lookup by serial number
};

class PhaseOne {
public:
  SignalList signalList;
  SwitchList switchList;
  ComponentList componentList;
  int fatalDiagnosticCount = 0;  // faults reported by medium and large component constructors

  // With fatal diagnostics counted, reports them and ends the process with status 1.
  ~PhaseOne();
};

// Creates phaseOne if it does not exist yet.
void ensurePhaseOne();

// Registers one component with everything it needs at run time.
void addStandardComponent(ComponentRoutine evaluate, SecondaryEvaluatePointer secondaryEvaluate,
                          const int* iconArray, ComponentRoutine drawDynamic, ComponentRoutine xEventTriggered,
                          ComponentRoutine heapQueueEventTriggered, int outputOverloadable,
                          int selfActivating, const char* decal, const SD& sd, const Signal& dataIn,
                          const Signal& controlIn, const Signal& out, int numberOfIntegerParameters,
                          const int* integerParameters, int numberOfByteParameters,
                          const unsigned char* byteParameters, int numberOfInternal32BitVariables,
                          int numberOfInternal16BitVariables, int numberOfInternal8BitVariables);
// The short form: no hooks beyond evaluation, no flags, parameters or private storage.
void addStandardComponent(ComponentRoutine evaluate, const int* iconArray, const char* decal, const SD& sd,
                          const Signal& dataIn, const Signal& controlIn, const Signal& out);

// What a component holds beyond its pins: parameters and private storage.
struct ComponentStorage {
  int numberOfIntegerParameters = 0;
  const int* integerParameters = nullptr;
  int numberOfByteParameters = 0;
  const unsigned char* byteParameters = nullptr;
  int numberOfInternal32BitVariables = 0;
  int numberOfInternal16BitVariables = 0;
  int numberOfInternal8BitVariables = 0;
};
// The form the library's constructors use: routines, icon and flags come from the kind's row, the
// label too unless one is given.  The component keeps its row (CompKinds.h); the other forms register
// the row KindRow::Other.
void addStandardComponent(KindRow kind, const SD& sd, const Signal& dataIn, const Signal& controlIn,
                          const Signal& out, const ComponentStorage& storage = {}, const char* label = nullptr);

// Counts one fatal construction diagnostic (the message is already printed).
void countFatalDiagnostic();

#endif
