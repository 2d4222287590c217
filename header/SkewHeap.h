// The event queue: a top-down skew heap ordered by time.
//
// The merge rules decide the order of events with equal times, which the run loop relies on; they are
// kept exactly, but the merge walks down iteratively so that a long right spine cannot exhaust the
// stack.  Nodes come from a pool: a freed node is reused by the next add, so a steady run allocates
// nothing per event.
#ifndef TARVIK_SKEWHEAP_H
#define TARVIK_SKEWHEAP_H

#include <memory>
#include <vector>

#include "Event.h"

class SkewHeap {
public:
  Event* root = nullptr;
  int32_t length = 0;

  SkewHeap() = default;
  SkewHeap(const SkewHeap&) = delete;
  SkewHeap& operator=(const SkewHeap&) = delete;

  void add(Event e);
  int isEmpty() const { return root == nullptr; }
  Event min() const { return *root; }
  void removeMin();
  int getLength() const { return length; }
  static Event* merge(Event* h1, Event* h2);
  void print() const;
  static void traverse(const Event* node);

private:
  Event* newNode();
  void freeNode(Event* node);

  Event* freeList = nullptr;                     // reusable nodes, linked through lptr
  std::vector<std::unique_ptr<Event[]>> chunks;  // the pool's storage
};

#endif
