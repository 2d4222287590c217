// The sandbox every compile and run of a student's work starts in (Linux).  Its first process is the
// init of fresh PID, mount, network and IPC namespaces (and of a user namespace when the grader is not
// root); it mounts its own /proc, limits the tree's resources, restricts the files it reaches with
// Landlock, drops to an unused user when the grader is root, sets no-new-privileges and a seccomp
// filter, and only then starts the program.  When that program ends, the init ends, and the kernel
// kills whatever else is left in the namespace: nothing outlives its run.
#ifndef TARVIK_GRADE_SANDBOX_H
#define TARVIK_GRADE_SANDBOX_H

#include <sys/types.h>

#include <string>
#include <vector>

// True while the runs go into the sandbox; off with --no-sandbox or where the kernel lacks a layer.
extern bool sandboxed;

// What a sandboxed process may reach besides the toolchain (/usr, /lib*, /bin, /sbin, the loader's
// cache, /dev/null and /dev/urandom): it reads and runs `readable` (files or folders) in place, and reads
// and writes only `scratch`, its own folder.
struct SandboxPlace {
  std::string scratch;
  std::vector<std::string> readable;
};

// The resource limits of one sandbox; each applies to every process of it.
struct SandboxLimits {
  unsigned cpuSeconds = 10;
  size_t memoryBytes = 0;  // RLIMIT_AS; 0: none
  unsigned processes = 16;
  size_t fileBytes = size_t(64) << 20;
  unsigned openFiles = 256;
};

// Made by the grader before it starts the sandbox; the sandbox's init applies it.
struct SandboxPlan {
  int ruleset = -1;  // the Landlock ruleset
  bool asRoot = false;
  uid_t uid = 0;  // root: the unused user the run becomes; otherwise the grader's, mapped to itself
  gid_t gid = 0;
  SandboxLimits limits;
};

// The descriptors the sandbox's init keeps, at these numbers: the program's standard streams, its
// verdict descriptor, and the grader's pipes for a start failure and the program's wait status.
const int sandboxVerdictFd = 3, sandboxFailureFd = 4, sandboxStatusFd = 5, sandboxRulesetFd = 6;

// A start failure the sandbox's init reports: its layer and errno, told apart from an exec's errno.
std::string startFailureText(int code);

// The user this thread's sandboxes drop to when the grader is root: one per grading thread, so that
// each run's process limit counts its own processes only.
uid_t sandboxUser();

// Prepares plan for place; false with problem (the grader's fault: a run cannot start).
bool planSandbox(const SandboxPlace& place, const SandboxLimits& limits, SandboxPlan& plan, std::string& problem);
void closePlan(SandboxPlan& plan);

// Like fork, with the child in fresh namespaces.  -1 with errno when the kernel refuses.
pid_t forkIntoSandbox(const SandboxPlan& plan);

// The sandbox's init, in the child of forkIntoSandbox: moves in the descriptors (standard streams,
// verdict, failure and status pipes, the ruleset), applies plan and starts start(argument) in a child
// of its own; reports that child's wait status and ends.  Never returns.
[[noreturn]] void runSandboxInit(const SandboxPlan& plan, const int (&descriptors)[7], void (*start)(void*),
                                 void* argument);

// The grader's SIGINT and SIGTERM end every live sandbox (their inits, with all they started) first.
void endSandboxesOnSignals();
void noteLiveSandbox(pid_t init);
void forgetLiveSandbox();

// The layers every sandbox applies here, one a line, for the record.
std::string sandboxLayerText();

// The folder under which each run gets a scratch folder of its own (created on first use, removed by
// removeScratchRoot), and a new scratch folder, owned by the user this thread's runs become.
bool newScratchFolder(std::string& folder, std::string& problem);
// A folder every run may read and none may write: the grader's files for all runs.
bool newSharedFolder(std::string& folder, std::string& problem);
// A new scratch folder inside another, by a name no run can foresee (a run may write in parent).
bool newScratchFolderIn(const std::string& parent, std::string& folder, std::string& problem);
void removeScratchRoot();
// Copies a regular file (never through a link) to a new file; mode: the copy's permissions.  False
// with the reason (strerror's words).
bool copyFile(const std::string& from, const std::string& to, mode_t mode, std::string& problem);
// Removes a folder and all it holds, whatever its owner left in it.
void removeTree(const std::string& folder);

#endif
