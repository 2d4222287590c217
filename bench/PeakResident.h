// Peak resident memory of this process, for the benchmark programs and their peers.
#ifndef TARVIK_BENCH_PEAKRESIDENT_H
#define TARVIK_BENCH_PEAKRESIDENT_H

#include <cstdio>
#include <cstdlib>
#include <cstring>

// VmHWM in KiB, -1 when unknown: unlike getrusage's maximum it is not inherited from the parent
// across exec.
inline long peakResidentKb() {
  FILE* f = fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (fgets(line, sizeof line, f))
    if (strncmp(line, "VmHWM:", 6) == 0) kb = atol(line + 6);
  fclose(f);
  return kb;
}

#endif
