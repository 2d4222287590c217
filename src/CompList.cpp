// The component list of the construction phase.
#include "CompList.h"

#include <cstdio>

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
  fprintf(stderr, "There are %d components.\n", numberOfComponents);
  for (ComponentNode* n = start; n;) {
    ComponentNode* next = n->ptr;
    delete n;
    n = next;
  }
}

void ComponentList::add(ComponentNode* node) {
  node->componentIndex = numberOfComponents;
  node->ptr = nullptr;
  if (end)
    end->ptr = node;
  else
    start = node;
  end = node;
  numberOfComponents++;
}

void ComponentList::print() const {
  for (const ComponentNode* n = start; n; n = n->ptr) n->print();
}
