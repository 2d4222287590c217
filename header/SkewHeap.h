// The event queue: a top-down skew heap ordered by time.
//
// The merge rules decide the order of events with equal times, which the run loop relies on; they are
// kept exactly, but the merge walks down iteratively so that a long right spine cannot exhaust the
// stack.  Nodes come from a pool: a freed node is reused by the next add, so a steady run allocates
// nothing per event.  Insertion, extraction and the pool are inline: they run twice per event.
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

#endif
