#include "Grading.h"

#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <nlohmann/json.hpp>
#include <memory>
#include <mutex>
#include <thread>

#include "FileIO.h"
#include "GradeFiles.h"
#include "NetlistCounts.h"
#include "Runner.h"
#include "Sandbox.h"
#include "Shards.h"
#include "Until.h"
#include "Verdict.h"
#include "Views.h"

namespace {

const size_t excerptLines = 10;

// A test's cycle cap, when the manifest sets none, is this many times the reference's cycles plus this.
const unsigned long long referenceCapFactor = 4, referenceCapMargin = 1000;

// A compile's limits beside the assignment's: the compiler's needs are not the student's.
const size_t compileMemoryBytes = size_t(2) << 30, compileFileBytes = size_t(1) << 30;
const unsigned compileProcesses = 32;

// A run that cannot start is the grader's fault, not the student's: it is tried again, and when it
// still cannot start the grading stops, writing no result for it.
const int startAttempts = 3;

struct Work {
  std::string student;
  const GradeTest* test;
};

// A student's work to run: the program or circuit found in the folder, or why there is none.
struct Submission {
  std::string folder;   // where the student's file lies: their folder, or the assignment's for the reference
  std::string file;     // the program (processor) or the built circuit (circuit)
  std::vector<std::string> tables;  // a tests assignment's: the student's test tables, by name
  std::string problem;  // set: every test fails with it
  std::string problemOutput;
  std::string fault;  // set: the grader could not build it (its compile could not start)
  bool reference = false;  // the teacher's own: a failure of it is not compared with itself
};

// A run's own folder, with copies of what it needs; removed with all the run left in it.  Inside
// another (a student's server's) when given one.
struct RunFolder {
  std::string path, problem;
  explicit RunFolder(const std::string& inside = "") {
    if (inside.empty()) newScratchFolder(path, problem);
    else newScratchFolderIn(inside, path, problem);
  }
  ~RunFolder() {
    if (!path.empty()) removeTree(path);
  }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
};

// A processor student's runs go to one server (the processor built and the program assembled once), in
// folders inside its own; made at the student's first run.  Without one (it would not start, print
// nothing or serve), each run starts alone.
struct StudentServer {
  std::unique_ptr<RunFolder> folder;
  TestServer server;
  bool tried = false;
  ~StudentServer() { stopServer(server); }
};

RunOutcome runStarting(const std::vector<std::string>& argv, const RunFolder& f, const RunLimits& limits,
                       bool verdict, const SandboxPlace& place) {
  RunOutcome o;
  for (int attempt = 0; attempt < startAttempts; ++attempt) {
    o = runLimited(argv, f.path, limits, verdict, &place);
    if (o.startProblem.empty()) break;
  }
  return o;
}

// Copies a file of the test (its table or expectations, an image) into the run folder's t/, under its
// name relative to the assignment (an image from elsewhere under its whole path); copy: where.
bool copyTestFile(const GradeSetup& s, const std::string& file, const RunFolder& f, std::string& copy,
                  std::string& problem) {
  std::string prefix = s.assignment.folder + "/", reason;
  std::string name = file.compare(0, prefix.size(), prefix) == 0 ? file.substr(prefix.size()) : file.substr(1);
  copy = f.path + "/t/" + name;
  if (makeFolders(copy.substr(0, copy.rfind('/')), reason) && copyFile(file, copy, 0644, reason)) return true;
  return problem = "cannot copy " + file + " for a run: " + reason, false;
}

// The test's options, each image that --load names given whole replaced by its copy.
bool optionsWithCopies(const GradeSetup& s, const GradeTest& t, const RunFolder& f, std::vector<std::string>& options,
                       std::string& problem) {
  options = t.options;
  for (size_t i = 0; i + 1 < options.size(); ++i) {
    if (options[i] != "--load") continue;
    std::string& word = options[++i];
    size_t equals = word.find('=');
    if (equals == std::string::npos || word.compare(equals + 1, 1, "/") != 0) continue;
    std::string copy;
    if (!copyTestFile(s, word.substr(equals + 1), f, copy, problem)) return false;
    word = word.substr(0, equals + 1) + copy;
  }
  return true;
}

std::string listed(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
  return text;
}

// The files (and links, refused when copied) in folder with one of the suffixes.
std::vector<std::string> filesEndingIn(const std::string& folder, const std::vector<std::string>& suffixes) {
  std::vector<std::string> found;
  for (const FolderEntry& e : entriesOf(folder))
    for (const std::string& s : suffixes)
      if (endsWith(e.name, s) && e.name[0] != '.' && (e.kind == EntryKind::file || e.kind == EntryKind::link))
        found.push_back(e.name);
  return found;
}

// A student's folder that is a link is refused, not graded as the one it points to.
bool folderIsLink(const std::string& folder, Submission& sub) {
  if (isLink(folder)) sub.problem = std::string("the folder is ") + notFollowed;
  return !sub.problem.empty();
}

// Copies the student's file into a run's folder, never through a link; false with the student's problem.
bool copiedFromStudent(const std::string& folder, const std::string& file, const std::string& into,
                       std::string& problem) {
  std::string reason;
  if (copyWithoutLinks(folder, file, into, reason)) return true;
  problem = file + ": " + reason;
  return false;
}

// One file among the candidates, or the reason there is not exactly one.
std::string onlyFile(const std::vector<std::string>& found, const std::string& what, std::string& problem) {
  if (found.size() == 1) return found[0];
  problem = found.empty() ? "no " + what + " in the folder" : "more than one " + what + ": " + listed(found);
  return "";
}

Submission processorSubmission(const GradeSetup& s, const std::string& student) {
  Submission sub;
  std::string folder = sub.folder = s.submissions + "/" + student;
  if (folderIsLink(folder, sub)) return sub;
  std::vector<std::string> sources = filesEndingIn(folder, {".s", ".asm"});
  sub.file = onlyFile(sources.empty() ? filesEndingIn(folder, {".hex"}) : sources,
                      "program (.s, .asm or .hex)", sub.problem);
  return sub;
}

std::string signalText(int signal) {
  const char* name = strsignal(signal);
  return "crashed: signal " + std::to_string(signal) + (name ? std::string(" (") + name + ")" : "");
}

// The reason a finished run failed, "" when it passed.  The limits come first: a killed run's status
// says nothing.  A run that printed past its cap and then ended by itself is judged by how it ended.
std::string limitReason(const RunLimits& limits, const RunOutcome& o) {
  if (!o.startProblem.empty()) return "cannot start the run: " + o.startProblem;
  if (o.timedOut && o.flooded) return "output over " + std::to_string(limits.outputBytes) + " bytes";
  if (o.timedOut) return "timed out after " + std::to_string(limits.seconds) + " s";
  if (o.signal) return signalText(o.signal);
  return "";
}

// The grader's own --until halt, the processor's end: a run that never reached it did not halt.
std::string runReason(const GradeSetup& s, const GradeTest& t, const RunOutcome& o) {
  std::string limit = limitReason(s.assignment.limits, o);
  if (!limit.empty()) return limit;
  bool processor = s.assignment.kind == AssignmentKind::processor;
  std::string didNotHalt = "did not halt within " + std::to_string(t.cycles) + " cycles";
  // A table tarvik-sim refuses names what the circuit lacks ("no signal bundle is named cin").
  if (!processor) return verdictFailure(o.status, o.verdict, "", "does not fit the table");
  return verdictFailure(o.status, o.verdict, didNotHalt);
}

// What --until halt prints once the program halts: the held condition's format with the condition in.
std::string haltedNoteFormat() {
  std::string format = stopConditionHeldFormat;
  return format.replace(format.find("%s"), 2, "halt");
}

// A line the library or the grader's own --until halt printed, not the student's work: the netlist's
// counts and the note that the program halted.
bool isRunNote(const std::string& line) {
  static const std::string halted = haltedNoteFormat();
  for (const char* format : {signalCountFormat, componentCountFormat, unconnectedInputCountFormat, halted.c_str()})
    if (fitsFormat(line.c_str(), format)) return true;
  return false;
}

// What every run of a student's program begins with: a server's whole command line but --serve-jobs.
std::vector<std::string> serverCommand(const GradeSetup& s, const Submission& sub) {
  return {s.processor, "-X", "--quiet", "--program", sub.file, "--until", "halt"};
}

// The student's server, started at their first run: false when there is none to use.
bool serverStarted(const GradeSetup& s, const Submission& sub, StudentServer& server) {
  if (server.tried) return server.server.process > 0;
  server.tried = true;
  server.folder.reset(new RunFolder);
  std::string problem;
  if (!server.folder->problem.empty() || !copiedFromStudent(sub.folder, sub.file, server.folder->path, problem))
    return false;
  std::vector<std::string> argv = serverCommand(s, sub);
  argv.push_back("--serve-jobs");
  SandboxPlace place{server.folder->path, {s.processor}};
  return startServer(argv, server.folder->path, s.assignment.limits, &place, server.server);
}

// The run on the student's server, when there is one and it serves the run.
bool servedRun(const GradeSetup& s, const Submission& sub, StudentServer* server,
               const std::vector<std::string>& argv, RunOutcome& o) {
  if (!server || !serverStarted(s, sub, *server)) return false;
  size_t common = serverCommand(s, sub).size();
  return runOnServer(server->server, std::vector<std::string>(argv.begin() + long(common), argv.end()),
                     s.assignment.limits, o);
}

// The run's command line, naming only copies in its folder: the student's program (from the folder
// the run starts in), the test's file and its images.  False with problem (the grader's fault) when a
// copy cannot be made, with studentProblem when the student's file cannot be read.
bool processorCommand(const GradeSetup& s, const Submission& sub, const GradeTest& t,
                      const RunFolder& f, std::vector<std::string>& argv, std::string& problem,
                      std::string& studentProblem) {
  std::string expect, reason;
  std::vector<std::string> options;
  if (!copiedFromStudent(sub.folder, sub.file, f.path, studentProblem)) return true;
  if (!copyTestFile(s, t.file, f, expect, problem) || !optionsWithCopies(s, t, f, options, problem)) return false;
  argv = serverCommand(s, sub);
  argv.insert(argv.end(), {"--cycles", std::to_string(t.cycles), "--expect", expect});
  argv.insert(argv.end(), options.begin(), options.end());
  return true;
}

bool circuitCommand(const GradeSetup& s, const Submission& sub, const GradeTest& t, const RunFolder& f,
                    std::vector<std::string>& argv, std::string& problem) {
  std::string netlist = f.path + "/circuit.net", table, reason;
  std::vector<std::string> options;
  if (!copyFile(sub.file, netlist, 0644, reason)) return problem = "cannot copy " + sub.file + ": " + reason, false;
  if (!copyTestFile(s, t.file, f, table, problem) || !optionsWithCopies(s, t, f, options, problem)) return false;
  argv = {s.sim, netlist, "-X", "--quiet"};
  argv.insert(argv.end(), options.begin(), options.end());
  // Against a reference a failing step says why: the chain of parts behind its wrong output.
  if (!s.assignment.reference.empty()) argv.push_back("--explain-failures");
  argv.push_back("--test");
  argv.push_back(table);
  return true;
}

// What a compile reads in place: the compiler, the installation's header folders and libraries.
std::vector<std::string> installationPaths(const GradeSetup& s) {
  std::vector<std::string> paths{s.compiler};
  for (const std::string& flag : s.compileFlags) {
    if (flag.compare(0, 2, "-I") == 0) paths.push_back(flag.substr(2));
    else if (!flag.empty() && flag[0] == '/') paths.push_back(flag);
  }
  return paths;
}

// What a run printed, with the folders it was given taken out of the paths it names ("carry.test:5:
// ..."), and the teacher's folders named as the reports name them (the installation's headers as
// tarvik/Sim.h), so that the reports read the same wherever these lie and show students no path of the
// teacher's.
std::string withoutFolders(const GradeSetup& s, std::string output, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders)
    for (size_t at; (at = output.find(folder + "/")) != std::string::npos;) output.erase(at, folder.size() + 1);
  for (const NeutralName& n : s.neutralNames) {
    const std::string folder = n.folder + "/", shown = n.shown.empty() ? "" : n.shown + "/";
    for (size_t at = 0; (at = output.find(folder, at)) != std::string::npos; at += shown.size())
      output.replace(at, folder.size(), shown);
  }
  return output;
}

// The compile's flags that say how to compile, not what to link.
std::vector<std::string> compilingFlags(const GradeSetup& s) {
  std::vector<std::string> flags;
  for (const std::string& f : s.compileFlags)
    if (f.compare(0, 1, "-") == 0 && f.compare(0, 2, "-l") != 0 && f.compare(0, 4, "-Wl,") != 0) flags.push_back(f);
  return flags;
}

// The installation's Sim.h: in the first header folder of the compiles that holds one.
std::string simHeader(const GradeSetup& s) {
  for (const std::string& f : s.compileFlags)
    if (f.compare(0, 2, "-I") == 0 && isRegularFile(f.substr(2) + "/Sim.h")) return f.substr(2) + "/Sim.h";
  return "";
}

// Builds the student's one .cpp (a copy in f; source names it when the folder may hold others) against
// the installation into f's circuit.  False with sub.problem when it does not compile, sub.fault when
// the compile cannot start.
bool compileCircuit(const GradeSetup& s, const std::string& student, std::string source, const RunFolder& f,
                    Submission& sub) {
  const std::string& folder = sub.folder;
  if (folderIsLink(folder, sub)) return false;
  if (source.empty()) source = onlyFile(filesEndingIn(folder, {".cpp"}), "circuit source (.cpp)", sub.problem);
  if (source.empty()) return false;
  std::vector<std::string> copied = filesEndingIn(folder, {".h"});
  copied.push_back(source);
  for (const std::string& file : copied)
    if (!copiedFromStudent(folder, file, f.path, sub.problem)) return false;
  // Named from its own folder, so that the compiler's messages read as the student's files do.
  std::vector<std::string> argv{s.compiler, "-o", f.path + "/circuit", source};
  argv.insert(argv.end(), s.compileFlags.begin(), s.compileFlags.end());
  RunLimits limits = s.assignment.limits;
  limits.seconds = s.assignment.buildSeconds;
  limits.memoryBytes = compileMemoryBytes, limits.fileBytes = compileFileBytes, limits.processes = compileProcesses;
  RunOutcome o = runStarting(argv, f, limits, false, SandboxPlace{f.path, installationPaths(s)});
  if (!o.startProblem.empty()) return sub.fault = "cannot start the compile of " + student + ": " + o.startProblem, false;
  std::string limit = limitReason(limits, o);
  if (limit.empty() && o.status == 0) return true;
  sub.problem = "does not compile" + (limit.empty() ? std::string() : ": " + limit);
  sub.problemOutput = outputExcerpt(withoutFolders(s, o.output, {f.path}));
  return false;
}

// Runs the built program once, in its sandbox, only to write its netlist: whatever it prints or ends
// with, the file is the circuit, kept as sub.file.  False with sub.problem when it writes none.
bool writeCircuitNetlist(const GradeSetup& s, const std::string& student, const RunFolder& f, Submission& sub) {
  std::string reason;
  RunOutcome o = runStarting({f.path + "/circuit", "--quiet", "--netlist-out", "circuit.net"}, f, s.assignment.limits,
                             false, SandboxPlace{f.path, {}});
  if (!o.startProblem.empty()) return sub.fault = "cannot start the circuit of " + student + ": " + o.startProblem, false;
  std::string limit = limitReason(s.assignment.limits, o);
  if (limit.empty() && o.status == 0 && isRegularFile(f.path + "/circuit.net")) {
    if (copyFile(f.path + "/circuit.net", sub.file, 0644, reason)) return true;
    return sub.fault = "cannot keep " + sub.file + ": " + reason, false;
  }
  sub.problem = "does not build a circuit" + (limit.empty() ? std::string() : ": " + limit);
  sub.problemOutput = outputExcerpt(withoutFolders(s, o.output, {f.path}));
  return false;
}

// Builds a circuit from folder's source in a run folder of its own and keeps the program and its netlist
// in buildFolder as circuit and circuit.net.
Submission builtCircuit(const GradeSetup& s, const std::string& student, const std::string& folder,
                        const std::string& source, const std::string& buildFolder) {
  Submission sub;
  std::string reason;
  sub.folder = folder;
  if (!makeFolders(buildFolder, reason)) return sub.fault = "cannot create " + buildFolder + ": " + reason, sub;
  sub.file = buildFolder + "/circuit.net";
  unlink(sub.file.c_str());  // a file left by an earlier grading is not this build's circuit
  RunFolder f;
  if (!f.problem.empty()) return sub.fault = f.problem, sub;
  if (!compileCircuit(s, student, source, f, sub)) return sub;
  if (!copyFile(f.path + "/circuit", buildFolder + "/circuit", 0755, reason))
    return sub.problem = "does not compile: no program written (" + reason + ")", sub;
  writeCircuitNetlist(s, student, f, sub);
  return sub;
}

// The student's circuit, kept as DIR/build/STUDENT/circuit and circuit.net.
Submission circuitSubmission(const GradeSetup& s, const std::string& student) {
  return builtCircuit(s, student, s.submissions + "/" + student, "", s.out + "/build/" + student);
}

// A tests assignment's student: the folder's test tables (.test), by name.
Submission tablesSubmission(const GradeSetup& s, const std::string& student) {
  Submission sub;
  sub.folder = s.submissions + "/" + student;
  if (folderIsLink(sub.folder, sub)) return sub;
  sub.tables = filesEndingIn(sub.folder, {".test"});
  std::sort(sub.tables.begin(), sub.tables.end());
  if (sub.tables.empty()) sub.problem = "no test table (.test) in the folder";
  return sub;
}

// tarvik-faults on copies of the teacher's circuit and the student's tables, one fault at a time.
bool coverageCommand(const GradeSetup& s, const Submission& sub, const GradeTest& t, const RunFolder& f,
                     std::vector<std::string>& argv, std::string& problem, std::string& studentProblem) {
  std::string netlist = f.path + "/circuit.net", reason;
  if (!copyFile(s.referenceNetlist, netlist, 0644, reason))
    return problem = "cannot copy " + s.referenceNetlist + ": " + reason, false;
  argv = {s.faults, netlist, "--json", "-j", "1"};
  argv.insert(argv.end(), t.options.begin(), t.options.end());
  for (const std::string& table : sub.tables) {
    if (!copiedFromStudent(sub.folder, table, f.path, studentProblem)) return true;
    argv.insert(argv.end(), {"--test", f.path + "/" + table});
  }
  return true;
}

// The coverage's share of the weight: none below the minimum, all from full, in proportion between;
// to a hundredth of a point, so that reports show short numbers.
double coverageScore(const Assignment& a, double weight, size_t detected, size_t faults) {
  double coverage = faults ? 100.0 * double(detected) / double(faults) : 100.0;
  double share = std::min(1.0, std::max(0.0, (coverage - a.coverageMinimum) / (a.coverageFull - a.coverageMinimum)));
  return std::round(weight * share * 100) / 100;
}

// " (equivalent: ...)" for a fault that stands for others no test can tell from it.
std::string equivalentFaults(const nlohmann::json& report, const std::string& fault) {
  const nlohmann::json& classes = report.value("equivalent", nlohmann::json::object());
  if (!classes.is_object() || !classes.contains(fault) || !classes[fault].is_array()) return "";
  std::string text;
  for (const auto& other : classes[fault])
    if (other.is_string()) text += (text.empty() ? " (equivalent: " : ", ") + other.get<std::string>();
  return text.empty() ? "" : text + ")";
}

// Scores a coverage run from tarvik-faults' JSON report; the undetected faults become its output.
void scoreCoverage(const GradeSetup& s, const GradeTest& t, const RunOutcome& o, GradeResult& r) {
  if (!(r.reason = limitReason(s.assignment.limits, o)).empty()) return;
  nlohmann::json report = nlohmann::json::parse(o.output, nullptr, false);
  if (o.status != 0 || report.is_discarded() || !report.is_object() || !report["faults"].is_number_unsigned() ||
      !report["detected"].is_number_unsigned() || !report["undetected"].is_array()) {
    r.reason = o.status == 2 ? "the tables do not fit the circuit or fail on it"
                             : "the tables could not be graded (exit status " + std::to_string(o.status) + ")";
    r.output = o.output;
    return;
  }
  size_t faults = report["faults"], detected = report["detected"];
  r.score = coverageScore(s.assignment, t.weight, detected, faults);
  if (detected == faults) return;
  char percent[32];
  snprintf(percent, sizeof percent, "%.1f%%", faults ? 100.0 * double(detected) / double(faults) : 100.0);
  r.reason = "the tables notice " + std::to_string(detected) + " of " + std::to_string(faults) + " faults (" +
             percent + ")";
  r.output = "undetected:\n";
  for (const auto& fault : report["undetected"])
    if (fault.is_string()) r.output += "  " + fault.get<std::string>() + equivalentFaults(report, fault) + "\n";
}

// A processor test's wrong result against the reference: the run again with --compare-with the
// reference and --compare-at halt, whose report (each wrong item beside the reference's value, with the
// cycle and word of the student's run that wrote it last) then stands before the mismatch lines.  Only
// the end values are compared: a student's program may take its own path, and the reference's words
// are never shown.  "" when that run reports no difference or does not end normally.
std::string comparedWithReference(const GradeSetup& s, const Submission& sub, StudentServer* server,
                                  const RunFolder& f, std::vector<std::string> argv) {
  const std::string& reference = s.assignment.reference;
  std::string copy = f.path + "/r/" + reference.substr(reference.rfind('/') + 1), reason;
  if (!makeFolders(f.path + "/r", reason) || !copyFile(reference, copy, 0644, reason)) return "";
  argv.insert(argv.end(), {"--compare-with", copy, "--compare-at", "halt"});
  RunOutcome o;
  if (!servedRun(s, sub, server, argv, o))
    o = runStarting(argv, f, s.assignment.limits, true, SandboxPlace{f.path, {s.processor}});
  if (!limitReason(s.assignment.limits, o).empty() || o.status != 1) return "";
  return o.output;
}

// One test of one student, run in a folder of its own; with fault set (and no result to keep) when the
// grader cannot prepare or start the run.
GradeResult gradeOne(const GradeSetup& s, const std::string& student, const Submission& sub, const GradeTest& t,
                     std::string& fault, std::string* wholeOutput = nullptr, StudentServer* server = nullptr) {
  GradeResult r;
  r.student = student;
  r.test = t.name;
  r.assignment = s.assignment.identity;
  r.maxScore = t.weight;
  r.hidden = t.hidden;
  if (!sub.problem.empty()) {
    r.reason = sub.problem;
    r.output = sub.problemOutput;
    return r;
  }
  AssignmentKind kind = s.assignment.kind;
  if (server && (kind != AssignmentKind::processor || !serverStarted(s, sub, *server))) server = nullptr;
  RunFolder f(server ? server->folder->path : "");
  if (!f.problem.empty()) return fault = f.problem, r;
  std::vector<std::string> argv;
  bool prepared = kind == AssignmentKind::processor ? processorCommand(s, sub, t, f, argv, fault, r.reason)
                  : kind == AssignmentKind::tests   ? coverageCommand(s, sub, t, f, argv, fault, r.reason)
                                                    : circuitCommand(s, sub, t, f, argv, fault);
  if (!prepared || !r.reason.empty()) return r;
  std::vector<std::string> programs{kind == AssignmentKind::processor ? s.processor : s.sim};
  if (kind == AssignmentKind::tests) programs.push_back(s.faults);
  RunOutcome o;
  if (!servedRun(s, sub, server, argv, o))
    o = runStarting(argv, f, s.assignment.limits, kind != AssignmentKind::tests, SandboxPlace{f.path, programs});
  if (!o.startProblem.empty()) return fault = "cannot start the run of " + student + " " + t.name + ": " + o.startProblem, r;
  if (kind == AssignmentKind::tests) scoreCoverage(s, t, o, r);
  else r.reason = runReason(s, t, o);
  // A hidden test's output is never shown to the student: its comparison would be wasted.
  if (kind == AssignmentKind::processor && r.reason == wrongResult && !s.assignment.reference.empty() &&
      !sub.reference && !t.hidden) {
    std::string compared = comparedWithReference(s, sub, server, f, argv);
    if (!compared.empty()) o.output = compared;
  }
  if (wholeOutput) *wholeOutput = o.output;
  if (kind != AssignmentKind::tests && r.reason.empty()) r.score = t.weight;
  if (!r.reason.empty()) r.output = outputExcerpt(withoutFolders(s, kind == AssignmentKind::tests ? r.output : o.output,
                                                                 {f.path + "/t", f.path, s.assignment.folder}));
  return r;
}

// Runs body(i) for i in [0, count) on jobs threads.
template <typename Body>
void inParallel(size_t count, unsigned jobs, Body body) {
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned j = 0; j < std::max(1u, jobs); ++j)
    threads.emplace_back([&] {
      for (size_t i; (i = next++) < count;) body(i);
    });
  for (std::thread& t : threads) t.join();
}

// The cycle at which the run's --until condition held, from the last note saying so ("--until halt held
// at tick T (cycle N)"); false when the run printed none.
bool heldAtCycle(const std::string& output, unsigned long long& cycle) {
  bool found = false;
  for (const std::string& line : textLines(output)) {
    size_t at = line.rfind(" (cycle ");
    unsigned long long n = 0;
    char close = 0;
    if (at != std::string::npos && fitsFormat((line + "\n").c_str(), stopConditionHeldFormat) &&
        sscanf(line.c_str() + at, " (cycle %llu%c", &n, &close) == 2 && close == ')')
      cycle = n, found = true;
  }
  return found;
}

// A test's cycle cap from the reference's cycles to halt: room for a slower correct solution, while an
// endless loop costs a few times a right run rather than the default cap.
unsigned long capFromReference(unsigned long long referenceCycles) {
  return (unsigned long)std::min<unsigned long long>(maximumCycles, referenceCycles * referenceCapFactor +
                                                                       referenceCapMargin);
}

std::string referenceFailure(const std::string& name, const std::string& test, const std::string& reason,
                             const std::string& output) {
  std::string firstLine = output.substr(0, output.find('\n'));
  return "the reference solution " + name + (test.empty() ? "" : " fails the test " + test) + ": " + reason +
         (firstLine.empty() ? "" : " (" + firstLine + ")") + "; the assignment is wrong, not the students: nothing was graded";
}

// Runs the reference on one test: problem when it fails; else, unless the manifest sets the cycles, the
// test's cap from its cycles to halt.
void referenceTest(const GradeSetup& s, const Submission& sub, const std::string& name, GradeTest& t,
                   std::string& problem) {
  std::string output;
  GradeResult r = gradeOne(s, "the reference", sub, t, problem, &output);
  if (!problem.empty()) return;
  if (!r.reason.empty()) return void(problem = referenceFailure(name, t.name, r.reason, r.output));
  unsigned long long cycles = 0;
  if (s.assignment.kind != AssignmentKind::processor || s.assignment.cyclesGiven) return;
  if (!heldAtCycle(output, cycles))
    return void(problem = referenceFailure(name, t.name, "its cycles to halt are not in its output", ""));
  t.cycles = capFromReference(cycles);
}

}  // namespace

// A circuit's source includes Sim.h first, and GCC then reads Sim.h.gch from a folder first on the search
// path (the grader's, readable by every run), in a fraction of the time Sim.h and all it includes take.  The header is the installation's own,
// so it is built without the sandbox; a compile of Sim.h alone that finds the file not valid for its
// flags (another compiler, other flags) fails, and the compiles then go without it.
void precompileHeader(GradeSetup& s) {
  std::string header = simHeader(s), folder, reason;
  if (s.assignment.kind == AssignmentKind::processor || header.empty() || !newSharedFolder(folder, reason)) return;
  std::vector<std::string> build{s.compiler}, check{s.compiler, "-I" + folder};
  for (const std::string& f : compilingFlags(s)) build.push_back(f), check.push_back(f);
  build.insert(build.end(), {"-x", "c++-header", header, "-o", folder + "/Sim.h.gch"});
  check.insert(check.end(), {"-Winvalid-pch", "-Werror", "-fsyntax-only", "-x", "c++", folder + "/check.cpp"});
  RunLimits limits = s.assignment.limits;
  limits.seconds = s.assignment.buildSeconds;
  limits.memoryBytes = compileMemoryBytes;
  if (!writeWholeFile(folder + "/check.cpp", "#include \"Sim.h\"\n", reason)) return;
  if (runLimited(build, folder, limits).status == 0 && runLimited(check, folder, limits).status == 0)
    s.compileFlags.insert(s.compileFlags.begin(), "-I" + folder);
}

bool gradeReference(GradeSetup& s, std::string& problem) {
  const std::string& file = s.assignment.reference;
  if (file.empty()) return true;
  endSandboxesOnSignals();
  std::string folder = file.substr(0, file.rfind('/')), name = file.substr(file.rfind('/') + 1);
  RunFolder build;  // the reference circuit's program and netlist, for its tables
  if (!build.problem.empty()) return problem = build.problem, false;
  bool tests = s.assignment.kind == AssignmentKind::tests;  // its circuit is kept for every student's run
  Submission sub;
  if (s.assignment.kind == AssignmentKind::processor) sub.folder = folder, sub.file = name;
  else sub = builtCircuit(s, "the reference", folder, name, tests ? s.out + "/reference" : build.path);
  sub.reference = true;
  if (!sub.fault.empty()) return problem = sub.fault, false;
  if (!sub.problem.empty()) return problem = referenceFailure(name, "", sub.problem, sub.problemOutput), false;
  if (tests) return s.referenceNetlist = sub.file, true;
  std::vector<std::string> problems(s.assignment.tests.size());
  inParallel(problems.size(), s.jobs, [&](size_t i) { referenceTest(s, sub, name, s.assignment.tests[i], problems[i]); });
  for (const std::string& p : problems)  // the first test by name, whatever the order the runs ended in
    if (!p.empty()) return problem = p, false;
  return true;
}

std::vector<std::string> studentsOfClass(const std::string& submissions) {
  std::vector<std::string> students;
  for (const FolderEntry& e : entriesOf(submissions))
    if (e.kind == EntryKind::folder || e.kind == EntryKind::link) students.push_back(e.name);
  return students;
}

std::vector<std::string> studentsOfShard(const GradeSetup& s) {
  std::vector<std::string> mine;
  for (const std::string& student : studentsOfClass(s.submissions))
    if (shardOfStudent(student, s.shards) == s.shard) mine.push_back(student);
  return mine;
}

std::string outputExcerpt(const std::string& output) {
  std::string text;
  size_t kept = 0;
  for (const std::string& line : textLines(output)) {
    if (isRunNote(line)) continue;
    if (kept++ == excerptLines) return text + "...\n";
    text += line + "\n";
  }
  return text;
}

bool gradeAll(const GradeSetup& s, std::string& problem) {
  std::string reason;
  // Made even for a shard without students, so that report finds it a shard of the class.
  if (!makeFolders(s.out + "/results", reason)) return problem = "cannot create " + s.out + "/results: " + reason, false;
  std::vector<std::string> students;
  std::vector<Work> work;
  for (const std::string& student : studentsOfShard(s)) {
    bool pending = false;
    for (const GradeTest& t : s.assignment.tests)
      if (!isRegularFile(resultFileName(s.out, student, t.name))) work.push_back({student, &t}), pending = true;
    if (pending) students.push_back(student);
  }
  endSandboxesOnSignals();
  std::vector<Submission> submissions(students.size());
  bool processor = s.assignment.kind == AssignmentKind::processor;
  std::mutex failing;
  std::atomic<bool> stopped{false};
  auto fail = [&](const std::string& why) {
    std::lock_guard<std::mutex> lock(failing);
    if (problem.empty()) problem = why;
    stopped = true;
  };
  inParallel(students.size(), s.jobs, [&](size_t i) {
    submissions[i] = processor                                       ? processorSubmission(s, students[i])
                     : s.assignment.kind == AssignmentKind::tests ? tablesSubmission(s, students[i])
                                                                  : circuitSubmission(s, students[i]);
    if (!submissions[i].fault.empty()) fail(submissions[i].fault);
  });
  auto gradeWork = [&](size_t i, StudentServer* server) {
    if (stopped) return;  // the grading stops at its first fault
    size_t index = std::find(students.begin(), students.end(), work[i].student) - students.begin();
    std::string fault;
    GradeResult r = gradeOne(s, work[i].student, submissions[index], *work[i].test, fault, nullptr, server);
    if (!fault.empty()) return fail(fault);
    std::string name = resultFileName(s.out, r.student, r.test), reason;
    if (!makeFolders(s.out + "/results/" + r.student, reason) || !writeWholeFileLocked(name, resultText(r), reason))
      fail("cannot write " + name + ": " + reason);
  };
  if (!processor) {
    inParallel(work.size(), s.jobs, [&](size_t i) { gradeWork(i, nullptr); });
  } else {
    // A student's tests one after another on their server; the students in parallel.
    std::vector<size_t> firstWork;
    for (size_t i = 0; i < work.size(); ++i)
      if (i == 0 || work[i].student != work[i - 1].student) firstWork.push_back(i);
    firstWork.push_back(work.size());
    inParallel(firstWork.size() - 1, s.jobs, [&](size_t k) {
      StudentServer server;
      for (size_t i = firstWork[k]; i < firstWork[k + 1]; ++i) gradeWork(i, &server);
    });
  }
  removeScratchRoot();
  return problem.empty();
}
