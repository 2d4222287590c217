// Keyboard bindings of the construction phase.
#include "SwList.h"

#include "Globals.h"
#include "NodeList.h"
#include "Ph1.h"

SwitchList::~SwitchList() {
  deleteNodes(start, [](SwitchNode* n) { delete n; });
}

void SwitchList::add(int serialNumber, char keyChar) {
  SwitchNode* node = new SwitchNode;
  node->componentNumber = phaseOne->componentList.numberOfComponents;
  node->signalSerialNumber = serialNumber;
  node->keyChar = keyChar;
  appendNode(start, end, node);
  numberOfSwitches++;
}

void SwitchList::print() const {}
