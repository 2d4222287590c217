// What a netlist file may say about a component of each kind: the pin and parameter counts the kind's
// constructor always gives, and the flags and icon its row gives.
#ifndef TARVIK_NETLISTKINDRULES_H
#define TARVIK_NETLISTKINDRULES_H

#include <string>

#include "NetlistFile.h"

// What is wrong with component c for its kind; "" when nothing.
std::string kindRuleFault(const NetlistComponent& c);
// A source's parameter that holds the serial of its initial value; false for other kinds.
bool initialValueSerial(const NetlistComponent& c, int& serial);

#endif
