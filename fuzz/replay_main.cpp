// Runs a fuzz target once over every file of the folders (or files) given on
// the command line, as the regression replay of its corpus; prints the count
// and fails when there was nothing to replay.
#include "fuzz_common.h"

#include <stdio.h>

#include <filesystem>

int main(int argc, char** argv) {
  long count = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<std::filesystem::path> files(1, argv[i]);
    std::error_code error;
    if (std::filesystem::is_directory(argv[i], error))
      files.assign(std::filesystem::directory_iterator(argv[i]), std::filesystem::directory_iterator());
    for (const std::filesystem::path& file : files) {
      if (file.filename().string()[0] == '.' || !std::filesystem::is_regular_file(file, error))
        continue;
      const std::vector<uint8_t> bytes = fuzz::ReadFile(file);
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++count;
    }
  }
  printf("replayed %ld inputs\n", count);
  return count > 0 ? 0 : 1; // a corpus that is not found fails
}
