// The event queue: a top-down skew heap ordered by time.
//
// The merge rules decide the order of events with equal times, which the run loop relies on; they are
// kept exactly, but the merge walks down iteratively so that a long right spine cannot exhaust the
// stack.  Nodes come from a pool: a freed node is reused by the next add, so a steady run allocates
// nothing per event.  Insertion, extraction and the pool are inline: they run twice per event.
#ifndef TARVIK_SKEWHEAP_H
#define TARVIK_SKEWHEAP_H

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Event.h"

// Benchmark builds only (bench/queue-replay): every add and removeMin in order, so that the queue's
// share of a run can be measured on its own.  Compiled out everywhere else.
#ifdef TARVIK_QUEUE_LOG
void logQueueAdd(uint64_t time, int serial);
void logQueueRemoval(int serial);
#define TARVIK_LOG_QUEUE_ADD(t, serial) logQueueAdd(t, serial)
#define TARVIK_LOG_QUEUE_REMOVAL(serial) logQueueRemoval(serial)
#else
#define TARVIK_LOG_QUEUE_ADD(t, serial) ((void)0)
#define TARVIK_LOG_QUEUE_REMOVAL(serial) ((void)0)
#endif

class SkewHeap {
public:
  Event* root = nullptr;
  int32_t length = 0;

  SkewHeap() = default;
  SkewHeap(const SkewHeap&) = delete;
  SkewHeap& operator=(const SkewHeap&) = delete;

  void add(Event e) {
    Event* node = newNode();
    *node = e;
    node->lptr = node->rptr = nullptr;  // a queued node's children are the heap's own
    insert(node);
  }
  // The same as add(Event(t, signalChange, serial, value)), without building the event first.
  void add(uint64_t t, int serial, SignalValue value) {
    Event* node = newNode();
    node->lptr = node->rptr = nullptr;
    node->time = t;
    node->eventType = signalChange;
    node->signalSerialNumber = serial;
    node->sigValue = value;
    insert(node);
  }
  int isEmpty() const { return root == nullptr; }
  Event min() const { return *root; }
  void removeMin() {
    Event* old = root;
    TARVIK_LOG_QUEUE_REMOVAL(old->signalSerialNumber);
    root = merge(old->rptr, old->lptr);
    freeNode(old);
    length--;
  }
  int getLength() const { return length; }
  static Event* merge(Event* h1, Event* h2);
  void print() const;
  static void traverse(const Event* node);

private:
  // root = merge(root, node) for a single new node, the loop specialised for a second heap of one
  // node without children: the steps and therefore the shape are those of merge.
  void insert(Event* node) {
    TARVIK_LOG_QUEUE_ADD(node->time, node->signalSerialNumber);
    length++;
    Event** slot = &root;
    Event* h = root;
    for (;;) {
      if (!h) {
        *slot = node;
        return;
      }
      if (node->time < h->time) {  // the node becomes the top; having no left child, it takes h there
        node->lptr = h;
        *slot = node;
        return;
      }
      *slot = h;
      Event* left = h->lptr;
      if (!left) {
        h->lptr = node;
        return;
      }
      Event* right = h->rptr;
      h->rptr = left;
      slot = &h->lptr;
      h = right;
    }
  }
  Event* newNode() {
    if (!freeList) refill();
    Event* node = freeList;
    freeList = node->lptr;
    return node;
  }
  void freeNode(Event* node) {
    node->lptr = freeList;
    freeList = node;
  }
  void refill();

  Event* freeList = nullptr;                     // reusable nodes, linked through lptr
  std::vector<std::unique_ptr<Event[]>> chunks;  // the pool's storage
};

// merge(h1, h2), written recursively, is: the smaller root (h1 on ties) stays on top; if it has a
// left child L, its new left is merge(its right, other) and its new right is L; otherwise its new left
// is the other heap.  The loop below performs exactly these steps, following the slot into which each
// recursive result would be stored.
// After the first step only h1 can run out: h2 is always the other, non-empty heap.
inline Event* SkewHeap::merge(Event* h1, Event* h2) {
  if (!h1) return h2;
  if (!h2) return h1;
  Event* result = nullptr;
  Event** slot = &result;
  for (;;) {
    // A branch, not a conditional move: mispredicted now and then, but it lets the processor run
    // ahead down the tree instead of waiting for each comparison (measured faster on the adders).
    if (h2->time < h1->time) std::swap(h1, h2);
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

#endif
