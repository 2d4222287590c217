// Printable, unique names for the declared bundles and their module scopes, so that the waveform dump
// and the end-of-run checks name every signal the same way.
//
// Sibling scopes with the same tag are numbered in declaration order (Reg16, Reg16_1, Reg16_2, ...),
// and so are bundles of the same name in one scope.  Whitespace and '.' become '_', since '.' joins
// the parts of a qualified name.  A bundle's path is the names of its scopes below the top and its
// own name, joined by '.': BasicPipe.Reg16_1.out.  In the waveform dump the top scope is a module
// named rootScopeName, so the same bundle shows there as top.BasicPipe.Reg16_1.out.
#ifndef TARVIK_BUNDLEPATHS_H
#define TARVIK_BUNDLEPATHS_H

#include <set>
#include <string>
#include <vector>

const char rootScopeName[] = "top";

struct BundlePaths {
  std::vector<std::string> scopeNames;   // per scope of moduleScopes(); "" for the top scope
  std::vector<std::string> scopePaths;   // per scope: its qualified name without the top scope
  std::vector<std::string> bundleNames;  // per bundle of declaredBundles(), unique within its scope
  std::vector<std::string> paths;        // per bundle: qualified name without the top scope
};

// Names every declared bundle and scope recorded so far.
BundlePaths nameBundles();

// wanted made printable, with the first suffix _1, _2, ... that is not in used yet; entered in used.
std::string uniqueName(std::set<std::string>& used, const std::string& wanted);

// The paths a name picks, by index: the one it is (with or without "top."), else those it ends at a
// '.' boundary.  Bundles and memories are picked alike.
std::vector<size_t> pathsNamed(const std::vector<std::string>& paths, const std::string& name);
// Why found (what pathsNamed gave) is not exactly one: "no THING is named NAME", or "NAME names 2
// THINGS (a, b); qualify it by module scope".
std::string namingProblem(const std::vector<std::string>& paths, const std::string& name,
                          const std::vector<size_t>& found, const char* thing, const char* things);

#endif
