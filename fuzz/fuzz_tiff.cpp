// A TIFF file opened fitted into a window, used as a host would, exported as
// a 1-bit DIB and unloaded.
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Use(true, fuzz::WriteTempFile("tif", data, size), "");
  return 0;
}
