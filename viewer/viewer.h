// TavoView: a Windows picture viewer for DRF and TIFF pictures, built on the
// TavoIMG module's exports only. One frame window holds the view of the
// picture, a splitter, the hotspot list, an info line and the status bar.
// Paths are UTF-16 throughout; the module is handed their ANSI form.
#ifndef TAVOVIEW_VIEWER_H
#define TAVOVIEW_VIEWER_H

#include <windows.h>

#include <commctrl.h>

#include <tavoimg/tavoimg.h>

#include <string>
#include <vector>

namespace tavoview {

// Window classes and control identifiers; the test inspector finds the
// controls by them. The picture window is a child of the view.
constexpr char kFrameClass[] = "TavoViewFrame";
constexpr char kPictureClass[] = "TavoViewPicture";
enum ControlId { kIdPicture = 100, kIdHotspotList = 101, kIdInfoLine = 102, kIdStatusBar = 103, kIdView = 104 };

// Status bar parts: the hotspot under the mouse, the picture, the zoom.
enum StatusPart { kStatusHotspot = 0, kStatusPicture = 1, kStatusZoom = 2 };

constexpr int kRecentCount = 4;
// Window pixels that an arrow key, or a third of a wheel notch, scrolls.
constexpr int kLineStep = 20;

// ---- Paths (paths.cpp).
std::wstring Widen(const std::string& ansi);
std::string Narrow(const std::wstring& wide); // for texts shown, not for paths
std::wstring FileName(const std::wstring& path);
std::wstring Folder(const std::wstring& path);
std::wstring FullPath(const std::wstring& path);
// The path as the module takes it: the ANSI form, or the short (8.3) form
// where the long one has characters outside the ANSI code page. False, with
// the reason in why, when neither exists.
bool ModulePath(const std::wstring& path, std::string& ansi, std::wstring& why);
// The pictures (.drf, .tif, .tiff) of a folder, sorted by name.
std::vector<std::wstring> PicturesInFolder(const std::wstring& folder);

// ---- Settings kept under HKCU\Software\TavoIMG\TavoView (settings.cpp).
struct Placement {
  RECT normal{};
  bool maximized = false;
  bool valid = false;
};
Placement LoadPlacement();
void SavePlacement(HWND frame);
struct RecentFile {
  std::wstring path;
  std::wstring tiff; // the companion TIFF chosen for it, or ""
};
std::vector<RecentFile> LoadRecentFiles();
void SaveRecentFiles(const std::vector<RecentFile>& files);

// ---- The shown picture (picture.cpp).
struct Picture {
  HWND window = nullptr;
  ImgStruct* record = nullptr;
  std::wstring path;                  // the picture as opened (DRF or TIFF)
  std::wstring tiffPath;              // the TIFF shown for a DRF of kind 5, or the TIFF itself
  std::string modulePath, moduleTiff; // what the module was handed
  bool isTiff = false;
  int drfKind = 0;
  DWORD mode = 0;        // the display mode shown
  bool tiffView = false; // display modes 1 and 4 can be shown
  std::wstring notice;   // what the status bar says about the file itself
};

// Opens a picture into a new picture window (a child of view, hidden), in the
// display mode chosen before (-1: none) when the picture has it. On failure
// the viewer's box has told why and the result has no record.
Picture OpenPicture(HWND frame, HWND view, const std::wstring& path, const std::wstring& tiffPath, int chosenMode);
void ClosePicture(Picture& picture);
// The shown picture opened again, without drawing, into a hidden window of
// its own, for export, conversion and printing: display modes 1 and 4 of a
// DRF do not load its raster, so it is opened in mode 0 (a TIFF in 1).
Picture OpenForOutput(const Picture& shown);
void RegisterPictureClass(HINSTANCE instance);
// Reads the DRF raster that an opening in display mode 1 or 4 left unread,
// before the DRF is shown at its own size; the hotspots are active again.
void ReadRasterIfMissing(Picture& picture);

// The kind byte of a DRF file (5 to 8), or 0 when it cannot be read.
int ReadDrfKind(const std::wstring& path);
bool IsTiffFile(const std::wstring& path);
// The companion TIFF of a kind-5 DRF (same name, .tif or .tiff), or "".
std::wstring FindCompanionTiff(const std::wstring& drfPath);
// The viewer's own message box.
void Complain(HWND owner, const std::wstring& text);

// ---- The view (view.cpp).
HWND CreateView(HWND frame);
// Sizes and places the picture window in the view for its display mode.
void PlacePicture(const Picture& p);
// Scroll bars of a zoomed section from the record: ranges, positions and
// thumbs as long as the section is of the picture; bars with nothing to
// scroll hidden.
void SyncBars(const Picture& p);
bool ShowsSection(const ImgStruct* record);
// The picture window of a DRF at its own size: one pixel more each way, as
// the library's view reset sizes a window.
SIZE OwnSize(const Picture& p);
// The display mode and the picture's scroll bars as properties of the frame,
// for tools that read the viewer from outside (TavoView.Mode, TavoView.VPos,
// .VPage, .VMax and the same with H; each value plus one, 0 for none).
void PublishState(HWND frame, const Picture& p);
// Window pixels per picture pixel of what is shown.
double TrueScale(const Picture& p);
double FittedScale(const Picture& p);
void ScrollBy(const Picture& p, int bar, int pixels);
void ScrollToEnd(const Picture& p, int bar, bool end);
int PageSize(const Picture& p, int bar);
void BringIntoView(const Picture& p, LONG hotspot);
bool CanZoom(const Picture& p);
bool PictureCentre(const Picture& p, double& x, double& y);
bool PictureAt(const Picture& p, POINT at, double& x, double& y);
// Zooms to scale (window pixels per picture pixel) around picture point x, y.
void ZoomTo(Picture& p, double scale, double x, double y);

// ---- Printing (print.cpp).
void PrintPicture(HWND frame, const Picture& shown, bool preview);
// Prints on the default printer into the file output: the view as shown or
// the whole picture.
bool PrintToFile(HWND frame, const Picture& shown, bool view, const std::wstring& output);
// The picture as the DIB the module hands a host (empty when it cannot).
std::vector<BYTE> PictureDib(const Picture& p);

// ---- The hotspot panel and the status bar (panel.cpp).
HWND CreateHotspotList(HWND frame);
void FillHotspotList(HWND list, ImgStruct* record);
// Highlights the row of the hotspot under the mouse (drop-highlight, apart
// from the selection that marks).
void ShowHoverRow(HWND list, LONG hotspot);
// NM_CUSTOMDRAW of the list: the hover row on a colour of its own.
LRESULT DrawListRow(NMLVCUSTOMDRAW* draw);
// The width that shows every column beside the list's scroll bar.
int ListWidth(HWND list);
// False while the viewer itself changes the rows' selection.
bool IsUserSelectionChange();
// Marks exactly the hotspots whose rows are selected.
void MarkSelectedRows(HWND list, const Picture& picture);
void SelectAllRows(HWND list);
void SortRows(HWND list, int column);
// The hotspot entry of a row.
LONG RowHotspot(HWND list, int row);
HWND CreateStatusBar(HWND frame);
void LayoutStatusBar(HWND status);
void ShowHotspotStatus(HWND status, ImgStruct* record);
void ShowPictureStatus(HWND status, const Picture& picture);

// Text of the hotspot entry number, "" when there is none.
std::string HotspotText(ImgStruct* record, LONG number);

// ---- The frame's side (viewer.cpp).
Picture* ShownPicture();
void ShowView();
void OnViewSized();
void OnPictureMouseMove();
void OnPictureChanged();
void OnHotspotDoubleClick(const char* name);
void OnPictureKey(WPARAM key);
void OnPictureContextMenu(POINT screen);

} // namespace tavoview

#endif
