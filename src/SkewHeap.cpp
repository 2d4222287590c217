// The event queue's node pool and its debugging dump; the merge rules are inline in SkewHeap.h.
#include "SkewHeap.h"

#include <cstdio>

namespace {
const size_t chunkSize = 4096;
}

void SkewHeap::refill() {
  chunks.emplace_back(new Event[chunkSize]);
  Event* chunk = chunks.back().get();
  for (size_t i = 0; i < chunkSize; i++) {
    chunk[i].lptr = freeList;
    freeList = &chunk[i];
  }
}

void SkewHeap::print() const {
  traverse(root);
  fputc('\n', stderr);
}

void SkewHeap::traverse(const Event* node) {
  if (!node) return;
  node->printEvent();
  fputs(" down-left", stderr);
  traverse(node->lptr);
  fputs(" up", stderr);
  fputs(" down-right", stderr);
  traverse(node->rptr);
  fputs(" up", stderr);
}
