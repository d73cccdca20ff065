#include "convert_files.h"

#include "drf_files.h"
#include "frame/frame.h"

#include <afx.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#ifdef TAV_HAVE_LIBTIFF
#  include <tiffio.h>
#endif

namespace convert {

Bilevel MakePattern(int width, int height, unsigned seed) {
  Bilevel p;
  p.width = width;
  p.height = height;
  p.black.assign((size_t)width * height, 0);
  unsigned state = seed * 2654435761u + 1;
  for (int y = 0; y < height; y++) {
    int x = 0;
    bool ink = (y % 7) == 3; // some rows start black
    while (x < width) {
      state = state * 1103515245u + 12345u;
      int run = 1 + (int)((state >> 16) % (y % 5 == 0 ? 90 : 17));
      for (int i = 0; i < run && x < width; i++, x++)
        p.black[(size_t)y * width + x] = ink ? 1 : 0;
      ink = !ink;
    }
    if (y % 11 == 5) // a solid row
      memset(&p.black[(size_t)y * width], 1, width);
  }
  for (int y = 0; y < height; y++) // a solid column and the right edge
    p.black[(size_t)y * width + width / 3] = p.black[(size_t)y * width + width - 1] = 1;
  return p;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr)
    return bytes;
  uint8_t buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + n);
  fclose(f);
  return bytes;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

#ifdef TAV_HAVE_LIBTIFF
bool WriteTiff(const std::string& path, const Bilevel& picture, int rowsPerStrip, int photometric, bool bigEndian) {
  TIFF* tif = TIFFOpen(path.c_str(), bigEndian ? "wb" : "wl");
  if (tif == nullptr)
    return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)picture.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)picture.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTRLE);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (uint32_t)rowsPerStrip);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  std::vector<uint8_t> row((picture.width + 7) / 8);
  bool ok = true;
  for (int y = 0; y < picture.height && ok; y++) {
    std::fill(row.begin(), row.end(), 0);
    for (int x = 0; x < picture.width; x++) {
      // In both photometric interpretations a stored 1-bit is a black pixel of
      // the pattern here: the tests compare stored bits.
      if (picture.At(x, y))
        row[x / 8] |= (uint8_t)(0x80 >> (x % 8));
    }
    ok = TIFFWriteScanline(tif, row.data(), (uint32_t)y, 0) == 1;
  }
  TIFFClose(tif);
  return ok;
}

LibtiffView ReadWithLibtiff(const std::string& path) {
  LibtiffView view;
  // Tests judge by what libtiff finds, not by its messages (a tag of count
  // 0, as the converter writes without hotspots, is reported and dropped).
  TIFFErrorHandler oldWarning = TIFFSetWarningHandler(nullptr);
  TIFFErrorHandler oldError = TIFFSetErrorHandler(nullptr);
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  TIFFSetWarningHandler(oldWarning);
  TIFFSetErrorHandler(oldError);
  if (tif == nullptr)
    return view;
  view.opened = true;
  uint32_t width = 0, height = 0;
  uint16_t photometric = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
    view.photometric = photometric;
  uint64_t* offsets = nullptr;
  if (TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets) && offsets != nullptr)
    view.stripOffsets.assign(offsets, offsets + TIFFNumberOfStrips(tif));
  uint64_t* counts = nullptr;
  if (TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) && counts != nullptr)
    view.stripByteCounts.assign(counts, counts + TIFFNumberOfStrips(tif));
  uint32_t spotCount = 0;
  void* spotValues = nullptr;
  const TIFFField* field = TIFFFindField(tif, 65024, TIFF_ANY);
  if (field != nullptr && TIFFGetField(tif, 65024, &spotCount, &spotValues)) {
    view.hasHotspotTag = true;
    view.hotspotCount = spotCount;
    if (spotValues != nullptr && TIFFFieldDataType(field) == TIFF_LONG)
      view.hotspotValues.assign((uint32_t*)spotValues, (uint32_t*)spotValues + spotCount);
  }
  view.picture.width = (int)width;
  view.picture.height = (int)height;
  view.picture.black.assign((size_t)width * height, 0);
  std::vector<uint8_t> row(TIFFScanlineSize(tif));
  for (uint32_t y = 0; y < height; y++) {
    if (TIFFReadScanline(tif, row.data(), y, 0) != 1) {
      view.opened = false;
      break;
    }
    for (uint32_t x = 0; x < width; x++)
      view.picture.black[(size_t)y * width + x] = (row[x / 8] >> (7 - x % 8)) & 1;
  }
  TIFFClose(tif);
  return view;
}
#endif

const IfdEntry* Directory::Find(uint16_t tag) const {
  for (const IfdEntry& e : entries) {
    if (e.tag == tag)
      return &e;
  }
  return nullptr;
}

uint16_t Le16(const std::vector<uint8_t>& file, size_t at) {
  return at + 2 <= file.size() ? (uint16_t)(file[at] | (file[at + 1] << 8)) : 0;
}
uint32_t Le32(const std::vector<uint8_t>& file, size_t at) {
  return at + 4 <= file.size() ? (uint32_t)Le16(file, at) | ((uint32_t)Le16(file, at + 2) << 16) : 0;
}

Directory ParseFirstDirectory(const std::vector<uint8_t>& file) {
  Directory d;
  if (file.size() < 8 || file[0] != 'I' || file[1] != 'I')
    return d;
  d.offset = Le32(file, 4);
  if ((size_t)d.offset + 2 > file.size())
    return d;
  uint16_t count = Le16(file, d.offset);
  size_t end = (size_t)d.offset + 2 + 12u * count + 4;
  if (end > file.size())
    return d;
  for (uint16_t i = 0; i < count; i++) {
    size_t at = (size_t)d.offset + 2 + 12u * i;
    d.entries.push_back({Le16(file, at), Le16(file, at + 2), Le32(file, at + 4), Le32(file, at + 8)});
  }
  d.next = Le32(file, end - 4);
  d.ok = true;
  return d;
}

std::vector<StoredHotspot> ParseHotspotRecords(const std::vector<uint8_t>& file, uint32_t offset, uint32_t count,
                                               bool* ok) {
  std::vector<StoredHotspot> spots;
  size_t at = offset;
  *ok = true;
  for (uint32_t i = 0; i < count; i++) {
    if (at + 11 > file.size()) {
      *ok = false;
      break;
    }
    StoredHotspot s;
    s.length = Le16(file, at);
    s.x = Le16(file, at + 2);
    s.y = Le16(file, at + 4);
    s.width = Le16(file, at + 6);
    s.height = Le16(file, at + 8);
    size_t a = file[at + 10];
    if (at + 11 + a + 1 > file.size()) {
      *ok = false;
      break;
    }
    s.name.assign((const char*)&file[at + 11], a);
    size_t b = file[at + 11 + a];
    if (at + 14 + a + b > file.size()) {
      *ok = false;
      break;
    }
    s.text.assign((const char*)&file[at + 12 + a], b);
    s.kind = file[at + 12 + a + b];
    s.pad = file[at + 13 + a + b];
    spots.push_back(s);
    at += 14 + a + b;
  }
  return spots;
}

void RecordDeleter::operator()(ImgStruct* record) const {
  TAVIMG_UnloadPicture(window, record);
}

RecordPtr NewRecord() {
  HWND window = drftest::FakeWindow();
  ImgStruct* record = TAVIMG_GetImgStruct(window);
  if (record != nullptr)
    InitImgStruct(record);
  return RecordPtr(record, RecordDeleter{window});
}

void FillTiffByHand(ImgStruct* record, const std::string& path, LONG width, LONG height,
                    const std::vector<uint32_t>& stripOffsets) {
  snprintf(record->TiffPath, sizeof record->TiffPath, "%s", path.c_str());
  std::vector<uint8_t> bytes = ReadBytes(path);
  // The reader's copy: the file followed by zeros up to the next 10240 bytes.
  bytes.resize((bytes.size() / 10240 + 1) * 10240, 0);
  delete record->PictureFile;
  record->PictureFile = new CMemFile(10240);
  record->PictureFile->Write(bytes.data(), (UINT)bytes.size());
  record->PictureFile->Seek(0, CFile::begin);
  record->TIFFSize.x = width;
  record->TIFFSize.y = height;
  record->TiffCompression = 2;
  if (record->TiffStripOffsets != nullptr)
    GlobalFree(record->TiffStripOffsets);
  record->TiffStripOffsets = GlobalAlloc(GMEM_MOVEABLE, 4 * stripOffsets.size() + 4);
  void* table = GlobalLock(record->TiffStripOffsets);
  memcpy(table, stripOffsets.data(), 4 * stripOffsets.size());
  GlobalUnlock(record->TiffStripOffsets);
  record->TiffStripOffsetsCount = record->TiffStripCount = (DWORD)stripOffsets.size();
}

void SetHotspot(ImgStruct* record, int index, TavRect pictureRect, const char* name, const char* text, int kind) {
  HotspotEntry& e = record->Hotspots[index];
  memset(&e, 0, sizeof e);
  e.PictureRect = pictureRect;
  e.ScreenRect = pictureRect;
  strncpy(e.HotspotName, name, sizeof e.HotspotName);
  strncpy(e.HotspotText, text, sizeof e.HotspotText);
  e.HotspotKind = (signed char)kind;
  if (record->HotspotCount < index + 1)
    record->HotspotCount = index + 1;
}

Bilevel DibPixels(const std::vector<uint8_t>& dib) {
  Bilevel p;
  BITMAPINFOHEADER h;
  memcpy(&h, dib.data(), sizeof h);
  p.width = h.biWidth;
  p.height = h.biHeight;
  p.black.assign((size_t)p.width * p.height, 0);
  size_t stride = ((size_t)p.width + 31) / 32 * 4;
  for (int y = 0; y < p.height; y++) {
    const uint8_t* row = dib.data() + 48 + (size_t)(p.height - 1 - y) * stride;
    for (int x = 0; x < p.width; x++)
      p.black[(size_t)y * p.width + x] = (row[x / 8] >> (7 - x % 8)) & 1;
  }
  return p;
}

} // namespace convert
