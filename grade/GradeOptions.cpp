#include "GradeOptions.h"

#include <iterator>

#include "LongOption.h"
#include "Numbers.h"

const char gradeUsageText[] =
    "Usage: tarvik-grade [-j N] [--shard I/N] [--processor PATH] [--no-sandbox] --out DIR ASSIGNMENT SUBMISSIONS\n"
    "       tarvik-grade report --out DIR ASSIGNMENT SUBMISSIONS RESULTS_DIR...\n"
    "\n"
    "Runs every student's work (one folder per student in SUBMISSIONS) against every test of ASSIGNMENT\n"
    "and writes one result per student and test to DIR/results, then the reports: the table (printed and\n"
    "DIR/table.txt), DIR/junit.xml, DIR/grades.csv and DIR/autograder/STUDENT/results.json.\n"
    "Results already in DIR are kept and not run again.  A reference solution in ASSIGNMENT (reference.s,\n"
    "reference.asm, reference.hex or reference.cpp) runs first on every test and sets its cycle cap.\n"
    "\n"
    "  --out DIR         where results and reports go (not inside ASSIGNMENT or SUBMISSIONS)\n"
    "  -j N              runs at a time (default: the number of cores)\n"
    "  --shard I/N       grade only the I-th of N slices of the students (by a hash of the name; 1 <= I <= N;\n"
    "                    default: from TARVIK_SHARD=I/N, a Slurm array task or a Kubernetes indexed job)\n"
    "  --processor PATH  the processor program (default: 5a-LD-hazard beside tarvik-grade, or the build\n"
    "                    tree's)\n"
    "  --no-sandbox      run the students' work without the sandbox (needed for circuits where the\n"
    "                    kernel lacks one of its layers; docs/grading.md)\n"
    "  -h, --help        show this text\n"
    "\n"
    "report joins the results of several runs or shards (their DIRs) of ASSIGNMENT and SUBMISSIONS into\n"
    "DIR and writes its reports.\n"
    "\n"
    "Exit status: 0 when the grading ran, whatever the students scored; 2 for bad usage, an assignment\n"
    "without tests or with an unreadable manifest, a reference that fails a test, or a file that cannot\n"
    "be written (ERROR -- ...).\n"
    "The assignment's format and the reports are described in docs/grading.md.\n";

namespace {

GradeOptions* reading;  // what the long options' rows fill in

bool readCount(const std::string& text, unsigned& value) {
  uint64_t n;
  if (!readNumber(text, decimalFrom(1, 4096), n)) return false;
  value = unsigned(n);
  return true;
}

const char shardRefusal[] = "--shard needs I/N with 1 <= I <= N, as 2/4";

bool takeShard(const char* argument, std::string& problem) {
  if (readShardText(argument, reading->shard, reading->shards)) return reading->shardGiven = true;
  problem = shardRefusal;
  return false;
}

bool takeOut(const char* argument, std::string&) { return reading->out = argument, true; }
bool takeProcessor(const char* argument, std::string&) { return reading->processor = argument, true; }
bool takeNoSandbox(const char*, std::string&) { return reading->noSandbox = true, true; }
bool takeHelp(const char*, std::string&) {
  reading->helpAsked = true;
  return true;
}

// The usage text lays these out by hand, among the single-letter ones.  report takes the first two.
const LongOption longOptions[] = {
    {"--out", "DIR", nullptr, takeOut, nullptr, false, "--out needs a folder"},
    {"--help", nullptr, nullptr, takeHelp, nullptr, false, nullptr, true},
    {"--shard", "I/N", nullptr, takeShard, nullptr, true, shardRefusal},
    {"--processor", "PATH", nullptr, takeProcessor, nullptr, false, "--processor needs a program"},
    {"--no-sandbox", nullptr, nullptr, takeNoSandbox, nullptr, false, nullptr, true},
};
const size_t reportOptionCount = 2;

// The value of -j: -jN, -j=N, or the word after -j (i then moves on to it); false when there is none.
bool jobsValue(int argc, char** argv, int& i, std::string& value) {
  std::string a = argv[i];
  if (a.size() > 2) return value = a.substr(a[2] == '=' ? 3 : 2), true;
  if (++i == argc) return false;
  return value = argv[i], true;
}

// Reads one word (and the argument it takes); false with problem.
bool readWord(int argc, char** argv, int& i, std::string& problem) {
  std::string a = argv[i];
  if (a == "-h") return takeHelp(nullptr, problem);
  if (a.compare(0, 2, "-j") == 0 && !reading->reporting) {
    std::string value;
    if (!jobsValue(argc, argv, i, value) || !readCount(value, reading->jobs))
      return problem = "-j needs a number of runs from 1 to 4096", false;
    return true;
  }
  if (a.size() > 1 && a[0] == '-') {
    size_t count = reading->reporting ? reportOptionCount : std::size(longOptions);
    LongOptionMatch m = takeLongOptionFrom(longOptions, count, argc, argv, i, problem);
    if (m == longOptionNotInTable) problem = "unknown option '" + a + "' (tarvik-grade --help lists the options)";
    return m == longOptionTaken;
  }
  reading->folders.push_back(a);
  return true;
}

bool completeUsage(const GradeOptions& o, std::string& problem) {
  if (o.out.empty()) return problem = "no --out DIR given (tarvik-grade --help shows the usage)", false;
  if (o.reporting && o.folders.size() < 3)
    return problem = "report needs ASSIGNMENT, SUBMISSIONS and the result folders to join", false;
  if (!o.reporting && o.folders.size() != 2)
    return problem = "give ASSIGNMENT and SUBMISSIONS, two folders (tarvik-grade --help shows the usage)", false;
  return true;
}

}  // namespace

bool readShardText(const std::string& text, unsigned& shard, unsigned& shards) {
  size_t slash = text.find('/');
  unsigned i = 0, n = 0;
  if (slash == std::string::npos || !readCount(text.substr(0, slash), i) || !readCount(text.substr(slash + 1), n) ||
      i > n)
    return false;
  shard = i, shards = n;
  return true;
}

bool readGradeOptions(int argc, char** argv, GradeOptions& options, std::string& problem) {
  options = GradeOptions();
  reading = &options;
  int first = 1;
  if (argc > 1 && std::string(argv[1]) == "report") options.reporting = true, first = 2;
  for (int i = first; i < argc; ++i) {
    if (!readWord(argc, argv, i, problem)) return false;
    if (options.helpAsked) return true;
  }
  return completeUsage(options, problem);
}

std::vector<std::string> gradeOptionWords(const GradeOptions& o) {
  std::vector<std::string> words;
  if (o.reporting) words.push_back("report");
  if (o.helpAsked) return words.push_back("--help"), words;
  if (o.jobs) words.push_back("-j" + std::to_string(o.jobs));
  if (o.shardGiven) words.push_back("--shard=" + std::to_string(o.shard) + "/" + std::to_string(o.shards));
  if (!o.processor.empty()) words.push_back("--processor=" + o.processor);
  if (o.noSandbox) words.push_back("--no-sandbox");
  words.push_back("--out=" + o.out);
  // A folder that starts with '-' would read as an option: ./ keeps it a folder.
  for (const std::string& f : o.folders) words.push_back(f.size() > 1 && f[0] == '-' ? "./" + f : f);
  return words;
}
