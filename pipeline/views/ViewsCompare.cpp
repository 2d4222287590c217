// --compare-with REF and --compare-at halt: a run compared with the run of a reference program on the
// same inputs.
//
// The circuit lives in globals, so the reference runs in a child process forked once everything
// before the run is done (images loaded, checks read): the child puts REF's words into the ROM in place
// of the program's, runs headless with only the views' observer (no dump, no check, no output of the
// parent's run acts in it), and sends each cycle's record through a pipe as the cycle is read, then a
// closing record and the end values of the --expect items.  The parent runs alongside and reads the
// reference's record of each cycle as its own comes, comparing the two and stopping at the first that
// differs (ViewsCompareReport.cpp); with --compare-at halt the child sends no cycle's record and the
// parent compares only the end values of the items the --expect file names, and says for each that
// differs which word of its run wrote it last.  Neither side keeps more than its last two records, so
// a run of millions of cycles compares in the memory of a short one.
#include <fcntl.h>
#include <signal.h>
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
  RecentCycles yours, reference;
  bool referenceEnded = false;  // its closing record is read: reference.count is all its cycles
  std::vector<std::vector<SignalValue>> referenceEnd;  // the --expect items' values, in the file's order
  Writers writers;
  bool differs = false;
  bool inReferenceRun = false;
  int pipeEnd = -1;       // the parent's read end; the child's write end in the child
  pid_t referencePid = 0;  // the child, until it is ended and reaped
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
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) _exit(3);  // the parent has gone (or killed us first): nobody reads on
    p += n;
    size -= size_t(n);
  }
}

// In the child: the reference's run; compareCycle sends its records to fd as they come, then here the
// closing record and the end values; it never returns.
void runReference(int fd) {
  int quiet = open("/dev/null", O_WRONLY);
  dup2(quiet, STDOUT_FILENO);
  dup2(quiet, STDERR_FILENO);
  std::string problem;
  if (!loadMemoryImageNow(processorNames::rom, comparison.image, problem)) _exit(4);
  keepOnlyViewObserver();
  traceView = diagramView = summaryView = 0;
  comparison.inReferenceRun = true;
  comparison.pipeEnd = fd;
  FunctionKeyString[0] = CursorKeyString[0] = '\0';
  phaseFour = new PhaseFour;
  phaseFive = new PhaseFive;
  phaseFour->run();
  ArchCycle closing;
  writeAll(fd, &closing, sizeof closing);
  for (const CheckTarget& t : expectedTargets()) {
    std::vector<SignalValue> value = currentValue(t);
    writeAll(fd, value.data(), value.size() * sizeof(SignalValue));
  }
  _exit(0);
}

// Ends the child's run, wherever it is (a difference found, --cycles reached), and reaps it.
void stopReference() {
  if (comparison.referencePid <= 0) return;
  kill(comparison.referencePid, SIGKILL);
  while (waitpid(comparison.referencePid, nullptr, 0) < 0 && errno == EINTR) {
  }
  close(comparison.pipeEnd);
  comparison.referencePid = 0;
  comparison.pipeEnd = -1;
}

// The child died or its stream stopped short.  Known only when a record it did not send is needed:
// a reference that fails after the last record the parent reads goes unnoticed, as it does no harm.
void referenceCutShort() {
  stopReference();
  refuse("--compare-with: the run of " + comparison.file + " ended before it was recorded");
}

// size bytes from the child, across short reads; false at the end of its stream before them.
bool readAll(void* data, size_t size) {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = read(comparison.pipeEnd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= size_t(n);
  }
  return true;
}

// Reads the reference's records up to record k, or to its closing record where it has fewer.
void readReferenceUpTo(uint64_t k) {
  while (!comparison.referenceEnded && comparison.reference.count < k) {
    ArchCycle a;
    if (!readAll(&a, sizeof a)) referenceCutShort();
    if (a.cycle == 0) comparison.referenceEnded = true;
    else addRecord(comparison.reference, a);
  }
}

// After the closing record: the values of the --expect items at the reference's end.
void readReferenceEnd() {
  readReferenceUpTo(UINT64_MAX);
  for (const CheckTarget& t : expectedTargets()) {
    std::vector<SignalValue> value(t.width);
    if (!readAll(value.data(), t.width * sizeof(SignalValue))) referenceCutShort();
    comparison.referenceEnd.push_back(value);
  }
}

void startReference() {
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
  // Programs the run may start later must not hold the pipe.
  fcntl(pipeEnds[0], F_SETFD, FD_CLOEXEC);
  comparison.pipeEnd = pipeEnds[0];
  comparison.referencePid = child;
}

void startComparison() {
  if (!compareView && !comparison.compareAtGiven) return;
  checkGiven();
  comparison.yourLines = sourceLinesOf(givenProgram(), givenProgramFromSource());
  startReference();
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
             lastWriterText(targets[k].path, comparison.writers, comparison.yourLines) + "\n";
  }
  comparison.differs = differing > 0;
  if (!comparison.differs)
    printf("--compare-with: no difference at the end in the %zu items checked\n", targets.size());
  else
    printf("--compare-with: at the end %zu of %zu items checked differ\n%s", differing, targets.size(), lines.c_str());
}

void resetComparison() {
  stopReference();
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
  addRecord(comparison.yours, archCycleOf(c, comparison.yours.now));
  if (comparison.inReferenceRun) {
    if (!comparison.atHalt) writeAll(comparison.pipeEnd, &comparison.yours.now, sizeof(ArchCycle));
    return;
  }
  followWriters(comparison.yours.now, comparison.writers);
  if (comparison.atHalt || comparison.differs) return;
  readReferenceUpTo(comparison.yours.count);
  std::string report = differenceReport(comparedRuns());
  if (report.empty()) return;
  fputs(report.c_str(), stdout);
  comparison.differs = true;
  stopReference();
  done = 1;
}

void compareEnded() {
  if (comparison.inReferenceRun) return;
  if (comparison.atHalt) {
    readReferenceEnd();
    reportEndValues();
  } else if (!comparison.differs) {
    printf("--compare-with: no difference in %llu cycles\n", (unsigned long long)comparison.yours.count);
  }
  stopReference();
}

void addCompareOptions() { addCapability(compareCapability); }
