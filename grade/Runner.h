// One run of a student's work: a program started with fork/exec (never through a shell) in a process
// group of its own, under a wall-clock timeout, an output cap and a memory limit; in the sandbox
// (Sandbox.h) when given a place for it.
#ifndef TARVIK_GRADE_RUNNER_H
#define TARVIK_GRADE_RUNNER_H

#include <string>
#include <vector>

#include "Sandbox.h"

struct RunLimits {
  unsigned seconds = 10;               // wall clock; the whole process group is killed after it
  size_t outputBytes = size_t(1) << 20;  // standard output and error together kept (the verdict: as much)
  size_t memoryBytes = size_t(1) << 30;  // RLIMIT_AS, of each process; 0: no limit
  unsigned processes = 16;             // in the sandbox: its processes at a time
  size_t fileBytes = size_t(64) << 20;  // in the sandbox: the largest file it may write
};

struct RunOutcome {
  int status = -1;       // exit status when it exited
  int signal = 0;        // the signal that ended it, when one did (and it was not our kill)
  bool timedOut = false;
  bool flooded = false;  // more output than outputBytes (or a verdict longer): the rest was read and dropped
  std::string startProblem;  // it could not be started (strerror of exec, or the sandbox's layer that failed)
  std::string output;    // standard output then standard error, at most outputBytes of them
  std::string verdict;   // what it wrote to its verdict descriptor, when given one
};

// Runs argv[0] (a path) with argv in folder; waits for it, its time or its output limit.  With
// verdict, the run gets a pipe whose descriptor TARVIK_VERDICT_FD names, for its verdict line.  With a
// place while `sandboxed`, the run is sandboxed there (folder is then its scratch folder).
RunOutcome runLimited(const std::vector<std::string>& argv, const std::string& folder, const RunLimits& limits,
                      bool verdict = false, const SandboxPlace* place = nullptr);

// A program serving a student's runs (--serve-jobs): started once, then given each run's further options.
struct TestServer {
  pid_t process = -1;  // the server, or its sandbox's init: its process group ends with it
  int control = -1;    // the grader's end of the job socket
  int held[4] = {-1, -1, -1, -1};  // the server's own output, verdict and status pipes: it writes none once ready
  bool sandbox = false;
};

// Starts argv (which asks for --serve-jobs) as runLimited would, and waits until it is ready: false when
// it cannot start, prints anything or ends first; the runs then go alone.
bool startServer(const std::vector<std::string>& argv, const std::string& folder, const RunLimits& limits,
                 const SandboxPlace* place, TestServer& server);
// One run on the server: its output, status and limits as runLimited's of the whole command line.  A run
// past its time ends the server with it.  False when the server cannot tell (it refused the words as not
// servable, or it is gone): run those alone.
bool runOnServer(TestServer& server, const std::vector<std::string>& words, const RunLimits& limits,
                 RunOutcome& outcome);
// Ends the server and everything it started.
void stopServer(TestServer& server);

// Starts a sandbox that runs `true`: "" when every layer holds here (and `sandboxed` is set), else the
// layer that failed.
std::string sandboxMissing();

#endif
