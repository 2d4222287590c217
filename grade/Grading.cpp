#include "Grading.h"

#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "GradeFiles.h"
#include "NetlistCounts.h"
#include "Runner.h"
#include "Until.h"
#include "Verdict.h"

namespace {

const size_t excerptLines = 10;

struct Work {
  std::string student;
  const GradeTest* test;
};

// A student's work to run: the program or circuit found in the folder, or why there is none.
struct Submission {
  std::string file;     // the program (processor) or the built circuit (circuit)
  std::string folder;   // where its runs run: the grader's copy of what they read of the student's
  std::string problem;  // set: every test fails with it
  std::string problemOutput;
};

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

// Copies the student's file into the folder the runs run in (sub.folder); false with the submission's
// problem when it cannot (a link).
bool copiedForRuns(const std::string& folder, const std::string& file, Submission& sub) {
  std::string reason;
  if (makeFolders(sub.folder, reason) && copyWithoutLinks(folder, file, sub.folder, reason)) return true;
  sub.problem = file + ": " + reason;
  return false;
}

// One file among the candidates, or the reason there is not exactly one.
std::string onlyFile(const std::vector<std::string>& found, const std::string& what, std::string& problem) {
  if (found.size() == 1) return found[0];
  problem = found.empty() ? "no " + what + " in the folder" : "more than one " + what + ": " + listed(found);
  return "";
}

// The student's program, copied into scratch: the processor reads the copy.
Submission processorSubmission(const GradeSetup& s, const std::string& student, const std::string& scratch) {
  Submission sub;
  sub.folder = scratch;
  std::string folder = s.submissions + "/" + student;
  if (folderIsLink(folder, sub)) return sub;
  std::vector<std::string> sources = filesEndingIn(folder, {".s", ".asm"});
  sub.file = onlyFile(sources.empty() ? filesEndingIn(folder, {".hex"}) : sources,
                      "program (.s, .asm or .hex)", sub.problem);
  if (!sub.file.empty() && !copiedForRuns(folder, sub.file, sub)) sub.file.clear();
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
std::string runReason(const GradeSetup& s, const RunOutcome& o) {
  std::string limit = limitReason(s.assignment.limits, o);
  if (!limit.empty()) return limit;
  bool processor = s.assignment.kind == AssignmentKind::processor;
  std::string didNotHalt = "did not halt within " + std::to_string(s.assignment.cycles) + " cycles";
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

std::vector<std::string> processorCommand(const GradeSetup& s, const std::string& program, const GradeTest& t) {
  std::vector<std::string> argv{s.processor, "-X", "--quiet", "--program", program, "--until", "halt",
                                "--cycles", std::to_string(s.assignment.cycles), "--expect", t.file};
  argv.insert(argv.end(), t.options.begin(), t.options.end());
  return argv;
}

std::vector<std::string> circuitCommand(const GradeSetup& s, const std::string& netlist, const GradeTest& t) {
  std::vector<std::string> argv{s.sim, netlist, "-X", "--quiet"};
  argv.insert(argv.end(), t.options.begin(), t.options.end());
  argv.push_back("--test");
  argv.push_back(t.file);
  return argv;
}

// The output with the teacher's folders named as the reports name them: the assignment's files
// without their folder ("carry.test:5: ..."), the installation's headers as tarvik/Sim.h, so that the
// reports read the same wherever these lie and show students no path of the teacher's.
std::string withoutTeacherPaths(const GradeSetup& s, std::string output) {
  for (const NeutralName& n : s.neutralNames) {
    const std::string folder = n.folder + "/", shown = n.shown.empty() ? "" : n.shown + "/";
    for (size_t at = 0; (at = output.find(folder, at)) != std::string::npos; at += shown.size())
      output.replace(at, folder.size(), shown);
  }
  return output;
}

// Builds the grader's copy of the student's one .cpp, in sub.folder, against the installation into
// program.  False with sub.problem when it does not compile.
bool compileCircuit(const GradeSetup& s, const std::string& source, const std::string& program, Submission& sub) {
  // Named from its own folder, so that the compiler's messages read as the student's files do.
  std::vector<std::string> argv{s.compiler, "-o", program, source};
  argv.insert(argv.end(), s.compileFlags.begin(), s.compileFlags.end());
  RunLimits limits = s.assignment.limits;
  limits.seconds = s.assignment.buildSeconds;
  limits.memoryBytes = 0;  // the compiler's own needs are not the student's
  RunOutcome o = runLimited(argv, sub.folder, limits);
  std::string limit = limitReason(limits, o);
  if (limit.empty() && o.status == 0) return true;
  sub.problem = "does not compile" + (limit.empty() ? std::string() : ": " + limit);
  sub.problemOutput = outputExcerpt(withoutTeacherPaths(s, o.output));
  return false;
}

// Runs the built program once, only to write its netlist into sub.file: whatever it prints or ends
// with, the file is the circuit.  False with sub.problem when it writes none.
bool writeCircuitNetlist(const GradeSetup& s, const std::string& program, Submission& sub) {
  unlink(sub.file.c_str());  // a file left by an earlier grading is not this build's circuit
  RunOutcome o = runLimited({program, "--quiet", "--netlist-out", sub.file}, sub.folder, s.assignment.limits);
  std::string limit = limitReason(s.assignment.limits, o);
  if (limit.empty() && o.status == 0 && isRegularFile(sub.file)) return true;
  sub.problem = "does not build a circuit" + (limit.empty() ? std::string() : ": " + limit);
  sub.problemOutput = outputExcerpt(withoutTeacherPaths(s, o.output));
  return false;
}

// Builds the student's circuit from the grader's copy of its source and of the folder's headers (.h) in
// scratch, and writes its netlist to DIR/build/STUDENT/circuit.net.
Submission circuitSubmission(const GradeSetup& s, const std::string& student, const std::string& scratch) {
  Submission sub;
  sub.folder = scratch;
  std::string folder = s.submissions + "/" + student;
  if (folderIsLink(folder, sub)) return sub;
  std::string source = onlyFile(filesEndingIn(folder, {".cpp"}), "circuit source (.cpp)", sub.problem);
  if (source.empty()) return sub;
  std::vector<std::string> copied = filesEndingIn(folder, {".h"});
  copied.push_back(source);
  for (const std::string& file : copied)
    if (!copiedForRuns(folder, file, sub)) return sub;
  std::string buildFolder = s.out + "/build/" + student, reason;
  if (!makeFolders(buildFolder, reason)) return sub.problem = "cannot create " + buildFolder + ": " + reason, sub;
  sub.file = buildFolder + "/circuit.net";
  std::string program = buildFolder + "/circuit";
  if (compileCircuit(s, source, program, sub)) writeCircuitNetlist(s, program, sub);
  return sub;
}

GradeResult gradeOne(const GradeSetup& s, const std::string& student, const Submission& sub, const GradeTest& t) {
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
  bool processor = s.assignment.kind == AssignmentKind::processor;
  std::vector<std::string> argv = processor ? processorCommand(s, sub.file, t) : circuitCommand(s, sub.file, t);
  RunOutcome o = runLimited(argv, sub.folder, s.assignment.limits, true);
  r.reason = runReason(s, o);
  if (r.reason.empty()) r.score = t.weight;
  else r.output = outputExcerpt(withoutTeacherPaths(s, o.output));
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

}  // namespace

std::vector<std::string> studentsOfClass(const std::string& submissions) {
  std::vector<std::string> students;
  for (const FolderEntry& e : entriesOf(submissions))
    if (e.kind == EntryKind::folder || e.kind == EntryKind::link) students.push_back(e.name);
  return students;
}

std::vector<std::string> studentsOfShard(const GradeSetup& s) {
  std::vector<std::string> all = studentsOfClass(s.submissions), mine;
  for (size_t i = s.shard - 1; i < all.size(); i += s.shards) mine.push_back(all[i]);
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
  std::vector<std::string> students;
  std::vector<Work> work;
  for (const std::string& student : studentsOfShard(s)) {
    bool pending = false;
    for (const GradeTest& t : s.assignment.tests)
      if (!isRegularFile(resultFileName(s.out, student, t.name))) work.push_back({student, &t}), pending = true;
    if (pending) students.push_back(student);
  }
  std::string reason, scratch = makeScratchFolder(reason);
  if (scratch.empty()) return problem = "cannot make a folder for the runs' copies: " + reason, false;
  std::vector<Submission> submissions(students.size());
  bool processor = s.assignment.kind == AssignmentKind::processor;
  inParallel(students.size(), s.jobs, [&](size_t i) {
    std::string copies = scratch + "/" + std::to_string(i);
    submissions[i] = processor ? processorSubmission(s, students[i], copies) : circuitSubmission(s, students[i], copies);
  });
  std::mutex failing;
  inParallel(work.size(), s.jobs, [&](size_t i) {
    size_t index = std::find(students.begin(), students.end(), work[i].student) - students.begin();
    GradeResult r = gradeOne(s, work[i].student, submissions[index], *work[i].test);
    std::string name = resultFileName(s.out, r.student, r.test), reason;
    if (makeFolders(s.out + "/results/" + r.student, reason) &&
        writeWholeFileLocked(name, resultText(r), reason))
      return;
    std::lock_guard<std::mutex> lock(failing);
    if (problem.empty()) problem = "cannot write " + name + ": " + reason;
  });
  removeTree(scratch);
  return problem.empty();
}
