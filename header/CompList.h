// The registration record of one component and the list that collects them while the netlist is built.
#ifndef TARVIK_COMPLIST_H
#define TARVIK_COMPLIST_H

#include "CompKinds.h"
#include "SecEvTyp.h"

class ComponentNode {
public:
  ComponentNode* ptr = nullptr;  // list link
  int componentIndex = 0;        // registration order, from 0
  KindRow kind = KindRow::Other;  // the row its constructor registered it with
  ComponentRoutine logicEvaluate = nullptr;
  SecondaryEvaluatePointer secondaryEvaluate{};
  const int* iconArray = nullptr;  // null when registered while visibleFlag is 0
  ComponentRoutine drawDynamic = nullptr;
  ComponentRoutine xEventTriggered = nullptr;
  ComponentRoutine heapQueueEventTriggered = nullptr;
  int outputOverloadable = 0;  // outputs may share a signal with other drivers (Tsb, Module)
  int selfActivating = 0;      // woken by changes of its own outputs (sources)
  int graphicLevel = 0;
  char* graphicPosition = nullptr;
  char* decal = nullptr;
  int numberOfDataInputs = 0;
  int* dataInputs = nullptr;
  int numberOfControlInputs = 0;
  int* controlInputs = nullptr;
  int numberOfOutputs = 0;
  int* outputs = nullptr;
  int numberOfIntegerParameters = 0;
  int* integerParameters = nullptr;
  int numberOfByteParameters = 0;
  unsigned char* byteParameters = nullptr;
  int numberOfInternal32BitVariables = 0;
  int numberOfInternal16BitVariables = 0;
  int numberOfInternal8BitVariables = 0;

  ComponentNode() = default;
  ComponentNode(const ComponentNode&) = delete;
  ComponentNode& operator=(const ComponentNode&) = delete;
  ~ComponentNode();
  void print() const;
};

class ComponentList {
public:
  int numberOfComponents = 0;
  ComponentNode* start = nullptr;
  ComponentNode* end = nullptr;

  ComponentList() = default;
  ComponentList(const ComponentList&) = delete;
  ComponentList& operator=(const ComponentList&) = delete;
  ~ComponentList();  // reports the count
  void add(ComponentNode* node);
  void print() const;
};

#endif
