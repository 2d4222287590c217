// The installed package: this build installed into a fresh prefix, and a project of its own
// (tests/installed_circuit) configured against it with find_package(Tarvik), built with
// tarvik_add_circuit and run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "Harness.h"

namespace {

const std::string examplesDir = TARVIK_EXAMPLES_DIR;
const std::string buildDir = examplesDir.substr(0, examplesDir.rfind('/'));

// The value of an entry of this build's CMake cache.
std::string cached(const std::string& entry) {
  for (const std::string& line : linesOf(fileText(buildDir + "/CMakeCache.txt"))) {
    if (line.compare(0, entry.size() + 1, entry + ":") != 0) continue;
    return line.substr(line.find('=') + 1);
  }
  return "";
}

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Runs a shell command with its output in log; true when it succeeded.
bool succeeds(const std::string& command, const std::string& log) {
  return system((command + " >'" + log + "' 2>&1").c_str()) == 0;
}

TEST(InstalledPackage, BuildsACircuitOfItsOwnWithFindPackage) {
  ScratchFolder s;
  std::string prefix = s.path + "/prefix", project = s.path + "/build", log = s.path + "/log";
  ASSERT_TRUE(succeeds("cmake --install '" + buildDir + "' --prefix '" + prefix + "'", log)) << fileText(log);
  for (const char* header : {"Sim.h", "Signal.h", "Schmtc.h", "SecEvTyp.h"})
    EXPECT_TRUE(exists(prefix + "/include/tarvik/" + header)) << header;
  EXPECT_FALSE(exists(prefix + "/include/tarvik/Ph4.h"));  // internal headers stay inside
  EXPECT_TRUE(exists(prefix + "/lib/cmake/Tarvik/TarvikConfig.cmake"));
  // The library links X11, so the package looks for it.
  EXPECT_EQ(fileText(prefix + "/lib/cmake/Tarvik/TarvikDependencies.cmake"), "set(TARVIK_LINKS_X11 1)\n");

  std::string configure = "cmake -S '" TARVIK_SOURCE_DIR "/tests/installed_circuit' -B '" + project +
                          "' -DCMAKE_PREFIX_PATH='" + prefix + "' -DCMAKE_CXX_COMPILER='" +
                          cached("CMAKE_CXX_COMPILER") + "'";
  ASSERT_TRUE(succeeds(configure, log)) << fileText(log);
  ASSERT_TRUE(succeeds("cmake --build '" + project + "'", log)) << fileText(log);

  RunResult r = runProgram(project + "/blinker", {"-X", "--keys", "b"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, startupText);
  EXPECT_EQ(r.err,
            "There are 3 components.\n"
            "There are 4 signals.\n"
            "Time = 0  Probe for notB at ac  Value = UNINITIALIZED\n"
            "Time = 7  Probe for notB at ac  Value = XXX\n"
            "Time = 20  Probe for notB at ac  Value = ONE\n"
            "Time = 37  Probe for notB at ac  Value = XXX\n"
            "Time = 40  Probe for notB at ac  Value = ZERO\n");
}

// The grader is installed with the processors and tarvik-sim beside it, and finds 5a-LD-hazard there.
TEST(InstalledPackage, GradesWithTheProcessorInstalledBesideIt) {
  ScratchFolder s;
  chmod(s.path.c_str(), 0755);  // an installation every user reaches, as the runs' own user must
  std::string prefix = s.path + "/prefix", log = s.path + "/log";
  ASSERT_TRUE(succeeds("cmake --install '" + buildDir + "' --prefix '" + prefix + "'", log)) << fileText(log);
  for (const char* processor : {"5a-LD-hazard", "5b-forwarding", "tarvik-sim"})
    EXPECT_TRUE(exists(prefix + "/bin/" + processor)) << processor;
  std::string sample = TARVIK_SOURCE_DIR "/examples/assignments/array-sum";
  RunResult r = runProgram(prefix + "/bin/tarvik-grade",
                           {"--out", s.path + "/out", sample + "/assignment", sample + "/submissions"}, 60);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, fileText(sample + "/expected/table.txt"));
}

}  // namespace
