// The pictures the scenarios open. The Linux run makes them (MakePictures)
// in the pictures folder that both runs work in; the Windows run reads them
// from there. Paths are relative to that folder, so that texts that show a
// path (error messages) are the same on both systems.
#ifndef TAV_TESTS_WINDOWS_PICTURES_H
#define TAV_TESTS_WINDOWS_PICTURES_H

#include <tavoimg/tavoimg.h>

#include <string>

namespace winhost {

struct TestPicture {
  const char* id;   // names the scenarios of this picture
  const char* tiff; // TIFF path passed to TAVIMG_OpenImage ("" for none)
  const char* drf;  // DRF path ("" for none)
  DWORD fileType;   // TAVIMG_FILE_DRF or TAVIMG_FILE_TIFF
};

// The bundled samples (copied from samples/), then pictures made for the
// tests: kind 7 (64 grey levels) with hotspots; kind 6 (240 colours) with
// hotspots; kind 5 (four colours) with its companion TIFF; kind 8 (no
// picture data); a Compression 2 TIFF page without and with hotspots (the
// latter made by FILE_DRF2TIFF_Hotspots from the kind 5 picture).
const TestPicture kPictures[] = {
    {"drive-unit", "drive-unit.tif", "drive-unit.drf", TAVIMG_FILE_DRF},
    {"drive-unit-hotspots", "drive-unit-hotspots.tif", "", TAVIMG_FILE_TIFF},
    {"bearing-cap", "", "bearing-cap.drf", TAVIMG_FILE_DRF},
    {"control-panel", "", "control-panel.drf", TAVIMG_FILE_DRF},
    {"grey", "", "grey.drf", TAVIMG_FILE_DRF},
    {"colour", "", "colour.drf", TAVIMG_FILE_DRF},
    {"fourcolour", "page.tif", "fourcolour.drf", TAVIMG_FILE_DRF},
    {"empty", "", "empty.drf", TAVIMG_FILE_DRF},
    {"page", "page.tif", "", TAVIMG_FILE_TIFF},
    {"spots", "spots.tif", "", TAVIMG_FILE_TIFF},
};

// Where the hotspots of the pictures lie, in picture pixels of the DRF
// pictures (the TIFF pictures are four times as large).
struct TestSpot {
  const char* name;
  const char* text;
  int left, top, right, bottom;
};
const TestSpot kSpots[] = {
    {"Motor", "Antrieb", 12, 10, 70, 44},
    {"Pumpe", "Foerderung", 90, 24, 160, 70},
    {"Ventil", "Regelung", 30, 80, 120, 118},
};
const int kDrfWidth = 216, kDrfHeight = 150, kTiffScale = 4;

// The picture of kPictures with this id.
const TestPicture& PictureById(const char* id);

#ifndef _WIN32
// Linux run only: writes the pictures into dir and copies the samples there. Returns false (with a
// message on stderr) when one cannot be made.
bool MakePictures(const std::string& dir);
#endif

} // namespace winhost

#endif
