// Shards: which students a grading takes, where the shard comes from when --shard is not given, and
// whether joined shards hold the whole class.
#include "Shards.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>

#include "GradeOptions.h"
#include "Numbers.h"
#include "ShownNames.h"

namespace {

// FNV-1a over the name's bytes, then MurmurHash3's 64-bit finalizer: FNV's low bits alone follow the
// last byte, which would put s01, s03, s05... all in one shard of two.
uint64_t nameHash(const std::string& name) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  return h ^ (h >> 33);
}

// A variable's whole value as a number from low to high; false when unset or not one.
bool numberVariable(const char* name, uint64_t low, uint64_t high, uint64_t& value) {
  const char* text = getenv(name);
  return text && readNumber(text, decimalFrom(low, high), value);
}

bool isSet(const char* name) { return getenv(name) != nullptr; }

std::string valueOf(const char* name) { return std::string(name) + "=" + (isSet(name) ? getenv(name) : "(unset)"); }

const uint64_t maximumShards = 4096;

bool fromTarvikShard(unsigned& shard, unsigned& shards, std::string& problem) {
  if (readShardText(getenv("TARVIK_SHARD"), shard, shards)) return true;
  return problem = valueOf("TARVIK_SHARD") + " is not a shard: it needs I/N with 1 <= I <= N, as 2/4", false;
}

// An array of N tasks numbered MIN..MAX with no step: the task with id MIN is shard 1.
bool fromSlurm(unsigned& shard, unsigned& shards, std::string& problem) {
  uint64_t id, low, high, count;
  const uint64_t most = 100000000;
  if (!numberVariable("SLURM_ARRAY_TASK_ID", 0, most, id) || !numberVariable("SLURM_ARRAY_TASK_MIN", 0, most, low) ||
      !numberVariable("SLURM_ARRAY_TASK_MAX", 0, most, high) ||
      !numberVariable("SLURM_ARRAY_TASK_COUNT", 1, maximumShards, count) || low > id || id > high ||
      high - low + 1 != count)
    return problem = "the Slurm array's " + valueOf("SLURM_ARRAY_TASK_ID") + ", " + valueOf("SLURM_ARRAY_TASK_MIN") +
                     ", " + valueOf("SLURM_ARRAY_TASK_MAX") + " and " + valueOf("SLURM_ARRAY_TASK_COUNT") +
                     " are not a shard: the array must be one range of at most 4096 tasks with no step (--array=1-8)",
           false;
  return shard = unsigned(id - low + 1), shards = unsigned(count), true;
}

bool fromIndexedJob(unsigned& shard, unsigned& shards, std::string& problem) {
  uint64_t index, count;
  if (!numberVariable("TARVIK_SHARDS", 1, maximumShards, count) ||
      !numberVariable("JOB_COMPLETION_INDEX", 0, maximumShards - 1, index) || index >= count)
    return problem = "the indexed job's " + valueOf("JOB_COMPLETION_INDEX") + " and " + valueOf("TARVIK_SHARDS") +
                     " are not a shard: TARVIK_SHARDS must be the job's completions (1 to 4096) and the index below it",
           false;
  return shard = unsigned(index + 1), shards = unsigned(count), true;
}

std::string listedStudents(const std::vector<std::string>& names) {
  const size_t shown = 10;
  std::string text;
  for (size_t i = 0; i < names.size() && i < shown; ++i) text += (i ? ", " : "") + names[i];
  if (names.size() > shown) text += " and " + std::to_string(names.size() - shown) + " more";
  return text;
}

std::string shardFolderOf(const GradeResult& r) { return r.file.substr(0, r.file.rfind("/results/")); }

}  // namespace

unsigned shardOfStudent(const std::string& student, unsigned shards) {
  return unsigned(nameHash(student) % (shards ? shards : 1)) + 1;
}

bool shardFromEnvironment(unsigned& shard, unsigned& shards, std::string& source, std::string& problem) {
  source.clear();
  if (isSet("TARVIK_SHARD")) return source = "TARVIK_SHARD", fromTarvikShard(shard, shards, problem);
  if (isSet("SLURM_ARRAY_TASK_ID"))
    return source = "SLURM_ARRAY_TASK_ID and SLURM_ARRAY_TASK_COUNT", fromSlurm(shard, shards, problem);
  if (isSet("JOB_COMPLETION_INDEX"))
    return source = "JOB_COMPLETION_INDEX and TARVIK_SHARDS", fromIndexedJob(shard, shards, problem);
  return true;
}

bool resultsCoverClass(const std::vector<GradeResult>& results, const Assignment& assignment,
                       const std::vector<std::string>& students, std::string& problem) {
  std::map<std::string, std::set<std::string>> folders;  // by student
  std::map<std::string, size_t> counts;
  for (const GradeResult& r : results) folders[r.student].insert(shardFolderOf(r)), counts[r.student]++;
  for (const auto& [student, where] : folders)
    if (where.size() > 1)
      return problem = "student " + shownName(student) + " has results in two shards: " + *where.begin() + " and " +
                       *std::next(where.begin()) + " (each student belongs to one shard: join each shard once)",
             false;
  std::vector<std::string> missing;
  for (const std::string& student : students) {
    size_t have = counts[student];
    if (have < assignment.tests.size())
      missing.push_back(shownName(student) + (have ? " (" + std::to_string(have) + " of " + std::to_string(assignment.tests.size()) +
                                           " tests)"
                                      : ""));
  }
  if (missing.empty()) return true;
  problem = "the shards hold no results for " + std::to_string(missing.size()) + " of the class's students: " +
            listedStudents(missing) + " (grade their shards, or resume them, before joining)";
  return false;
}
