// Declared bundles and module scopes (see Bundles.h).
#include "Bundles.h"

#include <cstring>

namespace {

std::vector<int>& openScopes() {
  static std::vector<int> open;
  return open;
}

bool inside(const std::string& box, const char* position) {
  size_t n = box.size();
  return strncmp(position, box.c_str(), n) == 0 && (position[n] == '\0' || position[n] == '.');
}

int currentScope() { return openScopes().empty() ? 0 : openScopes().back(); }

void ensureTopScope() {
  if (moduleScopes().empty()) moduleScopes().push_back({"", "", -1});
}

}  // namespace

// Function-local statics: Zero and One are declared during static initialisation, before any
// namespace-scope container of another file could be ready.
std::vector<DeclaredBundle>& declaredBundles() {
  static std::vector<DeclaredBundle> bundles;
  return bundles;
}

std::vector<ModuleScope>& moduleScopes() {
  static std::vector<ModuleScope> scopes;
  return scopes;
}

void recordDeclaredBundle(const Signal& s) {
  ensureTopScope();
  DeclaredBundle b{s.nameTag ? s.nameTag : "Annon", std::vector<int>(s.serialNumber, s.serialNumber + s.length),
                   currentScope()};
  declaredBundles().push_back(b);
}

void enterRegistration(const char* position) {
  std::vector<int>& open = openScopes();
  while (!open.empty() && !inside(moduleScopes()[size_t(open.back())].position, position)) open.pop_back();
}

void openModuleScope(const char* position, const char* tag) {
  ensureTopScope();
  // A box never lies inside a box at its own position: several modules placed at one position are
  // siblings.
  std::vector<int>& open = openScopes();
  const char* at = position ? position : "";
  while (!open.empty() && moduleScopes()[size_t(open.back())].position == at) open.pop_back();
  moduleScopes().push_back({tag ? tag : "Module", position ? position : "", currentScope()});
  openScopes().push_back(int(moduleScopes().size()) - 1);
}

int currentModuleScope() {
  ensureTopScope();
  return currentScope();
}

std::vector<int>& componentScopes() {
  static std::vector<int> scopes;
  return scopes;
}

void resetBundles() {
  declaredBundles().clear();
  componentScopes().clear();
  moduleScopes().clear();
  openScopes().clear();
}
