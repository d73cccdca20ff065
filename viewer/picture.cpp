// The picture window: a child of the frame whose every message goes to the
// library, and the opening of pictures into it.
#include "viewer.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>

namespace tavoview {

namespace {

ImgStruct* RecordOf(HWND window) {
  return reinterpret_cast<ImgStruct*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT Forward(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ImgStruct* record = RecordOf(window);
  if (record && TAVIMG_OnMessage(window, message, wParam, lParam, record))
    return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

// Wheel and keys scroll as the scroll bars' arrows do: one line (ten
// pixels) a step, three steps a wheel notch.
void ScrollLines(HWND window, UINT bar, int lines) {
  WPARAM request = lines < 0 ? SB_LINEUP : SB_LINEDOWN;
  for (int i = 0; i < (lines < 0 ? -lines : lines); ++i)
    Forward(window, bar, request, 0);
}

bool ScrollByKey(HWND window, WPARAM key) {
  static const struct {
    WPARAM key;
    UINT bar;
    WPARAM request;
  } kKeys[] = {{VK_LEFT, WM_HSCROLL, SB_LINELEFT}, {VK_RIGHT, WM_HSCROLL, SB_LINERIGHT},
               {VK_UP, WM_VSCROLL, SB_LINEUP},     {VK_DOWN, WM_VSCROLL, SB_LINEDOWN},
               {VK_PRIOR, WM_VSCROLL, SB_PAGEUP},  {VK_NEXT, WM_VSCROLL, SB_PAGEDOWN}};
  for (const auto& k : kKeys) {
    if (k.key == key) {
      Forward(window, k.bar, k.request, 0);
      return true;
    }
  }
  return false;
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_LBUTTONDOWN:
    SetFocus(window);
    break;
  case WM_MOUSEWHEEL: {
    int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    bool sideways = (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0;
    ScrollLines(window, sideways ? WM_HSCROLL : WM_VSCROLL, -3 * notches);
    OnPictureChanged();
    return 0;
  }
  case WM_KEYDOWN:
    if (ScrollByKey(window, wParam)) {
      OnPictureChanged();
      return 0;
    }
    break;
  case WM_GETDLGCODE:
    return DLGC_WANTARROWS;
  }
  LRESULT result = Forward(window, message, wParam, lParam);
  if (message == WM_MOUSEMOVE)
    OnPictureMouseMove();
  else if (message == WM_PAINT || message == WM_LBUTTONUP || message == WM_HSCROLL || message == WM_VSCROLL)
    OnPictureChanged();
  return result;
}

// Messages the library does not handle come here with the name of the
// hotspot under the mouse; a double click shows that hotspot.
void CALLBACK NotifyProc(DWORD, UINT message, char* hotspotName) {
  if (message == WM_LBUTTONDBLCLK)
    OnHotspotDoubleClick(hotspotName);
}

std::string AskForTiff(HWND frame, const std::string& drfPath) {
  char file[MAX_PATH] = "";
  std::string title = "The TIFF picture of " + FileName(drfPath);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = frame;
  ofn.lpstrFilter = "TIFF pictures (*.tif, *.tiff)\0*.tif;*.tiff\0All files\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  return GetOpenFileNameA(&ofn) ? file : "";
}

bool ReadHead(const std::string& path, unsigned char* head, size_t size) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  bool whole = std::fread(head, 1, size, f) == size;
  std::fclose(f);
  return whole;
}

} // namespace

void RegisterPictureClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = PictureProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kPictureClass;
  RegisterClassA(&wc);
}

bool IsTiffFile(const std::string& path) {
  unsigned char head[4];
  return ReadHead(path, head, 4) && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0);
}

int ReadDrfKind(const std::string& path) {
  // The kind byte closes the first ten bytes of the main picture
  // information, which follows an 11-byte header, or a 61-byte one when
  // bit 0x10 of the header's second byte is set.
  unsigned char head[71];
  if (!ReadHead(path, head, 21))
    return 0;
  size_t info = (head[1] & 0x10) ? 61 : 11;
  if (info == 61 && !ReadHead(path, head, 71))
    return 0;
  return head[info + 9];
}

std::string FindCompanionTiff(const std::string& drfPath) {
  size_t dot = drfPath.find_last_of('.');
  size_t slash = drfPath.find_last_of("/\\");
  std::string stem =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) ? drfPath.substr(0, dot) : drfPath;
  for (const char* extension : {".tif", ".tiff"}) {
    std::string candidate = stem + extension;
    if (GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES)
      return candidate;
  }
  return "";
}

Picture OpenPicture(HWND frame, const std::string& path, const std::string& tiffPath, const RECT& area,
                    int chosenMode) {
  Picture picture;
  picture.path = path;
  picture.isTiff = IsTiffFile(path);
  if (picture.isTiff) {
    picture.tiffPath = path;
    picture.tiffView = true;
  } else {
    picture.drfKind = ReadDrfKind(path);
    picture.tiffPath = tiffPath;
    if (picture.drfKind == 5 && picture.tiffPath.empty())
      picture.tiffPath = FindCompanionTiff(path);
    if (picture.drfKind == 5 && picture.tiffPath.empty())
      picture.tiffPath = AskForTiff(frame, path);
    picture.tiffView = picture.drfKind == 5 && !picture.tiffPath.empty();
  }
  bool tiffMode = chosenMode == 1 || chosenMode == 4;
  bool fits = chosenMode >= 0 && chosenMode <= 4 && (tiffMode ? picture.tiffView : !picture.isTiff);
  picture.mode = fits ? static_cast<DWORD>(chosenMode) : picture.tiffView ? 1 : 0;

  picture.window =
      CreateWindowExA(0, kPictureClass, "", WS_CHILD | WS_CLIPSIBLINGS, area.left, area.top, area.right - area.left,
                      area.bottom - area.top, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPicture)),
                      GetModuleHandleA(nullptr), nullptr);
  if (!picture.window)
    return picture;
  picture.record =
      TAVIMG_LoadPicture(picture.window, 0, NotifyProc, picture.tiffPath.c_str(), picture.isTiff ? "" : path.c_str(),
                         picture.mode, picture.isTiff ? TAVIMG_FILE_TIFF : TAVIMG_FILE_DRF, 0);
  // A DRF of an unknown kind opens but cannot be shown; a failed decode has
  // destroyed the window.
  bool shown = picture.record && IsWindow(picture.window) &&
               (picture.isTiff || (picture.record->DRFColorType >= 5 && picture.record->DRFColorType <= 8));
  if (picture.record && IsWindow(picture.window) && !shown)
    MessageBoxA(frame, (FileName(path) + " is neither a TIFF nor a DRF picture.").c_str(), "TavoView",
                MB_OK | MB_ICONEXCLAMATION);
  if (!shown) {
    ClosePicture(picture);
    return picture;
  }
  SetWindowLongPtrA(picture.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture.record));
  return picture;
}

Picture OpenForOutput(const Picture& shown) {
  Picture copy = shown;
  copy.record = nullptr;
  copy.mode = shown.isTiff ? 1 : 0;
  copy.window = CreateWindowExA(0, kPictureClass, "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (copy.window)
    copy.record = TAVIMG_OpenImage(copy.window, 0, nullptr, copy.tiffPath.c_str(), copy.isTiff ? "" : copy.path.c_str(),
                                   copy.mode, copy.isTiff ? TAVIMG_FILE_TIFF : TAVIMG_FILE_DRF, 0);
  return copy;
}

void ClosePicture(Picture& picture) {
  if (picture.window) {
    if (IsWindow(picture.window))
      SetWindowLongPtrA(picture.window, GWLP_USERDATA, 0);
    // The slot stays with the window after a failed opening too.
    TAVIMG_UnloadPicture(picture.window, picture.record ? picture.record : TAVIMG_GetImgStruct(picture.window));
    if (IsWindow(picture.window))
      DestroyWindow(picture.window);
  }
  picture.window = nullptr;
  picture.record = nullptr;
}

std::string FileName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace tavoview
