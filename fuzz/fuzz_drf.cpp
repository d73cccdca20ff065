// A DRF file, without a companion TIFF, opened into a window, used as a host
// would, exported and unloaded.
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Use(false, "", fuzz::WriteTempFile("drf", data, size));
  return 0;
}
