// The component list of the construction phase.
#include "CompList.h"

#include <cstdio>

#include "Globals.h"
#include "NetlistCounts.h"
#include "NodeList.h"

ComponentNode::~ComponentNode() {
  delete[] graphicPosition;
  delete[] decal;
  delete[] dataInputs;
  delete[] controlInputs;
  delete[] outputs;
  delete[] integerParameters;
  delete[] byteParameters;
}

void ComponentNode::print() const {
  fprintf(stderr, "  componentIndex = %d decal = %s\n", componentIndex, decal ? decal : "");
}

ComponentList::~ComponentList() {
  if (!quietFlag) fprintf(stderr, componentCountFormat, numberOfComponents);
  deleteNodes(start, [](ComponentNode* n) { delete n; });
}

void ComponentList::add(ComponentNode* node) {
  node->componentIndex = numberOfComponents;
  appendNode(start, end, node);
  numberOfComponents++;
}

void ComponentList::print() const {
  for (const ComponentNode* n = start; n; n = n->ptr) n->print();
}
