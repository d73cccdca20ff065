// The bilevel pictures and libtiff writer the Win32 test host's pictures are
// made with: those of the TIFF tests.
#ifndef TAV_TESTS_CONVERT_FILES_H
#define TAV_TESTS_CONVERT_FILES_H

#include "tiff_files.h"

namespace convert {

using Bilevel = TiffBitmap;

inline bool WriteTiff(const std::string& path, const Bilevel& picture, int rowsPerStrip) {
  return TiffWriteWithLibtiff(path, picture, TiffWriteOptions{(uint32_t)rowsPerStrip});
}

} // namespace convert

#endif
