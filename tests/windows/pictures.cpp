// The scenarios' pictures, made on Linux with the DRF encoder and libtiff.
#include "pictures.h"

#include "winhost.h"

#include <afx.h>
#include <convert_files.h>
#include <drfenc.h>

#include <stdio.h>

#include <filesystem>

namespace winhost {

namespace {

std::vector<drfenc::Hotspot> Spots() {
  std::vector<drfenc::Hotspot> spots;
  int kind = 1;
  for (const TestSpot& s : kSpots)
    spots.push_back(
        {s.name, s.text, (uint8_t)kind++, (int16_t)s.left, (int16_t)s.top, (int16_t)s.right, (int16_t)s.bottom});
  return spots;
}

// Four-colour drawing shared by the kind 5 picture and its companion TIFF:
// colour index 0 to 3 of the point (x, y) of a kDrfWidth x kDrfHeight picture.
int FourColourAt(int x, int y) {
  if (x >= 20 && x < 100 && y >= 16 && y < 60)
    return 1;
  if ((x - 150) * (x - 150) + (y - 90) * (y - 90) < 40 * 40)
    return 2;
  if (x == y || x == y + 1 || (y > 120 && x % 12 < 3))
    return 3;
  return 0;
}

bool Write(const std::string& path, const drfenc::DrfPicture& picture) {
  std::string error;
  if (drfenc::WriteDrfFile(path, picture, &error))
    return true;
  fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error.c_str());
  return false;
}

drfenc::DrfPicture Picture(int kind) {
  drfenc::DrfPicture picture;
  picture.kind = kind;
  picture.width = kDrfWidth;
  picture.height = kDrfHeight;
  picture.pixels.assign((size_t)kDrfWidth * kDrfHeight, 0);
  picture.hotspots = Spots();
  return picture;
}

} // namespace

bool MakePictures(const std::string& dir) {
  bool ok = true;

  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(TAV_SOURCE_DIR "/samples", error)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".drf" && extension != ".tif")
      continue;
    std::filesystem::copy_file(entry.path(), std::filesystem::path(dir) / entry.path().filename(),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
      fprintf(stderr, "cannot copy %s: %s\n", entry.path().string().c_str(), error.message().c_str());
      ok = false;
    }
  }

  drfenc::DrfPicture grey = Picture(drfenc::kKindGrey);
  for (int y = 0; y < kDrfHeight; ++y)
    for (int x = 0; x < kDrfWidth; ++x)
      grey.pixels[(size_t)y * kDrfWidth + x] = (uint8_t)(((x / 4) + (y / 3)) % 64);
  ok &= Write(dir + "/grey.drf", grey);

  drfenc::DrfPicture colour = Picture(drfenc::kKindColour);
  for (int i = 0; i < drfenc::kColourCount; ++i)
    colour.colours.push_back({(uint8_t)(i * 7 % 64), (uint8_t)(i * 13 % 64), (uint8_t)(i * 29 % 64)});
  for (int y = 0; y < kDrfHeight; ++y)
    for (int x = 0; x < kDrfWidth; ++x)
      colour.pixels[(size_t)y * kDrfWidth + x] = (uint8_t)((x / 9 + (y / 10) * 24) % 240);
  ok &= Write(dir + "/colour.drf", colour);

  drfenc::DrfPicture four = Picture(drfenc::kKindFourColourTiff);
  for (int y = 0; y < kDrfHeight; ++y)
    for (int x = 0; x < kDrfWidth; ++x)
      four.pixels[(size_t)y * kDrfWidth + x] = (uint8_t)FourColourAt(x, y);
  ok &= Write(dir + "/fourcolour.drf", four);

  drfenc::DrfPicture empty = Picture(drfenc::kKindFourColourEmpty);
  ok &= Write(dir + "/empty.drf", empty);

#ifdef TAV_HAVE_LIBTIFF
  // The page: the four-colour drawing at four times the size, black where
  // it is coloured, hatched inside the circle, over a fine pattern.
  convert::Bilevel page;
  page.width = kDrfWidth * kTiffScale;
  page.height = kDrfHeight * kTiffScale;
  page.black.assign((size_t)page.width * page.height, 0);
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      int c = FourColourAt(x / kTiffScale, y / kTiffScale);
      bool black = c == 1 || c == 3 || (c == 2 && (x + y) % 6 < 2) || (c == 0 && x % 97 == 0 && y % 5 == 0);
      page.black[(size_t)y * page.width + x] = black ? 1 : 0;
    }
  }
  if (!convert::WriteTiff(dir + "/page.tif", page, 64)) {
    fprintf(stderr, "cannot write %s/page.tif\n", dir.c_str());
    ok = false;
  }
#else
  fprintf(stderr, "no libtiff: the TIFF pictures are not made\n");
  ok = false;
#endif

  // The page with the hotspots of the kind 5 picture in its private tag.
  {
    HostWindow window(240, 180);
    std::string drf = dir + "/fourcolour.drf", tiff = dir + "/page.tif";
    ImgStruct* record = window.Open(tiff.c_str(), drf.c_str(), 0, TAVIMG_FILE_DRF);
    if (record == nullptr || FILE_DRF2TIFF_Hotspots(0, record, CString((dir + "/spots.tif").c_str())) != 1) {
      fprintf(stderr, "cannot make %s/spots.tif with FILE_DRF2TIFF_Hotspots\n", dir.c_str());
      ok = false;
    }
  }
  return ok;
}

} // namespace winhost
