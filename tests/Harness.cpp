// Test harness: child processes with captured output.
#include "Harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "Sim.h"

const char* const startupText =
    "F1 Reset Simulation to Time Zero (restart)\n"
    "F2 Toggle Interconnecting Lines Drawing\n"
    "F3 Toggle Component Labels Drawing\n"
    "F4 Toggle Connection Tabs Drawing\n"
    "F5 Toggle Interconnecting Lines Labeling (show signal names !)\n"
    "F6 Toggle Time, QueueLength, Slowness Display\n"
    "F7 Toggle Interconnecting Lines for Mux'es Only\n"
    "F8 Toggle SuperProbe Display\n"
    "F9 Toggle Windowing Mode\n"
    "F10 Exit\n"
    "\n"
    "Control-a:  give the least detail (with macros)\n"
    "Control-n:  give a little less detail (with macros)\n"
    "Control-m:  give a little more detail (with macros)\n"
    "Control-z:  give the most detail (with macros)\n"
    "Control-l:  re-paint\n"
    "\n"
    "\033[30;48;5;151m   \033[0m <-- ZERO signal\t\t\033[30;48;5;208m   \033[0m <-- XXX signal    \n"
    "\033[30;48;5;28m   \033[0m <-- ONE signal\t\t\033[30;48;5;222m   \033[0m <-- HIZ signal    \n"
    "\t\t\t\t\033[30;48;5;231m   \033[0m <-- UNINITIALIZED signal    \n\n";

namespace {

std::string tempPath(const char* what) {
  char name[64];
  snprintf(name, sizeof name, "/tmp/tarvik-test-%d-%s-XXXXXX", int(getpid()), what);
  int fd = mkstemp(name);
  if (fd >= 0) close(fd);
  return name;
}

// Forks; the child redirects its output and runs body, the parent waits and collects.
template <typename Body>
RunResult inChild(Body body) {
  std::string outPath = tempPath("out"), errPath = tempPath("err");
  fflush(stdout);
  fflush(stderr);
  pid_t pid = fork();
  if (pid == 0) {
    int out = open(outPath.c_str(), O_WRONLY | O_TRUNC);
    int err = open(errPath.c_str(), O_WRONLY | O_TRUNC);
    int nul = open("/dev/null", O_RDONLY);
    dup2(out, 1);
    dup2(err, 2);
    dup2(nul, 0);
    body();
    fflush(stdout);
    fflush(stderr);
    exit(0);
  }
  RunResult r;
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status))
    r.status = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    r.status = 128 + WTERMSIG(status);
  r.out = fileText(outPath);
  r.err = fileText(errPath);
  unlink(outPath.c_str());
  unlink(errPath.c_str());
  return r;
}

std::vector<char*> argvOf(const std::string& program, const std::vector<std::string>& args,
                          std::vector<std::string>& storage) {
  storage.clear();
  storage.push_back(program);
  storage.insert(storage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : storage) argv.push_back(&s[0]);
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

RunResult runCircuit(void (*build)(), const std::vector<std::string>& args, unsigned timeLimit) {
  return inChild([&] {
    alarm(timeLimit);
    std::vector<std::string> storage;
    std::vector<char*> argv = argvOf("circuit", args, storage);
    Sim(int(argv.size()) - 1, argv.data(), build);
  });
}

RunResult runProgram(const std::string& path, const std::vector<std::string>& args, unsigned timeLimit) {
  return inChild([&] {
    alarm(timeLimit);  // kept across exec
    std::vector<std::string> storage;
    std::vector<char*> argv = argvOf(path, args, storage);
    execv(path.c_str(), argv.data());
    fprintf(stderr, "cannot run %s: %s\n", path.c_str(), strerror(errno));
    _exit(127);
  });
}

RunResult runInChild(const std::function<void()>& body) { return inChild([&] { body(); }); }

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream ss(text);
  std::string line;
  while (std::getline(ss, line)) lines.push_back(line);
  return lines;
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  for (const std::string& l : linesOf(text))
    if (l.compare(0, prefix.size(), prefix) == 0) lines.push_back(l);
  return lines;
}

ScratchFolder::ScratchFolder() {
  char name[] = "/tmp/tarvik-test-XXXXXX";
  path = mkdtemp(name) ? name : "/tmp";
}

ScratchFolder::~ScratchFolder() {
  if (path != "/tmp") std::system(("rm -rf '" + path + "'").c_str());
}

std::string ScratchFolder::write(const std::string& file, const std::string& text) const {
  std::ofstream(path + "/" + file, std::ios::binary) << text;
  return path + "/" + file;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ScratchFolder::read(const std::string& file) const { return fileText(path + "/" + file); }
