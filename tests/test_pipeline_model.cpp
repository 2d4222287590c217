// The processor against an instruction-level reference model, on random programs.
//
// The model follows the instruction set and the timing rules of the five-stage pipeline, one cycle at
// a time, not the netlist: at the rising edge the word in WB writes its register and a psr word in EX
// writes N and Z; in the high phase MEM (a load or store, which then holds IF for the cycle) or else IF
// uses the memory; at the falling edge every pipeline register moves on, ID reading the registers as
// they are after the write, and a branch in MEM whose condition holds on N and Z loads PC with the
// target EX computed for it.  Registers start at zero, RAM words never written are unknown.
//
// With `forwarding` it follows 5b-forwarding instead: EX takes each operand its word reads from the
// word in MEM (its ALUo) or else in WB (what it writes) when that word writes the register; a word in
// ID that reads the register of a load in EX is held there a cycle, IF with it, while a bubble enters
// EX, and a taken branch in MEM still loads PC in that cycle.
//
// Each random program (64 words of ALU, setlo/sethi, load, store and branch words) runs on the model and
// on the circuit (5a's, and 5b's with the model's forwarding), and PC, the four instruction registers, Reg1..Reg7, N, Z and the RAM are compared
// after every cycle, once the circuit has settled after the falling edge.  A value the model holds
// unknown (loaded from a RAM word never written, or computed from one) is not compared; the comparison
// ends where the model's own course would depend on one (an unknown address or branch condition).
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "MemImage.h"
#include "Pipeline.h"
#include "test_pipeline_rig.h"

namespace {

// ---- The reference model ---------------------------------------------------------------------------

struct Word {
  uint16_t value = 0;
  bool known = true;
};

Word unknownWord() { return Word{0, false}; }

enum RamState { neverWritten, written, writtenUnknown };

struct RamWord {
  RamState state = neverWritten;
  uint16_t value = 0;
};

enum InstructionClass { aluClass = 0, loadClass = 1, storeClass = 2, branchClass = 3 };

InstructionClass classOf(uint16_t w) { return InstructionClass(w >> 14); }
int rdOf(uint16_t w) { return (w >> 11) & 7; }
bool isSetlo(uint16_t w) { return classOf(w) == aluClass && ((w >> 8) & 3) == 2; }
bool isSethi(uint16_t w) { return classOf(w) == aluClass && ((w >> 8) & 3) == 3; }
bool setsFlags(uint16_t w) { return classOf(w) == aluClass && (w & 0x0400); }
bool accessesMemory(uint16_t w) { return classOf(w) == loadClass || classOf(w) == storeClass; }

// The constant ID forms: the branch offset, the sethi/setlo byte, or the 3-bit constant, sign-extended.
uint16_t constantOf(uint16_t w) {
  if (classOf(w) == branchClass) return (w & 0x0400) ? (w | 0xF800) : (w & 0x07FF);
  if (isSetlo(w) || isSethi(w)) return w & 0x00FF;
  return (w & 4) ? (w | 0xFFF8) : (w & 7);
}

// The ALU of operation c (add, subtract, and, or; setlo, setlo; sethi, sethi).
Word alu(Word a, Word b, int c) {
  if (c >= 6) return Word{uint16_t(b.value << 8), b.known};
  if (c >= 4) return Word{uint16_t((a.value & 0xFF00) | (b.value & 0x00FF)), a.known && b.known};
  static const auto ops = std::array<uint16_t (*)(uint16_t, uint16_t), 4>{
      [](uint16_t x, uint16_t y) { return uint16_t(x + y); }, [](uint16_t x, uint16_t y) { return uint16_t(x - y); },
      [](uint16_t x, uint16_t y) { return uint16_t(x & y); }, [](uint16_t x, uint16_t y) { return uint16_t(x | y); }};
  return Word{ops[size_t(c)](a.value, b.value), a.known && b.known};
}

// Whether condition code c holds on the flags; unknown when it reads a flag that is unknown.
bool conditionHolds(int c, Word n, Word z, bool& known) {
  bool reads[8][2] = {{0, 0}, {0, 1}, {0, 1}, {1, 0}, {1, 1}, {1, 1}, {1, 0}, {0, 0}};
  known = (!reads[c][0] || n.known) && (!reads[c][1] || z.known);
  bool N = n.value, Z = z.value;
  bool holds[8] = {true, Z, !Z, N, N || Z, !N && !Z, !N, false};
  return holds[c];
}

struct Model {
  std::array<uint16_t, 64> rom{};
  std::array<RamWord, 64> ram{};
  std::array<Word, 8> reg{};
  uint16_t PC = 0, PCtmp = 0, IR_ID = 0, IR_EX = 0, IR_MEM = 0, IR_WB = 0;
  Word PC1, A, B, IR1, D, ALUo, DMAR, SMDR, ALUo1, LMDR, N, Z;
  std::string lost;  // why the model cannot go on: its course depends on an unknown value

  Word read(uint16_t address) const {
    if (!(address & 0x40)) return Word{rom[address & 63], true};
    const RamWord& w = ram[address & 63];
    return w.state == written ? Word{w.value, true} : unknownWord();
  }

  void write(uint16_t address, Word data) {
    if (address & 0x40) ram[address & 63] = RamWord{data.known ? written : writtenUnknown, data.value};
  }

  // 5b: forwarding into EX and the load interlock; false: 5a, which reads the registers as ID latched them.
  bool forwarding = false;

  static bool writesRegister(uint16_t w, int reg) {
    return reg != 0 && rdOf(w) == reg && (classOf(w) == aluClass || classOf(w) == loadClass);
  }

  // The registers the word reads, as ID latches them: rs1 into A, rs2 into B, rd into D (r0 left out).
  static bool readsA(uint16_t w) {
    if (classOf(w) == branchClass || isSetlo(w) || isSethi(w)) return false;
    return !accessesMemory(w) || ((w >> 7) & 7) < 6;
  }
  static bool readsB(uint16_t w) {
    return classOf(w) != branchClass && !isSetlo(w) && !isSethi(w) && !(w & 0x40);
  }
  static bool readsD(uint16_t w) { return isSetlo(w) || classOf(w) == storeClass; }
  static bool readsRegister(uint16_t w, int reg) {
    return reg != 0 && ((readsA(w) && ((w >> 3) & 7) == reg) || (readsB(w) && (w & 7) == reg) ||
                        (readsD(w) && rdOf(w) == reg));
  }

  // An operand of the word in EX: the latest result of the words in MEM and WB when one writes it.
  Word operand(Word latched, bool read, int reg) const {
    if (!forwarding || !read) return latched;
    if (writesRegister(IR_MEM, reg)) return ALUo;
    if (writesRegister(IR_WB, reg)) return classOf(IR_WB) == loadClass ? LMDR : ALUo1;
    return latched;
  }
  Word operandA() const { return operand(A, readsA(IR_EX), (IR_EX >> 3) & 7); }
  Word operandB() const { return operand(B, readsB(IR_EX), IR_EX & 7); }
  Word operandD() const { return operand(D, readsD(IR_EX), rdOf(IR_EX)); }

  bool loadUse() const {
    return forwarding && classOf(IR_EX) == loadClass && readsRegister(IR_ID, rdOf(IR_EX));
  }

  Word executeResult() const {
    uint16_t w = IR_EX;
    bool branch = classOf(w) == branchClass;
    Word a = branch ? PC1 : isSetlo(w) ? operandD() : operandA();
    Word b = (branch || isSetlo(w) || isSethi(w) || (w & 0x40)) ? IR1 : operandB();
    return alu(a, b, branch ? 0 : (w >> 7) & 7);
  }

  void cycle() {
    // Rising edge: write-back, then the flags of a psr word in EX.
    if ((classOf(IR_WB) == aluClass || classOf(IR_WB) == loadClass) && rdOf(IR_WB) != 0)
      reg[size_t(rdOf(IR_WB))] = classOf(IR_WB) == loadClass ? LMDR : ALUo1;
    Word result = executeResult(), storeData = operandD();
    if (setsFlags(IR_EX)) {
      N = Word{uint16_t(result.value >> 15), result.known};
      Z = Word{uint16_t(result.value == 0), result.known};
    }
    // High phase: MEM's load or store holds IF, as does the interlock; otherwise IF fetches.
    bool holdID = loadUse();
    bool memoryStall = accessesMemory(IR_MEM), stallIF = memoryStall || holdID;
    if (memoryStall && !DMAR.known) lost = "a load or store address is unknown";
    Word loaded = unknownWord(), fetched{0, true};
    if (classOf(IR_MEM) == loadClass) loaded = read(DMAR.value);
    if (classOf(IR_MEM) == storeClass) write(DMAR.value, SMDR);
    if (!stallIF) fetched = read(PC);
    if (!fetched.known) lost = "the fetched word is unknown";
    bool known = true;
    bool taken = classOf(IR_MEM) == branchClass && conditionHolds(rdOf(IR_MEM), N, Z, known);
    if (!known) lost = "a branch condition reads an unknown flag";
    // Falling edge: every pipeline register moves on; ID reads the registers as written above.  The
    // interlock keeps ID's word and latches and lets a bubble into EX.
    uint16_t target = ALUo.value;  // what EX computed for the branch now in MEM
    IR_WB = IR_MEM;
    IR_MEM = IR_EX;
    IR_EX = holdID ? 0 : IR_ID;
    ALUo1 = ALUo;
    LMDR = loaded;
    ALUo = DMAR = result;
    SMDR = storeData;
    if (!holdID) {
      PC1 = Word{PCtmp, true};
      A = reg[(IR_EX >> 3) & 7];
      B = reg[IR_EX & 7];
      IR1 = Word{constantOf(IR_EX), true};
      D = reg[size_t(rdOf(IR_EX))];
      IR_ID = stallIF ? 0 : fetched.value;
    }
    if (!stallIF) {
      PCtmp = PC;
      PC = taken ? target : uint16_t(PC + 1);
    } else if (taken) {
      PC = target;  // the interlock holds IF, but the branch in MEM must not be lost
    }
  }
};

// ---- What is compared after each cycle -------------------------------------------------------------

// Values are compared as the rig prints them (pipelineRig::textOf): "0x...." when every bit is ZERO
// or ONE, else one letter per bit; a flag by its value's name.
std::string hexWord(uint16_t v) {
  char text[8];
  snprintf(text, sizeof text, "0x%04X", v);
  return text;
}

const char* const comparedNames[] = {"PC",   "IR_ID", "IR_EX", "IR_MEM", "IR_WB", "Reg1", "Reg2", "Reg3",
                                     "Reg4", "Reg5",  "Reg6",  "Reg7",   "N",     "Z"};
const int comparedCount = int(sizeof comparedNames / sizeof comparedNames[0]);
const char* const unchecked = "*";                  // the model has no value: anything goes
const char* const neverWrittenRam = "UUUUUUUUUUUUUUUU";  // a RAM word never written

std::string flagText(Word f) { return !f.known ? unchecked : f.value ? "ONE" : "ZERO"; }
std::string wordText(Word w) { return w.known ? hexWord(w.value) : unchecked; }

// The expected texts in the order of comparedNames, then RAM words 0..63.
std::vector<std::string> expectedTexts(const Model& m) {
  std::vector<std::string> t = {hexWord(m.PC), hexWord(m.IR_ID), hexWord(m.IR_EX), hexWord(m.IR_MEM),
                                hexWord(m.IR_WB)};
  for (int r = 1; r <= 7; r++) t.push_back(wordText(m.reg[size_t(r)]));
  t.push_back(flagText(m.N));
  t.push_back(flagText(m.Z));
  for (const RamWord& w : m.ram)
    t.push_back(w.state == written ? hexWord(w.value) : w.state == neverWritten ? neverWrittenRam : unchecked);
  return t;
}

std::string nameOfField(size_t i) {
  return i < size_t(comparedCount) ? comparedNames[i] : "RAM[" + std::to_string(i - comparedCount) + "]";
}

// ---- The circuit's side, in the child --------------------------------------------------------------

std::string ramWordText(uint32_t address) {
  std::vector<SignalValue> bits;
  std::string problem;
  return readMemoryWord("RAM", address, bits, problem) ? pipelineRig::textOf(bits) : "no-RAM:" + problem;
}

const std::vector<int>& bitsOf(const char* name) {
  static std::map<std::string, std::vector<int>> found;
  std::vector<int>& bits = found[name];
  if (bits.empty())
    for (const DeclaredBundle& b : declaredBundles())
      if (b.scope == 0 && b.name == name) bits = b.bits;
  return bits;
}

// At every rest after reset with clock low, that is after reset's release and after each falling edge.
void printCycleState() {
  const std::vector<SignalValue>& current = phaseThree->currentSignals;
  if (current[size_t(bitsOf("reset")[0])] != ZERO || current[size_t(bitsOf("clock")[0])] != ZERO) return;
  std::string line = "state";
  for (const char* name : comparedNames) line += " " + pipelineRig::valueOf(bitsOf(name));
  for (uint32_t a = 0; a < 64; a++) line += " " + ramWordText(a);
  printf("%s\n", line.c_str());
}

void observeCycles() {
  RunObserver observer{nullptr, nullptr, nullptr};
  observer.settled = printCycleState;
  runObservers.push_back(observer);
}

void observed5a() {
  observeCycles();
  processorWithRom();
}

void observed5b() {
  observeCycles();
  loadRomProgram();
  placeProcessor(*processorVariantTagged("5b"));
}

// The state after reset's release and after each of the cycles, one list of texts per state.
std::vector<std::vector<std::string>> circuitStates(const std::vector<uint16_t>& program, bool forwarding,
                                                    int cycles, std::string& err) {
  romProgram() = program;
  RunResult r = runCircuit(forwarding ? observed5b : observed5a, {"-X", "--keys=" + resetThenCycles(cycles)});
  err = r.status == 0 ? "" : "status " + std::to_string(r.status) + ": " + r.err.substr(0, 2000);
  std::vector<std::vector<std::string>> states;
  for (const std::string& line : linesStartingWith(r.out, "state ")) {
    std::istringstream words(line.substr(6));
    std::vector<std::string> texts;
    for (std::string t; words >> t;) texts.push_back(t);
    states.push_back(texts);
  }
  return states;
}

// ---- Random programs -------------------------------------------------------------------------------

// One word of a random kind for address p; branch targets stay within the 64 ROM words.
uint16_t randomWord(std::mt19937& rng, int p) {
  auto bits = [&](int n) { return int(rng() % (1u << n)); };
  int kind = bits(5);  // weights in 32nds
  int rd = bits(3), rs1 = bits(3), rs2 = bits(3), psr = bits(1), imm = bits(1);
  if (kind < 2) return 0x0000;
  if (kind < 11) return uint16_t(rd << 11 | psr << 10 | bits(2) << 7 | imm << 6 | rs1 << 3 | rs2);  // add .. or
  if (kind < 17) return uint16_t(rd << 11 | psr << 10 | (2 + bits(1)) << 8 | bits(8));               // setlo, sethi
  int op = bits(2) == 0 ? bits(3) : 0;  // loads and stores mostly add their operands
  if (kind < 21) return uint16_t(0x4000 | rd << 11 | psr << 10 | op << 7 | imm << 6 | rs1 << 3 | rs2);
  if (kind < 25) return uint16_t(0x8000 | rd << 11 | psr << 10 | op << 7 | imm << 6 | rs1 << 3 | rs2);
  int offset = int(rng() % 64) - p;
  return uint16_t(0xC000 | bits(3) << 11 | (offset & 0x07FF));
}

// The fields a word reads a register from: rs1, rs2 and, for setlo and stores, rd.
std::vector<int> readFieldShifts(uint16_t w) {
  if (classOf(w) == branchClass || isSethi(w)) return {};
  if (isSetlo(w)) return {11};
  std::vector<int> shifts = {3, 0};
  if (classOf(w) == storeClass) shifts.push_back(11);
  return shifts;
}

uint16_t withField(uint16_t w, int shift, int reg) { return uint16_t((w & ~(7 << shift)) | reg << shift); }

// For the forwarding processor the words read what the words just before them wrote far more often
// than by chance: half the read fields name the register written 1, 2 or 3 words before; the word
// after a load reads its register half the time; and half the branches are followed by a load and a
// word that reads it, in the delay slots.
void aimReadsAtRecentWrites(std::mt19937& rng, std::vector<uint16_t>& words) {
  auto bits = [&](int n) { return int(rng() % (1u << n)); };
  for (size_t p = 1; p < words.size(); p++) {
    uint16_t& w = words[p];
    if (classOf(words[p - 1]) == branchClass && bits(1) && p + 1 < words.size()) {
      w = uint16_t(0x4000 | bits(3) << 11 | 1 << 6 | bits(3) << 3 | bits(3));  // ld rd, [rs1 + c]
      words[p + 1] = uint16_t(bits(3) << 11 | bits(1) << 10 | rdOf(w) << 3 | bits(3));  // add rd', rd, rs2
      p++;
      continue;
    }
    for (int shift : readFieldShifts(w)) {
      size_t back = classOf(words[p - 1]) == loadClass ? 1 : size_t(1 + bits(2) % 3);
      if (bits(1) && back <= p) w = withField(w, shift, rdOf(words[p - back]));
    }
  }
}

std::vector<uint16_t> randomProgram(uint32_t seed, bool aimed = false) {
  std::mt19937 rng(seed);
  std::vector<uint16_t> words;
  for (int p = 0; p < 64; p++) words.push_back(randomWord(rng, p));
  if (aimed) aimReadsAtRecentWrites(rng, words);
  return words;
}

std::string programText(const std::vector<uint16_t>& words) {
  std::string text;
  for (size_t i = 0; i < words.size(); i++) text += (i % 16 ? " " : "\n  ") + hexWord(words[i]).substr(2);
  return text;
}

// Runs program on both; returns the first disagreement ("" when none) and how many cycles were compared.
std::string firstDisagreement(const std::vector<uint16_t>& program, bool forwarding, int cycles, int& compared) {
  Model model;
  model.forwarding = forwarding;
  std::copy(program.begin(), program.end(), model.rom.begin());
  std::string err;
  std::vector<std::vector<std::string>> states = circuitStates(program, forwarding, cycles, err);
  if (!err.empty()) return "the circuit failed: " + err;
  if (states.size() != size_t(cycles) + 1) return "the circuit reported " + std::to_string(states.size()) + " states";
  for (compared = 0; compared <= cycles && model.lost.empty(); compared++) {
    std::vector<std::string> expected = expectedTexts(model);
    const std::vector<std::string>& actual = states[size_t(compared)];
    for (size_t i = 0; i < expected.size(); i++)
      if (i >= actual.size() || (expected[i] != unchecked && expected[i] != actual[i]))
        return "after cycle " + std::to_string(compared) + ": " + nameOfField(i) + " is " +
               (i < actual.size() ? actual[i] : "missing") + ", the model has " + expected[i];
    model.cycle();
  }
  return "";
}

const int cyclesPerProgram = 40;
// The sanitizers look for memory faults, which the first programs of each batch reach as well as the
// rest: the normal build compares all of them.
#if defined(__SANITIZE_ADDRESS__)
const int programsPerBatch = 10;
#else
const int programsPerBatch = 30;
#endif

}  // namespace

// Ten batches of programs for each processor, each batch its own test process: CTest may run them
// side by side, and each stays well within its time limit under the sanitizers.  The programs of 5b are
// aimed at the reads of fresh registers that it forwards or interlocks.
struct Batch {
  bool forwarding;
  int number;
};
void PrintTo(const Batch& b, std::ostream* out) { *out << (b.forwarding ? "5b " : "5a ") << b.number; }

class RandomPrograms : public testing::TestWithParam<Batch> {};

TEST_P(RandomPrograms, RunAsTheModelSays) {
  int comparedCycles = 0;
  bool forwarding = GetParam().forwarding;
  for (int i = 0; i < programsPerBatch; i++) {
    uint32_t seed = uint32_t(GetParam().number * programsPerBatch + i);
    std::vector<uint16_t> program = randomProgram(seed, forwarding);
    int compared = 0;
    std::string disagreement = firstDisagreement(program, forwarding, cyclesPerProgram, compared);
    ASSERT_EQ(disagreement, "") << "seed " << seed << ", program:" << programText(program);
    comparedCycles += compared;
  }
  // The comparison must not end early for most programs, or it would prove little.
  EXPECT_GT(comparedCycles, programsPerBatch * cyclesPerProgram / 2);
}

std::vector<Batch> batches(bool forwarding) {
  std::vector<Batch> b;
  for (int number = 0; number < 10; number++) b.push_back({forwarding, number});
  return b;
}

INSTANTIATE_TEST_SUITE_P(Batch, RandomPrograms, testing::ValuesIn(batches(false)));
INSTANTIATE_TEST_SUITE_P(Forwarding, RandomPrograms, testing::ValuesIn(batches(true)));

// The model itself on fixed programs whose outcome follows from the rules by hand, on both processors.
TEST(ReferenceModel, RunsFixedProgramsAsTheRulesWorkThemOut) {
  // The ROM program: ld r1 (0xFF00), then four adds of r1; 5a's first two miss the loaded value.
  std::vector<uint16_t> romProgram = {0x0AF0, 0x1204, 0x1A18, 0x2201, 0x2A02, 0x3203, 0x3A04, 0, 0, 0, 0,
                                      0x4813, 0x2021, 0x2829, 0x3031, 0x3839};
  romProgram.resize(33);
  romProgram[28] = 0xFF00;
  romProgram[32] = 0xFFFE;
  // bra 8 with `ld r1, [r0 + 0]` and `add r2, r1, r0` in its delay slots, then `setlo r3, 1`; at 8
  // `setlo r4, 4` and the halt loop.  On 5b the interlock holds the third slot's fetch.
  const std::vector<uint16_t> loadInDelaySlots = {0xC008, 0x4840, 0x1008, 0x1A01, 0, 0, 0, 0, 0x2204, 0xC000};
  // sethi r1, 0x12; setlo r1, 0x34; setlo r2, 0x40; st r1, [r2 + 0]; ld r3, [r2 + 0]; add r4, r3, r3.
  // On 5b the interlock on the add falls in the cycle the store holds IF anyway: no cycle lost.
  const std::vector<uint16_t> freshOperands = {0x0B12, 0x0A34, 0x1240, 0x8850, 0x5850, 0x201B};
  const struct {
    const char* name;
    std::vector<uint16_t> rom;
    bool forwarding;
    int cycles;
    std::array<uint16_t, 8> reg;
    int pc;  // -1: not checked (the program loops)
  } cases[] = {
      {"ROM program, 5a", romProgram, false, 40, {0, 0xFF00, 4, 0x18, 0x00F1, 0x00F2, 0xFF03, 0xFF04}, 0x27},
      {"ROM program, 5b", romProgram, true, 40, {0, 0xFF00, 4, 0x18, 0xFF01, 0xFF02, 0xFF03, 0xFF04}, 0x26},
      {"load in delay slots, 5a", loadInDelaySlots, false, 20, {0, 0xC008, 0, 1, 4, 0, 0, 0}, -1},
      {"load in delay slots, 5b", loadInDelaySlots, true, 20, {0, 0xC008, 0xC008, 0, 4, 0, 0, 0}, -1},
      {"fresh operands, 5a", freshOperands, false, 20, {0, 0x0034, 0x40, 0x0B12, 0, 0, 0, 0}, 18},
      {"fresh operands, 5b", freshOperands, true, 20, {0, 0x1234, 0x40, 0x1234, 0x2468, 0, 0, 0}, 18},
  };
  for (const auto& c : cases) {
    Model m;
    m.forwarding = c.forwarding;
    std::copy(c.rom.begin(), c.rom.end(), m.rom.begin());
    for (int cycle = 0; cycle < c.cycles; cycle++) m.cycle();
    for (int r = 1; r < 8; r++) EXPECT_EQ(m.reg[size_t(r)].value, c.reg[size_t(r)]) << c.name << ": r" << r;
    if (c.pc >= 0) {
      EXPECT_EQ(m.PC, c.pc) << c.name;
    }
    EXPECT_TRUE(m.lost.empty()) << c.name << ": " << m.lost;
  }
}
