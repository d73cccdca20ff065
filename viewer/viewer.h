// TavoView: a Windows picture viewer for DRF and TIFF pictures, built on the
// TavoIMG module's exports only. One frame window holds the picture window,
// the hotspot list, an info line and the status bar.
#ifndef TAVOVIEW_VIEWER_H
#define TAVOVIEW_VIEWER_H

#include <windows.h>

#include <tavoimg/tavoimg.h>

#include <string>
#include <vector>

namespace tavoview {

// Window classes and control identifiers; the test inspector finds the
// controls by them.
constexpr char kFrameClass[] = "TavoViewFrame";
constexpr char kPictureClass[] = "TavoViewPicture";
enum ControlId { kIdPicture = 100, kIdHotspotList = 101, kIdInfoLine = 102, kIdStatusBar = 103 };

// Status bar parts: the hotspot under the mouse, the picture, the zoom.
enum StatusPart { kStatusHotspot = 0, kStatusPicture = 1, kStatusZoom = 2 };

constexpr int kRecentCount = 4;

// ---- Settings kept under HKCU\Software\TavoIMG\TavoView.
struct Placement {
  RECT normal{};
  bool maximized = false;
  bool valid = false;
};
Placement LoadPlacement();
void SavePlacement(HWND frame);
std::vector<std::string> LoadRecentFiles();
void SaveRecentFiles(const std::vector<std::string>& files);

// ---- The shown picture.
struct Picture {
  HWND window = nullptr;
  ImgStruct* record = nullptr;
  std::string path;     // the picture as opened (DRF or TIFF)
  std::string tiffPath; // the TIFF shown for a DRF of kind 5, or the TIFF itself
  bool isTiff = false;
  int drfKind = 0;
  DWORD mode = 0;        // the display mode chosen in the View menu
  bool tiffView = false; // display modes 1 and 4 can be shown
};

// Opens a picture into a new picture window (a child of frame, hidden), in
// the display mode chosen before (-1: none) when the picture has it. On
// failure the library has shown its message box and the result has no record.
Picture OpenPicture(HWND frame, const std::string& path, const std::string& tiffPath, const RECT& area, int chosenMode);
void ClosePicture(Picture& picture);
// The shown picture opened again, without drawing, into a hidden window of
// its own, for export and conversion: display modes 1 and 4 of a DRF do not
// load its raster, so it is opened in mode 0 (a TIFF in 1).
Picture OpenForOutput(const Picture& shown);
void RegisterPictureClass(HINSTANCE instance);

// The kind byte of a DRF file (5 to 8), or 0 when it cannot be read.
int ReadDrfKind(const std::string& path);
bool IsTiffFile(const std::string& path);
// The companion TIFF of a kind-5 DRF (same name, .tif or .tiff), or "".
std::string FindCompanionTiff(const std::string& drfPath);

// ---- The hotspot panel and the status bar.
HWND CreateHotspotList(HWND frame);
void FillHotspotList(HWND list, ImgStruct* record);
// Selects the one row of the hotspot under the mouse (no marks change).
void SelectHoverRow(HWND list, LONG hotspot);
// False while the viewer itself changes the rows' selection.
bool IsUserSelectionChange();
// Marks exactly the hotspots whose rows are selected.
void MarkSelectedRows(HWND list, const Picture& picture);
void SelectAllRows(HWND list);
HWND CreateStatusBar(HWND frame);
void LayoutStatusBar(HWND status);
void ShowHotspotStatus(HWND status, ImgStruct* record);
void ShowPictureStatus(HWND status, const Picture& picture);

// Text of the hotspot entry number, "" when there is none.
std::string HotspotText(ImgStruct* record, LONG number);
std::string FileName(const std::string& path);

// ---- The frame's handlers for its picture window (viewer.cpp).
void OnPictureMouseMove();
void OnPictureChanged();
void OnHotspotDoubleClick(const char* name);

} // namespace tavoview

#endif
