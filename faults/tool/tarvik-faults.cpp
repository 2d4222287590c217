// tarvik-faults: how many single stuck-at faults of a circuit do its tests notice?
//
// The fault universe is every net bit the circuit's netlist declares (tarvik-sim NETLIST --fault-nets),
// each held at 0 and at 1.  The good circuit runs the tests once and must pass them; that run also
// writes the faults in classes of equivalent ones (--fault-classes), and each class is one fault to
// run: its first member, held by a run of tarvik-sim with --fault NET[i]=V and the same tests, up to
// -j at a time.  A fault is detected when its run no longer passes: a row or an --expect check fails,
// the processor does not halt within its cap, or the run ends otherwise.  The classes are sorted by
// their first fault, then filtered (--only), sampled (--sample/--seed) and sharded (--shard) in that
// order, so the result is the same whatever -j and the order the runs end in.  `join` adds up the
// JSON reports of a run's shards into the report of the whole run.
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
    "                     [--no-collapse] [--timeout S] TEST WORDS...\n"
    "       tarvik-faults join [--json] REPORT.json...\n"
    "\n"
    "Holds each net bit of the circuit in NETLIST (a file of --netlist-out) at 0 and then at 1, one\n"
    "fault a run of tarvik-sim, and reports how many of these faults the tests notice.  Equivalent\n"
    "faults (a gate's input and output that no test can tell apart) are run and counted once.  TEST\n"
    "WORDS are given to every run: --test TABLE (several allowed) for a circuit, or for a processor\n"
    "--program P --expect E --cycles N --until halt (with its --load images).  join adds up the --json\n"
    "reports of every shard of one run into the report of the whole run.\n"
    "\n"
    "  -j N          runs at a time (default: the number of cores)\n"
    "  --json        the report as JSON instead of text\n"
    "  --only PATH   only the faults of nets inside module PATH (its name, then . or [)\n"
    "  --sample N    only N faults, picked by --seed S (default 1) from the sorted faults\n"
    "  --shard I/N   only every N-th of the faults, from the I-th (1 <= I <= N)\n"
    "  --no-collapse run every fault, equivalent ones too\n"
    "  --timeout S   CPU seconds a run may take before it counts as detected (default 60)\n"
    "  -h, --help    show this text\n"
    "\n"
    "Exit status: 0 when every run ran, whatever the coverage; 2 for bad usage, a circuit that fails\n"
    "its own tests without a fault, or shards that do not make one run (ERROR -- ...).\n"
    "docs/faults.md describes the report.\n";

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
  bool collapse = true;
};

// Faults no test can tell apart, sorted; the first is the one run.
struct FaultClass {
  std::vector<std::string> members;  // NET[i]=V
  const std::string& text() const { return members.front(); }
  bool operator<(const FaultClass& other) const { return text() < other.text(); }
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

// I/N with 1 <= I <= N <= 4096.
bool shardOf(const std::string& text, unsigned& index, unsigned& count) {
  size_t slash = text.find('/');
  uint64_t i = 0, n = 0;
  if (slash == std::string::npos || !readNumber(text.substr(0, slash), decimalFrom(1, 4096), i) ||
      !readNumber(text.substr(slash + 1), decimalFrom(1, 4096), n) || i > n)
    return false;
  index = unsigned(i), count = unsigned(n);
  return true;
}

void readShard(const std::string& text, Options& o) {
  if (!shardOf(text, o.shard, o.shards)) refuse("--shard needs I/N with 1 <= I <= N, as 2/4");
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
    else if (a == "--no-collapse") o.collapse = false;
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

// The classes of the good run's file; with --no-collapse, every fault a class of its own.  The file
// ends with "# F faults in C classes": without it (a run that ended before writing the file) or with
// other counts, nothing is graded.
std::vector<FaultClass> classesOf(const std::string& text, bool collapse) {
  std::vector<FaultClass> classes;
  size_t faultCount = 0, classCount = 0;
  std::string closing;
  for (const std::string& line : linesOf(text)) {
    if (!line.empty() && line[0] == '#') {
      closing = line;
      continue;
    }
    std::vector<std::string> members;
    for (size_t at = 0; at < line.size();) {
      size_t end = std::min(line.find(' ', at), line.size());
      members.push_back(line.substr(at, end - at));
      at = end + 1;
    }
    if (members.empty()) continue;
    faultCount += members.size(), classCount++;
    if (collapse) classes.push_back({members});
    else
      for (const std::string& m : members) classes.push_back({{m}});
  }
  if (closing != "# " + std::to_string(faultCount) + " faults in " + std::to_string(classCount) + " classes")
    refuse("the run without a fault did not write its whole list of faults (--fault-classes)");
  std::sort(classes.begin(), classes.end());
  return classes;
}

// The classes this run takes: sorted by their first fault, then --only (by the first fault's net),
// --sample (the first N of a Fisher-Yates shuffle by splitmix64 from the seed, sorted again) and
// --shard (every N-th from the I-th).
std::vector<FaultClass> faultsToRun(const Options& o, std::vector<FaultClass> classes) {
  std::vector<FaultClass> all;
  for (FaultClass& c : classes)
    if (insideModule(c.text().substr(0, c.text().rfind('=')), o.only)) all.push_back(std::move(c));
  if (o.sampled && o.sample < all.size()) {
    uint64_t state = o.seed;
    for (size_t i = 0; i < o.sample; ++i) std::swap(all[i], all[i + nextRandom(state) % (all.size() - i)]);
    all.resize(o.sample);
    std::sort(all.begin(), all.end());
  }
  std::vector<FaultClass> mine;
  for (size_t i = o.shard - 1; i < all.size(); i += o.shards) mine.push_back(all[i]);
  return mine;
}

// What a report says, whether from one run or joined from shards.
struct Report {
  size_t faults = 0, detected = 0, universe = 0;  // classes run, classes detected, single faults in them
  std::vector<FaultClass> undetected;             // sorted
  nlohmann::ordered_json settings;                // sample, only, collapse: the same in every shard
};

Report reportOf(const Options& o, const std::vector<FaultClass>& classes, const std::vector<char>& detected) {
  Report r;
  r.faults = classes.size();
  for (size_t i = 0; i < classes.size(); ++i) {
    r.universe += classes[i].members.size();
    if (detected[i]) r.detected++;
    else r.undetected.push_back(classes[i]);
  }
  if (o.sampled) r.settings["sample"] = {{"size", o.sample}, {"seed", o.seed}};
  if (!o.only.empty()) r.settings["only"] = o.only;
  if (!o.collapse) r.settings["collapse"] = false;
  return r;
}

// The others of a class, as the text report shows them beside its first fault.
std::string equivalentsText(const FaultClass& c) {
  std::string text;
  for (size_t k = 1; k < c.members.size(); k++) text += (k > 1 ? ", " : " (equivalent: ") + c.members[k];
  return c.members.size() > 1 ? text + ")" : text;
}

void printReport(const Report& r, const std::string& shard, bool json) {
  if (json) {
    nlohmann::ordered_json report;
    report["faults"] = r.faults;
    report["detected"] = r.detected;
    report["undetected"] = nlohmann::json::array();
    nlohmann::ordered_json equivalent = nlohmann::ordered_json::object();
    for (const FaultClass& c : r.undetected) {
      report["undetected"].push_back(c.text());
      if (c.members.size() > 1) equivalent[c.text()] = std::vector<std::string>(c.members.begin() + 1, c.members.end());
    }
    report["equivalent"] = equivalent;
    report["universe"] = r.universe;
    report["shard"] = shard;
    for (auto& setting : r.settings.items()) report[setting.key()] = setting.value();
    printf("%s\n", report.dump(2).c_str());
    return;
  }
  double percent = r.faults == 0 ? 100.0 : 100.0 * double(r.detected) / double(r.faults);
  printf("detected %zu of %zu faults (%.1f%%)\n", r.detected, r.faults, percent);
  if (r.universe != r.faults)
    printf("(%zu single stuck-at faults; equivalent ones run and counted once)\n", r.universe);
  if (!r.undetected.empty()) printf("undetected:\n");
  for (const FaultClass& c : r.undetected) printf("  %s%s\n", c.text().c_str(), equivalentsText(c).c_str());
}

// One shard's JSON report, checked as far as join needs it.
Report shardReport(const std::string& file, unsigned& index, unsigned& count) {
  FILE* in = fopen(file.c_str(), "rb");
  if (!in) refuse(file + ": " + strerror(errno));
  nlohmann::ordered_json j = nlohmann::ordered_json::parse(in, nullptr, false);
  fclose(in);
  auto bad = [&](const std::string& why) { refuse(file + ": not a report of tarvik-faults --json (" + why + ")"); };
  if (j.is_discarded() || !j.is_object()) bad("no JSON object");
  for (const char* key : {"faults", "detected", "universe"})
    if (!j.contains(key) || !j[key].is_number_unsigned()) bad(std::string("no count ") + key);
  if (!j.contains("undetected") || !j["undetected"].is_array() || !j.contains("equivalent") ||
      !j["equivalent"].is_object() || !j.contains("shard") || !j["shard"].is_string())
    bad("no undetected, equivalent or shard");
  if (!shardOf(j["shard"], index, count)) bad("shard " + j["shard"].get<std::string>());
  Report r;
  r.faults = j["faults"], r.detected = j["detected"], r.universe = j["universe"];
  if (r.detected > r.faults || r.faults - r.detected != j["undetected"].size() || r.universe < r.faults)
    bad("its counts do not add up");
  for (const auto& u : j["undetected"]) {
    if (!u.is_string()) bad("an undetected fault that is no text");
    FaultClass c{{u.get<std::string>()}};
    if (j["equivalent"].contains(c.text()))
      for (const auto& m : j["equivalent"][c.text()]) c.members.push_back(m.is_string() ? m.get<std::string>() : "?");
    r.undetected.push_back(c);
  }
  for (const char* key : {"sample", "only", "collapse"})
    if (j.contains(key)) r.settings[key] = j[key];
  return r;
}

// tarvik-faults join: every shard of one run once, with the same settings, added up.
int joinReports(int argc, char** argv) {
  bool json = false;
  std::vector<std::string> files;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--json") json = true;
    else if (a == "-h" || a == "--help") fputs(usageText, stdout), exit(0);
    else if (!a.empty() && a[0] == '-') refuse("join takes --json and report files, not " + a);
    else files.push_back(a);
  }
  if (files.empty()) refuse("join needs the JSON reports of a run's shards");
  Report whole;
  std::vector<std::string> seen;
  unsigned shards = 0;
  for (const std::string& file : files) {
    unsigned index = 0, count = 0;
    Report part = shardReport(file, index, count);
    if (seen.empty()) shards = count, seen.assign(count, ""), whole.settings = part.settings;
    if (count != shards) refuse(file + " is shard " + std::to_string(index) + "/" + std::to_string(count) + " of another split than " + files[0] + " (" + std::to_string(shards) + " shards)");
    if (part.settings != whole.settings) refuse(file + " was run with other --sample, --only or --no-collapse than " + files[0]);
    if (!seen[index - 1].empty()) refuse("shard " + std::to_string(index) + "/" + std::to_string(count) + " is given twice: " + seen[index - 1] + " and " + file);
    seen[index - 1] = file;
    whole.faults += part.faults, whole.detected += part.detected, whole.universe += part.universe;
    whole.undetected.insert(whole.undetected.end(), part.undetected.begin(), part.undetected.end());
  }
  for (unsigned i = 0; i < shards; ++i)
    if (seen[i].empty()) refuse("shard " + std::to_string(i + 1) + "/" + std::to_string(shards) + " is missing");
  std::sort(whole.undetected.begin(), whole.undetected.end());
  printReport(whole, "1/1", json);
  return 0;
}

// A scratch file for the good run's classes, removed when read.
std::string classesScratchFile() {
  const char* tmp = getenv("TMPDIR");
  std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarvik-faults-XXXXXX";
  int fd = mkstemp(&name[0]);
  if (fd < 0) refuse("cannot make a scratch file in " + name.substr(0, name.rfind('/')) + ": " + strerror(errno));
  close(fd);
  return name;
}

std::string takeScratchFile(const std::string& name) {
  std::string text;
  if (FILE* in = fopen(name.c_str(), "rb")) {
    char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
    fclose(in);
  }
  unlink(name.c_str());
  return text;
}

// The good run: it must pass; it writes the classes of the universe.
std::vector<FaultClass> goodRunClasses(const Options& o, const std::string& sim) {
  std::string scratch = classesScratchFile();
  RunOutcome good = runSimulator(sim, runWords(o, {"--fault-classes", scratch}), o.timeout);
  std::string classes = takeScratchFile(scratch);
  if (good.status != 0) {
    std::vector<std::string> lines = linesOf(good.output);
    std::string first = lines.empty() ? "" : lines.front(), prefix = "ERROR -- ";
    // tarvik-sim's own refusal of the file or the tests says what is wrong.
    if (first.compare(0, prefix.size(), prefix) == 0) refuse(first.substr(prefix.size()));
    refuse("the circuit without a fault does not pass its tests (status " + std::to_string(good.status) +
           (lines.empty() ? std::string(")") : "): " + first));
  }
  return classesOf(classes, o.collapse);
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  if (argc > 1 && std::string(argv[1]) == "join") return joinReports(argc, argv);
  Options o = readOptions(argc, argv);
  std::string sim = simulatorBeside();
  std::vector<FaultClass> faults = faultsToRun(o, goodRunClasses(o, sim));
  std::vector<char> detected(faults.size(), 0);
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned j = 0; j < std::min<size_t>(o.jobs, std::max<size_t>(1, faults.size())); ++j)
    threads.emplace_back([&] {
      for (size_t i; (i = next++) < faults.size();)
        detected[i] = runSimulator(sim, runWords(o, {"--fault", faults[i].text()}), o.timeout).status != 0;
    });
  for (std::thread& t : threads) t.join();
  printReport(reportOf(o, faults, detected), std::to_string(o.shard) + "/" + std::to_string(o.shards), o.json);
  return 0;
}
