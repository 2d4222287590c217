// Front panel of the processor: a 16-bit word shown as a row of sixteen one-bit probes.
//
// Bit 15 sits at the first position, a top-level "cell.sub" string; each next bit takes the next sub-cell
// .aa to .ae of the same cell, and after .ae the sub-cell .aa of the next cell, whose name advances
// the second letter of each of its fields ("da-ea" is followed by "db-eb").
#include <cstring>

#include "Pipeline.h"

namespace {

// "ac" -> "ad"; "da-ea" -> "db-eb": the second letter of every field advances.
std::string nextCell(std::string cell) {
  cell[1]++;
  for (size_t dash = cell.find('-'); dash != std::string::npos; dash = cell.find('-', dash + 1)) cell[dash + 2]++;
  return cell;
}

}  // namespace

std::string nextProbePosition(const std::string& position) {
  size_t dot = position.rfind('.');
  std::string cell = position.substr(0, dot), sub = position.substr(dot + 1);
  if (sub[1] < 'e') {
    sub[1]++;
    return cell + "." + sub;
  }
  return nextCell(cell) + ".aa";
}

void probeRow(const char* firstPosition, const Signal& word, const char* caption) {
  std::string position = firstPosition;
  size_t captionLength = strlen(caption);
  for (int bit = 15; bit >= 0; bit--) {
    size_t k = size_t(15 - bit);
    std::string label = k < captionLength && caption[k] != ' ' ? std::string(1, caption[k]) : "";
    Probe(SD(position.c_str()), word[bit], label.c_str());
    position = nextProbePosition(position);
  }
}
