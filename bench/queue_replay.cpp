// Replays a queue log (bench/QueueLog.cpp) on the event queue alone: the same adds, with the same
// times and serial numbers, and the same removals, in the same order.  Every removal must take out
// the event that the run took out (so the replayed queue went through the same shapes); the best
// of several replays gives the queue's own cost per operation and per event.
//
//   queue_replay LOGFILE [REPEATS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "QueueLog.h"
#include "SkewHeap.h"

namespace {

std::vector<bench::QueueRecord> readLog(const char* name) {
  std::vector<bench::QueueRecord> log;
  FILE* f = fopen(name, "rb");
  if (!f) {
    fprintf(stderr, "queue_replay: cannot read %s\n", name);
    exit(2);
  }
  bench::QueueRecord r;
  while (fread(&r, sizeof r, 1, f) == 1) log.push_back(r);
  fclose(f);
  return log;
}

// One replay; false when a removal takes out another event than the run did.
bool replay(const std::vector<bench::QueueRecord>& log, double& seconds) {
  SkewHeap queue;
  bool same = true;
  auto start = std::chrono::steady_clock::now();
  for (const bench::QueueRecord& r : log) {
    if (r.time != bench::removalMark) {
      queue.add(r.time, int(r.serial), ZERO);
      continue;
    }
    same &= !queue.isEmpty() && queue.root->signalSerialNumber == r.serial;
    if (!queue.isEmpty()) queue.removeMin();
  }
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s LOGFILE [REPEATS]\n", argv[0]);
    return 2;
  }
  std::vector<bench::QueueRecord> log = readLog(argv[1]);
  int repeats = argc > 2 ? atoi(argv[2]) : 5;
  size_t adds = 0;
  for (const bench::QueueRecord& r : log) adds += r.time != bench::removalMark;
  double best = 1e30;
  for (int i = 0; i < repeats; i++) {
    double seconds;
    if (!replay(log, seconds)) {
      fprintf(stderr, "queue_replay: the replayed queue took out other events than the run\n");
      return 1;
    }
    if (seconds < best) best = seconds;
  }
  printf("operations=%zu adds=%zu queue_s=%.6f ns_per_operation=%.2f ns_per_event=%.2f\n", log.size(), adds, best,
         best * 1e9 / double(log.size()), adds ? best * 1e9 / double(adds) : 0.0);
  return 0;
}
