// Fuzz target: tarvik-grade's command line.
//
// The input is the words after the program's name, separated by NUL bytes.  A command line that is
// taken holds what the usage allows (-j from 1 to 4096, 1 <= I <= N of --shard, a DIR, two folders or,
// for report, at least three), and its canonical spelling reads back as the same options; one that is
// refused says why.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "GradeOptions.h"

namespace {

bool readWords(const std::vector<std::string>& words, GradeOptions& o, std::string& problem) {
  std::vector<std::string> argvText{"tarvik-grade"};
  argvText.insert(argvText.end(), words.begin(), words.end());
  std::vector<char*> argv;
  for (std::string& w : argvText) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  return readGradeOptions(int(argvText.size()), argv.data(), o, problem);
}

// A folder as it reads back: a "-x" comes back as "./-x".
std::string folderRead(const std::string& folder) {
  return folder.size() > 1 && folder[0] == '-' ? "./" + folder : folder;
}

// Help ends the reading: what came before it is not kept.
bool sameOptions(const GradeOptions& a, const GradeOptions& b) {
  if (a.helpAsked) return b.helpAsked && a.reporting == b.reporting;
  if (a.folders.size() != b.folders.size()) return false;
  for (size_t i = 0; i < a.folders.size(); i++)
    if (folderRead(a.folders[i]) != b.folders[i]) return false;
  return a.reporting == b.reporting && a.out == b.out && a.processor == b.processor && a.jobs == b.jobs &&
         a.shard == b.shard && a.shards == b.shards && a.shardGiven == b.shardGiven && a.helpAsked == b.helpAsked;
}

void checkTaken(const GradeOptions& o) {
  if (o.helpAsked) return;
  require(o.jobs <= 4096 && o.shard >= 1 && o.shard <= o.shards && o.shards <= 4096, "counts are in range");
  require(!o.out.empty(), "a DIR is given");
  require(o.reporting ? o.folders.size() >= 3 : o.folders.size() == 2, "the folders the usage asks for are given");
  require(!o.reporting || (o.jobs == 0 && o.shards == 1 && o.processor.empty()), "report takes only --out");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  GradeOptions o;
  std::string problem;
  if (!readWords(nulSeparatedWords(data, size, 12, 64), o, problem)) {
    require(!problem.empty(), "a refusal says why");
    return 0;
  }
  checkTaken(o);
  GradeOptions again;
  require(readWords(gradeOptionWords(o), again, problem), "the canonical spelling is taken");
  require(sameOptions(o, again), "the canonical spelling reads back as the same options");
  return 0;
}
