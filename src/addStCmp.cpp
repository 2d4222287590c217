// Component registration: one record per component, appended to phaseOne's component list.
#include <cstring>

#include "Bundles.h"
#include "Globals.h"
#include "Ph1.h"

int visibleFlag = 1;

namespace {

char* copyText(const char* s) {
  size_t n = strlen(s) + 1;
  char* copy = new char[n];
  memcpy(copy, s, n);
  return copy;
}

int* copyPins(const Signal& s, int& count) {
  count = s.length > 0 ? s.length : 0;
  if (count == 0) return nullptr;
  int* pins = new int[count];
  memcpy(pins, s.serialNumber, sizeof(int) * size_t(count));
  return pins;
}

template <typename T>
T* copyParameters(int count, const T* values) {
  if (count <= 0 || !values) return nullptr;
  T* copy = new T[count];
  memcpy(copy, values, sizeof(T) * size_t(count));
  return copy;
}

}  // namespace

void addStandardComponent(ComponentRoutine evaluate, SecondaryEvaluatePointer secondaryEvaluate,
                          const int* iconArray, ComponentRoutine drawDynamic, ComponentRoutine xEventTriggered,
                          ComponentRoutine heapQueueEventTriggered, int outputOverloadable,
                          int selfActivating, const char* decal, const SD& sd, const Signal& dataIn,
                          const Signal& controlIn, const Signal& out, int numberOfIntegerParameters,
                          const int* integerParameters, int numberOfByteParameters,
                          const unsigned char* byteParameters, int numberOfInternal32BitVariables,
                          int numberOfInternal16BitVariables, int numberOfInternal8BitVariables) {
  ensurePhaseOne();
  enterRegistration(sd.graphicPosition ? sd.graphicPosition : "");
  componentScopes().push_back(currentModuleScope());
  ComponentNode* node = new ComponentNode;
  node->logicEvaluate = evaluate;
  node->secondaryEvaluate = secondaryEvaluate;
  node->iconArray = visibleFlag ? iconArray : nullptr;
  node->drawDynamic = drawDynamic;
  node->xEventTriggered = xEventTriggered;
  node->heapQueueEventTriggered = heapQueueEventTriggered;
  node->outputOverloadable = outputOverloadable;
  node->selfActivating = selfActivating;
  node->decal = copyText(sd.decal ? sd.decal : (decal ? decal : ""));
  node->graphicPosition = copyText(sd.graphicPosition ? sd.graphicPosition : "");
  node->graphicLevel = sd.graphicLevel;
  node->dataInputs = copyPins(dataIn, node->numberOfDataInputs);
  node->controlInputs = copyPins(controlIn, node->numberOfControlInputs);
  node->outputs = copyPins(out, node->numberOfOutputs);
  node->numberOfIntegerParameters = numberOfIntegerParameters;
  node->integerParameters = copyParameters(numberOfIntegerParameters, integerParameters);
  node->numberOfByteParameters = numberOfByteParameters;
  node->byteParameters = copyParameters(numberOfByteParameters, byteParameters);
  node->numberOfInternal32BitVariables = numberOfInternal32BitVariables;
  node->numberOfInternal16BitVariables = numberOfInternal16BitVariables;
  node->numberOfInternal8BitVariables = numberOfInternal8BitVariables;
  phaseOne->componentList.add(node);
}

void addStandardComponent(ComponentRoutine evaluate, const int* iconArray, const char* decal, const SD& sd,
                          const Signal& dataIn, const Signal& controlIn, const Signal& out) {
  SecondaryEvaluatePointer none{};
  addStandardComponent(evaluate, none, iconArray, nullptr, nullptr, nullptr, 0, 0, decal, sd, dataIn, controlIn,
                       out, 0, nullptr, 0, nullptr, 0, 0, 0);
}

void addStandardComponent(KindRow kind, const SD& sd, const Signal& dataIn, const Signal& controlIn,
                          const Signal& out, const ComponentStorage& storage, const char* label) {
  const ComponentKind& row = kindRow(kind);
  SecondaryEvaluatePointer none{};
  addStandardComponent(row.evaluate, none, row.icon, row.draw, row.onKey, nullptr, row.outputOverloadable,
                       row.selfActivating, label ? label : row.label, sd, dataIn, controlIn, out,
                       storage.numberOfIntegerParameters, storage.integerParameters, storage.numberOfByteParameters,
                       storage.byteParameters, storage.numberOfInternal32BitVariables,
                       storage.numberOfInternal16BitVariables, storage.numberOfInternal8BitVariables);
  phaseOne->componentList.end->kind = kind;  // the node just appended
}
