// Schematic designators: position strings and labels, composed top-down by module functions.
#include "Schmtc.h"

#include <cstring>
#include <string>

namespace {

char* copyText(const char* s) {
  if (!s) return nullptr;
  size_t n = strlen(s) + 1;
  char* copy = new char[n];
  memcpy(copy, s, n);
  return copy;
}

// A child's label: the parent's label followed by the given one, whichever of them exist.
char* childDecal(const char* parent, const char* given) {
  if (!parent) return copyText(given);
  if (!given) return copyText(parent);
  return copyText((std::string(parent) + given).c_str());
}

}  // namespace

SD::SD(const char* pos, const char* thisDecal)
    : graphicLevel(1), graphicPosition(copyText(pos ? pos : "")), decal(copyText(thisDecal)) {}

SD::SD(const SD& sd, const char* pos, const char* thisDecal)
    : graphicLevel(sd.graphicLevel + 1),
      graphicPosition(copyText((std::string(sd.graphicPosition ? sd.graphicPosition : "") + "." + (pos ? pos : "")).c_str())),
      decal(childDecal(sd.decal, thisDecal)) {}

SD::SD(const SD& sd)
    : graphicLevel(sd.graphicLevel), graphicPosition(copyText(sd.graphicPosition)), decal(copyText(sd.decal)) {}

SD::SD() : graphicLevel(0), graphicPosition(nullptr), decal(nullptr) {}

SD::~SD() {
  delete[] graphicPosition;
  delete[] decal;
  graphicPosition = nullptr;
  decal = nullptr;
}

SD& SD::operator=(const SD& sd) {
  if (this == &sd) return *this;
  char* position = copyText(sd.graphicPosition);
  char* label = copyText(sd.decal);
  delete[] graphicPosition;
  delete[] decal;
  graphicLevel = sd.graphicLevel;
  graphicPosition = position;
  decal = label;
  return *this;
}

SD SD::operator,(const char* thisDecal) const {
  SD r;
  r.graphicLevel = graphicLevel;
  r.graphicPosition = copyText(graphicPosition);
  r.decal = copyText(thisDecal ? thisDecal : "");
  return r;
}
