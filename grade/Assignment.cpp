// Reading an assignment: the test files, their .load companions and the manifest (toml++).
#include "Assignment.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <toml++/toml.h>

#include "FileIO.h"
#include "GradeFiles.h"
#include "NameIndex.h"
#include "ProcessorNames.h"
#include "Views.h"

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

// The processor's memories, as --load names them; its RAM's byte lanes are parts of the RAM.
const std::vector<std::string> processorMemories{processorNames::rom, processorNames::ram, processorNames::ramLanes[0],
                                                 processorNames::ramLanes[1]};

bool isRamLane(const std::string& path) {
  return path == processorNames::ramLanes[0] || path == processorNames::ramLanes[1];
}

// Two loads write the same words: one memory twice, or the RAM and one of its lanes.
bool overlap(const std::string& a, const std::string& b) {
  return a == b || (a == processorNames::ram && isRamLane(b)) || (b == processorNames::ram && isRamLane(a));
}

// The processor's memory that MEMORY picks, by the name index's rule; "" with problem.
std::string processorMemory(const std::string& memory, std::string& problem) {
  std::vector<size_t> found = pathsNamed(processorMemories, memory);
  std::string list;
  for (size_t m = 0; m < processorMemories.size(); m++)
    if (found.empty() || std::count(found.begin(), found.end(), m))
      list += (list.empty() ? "" : ", ") + processorMemories[m];
  if (found.size() == 1) return processorMemories[found[0]];
  problem = found.empty() ? "the processor has no memory " + memory + " (its memories are " + list + ")"
                          : memory + " names " + std::to_string(found.size()) + " memories (" + list + ")";
  return "";
}

struct LoadLine {
  std::string memory;  // as the processor names it (a circuit's: as written)
  size_t line;
};

// One MEMORY=IMAGE line: a memory the runs have, not loaded by an earlier line, and an image that exists.
bool checkLoad(AssignmentKind kind, const std::string& memory, const std::string& image,
               std::vector<LoadLine>& loaded, size_t line, std::string& problem) {
  std::string path = memory;
  if (kind == AssignmentKind::processor && (path = processorMemory(memory, problem)).empty()) return false;
  for (const LoadLine& earlier : loaded)
    if (overlap(earlier.memory, path))
      return problem = memory + " is loaded on line " + std::to_string(earlier.line) + " already (" +
                       earlier.memory + "): one image a memory",
             false;
  loaded.push_back({path, line});
  if (!isRegularFile(image)) return problem = "the image " + image + " of " + memory + " is not a file", false;
  return true;
}

// NAME.load: one MEMORY=IMAGE a line, images relative to the assignment; # comments, blank lines.  The
// .load file and the images' names, as written, join inputs.
bool readLoads(const Assignment& a, GradeTest& t, std::vector<std::string>& inputs, std::string& problem) {
  std::string file = t.name + ".load", path = a.folder + "/" + file, text, reason;
  if (!isRegularFile(path)) return true;
  if (!readWholeFile(path, text, reason)) return problem = path + ": " + reason, false;
  inputs.push_back(file);
  std::vector<LoadLine> loaded;
  size_t lineNumber = 0;
  for (std::string line : textLines(text)) {
    ++lineNumber;
    std::string where = path + ":" + std::to_string(lineNumber) + ": ";
    line = trimmedText(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    size_t equals = line.find('=');
    if (equals == 0 || equals == std::string::npos || equals + 1 == line.size())
      return problem = where + "not MEMORY=IMAGE: '" + line + "'", false;
    std::string memory = trimmedText(line.substr(0, equals)), image = trimmedText(line.substr(equals + 1));
    inputs.push_back(image);
    if (image[0] != '/') image = a.folder + "/" + image;
    if (!checkLoad(a.kind, memory, image, loaded, lineNumber, problem)) return problem = where + problem, false;
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
           cycles = a.cycles, build = a.buildSeconds, processes = a.limits.processes,
           fileSize = a.limits.fileBytes >> 20;
  bool read = positiveInteger(limits["timeout"], "limits.timeout", 86400, seconds, problem) &&
              positiveInteger(limits["output"], "limits.output", uint64_t(1) << 30, output, problem) &&
              positiveInteger(limits["memory"], "limits.memory", uint64_t(1) << 20, memory, problem) &&
              positiveInteger(limits["cycles"], "limits.cycles", maximumCycles, cycles, problem) &&
              positiveInteger(limits["build_timeout"], "limits.build_timeout", 86400, build, problem) &&
              positiveInteger(limits["processes"], "limits.processes", 4096, processes, problem) &&
              positiveInteger(limits["file_size"], "limits.file_size", uint64_t(1) << 20, fileSize, problem);
  a.limits.seconds = unsigned(seconds);
  a.limits.outputBytes = size_t(output);
  a.limits.memoryBytes = size_t(memory) << 20;
  a.limits.processes = unsigned(processes);
  a.limits.fileBytes = size_t(fileSize) << 20;
  a.cycles = (unsigned long)cycles;
  a.cyclesGiven = bool(limits["cycles"]);
  a.buildSeconds = unsigned(build);
  return read;
}

// The options the grader gives a run itself: a test's own would make every run refuse its second one.
std::vector<std::string> graderOwnOptions(AssignmentKind kind) {
  if (kind == AssignmentKind::processor) return {"--program", "--cycles", "--expect"};
  if (kind == AssignmentKind::tests) return {"--test", "--json", "-j", "--shard", "--sample"};
  return {"--test"};
}

bool isGraderOwnOption(AssignmentKind kind, const std::string& word) {
  for (const std::string& own : graderOwnOptions(kind))
    if (word == own || word.compare(0, own.size() + 1, own + "=") == 0) return true;
  return false;
}

bool readOptionWords(const toml::node& value, AssignmentKind kind, const std::string& where, GradeTest& t,
                     std::string& problem) {
  const toml::array* words = value.as_array();
  if (!words) return problem = where + " options must be a list of strings", false;
  for (auto&& word : *words) {
    if (!word.is_string()) return problem = where + " options must be a list of strings", false;
    const std::string& w = word.as_string()->get();
    if (isGraderOwnOption(kind, w))
      return problem = where + " options may not hold " + w.substr(0, w.find('=')) + ": the grader gives it", false;
    t.options.push_back(w);
  }
  return true;
}

bool readTestEntry(const std::string& name, const toml::table& entry, AssignmentKind kind, GradeTest& t,
                   std::string& problem) {
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
      if (!readOptionWords(value, kind, where, t, problem)) return false;
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
    if (!readTestEntry(name, *value.as_table(), a.kind, *found, problem)) return false;
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
  else if (k == "tests") a.kind = AssignmentKind::tests;
  else return problem = std::string(manifestName) + ": kind must be \"processor\", \"circuit\" or \"tests\"", false;
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
    if (k != "kind" && k != "processor" && k != "limits" && k != "tests" && k != "coverage")
      return problem = std::string(manifestName) + ": unknown key '" + k + "' (kind, processor, limits, tests, coverage)",
             false;
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

// FNV-1a over each input's name and contents, in name order: the same files give the same identity.
bool identityOf(const std::string& folder, std::vector<std::string> inputs, std::string& identity,
                std::string& problem) {
  std::sort(inputs.begin(), inputs.end());
  inputs.erase(std::unique(inputs.begin(), inputs.end()), inputs.end());
  uint64_t hash = 14695981039346656037ull;
  auto mix = [&](const std::string& bytes) {
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    hash = (hash ^ 0xff) * 1099511628211ull;  // ends each piece, so that no two splits hash alike
  };
  for (const std::string& input : inputs) {
    std::string text, reason;
    if (!readWholeFile(input[0] == '/' ? input : folder + "/" + input, text, reason))
      return problem = input + ": " + reason, false;
    mix(input);
    mix(std::to_string(text.size()));
    mix(text);
  }
  char hex[17];
  snprintf(hex, sizeof hex, "%016llx", (unsigned long long)hash);
  identity = hex;
  return true;
}

const std::vector<std::string> processorReferences{"reference.asm", "reference.hex", "reference.s"},
    circuitReferences{"reference.cpp"};

std::string namesOf(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return list;
}

// The teacher's own solution: reference.s, .asm or .hex for the processor, reference.cpp for a circuit.
// One at most, and of the assignment's kind: a reference of the other kind would be silently unused.
bool findReference(Assignment& a, std::string& problem) {
  bool processor = a.kind == AssignmentKind::processor;
  if (a.kind == AssignmentKind::tests && !isRegularFile(a.folder + "/reference.cpp"))
    return problem = "a tests assignment needs the circuit its students test: reference.cpp in " + a.folder, false;
  const std::vector<std::string>& ours = processor ? processorReferences : circuitReferences;
  const std::vector<std::string>& theirs = processor ? circuitReferences : processorReferences;
  for (const std::string& name : theirs)
    if (isRegularFile(a.folder + "/" + name))
      return problem = "the assignment's " + name + " is not a " + (processor ? "processor" : "circuit") +
                       " assignment's reference (" +
                       (processor ? "reference.s, reference.asm or reference.hex" : "reference.cpp") + ")",
             false;
  std::vector<std::string> found;
  for (const std::string& name : ours)
    if (isRegularFile(a.folder + "/" + name)) found.push_back(name);
  if (found.size() > 1)
    return problem = "the assignment holds more than one reference (" + namesOf(found) + "): keep one", false;
  if (!found.empty()) a.reference = a.folder + "/" + found[0];
  return true;
}

bool percent(const toml::node_view<const toml::node>& node, const std::string& key, double& value,
             std::string& problem) {
  if (!node) return true;
  auto v = node.value<double>();
  if (!v || !(*v >= 0 && *v <= 100))
    return problem = std::string(manifestName) + ": coverage." + key + " must be a percentage from 0 to 100", false;
  value = *v;
  return true;
}

// [coverage] minimum and full: only for a tests assignment, minimum below full.
bool readCoverage(const toml::table& manifest, Assignment& a, std::string& problem) {
  auto coverage = manifest["coverage"];
  if (!coverage) return true;
  std::string where = std::string(manifestName) + ": [coverage]";
  if (a.kind != AssignmentKind::tests) return problem = where + " is for kind = \"tests\" only", false;
  if (!coverage.is_table()) return problem = where + " must be a table", false;
  for (auto&& [key, value] : *coverage.as_table())
    if (key.str() != "minimum" && key.str() != "full")
      return problem = where + " unknown key '" + std::string(key.str()) + "' (minimum, full)", false;
  if (!percent(coverage["minimum"], "minimum", a.coverageMinimum, problem) ||
      !percent(coverage["full"], "full", a.coverageFull, problem))
    return false;
  if (a.coverageMinimum >= a.coverageFull) return problem = where + " minimum must be below full", false;
  return true;
}

// A tests assignment has one test, the coverage, whose file is the circuit tested.
void coverageTest(Assignment& a) {
  GradeTest t;
  t.name = coverageTestName;
  t.file = a.folder + "/reference.cpp";
  a.tests = {t};
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
  if (a.kind == AssignmentKind::tests) coverageTest(a);
  if (a.tests.empty())
    return problem = "the assignment " + folder + " holds no tests (" +
                     (a.kind == AssignmentKind::processor ? "NAME.expect" : "NAME.test") + " files)",
           false;
  std::vector<std::string> inputs;
  if (hasManifest) inputs.push_back(manifestName);
  if (!findReference(a, problem)) return false;
  if (!a.reference.empty()) inputs.push_back(a.reference.substr(folder.size() + 1));
  for (GradeTest& t : a.tests) {
    inputs.push_back(t.file.substr(folder.size() + 1));
    if (!readLoads(a, t, inputs, problem)) return false;
  }
  if (!readCoverage(manifest, a, problem)) return false;
  if (!readLimits(manifest, a, problem) || !readTestEntries(manifest, a, problem)) return false;
  for (GradeTest& t : a.tests) t.cycles = a.cycles;
  return identityOf(folder, inputs, a.identity, problem);
}
