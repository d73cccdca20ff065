#include "drf_files.h"

#include "drf/drf.h"
#include "core/core.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>

namespace drftest {

std::string TempPath(const std::string& name) {
  std::string dir = std::string(TAV_BINARY_DIR) + "/drf_tmp";
  mkdir(dir.c_str(), 0777);
  std::string path = dir + "/" + std::to_string(getpid()) + "_" + name;
  remove(path.c_str());
  return path;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
  out.close();
  return !out.fail();
}

std::string WritePicture(const std::string& name, const drfenc::DrfPicture& picture) {
  std::string path = TempPath(name);
  std::string error;
  EXPECT_TRUE(drfenc::WriteDrfFile(path, picture, &error)) << error;
  return path;
}

std::string WriteRaw(const std::string& name, const drfenc::DrfPicture& picture, const std::vector<uint8_t>& data) {
  std::string path = TempPath(name);
  EXPECT_TRUE(WriteBytes(path, drfenc::AssembleDrf(picture, data)));
  return path;
}

drfenc::DrfPicture RandomPicture(int kind, int width, int height, unsigned seed, double noise) {
  std::mt19937 random(seed);
  drfenc::DrfPicture picture;
  picture.kind = kind;
  picture.width = width;
  picture.height = height;
  const int colours = kind == drfenc::kKindColour ? drfenc::kColourCount : (kind == drfenc::kKindGrey ? 64 : 4);
  picture.pixels.assign((size_t)width * height, 0);
  if (kind != drfenc::kKindFourColourEmpty) {
    std::uniform_int_distribution<int> colour(0, colours - 1), length(1, 40);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    size_t i = 0;
    while (i < picture.pixels.size()) {
      // Now and then a long stretch of one colour, as backgrounds are.
      const size_t wanted = chance(random) < 0.05 ? (size_t)length(random) * 20 : (size_t)length(random);
      size_t n = std::min<size_t>(wanted, picture.pixels.size() - i);
      if (chance(random) < noise) {
        for (size_t k = 0; k < n; ++k)
          picture.pixels[i + k] = (uint8_t)colour(random);
      } else {
        memset(&picture.pixels[i], colour(random), n);
      }
      i += n;
    }
  }
  if (kind == drfenc::kKindColour) {
    std::uniform_int_distribution<int> level(0, 63);
    for (int c = 0; c < drfenc::kColourCount; ++c)
      picture.colours.push_back({(uint8_t)level(random), (uint8_t)level(random), (uint8_t)level(random)});
  }
  return picture;
}

std::vector<uint8_t> Hex(const char* text) {
  std::vector<uint8_t> bytes;
  unsigned value;
  int used;
  while (sscanf(text, " %2x%n", &value, &used) == 1) {
    bytes.push_back((uint8_t)value);
    text += used;
  }
  return bytes;
}

LoadedDrf::LoadedDrf(HWND w) : FrameRecord(w) {
  EXPECT_NE(record, nullptr);
}

int LoadedDrf::Load(const std::string& path, DWORD displayMode) {
  if (record == nullptr)
    return 0;
  lstrcpynA(record->DrfPath, path.c_str(), sizeof record->DrfPath);
  record->DisplayMode = displayMode;
  return LoadDRFPicture(record);
}

static std::vector<uint8_t> UnpackRows(const uint8_t* bits, int width, int height, int bitCount, size_t stride) {
  std::vector<uint8_t> pixels((size_t)width * height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = bits + (size_t)(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x)
      pixels[(size_t)y * width + x] = bitCount == 8 ? row[x] : (uint8_t)((x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4);
  }
  return pixels;
}

LONG ExportDib(ImgStruct* record, Dib* dib) {
  *dib = Dib();
  SHORT bits = 0, colours = 0;
  if (!TAVIMG_GetDRFColorInfo(record, &bits, &colours))
    return TAVIMG_DecodeDRF2DIB(record, nullptr);
  LONGLONG size = TAVIMG_GetDRFSize(record);
  const int width = TAVIMG_SIZE_WIDTH(size), height = TAVIMG_SIZE_HEIGHT(size);
  const size_t need = TAVIMG_DRF_DIB_SIZE(width, std::max(height, 0), bits, colours);
  const size_t guard = 64;
  std::vector<uint8_t> buffer(need + guard, 0xCD);
  LONG result = TAVIMG_DecodeDRF2DIB(record, buffer.data());
  for (size_t i = need; i < buffer.size(); ++i)
    if (buffer[i] != 0xCD)
      dib->bufferIntact = false;
  if (!result)
    return result;
  memcpy(&dib->header, buffer.data(), sizeof dib->header);
  const BITMAPINFOHEADER& h = dib->header;
  dib->colours.resize(h.biClrUsed);
  memcpy(dib->colours.data(), buffer.data() + 40, 4 * (size_t)h.biClrUsed);
  const size_t stride = TAVIMG_DIB_STRIDE(h.biWidth, h.biBitCount);
  const uint8_t* bitsStart = buffer.data() + 40 + 4 * (size_t)h.biClrUsed;
  dib->pixels = UnpackRows(bitsStart, h.biWidth, h.biHeight, h.biBitCount, stride);
  dib->bytes.assign(buffer.begin(), buffer.begin() + (bitsStart - buffer.data()) + stride * (size_t)h.biHeight);
  return result;
}

int StripeCount(const ImgStruct* record) {
  int n = 0;
  for (int i = 0; i < 16; ++i) // the record is packed: no references into it
    n += record->DRFStripeHandles[i] != nullptr;
  return n;
}

bool NothingDecoded(const ImgStruct* record) {
  if (record->BitmapInfoHandle != nullptr || record->BitmapInfo != nullptr)
    return false;
  for (int b = 0; b < 16; ++b)
    if (record->BandHandles[b] != nullptr || record->BandBits[b] != nullptr)
      return false;
  return true;
}

std::vector<std::vector<uint8_t>> DecodedRows(int kind, int width, int height, const std::vector<uint8_t>& data) {
  drfenc::DrfPicture picture;
  picture.kind = kind;
  picture.width = width;
  picture.height = height;
  LoadedDrf drf;
  EXPECT_EQ(drf.Load(WriteRaw("rows.drf", picture, data)), 1);
  ImgStruct* record = drf.record;
  std::vector<std::vector<uint8_t>> rows;
  record->DrfShown = 1;
  if (!DecodeDRFPicture(nullptr, record))
    return rows;
  const int padded = record->PaddedWidth, bits = record->DRFBitCount;
  const size_t stride = (size_t)padded * bits / 8;
  for (int b = 0; b < record->BandCount; ++b) {
    const int n = b == record->BandCount - 1 ? record->LastBandRows : record->RowsPerBand;
    const uint8_t* band = (const uint8_t*)GlobalLock(record->BandHandles[b]);
    std::vector<uint8_t> pixels = UnpackRows(band, padded, n, bits, stride);
    GlobalUnlock(record->BandHandles[b]);
    for (int r = 0; r < n; ++r)
      rows.emplace_back(pixels.begin() + (size_t)r * padded, pixels.begin() + (size_t)(r + 1) * padded);
  }
  FreeDRFBands(record);
  return rows;
}

Reported Run(const std::function<LONG()>& call, int failAlloc, int failLock) {
  ClearLastErrorCode();
  tavwin::ClearMessageBoxLog();
  tavwin::FailGlobalAllocAt(failAlloc);
  tavwin::FailGlobalLockAt(failLock);
  const LONG result = call();
  tavwin::FailGlobalAllocAt(0);
  tavwin::FailGlobalLockAt(0);
  const auto& boxes = tavwin::MessageBoxLog();
  return {result, LastErrorCode(), (int)boxes.size(), boxes.empty() ? std::string() : boxes.back().text};
}

::testing::AssertionResult Reports(const Reported& got, UINT code, const std::string& text) {
  if (got.code == code && got.boxes == (code ? 1 : 0) && got.text == text)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "error " << got.code << " in " << got.boxes << " boxes, last \"" << got.text
                                       << "\"; expected error " << code << " \"" << text << "\"";
}

} // namespace drftest
