// tarvik-grade: grades a class.  Every student's program (or circuit) runs against every test of an
// assignment, each run a process of its own under limits; the results land in DIR, one file per
// student and test, and the reports are made from those files, so that shards and resumed runs join
// into the reports a single run gives.
#include <unistd.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "FileIO.h"
#include "GradeFiles.h"
#include "Grading.h"
#include "LongOption.h"
#include "Numbers.h"
#include "Reports.h"

namespace {

const char usageText[] =
    "Usage: tarvik-grade [-j N] [--shard I/N] [--processor PATH] --out DIR ASSIGNMENT SUBMISSIONS\n"
    "       tarvik-grade report --out DIR RESULTS_DIR...\n"
    "\n"
    "Runs every student's work (one folder per student in SUBMISSIONS) against every test of ASSIGNMENT\n"
    "and writes one result per student and test to DIR/results, then the reports: the table (printed and\n"
    "DIR/table.txt), DIR/junit.xml, DIR/grades.csv and DIR/autograder/STUDENT/results.json.\n"
    "Results already in DIR are kept and not run again.\n"
    "\n"
    "  --out DIR         where results and reports go (not inside ASSIGNMENT or SUBMISSIONS)\n"
    "  -j N              runs at a time (default: the number of cores)\n"
    "  --shard I/N       grade only the I-th of N slices of the students (by sorted name; 1 <= I <= N)\n"
    "  --processor PATH  the processor program (default: 5a-LD-hazard beside tarvik-grade, or the build\n"
    "                    tree's)\n"
    "  -h, --help        show this text\n"
    "\n"
    "report joins the results of several runs or shards (their DIRs) into DIR and writes its reports.\n"
    "\n"
    "Exit status: 0 when the grading ran, whatever the students scored; 2 for bad usage, an assignment\n"
    "without tests or with an unreadable manifest, or a file that cannot be written (ERROR -- ...).\n"
    "The assignment's format and the reports are described in docs/grading.md.\n";

struct GradeOptions {
  bool reporting = false;
  std::string out;
  std::vector<std::string> folders;  // ASSIGNMENT SUBMISSIONS, or the RESULTS_DIRs
  std::string processor;
  unsigned jobs = 0;
  unsigned shard = 1, shards = 1;
  bool helpAsked = false;
};

GradeOptions options;  // the long options' rows fill it in

int refuse(const std::string& message) {
  fprintf(stderr, "ERROR -- %s\n", shownText(message).c_str());
  return 2;
}

bool readCount(const std::string& text, unsigned& value) {
  uint64_t n;
  if (!readNumber(text, decimalFrom(1, 4096), n)) return false;
  value = unsigned(n);
  return true;
}

const char shardRefusal[] = "--shard needs I/N with 1 <= I <= N, as 2/4";

bool takeShard(const char* argument, std::string& problem) {
  std::string text = argument;
  size_t slash = text.find('/');
  if (slash != std::string::npos && readCount(text.substr(0, slash), options.shard) &&
      readCount(text.substr(slash + 1), options.shards) && options.shard <= options.shards)
    return true;
  problem = shardRefusal;
  return false;
}

bool takeOut(const char* argument, std::string&) { return options.out = argument, true; }
bool takeProcessor(const char* argument, std::string&) { return options.processor = argument, true; }
bool takeHelp(const char*, std::string&) {
  options.helpAsked = true;
  return true;
}

// The usage text lays these out by hand, among the single-letter ones.  report takes the first two.
const LongOption longOptions[] = {
    {"--out", "DIR", nullptr, takeOut, nullptr, false, "--out needs a folder"},
    {"--help", nullptr, nullptr, takeHelp, nullptr, false, nullptr, true},
    {"--shard", "I/N", nullptr, takeShard, nullptr, true, shardRefusal},
    {"--processor", "PATH", nullptr, takeProcessor, nullptr, false, "--processor needs a program"},
};
const size_t reportOptionCount = 2;

// The value of -j: -jN, -j=N, or the word after -j (i then moves on to it); false when there is none.
bool jobsValue(int argc, char** argv, int& i, std::string& value) {
  std::string a = argv[i];
  if (a.size() > 2) return value = a.substr(a[2] == '=' ? 3 : 2), true;
  if (++i == argc) return false;
  return value = argv[i], true;
}

// Reads one word (and the argument it takes); returns -1 to go on, or the exit status.
int readWord(int argc, char** argv, int& i) {
  std::string a = argv[i], value, problem;
  if (a == "-h") {
    takeHelp(nullptr, problem);
  } else if (a.compare(0, 2, "-j") == 0 && !options.reporting) {
    if (!jobsValue(argc, argv, i, value) || !readCount(value, options.jobs))
      return refuse("-j needs a number of runs from 1 to 4096");
  } else if (a.size() > 1 && a[0] == '-') {
    size_t count = options.reporting ? reportOptionCount : std::size(longOptions);
    LongOptionMatch m = takeLongOptionFrom(longOptions, count, argc, argv, i, problem);
    if (m == longOptionRefused) return refuse(problem);
    if (m == longOptionNotInTable) return refuse("unknown option '" + a + "' (tarvik-grade --help lists the options)");
  } else {
    options.folders.push_back(a);
  }
  return -1;
}

// Reads the command line into options; returns -1 to go on, or the exit status.
int readOptions(int argc, char** argv) {
  int first = 1;
  if (argc > 1 && std::string(argv[1]) == "report") options.reporting = true, first = 2;
  for (int i = first; i < argc; ++i) {
    int status = readWord(argc, argv, i);
    if (status >= 0) return status;
    if (options.helpAsked) {
      fputs(usageText, stdout);
      return 0;
    }
  }
  const GradeOptions& o = options;
  if (o.out.empty()) return refuse("no --out DIR given (tarvik-grade --help shows the usage)");
  if (o.reporting && o.folders.empty()) return refuse("report needs the result folders to join");
  if (!o.reporting && o.folders.size() != 2)
    return refuse("give ASSIGNMENT and SUBMISSIONS, two folders (tarvik-grade --help shows the usage)");
  return -1;
}

std::string folderOfProgram() {
  std::string self = realPath("/proc/self/exe");
  return self.substr(0, self.rfind('/'));
}

// The processor: --processor, else the assignment's variant's program beside this program (installed),
// else the build tree's.
std::string findProcessor(const std::string& given, const std::string& program) {
  if (!given.empty()) return given[0] == '/' ? given : realPath(given);
  std::string here = folderOfProgram();
  for (const std::string& candidate : {here + "/" + program, here + "/../pipeline/" + program})
    if (access(candidate.c_str(), X_OK) == 0) return realPath(candidate);
  return "";
}

// The compiler (CXX, else c++ on the PATH) and the flags that build a circuit against the installation
// this program belongs to, or against the build tree it was built in.
std::string findOnPath(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

std::vector<std::string> circuitFlags() {
  std::string prefix = folderOfProgram() + "/..";
  std::string include = prefix + "/" TARVIK_GRADE_INCLUDEDIR "/tarvik", lib = prefix + "/" TARVIK_GRADE_LIBDIR;
  std::vector<std::string> flags{"-std=c++17", "-O1"};
  if (isRegularFile(include + "/Sim.h")) {
    flags.push_back("-I" + include);
  } else {
    for (const std::string& dir : textLines(TARVIK_GRADE_BUILD_INCLUDES)) flags.push_back("-I" + dir);
    lib = TARVIK_GRADE_BUILD_DIR;
  }
#ifdef TARVIK_GRADE_SANITIZED
  flags.push_back("-fsanitize=address,undefined");
#endif
  flags.push_back(lib + "/libtarvik_main.a");
  flags.push_back(lib + "/libtarvik.a");
  flags.push_back("-lX11");
  return flags;
}

int refusedFolders(const GradeOptions& o, GradeSetup& s) {
  std::string assignment = realPath(o.folders[0]), submissions = realPath(o.folders[1]);
  if (assignment.empty() || !isFolder(assignment)) return refuse("the assignment " + o.folders[0] + " is not a folder");
  if (submissions.empty() || !isFolder(submissions))
    return refuse("the submissions " + o.folders[1] + " is not a folder");
  std::string reason;
  if (!makeFolders(o.out, reason)) return refuse("cannot create --out " + o.out + ": " + reason);
  s.out = realPath(o.out);
  if (isInside(s.out, assignment) || isInside(s.out, submissions))
    return refuse("--out " + o.out + " is inside the assignment or the submissions: results would be graded");
  if (isInside(assignment, s.out) || isInside(submissions, s.out))
    return refuse("--out " + o.out + " holds the assignment or the submissions: they could be overwritten");
  s.submissions = submissions;
  std::string problem;
  if (!readAssignment(assignment, s.assignment, problem)) return refuse(problem);
  return -1;
}

int refusedTools(const GradeOptions& o, GradeSetup& s) {
  if (s.assignment.kind == AssignmentKind::processor) {
    std::string program = s.assignment.processor->program;
    s.processor = findProcessor(o.processor, program);
    if (s.processor.empty() || access(s.processor.c_str(), X_OK) != 0)
      return refuse(o.processor.empty() ? "cannot find " + program + " beside tarvik-grade (give --processor PATH)"
                                        : "--processor " + o.processor + " is not a program that can be run");
    return -1;
  }
  const char* cxx = getenv("CXX");
  s.compiler = findOnPath(cxx && *cxx ? cxx : "c++");
  if (s.compiler.empty()) return refuse("cannot find a C++ compiler (c++, or CXX) to build the circuits");
  s.compileFlags = circuitFlags();
  return -1;
}

int writeAllReports(const std::string& out) {
  std::vector<GradeResult> results;
  std::string problem;
  if (!readResults(out, results, problem) || !writeReports(out, results, problem)) return refuse(problem);
  return 0;
}

int grade(const GradeOptions& o) {
  GradeSetup s;
  int refused = refusedFolders(o, s);
  if (refused < 0) refused = refusedTools(o, s);
  if (refused >= 0) return refused;
  s.jobs = o.jobs ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
  s.shard = o.shard, s.shards = o.shards;
  std::string problem;
  if (!gradeAll(s, problem)) return refuse(problem);
  return writeAllReports(s.out);
}

// Copies the results of every RESULTS_DIR into DIR (a result DIR already holds is kept) and reports.
int joinReports(const GradeOptions& o) {
  std::string reason;
  for (const std::string& folder : o.folders)
    if (!isFolder(folder + "/results")) return refuse(folder + " holds no results (no results folder)");
  if (!makeFolders(o.out, reason)) return refuse("cannot create --out " + o.out + ": " + reason);
  for (const std::string& folder : o.folders) {
    std::vector<GradeResult> results;
    std::string problem;
    if (!readResults(folder, results, problem)) return refuse(problem);
    for (const GradeResult& r : results) {
      std::string name = resultFileName(o.out, r.student, r.test);
      if (isRegularFile(name)) continue;
      if (!makeFolders(o.out + "/results/" + r.student, reason) || !writeWholeFileLocked(name, resultText(r), reason))
        return refuse("cannot write " + name + ": " + reason);
    }
  }
  return writeAllReports(o.out);
}

}  // namespace

int main(int argc, char** argv) {
  int status = readOptions(argc, argv);
  if (status >= 0) return status;
  return options.reporting ? joinReports(options) : grade(options);
}
