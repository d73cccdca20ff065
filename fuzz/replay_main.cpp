// Runs a fuzz target once over every file of the folders (or files) given on
// the command line, as the regression replay of its corpus; prints the count
// and fails when there was nothing to replay.
#include "fuzz_common.h"

#include <dirent.h>
#include <stdio.h>
#include <unistd.h>

int main(int argc, char** argv) {
  long count = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<std::string> files;
    if (DIR* dir = opendir(argv[i])) {
      while (dirent* e = readdir(dir))
        if (e->d_name[0] != '.')
          files.push_back(std::string(argv[i]) + "/" + e->d_name);
      closedir(dir);
    } else {
      files.push_back(argv[i]);
    }
    for (const std::string& file : files) {
      if (access(file.c_str(), R_OK) != 0)
        continue;
      const std::vector<uint8_t> bytes = fuzz::ReadFile(file);
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++count;
    }
  }
  printf("replayed %ld inputs\n", count);
  return count > 0 ? 0 : 1; // a corpus that is not found fails
}
