// The hazard warnings.
//
// The words are walked in address order as runs of straight-line code, each word with the cycle in
// which it is fetched: one after the other, except that the fetch is held in every cycle in which a
// load or store is in MEM (its fetch + 3), and with a load interlock also in every cycle in which it holds
// in ID the word right after a load that reads its register (that word's fetch + 1; it then reaches
// MEM a cycle later).  A run ends where the history is unknown: at a word some branch targets, after
// the words that follow an unconditional branch, at data.  A run that starts there may have been held
// once or twice more by loads before it, so the timing of its first two words is not known: no warning
// rests on them.  Never-written words (gaps) are nops, which keep the history.  Each way into a branch
// target (the fall-through, and each branch after its delay slots) is then followed on into the target's
// words with the history it brings, so that a hazard any of them leaves there is warned of too.
#include "Hazards.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <utility>
#include <vector>

#include "Isa.h"

namespace {

const size_t keptWords = 8;
const int braCondition = 0, bnvCondition = 7;
const uint16_t ramBit = 0x0040;  // of an address: bit 6 picks the RAM, clear the ROM

int wordClass(uint16_t w) { return w >> 14; }
bool isAlu(uint16_t w) { return wordClass(w) == 0; }
bool isLoad(uint16_t w) { return wordClass(w) == 1; }
bool isStore(uint16_t w) { return wordClass(w) == 2; }
bool isBranch(uint16_t w) { return wordClass(w) == 3; }
bool isMemoryAccess(uint16_t w) { return isLoad(w) || isStore(w); }
int field(uint16_t w, int shift) { return w >> shift & registerField; }
int operation(uint16_t w) { return w >> operationShift & 0x7; }
bool setsFlags(uint16_t w) { return isAlu(w) && (w & psrBit); }
bool isSetlo(uint16_t w) { return isAlu(w) && (operation(w) == 4 || operation(w) == 5); }
bool isByteWord(uint16_t w) { return isAlu(w) && operation(w) >= 4; }  // setlo or sethi
int writtenRegister(uint16_t w) { return isAlu(w) || isLoad(w) ? field(w, rdShift) : 0; }
bool isUnconditional(uint16_t w) { return isBranch(w) && field(w, rdShift) == braCondition; }
bool isConditional(uint16_t w) {
  return isBranch(w) && field(w, rdShift) != braCondition && field(w, rdShift) != bnvCondition;
}
std::string mnemonicOf(uint16_t w) { return formOfWord(w)->mnemonic; }
uint32_t targetOf(const AssembledWord& w) { return (w.address + signExtend(w.word, 11)) & 0xFFFF; }
bool isHalt(const AssembledWord& w) { return isUnconditional(w.word) && targetOf(w) == w.address; }

struct Read {
  int reg;
  OperandPlace place;
};

// The registers whose values a word uses (r0 left out: it is always 0).  setlo keeps rd's high byte;
// sethi and the address operations hi2/hi1 do not use their first register.
std::vector<Read> readsOf(uint16_t w) {
  std::vector<Read> reads;
  auto add = [&](int reg, OperandPlace place) {
    if (reg) reads.push_back({reg, place});
  };
  if (isBranch(w)) return reads;
  if (isByteWord(w)) {
    if (isSetlo(w)) add(field(w, rdShift), rdPlace);
    return reads;
  }
  if (isStore(w)) add(field(w, rdShift), rdPlace);
  if (!isMemoryAccess(w) || operation(w) < 6) add(field(w, rs1Shift), rs1Place);
  if (!(w & immediateBit)) add(field(w, 0), rs2Place);
  return reads;
}

// The ALU's result of field 9..7, for ALU words and for the address of loads and stores.
uint16_t aluResult(int op, uint16_t a, uint16_t b) {
  switch (op) {
    case 0: return static_cast<uint16_t>(a + b);
    case 1: return static_cast<uint16_t>(a - b);
    case 2: return a & b;
    case 3: return a | b;
    case 4: case 5: return static_cast<uint16_t>((a & 0xFF00) | (b & 0xFF));
    default: return static_cast<uint16_t>((b & 0xFF) << 8);
  }
}

struct Slot {
  const AssembledWord* word;  // null: a never-written word, a nop
  int fetch;                  // cycle, from the run's first word
  bool exact;                 // its fetch cycle relative to the later words' is known
  int mem = 0;                // the cycle it is in MEM
  int heldInID = -1;          // the cycle the interlock holds it in ID (and IF), or -1
  int value = -1;             // what it writes to its register when known at assembly time, else -1
};

// What the words before an entry into a branch target leave: the run that goes on into it.
struct Entry {
  uint32_t target;
  std::vector<Slot> run;
  bool knownStart;
  std::array<int, 8> settled;
};

struct Finder {
  const std::string& file;
  Assembly& assembly;
  const ProcessorVariant& cpu;
  Finder(const std::string& f, Assembly& a, const ProcessorVariant& c) : file(f), assembly(a), cpu(c) {}
  // Forwarding, with the interlock the circuit builds beside it: every read sees the latest write.
  bool forwards() const { return cpu.forwarding; }
  std::vector<std::pair<std::pair<int, int>, std::string>> found;  // by line and column
  std::vector<Slot> run;   // its latest words only: older ones no longer change a fetch or hide a write
  bool knownStart = true;  // the run starts after the reset, with nothing before it
  std::array<int, 8> settled = {};  // what each register holds from the words dropped from run, or -1
  std::vector<Entry> entries;       // into branch targets, to be followed after the walk
  std::set<const AssembledWord*> enteredBy;  // the branches whose entry is in entries
  int since = -1;  // an entry's last fetch: the branches up to it are the history it was entered by

  void warn(const AssembledWord& w, int column, const std::string& message) {
    found.push_back({{w.line, column},
                     sourceMessage(file, assembly.lines[w.line - 1], w.line, column, "warning: " + message)});
  }

  std::string lineOf(const Slot& s) { return "line " + std::to_string(s.word->line); }

  void startRun(bool known) {
    run.clear();
    knownStart = known;
    for (int& value : settled) value = known ? 0 : -1;  // the reset clears the registers
  }

  // A word kept this many words back was fetched long enough ago that it no longer holds a fetch,
  // and its write is seen (the first two words of a run are never kept this long without others).
  void dropOldest() {
    if (run.size() < keptWords) return;
    const Slot& oldest = run.front();
    if (oldest.word && writtenRegister(oldest.word->word)) settled[writtenRegister(oldest.word->word)] = oldest.value;
    run.erase(run.begin());
  }

  int nextFetch() const {
    if (run.empty()) return 0;
    int f = run.back().fetch + 1;
    for (bool held = true; held;) {
      held = false;
      for (const Slot& s : run)
        if (s.word && ((isMemoryAccess(s.word->word) && s.mem == f) || s.heldInID == f)) held = true, ++f;
    }
    return f;
  }

  // The slot of the latest word before slot i that writes reg, or -1.
  int latestWriter(int reg, int i) const {
    for (int j = i - 1; j >= 0; --j)
      if (run[j].word && writtenRegister(run[j].word->word) == reg) return j;
    return -1;
  }

  // The value slot i reads from reg, when known at assembly time; else -1.
  int valueRead(int reg, int i) const {
    if (reg == 0) return 0;
    for (int j = latestWriter(reg, i); j >= 0; j = latestWriter(reg, j)) {
      if (forwards() || run[i].fetch - run[j].fetch >= cpu.registerSeenAfter) return run[j].value;
      if (!run[j].exact) return -1;  // it may be seen after all
    }
    return settled[reg];
  }

  // The ALU's result for slot i with rs1 (or rd for setlo) and op2 as read; -1 when unknown.
  int resultOf(int i) const {
    uint16_t w = run[i].word->word;
    int a = isByteWord(w) ? (isSetlo(w) ? valueRead(field(w, rdShift), i) : 0) : valueRead(field(w, rs1Shift), i);
    int b = isByteWord(w) ? (w & 0xFF) : (w & immediateBit) ? (signExtend(w, 3) & 0xFFFF) : valueRead(field(w, 0), i);
    if (isMemoryAccess(w) && operation(w) >= 6) a = 0;  // hi2, hi1: rs1 unused
    if (a < 0 || b < 0) return -1;
    return aluResult(isByteWord(w) ? (isSetlo(w) ? 4 : 6) : operation(w), static_cast<uint16_t>(a),
                     static_cast<uint16_t>(b));
  }

  void checkReads(int i) {
    if (forwards()) return;
    const AssembledWord& w = *run[i].word;
    for (const Read& r : readsOf(w.word)) {
      int j = latestWriter(r.reg, i);
      if (j < 0 || !run[j].exact) continue;
      int gap = run[i].fetch - run[j].fetch;
      if (gap >= cpu.registerSeenAfter) continue;
      std::string reg = "r" + std::to_string(r.reg);
      std::string cycles = std::to_string(gap) + (gap == 1 ? " cycle" : " cycles");
      std::string rule = " (a register is seen by the words fetched " + std::to_string(cpu.registerSeenAfter) +
                         " or more cycles after the word that writes it)";
      int column = w.columns[r.place] ? w.columns[r.place] : w.column;
      if (isLoad(run[j].word->word) && j == i - 1)
        warn(w, column, "reads " + reg + " right after the load on " + lineOf(run[j]) + ": it gets the old " + reg +
                            ", not the loaded value (put two words between a load and the use of its result)");
      else if (isSetlo(w.word))
        warn(w, column, "setlo keeps the high byte of " + reg + ", read " + cycles + " after " + lineOf(run[j]) +
                            " writes it: it keeps the old one" + rule);
      else
        warn(w, column, "reads " + reg + " " + cycles + " after " + lineOf(run[j]) + " writes it: it gets the old " +
                            reg + rule);
    }
  }

  // A psr word right after a conditional branch sets the flags in time for it only when fetched in
  // the next cycle; a load or store two words before the branch holds the fetch then.
  void checkFlags(int i) {
    if (i == 0 || !setsFlags(run[i].word->word) || !run[i - 1].word) return;
    const Slot& branch = run[i - 1];
    if (!isConditional(branch.word->word)) return;
    for (const Slot& s : run)
      if (s.word && s.exact && branch.exact && isMemoryAccess(s.word->word) && s.mem == branch.fetch + 1) {
        std::string b = mnemonicOf(branch.word->word);
        warn(*run[i].word, run[i].word->column,
             "the flags of this " + mnemonicOf(run[i].word->word) + " come too late for the " + b + " on " +
                 lineOf(branch) + ": the " + mnemonicOf(s.word->word) + " on " + lineOf(s) +
                 " holds the fetch a cycle, so the " + b + " sees the flags before it");
        return;
      }
  }

  void checkStore(int i) {
    const AssembledWord& w = *run[i].word;
    if (!isStore(w.word)) return;
    int address = resultOf(i);
    if (address < 0 || (address & ramBit)) return;
    char text[16];
    snprintf(text, sizeof text, "0x%04X", address);
    warn(w, w.columns[addressPlace] ? w.columns[addressPlace] : w.column,
         std::string("stores to ") + text + ", a ROM address (bit 6 clear): the memory drops the store");
  }

  // With a load interlock: whether s, fetched right after a load whose register it reads, is in ID with
  // the load in EX.
  bool interlocked(const Slot& s) const {
    if (!cpu.loadInterlock || !s.word || run.empty() || !run.back().word || !isLoad(run.back().word->word)) return false;
    const Slot& load = run.back();
    int loaded = writtenRegister(load.word->word);
    std::vector<Read> reads = readsOf(s.word->word);
    bool readsLoaded = std::any_of(reads.begin(), reads.end(), [&](const Read& r) { return r.reg == loaded; });
    return readsLoaded && s.fetch + 1 == load.mem - 1;
  }

  void add(const AssembledWord* w) {
    Slot s{w, nextFetch(), knownStart || run.size() >= 2};
    s.mem = s.fetch + 3;
    if (interlocked(s)) s.heldInID = s.fetch + 1, s.mem++;
    dropOldest();
    run.push_back(s);
    int i = static_cast<int>(run.size()) - 1;
    if (!w) return;
    checkReads(i);
    checkFlags(i);
    checkStore(i);
    if (isAlu(w->word) && writtenRegister(w->word)) run[i].value = resultOf(i);
  }

  // Whether an unconditional branch of the run (fetched after cycle `since`) has had all the words that
  // follow it.
  bool pastBranch(int nextFetchCycle) const {
    for (const Slot& s : run)
      if (s.word && s.fetch > since && isUnconditional(s.word->word) && (!s.exact || nextFetchCycle > s.mem))
        return true;
    return false;
  }

  void checkEnd(const std::vector<const AssembledWord*>& code) {
    if (code.empty()) return;
    for (size_t k = 0; k < 4 && k < code.size(); ++k) {
      const AssembledWord& w = *code[code.size() - 1 - k];
      if (k > 0 && w.address + k != code.back()->address) break;
      if (isUnconditional(w.word)) return;
    }
    warn(*code.back(), code.back()->column,
         "the program does not end in a halt (halt: bra halt): after this word the processor runs on into the "
         "words beyond");
  }

  void walk() {
    std::vector<const AssembledWord*> code;
    for (const AssembledWord& w : assembly.words)
      if (!w.data) code.push_back(&w);
    std::stable_sort(code.begin(), code.end(),
                     [](const AssembledWord* a, const AssembledWord* b) { return a->address < b->address; });
    std::set<uint32_t> targets, data;
    for (const AssembledWord* w : code)
      if (isBranch(w->word)) targets.insert(targetOf(*w));
    for (const AssembledWord& w : assembly.words)
      if (w.data) data.insert(w.address);
    uint32_t next = 0;
    for (const AssembledWord* w : code) {
      bool dataBetween = data.lower_bound(next) != data.lower_bound(w->address);
      if (dataBetween || w->address < next) startRun(false);
      for (uint32_t gap = next; gap < w->address && gap < next + cpu.registerSeenAfter + 1; ++gap) {
        add(nullptr);
        noteBranchEntries();
      }
      bool fallsThrough = !dataBetween && w->address >= next && !run.empty() && !pastBranch(nextFetch());
      if (targets.count(w->address) && fallsThrough) entries.push_back({w->address, run, knownStart, settled});
      if (targets.count(w->address) || pastBranch(nextFetch())) startRun(false);
      add(w);
      noteBranchEntries();
      next = w->address + 1u;
    }
    checkEnd(code);
    for (size_t k = 0; k < code.size(); ++k)
      if (isHalt(*code[k])) checkHaltSlots(code, k);
    for (const Entry& e : entries) followEntry(e, code, data);
  }

  // A halt loop runs the words in its delay slots on every turn: only nops belong there.
  void checkHaltSlots(const std::vector<const AssembledWord*>& code, size_t halt) {
    Finder turn{file, assembly, cpu};
    turn.startRun(false);
    turn.add(code[halt]);
    for (size_t k = halt + 1; k < code.size() && code[k]->address == code[k - 1]->address + 1; ++k) {
      if (turn.nextFetch() > turn.run[0].mem) break;
      turn.add(code[k]);
      if (code[k]->word != 0)
        warn(*code[k], code[k]->column, "this word is in a delay slot of the halt on " + lineOf(turn.run[0]) +
                                            ": the processor runs it on every turn of the halt loop (put nops after "
                                            "a halt)");
    }
  }

  // A branch enters its target once the words in its delay slots are fetched.
  void noteBranchEntries() {
    int fetch = nextFetch();
    for (const Slot& s : run)
      if (s.word && isBranch(s.word->word) && field(s.word->word, rdShift) != bnvCondition && fetch > s.mem &&
          enteredBy.insert(s.word).second)
        entries.push_back({targetOf(*s.word), run, knownStart, settled});
  }

  // Goes on from an entry's history through the straight-line words at its target, adding what they warn of
  // there that the walk did not.
  void followEntry(const Entry& e, const std::vector<const AssembledWord*>& code, const std::set<uint32_t>& data) {
    Finder path{file, assembly, cpu};
    path.run = e.run;
    path.knownStart = e.knownStart;
    path.settled = e.settled;
    if (!e.run.empty()) path.since = e.run.back().fetch;
    auto k = std::find_if(code.begin(), code.end(), [&](const AssembledWord* w) { return w->address == e.target; });
    for (uint32_t next = e.target; k != code.end() && (*k)->address == next && !data.count(next); ++k, ++next) {
      if (path.pastBranch(path.nextFetch())) break;
      path.add(*k);
    }
    for (const auto& f : path.found)
      if (std::none_of(found.begin(), found.end(), [&](const auto& g) { return g.first == f.first; }))
        found.push_back(f);
  }
};

}  // namespace

void findHazards(const std::string& file, Assembly& assembly, const ProcessorVariant& cpu) {
  Finder finder{file, assembly, cpu};
  finder.walk();
  std::stable_sort(finder.found.begin(), finder.found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  assembly.warnings.clear();
  for (const auto& f : finder.found) assembly.warnings.push_back(f.second);
}
