// Random circuits (RandomCircuit.h), run headless to their stop time or until they rest: no crash or
// sanitizer report, exit status 0, the same output and the same trace of batches on a second run with
// every component evaluated through its routine, a queue that stays bounded and is empty when the
// circuit rests, and every line on standard error and standard output of a known form.
//
// A fixed set of seeds runs here, a few per kind of circuit.  TARVIK_RANDOM_SEEDS (seeds per kind)
// and TARVIK_RANDOM_FIRST (first seed number per kind) run others; bench/random-circuits runs many.
// TARVIK_RANDOM_SHOW prints what each run wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "Harness.h"
#include "RandomCircuit.h"

namespace {

const char* const valueName = "(ZERO|ONE|XXX|HIZ|UNINITIALIZED)";

// A message of one line, or the first line of a message of several whose other lines must follow.
struct MessageForm {
  std::regex first;
  std::vector<std::regex> following;
};

const std::vector<MessageForm>& stderrForms() {
  static const std::vector<MessageForm> forms = [] {
    std::string v = valueName;
    auto one = [](const std::string& re) { return MessageForm{std::regex(re), {}}; };
    std::vector<MessageForm> f;
    f.push_back(one("Time = \\d+  Probe for .* at .*  Value = " + v));
    f.push_back(one("There are \\d+ components\\."));
    f.push_back(one("There are \\d+ signals\\."));
    f.push_back(one("There are \\d+ inputUnconnectedWarnings"));
    f.push_back(one("Warning -- signal\\[\\d+\\] \\S+ has no driver, cmp = \\d+ .* at .* has unconnected DATA input, "
                    "position = \\d+"));
    f.push_back(one("Warning -- signal\\[\\d+\\] has no driver, cmp = \\d+ .* at .* has unconnected CONTROL input, "
                    "position = \\d+"));
    f.push_back({std::regex("TIME WARP  sigNr = \\d+ sigName = \\S+"),
                 {std::regex(" already sked to become " + v + " at time = \\d+, which was queued at time = \\d+"),
                  std::regex("  Now scheduling to become " + v + " at time = \\d+\\.  Now Queueing-time = \\d+")}});
    f.push_back(one("Counter clocked when the count is in transition"));
    f.push_back(one("-?\\d+"));  // IntOut
    f.push_back({std::regex(""),
                 {std::regex("ERROR -- IntOut component trying to output uninitialized bits "),
                  std::regex(" or bits in transition\\. state = 4")}});
    f.push_back({std::regex("ERROR-- (Ram|RegFile) at \\S+ componentNumber = \\d+"),
                 {std::regex("     Attempt to write with indeterminate write-port address\\."),
                  std::regex("     The component is probably enabled when it shouldn't be\\.")}});
    f.push_back(one("Keyboard input:  Character \\(char=#,int=35\\) with no corresponding component activation "
                    "defined\\."));
    f.push_back(one("Keyboard input:  Character \\(char=[a-p],int=\\d+\\) with no corresponding component activation "
                    "defined\\."));
    return f;
  }();
  return forms;
}

// The first line of text that is not part of a known message, or "" when all are.
std::string unknownLine(const std::string& text, const std::vector<MessageForm>& forms) {
  std::vector<std::string> lines = linesOf(text);
  for (size_t i = 0; i < lines.size();) {
    size_t matched = 0;
    for (const MessageForm& f : forms) {
      if (!std::regex_match(lines[i], f.first)) continue;
      size_t k = 0;
      while (k < f.following.size() && i + 1 + k < lines.size() && std::regex_match(lines[i + 1 + k], f.following[k]))
        k++;
      if (k == f.following.size()) {
        matched = 1 + k;
        break;
      }
    }
    if (!matched) return "line " + std::to_string(i + 1) + ": [" + lines[i] + "]";
    i += matched;
  }
  return "";
}

struct Summary {
  unsigned long long time = 0;
  int queue = -1, maxQueue = -1, settled = -1, signals = -1;
};

// Standard output (Sim alone prints no start-up text): bus-conflict reports, then the observer's
// summary line last.
bool readStandardOutput(const std::string& out, Summary& s, std::string& problem) {
  std::vector<std::string> lines = linesOf(out);
  static const std::regex conflict("Another Tsb at \\S+ is trying to drive it to (ONE|ZERO), this is not allowed");
  for (size_t i = 0; i + 1 < lines.size(); i++)
    if (!std::regex_match(lines[i], conflict)) {
      problem = "unknown output line [" + lines[i] + "]";
      return false;
    }
  if (lines.empty() || sscanf(lines.back().c_str(), "random circuit: time=%llu queue=%d maxQueue=%d settled=%d signals=%d trace=",
                              &s.time, &s.queue, &s.maxQueue, &s.settled, &s.signals) != 5) {
    problem = "no summary line";
    return false;
  }
  return true;
}

void checkSeed(uint64_t seed) {
  RandomCircuitRun run = randomCircuitRun(seed);
  SCOPED_TRACE("seed " + std::to_string(seed) + ", keys [" + run.keys + "], stop time " +
               std::to_string(run.stopTime));
  randomCircuitSeed = seed;
  RunResult first = runCircuit(buildRandomCircuit, run.arguments());
  // The second run evaluates every gate and flip-flop through its routine: the run loop's own
  // evaluation of them must make no difference at all.
  directEvaluationFlag = 0;
  RunResult second = runCircuit(buildRandomCircuit, run.arguments());
  directEvaluationFlag = 1;
  if (getenv("TARVIK_RANDOM_SHOW")) printf("%s%s", first.out.c_str(), first.err.c_str());
  ASSERT_EQ(first.status, 0) << first.err.substr(first.err.size() > 2000 ? first.err.size() - 2000 : 0);
  EXPECT_EQ(second.status, first.status);
  EXPECT_TRUE(second.out == first.out) << "standard output differs between two runs";
  EXPECT_TRUE(second.err == first.err) << "standard error differs between two runs";

  Summary s;
  std::string problem;
  ASSERT_TRUE(readStandardOutput(first.out, s, problem)) << problem;
  EXPECT_GE(s.queue, 0);
  EXPECT_LE(s.maxQueue, 64 * s.signals + 64) << "queue grew without bound";
  if (s.settled) {
    EXPECT_EQ(s.queue, 0) << "a circuit at rest left events queued";
  }
  EXPECT_EQ(unknownLine(first.err, stderrForms()), "");
  EXPECT_EQ(linesStartingWith(first.err, "There are ").size() >= 2, true) << "no construction summary";
}

long environmentNumber(const char* name, long otherwise) {
  const char* text = getenv(name);
  return text && *text ? strtol(text, nullptr, 10) : otherwise;
}

// The seeds of one kind of circuit: kind, kind + 4, kind + 8, ...
void checkFlavour(RandomCircuitFlavour flavour) {
  long first = environmentNumber("TARVIK_RANDOM_FIRST", 0), count = environmentNumber("TARVIK_RANDOM_SEEDS", 6);
  for (long i = first; i < first + count; i++) {
    checkSeed(uint64_t(i) * 4 + uint64_t(flavour));
    if (::testing::Test::HasFatalFailure()) return;
  }
}

}  // namespace

TEST(RandomCircuits, SwitchesAndGates) { checkFlavour(combinationalFlavour); }
TEST(RandomCircuits, ClockedLogic) { checkFlavour(clockedFlavour); }
TEST(RandomCircuits, MemoriesAndBuses) { checkFlavour(memoryFlavour); }
TEST(RandomCircuits, EverythingTogether) { checkFlavour(mixedFlavour); }

// The generator itself: a seed always gives the same run, and circuits differ from seed to seed.
TEST(RandomCircuits, TheSeedDecidesTheCircuitAndTheRun) {
  RandomCircuitRun a = randomCircuitRun(12), b = randomCircuitRun(12);
  EXPECT_EQ(a.keys, b.keys);
  EXPECT_EQ(a.stopTime, b.stopTime);
  randomCircuitSeed = 12;
  RunResult one = runCircuit(buildRandomCircuit, {"-X", "-E"});
  randomCircuitSeed = 16;
  RunResult other = runCircuit(buildRandomCircuit, {"-X", "-E"});
  EXPECT_EQ(one.status, 0);
  EXPECT_NE(linesStartingWith(one.err, "There are "), linesStartingWith(other.err, "There are "));
}
