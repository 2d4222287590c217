// The examples of docs/processor.md and docs/assembly.md are runs of the processor, so a page that no
// longer matches the circuit fails here.  An example is an HTML comment, hidden on the rendered page,
// holding the options and the program:
//
//     <!-- run: --cycles 8 --diagram
//             setlo r1, 5
//     -->
//
// followed by the indented block that `5a-LD-hazard -X --quiet --program PROGRAM.s OPTIONS` prints
// (a leading blank line dropped).  `<!-- run 5b: ...` runs 5b-forwarding instead (`run 5a:` names
// 5a-LD-hazard, the default).  Options may end in `| grep TEXT`: the block then holds only the lines
// holding TEXT; `| grep -E 'PATTERN'` keeps the lines a regular expression (extended) finds in.  When
// the options hold `--program FILE` (FILE in the source tree, e.g. examples/programs/sum.s) the run is
// of that file and the mark holds no program; the files of `--compare-with` and `--expect` are in the
// source tree too.  A run with `--compare-with` may end with status 1 (a difference found).  A failure
// prints what the run printed, indented, ready to replace the block.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "Harness.h"

namespace {

const std::string pipelineDir = TARVIK_PIPELINE_DIR;
const std::string sourceDir = TARVIK_SOURCE_DIR;

struct DocExample {
  std::string where;  // "docs/processor.md:120"
  std::string processor = "5a-LD-hazard";
  std::vector<std::string> options;
  std::string grep;  // "" keeps every line
  bool grepPattern = false;  // grep is an extended regular expression
  std::string source;
  std::string shown;
};

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}
bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string unquoted(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') return text.substr(1, text.size() - 2);
  return text;
}

// The processor of a mark ("<!-- run:", "<!-- run 5a:", "<!-- run 5b:"), "" when it names none known.
std::string processorOfMark(const std::string& line) {
  if (startsWith(line, "<!-- run:") || startsWith(line, "<!-- run 5a:")) return "5a-LD-hazard";
  if (startsWith(line, "<!-- run 5b:")) return "5b-forwarding";
  return "";
}

void readOptions(const std::string& line, DocExample& e) {
  e.processor = processorOfMark(line);
  std::string options = line.substr(line.find(':') + 1);
  size_t pipe = options.find("| grep ");
  if (pipe != std::string::npos) {
    std::string grep = options.substr(pipe + 7);
    e.grepPattern = startsWith(grep, "-E ");
    e.grep = unquoted(e.grepPattern ? grep.substr(3) : grep);
    options.erase(pipe);
  }
  std::istringstream words(options);
  for (std::string word; words >> word;) e.options.push_back(word);
}

// The indented block from line k on: its lines without their four spaces, blank lines inside kept.
std::string indentedBlock(const std::vector<std::string>& lines, size_t k) {
  std::string block, blanks;
  for (; k < lines.size() && (lines[k].empty() || startsWith(lines[k], "    ")); k++) {
    if (lines[k].empty()) {
      if (!block.empty()) blanks += "\n";
      continue;
    }
    block += blanks + lines[k].substr(4) + "\n";
    blanks.clear();
  }
  return block;
}

// Every marked example of a page; a mark that is not closed or has no block after it is a problem.
std::vector<DocExample> examplesOf(const std::string& page, std::string& problems) {
  std::vector<std::string> lines = linesOf(fileText(sourceDir + "/" + page));
  std::vector<DocExample> examples;
  for (size_t k = 0; k < lines.size(); k++) {
    if (!startsWith(lines[k], "<!-- run")) continue;
    DocExample e;
    e.where = page + ":" + std::to_string(k + 1);
    if (processorOfMark(lines[k]).empty()) problems += e.where + ": a mark naming no known processor\n";
    readOptions(lines[k], e);
    size_t end = k + 1;
    while (end < lines.size() && lines[end] != "-->") e.source += lines[end++] + "\n";
    e.shown = end < lines.size() ? indentedBlock(lines, end + 1) : "";
    if (e.shown.empty()) problems += e.where + ": a mark without its block\n";
    examples.push_back(e);
    k = end;
  }
  return examples;
}

std::string kept(const std::string& text, const DocExample& e) {
  std::regex pattern(e.grepPattern ? e.grep : "", std::regex::extended);
  std::string out;
  for (const std::string& line : linesOf(text))
    if (e.grepPattern ? std::regex_search(line, pattern) : line.find(e.grep) != std::string::npos) out += line + "\n";
  return out;
}

// The options' files in the source tree.
void fromSourceTree(std::vector<std::string>& options) {
  for (const char* option : {"--program", "--compare-with", "--expect"}) {
    auto given = std::find(options.begin(), options.end(), option);
    if (given != options.end() && given + 1 != options.end()) given[1] = sourceDir + "/" + given[1];
  }
}

// What the run prints, or what went wrong.
std::string printedBy(const DocExample& e) {
  ScratchFolder folder;
  std::vector<std::string> args = {"-X", "--quiet"}, options = e.options;
  if (std::find(options.begin(), options.end(), "--program") == options.end())
    args.insert(args.end(), {"--program", folder.write("example.s", e.source)});
  fromSourceTree(options);
  args.insert(args.end(), options.begin(), options.end());
  RunResult r = runProgram(pipelineDir + "/" + e.processor, args, 60);
  bool compared = std::find(options.begin(), options.end(), "--compare-with") != options.end();
  if (r.status != 0 && !(compared && r.status == 1)) return "status " + std::to_string(r.status) + "\n" + r.err;
  std::string printed = r.out;  // --quiet leaves the start-up text out
  if (startsWith(printed, "\n")) printed.erase(0, 1);
  return kept(printed, e);
}

std::string indented(const std::string& text) {
  std::string out;
  for (const std::string& line : linesOf(text)) out += line.empty() ? "\n" : "    " + line + "\n";
  return out;
}

struct Page {
  const char* path;
  size_t fewestExamples;  // guards against a mark the reader no longer recognises
};
void PrintTo(const Page& page, std::ostream* out) { *out << page.path; }

class DocPages : public testing::TestWithParam<Page> {};

TEST_P(DocPages, EveryMarkedRunPrintsTheBlockShownAfterIt) {
  std::string problems;
  std::vector<DocExample> examples = examplesOf(GetParam().path, problems);
  EXPECT_EQ(problems, "");
  EXPECT_GE(examples.size(), GetParam().fewestExamples);
  for (const DocExample& e : examples) {
    std::string printed = printedBy(e);
    EXPECT_EQ(printed, e.shown) << e.where << ": the run prints\n" << indented(printed);
  }
}

INSTANTIATE_TEST_SUITE_P(Docs, DocPages,
                         testing::Values(Page{"docs/processor.md", 48}, Page{"docs/assembly.md", 2}),
                         [](const testing::TestParamInfo<Page>& info) {
                           return std::string(info.param.path).find("processor") != std::string::npos ? "Processor"
                                                                                                     : "Assembly";
                         });

// The text after label on the line of text that starts with it, or "?".
std::string valueAfter(const std::string& text, const std::string& label) {
  for (const std::string& line : linesOf(text))
    if (startsWith(line, label)) {
      std::istringstream words(line.substr(label.size()));
      std::string first;
      return words >> first ? first : "?";
    }
  return "?";
}

// The table row of an example program as its summaries on both processors give it.
std::string comparisonRow(const std::string& name) {
  std::vector<std::string> args = {"-X", "--quiet", "--program", sourceDir + "/examples/programs/" + name, "--summary"};
  std::string a = runProgram(pipelineDir + "/5a-LD-hazard", args, 60).out;
  std::string b = runProgram(pipelineDir + "/5b-forwarding", args, 60).out;
  std::string differ;
  std::vector<std::string> linesA = linesOf(a), linesB = linesOf(b);
  for (size_t k = 0; k < linesA.size() && k < linesB.size(); k++)
    if (startsWith(linesA[k], "  r") && linesA[k] != linesB[k])
      differ += (differ.empty() ? "" : ", ") + linesA[k].substr(2, 2);
  return "| " + name + " | " + valueAfter(a, "Cycles run:") + " | " + valueAfter(b, "Cycles run:") + " | " +
         valueAfter(a, "Stall cycles:") + " | " + valueAfter(b, "  memory:") + ", " + valueAfter(b, "  load-use:") +
         " | " + valueAfter(b, "Forwarded operands:") + " | " + valueAfter(a, "Cycles per instruction:") + " | " +
         valueAfter(b, "Cycles per instruction:") + " | " + (differ.empty() ? "the same" : differ + " differ") + " |";
}

// The table of docs/processor.md that compares the example programs on the two processors holds what
// their summaries give.
TEST(ExamplePrograms, TheTableComparingTheProcessorsHoldsTheirSummaries) {
  size_t rows = 0;
  for (const std::string& line : linesOf(fileText(sourceDir + "/docs/processor.md"))) {
    std::string name = startsWith(line, "| ") ? line.substr(2, line.find(' ', 2) - 2) : "";
    if (!endsWith(name, ".s")) continue;
    EXPECT_EQ(line, comparisonRow(name));
    rows++;
  }
  EXPECT_EQ(rows, 6u);
}

// The code of a source line: without its comment and label, its words one space apart.
std::string codeOf(std::string line) {
  line = line.substr(0, line.find(';'));
  size_t colon = line.find(':');
  std::istringstream words(colon == std::string::npos ? line : line.substr(colon + 1));
  std::string code;
  for (std::string word; words >> word;) code += (code.empty() ? "" : " ") + word;
  return code;
}

// Every example program stops in `halt: bra halt`, and the three words after it, which run as its
// delay slots on every pass, are nops.
TEST(ExamplePrograms, EndInTheHaltLoopWithNopsInItsDelaySlots) {
  std::string folder = sourceDir + "/examples/programs/";
  std::vector<std::string> names;
  DIR* d = opendir(folder.c_str());
  ASSERT_NE(d, nullptr);
  for (dirent* entry; (entry = readdir(d)) != nullptr;)
    if (endsWith(entry->d_name, ".s")) names.push_back(entry->d_name);
  closedir(d);
  EXPECT_GE(names.size(), 6u);
  for (const std::string& name : names) {
    std::vector<std::string> lines = linesOf(fileText(folder + name));
    auto halt = std::find_if(lines.begin(), lines.end(),
                             [](const std::string& l) { return startsWith(l, "halt:") && codeOf(l) == "bra halt"; });
    ASSERT_NE(halt, lines.end()) << name;
    std::vector<std::string> after;
    for (auto l = halt + 1; l != lines.end() && after.size() < 3; ++l)
      if (!codeOf(*l).empty()) after.push_back(codeOf(*l));
    EXPECT_EQ(after, std::vector<std::string>(3, "nop")) << name;
  }
}

}  // namespace
