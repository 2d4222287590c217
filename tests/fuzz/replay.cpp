// Replays fuzz inputs without libFuzzer: runs a target's LLVMFuzzerTestOneInput once on every file of
// the directories (or files) named on the command line, so that the kept corpora and crash inputs are
// regression tests in every build, with any compiler.  A target that finds a fault aborts, which fails
// the test; an empty or missing corpus fails too, so a mistyped path cannot pass unnoticed.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

void collect(const std::string& path, std::vector<std::string>& files) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return;
  if (!S_ISDIR(st.st_mode)) {
    files.push_back(path);
    return;
  }
  DIR* dir = opendir(path.c_str());
  if (!dir) return;
  while (dirent* e = readdir(dir))
    if (e->d_name[0] != '.') collect(path + "/" + e->d_name, files);
  closedir(dir);
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<std::string> files;
  for (int i = 1; i < argc; i++) collect(argv[i], files);
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    fprintf(stderr, "no inputs to replay\n");
    return 1;
  }
  for (const std::string& f : files) {
    std::string data = contents(f);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  }
  printf("replayed %zu inputs\n", files.size());
  return 0;
}
