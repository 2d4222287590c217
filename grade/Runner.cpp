// Limited runs.  The child sets its own process group, memory limit and folder and execs at once: only
// async-signal-safe calls between fork and exec, since the grader's other threads may hold locks.
#include "Runner.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

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

// The child's side: never returns.  An exec failure is reported through errorPipe as the errno.
[[noreturn]] void becomeChild(char* const* argv, const char* folder, size_t memoryBytes, int outWrite,
                              int errWrite, int errorPipe) {
  setpgid(0, 0);
  int devNull = open("/dev/null", O_RDONLY);
  if (devNull >= 0) dup2(devNull, 0);
  dup2(outWrite, 1);
  dup2(errWrite, 2);
  if (memoryBytes > 0 && addressSpaceMayBeLimited) {
    rlimit limit{memoryBytes, memoryBytes};
    setrlimit(RLIMIT_AS, &limit);
  }
  // The compiler's messages in the reports read the same whatever the grader's locale.
  setenv("LC_ALL", "C", 1);
  int error = 0;
  if (chdir(folder) != 0) error = errno;
  if (error == 0) {
    execv(argv[0], argv);
    error = errno;
  }
  ssize_t ignored = write(errorPipe, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

struct Pipes {
  int out[2] = {-1, -1}, err[2] = {-1, -1}, exec[2] = {-1, -1};
  bool open() {
    return pipe2(out, O_CLOEXEC) == 0 && pipe2(err, O_CLOEXEC) == 0 && pipe2(exec, O_CLOEXEC) == 0;
  }
  void closeAll() {
    for (int* p : {out, err, exec})
      for (int i = 0; i < 2; ++i)
        if (p[i] >= 0) close(p[i]), p[i] = -1;
  }
};

// Reads both streams until they close, the output passes its cap or the time is up.
void collectOutput(pid_t child, Pipes& p, const RunLimits& limits, long long deadline, RunOutcome& outcome,
                   std::string& err) {
  pollfd fds[2] = {{p.out[0], POLLIN, 0}, {p.err[0], POLLIN, 0}};
  std::string* into[2] = {&outcome.output, &err};
  int open = 2;
  while (open > 0) {
    long long left = deadline - nowMs();
    if (left <= 0) {
      outcome.timedOut = true;
      break;
    }
    if (poll(fds, 2, (int)std::min(left, 1000LL)) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        into[i]->append(buffer, size_t(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
    if (outcome.output.size() + err.size() > limits.outputBytes) {
      outcome.flooded = true;
      break;
    }
  }
  if (outcome.timedOut || outcome.flooded) kill(-child, SIGKILL);
}

// Waits for the child, which may live on after closing its output, until the deadline; then kills it.
int waitUntil(pid_t child, long long deadline, RunOutcome& outcome) {
  int status = 0;
  for (;;) {
    pid_t done = waitpid(child, &status, outcome.timedOut || outcome.flooded ? 0 : WNOHANG);
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

RunOutcome runLimited(const std::vector<std::string>& argv, const std::string& folder, const RunLimits& limits) {
  RunOutcome outcome;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  Pipes p;
  if (!p.open()) {
    outcome.startProblem = strerror(errno);
    p.closeAll();
    return outcome;
  }
  pid_t child = fork();
  if (child < 0) {
    outcome.startProblem = strerror(errno);
    p.closeAll();
    return outcome;
  }
  if (child == 0) becomeChild(args.data(), folder.c_str(), limits.memoryBytes, p.out[1], p.err[1], p.exec[1]);
  setpgid(child, child);  // also here, so that a kill right after fork reaches the group
  close(p.out[1]), p.out[1] = -1;
  close(p.err[1]), p.err[1] = -1;
  close(p.exec[1]), p.exec[1] = -1;
  int execError = 0;
  if (read(p.exec[0], &execError, sizeof execError) == (ssize_t)sizeof execError)
    outcome.startProblem = strerror(execError);
  std::string err;
  long long deadline = nowMs() + (long long)limits.seconds * 1000;
  if (outcome.startProblem.empty()) collectOutput(child, p, limits, deadline, outcome, err);
  int status = waitUntil(child, deadline, outcome);
  // What a group leader left behind (a grandchild holding the pipes) goes with it.
  kill(-child, SIGKILL);
  p.closeAll();
  outcome.output += err;
  if (outcome.output.size() > limits.outputBytes) outcome.output.resize(limits.outputBytes);
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status) && !outcome.timedOut && !outcome.flooded) outcome.signal = WTERMSIG(status);
  return outcome;
}
