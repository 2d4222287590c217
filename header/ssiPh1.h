// Run-time routines of the small-scale components: gates, tri-state buffer, sources, probes.
// (and, or, not and xor are C++ operator words, hence the trailing underscore on those four.)
#ifndef TARVIK_SSIPH1_H
#define TARVIK_SSIPH1_H

void and_(int cind);
void or_(int cind);
void nand(int cind);
void nor(int cind);
void xor_(int cind);
void xnor(int cind);
void not_(int cind);
void iand(int cind);
void inand(int cind);
void ciOr(int cind);
void ciNor(int cind);
void multiLevelCompare(int cind);
void tsb(int cind);

void toggleSwitch(int cind);
void togglePulser(int cind);
void powerOn(int cind);
void clock(int cind);
void stop(int cind);
void switchPane(int cind);

void probe(int cind);
void probebyte(int cind);
void probebyteh(int cind);

#endif
