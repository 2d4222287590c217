// The benchmark circuits as SystemC netlists: one module per gate and per flip-flop, each with an
// evaluation method and a commit method, so that every output changes 10 ns after the inputs that
// caused it (inertial: a pulse shorter than the delay is swallowed, as in Verilog's #10).
//
//   systemc_bench key=value ...   (the line printed by tarvik_bench --describe)
//
// Prints one line of key=value figures, with the result bits in the same hexadecimal form as
// tarvik_bench.
#include <systemc.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <cstring>
#include <vector>

#include "../PeakResident.h"

namespace {

using Sig = sc_signal<bool>;
using In = const sc_signal_in_if<bool>;
uint64_t changes = 0;  // committed output changes: the peer's count of signal events

enum Kind { AND, OR, NAND, NOT, XOR, BUF };

SC_MODULE(Gate) {
  Kind kind;
  std::vector<In*> in;
  Sig* out;
  sc_time delay;
  bool pending = false;
  sc_event ev;

  SC_HAS_PROCESS(Gate);
  Gate(sc_module_name name, Kind k, std::vector<In*> inputs, Sig* o, int delayNs)
      : sc_module(name), kind(k), in(std::move(inputs)), out(o), delay(delayNs, SC_NS) {
    SC_METHOD(eval);
    for (In* s : in) sensitive << *s;
    SC_METHOD(commit);
    sensitive << ev;
    dont_initialize();
  }
  bool compute() const {
    switch (kind) {
      case AND: {
        for (In* s : in)
          if (!s->read()) return false;
        return true;
      }
      case OR: {
        for (In* s : in)
          if (s->read()) return true;
        return false;
      }
      case NAND: {
        for (In* s : in)
          if (!s->read()) return true;
        return false;
      }
      case NOT: return !in[0]->read();
      case XOR: {
        bool p = false;
        for (In* s : in) p ^= s->read();
        return p;
      }
      case BUF: return in[0]->read();
    }
    return false;
  }
  void eval() {
    bool v = compute();
    if (v == pending) return;
    pending = v;
    ev.cancel();
    ev.notify(delay);
  }
  void commit() {
    if (out->read() == pending) return;
    out->write(pending);
    changes++;
  }
};

// A rising-edge D flip-flop with a synchronous reset to its initial value.
SC_MODULE(Dff) {
  In* clk;
  In* rst;
  In* d;
  Sig* q;
  bool init;
  bool pending;
  sc_event ev;

  SC_HAS_PROCESS(Dff);
  Dff(sc_module_name name, In* c, In* r, In* data, Sig* out, bool initial)
      : sc_module(name), clk(c), rst(r), d(data), q(out), init(initial), pending(initial) {
    SC_METHOD(tick);
    sensitive << clk->posedge_event();
    dont_initialize();
    SC_METHOD(commit);
    sensitive << ev;
    dont_initialize();
  }
  void tick() {
    bool v = rst->read() ? init : d->read();
    if (v == pending) return;
    pending = v;
    ev.cancel();
    ev.notify(10, SC_NS);
  }
  void commit() {
    if (q->read() == pending) return;
    q->write(pending);
    changes++;
  }
};

// A memory with one write port (at the rising clock, when enabled) and two asynchronous read ports
// whose words follow address or contents 10 ns later.
SC_MODULE(Ram) {
  int addressBits, width;
  In* clk;
  In* wen;
  std::vector<In*> waddr, data, raddr[2];
  std::vector<Sig*> rd[2];
  std::vector<uint32_t> mem;
  std::vector<bool> written;
  sc_event memChanged, commitEv[2];
  uint32_t pending[2] = {0, 0};
  bool pendingKnown[2] = {false, false};

  SC_HAS_PROCESS(Ram);
  Ram(sc_module_name name, int a, int w, In* c, In* e, std::vector<In*> wa, std::vector<In*> wd, std::vector<In*> ra0,
      std::vector<In*> ra1, std::vector<Sig*> rd0, std::vector<Sig*> rd1)
      : sc_module(name), addressBits(a), width(w), clk(c), wen(e), waddr(wa), data(wd), mem(size_t(1) << a, 0),
        written(size_t(1) << a, false) {
    raddr[0] = ra0;
    raddr[1] = ra1;
    rd[0] = rd0;
    rd[1] = rd1;
    SC_METHOD(write);
    sensitive << clk->posedge_event();
    dont_initialize();
    SC_METHOD(read);
    sensitive << memChanged;
    for (int p = 0; p < 2; p++)
      for (In* s : raddr[p]) sensitive << *s;
    SC_METHOD(commit0);
    sensitive << commitEv[0];
    dont_initialize();
    SC_METHOD(commit1);
    sensitive << commitEv[1];
    dont_initialize();
  }
  static uint32_t valueOf(const std::vector<In*>& bits) {
    uint32_t v = 0;
    for (size_t i = 0; i < bits.size(); i++) v |= uint32_t(bits[i]->read()) << i;
    return v;
  }
  void write() {
    if (!wen->read()) return;
    uint32_t a = valueOf(waddr);
    mem[a] = valueOf(data);
    written[a] = true;
    memChanged.notify(SC_ZERO_TIME);
  }
  void read() {
    for (int p = 0; p < 2; p++) {
      uint32_t a = valueOf(raddr[p]);
      // An unwritten word reads as all ZERO here (the others read unknowns); the accumulator ignores
      // reads until every word has been written, so the results agree.
      uint32_t v = written[a] ? mem[a] : 0;
      if (pendingKnown[p] && v == pending[p]) continue;
      pending[p] = v;
      pendingKnown[p] = true;
      commitEv[p].cancel();
      commitEv[p].notify(10, SC_NS);
    }
  }
  void commitPort(int p) {
    for (int i = 0; i < width; i++) {
      bool b = (pending[p] >> i) & 1u;
      if (rd[p][size_t(i)]->read() == b) continue;
      rd[p][size_t(i)]->write(b);
      changes++;
    }
  }
  void commit0() { commitPort(0); }
  void commit1() { commitPort(1); }
};

std::map<std::string, std::string> params;
std::vector<Sig*> keep;  // signals live for the whole run

Sig* newSig(bool init = false) {
  Sig* s = new Sig(sc_gen_unique_name("s"), init);
  keep.push_back(s);
  return s;
}

std::vector<Sig*> bus(int n) {
  std::vector<Sig*> b;
  for (int i = 0; i < n; i++) b.push_back(newSig());
  return b;
}

void gate(Kind k, std::vector<In*> in, Sig* out, int delay = 10) { new Gate(sc_gen_unique_name("g"), k, in, out, delay); }
void dff(In* clk, In* rst, In* d, Sig* q, bool init) { new Dff(sc_gen_unique_name("ff"), clk, rst, d, q, init); }

bool hexBit(const std::string& hex, int bit) {
  int digitIndex = int(hex.size()) - 1 - bit / 4;
  if (digitIndex < 0) return false;
  char c = hex[size_t(digitIndex)];
  int v = c <= '9' ? c - '0' : c - 'a' + 10;
  return (v >> (bit % 4)) & 1;
}

std::vector<int> taps(const std::string& list) {
  std::vector<int> t;
  std::stringstream ss(list);
  std::string item;
  while (std::getline(ss, item, ',')) t.push_back(std::stoi(item));
  return t;
}

std::string hexOf(const std::vector<Sig*>& bits) {
  int n = int(bits.size());
  std::string text;
  for (int top = ((n + 3) / 4) * 4 - 4; top >= 0; top -= 4) {
    int digit = 0;
    for (int b = 3; b >= 0; b--) digit = (digit << 1) | (top + b < n && bits[size_t(top + b)]->read());
    text += "0123456789abcdef"[digit];
  }
  return text;
}

// A Fibonacci LFSR starting at its seed: shifts up by one every cycle, the feedback entering at bit 0.
std::vector<Sig*> lfsr(int width, In* clk, In* rst, const std::string& seed, const std::string& tapText) {
  std::vector<Sig*> s;
  for (int i = 0; i < width; i++) s.push_back(newSig(hexBit(seed, i)));
  Sig* fb = newSig();
  std::vector<In*> tapBits;
  for (int t : taps(tapText)) tapBits.push_back(s[size_t(t)]);
  gate(XOR, tapBits, fb);
  for (size_t i = 0; i < s.size(); i++) dff(clk, rst, i == 0 ? fb : s[i - 1], s[i], hexBit(seed, int(i)));
  return s;
}

void counter(const std::vector<Sig*>& q, const std::vector<Sig*>& t, Sig* one, In* clk, In* rst) {
  for (size_t i = 0; i < q.size(); i++) {
    Sig* d = newSig();
    In* carry = i == 0 ? one : t[i];
    gate(AND, {carry, q[i]}, t[i + 1]);
    gate(XOR, {carry, q[i]}, d);
    dff(clk, rst, d, q[i], false);
  }
}


}  // namespace

int sc_main(int argc, char** argv) {
  auto started = std::chrono::steady_clock::now();
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    size_t eq = a.find('=');
    if (eq != std::string::npos) params[a.substr(0, eq)] = a.substr(eq + 1);
  }
  std::string circuit = params["circuit"];
  int size = std::stoi(params["size"]);
  uint64_t cycles = std::stoull(params["cycles"]);
  uint64_t cycleTicks = std::stoull(params["cycle_ticks"]), start = std::stoull(params["start"]);
  uint64_t half = cycleTicks / 2;
  sc_report_handler::set_actions(SC_INFO, SC_DO_NOTHING);

  Sig* zero = newSig(false);
  Sig* one = newSig(true);
  std::vector<std::pair<std::string, std::vector<Sig*>>> results;
  sc_clock* clk = nullptr;
  Sig* rst = zero;
  uint64_t stop = 0;
  if (circuit != "ring") {
    // Rising edges at half, 3*half, ...: edge k of the run at (2k-1)*half; stop mid-way into the low
    // phase after edge `cycles`.
    clk = new sc_clock("clk", sc_time(double(cycleTicks), SC_NS), 0.5, sc_time(double(half), SC_NS), true);
    stop = 2 * cycles * half + half / 2;
  }
  if (circuit == "adder") {
    int w = size;
    std::vector<Sig*> s = lfsr(w, clk, rst, params["seed"], params["taps"]);
    std::vector<Sig*> sum = bus(w), c = bus(w + 1), p = bus(w), g = bus(w), h = bus(w);
    for (int i = 0; i < w; i++) {
      In* a = s[size_t(i)];
      In* b = s[size_t(w - 1 - i)];
      In* cin = i == 0 ? zero : c[size_t(i)];
      gate(XOR, {a, b}, p[size_t(i)]);
      gate(XOR, {p[size_t(i)], cin}, sum[size_t(i)]);
      gate(AND, {a, b}, g[size_t(i)]);
      gate(AND, {cin, p[size_t(i)]}, h[size_t(i)]);
      gate(OR, {g[size_t(i)], h[size_t(i)]}, c[size_t(i + 1)]);
    }
    results = {{"lfsr", s}, {"sum", sum}, {"cout", {c[size_t(w)]}}};
  } else if (circuit == "counter") {
    std::vector<Sig*> q = bus(size), t = bus(size + 1);
    counter(q, t, one, clk, rst);
    results = {{"count", q}};
  } else if (circuit == "ring") {
    int n = size;
    Sig* en = newSig(false);
    Sig* ringRst = newSig(true);
    std::vector<Sig*> ring = bus(n), q = bus(16), t = bus(17);
    Sig* restored = newSig();
    gate(NAND, {en, restored}, ring[0]);
    for (int i = 1; i < n; i++) gate(NOT, {ring[size_t(i - 1)]}, ring[size_t(i)]);
    gate(BUF, {ring[size_t(n - 1)]}, restored, 17);
    counter(q, t, one, ring[0], ringRst);
    results = {{"count", q}};
    stop = std::stoull(params["stop"]);
    // Enable the ring (and release the counter) at `start`, as the other simulators do.
    sc_start(sc_time(double(start), SC_NS));
    en->write(true);
    ringRst->write(false);
  } else if (circuit == "ram") {
    int a = size, width = 16;
    std::vector<Sig*> addr = bus(a), t = bus(a + 1), rd0 = bus(width), rd1 = bus(width);
    std::vector<Sig*> acc = bus(width);
    Sig* filled = newSig();
    Sig* fillNext = newSig();
    Sig* wen = newSig(true);
    counter(addr, t, one, clk, rst);
    std::vector<Sig*> data = lfsr(width, clk, rst, params["seed16"], params["taps16"]);
    std::vector<In*> waddr(addr.begin(), addr.end()), wdata(data.begin(), data.end()), rev, rot;
    for (int j = 0; j < a; j++) rev.push_back(addr[size_t(a - 1 - j)]);
    for (int j = 0; j < a; j++) rot.push_back(addr[size_t((j + a / 2) % a)]);
    new Ram("ram", a, width, clk, wen, waddr, wdata, rev, rot, rd0, rd1);
    gate(OR, {filled, t[size_t(a)]}, fillNext);
    dff(clk, rst, fillNext, filled, false);
    for (int i = 0; i < width; i++) {
      Sig* mixed = newSig();
      Sig* next = newSig();
      gate(XOR, {acc[size_t((i + width - 1) % width)], rd0[size_t(i)], rd1[size_t(i)]}, mixed);
      gate(AND, {filled, mixed}, next);
      dff(clk, rst, next, acc[size_t(i)], false);
    }
    results = {{"acc", acc}, {"lfsr", data}, {"count", addr}};
  } else {
    fprintf(stderr, "systemc_bench: unknown circuit %s\n", circuit.c_str());
    return 2;
  }
  auto runStarted = std::chrono::steady_clock::now();
  sc_start(sc_time(double(stop), SC_NS) - sc_time_stamp());
  auto runEnded = std::chrono::steady_clock::now();
  printf("circuit=%s size=%d cycles=%llu changes=%llu startup_ms=%.3f run_s=%.6f rss_kb=%ld", circuit.c_str(), size,
         static_cast<unsigned long long>(cycles), static_cast<unsigned long long>(changes),
         std::chrono::duration<double, std::milli>(runStarted - started).count(),
         std::chrono::duration<double>(runEnded - runStarted).count(), peakResidentKb());
  for (auto& r : results) printf(" %s=%s", r.first.c_str(), hexOf(r.second).c_str());
  printf("\n");
  return 0;
}
