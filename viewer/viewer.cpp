// TavoView's frame window: menus, accelerators, layout with a splitter,
// commands, keys, full screen, dropped files, and the program's entry.
//   TavoView.exe [PICTURE [--tiff TIFF]] [--print-to FILE [--print-view]]
#include "viewer.h"

#include <afx.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tavoview {

namespace {

enum Command {
  kCmdOpen = 1001,
  kCmdOpenNext,
  kCmdOpenPrevious,
  kCmdExport,
  kCmdConvert,
  kCmdPrint,
  kCmdPrintPreview,
  kCmdExit,
  kCmdRecent = 1020, // to kCmdRecent + kRecentCount - 1
  kCmdCopy = 1101,
  kCmdMarkAll,
  kCmdMode = 1200, // to kCmdMode + 4
  kCmdZoom = 1210,
  kCmdFit,
  kCmdZoomIn,
  kCmdZoomOut,
  kCmdActualPixels,
  kCmdFullScreen,
  kCmdCancel,
  kCmdAbout = 1300,
  kCmdShowHotspot = 1400,
};

// Posted to the frame once after the user changed the list's selection, so
// that a click that deselects many rows and selects one changes the marks
// once.
constexpr UINT kMsgSyncMarks = WM_APP + 1;

constexpr int kInfoHeight = 20;
constexpr int kSplitter = 5;
constexpr int kMinList = 80, kMinView = 160;

struct App {
  HWND frame = nullptr;
  HWND view = nullptr;
  HWND list = nullptr;
  HWND status = nullptr;
  HWND info = nullptr;
  HMENU menuBar = nullptr;
  HMENU fileMenu = nullptr;
  HMENU viewMenu = nullptr;
  HMENU editMenu = nullptr;
  Picture picture;
  std::vector<RecentFile> recent;
  LONG hover = TAVIMG_NO_HOTSPOT;
  int chosenMode = -1; // the display mode last chosen in the View menu
  bool syncPending = false;
  bool zoomHint = false;
  int listWidth = 300;
  bool splitting = false;
  bool fullScreen = false;
  WINDOWPLACEMENT windowed{};
  LONG_PTR windowedStyle = 0;
  int sortColumn = 0;
};

App g_app;

bool ListShown() {
  return !g_app.fullScreen && g_app.picture.record && TAVIMG_GetHotspotCount(g_app.picture.record) > 0;
}

void SetInfo(const std::wstring& text) {
  SetWindowTextW(g_app.info, text.c_str());
  g_app.zoomHint = false;
}

void Layout() {
  RECT client{}, status{};
  GetClientRect(g_app.frame, &client);
  bool chrome = !g_app.fullScreen;
  ShowWindow(g_app.status, chrome ? SW_SHOW : SW_HIDE);
  ShowWindow(g_app.info, chrome ? SW_SHOW : SW_HIDE);
  ShowWindow(g_app.list, ListShown() ? SW_SHOW : SW_HIDE);
  int bottom = client.bottom;
  if (chrome) {
    LayoutStatusBar(g_app.status);
    GetWindowRect(g_app.status, &status);
    bottom -= (status.bottom - status.top) + kInfoHeight;
  }
  int list = ListShown() ? std::max(kMinList, std::min(g_app.listWidth, static_cast<int>(client.right) - kMinView)) : 0;
  int viewWidth = std::max(1, static_cast<int>(client.right) - (list ? list + kSplitter : 0));
  MoveWindow(g_app.view, 0, 0, viewWidth, std::max(1, bottom), TRUE);
  if (list)
    MoveWindow(g_app.list, viewWidth + kSplitter, 0, list, std::max(1, bottom) + kInfoHeight, TRUE);
  if (chrome)
    MoveWindow(g_app.info, 0, bottom, viewWidth, kInfoHeight, TRUE);
}

bool OnSplitter(LPARAM lParam) {
  RECT view{};
  GetClientRect(g_app.view, &view);
  int x = static_cast<SHORT>(LOWORD(lParam));
  return ListShown() && x >= view.right && x < view.right + kSplitter;
}

// ---- Menus.

std::wstring MenuText(int number, const std::wstring& path) {
  std::wstring text = L"&" + std::to_wstring(number) + L" " + path;
  // An ampersand in a path is shown as one.
  for (size_t at = text.find(L'&', 1); at != std::wstring::npos; at = text.find(L'&', at + 2))
    text.insert(at, 1, L'&');
  return text;
}

void RebuildFileMenu() {
  HMENU menu = g_app.fileMenu;
  while (GetMenuItemCount(menu) > 0)
    DeleteMenu(menu, 0, MF_BYPOSITION);
  AppendMenuA(menu, MF_STRING, kCmdOpen, "&Open...\tCtrl+O");
  AppendMenuA(menu, MF_STRING, kCmdOpenNext, "Open &next in folder\tCtrl+PgDn");
  AppendMenuA(menu, MF_STRING, kCmdOpenPrevious, "Open pre&vious in folder\tCtrl+PgUp");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdExport, "&Export picture as BMP...");
  AppendMenuA(menu, MF_STRING, kCmdConvert, "&Convert to TIFF with hotspots...");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdPrint, "&Print...\tCtrl+P");
  AppendMenuA(menu, MF_STRING, kCmdPrintPreview, "Print previe&w");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  for (size_t i = 0; i < g_app.recent.size(); ++i)
    AppendMenuW(menu, MF_STRING, kCmdRecent + i, MenuText(static_cast<int>(i + 1), g_app.recent[i].path).c_str());
  if (!g_app.recent.empty())
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdExit, "E&xit");
}

HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  g_app.fileMenu = CreatePopupMenu();
  RebuildFileMenu();
  g_app.editMenu = CreatePopupMenu();
  AppendMenuA(g_app.editMenu, MF_STRING, kCmdCopy, "&Copy\tCtrl+C");
  AppendMenuA(g_app.editMenu, MF_STRING, kCmdMarkAll, "Mark &all hotspots\tCtrl+A");
  g_app.viewMenu = CreatePopupMenu();
  const char* modes[] = {"&0 DRF picture, window sized to it\t0", "&1 Whole picture fitted\t1",
                         "&2 DRF picture, window sized to it, not erased\t2",
                         "&3 DRF picture in a window that keeps its size\t3", "&4 Picture fitted to the width\t4"};
  for (int i = 0; i < 5; ++i)
    AppendMenuA(g_app.viewMenu, MF_STRING, kCmdMode + i, modes[i]);
  AppendMenuA(g_app.viewMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(g_app.viewMenu, MF_STRING, kCmdZoom, "&Zoom to a rectangle\tZ");
  AppendMenuA(g_app.viewMenu, MF_STRING, kCmdZoomIn, "Zoom &in\t+");
  AppendMenuA(g_app.viewMenu, MF_STRING, kCmdZoomOut, "Zoom &out\t-");
  AppendMenuA(g_app.viewMenu, MF_STRING, kCmdActualPixels, "&Actual pixels (100%)\tCtrl+1");
  AppendMenuA(g_app.viewMenu, MF_STRING, kCmdFit, "&Fit\tF");
  AppendMenuA(g_app.viewMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(g_app.viewMenu, MF_STRING, kCmdFullScreen, "F&ull screen\tF11");
  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, kCmdAbout, "&About TavoView");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_app.fileMenu), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_app.editMenu), "&Edit");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_app.viewMenu), "&View");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
  g_app.menuBar = bar;
  return bar;
}

HACCEL BuildAccelerators() {
  std::vector<ACCEL> keys = {{FVIRTKEY | FCONTROL, 'O', kCmdOpen},
                             {FVIRTKEY | FCONTROL, 'C', kCmdCopy},
                             {FVIRTKEY | FCONTROL, 'A', kCmdMarkAll},
                             {FVIRTKEY | FCONTROL, 'P', kCmdPrint},
                             {FVIRTKEY | FCONTROL, VK_NEXT, kCmdOpenNext},
                             {FVIRTKEY | FCONTROL, VK_PRIOR, kCmdOpenPrevious},
                             {FVIRTKEY, VK_SPACE, kCmdOpenNext},
                             {FVIRTKEY, VK_BACK, kCmdOpenPrevious},
                             {FVIRTKEY, 'Z', kCmdZoom},
                             {FVIRTKEY, 'F', kCmdFit},
                             {FVIRTKEY, VK_ADD, kCmdZoomIn},
                             {FVIRTKEY, VK_OEM_PLUS, kCmdZoomIn},
                             {FVIRTKEY | FSHIFT, VK_OEM_PLUS, kCmdZoomIn},
                             {FVIRTKEY, VK_SUBTRACT, kCmdZoomOut},
                             {FVIRTKEY, VK_OEM_MINUS, kCmdZoomOut},
                             {FVIRTKEY | FCONTROL, '1', kCmdActualPixels},
                             {FVIRTKEY, VK_F11, kCmdFullScreen}};
  for (int i = 0; i < 5; ++i)
    keys.push_back({FVIRTKEY, static_cast<WORD>('0' + i), static_cast<WORD>(kCmdMode + i)});
  return CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));
}

bool DrfMode(DWORD mode) {
  return mode != 1 && mode != 4;
}

void UpdateMenus() {
  const Picture& p = g_app.picture;
  bool open = p.record != nullptr;
  auto enable = [](HMENU menu, UINT id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  for (UINT id : {kCmdOpenNext, kCmdOpenPrevious, kCmdExport, kCmdPrint, kCmdPrintPreview})
    enable(g_app.fileMenu, id, open);
  // The converter writes the hotspots of a DRF into its companion TIFF.
  enable(g_app.fileMenu, kCmdConvert, open && !p.isTiff && p.tiffView);
  enable(g_app.editMenu, kCmdCopy, open);
  enable(g_app.editMenu, kCmdMarkAll, open);
  for (DWORD mode = 0; mode < 5; ++mode)
    enable(g_app.viewMenu, kCmdMode + mode, open && (DrfMode(mode) ? !p.isTiff : p.tiffView));
  for (UINT id : {kCmdZoom, kCmdZoomIn, kCmdZoomOut, kCmdActualPixels})
    enable(g_app.viewMenu, id, open && p.tiffView);
  enable(g_app.viewMenu, kCmdFit, open);
  if (open)
    CheckMenuRadioItem(g_app.viewMenu, kCmdMode, kCmdMode + 4, kCmdMode + p.mode, MF_BYCOMMAND);
  CheckMenuItem(g_app.viewMenu, kCmdFullScreen, MF_BYCOMMAND | (g_app.fullScreen ? MF_CHECKED : MF_UNCHECKED));
}

// ---- Commands.

std::wstring AskPath(bool save, const wchar_t* filter, const wchar_t* extension, const wchar_t* title) {
  wchar_t file[MAX_PATH * 4] = L"";
  std::wstring folder = g_app.picture.path.empty() ? L"" : Folder(g_app.picture.path);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = g_app.frame;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH * 4;
  ofn.lpstrTitle = title;
  ofn.lpstrDefExt = extension;
  // The dialog opens in the shown picture's folder.
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  if (save) {
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return GetSaveFileNameW(&ofn) ? file : L"";
  }
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  return GetOpenFileNameW(&ofn) ? file : L"";
}

void RememberRecent(const RecentFile& file) {
  auto& recent = g_app.recent;
  recent.erase(std::remove_if(recent.begin(), recent.end(),
                              [&](const RecentFile& r) { return lstrcmpiW(r.path.c_str(), file.path.c_str()) == 0; }),
               recent.end());
  recent.insert(recent.begin(), file);
  if (recent.size() > static_cast<size_t>(kRecentCount))
    recent.resize(kRecentCount);
  SaveRecentFiles(recent);
  RebuildFileMenu();
}

void SetFrameTitle() {
  const Picture& p = g_app.picture;
  SetWindowTextW(g_app.frame, p.record ? (L"TavoView - " + FileName(p.path)).c_str() : L"TavoView");
}

// The frame made as large as a DRF at its own size needs, within the
// screen's work area (display modes 0 and 2).
void FitFrameToPicture() {
  const Picture& p = g_app.picture;
  if (!p.record || !DrfMode(p.mode) || p.mode == 3 || g_app.fullScreen || IsZoomed(g_app.frame))
    return;
  SIZE want = OwnSize(p);
  int wantW = want.cx, wantH = want.cy;
  RECT frame{}, view{}, work{};
  GetWindowRect(g_app.frame, &frame);
  GetWindowRect(g_app.view, &view);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int width = frame.right - frame.left + wantW - (view.right - view.left);
  int height = frame.bottom - frame.top + wantH - (view.bottom - view.top);
  int workW = work.right - work.left, workH = work.bottom - work.top;
  // Where one side does not fit, the other makes room for the scroll bar.
  if (height > workH)
    width += GetSystemMetrics(SM_CXVSCROLL);
  if (width > workW)
    height += GetSystemMetrics(SM_CYHSCROLL);
  width = std::max(520, std::min(width, workW));
  height = std::max(300, std::min(height, workH));
  int left = std::max(work.left, std::min(frame.left, work.right - width));
  int top = std::max(work.top, std::min(frame.top, work.bottom - height));
  SetWindowPos(g_app.frame, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Opens a picture; when it cannot be opened, the viewer's box has told why
// and the picture shown before stays.
bool LoadFile(const std::wstring& given, const std::wstring& givenTiff) {
  // Whole paths, so that the recent files and later exports do not depend
  // on the current folder.
  std::wstring path = FullPath(given), tiffPath = givenTiff.empty() ? L"" : FullPath(givenTiff);
  Picture opened = OpenPicture(g_app.frame, g_app.view, path, tiffPath, g_app.chosenMode);
  if (!opened.record)
    return false;
  ClosePicture(g_app.picture);
  g_app.picture = opened;
  g_app.hover = TAVIMG_NO_HOTSPOT;
  FillHotspotList(g_app.list, opened.record);
  // The list as wide as its columns, up to 45% of the frame.
  RECT frame{};
  GetClientRect(g_app.frame, &frame);
  g_app.listWidth = std::min(ListWidth(g_app.list), static_cast<int>(frame.right) * 45 / 100);
  Layout();
  ShowView();
  FitFrameToPicture();
  ShowWindow(opened.window, SW_SHOW);
  SetFocus(opened.window);
  SetFrameTitle();
  ShowHotspotStatus(g_app.status, opened.record);
  SetInfo(L"");
  RememberRecent({path, opened.isTiff ? L"" : opened.tiffPath});
  UpdateMenus();
  return true;
}

void OpenSibling(int step) {
  const Picture& p = g_app.picture;
  if (!p.record)
    return;
  std::vector<std::wstring> names = PicturesInFolder(Folder(p.path));
  auto at = std::find_if(names.begin(), names.end(),
                         [&](const std::wstring& name) { return lstrcmpiW(name.c_str(), p.path.c_str()) == 0; });
  // From the shown picture on, the next one that opens.
  for (long i = at == names.end() ? -1 : at - names.begin();;) {
    i += step;
    if (i < 0 || i >= static_cast<long>(names.size())) {
      SetInfo(step > 0 ? L"No next picture in this folder" : L"No previous picture in this folder");
      return;
    }
    if (LoadFile(names[static_cast<size_t>(i)], L""))
      return;
  }
}

bool WriteBytes(const std::wstring& path, const void* head, size_t headSize, const void* body, size_t bodySize) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f)
    return false;
  bool ok = std::fwrite(head, 1, headSize, f) == headSize && std::fwrite(body, 1, bodySize, f) == bodySize;
  return std::fclose(f) == 0 && ok;
}

// The DIB the library hands a host, written after a BMP file header.
bool WriteDib(const Picture& p, const std::wstring& path) {
  std::vector<BYTE> dib = PictureDib(p);
  if (dib.empty())
    return false;
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
  size_t table = 4 * static_cast<size_t>(header->biClrUsed ? header->biClrUsed
                                                           : (header->biBitCount <= 8 ? 1u << header->biBitCount : 0));
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfSize = static_cast<DWORD>(sizeof file + dib.size());
  file.bfOffBits = static_cast<DWORD>(sizeof file + header->biSize + table);
  return WriteBytes(path, &file, sizeof file, dib.data(), dib.size());
}

bool WriteTiff(const Picture& p, const std::wstring& path) {
  // The converter takes an ANSI path: the file is made first, so that it
  // has a short name when the long one does not fit.
  HANDLE made = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (made == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(made);
  std::string ansi;
  std::wstring why;
  return ModulePath(path, ansi, why) && FILE_DRF2TIFF_Hotspots(0, p.record, CString(ansi.c_str())) != 0;
}

// Asks where to write, opens the picture afresh for it and writes.
void SaveAs(const wchar_t* filter, const wchar_t* extension, const wchar_t* title,
            bool (*write)(const Picture&, const std::wstring&)) {
  std::wstring path = AskPath(true, filter, extension, title);
  if (path.empty())
    return;
  Picture source = OpenForOutput(g_app.picture);
  bool written = source.record && write(source, path);
  ClosePicture(source);
  if (written)
    SetInfo(L"Written: " + path);
  else
    Complain(g_app.frame, std::wstring(title) + L": " + path + L" could not be written.");
}

void MarkAll() {
  const Picture& p = g_app.picture;
  SelectAllRows(g_app.list);
  TAVIMG_SetAllHotspots(p.window, 1, p.record);
}

void SetMode(DWORD mode) {
  Picture& p = g_app.picture;
  if (DrfMode(mode) ? p.isTiff : !p.tiffView)
    return;
  p.mode = mode;
  g_app.chosenMode = static_cast<int>(mode);
  ShowView();
  FitFrameToPicture();
  UpdateMenus();
}

void CancelZoom() {
  ImgStruct* r = g_app.picture.record;
  if (!r || !TAVIMG_InZoomAction(r))
    return;
  // A click with no band disarms the zoom.
  TAVIMG_OnMessage(g_app.picture.window, WM_LBUTTONDOWN, MK_LBUTTON, 0, r);
  TAVIMG_OnMessage(g_app.picture.window, WM_LBUTTONUP, 0, 0, r);
  SetInfo(L"");
}

void ZoomStep(double factor) {
  Picture& p = g_app.picture;
  double x, y;
  if (!PictureCentre(p, x, y)) {
    if (!p.tiffView)
      return;
    // From a DRF at its own size, the TIFF picture fitted first.
    SetMode(1);
    if (!PictureCentre(p, x, y))
      return;
  }
  ZoomTo(p, factor > 0 ? TrueScale(p) * factor : 1.0, x, y);
  UpdateMenus();
  ShowPictureStatus(g_app.status, p);
}

void ToggleFullScreen() {
  HWND frame = g_app.frame;
  g_app.fullScreen = !g_app.fullScreen;
  if (g_app.fullScreen) {
    g_app.windowed.length = sizeof g_app.windowed;
    GetWindowPlacement(frame, &g_app.windowed);
    g_app.windowedStyle = GetWindowLongPtrA(frame, GWL_STYLE);
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    GetMonitorInfoA(MonitorFromWindow(frame, MONITOR_DEFAULTTONEAREST), &monitor);
    SetMenu(frame, nullptr);
    SetWindowLongPtrW(frame, GWL_STYLE, (g_app.windowedStyle & ~WS_OVERLAPPEDWINDOW) | WS_POPUP);
    const RECT& r = monitor.rcMonitor;
    SetWindowPos(frame, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED);
  } else {
    SetWindowLongPtrA(frame, GWL_STYLE, g_app.windowedStyle);
    SetMenu(frame, g_app.menuBar);
    SetWindowPlacement(frame, &g_app.windowed);
    SetWindowPos(frame, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  Layout();
  UpdateMenus();
}

void ShowAbout() {
  char version[256] = "";
  TAVIMG_GetVersionInfo(version);
  std::wstring text =
      L"TavoView " TAVOVIEW_VERSION_TEXT L"\nA viewer for DRF and TIFF pictures with hotspots.\n\nPicture module: " +
      Widen(version) +
      L"\n\nThe keys: 0 to 4 display modes, F fit, Z zoom to a rectangle, + and - "
      L"zoom, Ctrl+1 actual pixels, F11 full screen, Space and Backspace the next "
      L"and previous picture of the folder.";
  MSGBOXPARAMSW box{};
  box.cbSize = sizeof box;
  box.hwndOwner = g_app.frame;
  box.hInstance = GetModuleHandleA(nullptr);
  box.lpszText = text.c_str();
  box.lpszCaption = L"About TavoView";
  box.dwStyle = MB_OK | MB_USERICON;
  box.lpszIcon = MAKEINTRESOURCEW(1);
  MessageBoxIndirectW(&box);
}

void OnCommand(int id) {
  Picture& p = g_app.picture;
  if (id == kCmdOpen) {
    std::wstring path = AskPath(false,
                                L"Pictures (*.drf, *.tif, *.tiff)\0*.drf;*.tif;*.tiff\0DRF pictures (*.drf)\0*.drf\0"
                                L"TIFF pictures (*.tif, *.tiff)\0*.tif;*.tiff\0All files\0*.*\0",
                                nullptr, L"Open a picture");
    if (!path.empty())
      LoadFile(path, L"");
  } else if (id >= kCmdRecent && id < kCmdRecent + static_cast<int>(g_app.recent.size())) {
    RecentFile file = g_app.recent[static_cast<size_t>(id - kCmdRecent)];
    LoadFile(file.path, file.tiff);
  } else if (id == kCmdExit) {
    SendMessageA(g_app.frame, WM_CLOSE, 0, 0);
  } else if (id == kCmdAbout) {
    ShowAbout();
  } else if (id == kCmdFullScreen) {
    ToggleFullScreen();
  }
  if (!p.record)
    return;
  switch (id) {
  case kCmdOpenNext:
  case kCmdOpenPrevious:
    OpenSibling(id == kCmdOpenNext ? 1 : -1);
    break;
  case kCmdExport:
    SaveAs(L"BMP pictures (*.bmp)\0*.bmp\0", L"bmp", L"Export picture as BMP", WriteDib);
    break;
  case kCmdConvert:
    if (!p.isTiff && p.tiffView)
      SaveAs(L"TIFF pictures (*.tif)\0*.tif\0", L"tif", L"Convert to TIFF with hotspots", WriteTiff);
    break;
  case kCmdPrint:
  case kCmdPrintPreview:
    PrintPicture(g_app.frame, p, id == kCmdPrintPreview);
    break;
  case kCmdCopy:
    if (TAVIMG_CopyToClipboard(p.record))
      SetInfo(L"Copied to the clipboard");
    break;
  case kCmdMarkAll:
    MarkAll();
    break;
  case kCmdZoom:
    if (p.tiffView) {
      if (DrfMode(p.mode))
        SetMode(1);
      TAVIMG_SetZoomMode(p.record);
      SetInfo(L"Zoom: drag a rectangle over the picture (Esc cancels)");
      g_app.zoomHint = true;
    }
    break;
  case kCmdZoomIn:
    ZoomStep(2.0);
    break;
  case kCmdZoomOut:
    ZoomStep(0.5);
    break;
  case kCmdActualPixels:
    ZoomStep(0);
    break;
  case kCmdFit:
    ShowView();
    break;
  case kCmdCancel:
    CancelZoom();
    break;
  default:
    if (id >= kCmdMode && id <= kCmdMode + 4)
      SetMode(static_cast<DWORD>(id - kCmdMode));
    else if (id >= kCmdShowHotspot && g_app.hover != TAVIMG_NO_HOTSPOT)
      SetInfo(Widen(HotspotText(p.record, g_app.hover)));
  }
}

// The user's selection marks the rows' hotspots; the focused row's hotspot
// is brought into view.
void SyncMarks() {
  g_app.syncPending = false;
  MarkSelectedRows(g_app.list, g_app.picture);
  int row = static_cast<int>(SendMessageA(g_app.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (row >= 0 && (SendMessageA(g_app.list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED))
    BringIntoView(g_app.picture, RowHotspot(g_app.list, row));
  ShowPictureStatus(g_app.status, g_app.picture);
}

LRESULT OnNotify(const NMHDR* header) {
  if (header->idFrom != kIdHotspotList)
    return 0;
  if (header->code == LVN_ITEMCHANGED) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (((change->uOldState ^ change->uNewState) & LVIS_SELECTED) && !g_app.syncPending && IsUserSelectionChange()) {
      g_app.syncPending = true;
      PostMessageA(g_app.frame, kMsgSyncMarks, 0, 0);
    }
  } else if (header->code == NM_CUSTOMDRAW) {
    return DrawListRow(reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header)));
  } else if (header->code == LVN_COLUMNCLICK) {
    SortRows(g_app.list, reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
  } else if (header->code == LVN_KEYDOWN) {
    if (reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey == VK_TAB && g_app.picture.window)
      SetFocus(g_app.picture.window);
  }
  return 0;
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CREATE: {
    g_app.frame = window;
    g_app.status = CreateStatusBar(window);
    g_app.view = CreateView(window);
    g_app.list = CreateHotspotList(window);
    g_app.info =
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, 0, 0, 0, 0, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdInfoLine)), GetModuleHandleA(nullptr), nullptr);
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    for (HWND control : {g_app.status, g_app.list, g_app.info})
      SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    DragAcceptFiles(window, TRUE);
    return 0;
  }
  case WM_SIZE:
    Layout();
    return 0;
  case WM_SETFOCUS:
    if (g_app.picture.window)
      SetFocus(g_app.picture.window);
    return 0;
  case WM_COMMAND:
    OnCommand(LOWORD(wParam));
    return 0;
  case WM_NOTIFY:
    return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
  case kMsgSyncMarks:
    SyncMarks();
    return 0;
  case WM_DROPFILES: {
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, 0, &path[0], length + 1);
    path.resize(length);
    DragFinish(drop);
    SetForegroundWindow(window);
    if (!path.empty())
      LoadFile(path, L"");
    return 0;
  }
  case WM_SETCURSOR:
    if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT) {
      POINT at{};
      GetCursorPos(&at);
      ScreenToClient(window, &at);
      if (OnSplitter(MAKELPARAM(at.x, at.y))) {
        SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
        return TRUE;
      }
    }
    break;
  case WM_LBUTTONDOWN:
    if (OnSplitter(lParam)) {
      g_app.splitting = true;
      SetCapture(window);
    }
    return 0;
  case WM_MOUSEMOVE:
    if (g_app.splitting) {
      RECT client{};
      GetClientRect(window, &client);
      g_app.listWidth = static_cast<int>(client.right) - static_cast<SHORT>(LOWORD(lParam)) - kSplitter / 2;
      Layout();
    }
    return 0;
  case WM_LBUTTONUP:
    if (g_app.splitting) {
      g_app.splitting = false;
      ReleaseCapture();
    }
    return 0;
  case WM_CLOSE:
    if (g_app.fullScreen)
      ToggleFullScreen();
    SavePlacement(window);
    DestroyWindow(window);
    return 0;
  case WM_DESTROY:
    ClosePicture(g_app.picture);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateFrame(HINSTANCE instance) {
  // A window of UTF-16 texts: its title names the picture's file.
  WNDCLASSW wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"TavoViewFrame";
  RegisterClassW(&wc);
  RegisterPictureClass(instance);

  Placement placement = LoadPlacement();
  RECT r = placement.valid ? placement.normal : RECT{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};
  int width = placement.valid ? r.right - r.left : 980, height = placement.valid ? r.bottom - r.top : 720;
  HWND frame = CreateWindowExW(0, wc.lpszClassName, L"TavoView", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r.left, r.top,
                               width, height, nullptr, BuildMenu(), instance, nullptr);
  if (frame)
    ShowWindow(frame, placement.valid && placement.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  return frame;
}

} // namespace

Picture* ShownPicture() {
  return g_app.picture.record ? &g_app.picture : nullptr;
}

void ShowView() {
  Picture& p = g_app.picture;
  if (!p.record)
    return;
  bool reread = DrfMode(p.mode) && p.record->DRFStripeHandles[0] == nullptr;
  if (DrfMode(p.mode))
    ReadRasterIfMissing(p);
  PlacePicture(p);
  TAVIMG_DisplayPicture(p.window, p.record, p.mode);
  SyncBars(p);
  if (reread)
    MarkSelectedRows(g_app.list, p); // the reread cleared the marks
  ShowPictureStatus(g_app.status, p);
}

void OnViewSized() {
  static bool busy = false;
  Picture& p = g_app.picture;
  if (busy || !p.record)
    return;
  busy = true;
  // A new size is laid out afresh in the TIFF views (the library measures
  // the window at the first paint only); a DRF at its own size is placed.
  RECT view{}, picture{};
  GetClientRect(g_app.view, &view);
  GetWindowRect(p.window, &picture);
  bool resized = picture.right - picture.left != view.right || picture.bottom - picture.top != view.bottom;
  if (!DrfMode(p.mode) && resized)
    ShowView();
  else
    PlacePicture(p);
  busy = false;
}

void OnPictureMouseMove() {
  ImgStruct* record = g_app.picture.record;
  if (!record || record->HoverHotspot == g_app.hover)
    return;
  g_app.hover = record->HoverHotspot;
  ShowHoverRow(g_app.list, g_app.hover);
  ShowHotspotStatus(g_app.status, record);
}

void OnPictureChanged() {
  if (g_app.zoomHint && g_app.picture.record && !TAVIMG_InZoomAction(g_app.picture.record))
    SetInfo(L"");
  ShowPictureStatus(g_app.status, g_app.picture);
}

void OnPictureKey(WPARAM key) {
  const Picture* p = ShownPicture();
  if (!p)
    return;
  bool control = GetKeyState(VK_CONTROL) < 0;
  switch (key) {
  case VK_LEFT:
  case VK_RIGHT:
    ScrollBy(*p, SB_HORZ, key == VK_LEFT ? -kLineStep : kLineStep);
    break;
  case VK_UP:
  case VK_DOWN:
    ScrollBy(*p, SB_VERT, key == VK_UP ? -kLineStep : kLineStep);
    break;
  case VK_PRIOR:
  case VK_NEXT:
    if (!control)
      ScrollBy(*p, SB_VERT, (key == VK_PRIOR ? -1 : 1) * PageSize(*p, SB_VERT));
    break;
  case VK_HOME:
  case VK_END:
    ScrollToEnd(*p, SB_VERT, key == VK_END);
    if (control)
      ScrollToEnd(*p, SB_HORZ, key == VK_END);
    break;
  case VK_TAB:
    if (ListShown())
      SetFocus(g_app.list);
    break;
  case VK_ESCAPE:
    if (TAVIMG_InZoomAction(p->record))
      CancelZoom();
    else if (g_app.fullScreen)
      ToggleFullScreen();
    break;
  case VK_APPS: {
    RECT r{};
    GetClientRect(p->window, &r);
    POINT at{r.right / 2, r.bottom / 2};
    ClientToScreen(p->window, &at);
    OnPictureContextMenu(at);
    break;
  }
  default:
    return;
  }
  OnPictureChanged();
}

void OnPictureContextMenu(POINT screen) {
  const Picture* p = ShownPicture();
  if (!p)
    return;
  HMENU menu = CreatePopupMenu();
  std::string hotspot = HotspotText(p->record, g_app.hover);
  if (!hotspot.empty()) {
    AppendMenuA(menu, MF_STRING, kCmdShowHotspot, ("&Show " + hotspot).c_str());
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  }
  UINT zoom = p->tiffView ? MF_ENABLED : MF_GRAYED;
  AppendMenuA(menu, MF_STRING | zoom, kCmdZoomIn, "Zoom &in\t+");
  AppendMenuA(menu, MF_STRING | zoom, kCmdZoomOut, "Zoom &out\t-");
  AppendMenuA(menu, MF_STRING | zoom, kCmdActualPixels, "&Actual pixels\tCtrl+1");
  AppendMenuA(menu, MF_STRING | zoom, kCmdZoom, "&Zoom to a rectangle\tZ");
  AppendMenuA(menu, MF_STRING, kCmdFit, "&Fit\tF");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdCopy, "&Copy\tCtrl+C");
  AppendMenuA(menu, MF_STRING, kCmdMarkAll, "Mark &all hotspots\tCtrl+A");
  AppendMenuA(menu, MF_STRING, kCmdPrint, "&Print...\tCtrl+P");
  int id = TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.x, screen.y, 0, g_app.frame, nullptr);
  DestroyMenu(menu);
  if (id)
    OnCommand(id);
}

void OnHotspotDoubleClick(const char* name) {
  ImgStruct* record = g_app.picture.record;
  LONG count = record && name && *name ? TAVIMG_GetHotspotCount(record) : 0;
  for (LONG i = 0; i < count; ++i) {
    if (std::strcmp(record->Hotspots[i].HotspotName, name) == 0) {
      SetInfo(Widen(HotspotText(record, i)));
      return;
    }
  }
}

} // namespace tavoview

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace tavoview;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  // The viewer tells about failures in its own boxes, naming the file.
  TAVIMG_ShowErrorMessages(0);
  g_app.recent = LoadRecentFiles();
  HWND frame = CreateFrame(instance);
  if (!frame)
    return 1;
  RebuildFileMenu();
  UpdateMenus();
  std::wstring picture, tiff, printTo;
  bool printView = false;
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; args && i < count; ++i) {
    if (std::wcscmp(args[i], L"--tiff") == 0 && i + 1 < count)
      tiff = args[++i];
    else if (std::wcscmp(args[i], L"--print-to") == 0 && i + 1 < count)
      printTo = args[++i];
    else if (std::wcscmp(args[i], L"--print-view") == 0)
      printView = true;
    else if (picture.empty())
      picture = args[i];
  }
  LocalFree(args);
  if (!picture.empty())
    LoadFile(picture, tiff);
  // --print-to FILE [--print-view]: prints on the default printer into FILE
  // and ends (status 0 when printed).
  if (!printTo.empty()) {
    UpdateWindow(frame);
    bool printed = g_app.picture.record && PrintToFile(frame, g_app.picture, printView, FullPath(printTo));
    DestroyWindow(frame);
    return printed ? 0 : 2;
  }

  HACCEL accelerators = BuildAccelerators();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorW(frame, accelerators, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DestroyAcceleratorTable(accelerators);
  return static_cast<int>(msg.wParam);
}
