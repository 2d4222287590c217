// The declared signal bundles and the module scopes they were declared in, kept for tools that name
// signals by bundle (waveform dumps, end-of-run checks).
//
// A bundle belongs to the scope of the innermost module box that is open when it is declared: a Module
// opens a scope at its position, and registering a component outside that position closes it.  So the
// internal signals a module function declares right after its Module box belong to that box, and
// signals declared at the top level, before or between modules, belong to the top.
#ifndef TARVIK_BUNDLES_H
#define TARVIK_BUNDLES_H

#include <string>
#include <vector>

#include "Signal.h"

struct DeclaredBundle {
  std::string name;
  std::vector<int> bits;  // serial numbers, bit 0 first
  int scope;              // index into moduleScopes()
};

struct ModuleScope {
  std::string name;      // the module's tag
  std::string position;  // its position string
  int parent;            // -1 for the top scope (index 0)
};

std::vector<DeclaredBundle>& declaredBundles();
std::vector<ModuleScope>& moduleScopes();

void recordDeclaredBundle(const Signal& s);
// Closes the scopes whose box does not contain a component registered at position.
void enterRegistration(const char* position);
void openModuleScope(const char* position, const char* tag);
// The scope a component registered now belongs to (index into moduleScopes()).
int currentModuleScope();
// The scope of every registered component, by component index (recorded at registration).
std::vector<int>& componentScopes();
void resetBundles();

#endif
