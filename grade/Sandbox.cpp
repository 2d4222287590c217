// The sandbox's layers.  The grader prepares what needs memory (the Landlock ruleset, the seccomp
// program) before it starts the sandbox; the sandbox's init, a child of a multithreaded process, then
// makes system calls only: glibc's own wrappers for setuid and fork would talk to threads the child
// does not have.
#include "Sandbox.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/landlock.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <signal.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

bool sandboxed = false;

namespace {

// Rights newer than the installed kernel headers may know of.
const uint64_t landlockTruncate = 1ull << 14;
const uint64_t landlockBindTcp = 1ull << 0, landlockConnectTcp = 1ull << 1;
const uint64_t landlockScopeAbstractSocket = 1ull << 0, landlockScopeSignal = 1ull << 1;
const uint64_t readRights = LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
const uint64_t fileRights = LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_WRITE_FILE |
                            LANDLOCK_ACCESS_FS_READ_FILE | landlockTruncate;

// The ruleset's attributes as the newest kernels read them; older ones are given a shorter prefix.
struct RulesetAttributes {
  uint64_t handledFs, handledNet, scoped;
};

int landlockAbi() {
  static const int abi = int(syscall(__NR_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION));
  return abi;
}

// Every file right the kernel's Landlock knows, but ioctl, which the terminal-less runs never need
// restricted.
uint64_t handledFileRights(int abi) {
  uint64_t rights = (LANDLOCK_ACCESS_FS_MAKE_SYM << 1) - 1;
  if (abi >= 2) rights |= LANDLOCK_ACCESS_FS_REFER;
  if (abi >= 3) rights |= landlockTruncate;
  return rights;
}

// The toolchain a compile or run reads: programs, libraries, headers, the loader's cache.
const char* const toolchainFolders[] = {"/usr", "/lib", "/lib64", "/lib32", "/libx32", "/bin", "/sbin",
                                        "/etc/ld.so.conf.d"};
const char* const toolchainFiles[] = {"/etc/ld.so.cache", "/etc/ld.so.conf", "/dev/urandom", "/dev/random"};

// Adds path with rights (cut down to a file's for a file); a missing toolchain path is no failure.
bool allow(int ruleset, const std::string& path, uint64_t rights, bool mayBeMissing, std::string& problem) {
  int fd = open(path.c_str(), O_PATH | O_CLOEXEC);
  if (fd < 0) {
    if (mayBeMissing && errno == ENOENT) return true;
    return problem = "the sandbox cannot reach " + path + ": " + strerror(errno), false;
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode)) rights &= fileRights;
  landlock_path_beneath_attr rule{rights & handledFileRights(landlockAbi()), fd};
  bool added = syscall(__NR_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) == 0;
  if (!added) problem = "the sandbox's Landlock rule for " + path + ": " + strerror(errno);
  close(fd);
  return added;
}

int newRuleset() {
  int abi = landlockAbi();
  RulesetAttributes attributes{handledFileRights(abi), abi >= 4 ? landlockBindTcp | landlockConnectTcp : 0,
                               abi >= 6 ? landlockScopeAbstractSocket | landlockScopeSignal : 0};
  size_t size = abi >= 6 ? sizeof attributes : abi >= 4 ? 2 * sizeof(uint64_t) : sizeof(uint64_t);
  return int(syscall(__NR_landlock_create_ruleset, &attributes, size, 0));
}

bool fillRuleset(int ruleset, const SandboxPlace& place, std::string& problem) {
  for (const char* folder : toolchainFolders)
    if (!allow(ruleset, folder, readRights, true, problem)) return false;
  for (const char* file : toolchainFiles)
    if (!allow(ruleset, file, LANDLOCK_ACCESS_FS_READ_FILE, true, problem)) return false;
  uint64_t nullRights = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_WRITE_FILE | landlockTruncate;
  if (!allow(ruleset, "/dev/null", nullRights, false, problem)) return false;
  for (const std::string& path : place.readable)
    if (!allow(ruleset, path, readRights, false, problem)) return false;
  return allow(ruleset, place.scratch, handledFileRights(landlockAbi()), false, problem);
}

// The seccomp program: what no circuit, processor or compiler needs, refused with EPERM.  Creating
// namespaces is refused too, so that no run can leave the ones it was given; clone3, whose flags a
// filter cannot read, answers ENOSYS, and the C library falls back to clone.  Signals need no rule:
// the PID namespace shows a run none but its own processes.
const long deniedCalls[] = {
#ifndef TARVIK_GRADE_SANITIZED  // the sanitizers' leak check stops the threads with ptrace
    __NR_ptrace,
#endif
    __NR_mount, __NR_umount2, __NR_pivot_root, __NR_chroot, __NR_kexec_load, __NR_kexec_file_load, __NR_bpf,
    __NR_perf_event_open, __NR_keyctl, __NR_add_key, __NR_request_key, __NR_unshare, __NR_setns,
    __NR_init_module, __NR_finit_module, __NR_delete_module, __NR_reboot, __NR_swapon, __NR_swapoff,
    __NR_process_vm_readv, __NR_process_vm_writev, __NR_userfaultfd, __NR_open_by_handle_at,
    __NR_name_to_handle_at, __NR_acct, __NR_settimeofday, __NR_clock_settime, __NR_clock_adjtime,
    __NR_adjtimex, __NR_quotactl, __NR_fsopen, __NR_fsmount, __NR_fsconfig, __NR_fspick, __NR_move_mount,
    __NR_open_tree, __NR_kcmp, __NR_pidfd_getfd, __NR_io_uring_setup, __NR_fanotify_init, __NR_syslog,
    __NR_vhangup,
#ifdef __NR_iopl
    __NR_iopl, __NR_ioperm,
#endif
};

#if defined(__x86_64__)
const uint32_t auditArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
const uint32_t auditArch = AUDIT_ARCH_AARCH64;
#else
#error "the grader's seccomp filter knows x86-64 and AArch64 only"
#endif

const uint32_t namespaceFlags =
    CLONE_NEWNS | CLONE_NEWCGROUP | CLONE_NEWUTS | CLONE_NEWIPC | CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNET;

std::vector<sock_filter> filterProgram() {
  auto refuse = [](int error) { return sock_filter BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | uint32_t(error)); };
  std::vector<sock_filter> f{
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, auditArch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
  };
#if defined(__x86_64__)
  f.push_back(BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000, 0, 1));  // the x32 calls
  f.push_back(refuse(EPERM));
#endif
  for (long call : deniedCalls) {
    f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, uint32_t(call), 0, 1));
    f.push_back(refuse(EPERM));
  }
  f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone3, 0, 1));
  f.push_back(refuse(ENOSYS));
  f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone, 0, 3));
  f.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])));
  f.push_back(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, namespaceFlags, 0, 1));
  f.push_back(refuse(EPERM));
  f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  return f;
}

// Made once, before the first sandbox; the inits only read it.
sock_fprog seccompProgram;

void prepareSeccompProgram() {
  static std::vector<sock_filter> program = filterProgram();
  static const bool prepared = (seccompProgram = {(unsigned short)program.size(), program.data()}, true);
  (void)prepared;
}

// What the sandbox's init did not manage, as layer * 4096 + errno (exec's errno alone is below 4096).
enum Layer { namespaces = 1, userMaps, ownProc, landlock, limits, unusedUser, seccomp, startProgram };
const char* const layerNames[] = {"", "namespaces", "user namespace", "/proc", "Landlock", "resource limits",
                                  "unused user", "seccomp filter", "program start"};

int failure(Layer layer) { return layer * 4096 + (errno & 4095); }

// Decimal digits of n, ending at end; returns where they begin.
char* decimal(unsigned long n, char* end) {
  do *--end = char('0' + n % 10);
  while (n /= 10);
  return end;
}

bool writeText(const char* file, const char* text, size_t length) {
  int fd = open(file, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool written = write(fd, text, length) == ssize_t(length);
  close(fd);
  return written;
}

// "ID ID 1": the grader's own id, the only one an unprivileged user namespace may map.
bool mapOwnId(const char* file, unsigned long id) {
  char text[64], *end = text + sizeof text, *p = end;
  *--p = '\n';
  *--p = '1';
  *--p = ' ';
  p = decimal(id, p);
  *--p = ' ';
  p = decimal(id, p);
  return writeText(file, p, size_t(end - p));
}

int mapUser(const SandboxPlan& plan) {
  if (plan.asRoot) return 0;
  if (!writeText("/proc/self/setgroups", "deny", 4) || !mapOwnId("/proc/self/uid_map", plan.uid) ||
      !mapOwnId("/proc/self/gid_map", plan.gid))
    return failure(userMaps);
  return 0;
}

// Its own /proc, showing the namespace's processes only, readable: the sanitizers read their maps there.
int mountOwnProc() {
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0)
    return failure(ownProc);
  int proc = open("/proc", O_PATH | O_CLOEXEC);
  landlock_path_beneath_attr rule{LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR, proc};
  if (proc < 0 || syscall(__NR_landlock_add_rule, sandboxRulesetFd, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) != 0)
    return failure(landlock);
  close(proc);
  return 0;
}

int restrictFiles() {
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || syscall(__NR_landlock_restrict_self, sandboxRulesetFd, 0) != 0)
    return failure(landlock);
  close(sandboxRulesetFd);
  return 0;
}

int setLimits(const SandboxLimits& l) {
  struct {
    int resource;
    rlim_t value;
  } const wanted[] = {{RLIMIT_CPU, l.cpuSeconds}, {RLIMIT_NPROC, l.processes}, {RLIMIT_FSIZE, l.fileBytes},
                      {RLIMIT_NOFILE, l.openFiles}, {RLIMIT_CORE, 0}, {RLIMIT_AS, l.memoryBytes ? l.memoryBytes : RLIM_INFINITY}};
  for (const auto& w : wanted) {
    rlimit limit{w.value, w.value};
    if (setrlimit(w.resource, &limit) != 0) return failure(limits);
  }
  return 0;
}

int becomeUnusedUser(const SandboxPlan& plan) {
  if (!plan.asRoot) return 0;
  if (syscall(SYS_setgroups, 0, nullptr) != 0 || syscall(SYS_setresgid, plan.gid, plan.gid, plan.gid) != 0 ||
      syscall(SYS_setresuid, plan.uid, plan.uid, plan.uid) != 0)
    return failure(unusedUser);
  prctl(PR_SET_PDEATHSIG, SIGKILL);  // a change of user clears it
  return 0;
}

int filterCalls() {
  if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &seccompProgram) != 0) return failure(seccomp);
  return 0;
}

// The descriptors at their fixed numbers (0: /dev/null when none is given), every other one closed:
// the init outlives its fork, and must not hold another run's pipes open.
bool moveDescriptors(const int (&given)[7]) {
  int moved[7];
  for (int i = 0; i < 7; ++i) {
    int source = given[i];
    if (i == 0 && source < 0) source = open("/dev/null", O_RDONLY | O_CLOEXEC);
    moved[i] = source < 0 ? -1 : fcntl(source, F_DUPFD_CLOEXEC, 10);
    if (source >= 0 && moved[i] < 0) return false;
  }
  for (int i = 0; i < 7; ++i) {
    if (moved[i] < 0) close(i);
    else if (dup3(moved[i], i, i > sandboxVerdictFd ? O_CLOEXEC : 0) < 0) return false;
  }
  if (syscall(__NR_close_range, 7, ~0u, 0) != 0)
    for (int fd = 7; fd < 65536; ++fd) close(fd);
  return true;
}

void defaultSignals() {
  struct sigaction byDefault;
  memset(&byDefault, 0, sizeof byDefault);
  byDefault.sa_handler = SIG_DFL;
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaction(s, &byDefault, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

[[noreturn]] void reportFailure(int fd, int code) {
  ssize_t ignored = write(fd, &code, sizeof code);
  (void)ignored;
  _exit(127);
}

// The live sandboxes' inits, by grading thread, for the signal handler.
const size_t threadSlots = 8192;
std::atomic<pid_t> liveInits[threadSlots];
std::atomic<bool> ending{false};

size_t threadSlot() {
  static std::atomic<size_t> next{0};
  thread_local size_t slot = next++ % threadSlots;
  return slot;
}

void endEverySandbox(int signal) {
  ending = true;
  for (std::atomic<pid_t>& init : liveInits) {
    pid_t pid = init.load();
    if (pid > 0) kill(pid, SIGKILL);
  }
  for (std::atomic<pid_t>& init : liveInits) {
    pid_t pid = init.load();
    if (pid > 0) waitpid(pid, nullptr, 0);
  }
  ::signal(signal, SIG_DFL);
  raise(signal);
}

std::mutex scratchLock;
std::string scratchRoot;
std::atomic<unsigned long> scratchCount{0};

bool makeScratchRoot(std::string& problem) {
  std::lock_guard<std::mutex> lock(scratchLock);
  if (!scratchRoot.empty()) return true;
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/tarvik-grade-XXXXXX";
  if (!mkdtemp(&pattern[0]) || chmod(pattern.c_str(), 0711) != 0)
    return problem = "cannot create a scratch folder in " + pattern + ": " + strerror(errno), false;
  scratchRoot = pattern;
  return true;
}

}  // namespace

std::string startFailureText(int code) {
  if (code < 4096) return strerror(code);
  int layer = code / 4096;
  const char* name = layer < int(sizeof layerNames / sizeof *layerNames) ? layerNames[layer] : "?";
  return std::string("the sandbox's ") + name + ": " + strerror(code % 4096);
}

// Per grader and thread, from a range no account uses: 2^30 + (the grader's pid mod 2^18) * 2^13 + slot.
uid_t sandboxUser() { return uid_t((1u << 30) + ((unsigned(getpid()) & 0x3ffff) << 13) + threadSlot()); }

bool planSandbox(const SandboxPlace& place, const SandboxLimits& limits, SandboxPlan& plan, std::string& problem) {
  prepareSeccompProgram();
  plan.limits = limits;
  plan.asRoot = geteuid() == 0;
  plan.uid = plan.asRoot ? sandboxUser() : geteuid();
  plan.gid = plan.asRoot ? gid_t(plan.uid) : getegid();
  if (landlockAbi() < 1) return problem = std::string("the sandbox's Landlock: ") + strerror(errno), false;
  plan.ruleset = newRuleset();
  if (plan.ruleset < 0) return problem = std::string("the sandbox's Landlock: ") + strerror(errno), false;
  if (fillRuleset(plan.ruleset, place, problem)) return true;
  closePlan(plan);
  return false;
}

void closePlan(SandboxPlan& plan) {
  if (plan.ruleset >= 0) close(plan.ruleset);
  plan.ruleset = -1;
}

pid_t forkIntoSandbox(const SandboxPlan& plan) {
  long flags = CLONE_NEWPID | CLONE_NEWNS | CLONE_NEWNET | CLONE_NEWIPC | CLONE_NEWUTS | SIGCHLD;
  if (!plan.asRoot) flags |= CLONE_NEWUSER;
  return pid_t(syscall(SYS_clone, flags, nullptr, nullptr, nullptr, nullptr));
}

void runSandboxInit(const SandboxPlan& plan, const int (&descriptors)[7], void (*start)(void*), void* argument) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  setpgid(0, 0);
  defaultSignals();
  if (!moveDescriptors(descriptors)) reportFailure(descriptors[4], failure(namespaces));
  int code = mapUser(plan);
  if (!code) code = mountOwnProc();
  if (!code) code = restrictFiles();
  if (!code) code = setLimits(plan.limits);
  if (!code) code = becomeUnusedUser(plan);
  if (!code) code = filterCalls();
  if (code) reportFailure(sandboxFailureFd, code);
  pid_t program = pid_t(syscall(SYS_clone, SIGCHLD, nullptr, nullptr, nullptr, nullptr));
  if (program == 0) start(argument);
  if (program < 0) reportFailure(sandboxFailureFd, failure(startProgram));
  for (int fd = 0; fd <= sandboxFailureFd; ++fd) close(fd);
  for (;;) {
    int status = 0;
    pid_t ended = waitpid(-1, &status, 0);
    if (ended == program) {
      ssize_t ignored = write(sandboxStatusFd, &status, sizeof status);
      (void)ignored;
      _exit(0);
    }
    if (ended < 0 && errno != EINTR) _exit(1);
  }
}

void endSandboxesOnSignals() {
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = endEverySandbox;
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
}

void noteLiveSandbox(pid_t init) {
  liveInits[threadSlot()] = init;
  if (ending) kill(init, SIGKILL);
}

void forgetLiveSandbox() { liveInits[threadSlot()] = 0; }

std::string sandboxLayerText() {
  std::string text = "PID, mount, network, IPC and UTS namespaces\n";
  text += geteuid() == 0 ? "an unused user per grading thread\n" : "a user namespace\n";
  text += "Landlock ABI " + std::to_string(landlockAbi()) + "\n";
  text += "no-new-privileges\nseccomp filter\n";
  text += "limits: wall clock, CPU, memory, processes, file size, open files, no core files\n";
  return text;
}

namespace {

// A new folder's t/ for the test's files, and the folder given to the run's user.
bool prepareScratchFolder(const std::string& folder, std::string& problem) {
  if (mkdir((folder + "/t").c_str(), 0755) != 0) return problem = "cannot create " + folder + ": " + strerror(errno), false;
  if (geteuid() == 0 && chown(folder.c_str(), sandboxUser(), gid_t(sandboxUser())) != 0)
    return problem = "cannot give " + folder + " to the run's user: " + strerror(errno), false;
  return true;
}

}  // namespace

bool newScratchFolder(std::string& folder, std::string& problem) {
  if (!makeScratchRoot(problem)) return false;
  folder = scratchRoot + "/r" + std::to_string(scratchCount++);
  if (mkdir(folder.c_str(), 0700) != 0) return problem = "cannot create " + folder + ": " + strerror(errno), false;
  return prepareScratchFolder(folder, problem);
}

bool newSharedFolder(std::string& folder, std::string& problem) {
  if (!makeScratchRoot(problem)) return false;
  folder = scratchRoot + "/s" + std::to_string(scratchCount++);
  if (mkdir(folder.c_str(), 0755) != 0 || chmod(folder.c_str(), 0755) != 0)
    return problem = "cannot create " + folder + ": " + strerror(errno), false;
  return true;
}

bool newScratchFolderIn(const std::string& parent, std::string& folder, std::string& problem) {
  std::string pattern = parent + "/jXXXXXX";
  if (!mkdtemp(&pattern[0])) return problem = "cannot create a folder in " + parent + ": " + strerror(errno), false;
  folder = pattern;
  return prepareScratchFolder(folder, problem);
}

void removeScratchRoot() {
  std::lock_guard<std::mutex> lock(scratchLock);
  if (!scratchRoot.empty()) removeTree(scratchRoot);
  scratchRoot.clear();
}

bool copyFile(const std::string& from, const std::string& to, mode_t mode, std::string& problem) {
  int in = open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  if (in < 0 || fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    problem = in < 0 ? strerror(errno) : "not a regular file";
    if (in >= 0) close(in);
    return false;
  }
  unlink(to.c_str());
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  bool copied = out >= 0;
  char buffer[65536];
  for (ssize_t n; copied && (n = read(in, buffer, sizeof buffer)) != 0;)
    copied = n > 0 && write(out, buffer, size_t(n)) == n;
  if (!copied) problem = strerror(errno);
  if (out >= 0 && fchmod(out, mode) != 0) copied = false;  // past the umask
  if (out >= 0) close(out);
  close(in);
  return copied;
}

void removeTree(const std::string& folder) {
  std::vector<std::string> entries;
  DIR* d = opendir(folder.c_str());
  if (!d && errno == EACCES && chmod(folder.c_str(), 0700) == 0) d = opendir(folder.c_str());
  if (d) {
    while (dirent* e = readdir(d))
      if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) entries.push_back(e->d_name);
    closedir(d);
  }
  for (const std::string& e : entries) {
    std::string path = folder + "/" + e;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) removeTree(path);
    else unlink(path.c_str());
  }
  rmdir(folder.c_str());
}
