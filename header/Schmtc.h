// Schematic designators: where a component is drawn and, optionally, the label drawn on it.
//
// A module function receives the designator of its own box and places each part inside it with a
// child designator, so the nesting of module functions becomes the nesting of schematic cells.  Each
// designator owns separate copies of its texts.
#ifndef TARVIK_SCHMTC_H
#define TARVIK_SCHMTC_H

class SD {
public:
  int graphicLevel;       // 1 for a top-level designator, parent's level + 1 for a child
  char* graphicPosition;  // cell fields of every level, outermost first, joined by "."
  char* decal;            // label drawn on the component; null: the component's own default

  SD(const char* pos, const char* thisDecal = nullptr);
  SD(const SD& sd, const char* pos, const char* thisDecal = nullptr);
  SD(const SD& sd);
  SD();
  ~SD();
  SD& operator=(const SD& sd);
  // Same level and position, with thisDecal as the label: (SD("aa"), "Reg").
  SD operator,(const char* thisDecal) const;
};

#endif
