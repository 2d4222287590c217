// Icon tables: n polylines, then each polyline's vertex count, then all vertices as (x, y) pairs in a
// 1000 x 1000 box, (0, 0) at the upper left.
#ifndef TARVIK_ICONDATA_H
#define TARVIK_ICONDATA_H

extern const int spaceIcon[];
extern const int andIcon[];
extern const int nandIcon[];
extern const int orIcon[];
extern const int norIcon[];
extern const int xorIcon[];
extern const int xnorIcon[];
extern const int iAndIcon[];
extern const int iNandIcon[];
extern const int CiOrIcon[];
extern const int CiNorIcon[];
extern const int notIcon[];
extern const int tsbIcon[];
extern const int rectIcon[];
extern const int circleIcon[];

#endif
