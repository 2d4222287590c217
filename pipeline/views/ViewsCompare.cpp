// --compare-with REF and --compare-at halt: a run compared with the run of a reference program on the
// same inputs.
//
// The circuit lives in globals, so the reference runs first, in a child process forked once
// everything before the run is done (images loaded, checks read): the child puts REF's words into
// the ROM in place of the program's, runs headless with only the views' observer (no dump, no check,
// no output of the parent's run acts in it), and sends each cycle's record, then the end values of
// the --expect items, through a pipe.  The parent then runs as usual and compares each cycle with the
// reference's as it is read, stopping at the first that differs (ViewsCompareReport.cpp); with
// --compare-at halt it compares only the end values of the items the --expect file names, and says
// for each that differs which word of its run wrote it last.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Capability.h"
#include "Compare.h"
#include "Expect.h"
#include "FileIO.h"
#include "Globals.h"
#include "MemLoad.h"
#include "Ph4.h"
#include "Ph5.h"
#include "ProcessorNames.h"
#include "ProcessorOptions.h"

int compareView = 0;

namespace {

struct Comparison {
  std::string file;  // REF, "" before --compare-with
  MemoryImage image;
  SourceLines referenceLines, yourLines;
  bool atHalt = false;
  bool compareAtGiven = false;
  std::vector<ArchCycle> yours, reference;
  std::vector<std::vector<SignalValue>> referenceEnd;  // the --expect items' values, in the file's order
  Writers writers;
  bool differs = false;
  bool inReferenceRun = false;
};

Comparison comparison;

bool takeCompareWith(const char* argument, std::string& problem) {
  if (!comparison.file.empty()) {
    problem = "--compare-with is given twice (" + comparison.file + " and " + argument + "): give one reference";
    return false;
  }
  noteInputFile(argument, "--compare-with");
  bool fromSource = false;
  if (!readProgramFile(argument, comparison.image, fromSource, problem)) {
    problem = "--compare-with: " + problem;
    return false;
  }
  comparison.file = argument;
  comparison.referenceLines = sourceLinesOf(comparison.image, fromSource);
  compareView = 1;
  armViews();
  return true;
}

bool takeCompareAt(const char* argument, std::string& problem) {
  if (strcmp(argument, "halt") != 0 && strcmp(argument, "cycle") != 0) {
    problem = std::string("--compare-at needs cycle or halt, not \"") + argument + "\"";
    return false;
  }
  comparison.atHalt = strcmp(argument, "halt") == 0;
  comparison.compareAtGiven = true;
  return true;
}

void refuse(const std::string& problem) {
  fprintf(stderr, "ERROR -- %s\n", problem.c_str());
  exit(exitBadInput);
}

void checkGiven() {
  if (comparison.file.empty()) refuse("--compare-at needs --compare-with REF: the reference to compare with");
  if (comparison.atHalt && !expectFileName)
    refuse("--compare-at halt compares the items an --expect file names: give --expect FILE");
  if (useXDisplay) refuse("--compare-with runs without a window: give -X");
  std::string problem;
  if (!imageFitsMemory(processorNames::rom, comparison.image, problem)) refuse("--compare-with: " + problem);
}

void writeAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n <= 0) _exit(3);
    p += n;
    size -= size_t(n);
  }
}

// In the child: the reference's run, its records and end values to fd; it never returns.
void runReference(int fd) {
  int quiet = open("/dev/null", O_WRONLY);
  dup2(quiet, STDOUT_FILENO);
  dup2(quiet, STDERR_FILENO);
  std::string problem;
  if (!loadMemoryImageNow(processorNames::rom, comparison.image, problem)) _exit(4);
  keepOnlyViewObserver();
  traceView = diagramView = summaryView = 0;
  comparison.inReferenceRun = true;
  FunctionKeyString[0] = CursorKeyString[0] = '\0';
  phaseFour = new PhaseFour;
  phaseFive = new PhaseFive;
  phaseFour->run();
  writeAll(fd, comparison.yours.data(), comparison.yours.size() * sizeof(ArchCycle));
  ArchCycle closing;
  writeAll(fd, &closing, sizeof closing);
  for (const CheckTarget& t : expectedTargets()) {
    std::vector<SignalValue> value = currentValue(t);
    writeAll(fd, value.data(), value.size() * sizeof(SignalValue));
  }
  _exit(0);
}

std::string readAll(int fd) {
  std::string all;
  char block[65536];
  for (ssize_t n; (n = read(fd, block, sizeof block)) != 0;) {
    if (n > 0) all.append(block, size_t(n));
    else if (errno != EINTR) break;
  }
  return all;
}

// The child's records and end values; false when they are cut short.
bool takeReferenceRecords(const std::string& sent) {
  size_t at = 0;
  ArchCycle a;
  while (at + sizeof a <= sent.size()) {
    memcpy(&a, sent.data() + at, sizeof a);
    at += sizeof a;
    if (a.cycle == 0) break;
    comparison.reference.push_back(a);
  }
  if (a.cycle != 0) return false;
  for (const CheckTarget& t : expectedTargets()) {
    std::vector<SignalValue> value(t.width);
    if (at + t.width * sizeof(SignalValue) > sent.size()) return false;
    memcpy(value.data(), sent.data() + at, t.width * sizeof(SignalValue));
    at += t.width * sizeof(SignalValue);
    comparison.referenceEnd.push_back(value);
  }
  return true;
}

void recordReference() {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) refuse("--compare-with: cannot start the reference's run");
  fflush(stdout);
  fflush(stderr);
  pid_t child = fork();
  if (child < 0) refuse("--compare-with: cannot start the reference's run");
  if (child == 0) {
    close(pipeEnds[0]);
    runReference(pipeEnds[1]);
  }
  close(pipeEnds[1]);
  std::string sent = readAll(pipeEnds[0]);
  close(pipeEnds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  bool ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!ran || !takeReferenceRecords(sent))
    refuse("--compare-with: the run of " + comparison.file + " ended before it was recorded");
}

void startComparison() {
  if (!compareView && !comparison.compareAtGiven) return;
  checkGiven();
  comparison.yourLines = sourceLinesOf(givenProgram(), givenProgramFromSource());
  recordReference();
}

ComparedRuns comparedRuns() {
  return {&comparison.yours, &comparison.reference, &comparison.yourLines, &comparison.referenceLines};
}

void reportEndValues() {
  std::vector<CheckTarget> targets = expectedTargets();
  std::string lines;
  size_t differing = 0;
  for (size_t k = 0; k < targets.size(); k++) {
    std::vector<SignalValue> mine = currentValue(targets[k]);
    if (mine == comparison.referenceEnd[k]) continue;
    differing++;
    lines += "  " + targets[k].path + ": yours " + shownLike("0x0", mine) + ", reference " +
             shownLike("0x0", comparison.referenceEnd[k]) +
             lastWriterText(targets[k].path, comparison.writers, comparedRuns()) + "\n";
  }
  comparison.differs = differing > 0;
  if (!comparison.differs)
    printf("--compare-with: no difference at the end in the %zu items checked\n", targets.size());
  else
    printf("--compare-with: at the end %zu of %zu items checked differ\n%s", differing, targets.size(), lines.c_str());
}

void resetComparison() {
  comparison = Comparison();
  compareView = 0;
}

Verdict compareVerdict() { return verdictWhen(comparison.differs, exitFailed, reasonCompareFailed); }

const LongOption compareOptions[] = {
    {"--compare-with", "REF",
     "compare the run, cycle by cycle, with the run of the reference program REF (a source\n"
     "or an image, as --program takes it) on the same inputs (--load applies to both): the\n"
     "run stops at the first cycle where the address of a stage's word, a register, N, Z\n"
     "or a store differs and reports it on standard output (status 1); needs -X",
     takeCompareWith},
    {"--compare-at", "WHEN",
     "cycle (the default) or halt: compare only the end values of the items the --expect\n"
     "file names, each that differs with the last cycle and word of your run that wrote it",
     takeCompareAt, "cycle or halt"},
};

const Capability compareCapability = {
    "compare", 40, 100, compareOptions, sizeof compareOptions / sizeof compareOptions[0], true,
    startComparison, nullptr, resetComparison, compareVerdict, nullptr, nullptr,
};

}  // namespace

void compareCycle(const CycleView& c) {
  comparison.yours.push_back(archCycleOf(c, comparison.yours.empty() ? ArchCycle() : comparison.yours.back()));
  if (comparison.inReferenceRun) return;
  followWriters(comparison.yours.back(), comparison.writers);
  if (comparison.atHalt || comparison.differs) return;
  std::string report = differenceReport(comparedRuns());
  if (report.empty()) return;
  fputs(report.c_str(), stdout);
  comparison.differs = true;
  done = 1;
}

void compareEnded() {
  if (comparison.inReferenceRun) return;
  if (comparison.atHalt)
    reportEndValues();
  else if (!comparison.differs)
    printf("--compare-with: no difference in %zu cycles\n", comparison.yours.size());
}

void addCompareOptions() { addCapability(compareCapability); }
