// tarvik-grade: grades a class.  Every student's program (or circuit) runs against every test of an
// assignment, each run a process of its own under limits; the results land in DIR, one file per
// student and test, and the reports are made from those files, so that shards and resumed runs join
// into the reports a single run gives.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "FileIO.h"
#include "GradeFiles.h"
#include "GradeOptions.h"
#include "Grading.h"
#include "Reports.h"
#include "Runner.h"
#include "Sandbox.h"
#include "Shards.h"

namespace {

int refuse(const std::string& message) {
  fprintf(stderr, "ERROR -- %s\n", shownText(message).c_str());
  return 2;
}

std::string folderOfProgram() {
  std::string self = realPath("/proc/self/exe");
  return self.substr(0, self.rfind('/'));
}

// A program of ours beside this program (installed), else in the build tree (buildFolder, relative to
// the top of the build); "" when neither is there.
std::string programBeside(const std::string& program, const std::string& buildFolder) {
  std::string here = folderOfProgram();
  for (const std::string& candidate : {here + "/" + program, here + "/../" + buildFolder + program})
    if (access(candidate.c_str(), X_OK) == 0) return realPath(candidate);
  return "";
}

// The processor: --processor, else the assignment's variant's program beside this program.
std::string findProcessor(const std::string& given, const std::string& program) {
  if (!given.empty()) return given[0] == '/' ? given : realPath(given);
  return programBeside(program, "pipeline/");
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

// The installation's folders, as given and resolved, are named tarvik in the reports.
void nameNeutrally(GradeSetup& s, const std::string& folder) {
  for (const std::string& name : {folder, realPath(folder)})
    if (!name.empty()) s.neutralNames.push_back({name, "tarvik"});
}

void useCircuitFlags(GradeSetup& s) {
  std::string prefix = folderOfProgram() + "/..";
  std::string include = prefix + "/" TARVIK_GRADE_INCLUDEDIR "/tarvik", lib = prefix + "/" TARVIK_GRADE_LIBDIR;
  std::vector<std::string>& flags = s.compileFlags;
  flags = {"-std=c++17", "-O1"};
  if (isRegularFile(include + "/Sim.h")) {
    flags.push_back("-I" + include);
    nameNeutrally(s, include);
  } else {
    for (const std::string& dir : textLines(TARVIK_GRADE_BUILD_INCLUDES)) {
      flags.push_back("-I" + dir);
      nameNeutrally(s, dir);
    }
    lib = TARVIK_GRADE_BUILD_DIR;
  }
  nameNeutrally(s, lib);
#ifdef TARVIK_GRADE_SANITIZED
  flags.push_back("-fsanitize=address,undefined");
#endif
  flags.push_back("-Wl,--strip-debug");  // the library's line tables would take most of the link's time
  flags.push_back(lib + "/libtarvik_main.a");
  flags.push_back(lib + "/libtarvik.a");
  flags.push_back("-lX11");
}

// The assignment's and DIR's paths are left out of a run's output; the longest go first, so that a
// folder inside another is named by its own name.
void nameTeacherFolders(GradeSetup& s) {
  s.neutralNames.push_back({s.assignment.folder, ""});
  s.neutralNames.push_back({s.out, ""});
  std::stable_sort(s.neutralNames.begin(), s.neutralNames.end(),
                   [](const NeutralName& a, const NeutralName& b) { return a.folder.size() > b.folder.size(); });
}

// ASSIGNMENT and SUBMISSIONS, resolved, or -1 with the refusal.
int refusedClassFolders(const GradeOptions& o, std::string& assignment, std::string& submissions) {
  assignment = realPath(o.folders[0]), submissions = realPath(o.folders[1]);
  if (assignment.empty() || !isFolder(assignment)) return refuse("the assignment " + o.folders[0] + " is not a folder");
  if (submissions.empty() || !isFolder(submissions))
    return refuse("the submissions " + o.folders[1] + " is not a folder");
  return -1;
}

int refusedFolders(const GradeOptions& o, GradeSetup& s) {
  std::string assignment, submissions;
  int refused = refusedClassFolders(o, assignment, submissions);
  if (refused >= 0) return refused;
  // Checked before DIR is made, and again once it is (a link on its way may lead elsewhere).
  std::string reason;
  for (int made = 0; made < 2; ++made) {
    s.out = made ? realPath(o.out) : plannedPath(o.out);
    if (isInside(s.out, assignment) || isInside(s.out, submissions))
      return refuse("--out " + o.out + " is inside the assignment or the submissions: results would be graded");
    if (isInside(assignment, s.out) || isInside(submissions, s.out))
      return refuse("--out " + o.out + " holds the assignment or the submissions: they could be overwritten");
    if (!made && !makeFolders(o.out, reason)) return refuse("cannot create --out " + o.out + ": " + reason);
  }
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
  s.sim = programBeside("tarvik-sim", "");
  if (s.sim.empty()) return refuse("cannot find tarvik-sim beside tarvik-grade: it plays the circuits' tables");
  if (s.assignment.kind == AssignmentKind::tests) {
    s.faults = programBeside("tarvik-faults", "");
    if (s.faults.empty()) return refuse("cannot find tarvik-faults beside tarvik-grade: it grades the students' tables");
  }
  const char* cxx = getenv("CXX");
  s.compiler = findOnPath(cxx && *cxx ? cxx : "c++");
  if (s.compiler.empty()) return refuse("cannot find a C++ compiler (c++, or CXX) to build the circuits");
  useCircuitFlags(s);
  return -1;
}

int writeAllReports(const std::string& out) {
  std::vector<GradeResult> results;
  std::string problem;
  if (!readResults(out, results, problem) || !writeReports(out, results, problem)) return refuse(problem);
  return 0;
}

// The results DIR holds already must be whole and of this class: those of another assignment would be
// kept, and counted, instead of being graded again; a student's or test's the class lacks, counted.
int refusedKeptResults(const GradeSetup& s) {
  std::vector<GradeResult> kept;
  std::string problem;
  std::string anotherAssignment = " is a result of another assignment, or of this one before a change: grade into "
                                  "a new --out DIR, or delete " + s.out + "/results to grade every test again";
  if (!noLinksToWriteThrough(s.out, problem) || !readResults(s.out, kept, problem) ||
      !resultsOfClass(kept, s.assignment, studentsOfClass(s.submissions), anotherAssignment, problem))
    return refuse(problem);
  return -1;
}

// The sandbox, unless the teacher turned it off.  Where the kernel lacks a layer, a circuit assignment
// (whose runs are the students' own code) is refused, and the processor's runs go without it.  DIR's
// sandbox.txt records the layers the runs got.
int refusedSandbox(const GradeOptions& o, const GradeSetup& s) {
  sandboxed = false;
  std::string missing = o.noSandbox ? "" : sandboxMissing(), reason;
  if (!missing.empty() && s.assignment.kind == AssignmentKind::circuit)
    return refuse("the sandbox cannot be set up here (" + missing +
                  "): a circuit's runs are the students' code (--no-sandbox grades them without it)");
  if (!missing.empty())
    fprintf(stderr, "tarvik-grade: the sandbox cannot be set up here (%s): the runs go without it\n",
            shownText(missing).c_str());
  std::string record = sandboxed ? sandboxLayerText() : o.noSandbox ? "none (--no-sandbox)\n" : "none (" + missing + ")\n";
  if (!writeWholeFile(s.out + "/sandbox.txt", record, reason)) return refuse("cannot write " + s.out + "/sandbox.txt: " + reason);
  return -1;
}

int grade(const GradeOptions& o) {
  GradeSetup s;
  int refused = refusedFolders(o, s);
  if (refused < 0) refused = refusedTools(o, s);
  if (refused < 0) refused = refusedKeptResults(s);
  if (refused < 0) refused = refusedSandbox(o, s);
  if (refused >= 0) return refused;
  nameTeacherFolders(s);
  s.jobs = o.jobs ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
  s.shard = o.shard, s.shards = o.shards;
  std::string problem, source;
  if (!o.shardGiven && !shardFromEnvironment(s.shard, s.shards, source, problem)) return refuse(problem);
  if (!source.empty()) fprintf(stderr, "tarvik-grade: grading shard %u/%u (from %s)\n", s.shard, s.shards, source.c_str());
  precompileHeader(s);
  if (!gradeReference(s, problem) || !gradeAll(s, problem)) return refuse(problem);
  return writeAllReports(s.out);
}

// DIR's results become those of the RESULTS_DIRs, all read and checked against the class before DIR
// changes; then the reports.  A result DIR held and no RESULTS_DIR holds now (a student graded again)
// goes.
int joinReports(const GradeOptions& o) {
  std::vector<GradeResult> results;
  std::string reason, problem, assignmentFolder, submissions;
  int refused = refusedClassFolders(o, assignmentFolder, submissions);
  if (refused >= 0) return refused;
  Assignment assignment;
  if (!readAssignment(assignmentFolder, assignment, problem)) return refuse(problem);
  for (size_t i = 2; i < o.folders.size(); ++i) {
    const std::string& folder = o.folders[i];
    if (!isFolder(folder + "/results")) return refuse(folder + " holds no results (no results folder)");
    if (!readResults(folder, results, problem)) return refuse(problem);
  }
  sortResults(results);
  if (!resultsOfClass(results, assignment, studentsOfClass(submissions),
                      " is a result of another assignment, or of this one before a change: grade its shard again",
                      problem) ||
      !resultsJoin(results, problem) || !resultsCoverClass(results, assignment, studentsOfClass(submissions), problem))
    return refuse(problem);
  if (!makeFolders(o.out, reason)) return refuse("cannot create --out " + o.out + ": " + reason);
  if (!replaceResults(o.out, results, problem)) return refuse(problem);
  return writeAllReports(o.out);
}

}  // namespace

int main(int argc, char** argv) {
  GradeOptions options;
  std::string problem;
  if (!readGradeOptions(argc, argv, options, problem)) return refuse(problem);
  if (options.helpAsked) return fputs(gradeUsageText, stdout), 0;
  return options.reporting ? joinReports(options) : grade(options);
}
