// The processor variants' table against what is built from it and written about it: the programs
// CMake read from the table (the list tools/run and the web page use) are its rows, and each row's
// docs anchor is a section of docs/processor.md.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "Harness.h"
#include "Variants.h"

namespace {

TEST(ProcessorVariants, TheBuildListsEveryRowInOrder) {
  std::string rows;
  for (const ProcessorVariant& v : processorVariants()) rows += std::string(v.tag) + " " + v.program + "\n";
  EXPECT_EQ(fileText(TARVIK_PIPELINE_DIR "/processors.txt"), rows);
}

// A heading's anchor as the documentation's renderers make it: lower case, spaces as '-', other
// punctuation dropped.
std::string anchorOf(const std::string& heading) {
  std::string anchor;
  for (unsigned char c : heading.substr(heading.find(' ') + 1)) {
    if (std::isalnum(c) || c == '-' || c == '_') anchor += char(std::tolower(c));
    else if (c == ' ') anchor += '-';
  }
  return anchor;
}

TEST(ProcessorVariants, EachDocsAnchorIsASectionOfTheProcessorPage) {
  std::set<std::string> anchors;
  for (const std::string& line : linesOf(fileText(TARVIK_SOURCE_DIR "/docs/processor.md")))
    if (line.rfind("#", 0) == 0) anchors.insert(anchorOf(line));
  for (const ProcessorVariant& v : processorVariants()) EXPECT_EQ(anchors.count(v.docsAnchor), 1u) << v.tag;
}

}  // namespace
