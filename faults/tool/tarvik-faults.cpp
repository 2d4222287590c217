// tarvik-faults: how many single stuck-at faults of a circuit do its tests notice?
//
// The fault universe is every net bit the circuit's netlist declares (tarvik-sim NETLIST --fault-nets),
// each held at 0 and at 1.  The good circuit runs the tests once and must pass them; then every fault
// is one run of tarvik-sim with --fault NET[i]=V and the same tests, up to -j at a time.  A fault is
// detected when its run no longer passes: a row or an --expect check fails, the processor does not
// halt within its cap, or the run ends otherwise.  The faults are sorted by name, then filtered
// (--only), sampled (--sample/--seed) and sharded (--shard) in that order, so the result is the same
// whatever -j and the order the runs end in.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "Numbers.h"

extern char** environ;

namespace {

const char usageText[] =
    "Usage: tarvik-faults NETLIST [-j N] [--json] [--only PATH] [--sample N --seed S] [--shard I/N]\n"
    "                     TEST WORDS...\n"
    "\n"
    "Holds each net bit of the circuit in NETLIST (a file of --netlist-out) at 0 and then at 1, one\n"
    "fault a run of tarvik-sim, and reports how many of these faults the tests notice.  TEST WORDS are\n"
    "given to every run: --test TABLE (several allowed) for a circuit, or for a processor --program P\n"
    "--expect E --cycles N --until halt (with its --load images).\n"
    "\n"
    "  -j N          runs at a time (default: the number of cores)\n"
    "  --json        the report as JSON instead of text\n"
    "  --only PATH   only the faults of nets inside module PATH (its name, then . or [)\n"
    "  --sample N    only N faults, picked by --seed S (default 1) from the sorted faults\n"
    "  --shard I/N   only every N-th of the faults, from the I-th (1 <= I <= N)\n"
    "  --timeout S   CPU seconds a run may take before it counts as detected (default 60)\n"
    "  -h, --help    show this text\n"
    "\n"
    "Exit status: 0 when every run ran, whatever the coverage; 2 for bad usage or a circuit that fails\n"
    "its own tests without a fault (ERROR -- ...).  docs/faults.md describes the report.\n";

struct Options {
  std::string netlist;
  std::vector<std::string> testWords;
  unsigned jobs = 0;
  bool json = false;
  std::string only;
  uint64_t sample = 0, seed = 1;
  bool sampled = false;
  unsigned shard = 1, shards = 1;
  unsigned timeout = 60;
};

struct Fault {
  std::string net;  // NET[i]
  int value;
  std::string text() const { return net + "=" + std::to_string(value); }
};

[[noreturn]] void refuse(const std::string& problem) {
  fprintf(stderr, "ERROR -- %s\n", problem.c_str());
  exit(2);
}

// The folder of this program, where tarvik-sim lies beside it (installed, or the build tree's).
std::string simulatorBeside() {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) refuse("cannot find this program's folder (/proc/self/exe)");
  std::string folder(self, size_t(n));
  folder.erase(folder.rfind('/'));
  if (access((folder + "/tarvik-sim").c_str(), X_OK) == 0) return folder + "/tarvik-sim";
  refuse("cannot find tarvik-sim beside tarvik-faults");
}

uint64_t numberArgument(const std::string& option, const std::string& text, uint64_t low, uint64_t high) {
  uint64_t value;
  if (!readNumber(text, decimalFrom(low, high), value))
    refuse(option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
           text);
  return value;
}

void readShard(const std::string& text, Options& o) {
  size_t slash = text.find('/');
  uint64_t i = 0, n = 0;
  if (slash == std::string::npos || !readNumber(text.substr(0, slash), decimalFrom(1, 4096), i) ||
      !readNumber(text.substr(slash + 1), decimalFrom(1, 4096), n) || i > n)
    refuse("--shard needs I/N with 1 <= I <= N, as 2/4");
  o.shard = unsigned(i), o.shards = unsigned(n);
}

Options readOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 == argc) refuse("option " + a + " needs a value");
      return argv[++i];
    };
    if (a == "-h" || a == "--help") fputs(usageText, stdout), exit(0);
    if (a == "-j") o.jobs = unsigned(numberArgument(a, value(), 1, 4096));
    else if (a == "--json") o.json = true;
    else if (a == "--only") o.only = value();
    else if (a == "--sample") o.sample = numberArgument(a, value(), 1, 100000000), o.sampled = true;
    else if (a == "--seed") o.seed = numberArgument(a, value(), 0, UINT64_MAX);
    else if (a == "--shard") readShard(value(), o);
    else if (a == "--timeout") o.timeout = unsigned(numberArgument(a, value(), 1, 86400));
    else if (o.netlist.empty() && (a.empty() || a[0] != '-')) o.netlist = a;
    else o.testWords.push_back(a);
  }
  if (o.netlist.empty()) refuse("no NETLIST given (tarvik-faults --help shows the usage)");
  bool tests = std::find_if(o.testWords.begin(), o.testWords.end(), [](const std::string& w) {
                 return w == "--test" || w == "--expect" || w.rfind("--test=", 0) == 0 || w.rfind("--expect=", 0) == 0;
               }) != o.testWords.end();
  if (!tests) refuse("no tests given: --test TABLE, or --program P --expect E for a processor");
  if (o.jobs == 0) o.jobs = std::max(1u, std::thread::hardware_concurrency());
  return o;
}

struct RunOutcome {
  int status = -1;  // exit status, or 128 + the signal that ended it
  std::string output;
};

// Runs tarvik-sim with words, its CPU time limited; standard output and error kept, the first keep bytes.
RunOutcome runSimulator(const std::string& sim, const std::vector<std::string>& words, unsigned cpuSeconds,
                        size_t keep = 4096) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) refuse(std::string("cannot make a pipe: ") + strerror(errno));
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(sim.c_str()));
  for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) refuse(std::string("cannot start tarvik-sim: ") + strerror(errno));
  if (pid == 0) {
    rlimit cpu{cpuSeconds, cpuSeconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);
    dup2(pipeEnds[1], 1), dup2(pipeEnds[1], 2);
    close(pipeEnds[0]), close(pipeEnds[1]);
    execve(argv[0], argv.data(), environ);
    _exit(127);
  }
  close(pipeEnds[1]);
  RunOutcome o;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    if (o.output.size() < keep) o.output.append(buffer, size_t(std::min<size_t>(size_t(n), keep - o.output.size())));
  }
  close(pipeEnds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return o;
}

std::vector<std::string> runWords(const Options& o, const std::vector<std::string>& extra) {
  std::vector<std::string> words{o.netlist, "-X", "--quiet"};
  words.insert(words.end(), extra.begin(), extra.end());
  words.insert(words.end(), o.testWords.begin(), o.testWords.end());
  return words;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// A net inside module path: its name goes on past path with a dot (or is one of path's own bits).
bool insideModule(const std::string& net, const std::string& path) {
  return path.empty() ||
         (net.compare(0, path.size(), path) == 0 && net.size() > path.size() &&
          (net[path.size()] == '.' || net[path.size()] == '['));
}

// splitmix64: a small generator whose output is fixed for a seed on every machine.
uint64_t nextRandom(uint64_t& state) {
  uint64_t z = (state += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

// The faults this run takes: every listed net at 0 and 1, sorted by name and value, then --only,
// --sample (the first N of a Fisher-Yates shuffle by splitmix64 from the seed, sorted again) and
// --shard (every N-th from the I-th).
std::vector<Fault> faultsToRun(const Options& o, std::vector<std::string> nets) {
  std::sort(nets.begin(), nets.end());
  std::vector<Fault> all;
  for (const std::string& net : nets)
    if (insideModule(net, o.only))
      for (int value : {0, 1}) all.push_back({net, value});
  if (o.sampled && o.sample < all.size()) {
    uint64_t state = o.seed;
    for (size_t i = 0; i < o.sample; ++i) std::swap(all[i], all[i + nextRandom(state) % (all.size() - i)]);
    all.resize(o.sample);
    std::sort(all.begin(), all.end(), [](const Fault& a, const Fault& b) { return a.text() < b.text(); });
  }
  std::vector<Fault> mine;
  for (size_t i = o.shard - 1; i < all.size(); i += o.shards) mine.push_back(all[i]);
  return mine;
}

void printReport(const Options& o, const std::vector<Fault>& faults, const std::vector<char>& detected) {
  std::vector<std::string> undetected;
  for (size_t i = 0; i < faults.size(); ++i)
    if (!detected[i]) undetected.push_back(faults[i].text());
  size_t found = faults.size() - undetected.size();
  if (o.json) {
    nlohmann::ordered_json report;
    report["faults"] = faults.size();
    report["detected"] = found;
    report["undetected"] = undetected;
    report["shard"] = std::to_string(o.shard) + "/" + std::to_string(o.shards);
    if (o.sampled) report["sample"] = {{"size", o.sample}, {"seed", o.seed}};
    if (!o.only.empty()) report["only"] = o.only;
    printf("%s\n", report.dump(2).c_str());
    return;
  }
  double percent = faults.empty() ? 100.0 : 100.0 * double(found) / double(faults.size());
  printf("detected %zu of %zu faults (%.1f%%)\n", found, faults.size(), percent);
  if (!undetected.empty()) printf("undetected:\n");
  for (const std::string& u : undetected) printf("  %s\n", u.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  Options o = readOptions(argc, argv);
  std::string sim = simulatorBeside();
  // The whole list: a processor's runs to tens of kilobytes.
  RunOutcome listed = runSimulator(sim, {o.netlist, "-X", "--quiet", "--fault-nets"}, o.timeout, SIZE_MAX);
  if (listed.status != 0) {
    // tarvik-sim's own refusal of the file says what is wrong with it.
    std::string first = listed.output.empty() ? "" : linesOf(listed.output).front(), prefix = "ERROR -- ";
    refuse(first.compare(0, prefix.size(), prefix) == 0 ? first.substr(prefix.size())
                                                        : "tarvik-sim cannot read " + o.netlist + ": " + first);
  }
  RunOutcome good = runSimulator(sim, runWords(o, {}), o.timeout);
  if (good.status != 0) {
    std::vector<std::string> lines = linesOf(good.output);
    refuse("the circuit without a fault does not pass its tests (status " + std::to_string(good.status) +
           (lines.empty() ? std::string(")") : "): " + lines.front()));
  }
  std::vector<Fault> faults = faultsToRun(o, linesOf(listed.output));
  std::vector<char> detected(faults.size(), 0);
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned j = 0; j < std::min<size_t>(o.jobs, std::max<size_t>(1, faults.size())); ++j)
    threads.emplace_back([&] {
      for (size_t i; (i = next++) < faults.size();)
        detected[i] = runSimulator(sim, runWords(o, {"--fault", faults[i].text()}), o.timeout).status != 0;
    });
  for (std::thread& t : threads) t.join();
  printReport(o, faults, detected);
  return 0;
}
