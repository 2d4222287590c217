// Unique printable names for declared bundles and module scopes (see BundlePaths.h).
//
// Names are handed out in declaration order; each parent scope keeps the set of names used among its
// child scopes, and each scope the set used among its bundles, and a taken name gets the first free
// suffix _1, _2, ...
#include "BundlePaths.h"

#include <set>

#include "Bundles.h"

namespace {

std::string printable(const std::string& name) {
  if (name.empty()) return "_";
  std::string s = name;
  for (char& c : s)
    if (static_cast<unsigned char>(c) <= ' ' || c == 127 || c == '.') c = '_';
  return s;
}

bool endsPath(const std::string& path, const std::string& name) {
  return path.size() > name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0 &&
         path[path.size() - name.size() - 1] == '.';
}

}  // namespace

std::string uniqueName(std::set<std::string>& used, const std::string& wanted) {
  std::string base = printable(wanted), name = base;
  for (int k = 1; used.count(name); k++) name = base + "_" + std::to_string(k);
  used.insert(name);
  return name;
}

std::vector<size_t> pathsNamed(const std::vector<std::string>& paths, const std::string& name) {
  const std::string root = std::string(rootScopeName) + ".";
  std::vector<size_t> exact, ending;
  for (size_t b = 0; b < paths.size(); b++) {
    const std::string& p = paths[b];
    if (name == p || name == root + p)
      exact.push_back(b);
    else if (endsPath(p, name) || endsPath(root + p, name))
      ending.push_back(b);
  }
  return exact.empty() ? ending : exact;
}

std::string namingProblem(const std::vector<std::string>& paths, const std::string& name,
                          const std::vector<size_t>& found, const char* thing, const char* things) {
  if (found.empty()) return std::string("no ") + thing + " is named " + name;
  std::string list;
  for (size_t b : found) list += (list.empty() ? "" : ", ") + paths[b];
  return name + " names " + std::to_string(found.size()) + " " + things + " (" + list +
         "); qualify it by module scope";
}

BundlePaths nameBundles() {
  const std::vector<ModuleScope>& scopes = moduleScopes();
  const std::vector<DeclaredBundle>& bundles = declaredBundles();
  BundlePaths p;
  std::vector<std::string>& scopePath = p.scopePaths;
  scopePath.resize(scopes.size());
  std::vector<std::set<std::string>> childScopes(scopes.size()), scopeBundles(scopes.size());
  p.scopeNames.resize(scopes.size());
  for (size_t i = 1; i < scopes.size(); i++) {
    size_t parent = size_t(scopes[i].parent);
    p.scopeNames[i] = uniqueName(childScopes[parent], scopes[i].name);
    scopePath[i] = parent == 0 ? p.scopeNames[i] : scopePath[parent] + "." + p.scopeNames[i];
  }
  for (const DeclaredBundle& b : bundles) {
    size_t scope = size_t(b.scope);
    std::string name = uniqueName(scopeBundles[scope], b.name);
    p.bundleNames.push_back(name);
    p.paths.push_back(scope == 0 ? name : scopePath[scope] + "." + name);
  }
  return p;
}
