// Runs a fuzz target once over every file of the folders (or files) given on
// the command line, as the regression replay of its corpus; prints the count.
#include "fuzz_common.h"

#include <dirent.h>
#include <stdio.h>
#include <sys/stat.h>
#include <string>
#include <vector>

static bool RunFile(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr)
    return false;
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + n);
  fclose(f);
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

int main(int argc, char** argv) {
  long count = 0;
  for (int i = 1; i < argc; ++i) {
    struct stat st;
    if (stat(argv[i], &st) != 0)
      continue;
    if (!S_ISDIR(st.st_mode)) {
      count += RunFile(argv[i]);
      continue;
    }
    DIR* dir = opendir(argv[i]);
    std::vector<std::string> names;
    while (dirent* e = dir ? readdir(dir) : nullptr)
      if (e->d_name[0] != '.')
        names.push_back(std::string(argv[i]) + "/" + e->d_name);
    if (dir)
      closedir(dir);
    for (const std::string& name : names)
      count += RunFile(name);
  }
  printf("replayed %ld inputs\n", count);
  return 0;
}
