// Test harness: runs a netlist or a built program in a child process and captures what it prints.
//
// The netlist lives in globals, so every run gets a fresh process: runCircuit forks and calls Sim in
// the child; runProgram executes a built program.  Both return standard output, standard error and the
// exit status.
#ifndef TARVIK_TESTS_HARNESS_H
#define TARVIK_TESTS_HARNESS_H

#include <functional>
#include <string>
#include <vector>

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or 128 + signal number when killed by a signal
};

// Runs Sim(argv, build) in a child; args are the words after the program name.  A child still running
// after timeLimit seconds (0: no limit) is ended by SIGALRM, status 142, so a hang fails the test.
RunResult runCircuit(void (*build)(), const std::vector<std::string>& args, unsigned timeLimit = 0);
// Runs a program, with the same time limit.
RunResult runProgram(const std::string& path, const std::vector<std::string>& args, unsigned timeLimit = 0);
// Runs any function in a child, capturing its output; the status is what it exits with (0 on return).
RunResult runInChild(const std::function<void()>& body);

// Lines of a text, without their line ends.
std::vector<std::string> linesOf(const std::string& text);
// Only the lines that begin with prefix.
std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix);

// The whole content of a file, byte for byte; "" when it cannot be read.
std::string fileText(const std::string& path);

// A fresh folder under /tmp, removed with all it holds when the test ends.
struct ScratchFolder {
  std::string path;
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string write(const std::string& file, const std::string& text) const;  // returns the file's path
  std::string read(const std::string& file) const;                            // "" when it cannot be read
  std::string operator/(const std::string& file) const { return path + "/" + file; }
};

// A file holding text, alone in a scratch folder of its own; both go when the test ends.
struct TextFile {
  ScratchFolder folder;
  std::string path;
  explicit TextFile(const std::string& text, const std::string& name = "text") : path(folder.write(name, text)) {}
};

// The text main() prints before anything else.
extern const char* const startupText;

#endif
