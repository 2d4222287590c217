// Reading an assignment: the test files, their .load companions and the manifest (toml++).
#include "Assignment.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <toml++/toml.h>

#include "FileIO.h"
#include "GradeFiles.h"

namespace {

const char manifestName[] = "assignment.toml";

std::vector<GradeTest> testsWithSuffix(const std::string& folder, const std::string& suffix) {
  std::vector<GradeTest> tests;
  for (const std::string& file : filesIn(folder)) {
    if (!endsWith(file, suffix) || file.size() == suffix.size()) continue;
    GradeTest t;
    t.name = file.substr(0, file.size() - suffix.size());
    t.file = folder + "/" + file;
    tests.push_back(t);
  }
  return tests;
}

// NAME.load: one MEMORY=IMAGE a line, images relative to the assignment; # comments, blank lines.
bool readLoads(const std::string& folder, GradeTest& t, std::string& problem) {
  std::string path = folder + "/" + t.name + ".load", text, reason;
  if (!isRegularFile(path)) return true;
  if (!readWholeFile(path, text, reason)) return problem = path + ": " + reason, false;
  size_t lineNumber = 0;
  for (std::string line : textLines(text)) {
    ++lineNumber;
    line = trimmedText(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    size_t equals = line.find('=');
    if (equals == 0 || equals == std::string::npos || equals + 1 == line.size())
      return problem = path + ":" + std::to_string(lineNumber) + ": not MEMORY=IMAGE: '" + line + "'", false;
    std::string memory = trimmedText(line.substr(0, equals)), image = trimmedText(line.substr(equals + 1));
    if (image[0] != '/') image = folder + "/" + image;
    t.options.push_back("--load");
    t.options.push_back(memory + "=" + image);
  }
  return true;
}

bool positiveInteger(const toml::node_view<const toml::node>& node, const std::string& key, uint64_t max,
                     uint64_t& value, std::string& problem) {
  if (!node) return true;
  auto v = node.value<int64_t>();
  if (!v || *v < 1 || uint64_t(*v) > max || !node.is_integer())
    return problem = std::string(manifestName) + ": " + key + " must be a whole number from 1 to " +
                     std::to_string(max),
           false;
  value = uint64_t(*v);
  return true;
}

bool readLimits(const toml::table& manifest, Assignment& a, std::string& problem) {
  auto limits = manifest["limits"];
  if (limits && !limits.is_table()) return problem = std::string(manifestName) + ": [limits] must be a table", false;
  uint64_t seconds = a.limits.seconds, output = a.limits.outputBytes, memory = a.limits.memoryBytes >> 20,
           cycles = a.cycles, build = a.buildSeconds;
  bool read = positiveInteger(limits["timeout"], "limits.timeout", 86400, seconds, problem) &&
              positiveInteger(limits["output"], "limits.output", uint64_t(1) << 30, output, problem) &&
              positiveInteger(limits["memory"], "limits.memory", uint64_t(1) << 20, memory, problem) &&
              positiveInteger(limits["cycles"], "limits.cycles", uint64_t(1) << 40, cycles, problem) &&
              positiveInteger(limits["build_timeout"], "limits.build_timeout", 86400, build, problem);
  a.limits.seconds = unsigned(seconds);
  a.limits.outputBytes = size_t(output);
  a.limits.memoryBytes = size_t(memory) << 20;
  a.cycles = (unsigned long)cycles;
  a.buildSeconds = unsigned(build);
  return read;
}

bool readTestEntry(const std::string& name, const toml::table& entry, GradeTest& t, std::string& problem) {
  std::string where = std::string(manifestName) + ": [tests." + name + "]";
  for (auto&& [key, value] : entry) {
    std::string k(key.str());
    if (k == "weight") {
      auto w = value.value<double>();
      if (!w || !(*w >= 0) || *w > 1e6) return problem = where + " weight must be a number from 0 to 1000000", false;
      t.weight = *w;
    } else if (k == "hidden") {
      if (!value.is_boolean()) return problem = where + " hidden must be true or false", false;
      t.hidden = value.as_boolean()->get();
    } else if (k == "options") {
      const toml::array* words = value.as_array();
      if (!words) return problem = where + " options must be a list of strings", false;
      for (auto&& word : *words) {
        if (!word.is_string()) return problem = where + " options must be a list of strings", false;
        t.options.push_back(word.as_string()->get());
      }
    } else {
      return problem = where + " unknown key '" + k + "' (weight, hidden, options)", false;
    }
  }
  return true;
}

bool readTestEntries(const toml::table& manifest, Assignment& a, std::string& problem) {
  auto tests = manifest["tests"];
  if (!tests) return true;
  if (!tests.is_table()) return problem = std::string(manifestName) + ": [tests] must be a table", false;
  for (auto&& [key, value] : *tests.as_table()) {
    std::string name(key.str());
    auto found = std::find_if(a.tests.begin(), a.tests.end(), [&](const GradeTest& t) { return t.name == name; });
    if (found == a.tests.end())
      return problem = std::string(manifestName) + ": [tests." + name + "] names no test file of the assignment", false;
    if (!value.is_table()) return problem = std::string(manifestName) + ": [tests." + name + "] must be a table", false;
    if (!readTestEntry(name, *value.as_table(), *found, problem)) return false;
  }
  return true;
}

bool readKind(const toml::table& manifest, Assignment& a, bool& given, std::string& problem) {
  auto kind = manifest["kind"];
  given = bool(kind);
  if (!kind) return true;
  std::string k = kind.value_or(std::string());
  if (k == "processor") a.kind = AssignmentKind::processor;
  else if (k == "circuit") a.kind = AssignmentKind::circuit;
  else return problem = std::string(manifestName) + ": kind must be \"processor\" or \"circuit\"", false;
  return true;
}

// processor = "TAG": the processor variant whose program runs the tests.
bool readProcessor(const toml::table& manifest, Assignment& a, std::string& problem) {
  auto processor = manifest["processor"];
  if (!processor) return true;
  a.processor = processorVariantTagged(processor.value_or(std::string()));
  if (!a.processor)
    return problem = std::string(manifestName) + ": processor must be " + processorVariantTags(", ", " or ", "\""),
           false;
  return true;
}

bool knownTopLevelKeys(const toml::table& manifest, std::string& problem) {
  for (auto&& [key, value] : manifest) {
    std::string k(key.str());
    if (k != "kind" && k != "processor" && k != "limits" && k != "tests")
      return problem = std::string(manifestName) + ": unknown key '" + k + "' (kind, processor, limits, tests)", false;
  }
  return true;
}

bool readManifest(const std::string& path, toml::table& manifest, std::string& problem) {
  std::string text, reason;
  if (!readWholeFile(path, text, reason)) return problem = path + ": " + reason, false;
  try {
    manifest = toml::parse(text, path);
  } catch (const toml::parse_error& e) {
    problem = path + ":" + std::to_string(e.source().begin.line) + ": " + std::string(e.description());
    return false;
  }
  return knownTopLevelKeys(manifest, problem);
}

}  // namespace

bool readAssignment(const std::string& folder, Assignment& a, std::string& problem) {
  a.folder = folder;
  toml::table manifest;
  std::string manifestPath = folder + "/" + manifestName;
  bool hasManifest = isRegularFile(manifestPath);
  if (hasManifest && !readManifest(manifestPath, manifest, problem)) return false;
  bool kindGiven = false;
  if (!readKind(manifest, a, kindGiven, problem) || !readProcessor(manifest, a, problem)) return false;
  std::vector<GradeTest> expects = testsWithSuffix(folder, ".expect"), vectors = testsWithSuffix(folder, ".test");
  if (!kindGiven && expects.empty() && !vectors.empty()) a.kind = AssignmentKind::circuit;
  a.tests = a.kind == AssignmentKind::processor ? expects : vectors;
  if (a.tests.empty())
    return problem = "the assignment " + folder + " holds no tests (" +
                     (a.kind == AssignmentKind::processor ? "NAME.expect" : "NAME.test") + " files)",
           false;
  for (GradeTest& t : a.tests)
    if (!readLoads(folder, t, problem)) return false;
  return readLimits(manifest, a, problem) && readTestEntries(manifest, a, problem);
}
