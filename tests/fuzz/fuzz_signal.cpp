// Fuzz target: bundle operations with random lengths and indices, then the run-time bit support on
// the bundles made.
//
// Every operation the bytes ask for is checked for range first (out-of-range operations end the
// program by design, and are covered by the unit tests); the results must refer only to declared bits
// and keep their lengths.  Then random values are given to the declared bits, and for bundles of the
// pool the packed store must round-trip them (HIZ reads back as UNINITIALIZED), write exactly the words
// it covers, and integerFromSignals must agree with a plain reading of the bits.
//
// Each input starts from fresh construction lists (Zero and One declared again as bits 0 and 1): they
// would otherwise grow without end over millions of inputs, and memory held from one input to the
// next makes the fuzzer search for leaks after every input.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Bundles.h"
#include "Globals.h"
#include "Ph1.h"
#include "Ph2.h"
#include "Ph3.h"
#include "RunTime.h"
#include "Signal.h"

namespace {

struct Bytes {
  const uint8_t* data;
  size_t size, at = 0;
  int next() { return at < size ? data[at++] : 0; }
};

void check(const Signal& s) {
  int declared = phaseOne->signalList.numberOfSignals;
  if (s.length < 0 || (s.length > 0) != (s.serialNumber != nullptr)) abort();
  for (int i = 0; i < s.length; i++)
    if (s.serialNumber[i] < 0 || s.serialNumber[i] >= declared) abort();
}

// Replaces the construction lists by fresh ones holding only Zero and One; their count reports are
// not wanted on standard error, which stays the fuzzer's.
void freshConstructionLists() {
  fflush(stderr);
  int saved = dup(2), quiet = open("/dev/null", O_WRONLY);
  dup2(quiet, 2);
  delete phaseOne;
  fflush(stderr);
  dup2(saved, 2);
  close(saved);
  close(quiet);
  phaseOne = nullptr;
  resetBundles();
  Signal zero(1, 0u, "Zero"), one(1, 1u, "One");
  if (zero.serialNumber[0] != 0 || one.serialNumber[0] != 1) abort();
}

int plainInteger(const Signal& s, const std::vector<SignalValue>& values) {
  uint32_t v = 0;
  for (int i = 0; i < s.length; i++) {
    SignalValue b = values[size_t(s.serialNumber[i])];
    if (b == ONE && i < 32) v |= uint32_t(1) << i;
    if (b != ONE && b != ZERO) return -1;
  }
  return int32_t(v);
}

void checkBitSupport(Bytes& in, const std::vector<std::unique_ptr<Signal>>& pool) {
  PhaseTwo p2;
  p2.numberOfSignals = phaseOne->signalList.numberOfSignals;
  phaseTwo = &p2;
  PhaseThree p3;
  phaseThree = &p3;
  for (SignalValue& v : p3.currentSignals) v = SignalValue(in.next() % 5);
  const unsigned guard = 0xdeadbeefu;
  for (const auto& s : pool) {
    int n = s->length;
    std::vector<unsigned> packed(size_t(n / 16 + 2), guard);
    packSignals(n, s->serialNumber, packed.data());
    size_t words = n > 0 ? size_t((n - 1) / 16 + 1) : 0;
    for (size_t w = words; w < packed.size(); w++)
      if (packed[w] != guard) abort();
    std::vector<SignalValue> back(static_cast<size_t>(n));
    unpackSignals(n, packed.data(), back.data());
    for (int i = 0; i < n; i++) {
      SignalValue v = p3.currentSignals[size_t(s->serialNumber[i])];
      if (back[size_t(i)] != (v == HIZ ? UNINITIALIZED : v)) abort();
      if (complement(complement(v)) != v) abort();
    }
    if (integerFromSignals(n, s->serialNumber) != plainInteger(*s, p3.currentSignals)) abort();
  }
  phaseThree = nullptr;
  phaseTwo = nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ensurePhaseOne();
  if (phaseOne->signalList.numberOfSignals > 2) freshConstructionLists();
  Bytes in{data, size};
  std::vector<std::unique_ptr<Signal>> pool;
  pool.emplace_back(new Signal(Zero));
  while (in.at < in.size && pool.size() < 64) {
    int op = in.next() % 8;
    if (op == 7) break;  // the rest of the bytes are values for the bit support
    const Signal& a = *pool[size_t(in.next()) % pool.size()];
    const Signal& b = *pool[size_t(in.next()) % pool.size()];
    int i = in.next(), j = in.next();
    Signal* r = nullptr;
    switch (op) {
      case 0: r = new Signal(unsigned(i % 40), "d"); break;
      case 1: r = new Signal(unsigned(i % 40), unsigned(j) * 0x01010101u, "k"); break;
      case 2: if (a.length > 0) r = new Signal(a[i % a.length]); break;
      case 3: if (a.length > 0) r = new Signal(a.sub(i % a.length, j % a.length)); break;
      case 4: if (a.length + b.length < 4096) r = new Signal((a, b)); break;
      case 5: if (long(i % 8) * a.length < 4096) r = new Signal((i % 8 - 2) * a); break;
      case 6:
        if (a.length == 1 && b.length == 1) {
          int span = abs(a.serialNumber[0] - b.serialNumber[0]);
          if (span < 4096) r = new Signal(a - b);
        }
        break;
    }
    if (!r) continue;
    check(*r);
    pool.emplace_back(r);
  }
  checkBitSupport(in, pool);
  pool.clear();
  freshConstructionLists();
  return 0;
}
