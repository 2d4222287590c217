// The grader against a hostile class: each student but two attacks the grading in one way (a fork bomb,
// a process that leaves the run's session, reading secrets, writing other students' files, killing
// its parent, an endless include, a huge file, hungry children).  The honest students' grades must come
// out right, every attack must fail, and nothing may outlive the grading.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "test_grade_rig.h"

namespace {

const std::string adderSource = fileText(TARVIK_SOURCE_DIR "/examples/full_adder.cpp");
const std::string adderTable = fileText(TARVIK_SOURCE_DIR "/examples/full_adder.test");
const char secret[] = "SECRET-5b1e";
const char passwdLine[] = "root:x:0:";

// A circuit source whose simnet() only attacks (so it earns nothing by being a circuit).  The
// attacks name their processes with a prefix of their test's, so that it can look for survivors.
std::string attack(const std::string& body, const std::string& name = "tvk-attack") {
  return "#include \"Sim.h\"\n#include <cstdio>\n#include <cstdlib>\n#include <cstring>\n#include <fcntl.h>\n"
         "#include <initializer_list>\n#include <signal.h>\n#include <sys/prctl.h>\n#include <sys/wait.h>\n#include <unistd.h>\n"
         "extern char** environ;\n"
         "void simnet() {\n  prctl(PR_SET_NAME, \"" + name + "\");\n" + body + "\n}\n";
}

// The processes still alive whose names begin with prefix.
std::vector<std::string> survivors(const std::string& prefix = "tvk-") {
  std::vector<std::string> found;
  DIR* proc = opendir("/proc");
  while (dirent* e = proc ? readdir(proc) : nullptr) {
    std::string name = fileText(std::string("/proc/") + e->d_name + "/comm");
    if (name.compare(0, prefix.size(), prefix) == 0) found.push_back(std::string(e->d_name) + " " + name);
  }
  if (proc) closedir(proc);
  return found;
}

// Every file under folder with its contents, for comparing a folder before and after.
std::string everyFile(const std::string& folder) {
  return runProgram("/bin/sh", {"-c", "cd '" + folder + "' && find . -type f | sort | xargs -r md5sum"}).out;
}

// The grader's scratch folders go to the TMPDIR the test gives it.
struct GraderTemporaries {
  std::string before;
  explicit GraderTemporaries(const std::string& folder) {
    const char* was = getenv("TMPDIR");
    before = was ? was : "";
    mkdir(folder.c_str(), 0711);
    setenv("TMPDIR", folder.c_str(), 1);
  }
  ~GraderTemporaries() {
    if (before.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", before.c_str(), 1);
  }
};

struct HostileClass {
  ScratchFolder s;
  std::string task = s / "task", out = s / "out";
  std::map<std::string, std::string> attacks;

  HostileClass() {
    chmod(s.path.c_str(), 0711);  // only the sandbox keeps the runs' user out of the assignment
    put(s, "task/sum.test", adderTable);
    put(s, "task/secret.test", std::string("# ") + secret + "\n" + adderTable);
    put(s, "task/assignment.toml",
        "[limits]\ntimeout = 20\nprocesses = 8\nfile_size = 8\nmemory = 96\n\n[tests.secret]\nhidden = true\n");
    put(s, "class/ann/adder.cpp", adderSource);
    std::string wrong = adderSource;
    wrong.replace(wrong.find("Or(SD"), 2, "And");
    put(s, "class/bea/adder.cpp", wrong);
    attacks = {
        {"bomb", "for (int i = 0; i < 100000; ++i)\n  if (fork() == 0) prctl(PR_SET_NAME, \"tvk-bomb\"), pause();\n"
                 "_exit(0);"},
        {"survivor", "if (fork() == 0) {\n  setsid();\n  prctl(PR_SET_NAME, \"tvk-survivor\");\n  for (;;) {\n"
                     "    int fd = open(\"" + out + "/grades.csv\", O_WRONLY | O_CREAT | O_TRUNC, 0644);\n"
                     "    if (fd >= 0) write(fd, \"pwned\\n\", 6), close(fd);\n    usleep(100000);\n  }\n}\n"
                     "usleep(300000);\n_exit(0);"},
        {"reader", "for (const char* f : {\"/etc/passwd\", \"" + task + "/secret.test\", \"" + task +
                       "/assignment.toml\"}) {\n  FILE* in = fopen(f, \"r\");\n  char line[256];\n"
                       "  while (in && fgets(line, sizeof line, in)) fputs(line, stdout);\n}\n"
                       "for (char** e = environ; *e; ++e) puts(*e);\n_exit(0);"},
        {"vandal", "for (const char* f : {\"" + out + "/results/ann/sum.json\", \"" + out + "/build/ann/circuit\", \"" +
                       out + "/grades.csv\", \"" + task + "/sum.test\"}) {\n"
                       "  int fd = open(f, O_WRONLY | O_CREAT | O_TRUNC, 0644);\n"
                       "  if (fd >= 0) write(fd, \"0\", 1), close(fd);\n}\n_exit(0);"},
        {"killer", "kill(getppid(), SIGKILL);\nkill(-1, SIGKILL);\n_exit(0);"},
        {"bigfile", "static char block[1 << 20];\nint fd = open(\"big\", O_WRONLY | O_CREAT, 0644);\n"
                    "for (int i = 0; i < 200; ++i) write(fd, block, sizeof block);\n_exit(0);"},
        {"hogs", "for (int i = 0; i < 6; ++i)\n  if (fork() == 0) {\n    char* p = (char*)malloc(128 << 20);\n"
                 "    if (p) memset(p, 1, 128 << 20);\n    _exit(p ? 0 : 1);\n  }\nwhile (wait(nullptr) > 0) {}\n_exit(0);"},
    };
    for (const auto& a : attacks) put(s, "class/" + a.first + "/attack.cpp", attack(a.second));
    put(s, "class/zero/attack.cpp", "#include \"/dev/zero\"\n");
    put(s, "class/passwd/attack.cpp", "#include \"/etc/passwd\"\n");
  }
};

// The class's scores by student, from grades.csv: "ann" -> "2,2" (score, max).
std::map<std::string, std::string> scores(const std::string& csv) {
  std::map<std::string, std::string> byStudent;
  for (const std::string& line : linesOf(csv)) {
    size_t comma = line.find(','), score = line.rfind(',', line.rfind(',') - 1);
    byStudent[line.substr(0, comma)] = line.substr(score + 1);
  }
  return byStudent;
}

TEST(GradeSandbox, AHostileClassIsGradedFairlyAndHarmsNothing) {
  HostileClass c;
  GraderTemporaries temporaries(c.s / "tmp");
  std::string assignmentBefore = everyFile(c.task);
  RunResult r = grade({"-j2", "--out", c.out, c.task, c.s / "class"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(survivors(), std::vector<std::string>());
  std::map<std::string, std::string> got = scores(fileText(c.out + "/grades.csv"));
  EXPECT_EQ(got["ann"], "2,2");
  EXPECT_EQ(got["bea"], "0,2");
  for (const char* attacker : {"bomb", "survivor", "reader", "vandal", "killer", "bigfile", "hogs", "zero", "passwd"})
    EXPECT_EQ(got[attacker], "0,2") << attacker;
  auto reason = [&](const std::string& student) {
    return nlohmann::json::parse(fileText(c.out + "/results/" + student + "/sum.json"), nullptr, false)["reason"];
  };
  EXPECT_EQ(reason("bigfile"), "does not build a circuit: crashed: signal 25 (File size limit exceeded)");
  EXPECT_EQ(reason("zero"), "does not compile");
  EXPECT_EQ(reason("passwd"), "does not compile");
  // No report shows a secret, and no run wrote where only the grader writes.
  std::string reports = runProgram("/bin/sh", {"-c", "cd '" + c.out + "' && find . -type f -name '*.*' | sort | xargs cat"}).out;
  EXPECT_EQ(reports.find(passwdLine), std::string::npos);
  EXPECT_EQ(reports.find(secret), std::string::npos);
  EXPECT_EQ(reports.find("pwned"), std::string::npos);
  EXPECT_EQ(everyFile(c.task), assignmentBefore);
  EXPECT_EQ(runProgram("/bin/ls", {"-A", c.s / "tmp"}).out, "");  // every scratch folder gone
  EXPECT_EQ(fileText(c.out + "/sandbox.txt").rfind("PID, mount, network, IPC and UTS namespaces\n", 0), 0u);
  // A survivor would write again later.
  std::string grades = fileText(c.out + "/grades.csv");
  usleep(500000);
  EXPECT_EQ(fileText(c.out + "/grades.csv"), grades);
}

// What a run finds around it, seen by a stand-in processor: no secrets, no network, no other
// processes, no way to make namespaces of its own, its own folder to write in, and its limits.
TEST(GradeSandbox, ARunSeesOnlyItsOwnFolderAndTheToolchain) {
  ScratchFolder s;
  put(s, "task/one.expect", "Reg1 1\n");
  put(s, "task/assignment.toml", "[limits]\nprocesses = 7\nfile_size = 3\n");
  put(s, "class/student/prog.s", "halt: bra halt\n");
  std::string probe =
      "cat /etc/passwd >/dev/null 2>&1 && echo passwd read\n"
      "cat " + s.path + "/task/one.expect 2>/dev/null && echo assignment read\n"
      "ls " + s.path + "/class >/dev/null 2>&1 && echo submissions listed\n"
      "echo x 2>/dev/null >" + s.path + "/out/sandbox.txt && echo results written\n"
      "echo mine >mine && cat mine\n"
      "[ $(ls /proc | grep -c '^[0-9]') -lt 8 ] && echo few processes\n"
      "[ $(wc -l </proc/net/dev) -eq 3 ] && echo loopback only\n"
      "[ $(id -u) -ne 0 ] && echo not root\n"
      "unshare -U true 2>/dev/null && echo namespace made\n"
      "echo $(ulimit -p) $(ulimit -f) $(ulimit -c)\n"
      "exit 1\n";
  std::string processor = script(s, "processor", probe);
  RunResult r = grade({"--processor", processor, "--out", s / "out", s / "task", s / "class"});
  EXPECT_EQ(r.status, 0) << r.err;
  nlohmann::json result = nlohmann::json::parse(fileText(s / "out/results/student/one.json"), nullptr, false);
  EXPECT_EQ(result["output"], "mine\nfew processes\nloopback only\nnot root\n7 6144 0\n");
}

// A run that cannot start is the grader's fault: no result is written for it, and the grading stops.
TEST(GradeSandbox, ARunThatCannotStartStopsTheGrading) {
  if (geteuid() != 0) GTEST_SKIP() << "a folder only root reaches needs root";
  ScratchFolder s;
  put(s, "task/one.expect", "Reg1 1\n");
  put(s, "class/student/prog.s", "halt: bra halt\n");
  std::string processor = put(s, "private/processor", "#!/bin/sh\nexit 0\n");
  chmod(processor.c_str(), 0755);
  chmod((s / "private").c_str(), 0700);  // the runs' user cannot reach it
  RunResult r = grade({"--processor", processor, "--out", s / "out", s / "task", s / "class"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR -- cannot start the run of student one: Permission denied\n");
  EXPECT_EQ(fileText(s / "out/results/student/one.json"), "");
}

// SIGTERM to the grader in the middle of a class ends every run before the grader goes.
TEST(GradeSandbox, SigtermToTheGraderLeavesNoRun) {
  ScratchFolder s;
  chmod(s.path.c_str(), 0711);
  GraderTemporaries temporaries(s / "tmp");
  put(s, "task/one.test", adderTable);
  for (const char* student : {"sleepy", "sleepier"})
    put(s, std::string("class/") + student + "/attack.cpp",
        attack("if (fork() == 0) { setsid(); prctl(PR_SET_NAME, \"tvs-slow\"); }\nsleep(60);", "tvs-attack"));
  pid_t grader = fork();
  if (grader == 0) {
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1), dup2(devNull, 2);
    execl(gradeProgram.c_str(), gradeProgram.c_str(), "-j2", "--out", (s / "out").c_str(), (s / "task").c_str(),
          (s / "class").c_str(), (char*)nullptr);
    _exit(127);
  }
  for (int tenths = 0; tenths < 600 && survivors("tvs-").size() < 4; ++tenths) usleep(100000);
  ASSERT_EQ(survivors("tvs-").size(), 4u);
  kill(grader, SIGTERM);
  int status = 0;
  waitpid(grader, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(survivors("tvs-"), std::vector<std::string>());
}

}  // namespace
