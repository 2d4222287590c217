// Flattening: the construction lists of phaseOne become the parallel arrays of the flat netlist, and
// every component keeps the kind it was registered with (CompKinds.h).
//
// Pins, parameters and private storage of all components are laid out one after another in a few
// contiguous stores; the per-component pointers point into them.
#include "Ph2.h"

#include <algorithm>
#include <cstdio>

#include "CompKinds.h"
#include "Globals.h"
#include "Ph1.h"

PhaseTwo::PhaseTwo() : maxGraphicDisplayLevel(1) {}

namespace {

int countOf(int n) { return n > 0 ? n : 0; }

// Copies count values into the store and returns where they start (null for none).  The store is
// sized beforehand, so the pointers stay valid.
template <typename T>
T* append(std::vector<T>& store, const T* values, int count) {
  if (count <= 0) return nullptr;
  size_t at = store.size();
  if (values)
    store.insert(store.end(), values, values + count);
  else
    store.resize(at + size_t(count));
  return store.data() + at;
}

}  // namespace

void PhaseTwo::listsToArrays() {
  numberOfSignals = phaseOne->signalList.numberOfSignals;
  numberOfComponents = phaseOne->componentList.numberOfComponents;
  numberOfSwitches = phaseOne->switchList.numberOfSwitches;
  size_t nc = size_t(numberOfComponents), ns = size_t(numberOfSignals);

  logicEvaluate.assign(nc, nullptr);
  secondaryEvaluate.assign(nc, SecondaryEvaluatePointer{});
  drawDynamic.assign(nc, nullptr);
  xEventTriggered.assign(nc, nullptr);
  heapQueueEventTriggered.assign(nc, nullptr);
  iconArrays.assign(nc, nullptr);
  state.assign(nc, 0);
  tile.assign(nc, ScreenTile());
  outputOverloadable.assign(nc, 0);
  selfActivating.assign(nc, 0);
  graphicLevel.assign(nc, 0);
  rcpos.assign(nc, std::string());
  decal.assign(nc, std::string());
  numberOfDataInputs.assign(nc, 0);
  dataInputs.assign(nc, nullptr);
  numberOfControlInputs.assign(nc, 0);
  controlInputs.assign(nc, nullptr);
  numberOfOutputs.assign(nc, 0);
  outputs.assign(nc, nullptr);
  numberOfPointerParameters.assign(nc, 0);
  pointerParameters.assign(nc, nullptr);
  numberOfNameParameters.assign(nc, 0);
  nameParameters.assign(nc, nullptr);
  numberOfIntegerParameters.assign(nc, 0);
  integerParameters.assign(nc, nullptr);
  numberOfByteParameters.assign(nc, 0);
  byteParameters.assign(nc, nullptr);
  numberOfInternal32BitVariables.assign(nc, 0);
  internal32BitVariables.assign(nc, nullptr);
  numberOfInternal16BitVariables.assign(nc, 0);
  internal16BitVariables.assign(nc, nullptr);
  numberOfInternal8BitVariables.assign(nc, 0);
  internal8BitVariables.assign(nc, nullptr);

  // Size the stores first so that pointers into them stay valid.
  size_t pins = 0, ints = 0, bytes = 0, v32 = 0, v16 = 0, v8 = 0;
  for (const ComponentNode* n = phaseOne->componentList.start; n; n = n->ptr) {
    pins += size_t(countOf(n->numberOfDataInputs) + countOf(n->numberOfControlInputs) + countOf(n->numberOfOutputs));
    ints += size_t(countOf(n->numberOfIntegerParameters));
    bytes += size_t(countOf(n->numberOfByteParameters));
    v32 += size_t(countOf(n->numberOfInternal32BitVariables));
    v16 += size_t(countOf(n->numberOfInternal16BitVariables));
    v8 += size_t(countOf(n->numberOfInternal8BitVariables));
  }
  pinStore.reserve(pins);
  integerStore.reserve(ints);
  byteStore.reserve(bytes);
  store32.reserve(v32);
  store16.reserve(v16);
  store8.reserve(v8);

  int i = 0;
  for (const ComponentNode* n = phaseOne->componentList.start; n; n = n->ptr, i++) {
    logicEvaluate[i] = n->logicEvaluate;
    secondaryEvaluate[i] = n->secondaryEvaluate;
    drawDynamic[i] = n->drawDynamic;
    xEventTriggered[i] = n->xEventTriggered;
    heapQueueEventTriggered[i] = n->heapQueueEventTriggered;
    iconArrays[i] = n->iconArray;
    outputOverloadable[i] = n->outputOverloadable;
    selfActivating[i] = n->selfActivating;
    graphicLevel[i] = n->graphicLevel;
    maxGraphicDisplayLevel = std::max(maxGraphicDisplayLevel, n->graphicLevel);
    rcpos[i] = n->graphicPosition ? n->graphicPosition : "";
    decal[i] = n->decal ? n->decal : "";
    numberOfDataInputs[i] = countOf(n->numberOfDataInputs);
    dataInputs[i] = append(pinStore, n->dataInputs, numberOfDataInputs[i]);
    numberOfControlInputs[i] = countOf(n->numberOfControlInputs);
    controlInputs[i] = append(pinStore, n->controlInputs, numberOfControlInputs[i]);
    numberOfOutputs[i] = countOf(n->numberOfOutputs);
    outputs[i] = append(pinStore, n->outputs, numberOfOutputs[i]);
    numberOfIntegerParameters[i] = n->integerParameters ? countOf(n->numberOfIntegerParameters) : 0;
    integerParameters[i] = append(integerStore, n->integerParameters, numberOfIntegerParameters[i]);
    numberOfByteParameters[i] = n->byteParameters ? countOf(n->numberOfByteParameters) : 0;
    byteParameters[i] = append(byteStore, n->byteParameters, numberOfByteParameters[i]);
    numberOfInternal32BitVariables[i] = countOf(n->numberOfInternal32BitVariables);
    internal32BitVariables[i] = append<uint32_t>(store32, nullptr, numberOfInternal32BitVariables[i]);
    numberOfInternal16BitVariables[i] = countOf(n->numberOfInternal16BitVariables);
    internal16BitVariables[i] = append<uint16_t>(store16, nullptr, numberOfInternal16BitVariables[i]);
    numberOfInternal8BitVariables[i] = countOf(n->numberOfInternal8BitVariables);
    internal8BitVariables[i] = append<uint8_t>(store8, nullptr, numberOfInternal8BitVariables[i]);
  }

  signalInitializations.assign(ns, UNINITIALIZED);
  signalNames.assign(ns, std::string());
  constSignals.assign(ns, 0);
  for (const SignalNode* n = phaseOne->signalList.start; n; n = n->ptr) {
    if (n->signalSerialNumber < 0 || size_t(n->signalSerialNumber) >= ns) continue;
    signalInitializations[size_t(n->signalSerialNumber)] = n->value;
    constSignals[size_t(n->signalSerialNumber)] = n->constSignal;
    signalNames[size_t(n->signalSerialNumber)] = n->name ? n->name : "";
  }

  activationsFromWindow.clear();
  for (const SwitchNode* n = phaseOne->switchList.start; n; n = n->ptr)
    activationsFromWindow.push_back({int(n->keyChar), n->componentNumber, n->signalSerialNumber});
  takeComponentKinds();
}

void PhaseTwo::dumpFromArrays() const {
  fprintf(stderr, "dumpFromArrays():\n");
  for (int i = 0; i < numberOfSignals; i++)
    fprintf(stderr, "Signal %d  Init = %d constSignal = %d  Name = %s\n", i, int(signalInitializations[i]),
            constSignals[i], signalNames[i].c_str());
  for (int i = 0; i < numberOfSwitches; i++)
    fprintf(stderr, "Switch %d  keyChar = %c  CompNumber = %d  SignalSerialNumber = %d\n", i,
            char(activationsFromWindow[i][0]), activationsFromWindow[i][1], activationsFromWindow[i][2]);
  for (int i = 0; i < numberOfComponents; i++) {
    fprintf(stderr, "Comp %d eval() at %p  iconArray at %p  overLoadable = %d\n", i,
            reinterpret_cast<void*>(logicEvaluate[i]), static_cast<const void*>(iconArrays[i]), outputOverloadable[i]);
    fprintf(stderr, "   rcpos =  %s  decal = %s \n", rcpos[i].c_str(), decal[i].c_str());
    fprintf(stderr, "   Inputs[%d]:", numberOfDataInputs[i]);
    for (int k = 0; k < numberOfDataInputs[i]; k++) fprintf(stderr, " %d", dataInputs[i][k]);
    fprintf(stderr, "  Outputs[%d]:", numberOfOutputs[i]);
    for (int k = 0; k < numberOfOutputs[i]; k++) fprintf(stderr, " %d", outputs[i][k]);
    fprintf(stderr, "\n");
  }
}
