// The event queue: time order, the tie orders the run loop depends on, node reuse and deep heaps.
#include <gtest/gtest.h>

#include <vector>

#include "Harness.h"
#include "SkewHeap.h"

namespace {

Event at(uint64_t t, int serial) { return Event(t, signalChange, serial, ONE); }

std::vector<int> drainSerials(SkewHeap& h) {
  std::vector<int> order;
  while (!h.isEmpty()) {
    order.push_back(h.min().signalSerialNumber);
    h.removeMin();
  }
  return order;
}

std::vector<int> tieOrder(int n) {
  SkewHeap h;
  for (int i = 1; i <= n; i++) h.add(at(5, i));
  return drainSerials(h);
}

}  // namespace

TEST(SkewHeap, EmptyAndBackToEmpty) {
  SkewHeap h;
  EXPECT_EQ(h.isEmpty(), 1);
  EXPECT_EQ(h.getLength(), 0);
  h.add(at(3, 1));
  EXPECT_EQ(h.isEmpty(), 0);
  EXPECT_EQ(h.getLength(), 1);
  h.removeMin();
  EXPECT_EQ(h.isEmpty(), 1);
  EXPECT_EQ(h.getLength(), 0);
}

TEST(SkewHeap, TimeOrder) {
  SkewHeap h;
  h.add(at(30, 3));
  h.add(at(10, 1));
  EXPECT_EQ(h.min().time, 10u);  // a smaller time becomes the root at once
  h.add(at(20, 2));
  EXPECT_EQ(drainSerials(h), (std::vector<int>{1, 2, 3}));
}

TEST(SkewHeap, EqualTimesComeOutInTheMergeOrder) {
  EXPECT_EQ(tieOrder(2), (std::vector<int>{1, 2}));
  EXPECT_EQ(tieOrder(3), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(tieOrder(4), (std::vector<int>{1, 3, 2, 4}));
  EXPECT_EQ(tieOrder(8), (std::vector<int>{1, 3, 7, 5, 2, 6, 4, 8}));
}

TEST(SkewHeap, CopiesCarryAllFields) {
  SkewHeap h;
  h.add(Event(17, signalChange, 5, HIZ));
  Event e = h.min();
  EXPECT_EQ(e.time, 17u);
  EXPECT_EQ(e.signalSerialNumber, 5);
  EXPECT_EQ(e.sigValue, HIZ);
  EXPECT_EQ(e.eventType, int(signalChange));
}

// Ascending inserts build a long left spine and descending ones re-root every time; a million events
// either way must neither exhaust the stack nor lose order.
TEST(SkewHeap, LargeQueuesDrainInOrder) {
  for (int descending = 0; descending < 2; descending++) {
    SkewHeap h;
    const int n = 1000000;
    for (int i = 0; i < n; i++) h.add(at(descending ? uint64_t(n - i) : uint64_t(i), i));
    EXPECT_EQ(h.getLength(), n);
    uint64_t last = 0;
    int count = 0;
    while (!h.isEmpty()) {
      ASSERT_GE(h.min().time, last);
      last = h.min().time;
      h.removeMin();
      count++;
    }
    EXPECT_EQ(count, n);
  }
}

TEST(SkewHeap, MixedTimesKeepTheRecursiveTieOrder) {
  // The same sequence as a reference skew heap written recursively.
  struct Node {
    uint64_t t;
    int id;
    Node *l = nullptr, *r = nullptr;
  };
  struct Ref {
    static Node* merge(Node* a, Node* b) {
      if (!a) return b;
      if (!b) return a;
      if (b->t < a->t) return merge(b, a);
      if (a->l) {
        Node* left = a->l;
        a->l = merge(a->r, b);
        a->r = left;
      } else {
        a->l = b;
      }
      return a;
    }
  };
  std::vector<Node> nodes(2000);
  Node* ref = nullptr;
  SkewHeap h;
  std::vector<int> expected, got;
  unsigned seed = 12345;
  for (int i = 0; i < 2000; i++) {
    seed = seed * 1103515245u + 12345u;
    uint64_t t = (seed >> 16) % 7;
    nodes[i].t = t;
    nodes[i].id = i;
    ref = Ref::merge(ref, &nodes[i]);
    h.add(at(t, i));
    if (i % 3 == 2) {  // interleave removals
      expected.push_back(ref->id);
      ref = Ref::merge(ref->r, ref->l);
      got.push_back(h.min().signalSerialNumber);
      h.removeMin();
    }
  }
  while (ref) {
    expected.push_back(ref->id);
    ref = Ref::merge(ref->r, ref->l);
    got.push_back(h.min().signalSerialNumber);
    h.removeMin();
  }
  EXPECT_EQ(got, expected);
}

TEST(SkewHeap, Dumps) {
  RunResult r = runInChild([] {
    SkewHeap h;
    h.print();
    h.add(Event(17, signalChange, 5, ONE));
    h.add(Event(20, signalChange, 6, SignalValue(9)));
    h.print();
  });
  EXPECT_EQ(r.err,
            "\n"
            " printEvent()--Time: 17 EventType = 0 signalSerialNumber = 5 sigValue = ONE\n"
            " down-left printEvent()--Time: 20 EventType = 0 signalSerialNumber = 6 sigValue = NOT A SIGNAL\n"
            " down-left up down-right up up down-right up\n");
}
