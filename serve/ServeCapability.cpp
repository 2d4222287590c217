// --serve-jobs: one start-up for many runs.  The program reads its command line, builds and checks the
// netlist once, then, where every capability's step would begin, says it is ready on standard input
// (a Unix socket of packets: JobProtocol.h) and waits for jobs.  Each job is a list of further options
// and the descriptors of its output; a child forked for it takes them as its standard streams and
// verdict, reads the options as if they ended the command line, and goes on as a run of its own would:
// the name index, every step, the run, the checks, the exit status.  The server waits for the child,
// ends whatever the child left (in a sandbox of its own, every other process in it) and answers with
// the child's wait status.  So a job's output and status are those of a run given the whole command
// line, provided that the start-up printed nothing (the server says ready only then) and that the job's
// options change nothing the netlist was built from: a short option, an option no capability offers
// (a circuit's own, --help) or one of a capability with a step after construction (--fault,
// --netlist-out) is refused, and the grader runs that job on its own.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Capability.h"
#include "ExitStatus.h"
#include "JobProtocol.h"
#include "cmdLine.h"

namespace {

bool serving = false;  // --serve-jobs was given

bool takeServe(const char*, std::string&) {
  serving = true;
  return true;
}

// The record whose option the word names; null for none.
const Capability* optionOwner(const std::string& word) {
  std::string name = word.substr(0, word.find('='));
  for (const Capability& c : capabilities())
    for (size_t i = 0; i < c.optionCount; ++i)
      if (name == c.options[i].name) return &c;
  return nullptr;
}

// Words that are not options are their arguments; an argument that starts with '-' is taken for an
// option, and refused with it.
bool servable(const std::vector<std::string>& words) {
  for (const std::string& w : words) {
    if (w.empty() || w[0] != '-') continue;
    const Capability* owner = w.compare(0, 2, "--") == 0 ? optionOwner(w) : nullptr;
    if (!owner || owner->afterConstruction || owner->beforeSteps) return false;
  }
  return true;
}

// The job's descriptors in place of the standard streams and the verdict; its input reads nothing.
void takeJobDescriptors(const int (&given)[3]) {
  int high[3];
  for (int i = 0; i < 3; ++i) high[i] = fcntl(given[i], F_DUPFD_CLOEXEC, 10);
  int nothing = open("/dev/null", O_RDONLY);
  dup2(nothing, 0);
  dup2(high[0], 1);
  dup2(high[1], 2);
  int verdict = verdictDescriptorNumber();
  if (verdict >= 0) dup2(high[2], verdict);
  for (int fd : {nothing, given[0], given[1], given[2], high[0], high[1], high[2]})
    if (fd > 2 && fd != verdict) close(fd);
}

// In a sandbox the server is the first process its init started (PID 2 of a namespace of its own,
// which no process outside one can be): there every other process but the init is a job's leftover.
void endLeftovers() {
  if (getpid() != 2 || getppid() != 1) return;
  kill(-1, SIGKILL);
  for (int tries = 0; tries < 10000 && kill(-1, 0) == 0; ++tries) usleep(100);
}

int waitFor(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return 0;
  return status;
}

// Returns in each job's child; the server itself ends when its input ends.
void serveJobs() {
  if (!serving) return;
  fflush(stdout);
  fflush(stderr);
  if (!sendAnswer(0, {jobServerReady, 0})) _exit(0);
  for (;;) {
    std::vector<std::string> words;
    int descriptors[3];
    bool ok = false;
    if (!receiveJob(0, words, descriptors, ok)) _exit(0);
    if (!ok || !servable(words)) {
      for (int fd : descriptors)
        if (fd >= 0) close(fd);
      if (!sendAnswer(0, {jobRefused, 0})) _exit(0);
      continue;
    }
    pid_t child = fork();
    if (child == 0) {
      takeJobDescriptors(descriptors);
      commandLineMore(words);
      return;
    }
    for (int fd : descriptors) close(fd);
    int status = child > 0 ? waitFor(child) : (127 << 8);
    endLeftovers();
    if (!sendAnswer(0, {jobEnded, status})) _exit(0);
  }
}

const LongOption serveOptions[] = {
    {"--serve-jobs", nullptr,
     "for a grader: build the netlist once, then run the jobs sent on standard\n"
     "input (a Unix socket), each a list of further options run in a child of\n"
     "its own as if they ended the command line (docs/grading.md)",
     takeServe},
};

void reset() { serving = false; }

}  // namespace

const Capability& serveCapability() {
  static const Capability record = [] {
    Capability c{"serve", 97, 0, serveOptions, 1, false, nullptr, nullptr, reset, nullptr, nullptr, nullptr};
    c.beforeSteps = serveJobs;
    return c;
  }();
  return record;
}
