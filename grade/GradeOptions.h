// tarvik-grade's command line: the grading's words or report's, read into one record.
#ifndef TARVIK_GRADE_OPTIONS_H
#define TARVIK_GRADE_OPTIONS_H

#include <string>
#include <vector>

struct GradeOptions {
  bool reporting = false;
  std::string out;
  std::vector<std::string> folders;  // ASSIGNMENT SUBMISSIONS, then (report) the RESULTS_DIRs
  std::string processor;
  unsigned jobs = 0;  // 0: the number of cores
  unsigned shard = 1, shards = 1;
  bool shardGiven = false;  // --shard: else the environment may name the shard
  bool noSandbox = false;  // the teacher's explicit choice to run the students' work unprotected
  bool helpAsked = false;
};

extern const char gradeUsageText[];
// I/N, a shard: 1 <= I <= N <= 4096; false (shard and shards unchanged) when text is not one.
bool readShardText(const std::string& text, unsigned& shard, unsigned& shards);

// Reads argv into options (from scratch); false with problem (for an ERROR -- line) when it is bad
// usage.  Reading stops at -h or --help, with helpAsked set.
bool readGradeOptions(int argc, char** argv, GradeOptions& options, std::string& problem);

// A command line that reads back as options (no program name first): the canonical spelling.
std::vector<std::string> gradeOptionWords(const GradeOptions& options);

#endif
