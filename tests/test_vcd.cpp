// Waveform dumps (--vcd): the variables and scopes of a circuit, the values and their times, read
// directly and through GTKWave's own converters (vcd2fst, then fst2vcd back); restarts; the
// processor's registers against its probes; files that cannot be created or written.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Harness.h"
#include "Sim.h"

namespace {

// ---- A reader of value change dumps -------------------------------------------------------------

struct Waveform {
  std::map<std::string, int> width;  // variable path (top.Pair.mid) -> width
  std::vector<std::string> scopes;   // scope paths in the order they open
  std::map<std::string, std::vector<std::pair<uint64_t, std::string>>> changes;  // path -> (time, value)
  std::vector<uint64_t> times;                                                   // timestamps in file order
  std::vector<std::string> comments;  // comments among the value changes
  std::string timescale;
};

std::string restOfCommand(std::istream& in) {
  std::string text, t;
  while (in >> t && t != "$end") text += (text.empty() ? "" : " ") + t;
  return text;
}

// Widens a vector value as the format says: with its leading x or z, else with 0.
std::string widened(const std::string& v, int width) {
  char fill = v.empty() || (v[0] != 'x' && v[0] != 'z') ? '0' : v[0];
  return v.size() >= size_t(width) ? v : std::string(size_t(width) - v.size(), fill) + v;
}

Waveform readVcd(const std::string& text) {
  Waveform w;
  std::istringstream in(text);
  std::vector<std::string> stack;
  std::map<std::string, std::string> pathOf;  // identifier code -> path
  bool definitions = true;
  uint64_t now = 0;
  auto change = [&](const std::string& code, const std::string& value) {
    const std::string& path = pathOf[code];
    std::vector<std::pair<uint64_t, std::string>>& c = w.changes[path];
    std::string v = widened(value, w.width[path]);
    if (!c.empty() && c.back().first == now)
      c.back().second = v;
    else
      c.push_back({now, v});
  };
  for (std::string t; in >> t;) {
    if (t == "$scope") {
      std::string kind, name;
      in >> kind >> name;
      restOfCommand(in);
      stack.push_back(name);
      std::string path;
      for (const std::string& s : stack) path += (path.empty() ? "" : ".") + s;
      w.scopes.push_back(path);
    } else if (t == "$upscope") {
      restOfCommand(in);
      stack.pop_back();
    } else if (t == "$var") {
      std::string kind, code, name;
      int width = 0;
      in >> kind >> width >> code >> name;
      restOfCommand(in);
      std::string path;
      for (const std::string& s : stack) path += s + ".";
      pathOf[code] = path + name;
      w.width[path + name] = width;
    } else if (t == "$timescale") {
      w.timescale = restOfCommand(in);
    } else if (t == "$comment") {
      std::string c = restOfCommand(in);
      if (!definitions) w.comments.push_back(c);
    } else if (t == "$enddefinitions") {
      restOfCommand(in);
      definitions = false;
    } else if (t == "$date" || t == "$version") {
      restOfCommand(in);
    } else if (t == "$dumpvars" || t == "$dumpall" || t == "$end") {
    } else if (t[0] == '#') {
      now = std::stoull(t.substr(1));
      w.times.push_back(now);
    } else if (t[0] == 'b' || t[0] == 'B') {
      std::string code;
      in >> code;
      change(code, t.substr(1));
    } else {
      change(t.substr(1), t.substr(0, 1));
    }
  }
  return w;
}

// The dump as GTKWave reads it: converted to its own format and written out again by its tools.
std::string throughGtkwave(const ScratchFolder& dir, const std::string& vcd) {
  std::string fst = dir / "w.fst", back = dir / "back.vcd";
  std::string command = "vcd2fst '" + vcd + "' '" + fst + "' >/dev/null 2>&1 && fst2vcd '" + fst + "' > '" + back + "'";
  if (system(command.c_str()) != 0) return "conversion failed";
  return fileText(back);
}

// The value letter a probe report stands for in a dump.
std::string dumpLetter(const std::string& name) {
  if (name == "ZERO") return "0";
  if (name == "ONE") return "1";
  if (name == "HIZ") return "z";
  return "x";
}

// Probe reports of one label as changes of a dump, times shifted by offset, repeats folded.
std::vector<std::pair<uint64_t, std::string>> probeChanges(const std::string& err, const std::string& label,
                                                           uint64_t offset = 0, size_t fromLine = 0) {
  std::vector<std::pair<uint64_t, std::string>> c;
  std::vector<std::string> lines = linesOf(err);
  for (size_t i = fromLine; i < lines.size(); i++) {
    const std::string& l = lines[i];
    if (l.compare(0, 7, "Time = ") != 0 || l.find("  Probe for " + label + " at ") == std::string::npos) continue;
    uint64_t t = std::stoull(l.substr(7)) + offset;
    std::string v = dumpLetter(l.substr(l.find("  Value = ") + 10));
    if (!c.empty() && c.back().second == v) continue;
    c.push_back({t, v});
  }
  return c;
}

// ---- Circuits -------------------------------------------------------------------------------------

void pair(const SD& box, const Signal& in, const Signal& out) {
  Module(box, "Pair", in, out);
  Signal mid(1, "mid");
  Not(SD(box, "aa"), in, mid);
  Not(SD(box, "ab"), mid, out);
}

// Two pairs of inverters side by side at the top, and inside a box two more at one position (as
// module functions often place their parts), with same-named bundles and names the format cannot hold.
void modular() {
  Signal a(1, "a"), x(1, "x"), y(1, "y"), z(1, "z"), word(4, 5u, "word"), bus(1, "bus"), idle(3, "idle");
  Switch(SD("aa"), a, 'a', Zero, "A");
  pair(SD("ab"), a, x);
  pair(SD("ac"), x, y);
  SD outer("ad");
  Module(outer, "Outer", y, z);
  Signal inner(1, "inner"), spaced(2, "two words"), dotted(1, "a.b"), again(1, "inner");
  pair(SD(outer, "aa"), y, inner);
  pair(SD(outer, "aa"), inner, z);
  Tsb(SD("ae"), One, Zero, bus);
  Probe(SD("af"), z, "z");
  Probe(SD("ag"), bus, "bus");
}

const std::map<std::string, int> modularVariables = {
    {"top.Zero", 1}, {"top.One", 1}, {"top.a", 1}, {"top.x", 1}, {"top.y", 1}, {"top.z", 1},
    {"top.word", 4}, {"top.bus", 1}, {"top.idle", 3}, {"top.Pair.mid", 1}, {"top.Pair_1.mid", 1},
    {"top.Outer.inner", 1}, {"top.Outer.two_words", 2}, {"top.Outer.a_b", 1}, {"top.Outer.inner_1", 1},
    {"top.Outer.Pair.mid", 1}, {"top.Outer.Pair_1.mid", 1}};

TEST(WaveformDump, HoldsEveryBundleInItsModuleScopeAsGtkwaveReadsIt) {
  ScratchFolder dir;
  std::string vcd = dir / "w.vcd";
  RunResult r = runCircuit(modular, {"-X", "--vcd", vcd, "--keys", "a"});
  ASSERT_EQ(r.status, 0) << r.err;
  Waveform ours = readVcd(fileText(vcd)), theirs = readVcd(throughGtkwave(dir, vcd));
  EXPECT_EQ(ours.width, modularVariables);
  EXPECT_EQ(ours.scopes, (std::vector<std::string>{"top", "top.Pair", "top.Pair_1", "top.Outer", "top.Outer.Pair",
                                                   "top.Outer.Pair_1"}));
  EXPECT_EQ(ours.timescale, "1 ns");
  EXPECT_EQ(theirs.width, ours.width);
  EXPECT_EQ(theirs.changes, ours.changes);
  EXPECT_NE(fileText(vcd).find("One time unit is one simulation tick"), std::string::npos);
}

TEST(WaveformDump, WritesTheFiveValuesAndEveryChangeAtItsTick) {
  ScratchFolder dir;
  std::string vcd = dir / "w.vcd";
  RunResult r = runCircuit(modular, {"-X", "--vcd=" + vcd, "--keys", "a"});
  ASSERT_EQ(r.status, 0) << r.err;
  Waveform w = readVcd(fileText(vcd));
  auto last = [&](const char* path) { return w.changes[path].back().second; };
  EXPECT_EQ(last("top.word"), "0101");  // constant 5, most significant bit first
  EXPECT_EQ(last("top.bus"), "z");      // HIZ
  EXPECT_EQ(last("top.idle"), "xxx");   // UNINITIALIZED: nothing drives it
  EXPECT_EQ(last("top.a"), "1");
  EXPECT_EQ(last("top.z"), "1");
  // z passes XXX between its levels, and nothing else happens to it: what the probe saw, tick by tick.
  EXPECT_EQ(w.changes["top.z"], probeChanges(r.err, "z"));
  EXPECT_EQ(w.changes["top.bus"], probeChanges(r.err, "bus"));
  EXPECT_EQ(w.changes["top.Outer.Pair_1.mid"].back().second, "0");
}

TEST(WaveformDump, WritesOnlyChangesUnderIncreasingTimestamps) {
  ScratchFolder dir;
  std::string vcd = dir / "w.vcd";
  ASSERT_EQ(runCircuit(modular, {"-X", "--vcd", vcd, "--keys", "aaa"}).status, 0);
  std::vector<std::string> lines = linesOf(fileText(vcd));
  size_t body = 0;
  while (body < lines.size() && lines[body] != "$enddefinitions $end") body++;
  for (size_t i = body + 1; i + 1 < lines.size(); i++)
    if (lines[i][0] == '#') {
      EXPECT_NE(lines[i + 1][0], '#') << "empty timestamp " << lines[i];
    }
  Waveform w = readVcd(fileText(vcd));
  for (size_t i = 1; i < w.times.size(); i++) EXPECT_LT(w.times[i - 1], w.times[i]);
  for (const auto& v : w.changes)
    for (size_t i = 1; i < v.second.size(); i++) EXPECT_NE(v.second[i - 1].second, v.second[i].second) << v.first;
}

// F1 restarts at tick 0; the dump goes on one unit after the last time written.
TEST(WaveformDump, ARestartContinuesTheTimeAxisFromAnOffset) {
  ScratchFolder dir;
  std::string vcd = dir / "w.vcd";
  RunResult r = runCircuit(modular, {"-X", "--vcd", vcd, "--keys", "a{F1}"});
  ASSERT_EQ(r.status, 0) << r.err;
  Waveform w = readVcd(fileText(vcd));
  ASSERT_EQ(w.comments.size(), 1u);
  std::vector<std::string> lines = linesOf(r.err);
  size_t restart = 0;  // the second report at time 0 of z's probe begins the restarted run
  for (size_t i = 0, seen = 0; i < lines.size(); i++)
    if (lines[i].compare(0, 24, "Time = 0  Probe for z at") == 0 && ++seen == 2) restart = i;
  ASSERT_GT(restart, 0u);
  const std::string stated = "restart: tick 0 of the restarted run is time ";
  ASSERT_EQ(w.comments[0].compare(0, stated.size(), stated), 0) << w.comments[0];
  uint64_t offset = std::stoull(w.comments[0].substr(stated.size()));
  auto at = std::find(w.times.begin(), w.times.end(), offset);
  ASSERT_TRUE(at != w.times.end() && at != w.times.begin());
  EXPECT_EQ(*(at - 1) + 1, offset);
  std::vector<std::pair<uint64_t, std::string>> after = w.changes["top.z"];
  after.erase(after.begin(), std::find_if(after.begin(), after.end(), [&](const auto& c) { return c.first >= offset; }));
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(after.front(), std::make_pair(offset, std::string("x")));  // back to UNINITIALIZED
  EXPECT_EQ(after, probeChanges(r.err, "z", offset, restart));
  EXPECT_EQ(readVcd(throughGtkwave(dir, vcd)).changes, w.changes);
}

// ---- The processor --------------------------------------------------------------------------------

const char* const processor = TARVIK_PIPELINE_DIR "/5a-LD-hazard";

std::string resetThenCycles(int cycles) {
  std::string keys = "0";
  for (int i = 0; i < cycles; i++) keys += "11";
  return keys;
}

// A 16-bit probe row's final value as dump letters, bit 15 first.  Probes report first in the order
// they were placed; a row's unlabelled bits show their names (Reg4[11] .. Reg4[0]) and those before
// carry the row's caption, one letter each.
std::string probedRow(const std::string& err, const std::string& name) {
  std::vector<std::string> firstOrder;
  std::map<std::string, std::string> last;  // position -> last value reported
  for (const std::string& l : linesStartingWith(err, "Time = ")) {
    size_t at = l.rfind(" at ", l.find("  Value = ")), v = l.find("  Value = ");
    std::string position = l.substr(at + 4, v - at - 4);
    if (!last.count(position)) firstOrder.push_back(l.substr(l.find("  Probe for ") + 12, at - l.find("  Probe for ") - 12) +
                                                    "@" + position);
    last[position] = dumpLetter(l.substr(v + 10));
  }
  std::string bits;
  for (size_t i = 0; i < firstOrder.size(); i++) {
    if (firstOrder[i].compare(0, name.size() + 1, name + "[") != 0) continue;
    size_t bit = std::stoul(firstOrder[i].substr(name.size() + 1)), start = i + bit - 15;
    if (bit > 15 || i < 15 - bit || start + 16 > firstOrder.size()) break;
    for (size_t k = start; k < start + 16; k++) bits += last[firstOrder[k].substr(firstOrder[k].find('@') + 1)];
    return bits;
  }
  return "no probe row " + name;
}

TEST(WaveformDump, HoldsTheProcessorsRegistersAsItsProbesReportThem) {
  ScratchFolder dir;
  std::string vcd = dir / "w.vcd";
  RunResult r = runProgram(processor, {"-X", "--keys", resetThenCycles(40), "--vcd", vcd});
  ASSERT_EQ(r.status, 0) << r.err;
  Waveform w = readVcd(throughGtkwave(dir, vcd));
  for (const char* reg : {"Reg0", "Reg1", "Reg2", "Reg3", "Reg4", "Reg5", "Reg6", "Reg7", "PC", "IR_WB"}) {
    ASSERT_EQ(w.width["top." + std::string(reg)], 16) << reg;
    EXPECT_EQ(w.changes["top." + std::string(reg)].back().second, probedRow(r.err, reg)) << reg;
  }
  EXPECT_EQ(w.changes["top.Reg7"].back().second, "1111111100000100");  // 0xFF04
  for (int k = 1; k < 7; k++) EXPECT_EQ(w.width.count("top.BasicPipe.Registers.Reg16_" + std::to_string(k)), 0u);
  EXPECT_NE(std::find(w.scopes.begin(), w.scopes.end(), "top.BasicPipe.Registers.Reg16_6"), w.scopes.end());
}

// ---- Files that cannot be written -----------------------------------------------------------------

void clockedWide() {
  Signal clk(1, "clk"), wide(64, "wide");
  Clock(SD("aa"), clk, 10, 0, 20, Zero);
  Not(SD("ab"), 64 * clk, wide);
  Probe(SD("ac"), clk, "clk");
}

TEST(WaveformDump, AFileThatCannotBeCreatedEndsBeforeTheRun) {
  ScratchFolder dir;
  RunResult r = runCircuit(clockedWide, {"-X", "-T", "100", "--vcd", dir / "none/w.vcd"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "There are 66 components.\nThere are 67 signals.\nERROR -- cannot create waveform dump " +
                       (dir / "none/w.vcd") + ": No such file or directory\n");
  r = runCircuit(clockedWide, {"-X", "-T", "100", "--vcd", dir.path});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesStartingWith(r.err, "ERROR -- ").size(), 1u);
  EXPECT_EQ(linesStartingWith(r.err, "Time = ").size(), 0u);
}

TEST(WaveformDump, AMissingFileNameIsRefused) {
  for (std::vector<std::string> args : {std::vector<std::string>{"-X", "--vcd"}, {"-X", "--vcd="}}) {
    RunResult r = runCircuit(clockedWide, args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "ERROR -- option --vcd requires a file name\n");
  }
}

// The buffer fills only at the end of a short run; a long one fails in the middle and stops there.
TEST(WaveformDump, AFullDiskIsReportedOnceAndEndsTheRun) {
  RunResult r = runCircuit(clockedWide, {"-X", "-T", "200", "--vcd", "/dev/full"});
  EXPECT_EQ(r.status, 2);
  std::vector<std::string> lines = linesOf(r.err);
  EXPECT_EQ(lines.back(), "ERROR -- cannot write waveform dump /dev/full: No space left on device");
  EXPECT_EQ(linesStartingWith(r.err, "ERROR -- ").size(), 1u);
  RunResult plain = runCircuit(clockedWide, {"-X", "-T", "200"});
  EXPECT_EQ(linesStartingWith(r.err, "Time = "), linesStartingWith(plain.err, "Time = "));

  r = runCircuit(clockedWide, {"-X", "-T", "2000000", "--vcd", "/dev/full"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesStartingWith(r.err, "ERROR -- ").size(), 1u);
  std::string lastProbe = linesStartingWith(r.err, "Time = ").back();
  EXPECT_LT(std::stoull(lastProbe.substr(7)), 200000u) << lastProbe;
}

TEST(WaveformDump, AReaderThatGoesAwayIsReportedOnce) {
  ScratchFolder dir;
  std::string fifo = dir / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // The dump's open waits for this reader, which leaves at once; the run lasts long enough for a write
  // to meet the closed pipe however the two are scheduled.  The reader is a process of its own: a
  // thread alive across the run's fork confuses the leak checker in the child.
  pid_t reader = fork();
  if (reader == 0) {
    int fd = open(fifo.c_str(), O_RDONLY);
    if (fd >= 0) close(fd);
    _exit(0);
  }
  RunResult r = runCircuit(clockedWide, {"-X", "-T", "50000000", "--vcd", fifo});
  waitpid(reader, nullptr, 0);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesOf(r.err).back(), "ERROR -- cannot write waveform dump " + fifo + ": Broken pipe");
  EXPECT_EQ(linesStartingWith(r.err, "ERROR -- ").size(), 1u);
}

}  // namespace
