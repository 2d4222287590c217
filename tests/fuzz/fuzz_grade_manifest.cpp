// Fuzz target: an assignment's assignment.toml and NAME.load files, as tarvik-grade reads them.
//
// The input is pieces separated by NUL bytes: the manifest, then one.load and two.load (a piece left
// out: no such file).  They are written into two assignment folders that hold the tests one.expect and
// two.expect and the images data.hex and sub/rom.hex, and each folder is read.  An assignment that is
// taken must hold nothing a run would refuse later: a cycle cap the processor takes, weights a result
// file may hold, --load words that each name one memory of the processor (no memory twice, the RAM and
// its lanes being one) and an existing image, and none of the options the grader gives itself.  Where
// the folder lies changes neither the verdict nor the assignment's identity; a refusal names a file.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Assignment.h"
#include "FuzzCheck.h"
#include "ProcessorNames.h"
#include "Results.h"
#include "Views.h"

namespace {

const char scratchName[] = "fuzz-grade-manifest-";
const char* const pieceFiles[] = {"assignment.toml", "one.load", "two.load"};

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string newAssignmentFolder() {
  std::string pattern = "/tmp/" + std::string(scratchName) + "XXXXXX";
  char* name = &pattern[0];
  require(mkdtemp(name) != nullptr, "a scratch folder can be made");
  std::string folder = name;
  mkdir((folder + "/sub").c_str(), 0777);
  for (const char* test : {"one.expect", "two.expect"}) writeFile(folder + "/" + test, "Reg1 1\n");
  writeFile(folder + "/data.hex", "0001\n");
  writeFile(folder + "/sub/rom.hex", "0002\n");
  return folder;
}

void writePieces(const std::string& folder, const std::vector<std::string>& pieces) {
  for (size_t i = 0; i < std::size(pieceFiles); i++) {
    std::string path = folder + "/" + pieceFiles[i];
    if (i < pieces.size()) writeFile(path, pieces[i]);
    else unlink(path.c_str());
  }
}

// The processor's memory a --load name picks, by the rule its name index follows; "" for none or several.
std::string pickedMemory(const std::string& name) {
  const std::string memories[] = {processorNames::rom, processorNames::ram, processorNames::ramLanes[0],
                                  processorNames::ramLanes[1]};
  std::string exact, ending;
  int endings = 0;
  for (const std::string& m : memories) {
    if (name == m || name == "top." + m) exact = m;
    std::string path = "top." + m;  // ends with every name m ends with, and with m itself
    if (path.size() > name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0 &&
        path[path.size() - name.size() - 1] == '.')
      ending = m, endings++;
  }
  return !exact.empty() ? exact : endings == 1 ? ending : "";
}

// The RAM stands for both lanes.
std::vector<std::string> wordsWritten(const std::string& memory) {
  if (memory == processorNames::ram) return {processorNames::ramLanes[0], processorNames::ramLanes[1]};
  return {memory};
}

bool isRegular(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void checkRunOptions(const GradeTest& t) {
  std::vector<std::string> written;
  for (size_t i = 0; i < t.options.size(); i++) {
    const std::string& w = t.options[i];
    for (const char* own : {"--program", "--cycles", "--expect"})
      require(w != own && w.rfind(std::string(own) + "=", 0) != 0, "no test option is one the grader gives");
    if (w != "--load" || i + 1 == t.options.size()) continue;
    const std::string& load = t.options[++i];
    size_t equals = load.find('=');
    std::string memory = pickedMemory(load.substr(0, equals));
    require(!memory.empty(), "a --load names one memory of the processor");
    require(isRegular(load.substr(equals + 1)), "a --load's image is a file");
    for (const std::string& lane : wordsWritten(memory)) {
      for (const std::string& earlier : written) require(earlier != lane, "no memory is loaded twice");
      written.push_back(lane);
    }
  }
}

// What a run of the test would write as its passing result must read back as a result.
void checkResultOfTest(const Assignment& a, const GradeTest& t) {
  GradeResult r;
  r.student = "s";
  r.test = t.name;
  r.score = r.maxScore = t.weight;
  r.assignment = a.identity;
  GradeResult back;
  std::string problem;
  require(resultFromText("s/" + t.name + ".json", "s", t.name, resultText(r), back, problem),
          "a test's passing result reads back");
}

void checkTaken(const Assignment& a) {
  require(a.cycles >= 1 && a.cycles <= maximumCycles, "the cycle cap is one the processor takes");
  require(a.identity.size() == 16, "the identity is a digest");
  for (const GradeTest& t : a.tests) {
    require(t.weight >= 0 && t.weight <= maximumScore, "a weight is a score a result may hold");
    checkRunOptions(t);
    checkResultOfTest(a, t);
  }
}

std::string withoutFolder(std::string text, const std::string& folder) {
  for (size_t at; (at = text.find(folder)) != std::string::npos;) text.replace(at, folder.size(), "F");
  return text;
}

// The two folders of one input, removed once it is read (libFuzzer may end without running destructors).
struct AssignmentFolders {
  std::string paths[2] = {newAssignmentFolder(), newAssignmentFolder()};
  ~AssignmentFolders() {
    std::error_code ignored;
    for (const std::string& p : paths) std::filesystem::remove_all(p, ignored);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const AssignmentFolders scratch;
  const std::string* folders = scratch.paths;
  std::vector<std::string> pieces = nulSeparatedWords(data, size, std::size(pieceFiles), 4096);
  // An input that names one of the folders reads differently in the other: nothing to compare.
  for (const std::string& piece : pieces)
    if (piece.find(scratchName) != std::string::npos) return 0;
  Assignment read[2];
  std::string problems[2];
  bool taken[2];
  for (int i = 0; i < 2; i++) {
    writePieces(folders[i], pieces);
    taken[i] = readAssignment(folders[i], read[i], problems[i]);
  }
  require(taken[0] == taken[1], "where the assignment lies does not change its verdict");
  if (!taken[0]) {
    require(withoutFolder(problems[0], folders[0]) == withoutFolder(problems[1], folders[1]),
            "where the assignment lies does not change its refusal");
    require(problems[0].rfind("assignment.toml", 0) == 0 || problems[0].find(folders[0]) != std::string::npos,
            "a refusal names the file");
    return 0;
  }
  require(read[0].identity == read[1].identity, "where the assignment lies does not change its identity");
  checkTaken(read[0]);
  return 0;
}
