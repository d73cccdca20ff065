// The scenarios' pictures, made on Linux with the DRF encoder and libtiff.
#include "pictures.h"

#include "winhost.h"

#include <afx.h>
#include <tiff_files.h>
#include <drfenc.h>

#include <stdio.h>

#include <filesystem>

namespace winhost {

namespace {

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

// The DRF pictures: file, kind and the colour index of each pixel.
const struct {
  const char* file;
  int kind;
  int (*index)(int x, int y);
} kDrfPictures[] = {
    {"grey.drf", drfenc::kKindGrey, [](int x, int y) { return ((x / 4) + (y / 3)) % 64; }},
    {"colour.drf", drfenc::kKindColour, [](int x, int y) { return (x / 9 + (y / 10) * 24) % 240; }},
    {"fourcolour.drf", drfenc::kKindFourColourTiff, FourColourAt},
    {"empty.drf", drfenc::kKindFourColourEmpty, [](int, int) { return 0; }},
};

bool Fails(const std::string& what) {
  fprintf(stderr, "cannot make %s\n", what.c_str());
  return false;
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
    ok &= !error || Fails(entry.path().string() + ": " + error.message());
  }

  for (const auto& made : kDrfPictures) {
    drfenc::DrfPicture picture;
    picture.kind = made.kind;
    picture.width = kDrfWidth;
    picture.height = kDrfHeight;
    for (int y = 0; y < kDrfHeight; ++y)
      for (int x = 0; x < kDrfWidth; ++x)
        picture.pixels.push_back((uint8_t)made.index(x, y));
    for (int i = 0; made.kind == drfenc::kKindColour && i < drfenc::kColourCount; ++i)
      picture.colours.push_back({(uint8_t)(i * 7 % 64), (uint8_t)(i * 13 % 64), (uint8_t)(i * 29 % 64)});
    int kind = 1;
    for (const TestSpot& s : kSpots)
      picture.hotspots.push_back(
          {s.name, s.text, (uint8_t)kind++, (int16_t)s.left, (int16_t)s.top, (int16_t)s.right, (int16_t)s.bottom});
    std::string message;
    ok &= drfenc::WriteDrfFile(dir + "/" + made.file, picture, &message) || Fails(made.file + (": " + message));
  }

  // The page: the four-colour drawing at four times the size, black where
  // it is coloured, hatched inside the circle, over a fine pattern.
  TiffBitmap page(kDrfWidth * kTiffScale, kDrfHeight * kTiffScale);
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      int c = FourColourAt(x / kTiffScale, y / kTiffScale);
      page.at(x, y) = c == 1 || c == 3 || (c == 2 && (x + y) % 6 < 2) || (c == 0 && x % 97 == 0 && y % 5 == 0);
    }
  }
  ok &= TiffWriteWithLibtiff(dir + "/page.tif", page, TiffWriteOptions{64}) || Fails("page.tif (needs libtiff)");

  // The page with the hotspots of the kind 5 picture in its private tag.
  HostWindow window(240, 180);
  const std::string drf = dir + "/fourcolour.drf", tiff = dir + "/page.tif";
  ImgStruct* record = window.Open({"", tiff.c_str(), drf.c_str(), TAVIMG_FILE_DRF}, 0, false);
  ok &= (record != nullptr && FILE_DRF2TIFF_Hotspots(0, record, CString((dir + "/spots.tif").c_str())) == 1) ||
        Fails("spots.tif with FILE_DRF2TIFF_Hotspots");
  return ok;
}

} // namespace winhost
