// The recording build's queue log: every add and removeMin of the run, written when the process
// exits to the file named by TARVIK_QUEUE_LOG_FILE.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "QueueLog.h"
#include "SkewHeap.h"

namespace {

std::vector<bench::QueueRecord>& records() {
  static std::vector<bench::QueueRecord> log;
  return log;
}

void writeLog() {
  const char* name = getenv("TARVIK_QUEUE_LOG_FILE");
  if (!name) return;
  FILE* f = fopen(name, "wb");
  if (!f || fwrite(records().data(), sizeof(bench::QueueRecord), records().size(), f) != records().size()) {
    fprintf(stderr, "queue log: cannot write %s\n", name);
    exit(1);
  }
  fclose(f);
}

bool registered = [] {
  records().reserve(size_t(1) << 20);
  return atexit(writeLog) == 0;
}();

}  // namespace

void logQueueAdd(uint64_t time, int serial) { records().push_back({time, serial}); }
void logQueueRemoval(int serial) { records().push_back({bench::removalMark, serial}); }
