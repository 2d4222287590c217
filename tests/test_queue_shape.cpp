// The queue against a plain recursive skew heap written straight from the merge rules: after every
// operation of long random sequences, with many equal times, both trees must have the same shape and
// give the same events in the same order.  The queue's insertion and extraction are hand-tuned loops;
// this is what keeps them honest.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "SkewHeap.h"

namespace {

struct RefNode {
  uint64_t time;
  int serial;
  RefNode* left = nullptr;
  RefNode* right = nullptr;
};

// merge(h1, h2): the smaller root stays on top, h1 on equal times; if it has a left child L, its new
// left is merge(its right, other) and its new right is L; otherwise its new left is the other heap.
RefNode* refMerge(RefNode* h1, RefNode* h2) {
  if (!h1) return h2;
  if (!h2) return h1;
  if (h2->time < h1->time) return refMerge(h2, h1);
  if (h1->left) {
    RefNode* l = h1->left;
    h1->left = refMerge(h1->right, h2);
    h1->right = l;
  } else {
    h1->left = h2;
  }
  return h1;
}

struct RefHeap {
  RefNode* root = nullptr;
  std::vector<std::unique_ptr<RefNode>> nodes;
  void add(uint64_t t, int s) {
    nodes.emplace_back(new RefNode{t, s});
    root = refMerge(root, nodes.back().get());
  }
  void removeMin() { root = refMerge(root->right, root->left); }
};

// Both trees walked in the same order; false at the first difference in shape or content.
bool sameTree(const RefNode* r, const Event* e) {
  if (!r || !e) return !r && !e;
  return r->time == e->time && r->serial == e->signalSerialNumber && sameTree(r->left, e->lptr) &&
         sameTree(r->right, e->rptr);
}

void randomRun(unsigned seed, int operations, int timeSpread, int addPercent) {
  std::mt19937 rng(seed);
  SkewHeap heap;
  RefHeap ref;
  uint64_t now = 0;
  int serial = 0;
  for (int op = 0; op < operations; op++) {
    bool add = heap.isEmpty() || int(rng() % 100) < addPercent;
    if (add) {
      // Mostly near-future times as the transition rules make them, some far ones, many equal.
      uint64_t t = now + rng() % uint64_t(timeSpread);
      heap.add(Event(t, signalChange, serial, ONE));
      ref.add(t, serial);
      serial++;
    } else {
      now = heap.min().time;
      ASSERT_EQ(heap.min().signalSerialNumber, ref.root->serial);
      heap.removeMin();
      ref.removeMin();
    }
    ASSERT_TRUE(sameTree(ref.root, heap.root)) << "after operation " << op << " of seed " << seed;
  }
  while (!heap.isEmpty()) {
    ASSERT_EQ(heap.min().signalSerialNumber, ref.root->serial);
    heap.removeMin();
    ref.removeMin();
    ASSERT_TRUE(sameTree(ref.root, heap.root));
  }
  EXPECT_EQ(ref.root, nullptr);
  EXPECT_EQ(heap.getLength(), 0);
}

}  // namespace

TEST(SkewHeapShape, ManyTiesBalanced) {
  for (unsigned seed = 1; seed <= 20; seed++) randomRun(seed, 3000, 4, 50);
}

TEST(SkewHeapShape, SpreadTimesGrowingQueue) {
  for (unsigned seed = 100; seed <= 110; seed++) randomRun(seed, 4000, 40, 65);
}

TEST(SkewHeapShape, AllEqualTimes) {
  for (unsigned seed = 200; seed <= 205; seed++) randomRun(seed, 2000, 1, 55);
}

TEST(SkewHeapShape, FreedNodesAreReusedWithoutChangingShape) {
  // Drain and refill several times: nodes come back from the pool, the shapes must not care.
  std::mt19937 rng(7);
  SkewHeap heap;
  for (int round = 0; round < 5; round++) {
    RefHeap ref;
    for (int i = 0; i < 500; i++) {
      uint64_t t = rng() % 8;
      heap.add(Event(t, signalChange, i, ZERO));
      ref.add(t, i);
    }
    ASSERT_TRUE(sameTree(ref.root, heap.root));
    while (!heap.isEmpty()) {
      ASSERT_EQ(heap.min().signalSerialNumber, ref.root->serial);
      heap.removeMin();
      ref.removeMin();
      ASSERT_TRUE(sameTree(ref.root, heap.root));
    }
  }
}
