// Limited runs.  The child sets its own process group, memory limit and folder and execs at once (or
// becomes the sandbox's init): only async-signal-safe calls between fork and exec, since the grader's
// other threads may hold locks.
#include "Runner.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "JobProtocol.h"

namespace {

// Sanitized programs reserve terabytes of address space for their shadow memory at start-up.
#ifdef TARVIK_GRADE_SANITIZED
const bool addressSpaceMayBeLimited = false;
#else
const bool addressSpaceMayBeLimited = true;
#endif

long long nowMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

// Runs the program in folder; an exec failure is reported through errorPipe as the errno.
[[noreturn]] void execInFolder(char* const* argv, char* const* environment, const char* folder, int errorPipe) {
  int error = 0;
  if (chdir(folder) != 0) error = errno;
  if (error == 0) {
    execve(argv[0], argv, environment);
    error = errno;
  }
  ssize_t ignored = write(errorPipe, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

// The child's side outside the sandbox: never returns.  The verdict pipe (when there is one) is the
// one descriptor above 2 the program keeps.
[[noreturn]] void becomeChild(char* const* argv, char* const* environment, const char* folder, size_t memoryBytes,
                              int input, int outWrite, int errWrite, int verdictWrite, int errorPipe) {
  setpgid(0, 0);
  int in = input >= 0 ? input : open("/dev/null", O_RDONLY);
  if (in >= 0) dup2(in, 0);
  dup2(outWrite, 1);
  dup2(errWrite, 2);
  if (verdictWrite >= 0) fcntl(verdictWrite, F_SETFD, 0);
  if (memoryBytes > 0 && addressSpaceMayBeLimited) {
    rlimit limit{memoryBytes, memoryBytes};
    setrlimit(RLIMIT_AS, &limit);
  }
  execInFolder(argv, environment, folder, errorPipe);
}

// What the sandbox's init starts in a child of its own.
struct ProgramStart {
  char* const* argv;
  char* const* environment;
  const char* folder;
};

void startProgram(void* start) {
  const ProgramStart* s = static_cast<const ProgramStart*>(start);
  execInFolder(s->argv, s->environment, s->folder, sandboxFailureFd);
}

// The grader's environment for a run, made before the fork: the search path and the sanitizers'
// options of the grader's, nothing else of it (a run could print it); the compiler's messages in the
// reports read the same whatever the grader's locale; temporary files go to the run's folder; and the
// verdict descriptor is the one given here, or none.
bool keptForRuns(const std::string& entry) {
  size_t equals = entry.find('=');
  std::string name = entry.substr(0, equals);
  return name == "PATH" || (name.size() > 12 && name.compare(name.size() - 12, 12, "SAN_OPTIONS") == 0);
}

std::vector<std::string> runEnvironment(int verdictWrite, const std::string& folder) {
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e)
    if (keptForRuns(*e)) environment.push_back(*e);
  environment.push_back("LC_ALL=C");
  environment.push_back("TMPDIR=" + folder);
  if (verdictWrite >= 0) environment.push_back("TARVIK_VERDICT_FD=" + std::to_string(verdictWrite));
  return environment;
}

std::vector<char*> pointersTo(const std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (const std::string& w : words) pointers.push_back(const_cast<char*>(w.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// status: the sandbox's init reports its program's wait status there.
struct Pipes {
  int out[2] = {-1, -1}, err[2] = {-1, -1}, exec[2] = {-1, -1}, verdict[2] = {-1, -1}, status[2] = {-1, -1};
  bool open(bool withVerdict, bool withStatus) {
    return pipe2(out, O_CLOEXEC) == 0 && pipe2(err, O_CLOEXEC) == 0 && pipe2(exec, O_CLOEXEC) == 0 &&
           (!withVerdict || pipe2(verdict, O_CLOEXEC) == 0) && (!withStatus || pipe2(status, O_CLOEXEC) == 0);
  }
  void closeWriteEnds() {
    for (int* p : {out, err, exec, verdict, status})
      if (p[1] >= 0) close(p[1]), p[1] = -1;
  }
  void closeAll() {
    for (int* p : {out, err, exec, verdict, status})
      for (int i = 0; i < 2; ++i)
        if (p[i] >= 0) close(p[i]), p[i] = -1;
  }
};

// Keeps what fits under the cap (the output's, or the verdict's own), drops the rest: past its cap a
// run is still read to its end, so that its verdict decides and not how much it printed.
void keep(std::string& into, const char* bytes, size_t count, size_t room, RunOutcome& outcome) {
  into.append(bytes, std::min(count, room));
  if (count > room) outcome.flooded = true;
}

// Reads both streams and the verdict until they close or the time is up.
void collectOutput(pid_t child, Pipes& p, const RunLimits& limits, long long deadline, RunOutcome& outcome,
                   std::string& err) {
  pollfd fds[3] = {{p.out[0], POLLIN, 0}, {p.err[0], POLLIN, 0}, {p.verdict[0], POLLIN, 0}};
  std::string* into[3] = {&outcome.output, &err, &outcome.verdict};
  int open = p.verdict[0] >= 0 ? 3 : 2;
  while (open > 0) {
    long long left = deadline - nowMs();
    if (left <= 0) {
      outcome.timedOut = true;
      break;
    }
    if (poll(fds, 3, (int)std::min(left, 1000LL)) < 0 && errno != EINTR) break;
    for (int i = 0; i < 3; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      size_t used = i == 2 ? outcome.verdict.size() : outcome.output.size() + err.size();
      if (n > 0) {
        keep(*into[i], buffer, size_t(n), limits.outputBytes - std::min(used, limits.outputBytes), outcome);
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  if (outcome.timedOut) kill(-child, SIGKILL);
}

// Waits for the child, which may live on after closing its output, until the deadline; then kills it.
int waitUntil(pid_t child, long long deadline, RunOutcome& outcome) {
  int status = 0;
  for (;;) {
    pid_t done = waitpid(child, &status, outcome.timedOut ? 0 : WNOHANG);
    if (done == child || (done < 0 && errno != EINTR)) return status;
    if (done == 0 && nowMs() >= deadline) {
      outcome.timedOut = true;
      kill(-child, SIGKILL);
    } else if (done == 0) {
      usleep(2000);
    }
  }
}

}  // namespace

namespace {

SandboxLimits sandboxLimits(const RunLimits& limits) {
  SandboxLimits l;
  l.cpuSeconds = limits.seconds + 1;
  l.memoryBytes = addressSpaceMayBeLimited ? limits.memoryBytes : 0;
  l.processes = limits.processes;
  l.fileBytes = limits.fileBytes;
  return l;
}

// Starts the sandbox's init, whose program runs with the pipes' write ends; -1 with problem when it
// cannot.  The grader's SIGINT and SIGTERM wait until the init is on the list of those they end.
pid_t startSandbox(const ProgramStart& start, const SandboxPlace& place, const RunLimits& limits, Pipes& p,
                   int input, std::string& problem) {
  SandboxPlan plan;
  if (!planSandbox(place, sandboxLimits(limits), plan, problem)) return -1;
  // The pipes become the run's user's, so that it can open them again by name (/dev/fd/N) as it could
  // outside the sandbox.
  for (int fd : {p.out[1], p.err[1], p.verdict[1]})
    if (plan.asRoot && fd >= 0 && fchown(fd, plan.uid, plan.gid) != 0) {
      closePlan(plan);
      return problem = std::string("cannot give the run's pipes to its user: ") + strerror(errno), -1;
    }
  sigset_t ending, before;
  sigemptyset(&ending);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, s);
  pthread_sigmask(SIG_BLOCK, &ending, &before);
  pid_t init = forkIntoSandbox(plan);
  if (init == 0) {
    const int descriptors[7] = {input, p.out[1], p.err[1], p.verdict[1], p.exec[1], p.status[1], plan.ruleset};
    runSandboxInit(plan, descriptors, startProgram, const_cast<ProgramStart*>(&start));
  }
  if (init > 0) noteLiveSandbox(init);
  else problem = std::string("the sandbox's namespaces: ") + strerror(errno);
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  closePlan(plan);
  return init;
}

// The program's wait status: the one its sandbox's init reported, or else the process's own.
int programStatus(int status, Pipes& p) {
  int reported = 0;
  if (p.status[0] >= 0 && read(p.status[0], &reported, sizeof reported) == (ssize_t)sizeof reported) return reported;
  return status;
}

}  // namespace

namespace {

// Starts argv in folder (in the sandbox when given a place while `sandboxed`) with the pipes' write ends
// as its streams and verdict and input (or /dev/null) as its standard input; the write ends are closed
// here.  -1 with problem when it cannot start; a child with problem when its exec failed.
pid_t launch(const std::vector<std::string>& argv, const std::string& folder, const RunLimits& limits,
             const SandboxPlace* place, Pipes& p, int input, std::string& problem) {
  bool inSandbox = place && sandboxed;
  int verdictNumber = p.verdict[1] < 0 ? -1 : inSandbox ? sandboxVerdictFd : p.verdict[1];
  std::vector<std::string> environment = runEnvironment(verdictNumber, folder);
  std::vector<char*> args = pointersTo(argv), environmentPointers = pointersTo(environment);
  pid_t child;
  if (inSandbox) {
    child = startSandbox({args.data(), environmentPointers.data(), folder.c_str()}, *place, limits, p, input, problem);
  } else {
    child = fork();
    if (child < 0) problem = strerror(errno);
  }
  if (child < 0) return -1;
  if (child == 0)
    becomeChild(args.data(), environmentPointers.data(), folder.c_str(), limits.memoryBytes, input, p.out[1],
                p.err[1], p.verdict[1], p.exec[1]);
  setpgid(child, child);  // also here, so that a kill right after fork reaches the group
  p.closeWriteEnds();
  int startError = 0;
  if (read(p.exec[0], &startError, sizeof startError) == (ssize_t)sizeof startError)
    problem = startFailureText(startError);
  return child;
}

// The outcome's status or signal from a wait status, and its output whole and capped.
void finishOutcome(int status, const std::string& err, const RunLimits& limits, RunOutcome& outcome) {
  outcome.output += err;
  if (outcome.output.size() > limits.outputBytes) outcome.output.resize(limits.outputBytes);
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status) && !outcome.timedOut) outcome.signal = WTERMSIG(status);
}

}  // namespace

RunOutcome runLimited(const std::vector<std::string>& argv, const std::string& folder, const RunLimits& limits,
                      bool verdict, const SandboxPlace* place) {
  RunOutcome outcome;
  Pipes p;
  bool inSandbox = place && sandboxed;
  if (!p.open(verdict, inSandbox)) {
    outcome.startProblem = strerror(errno);
    p.closeAll();
    return outcome;
  }
  pid_t child = launch(argv, folder, limits, place, p, -1, outcome.startProblem);
  if (child < 0) {
    p.closeAll();
    return outcome;
  }
  std::string err;
  long long deadline = nowMs() + (long long)limits.seconds * 1000;
  if (outcome.startProblem.empty()) collectOutput(child, p, limits, deadline, outcome, err);
  int status = waitUntil(child, deadline, outcome);
  // What a group leader left behind (a grandchild holding the pipes) goes with it.
  kill(-child, SIGKILL);
  if (inSandbox) {
    forgetLiveSandbox();
    status = programStatus(status, p);
  }
  p.closeAll();
  finishOutcome(status, err, limits, outcome);
  return outcome;
}

// A server of jobs (--serve-jobs): one start-up of the program for a student's runs.

namespace {

// Polls until one of fds is ready: false at the deadline or on an error.
bool readyBefore(pollfd* fds, nfds_t count, long long deadline) {
  for (long long left; (left = deadline - nowMs()) > 0;) {
    int ready = poll(fds, count, (int)std::min(left, 1000LL));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
  return false;
}

// The server's ready answer; false when it printed anything first, ended, or took too long.
bool serverReadyBefore(const TestServer& server, long long deadline) {
  pollfd fds[3] = {{server.control, POLLIN, 0}, {server.held[0], POLLIN, 0}, {server.held[1], POLLIN, 0}};
  JobAnswer answer;
  return readyBefore(fds, 3, deadline) && !fds[1].revents && !fds[2].revents &&
         receiveAnswer(server.control, answer) && answer.kind == jobServerReady &&
         poll(fds + 1, 2, 0) == 0;  // it flushed its streams before saying so
}

// The job's answer, unless the deadline comes first or the server is gone.
bool answerBefore(const TestServer& server, long long deadline, JobAnswer& answer) {
  pollfd fd{server.control, POLLIN, 0};
  return readyBefore(&fd, 1, deadline) && receiveAnswer(server.control, answer);
}

}  // namespace

bool startServer(const std::vector<std::string>& argv, const std::string& folder, const RunLimits& limits,
                 const SandboxPlace* place, TestServer& server) {
  server = TestServer();
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return false;
  Pipes p;
  server.sandbox = place && sandboxed;
  std::string problem;
  server.process = p.open(true, server.sandbox) ? launch(argv, folder, limits, place, p, ends[1], problem) : -1;
  close(ends[1]);
  server.control = ends[0];
  int held[4] = {p.out[0], p.err[0], p.verdict[0], p.status[0]};
  std::copy(held, held + 4, server.held);
  p.out[0] = p.err[0] = p.verdict[0] = p.status[0] = -1;
  p.closeAll();
  if (server.process > 0 && problem.empty() && serverReadyBefore(server, nowMs() + (long long)limits.seconds * 1000))
    return true;
  stopServer(server);
  return false;
}

bool runOnServer(TestServer& server, const std::vector<std::string>& words, const RunLimits& limits,
                 RunOutcome& outcome) {
  outcome = RunOutcome();
  Pipes p;
  if (server.process <= 0 || !p.open(true, false)) return p.closeAll(), false;
  const int given[3] = {p.out[1], p.err[1], p.verdict[1]};
  if (!sendJob(server.control, words, given)) {
    p.closeAll();
    stopServer(server);
    return false;
  }
  p.closeWriteEnds();
  std::string err;
  long long deadline = nowMs() + (long long)limits.seconds * 1000;
  collectOutput(server.process, p, limits, deadline, outcome, err);
  JobAnswer answer;
  bool answered = !outcome.timedOut && answerBefore(server, deadline, answer);
  p.closeAll();
  if (!answered || answer.kind != jobEnded) {
    // Past its time the job is a run that timed out; a server that is gone or refused says nothing.
    outcome.timedOut = outcome.timedOut || nowMs() >= deadline;
    bool refused = answered && answer.kind == jobRefused;
    if (!refused) stopServer(server);
    if (!outcome.timedOut) return false;
  }
  finishOutcome(answered ? answer.status : 0, err, limits, outcome);
  return true;
}

const long long serverEndMs = 2000;

// The end of its input ends a server: so it is reaped by its own (and its sandbox's init by the grader),
// and the CPU time of its runs is counted to the grader's children.  One that does not end at once is
// killed with its process group.
void stopServer(TestServer& server) {
  if (server.control >= 0) close(server.control);
  if (server.process > 0) {
    RunOutcome ending;
    waitUntil(server.process, nowMs() + serverEndMs, ending);
    kill(-server.process, SIGKILL);  // what it left, as after a run
    if (server.sandbox) forgetLiveSandbox();
  }
  for (int fd : server.held)
    if (fd >= 0) close(fd);
  server = TestServer();
}

std::string sandboxMissing() {
  std::string program = access("/usr/bin/true", X_OK) == 0 ? "/usr/bin/true" : "/bin/true", folder, problem;
  sandboxed = false;
  if (!newScratchFolder(folder, problem)) return problem;
  SandboxPlace place{folder, {}};
  sandboxed = true;
  RunOutcome o = runLimited({program}, folder, RunLimits(), false, &place);
  removeTree(folder);
  sandboxed = o.startProblem.empty() && o.status == 0;
  if (!o.startProblem.empty()) return o.startProblem;
  return sandboxed ? "" : program + " did not run in it";
}
