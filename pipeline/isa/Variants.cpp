// The processor variants' rows.  CMake reads each row's first two fields, tag and program, from the
// lines below (one row a line, starting `{"TAG", "PROGRAM",`) to build the programs and to give
// tools/run and the web page the same list: keep that shape.
#include "Variants.h"

#include "ProcessorNames.h"

namespace {

namespace names = processorNames;

std::deque<ProcessorVariant>& rows() {
  static std::deque<ProcessorVariant> variants = {
      {"5a", "5a-LD-hazard", false, false, 3, nullptr, {}, "how-the-5a-ld-hazard-processor-runs-a-program",
       names::romWords},
      {"5b", "5b-forwarding", true, true, 3, "Forwarding and interlock",
       {names::forwards[0], names::forwards[1], names::forwards[2], names::loadUse},
       "5b-forwarding-forwarding-and-the-load-interlock", names::romWords},
  };
  return variants;
}

}  // namespace

const std::deque<ProcessorVariant>& processorVariants() { return rows(); }

const ProcessorVariant* processorVariantTagged(const std::string& tag) {
  for (const ProcessorVariant& v : rows())
    if (tag == v.tag) return &v;
  return nullptr;
}

const ProcessorVariant& defaultProcessorVariant() { return rows().front(); }

std::string processorVariantTags(const std::string& separator, const std::string& lastSeparator,
                                 const std::string& quote) {
  std::string text;
  for (size_t i = 0; i < rows().size(); i++) {
    if (i > 0) text += i + 1 == rows().size() ? lastSeparator : separator;
    text += quote + rows()[i].tag + quote;
  }
  return text;
}

void addProcessorVariant(const ProcessorVariant& variant) { rows().push_back(variant); }
