// The flat netlist: the construction lists copied into parallel arrays, indexed by component index or
// by signal serial number.  Every later phase and every evaluation routine reads these arrays.
#ifndef TARVIK_PH2_H
#define TARVIK_PH2_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ScrnTile.h"
#include "SecEvTyp.h"
#include "Signal.h"

class PhaseTwo {
public:
  int numberOfSignals = 0;
  int numberOfComponents = 0;
  int numberOfSwitches = 0;
  int maxGraphicDisplayLevel = 1;  // deepest display level of any component

  // Per component, by component index.
  std::vector<ComponentRoutine> logicEvaluate;
  std::vector<SecondaryEvaluatePointer> secondaryEvaluate;
  std::vector<ComponentRoutine> drawDynamic;
  std::vector<ComponentRoutine> xEventTriggered;
  std::vector<ComponentRoutine> heapQueueEventTriggered;
  std::vector<const int*> iconArrays;
  std::vector<int> state;  // general state word, 0 after every (re)initialisation
  std::vector<ScreenTile> tile;
  bool tilesLaidOut = false;  // tile holds every component's rectangle (layOutTiles)
  std::vector<int> outputOverloadable;
  std::vector<int> selfActivating;
  std::vector<int> graphicLevel;
  std::vector<std::string> rcpos;  // position string
  std::vector<std::string> decal;  // label
  std::vector<int> numberOfDataInputs;
  std::vector<int*> dataInputs;  // null where the count is 0
  std::vector<int> numberOfControlInputs;
  std::vector<int*> controlInputs;
  std::vector<int> numberOfOutputs;
  std::vector<int*> outputs;
  std::vector<int> numberOfPointerParameters;  // allocated, never filled
  std::vector<void**> pointerParameters;
  std::vector<int> numberOfNameParameters;  // allocated, never filled
  std::vector<char**> nameParameters;
  std::vector<int> numberOfIntegerParameters;
  std::vector<int*> integerParameters;
  std::vector<int> numberOfByteParameters;
  std::vector<unsigned char*> byteParameters;
  std::vector<int> numberOfInternal32BitVariables;
  std::vector<uint32_t*> internal32BitVariables;
  std::vector<int> numberOfInternal16BitVariables;
  std::vector<uint16_t*> internal16BitVariables;
  std::vector<int> numberOfInternal8BitVariables;
  std::vector<uint8_t*> internal8BitVariables;

  // Per keyboard binding, in binding order: key character, component index, signal serial number.
  std::vector<std::array<int, 3>> activationsFromWindow;

  // Per signal, by serial number.
  std::vector<SignalValue> signalInitializations;
  std::vector<std::string> signalNames;
  std::vector<int> constSignals;

  PhaseTwo();
  void listsToArrays();
  void dumpFromArrays() const;

private:
  // Contiguous stores that the per-component pointers above point into.
  std::vector<int> pinStore;
  std::vector<int> integerStore;
  std::vector<unsigned char> byteStore;
  std::vector<uint32_t> store32;
  std::vector<uint16_t> store16;
  std::vector<uint8_t> store8;
};

#endif
