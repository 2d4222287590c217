// tarvik-faults: the stuck-at faults a table notices, on the examples' netlists: every one for an
// exhaustive table of an irredundant circuit, exactly the carry-in's for a table that never carries,
// the redundant term's for a circuit that has one; the same report whatever -j, sample or shards, and
// joined shards equal to a single run; faults collapsed only where they are equivalent.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "Harness.h"

namespace {

const std::string faultsProgram = TARVIK_FAULTS_PROGRAM;
const std::string simProgram = std::string(TARVIK_FAULTS_PROGRAM).substr(0, std::string(TARVIK_FAULTS_PROGRAM).rfind('/')) + "/tarvik-sim";
const std::string examples = std::string(TARVIK_SOURCE_DIR) + "/examples/";

// The netlist of an example circuit, written into the scratch folder.
std::string netlistOf(const ScratchFolder& s, const std::string& circuit) {
  std::string file = s / (circuit + ".net");
  EXPECT_EQ(runProgram(std::string(TARVIK_EXAMPLES_DIR) + "/" + circuit, {"--quiet", "--netlist-out", file}).status, 0);
  return file;
}

RunResult faults(std::vector<std::string> args) { return runProgram(faultsProgram, args, 120); }

std::string collapsed(int universe) {
  return "(" + std::to_string(universe) + " single stuck-at faults; equivalent ones run and counted once)\n";
}

TEST(FaultCoverage, ReportsTheFaultsATableMisses) {
  ScratchFolder s;
  // The full adder's rows with cin at 1 all have a and b at 0: carryB = half AND cin is never 1.
  std::string noCarry = s.write("no-carry.test", "a b cin : s cout\n0 0 0 : 0 0\n0 0 1 : 1 0\n1 1 0 : 0 1\n"
                                                 "1 0 0 : 1 0\n0 1 0 : 1 0\n");
  struct Case {
    std::string circuit, table, out;
  } cases[] = {
      {"full_adder", examples + "full_adder.test", "detected 14 of 14 faults (100.0%)\n" + collapsed(16)},
      {"full_adder", noCarry, "detected 13 of 14 faults (92.9%)\n" + collapsed(16) + "undetected:\n  carryB[0]=0\n"},
      {"full_adder", s.write("carries.test", "a b cin : s cout\n1 1 0 : 0 1\n0 1 1 : 0 1\n"),
       "detected 11 of 14 faults (78.6%)\n" + collapsed(16) +
           "undetected:\n  b[0]=1\n  carryA[0]=1 (equivalent: carryB[0]=1, cout[0]=1)\n  s[0]=0\n"},
      {"ripple_adder", examples + "ripple_adder.test", "detected 50 of 50 faults (100.0%)\n" + collapsed(58)},
      {"redundant", examples + "redundant.test",
       "detected 8 of 11 faults (72.7%)\n" + collapsed(12) + "undetected:\n  abc[0]=0\n  c[0]=0\n  c[0]=1\n"},
      {"redundant", examples + "redundant.test --no-collapse",
       "detected 9 of 12 faults (75.0%)\nundetected:\n  abc[0]=0\n  c[0]=0\n  c[0]=1\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{netlistOf(s, c.circuit), "--test"};
    for (size_t at = 0; at < c.table.size();) {
      size_t end = std::min(c.table.find(' ', at), c.table.size());
      args.push_back(c.table.substr(at, end - at));
      at = end + 1;
    }
    RunResult r = faults(args);
    EXPECT_EQ(r.out, c.out) << c.circuit << " " << r.err;
    EXPECT_EQ(r.status, 0);
  }
}

// Shards split the sorted faults, so together they hold the whole run's; a sample is the same for its
// seed, and neither depends on -j.
TEST(FaultCoverage, ShardsAndSamplesAreTheSameWhateverTheJobs) {
  ScratchFolder s;
  std::string net = netlistOf(s, "ripple_adder"), table = s.write("few.test", "a b cin : sum\n3 5 0 : 8\n15 1 1 : 1\n");
  auto report = [&](std::vector<std::string> options) {
    options.insert(options.begin(), {net, "--json", "--test", table});
    RunResult r = faults(options);
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out);
  };
  nlohmann::json whole = report({"-j", "1"});
  EXPECT_EQ(report({"-j", "2"}), whole);
  size_t detected = 0;
  std::vector<std::string> undetected;
  for (const char* shard : {"1/3", "2/3", "3/3"}) {
    nlohmann::json part = report({"--shard", shard, "-j", "2"});
    detected += part["detected"].get<size_t>();
    for (const auto& u : part["undetected"]) undetected.push_back(u);
  }
  std::sort(undetected.begin(), undetected.end());
  EXPECT_EQ(detected, whole["detected"].get<size_t>());
  EXPECT_EQ(nlohmann::json(undetected), whole["undetected"]);
  // join adds the shards' files up to the whole run's report, in any order.
  std::vector<std::string> files;
  for (const char* shard : {"3/3", "1/3", "2/3"}) {
    RunResult part = faults({net, "--json", "--test", table, "--shard", shard});
    files.push_back(s.write("shard" + std::string(1, shard[0]) + ".json", part.out));
  }
  std::vector<std::string> join{"join", "--json"};
  join.insert(join.end(), files.begin(), files.end());
  RunResult joined = faults(join);
  EXPECT_EQ(joined.status, 0) << joined.err;
  EXPECT_EQ(joined.out, faults({net, "--json", "--test", table}).out);
  join.erase(join.begin() + 1);
  EXPECT_EQ(faults(join).out, faults({net, "--test", table}).out);
  nlohmann::json sample = report({"--sample", "10", "--seed", "7"});
  EXPECT_EQ(sample["faults"], 10);
  EXPECT_EQ(report({"--sample", "10", "--seed", "7", "-j", "1"}), sample);
  EXPECT_NE(report({"--sample", "10", "--seed", "8"})["undetected"], sample["undetected"]);
  EXPECT_EQ(report({"--only", "carry", "--no-collapse"})["faults"], 8);  // carry[0..3], not carryA or carryB
}

// A processor's universe is thousands of faults, its list tens of kilobytes: every one is taken.  Shard 1
// of 1000 runs every 1000th of them, the first included.
TEST(FaultCoverage, TakesAProcessorsWholeUniverse) {
  ScratchFolder s;
  const std::string processor = std::string(TARVIK_EXAMPLES_DIR) + "/../pipeline/5a-LD-hazard";
  std::string net = s / "cpu.net", programs = std::string(TARVIK_SOURCE_DIR) + "/examples/programs/";
  ASSERT_EQ(runProgram(processor, {"--quiet", "--netlist-out", net}).status, 0);
  size_t nets = linesOf(runProgram(processor, {"-X", "--quiet", "--fault-nets"}).out).size();
  ASSERT_GT(nets, 1000u);
  RunResult r = faults({net, "--json", "--no-collapse", "--shard", "1/1000", "--program", programs + "sum.s", "--expect",
                        programs + "sum.expect", "--cycles", "300", "--until", "halt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["faults"], (2 * nets + 999) / 1000);
}

// Faults of one class are equivalent: every member of each class gets the same verdict from tables
// that miss some of them; a circuit with an inverter chain and a fan-out makes classes of several, and
// a net a table names itself (here carryA) stays out of its gate's class.
TEST(FaultCoverage, EveryMemberOfAClassHasTheSameVerdict) {
  ScratchFolder s;
  struct Case {
    std::string circuit, table;
  } cases[] = {
      {"full_adder", s.write("carries.test", "a b cin : s cout\n1 1 0 : 0 1\n0 1 1 : 0 1\n")},
      {"full_adder", s.write("named.test", "a b cin : carryA\n1 1 0 : 1\n")},
      {"ripple_adder", s.write("few.test", "a b cin : sum\n3 5 0 : 8\n15 1 1 : 1\n")},
  };
  size_t members = 0;
  for (const Case& c : cases) {
    std::string net = netlistOf(s, c.circuit), file = s / "classes.txt";
    ASSERT_EQ(runProgram(simProgram, {net, "-X", "--quiet", "--test", c.table, "--fault-classes", file}).status, 0);
    for (const std::string& line : linesOf(s.read("classes.txt"))) {
      std::vector<int> statuses;
      for (size_t at = 0; at < line.size();) {
        size_t end = std::min(line.find(' ', at), line.size());
        statuses.push_back(runProgram(simProgram, {net, "-X", "--quiet", "--test", c.table, "--fault",
                                                   line.substr(at, end - at)}).status);
        at = end + 1;
      }
      members += statuses.size() - 1;
      EXPECT_EQ(std::count(statuses.begin(), statuses.end(), statuses[0]), long(statuses.size())) << line;
      if (c.table.find("named") != std::string::npos) {
        EXPECT_EQ(line.find("carryA[0]=1 "), std::string::npos) << line;
      }
    }
  }
  EXPECT_GT(members, 5u);
}

TEST(FaultCoverage, BadInputIsRefusedBeforeAnyFault) {
  ScratchFolder s;
  std::string net = netlistOf(s, "full_adder"), wrong = s.write("wrong.test", "a b cin : s\n1 1 1 : 0\n");
  auto shard = [&](const char* which, const char* file) {
    return s.write(file, faults({net, "--json", "--test", examples + "full_adder.test", "--shard", which}).out);
  };
  std::string one = shard("1/2", "one.json"), other = shard("1/3", "other.json");
  std::string lying = s.write("lying.json", "{\"faults\": 14, \"detected\": 14, \"undetected\": [\"a[0]=0\"], "
                                            "\"equivalent\": {}, \"universe\": 16, \"shard\": \"1/1\"}");
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{net}, "no tests given: --test TABLE, or --program P --expect E for a processor"},
      {{net, "--test", wrong, "--shard", "4/3"}, "--shard needs I/N with 1 <= I <= N, as 2/4"},
      {{net, "--test", wrong}, "the circuit without a fault does not pass its tests (status 1): " + wrong +
                                   ":2: step 1: s expected 0, actual 1"},
      {{s / "none.net", "--test", wrong}, s / "none.net" + ": No such file or directory"},
      {{"join", one, one}, "shard 1/2 is given twice: " + one + " and " + one},
      {{"join", one}, "shard 2/2 is missing"},
      {{"join", one, other}, other + " is shard 1/3 of another split than " + one + " (2 shards)"},
      {{"join", one, net}, net + ": not a report of tarvik-faults --json (no JSON object)"},
      {{"join", lying}, lying + ": not a report of tarvik-faults --json (its counts do not add up)"},
  };
  for (const Case& c : cases) {
    RunResult r = faults(c.args);
    EXPECT_EQ(r.err, "ERROR -- " + c.err + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 2);
  }
}

}  // namespace
