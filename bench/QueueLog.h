// The queue log of the recording build (bench/queue-replay): one record per queue operation.
#ifndef TARVIK_BENCH_QUEUELOG_H
#define TARVIK_BENCH_QUEUELOG_H

#include <cstdint>

namespace bench {

// An add carries the event's time; a removal carries removalMark.  Both carry the serial number
// (of the event added, of the event taken out).
const uint64_t removalMark = ~uint64_t(0);
struct QueueRecord {
  uint64_t time;
  int64_t serial;
};

}  // namespace bench

#endif
