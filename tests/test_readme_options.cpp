// README's option tables against what each program's --help lists, so that an option added to one
// and not the other fails here.  A table is one whose first column is headed "option"; which program
// it describes is read from the section ("## ...") it stands in.  An option of a row is the first
// word of each `code` span of its first column; an option of --help is the first word of a line that
// starts with two spaces and a dash, and the word after it when it ends in a comma ("-h, --help").
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>

#include "Harness.h"

namespace {

using Names = std::set<std::string>;

const std::string sourceDir = TARVIK_SOURCE_DIR;

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The first cell of a table row ("| `-w`, `--no-warnings` | ..."), without its bars.
std::string firstCell(const std::string& row) {
  size_t end = row.find(" |", 1);
  return row.substr(1, end == std::string::npos ? std::string::npos : end - 1);
}

Names optionsOfCell(const std::string& cell) {
  Names names;
  for (size_t open = cell.find('`'); open != std::string::npos; open = cell.find('`', open + 1)) {
    size_t close = cell.find('`', open + 1);
    std::istringstream span(cell.substr(open + 1, close - open - 1));
    std::string word;
    if (span >> word) names.insert(word);
    open = close;
  }
  return names;
}

// Every option table of README, by the heading of its section.
std::map<std::string, Names> readmeTables() {
  std::map<std::string, Names> tables;
  std::string section;
  bool inTable = false;
  for (const std::string& line : linesOf(fileText(sourceDir + "/README.md"))) {
    if (startsWith(line, "## ")) section = line.substr(3);
    if (!startsWith(line, "|")) inTable = false;
    if (startsWith(line, "| option |")) inTable = true, tables[section];
    else if (inTable && !startsWith(line, "|---"))
      for (const std::string& name : optionsOfCell(firstCell(line))) tables[section].insert(name);
  }
  return tables;
}

Names optionsOfHelp(const std::string& program) {
  RunResult r = runProgram(program, {"--help"}, 20);
  EXPECT_EQ(r.status, 0) << program;
  Names names;
  for (const std::string& line : linesOf(r.out)) {
    if (!startsWith(line, "  -")) continue;
    std::istringstream words(line);
    for (std::string word; words >> word && word[0] == '-';) {
      bool more = word.back() == ',';
      names.insert(more ? word.substr(0, word.size() - 1) : word);
      if (!more) break;
    }
  }
  return names;
}

std::string listed(const Names& names) {
  std::string text;
  for (const std::string& n : names) text += " " + n;
  return text.empty() ? " (none)" : text;
}

// The difference of the two sets, in words; "" when they are equal.
std::string difference(const Names& readme, const Names& help) {
  Names onlyReadme, onlyHelp;
  for (const std::string& n : readme)
    if (!help.count(n)) onlyReadme.insert(n);
  for (const std::string& n : help)
    if (!readme.count(n)) onlyHelp.insert(n);
  if (onlyReadme.empty() && onlyHelp.empty()) return "";
  return "README lists, --help does not:" + listed(onlyReadme) + "\n--help lists, README does not:" + listed(onlyHelp);
}

Names joined(Names a, const Names& b) {
  a.insert(b.begin(), b.end());
  return a;
}

const char librarySection[] = "Options";
const char processorSection[] = "Watching the processor: --cycles, --trace, --diagram, --summary";
const char asmSection[] = "Assembly programs: tarvik-asm";
const char gradeSection[] = "Grading a class: tarvik-grade";

TEST(ReadmeOptions, TablesListWhatHelpLists) {
  std::map<std::string, Names> tables = readmeTables();
  Names sections;
  for (const auto& table : tables) sections.insert(table.first);
  EXPECT_EQ(sections, Names({librarySection, processorSection, asmSection, gradeSection}))
      << "an option table stands in a section no program is known by";
  // -m is read and README tells of it, but the library's help text, kept as it always was, never did.
  Names library = tables[librarySection];
  library.erase("-m");
  EXPECT_EQ(difference(library, optionsOfHelp(TARVIK_EXAMPLES_DIR "/switch_gates")), "") << "a circuit";
  Names processor = joined(library, tables[processorSection]);
  for (const char* program : {"/5a-LD-hazard", "/5b-forwarding"})
    EXPECT_EQ(difference(processor, optionsOfHelp(TARVIK_PIPELINE_DIR + std::string(program))), "") << program;
  EXPECT_EQ(difference(tables[asmSection], optionsOfHelp(TARVIK_PIPELINE_DIR "/tarvik-asm")), "") << "tarvik-asm";
  EXPECT_EQ(difference(tables[gradeSection], optionsOfHelp(TARVIK_GRADE_PROGRAM)), "") << "tarvik-grade";
}

}  // namespace
