// Test helpers of the DRF and palette suites: DRF files made by the encoder
// (or by hand around raw picture data), picture records loaded from them,
// and the DIB that the library exports for them.
#ifndef TAV_TESTS_DRF_FILES_H
#define TAV_TESTS_DRF_FILES_H

#include "frame_records.h"

#include <tavoimg/tavoimg.h>

#include <drfenc.h>

#include <gtest/gtest.h>

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

namespace drftest {

// A fresh path in the build tree.
std::string TempPath(const std::string& name);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// Encodes picture into a fresh file named name; fails the test on error.
std::string WritePicture(const std::string& name, const drfenc::DrfPicture& picture);
// A fresh file around raw picture data (kind, width, height, options and
// hotspots of picture).
std::string WriteRaw(const std::string& name, const drfenc::DrfPicture& picture, const std::vector<uint8_t>& data);

// A picture of pixels that a drawing would have: runs of every length mixed
// with stretches of noise, and one kind-6 colour table, all from seed.
drfenc::DrfPicture RandomPicture(int kind, int width, int height, unsigned seed, double noise = 0.5);

// Parses "00 07 25" into bytes.
std::vector<uint8_t> Hex(const char* text);

// A record of a window with a DRF file loaded the way the opening does it:
// InitImgStruct, DrfPath, DisplayMode, LoadDRFPicture. The slot is freed at
// the end.
class LoadedDrf : public FrameRecord {
public:
  explicit LoadedDrf(HWND window = FrameFakeWindow());

  // Result of LoadDRFPicture.
  int Load(const std::string& path, DWORD displayMode = 0);
  ImgStruct* const record = get();
  const HWND window = FrameRecord::window();
};

// A DIB exported by TAVIMG_DecodeDRF2DIB into a buffer sized as a host
// sizes it, with the pixels unpacked to one index per pixel, top row first.
struct Dib {
  BITMAPINFOHEADER header = {};
  std::vector<RGBQUAD> colours;
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> bytes; // the packed DIB as exported
  bool bufferIntact = true;   // nothing written past the buffer's end
};
// The result of TAVIMG_DecodeDRF2DIB; 0 leaves dib empty.
LONG ExportDib(ImgStruct* record, Dib* dib);

// The stripes of DRF data the record holds.
int StripeCount(const ImgStruct* record);
// No bitmap header and no band is held, decoded or locked.
bool NothingDecoded(const ImgStruct* record);

// Loads raw picture data as a picture of kind, width x height, decodes it
// into bands and returns every padded row, top first (pixel indices,
// PaddedWidth per row).
std::vector<std::vector<uint8_t>> DecodedRows(int kind, int width, int height, const std::vector<uint8_t>& data);

// What call reported while the failAlloc-th GlobalAlloc and the failLock-th
// GlobalLock from its start failed (0: none fails): its result, the last
// error code, the message boxes shown and the text of the last.
struct Reported {
  LONG result;
  UINT code;
  int boxes;
  std::string text;
};
Reported Run(const std::function<LONG()>& call, int failAlloc = 0, int failLock = 0);
// Reported as code with text in one message box; code 0: nothing reported.
::testing::AssertionResult Reports(const Reported& got, UINT code, const std::string& text = "");

} // namespace drftest

#endif
