// The event queue: a top-down skew heap whose merge swaps the children on every step.
//
// merge(h1, h2), written recursively, is: the smaller root (h1 on ties) stays on top; if it has a
// left child L, its new left is merge(its right, other) and its new right is L; otherwise its new left
// is the other heap.  The loop below performs exactly these steps, following the slot into which each
// recursive result would be stored.
#include "SkewHeap.h"

#include <cstdint>
#include <cstdio>
#include <utility>

namespace {
const size_t chunkSize = 4096;
}

// After the first step only h1 can run out: h2 is always the other, non-empty heap.
Event* SkewHeap::merge(Event* h1, Event* h2) {
  if (!h1) return h2;
  if (!h2) return h1;
  Event* result = nullptr;
  Event** slot = &result;
  for (;;) {
    // Which heap wins is unpredictable, so the two are exchanged by a mask rather than a branch
    // (written as a conditional, the compiler turns it back into a jump).
    uintptr_t a = reinterpret_cast<uintptr_t>(h1), b = reinterpret_cast<uintptr_t>(h2);
    uintptr_t swap = (a ^ b) & (uintptr_t(0) - uintptr_t(h2->time < h1->time));
    h1 = reinterpret_cast<Event*>(a ^ swap);
    h2 = reinterpret_cast<Event*>(b ^ swap);
    *slot = h1;
    Event* left = h1->lptr;
    if (!left) {
      h1->lptr = h2;
      break;
    }
    Event* right = h1->rptr;
    h1->rptr = left;
    slot = &h1->lptr;
    if (!right) {
      *slot = h2;
      break;
    }
    h1 = right;
  }
  return result;
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
