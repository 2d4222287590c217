// Keyboard bindings of the construction phase.
#include "SwList.h"

#include "Globals.h"
#include "Ph1.h"

SwitchList::~SwitchList() {
  for (SwitchNode* n = start; n;) {
    SwitchNode* next = n->ptr;
    delete n;
    n = next;
  }
}

void SwitchList::add(int serialNumber, char keyChar) {
  SwitchNode* node = new SwitchNode;
  node->componentNumber = phaseOne->componentList.numberOfComponents;
  node->signalSerialNumber = serialNumber;
  node->keyChar = keyChar;
  if (end)
    end->ptr = node;
  else
    start = node;
  end = node;
  numberOfSwitches++;
}

void SwitchList::print() const {}
