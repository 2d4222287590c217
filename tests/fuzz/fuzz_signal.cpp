// Fuzz target: bundle operations with random lengths and indices.  Every operation the bytes ask for
// is checked for range first (out-of-range operations end the program by design, and are covered by
// the unit tests); the results must refer only to declared bits and keep their lengths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Globals.h"
#include "Ph1.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes in{data, size};
  std::vector<std::unique_ptr<Signal>> pool;
  pool.emplace_back(new Signal(Zero));
  while (in.at < in.size && pool.size() < 64) {
    int op = in.next() % 7;
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
  return 0;
}
