// Signals and designators: serial numbers, bundle operations, their failures, and label composition.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Globals.h"
#include "Harness.h"
#include "Ph1.h"
#include "Sim.h"

namespace {

std::vector<int> serials(const Signal& s) { return std::vector<int>(s.serialNumber, s.serialNumber + s.length); }

std::vector<SignalValue> initialValues() {
  std::vector<SignalValue> v;
  for (SignalNode* n = phaseOne->signalList.start; n; n = n->ptr) v.push_back(n->value);
  return v;
}

}  // namespace

TEST(Signal, ZeroAndOneComeFirst) {
  EXPECT_EQ(Zero.serialNumber[0], 0);
  EXPECT_EQ(One.serialNumber[0], 1);
  EXPECT_EQ(Zero.constSignal, 1);
  EXPECT_STREQ(phaseOne->signalList.nameOf(0), "Zero[0]");
  EXPECT_STREQ(phaseOne->signalList.nameOf(1), "One[0]");
  EXPECT_EQ(initialValues(), (std::vector<SignalValue>{ZERO, ONE}));
}

TEST(Signal, DeclarationsNumberAndNameTheirBits) {
  Signal d(8, "d");
  EXPECT_EQ(serials(d), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_STREQ(phaseOne->signalList.nameOf(2), "d[0]");
  EXPECT_STREQ(phaseOne->signalList.nameOf(9), "d[7]");
  Signal none(0, "none");
  EXPECT_EQ(none.serialNumber, nullptr);
  EXPECT_EQ(phaseOne->signalList.numberOfSignals, 10);
  Signal clk(1, "clk");
  EXPECT_STREQ(phaseOne->signalList.nameOf(10), "clk[0]");
  EXPECT_STREQ(clk[0].nameTag, "clk");
  EXPECT_STREQ(d[3].nameTag, "d[3]");
}

TEST(Signal, ValueFormsSetInitialValuesAndConstancy) {
  Signal five(4, 5u, "five");
  Signal wide(40, 1u, "wide");
  Signal annon(2, HIZ, 0, nullptr);
  std::vector<SignalValue> v = initialValues();
  EXPECT_EQ(std::vector<SignalValue>(v.begin() + 2, v.begin() + 6), (std::vector<SignalValue>{ONE, ZERO, ONE, ZERO}));
  EXPECT_EQ(five.constSignal, 1);
  for (int i = 0; i < 40; i++) EXPECT_EQ(v[size_t(6 + i)], (i == 0 || i == 32) ? ONE : ZERO) << i;
  EXPECT_EQ(annon.nameTag, nullptr);
  EXPECT_EQ(annon.constSignal, 0);
  EXPECT_STREQ(phaseOne->signalList.nameOf(46), "Annon");
  EXPECT_EQ(v[46], HIZ);
}

TEST(Signal, SubRangesSerialRangesConcatenationReplication) {
  Signal s(4, "s");  // serials 2..5
  EXPECT_EQ(serials(s.sub(3, 0)), (std::vector<int>{2, 3, 4, 5}));
  EXPECT_EQ(serials(s.sub(0, 3)), (std::vector<int>{5, 4, 3, 2}));
  EXPECT_EQ(serials(s.sub(2, 2)), (std::vector<int>{4}));
  EXPECT_EQ(serials(s[3] - s[0]), serials(s.sub(3, 0)));
  EXPECT_EQ(serials(s[0] - s[3]), serials(s.sub(0, 3)));
  Signal a(2, "a"), b(3, "b");  // 6..7, 8..10
  Signal ab = (a, b);
  EXPECT_EQ(serials(ab), (std::vector<int>{8, 9, 10, 6, 7}));
  EXPECT_STREQ(ab.nameTag, "a,b");
  EXPECT_EQ(serials((a, b, Zero)), (std::vector<int>{0, 8, 9, 10, 6, 7}));
  EXPECT_EQ(serials(3 * a), (std::vector<int>{6, 7, 6, 7, 6, 7}));
  EXPECT_EQ((0 * a).length, 0);
  EXPECT_EQ((-2 * a).length, 0);
  EXPECT_EQ((3 * One).constSignal, 1);
}

TEST(Signal, CopiesReferToTheSameBitsAndOutliveTheOriginal) {
  Signal* s = new Signal(3, "s");
  Signal copy(*s);
  delete s;
  EXPECT_EQ(serials(copy), (std::vector<int>{2, 3, 4}));
  EXPECT_STREQ(copy.nameTag, "s");
  EXPECT_EQ(phaseOne->signalList.numberOfSignals, 5);
}

TEST(Signal, OutOfRangeOperationsEndTheProgram) {
  RunResult r = runInChild([] {
    Signal s(2, "s");
    s[2];
  });
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Signal :: operator[] subscript out of range--\n  -- Signal = s sub = 2\n");
  r = runInChild([] {
    Signal s(2, "s");
    s.sub(0, -1);
  });
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Signal member sub(int,int)--bad range: 0,-1\nSource length = 2\n");
  r = runInChild([] {
    Signal s(2, "s");
    s - s[0];
  });
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error--operator - arguments are not length = 1.\n");
}

TEST(Signal, AssignmentIsRefusedAndTheRunGoesOn) {
  RunResult r = runInChild([] {
    Signal a(1, "a"), b(1, "b");
    Signal result = (a = b);
    EXPECT_EQ(result.length, 0);
    EXPECT_EQ(a.serialNumber[0], 2);
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "Assignment from SignalName = b to Signal Name = a not implemented.\n"
            "  Try to use initialization instead -- or talk to the Prof.\n");
}

TEST(Signal, PrintAndValueNames) {
  RunResult r = runInChild([] {
    Signal s(2, "s");
    s.print();
    saySignalValue(XXX);
    saySignalValue(SignalValue(7));
  });
  std::string err = r.err;
  ASSERT_EQ(err.compare(0, 20, "Signal.print() this="), 0);
  EXPECT_NE(err.find(" nameTag=s constSignal=0 length=2, numbered:\n     3 2 \nXXXNOT A SIGNAL"), std::string::npos);
}

TEST(Designator, LevelsPositionsAndLabels) {
  SD top("ad");
  EXPECT_EQ(top.graphicLevel, 1);
  EXPECT_STREQ(top.graphicPosition, "ad");
  EXPECT_EQ(top.decal, nullptr);
  SD child(top, "ac-ae");
  EXPECT_EQ(child.graphicLevel, 2);
  EXPECT_STREQ(child.graphicPosition, "ad.ac-ae");
  SD grandchild(child, "aa");
  EXPECT_EQ(grandchild.graphicLevel, 3);
  EXPECT_STREQ(grandchild.graphicPosition, "ad.ac-ae.aa");
  SD twoFields(top, "ab.cd");
  EXPECT_EQ(twoFields.graphicLevel, 2);
  EXPECT_EQ(SD("aa.ab").graphicLevel, 1);

  SD labelled("aa", "Reg");
  EXPECT_STREQ(SD(labelled, "ab", "7").decal, "Reg7");
  EXPECT_STREQ(SD(labelled, "ab").decal, "Reg");
  EXPECT_STREQ(SD(top, "ab", "x").decal, "x");
  SD relabelled = (labelled, "Other");
  EXPECT_STREQ(relabelled.decal, "Other");
  EXPECT_STREQ(relabelled.graphicPosition, "aa");
  EXPECT_EQ(relabelled.graphicLevel, 1);
}

TEST(Designator, EachOwnsItsTexts) {
  SD* parent = new SD("aa", "P");
  SD child(*parent, "bb");
  SD copy(child);
  delete parent;
  EXPECT_STREQ(child.graphicPosition, "aa.bb");
  EXPECT_STREQ(copy.decal, "P");
  copy = SD("zz");
  EXPECT_EQ(copy.decal, nullptr);
  EXPECT_STREQ(child.decal, "P");
}
