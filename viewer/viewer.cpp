// TavoView's frame window: menus, accelerators, layout, commands, and the
// program's entry.
//   TavoView.exe [PICTURE [--tiff TIFF]]
#include "viewer.h"

#include <afx.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tavoview {

namespace {

enum Command {
  kCmdOpen = 1001,
  kCmdExport,
  kCmdConvert,
  kCmdExit,
  kCmdRecent = 1010, // to kCmdRecent + kRecentCount - 1
  kCmdCopy = 1101,
  kCmdMarkAll,
  kCmdMode = 1200, // to kCmdMode + 4
  kCmdZoom = 1210,
  kCmdFit,
};

// Posted to the frame once after the user changed the list's selection, so
// that a click that deselects many rows and selects one changes the marks
// once.
constexpr UINT kMsgSyncMarks = WM_APP + 1;

constexpr int kListWidth = 300;
constexpr int kInfoHeight = 20;

struct App {
  HWND frame = nullptr;
  HWND list = nullptr;
  HWND status = nullptr;
  HWND info = nullptr;
  HMENU fileMenu = nullptr;
  HMENU viewMenu = nullptr;
  HMENU editMenu = nullptr;
  Picture picture;
  std::vector<std::string> recent;
  LONG hover = TAVIMG_NO_HOTSPOT;
  int chosenMode = -1; // the display mode last chosen in the View menu
  bool syncPending = false;
};

App g_app;

RECT PictureArea() {
  RECT client{}, status{};
  GetClientRect(g_app.frame, &client);
  GetWindowRect(g_app.status, &status);
  int bottom = client.bottom - (status.bottom - status.top) - kInfoHeight;
  return {0, 0, std::max(1L, client.right - kListWidth), std::max(1L, static_cast<LONG>(bottom))};
}

void SetInfo(const std::string& text) {
  SetWindowTextA(g_app.info, text.c_str());
}

void ShowView() {
  Picture& p = g_app.picture;
  if (!p.record)
    return;
  TAVIMG_DisplayPicture(p.window, p.record, p.mode);
  ShowPictureStatus(g_app.status, p);
}

void Layout() {
  RECT client{};
  GetClientRect(g_app.frame, &client);
  LayoutStatusBar(g_app.status);
  RECT area = PictureArea();
  MoveWindow(g_app.list, area.right, 0, client.right - area.right, area.bottom + kInfoHeight, TRUE);
  MoveWindow(g_app.info, 0, area.bottom, area.right, kInfoHeight, TRUE);
  if (g_app.picture.window) {
    // A new size is laid out afresh (the library measures the window at the
    // first paint only). This is the window's outer size: scroll bars that
    // come and go with a zoom change only its client area and keep the zoom.
    RECT old{};
    GetWindowRect(g_app.picture.window, &old);
    MoveWindow(g_app.picture.window, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    if (old.right - old.left != area.right - area.left || old.bottom - old.top != area.bottom - area.top)
      ShowView();
  }
}

// ---- Menus.

void RebuildRecentMenu() {
  HMENU menu = g_app.fileMenu;
  for (int i = 0; i < kRecentCount; ++i)
    DeleteMenu(menu, kCmdRecent + i, MF_BYCOMMAND);
  // The recent files sit between the second separator and Exit.
  int at = GetMenuItemCount(menu) - 1;
  for (size_t i = 0; i < g_app.recent.size(); ++i) {
    char text[MAX_PATH + 8];
    std::snprintf(text, sizeof text, "&%d %s", static_cast<int>(i + 1), g_app.recent[i].c_str());
    InsertMenuA(menu, at + static_cast<int>(i), MF_BYPOSITION | MF_STRING, kCmdRecent + i, text);
  }
}

HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  g_app.fileMenu = CreatePopupMenu();
  AppendMenuA(g_app.fileMenu, MF_STRING, kCmdOpen, "&Open...\tCtrl+O");
  AppendMenuA(g_app.fileMenu, MF_STRING, kCmdExport, "&Export picture as BMP...");
  AppendMenuA(g_app.fileMenu, MF_STRING, kCmdConvert, "&Convert to TIFF with hotspots...");
  AppendMenuA(g_app.fileMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(g_app.fileMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(g_app.fileMenu, MF_STRING, kCmdExit, "E&xit");
  g_app.editMenu = CreatePopupMenu();
  AppendMenuA(g_app.editMenu, MF_STRING, kCmdCopy, "&Copy\tCtrl+C");
  AppendMenuA(g_app.editMenu, MF_STRING, kCmdMarkAll, "Mark &all hotspots\tCtrl+A");
  g_app.viewMenu = CreatePopupMenu();
  const char* modes[] = {"&0 DRF picture at its own size\t0", "&1 Whole picture fitted\t1",
                         "&2 DRF picture, window sized to it\t2", "&3 DRF picture in a window that keeps its size\t3",
                         "&4 Picture fitted to the width\t4"};
  for (int i = 0; i < 5; ++i)
    AppendMenuA(g_app.viewMenu, MF_STRING, kCmdMode + i, modes[i]);
  AppendMenuA(g_app.viewMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(g_app.viewMenu, MF_STRING, kCmdZoom, "&Zoom (drag a rectangle)\tZ");
  AppendMenuA(g_app.viewMenu, MF_STRING, kCmdFit, "&Fit\tF");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_app.fileMenu), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_app.editMenu), "&Edit");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_app.viewMenu), "&View");
  return bar;
}

HACCEL BuildAccelerators() {
  std::vector<ACCEL> keys = {{FVIRTKEY | FCONTROL, 'O', kCmdOpen},
                             {FVIRTKEY | FCONTROL, 'C', kCmdCopy},
                             {FVIRTKEY | FCONTROL, 'A', kCmdMarkAll},
                             {FVIRTKEY, 'Z', kCmdZoom},
                             {FVIRTKEY, 'F', kCmdFit}};
  for (int i = 0; i < 5; ++i)
    keys.push_back({FVIRTKEY, static_cast<WORD>('0' + i), static_cast<WORD>(kCmdMode + i)});
  return CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));
}

void UpdateMenus() {
  const Picture& p = g_app.picture;
  bool open = p.record != nullptr;
  auto enable = [](HMENU menu, UINT id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  enable(g_app.fileMenu, kCmdExport, open);
  // The converter writes the hotspots of a DRF into its companion TIFF.
  enable(g_app.fileMenu, kCmdConvert, open && !p.isTiff && p.tiffView);
  enable(g_app.editMenu, kCmdCopy, open);
  enable(g_app.editMenu, kCmdMarkAll, open);
  for (DWORD mode = 0; mode < 5; ++mode) {
    bool tiffMode = mode == 1 || mode == 4;
    enable(g_app.viewMenu, kCmdMode + mode, open && (tiffMode ? p.tiffView : !p.isTiff));
  }
  enable(g_app.viewMenu, kCmdZoom, open && p.tiffView);
  enable(g_app.viewMenu, kCmdFit, open);
  if (open)
    CheckMenuRadioItem(g_app.viewMenu, kCmdMode, kCmdMode + 4, kCmdMode + p.mode, MF_BYCOMMAND);
}

// ---- Commands.

std::string AskPath(bool save, const char* filter, const char* extension, const char* title) {
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = g_app.frame;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrTitle = title;
  ofn.lpstrDefExt = extension;
  if (save) {
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return GetSaveFileNameA(&ofn) ? file : "";
  }
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  return GetOpenFileNameA(&ofn) ? file : "";
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? full : path;
}

void RememberRecent(const std::string& path) {
  auto& recent = g_app.recent;
  recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
  recent.insert(recent.begin(), path);
  if (recent.size() > static_cast<size_t>(kRecentCount))
    recent.resize(kRecentCount);
  SaveRecentFiles(recent);
  RebuildRecentMenu();
}

// Opens a picture; when it cannot be opened, the library's box has told so
// and the picture shown before stays.
bool LoadFile(const std::string& given, const std::string& givenTiff) {
  // Whole paths, so that the recent files and later exports do not depend
  // on the current folder.
  std::string path = FullPath(given), tiffPath = givenTiff.empty() ? "" : FullPath(givenTiff);
  Picture opened = OpenPicture(g_app.frame, path, tiffPath, PictureArea(), g_app.chosenMode);
  if (!opened.record)
    return false;
  ClosePicture(g_app.picture);
  g_app.picture = opened;
  g_app.hover = TAVIMG_NO_HOTSPOT;
  // The opening has laid the picture out for the window; the scroll bars
  // of display mode 4 follow.
  TAVIMG_UpdateBars(opened.window, opened.record);
  ShowWindow(opened.window, SW_SHOW);
  ShowPictureStatus(g_app.status, opened);
  SetFocus(opened.window);
  SetWindowTextA(g_app.frame, ("TavoView - " + FileName(path)).c_str());
  FillHotspotList(g_app.list, opened.record);
  ShowHotspotStatus(g_app.status, opened.record);
  SetInfo("");
  RememberRecent(path);
  UpdateMenus();
  return true;
}

bool WriteBytes(const std::string& path, const void* head, size_t headSize, const void* body, size_t bodySize) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  bool ok = std::fwrite(head, 1, headSize, f) == headSize && std::fwrite(body, 1, bodySize, f) == bodySize;
  return std::fclose(f) == 0 && ok;
}

// The DIB the library hands a host, written after a BMP file header.
bool WriteDib(const Picture& p, const std::string& path) {
  LONGLONG size = p.isTiff ? TAVIMG_GetTIFFSize(p.record) : TAVIMG_GetDRFSize(p.record);
  LONGLONG width = TAVIMG_SIZE_WIDTH(size), height = TAVIMG_SIZE_HEIGHT(size);
  if (width < 1 || height < 1 || width > 65535 || height > 65535)
    return false;
  SHORT bits = 1, colours = 2;
  if (!p.isTiff)
    TAVIMG_GetDRFColorInfo(p.record, &bits, &colours);
  size_t capacity = p.isTiff ? TAVIMG_TIFF_DIB_SIZE(width, height) : TAVIMG_DRF_DIB_SIZE(width, height, bits, colours);
  std::vector<BYTE> dib(capacity + 16, 0);
  LONG done = p.isTiff ? TAVIMG_DecodeTIFF2DIB(p.record, dib.data()) : TAVIMG_DecodeDRF2DIB(p.record, dib.data());
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
  size_t table = 4 * static_cast<size_t>(header->biClrUsed ? header->biClrUsed
                                                           : (header->biBitCount <= 8 ? 1u << header->biBitCount : 0));
  size_t rows = static_cast<size_t>(std::abs(header->biHeight));
  size_t packed = header->biSize + table + TAVIMG_DIB_STRIDE(header->biWidth, header->biBitCount) * rows;
  if (!done || header->biSize != sizeof(BITMAPINFOHEADER) || header->biWidth <= 0 || packed > dib.size())
    return false;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfSize = static_cast<DWORD>(sizeof file + packed);
  file.bfOffBits = static_cast<DWORD>(sizeof file + header->biSize + table);
  return WriteBytes(path, &file, sizeof file, dib.data(), packed);
}

void Complain(const std::string& text) {
  MessageBoxA(g_app.frame, text.c_str(), "TavoView", MB_OK | MB_ICONEXCLAMATION);
}

bool WriteTiff(const Picture& p, const std::string& path) {
  return FILE_DRF2TIFF_Hotspots(0, p.record, CString(path.c_str())) != 0;
}

// Asks where to write, opens the picture afresh for it and writes.
void SaveAs(const char* filter, const char* extension, const char* title,
            bool (*write)(const Picture&, const std::string&)) {
  std::string path = AskPath(true, filter, extension, title);
  if (path.empty())
    return;
  Picture source = OpenForOutput(g_app.picture);
  bool written = source.record && write(source, path);
  ClosePicture(source);
  if (written)
    SetInfo("Written: " + path);
  else
    Complain(std::string(title) + ": " + path + " could not be written.");
}

void MarkAll() {
  const Picture& p = g_app.picture;
  SelectAllRows(g_app.list);
  TAVIMG_SetAllHotspots(p.window, 1, p.record);
}

void OnCommand(int id) {
  Picture& p = g_app.picture;
  if (id == kCmdOpen) {
    std::string path = AskPath(false,
                               "Pictures (*.drf, *.tif, *.tiff)\0*.drf;*.tif;*.tiff\0DRF pictures (*.drf)\0*.drf\0"
                               "TIFF pictures (*.tif, *.tiff)\0*.tif;*.tiff\0All files\0*.*\0",
                               nullptr, "Open a picture");
    if (!path.empty())
      LoadFile(path, "");
  } else if (id >= kCmdRecent && id < kCmdRecent + static_cast<int>(g_app.recent.size())) {
    LoadFile(std::string(g_app.recent[id - kCmdRecent]), "");
  } else if (id == kCmdExit) {
    SendMessageA(g_app.frame, WM_CLOSE, 0, 0);
  }
  if (!p.record)
    return;
  switch (id) {
  case kCmdExport:
    SaveAs("BMP pictures (*.bmp)\0*.bmp\0", "bmp", "Export picture as BMP", WriteDib);
    break;
  case kCmdConvert:
    if (!p.isTiff && p.tiffView)
      SaveAs("TIFF pictures (*.tif)\0*.tif\0", "tif", "Convert to TIFF with hotspots", WriteTiff);
    break;
  case kCmdCopy:
    if (TAVIMG_CopyToClipboard(p.record))
      SetInfo("Copied to the clipboard");
    break;
  case kCmdMarkAll:
    MarkAll();
    break;
  case kCmdZoom:
    if (p.tiffView) {
      TAVIMG_SetZoomMode(p.record);
      SetInfo("Zoom: drag a rectangle over the picture");
    }
    break;
  case kCmdFit:
    ShowView();
    break;
  default:
    if (id >= kCmdMode && id <= kCmdMode + 4) {
      DWORD mode = static_cast<DWORD>(id - kCmdMode);
      if ((mode == 1 || mode == 4) ? p.tiffView : !p.isTiff) {
        p.mode = mode;
        g_app.chosenMode = static_cast<int>(mode);
        ShowView();
        UpdateMenus();
      }
    }
  }
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CREATE: {
    g_app.frame = window;
    g_app.status = CreateStatusBar(window);
    g_app.list = CreateHotspotList(window);
    g_app.info =
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, 0, 0, 0, 0, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdInfoLine)), GetModuleHandleA(nullptr), nullptr);
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    for (HWND control : {g_app.status, g_app.list, g_app.info})
      SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
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
  case WM_NOTIFY: {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if (change->hdr.idFrom == kIdHotspotList && change->hdr.code == LVN_ITEMCHANGED &&
        ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) && !g_app.syncPending && IsUserSelectionChange()) {
      g_app.syncPending = true;
      PostMessageA(window, kMsgSyncMarks, 0, 0);
    }
    return 0;
  }
  case kMsgSyncMarks:
    g_app.syncPending = false;
    MarkSelectedRows(g_app.list, g_app.picture);
    return 0;
  case WM_CLOSE:
    SavePlacement(window);
    DestroyWindow(window);
    return 0;
  case WM_DESTROY:
    ClosePicture(g_app.picture);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateFrame(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = kFrameClass;
  RegisterClassA(&wc);
  RegisterPictureClass(instance);

  Placement placement = LoadPlacement();
  RECT r = placement.valid ? placement.normal : RECT{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};
  int width = placement.valid ? r.right - r.left : 980, height = placement.valid ? r.bottom - r.top : 720;
  HWND frame = CreateWindowExA(0, kFrameClass, "TavoView", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r.left, r.top, width,
                               height, nullptr, BuildMenu(), instance, nullptr);
  if (frame)
    ShowWindow(frame, placement.valid && placement.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  return frame;
}

} // namespace

void OnPictureMouseMove() {
  ImgStruct* record = g_app.picture.record;
  if (!record || record->HoverHotspot == g_app.hover)
    return;
  g_app.hover = record->HoverHotspot;
  SelectHoverRow(g_app.list, g_app.hover);
  ShowHotspotStatus(g_app.status, record);
}

void OnPictureChanged() {
  ShowPictureStatus(g_app.status, g_app.picture);
}

void OnHotspotDoubleClick(const char* name) {
  ImgStruct* record = g_app.picture.record;
  LONG count = record && name && *name ? TAVIMG_GetHotspotCount(record) : 0;
  for (LONG i = 0; i < count; ++i) {
    if (std::strcmp(record->Hotspots[i].HotspotName, name) == 0) {
      SetInfo(HotspotText(record, i));
      return;
    }
  }
}

} // namespace tavoview

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace tavoview;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  g_app.recent = LoadRecentFiles();
  HWND frame = CreateFrame(instance);
  if (!frame)
    return 1;
  RebuildRecentMenu();
  UpdateMenus();
  std::string picture, tiff;
  for (int i = 1; i < __argc; ++i) {
    if (std::strcmp(__argv[i], "--tiff") == 0 && i + 1 < __argc)
      tiff = __argv[++i];
    else if (picture.empty())
      picture = __argv[i];
  }
  if (!picture.empty())
    LoadFile(picture, tiff);

  HACCEL accelerators = BuildAccelerators();
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorA(frame, accelerators, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DestroyAcceleratorTable(accelerators);
  return static_cast<int>(msg.wParam);
}
