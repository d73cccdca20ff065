// The picture window: a child of the view whose every message goes to the
// library, and the opening of pictures into it with the viewer's own
// messages about the file.
#include "viewer.h"

#include <afx.h>
#include <commdlg.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
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

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Picture* shown = ShownPicture();
  bool current = shown && shown->window == window;
  switch (message) {
  case WM_LBUTTONDOWN:
    SetFocus(window);
    break;
  case WM_MOUSEWHEEL:
    if (current) {
      int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      WORD keys = GET_KEYSTATE_WPARAM(wParam);
      if (keys & MK_CONTROL) {
        // Ctrl+wheel zooms around the point under the mouse.
        POINT at{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        ScreenToClient(window, &at);
        double x, y;
        if (PictureAt(*shown, at, x, y))
          ZoomTo(*shown, TrueScale(*shown) * std::pow(1.25, delta / double(WHEEL_DELTA)), x, y);
      } else {
        ScrollBy(*shown, (keys & MK_SHIFT) ? SB_HORZ : SB_VERT, -3 * kLineStep * delta / WHEEL_DELTA);
      }
      OnPictureChanged();
    }
    return 0;
  case WM_KEYDOWN:
    OnPictureKey(wParam);
    return 0;
  case WM_GETDLGCODE:
    return DLGC_WANTARROWS;
  case WM_CONTEXTMENU: {
    POINT at{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
    if (at.x == -1 && at.y == -1) { // from the keyboard: the window's middle
      RECT r{};
      GetClientRect(window, &r);
      at = {r.right / 2, r.bottom / 2};
      ClientToScreen(window, &at);
    }
    OnPictureContextMenu(at);
    return 0;
  }
  }
  LRESULT result = Forward(window, message, wParam, lParam);
  if (!current)
    return result;
  switch (message) {
  case WM_MOUSEMOVE:
    OnPictureMouseMove();
    break;
  case WM_RBUTTONUP: {
    // The library takes the release, so no WM_CONTEXTMENU follows it.
    POINT at{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
    ClientToScreen(window, &at);
    OnPictureContextMenu(at);
    break;
  }
  case WM_LBUTTONUP:
  case WM_HSCROLL:
  case WM_VSCROLL:
    SyncBars(*shown);
    OnPictureChanged();
    break;
  case WM_PAINT:
    OnPictureChanged();
    break;
  }
  return result;
}

// Messages the library does not handle come here with the name of the
// hotspot under the mouse; a double click shows that hotspot.
void CALLBACK NotifyProc(DWORD, UINT message, char* hotspotName) {
  if (message == WM_LBUTTONDBLCLK)
    OnHotspotDoubleClick(hotspotName);
}

std::wstring AskForTiff(HWND frame, const std::wstring& drfPath) {
  wchar_t file[MAX_PATH * 4] = L"";
  std::wstring title = L"The TIFF picture of " + FileName(drfPath);
  std::wstring folder = Folder(drfPath);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = frame;
  ofn.lpstrFilter = L"TIFF pictures (*.tif, *.tiff)\0*.tif;*.tiff\0All files\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH * 4;
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrInitialDir = folder.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  return GetOpenFileNameW(&ofn) ? file : L"";
}

bool ReadHead(const std::wstring& path, unsigned char* head, size_t size) {
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f)
    return false;
  bool whole = std::fread(head, 1, size, f) == size;
  std::fclose(f);
  return whole;
}

ULONGLONG FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
    return 0;
  return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The rows of a TIFF whose strips lie wholly inside its file; the library
// draws what it has of a file that ends early without a word.
LONG RowsInFile(const ImgStruct* record, ULONGLONG fileSize) {
  LONG height = record->TIFFSize.y;
  DWORD count =
      record->TiffStripOffsetsCount < record->TiffStripCount ? record->TiffStripOffsetsCount : record->TiffStripCount;
  const DWORD* offsets = static_cast<const DWORD*>(GlobalLock(record->TiffStripOffsets));
  const DWORD* sizes = static_cast<const DWORD*>(GlobalLock(record->TiffStripByteCounts));
  LONG rows = height;
  if (offsets && sizes) {
    for (DWORD i = 0; i < count; ++i) {
      if (static_cast<ULONGLONG>(offsets[i]) + sizes[i] > fileSize) {
        rows = static_cast<LONG>(i) * record->TiffRowsPerStrip;
        break;
      }
    }
  }
  if (offsets)
    GlobalUnlock(record->TiffStripOffsets);
  if (sizes)
    GlobalUnlock(record->TiffStripByteCounts);
  return rows < height ? rows : height;
}

// What may help after the library's text.
std::wstring Hint(LONG code, const Picture& p) {
  bool tiffName =
      p.path.size() > 4 && (lstrcmpiW(p.path.c_str() + p.path.size() - 4, L".tif") == 0 ||
                            (p.path.size() > 5 && lstrcmpiW(p.path.c_str() + p.path.size() - 5, L".tiff") == 0));
  switch (code) {
  case 6:
  case 14:
    return L"Check that the file exists and that no other program holds it.";
  case 7:
  case 8:
  case 9:
  case 10:
  case 11:
  case 16:
  case 17:
  case 19:
    if (tiffName && !p.isTiff)
      return L"The file is named as a TIFF picture but does not begin as one, so it was read as a DRF picture.";
    return L"The file is not a DRF picture, or it is damaged.";
  case 13:
  case 25:
    return L"TavoView shows bilevel TIFF pictures compressed with Modified Huffman (compression 2) in strips of up to "
           L"64 KB.";
  case 15:
    return L"The file ends before its picture does; it may have been cut short while copied.";
  case 20:
    return L"Too many pictures are open in this program.";
  default:
    return L"";
  }
}

void ComplainAboutOpening(HWND frame, const Picture& p) {
  CString text;
  LONG code = 1 - TAVIMG_GetLastError(&text);
  std::wstring message = L"Cannot open " + p.path + L"\n\n";
  std::string library = static_cast<const char*>(text);
  while (!library.empty() && (library.back() == '\n' || library.back() == '\r' || library.back() == ' '))
    library.pop_back();
  message += code > 0 ? Widen(library) + L" (error " + std::to_wstring(code) + L")" : L"The picture cannot be shown.";
  std::wstring hint = Hint(code, p);
  if (!hint.empty())
    message += L"\n\n" + hint;
  Complain(frame, message);
}

// Texts about the file that the library does not give: a TIFF that ends
// early, and a companion TIFF that is not the DRF's size times one scale.
void CheckFile(HWND frame, Picture& p) {
  ImgStruct* r = p.record;
  if (p.tiffView && r->TIFFSize.y > 0) {
    LONG rows = RowsInFile(r, FileSize(p.tiffPath));
    if (rows < r->TIFFSize.y)
      p.notice =
          L"The file ends early: " + std::to_wstring(rows) + L" of " + std::to_wstring(r->TIFFSize.y) + L" rows shown";
  }
  if (!p.isTiff && p.tiffView && r->DRFSize.x > 0 && r->DRFSize.y > 0 && r->TIFFSize.x > 0) {
    double scale = static_cast<double>(r->TIFFSize.x) / r->DRFSize.x;
    double height = r->DRFSize.y * scale;
    if (std::fabs(height - r->TIFFSize.y) > std::max(2.0, r->TIFFSize.y / 100.0)) {
      wchar_t text[512];
      std::swprintf(text, 512,
                    L"%ls is %ld x %ld pixels; %ls is %ld x %ld, which is not one scale of it (%.2f across, %.2f "
                    L"down).\n\nThe TIFF picture may not belong to the DRF picture: its hotspots may not match.",
                    FileName(p.tiffPath).c_str(), static_cast<long>(r->TIFFSize.x), static_cast<long>(r->TIFFSize.y),
                    FileName(p.path).c_str(), static_cast<long>(r->DRFSize.x), static_cast<long>(r->DRFSize.y), scale,
                    static_cast<double>(r->TIFFSize.y) / r->DRFSize.y);
      Complain(frame, text);
      p.notice = L"The TIFF picture does not fit the DRF picture";
    }
  }
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

void Complain(HWND owner, const std::wstring& text) {
  MessageBoxW(owner, text.c_str(), L"TavoView", MB_OK | MB_ICONEXCLAMATION);
}

bool IsTiffFile(const std::wstring& path) {
  unsigned char head[4];
  return ReadHead(path, head, 4) && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0);
}

int ReadDrfKind(const std::wstring& path) {
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

std::wstring FindCompanionTiff(const std::wstring& drfPath) {
  size_t dot = drfPath.find_last_of(L'.');
  size_t slash = drfPath.find_last_of(L"/\\");
  std::wstring stem =
      dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) ? drfPath.substr(0, dot) : drfPath;
  for (const wchar_t* extension : {L".tif", L".tiff"}) {
    std::wstring candidate = stem + extension;
    if (GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES)
      return candidate;
  }
  return L"";
}

Picture OpenPicture(HWND frame, HWND view, const std::wstring& path, const std::wstring& tiffPath, int chosenMode) {
  Picture picture;
  picture.path = path;
  std::wstring why;
  if (!ModulePath(path, picture.modulePath, why)) {
    Complain(frame, L"Cannot open " + path + L"\n\n" + why);
    return picture;
  }
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
    if (!picture.tiffPath.empty() && !ModulePath(picture.tiffPath, picture.moduleTiff, why)) {
      Complain(frame, L"Cannot open " + picture.tiffPath + L"\n\n" + why + L"\n\n" + FileName(path) +
                          L" is shown without its TIFF picture.");
      picture.tiffPath.clear();
    }
    picture.tiffView = picture.drfKind == 5 && !picture.tiffPath.empty();
  }
  if (picture.isTiff)
    picture.moduleTiff = picture.modulePath;
  bool tiffMode = chosenMode == 1 || chosenMode == 4;
  bool fits = chosenMode >= 0 && chosenMode <= 4 && (tiffMode ? picture.tiffView : !picture.isTiff);
  picture.mode = fits ? static_cast<DWORD>(chosenMode) : picture.tiffView ? 1 : 0;

  RECT area{};
  GetClientRect(view, &area);
  picture.window =
      CreateWindowExA(0, kPictureClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, area.right, area.bottom, view,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPicture)), GetModuleHandleA(nullptr), nullptr);
  if (!picture.window)
    return picture;
  PlacePicture(picture);
  picture.record = TAVIMG_LoadPicture(picture.window, 0, NotifyProc, picture.moduleTiff.c_str(),
                                      picture.isTiff ? "" : picture.modulePath.c_str(), picture.mode,
                                      picture.isTiff ? TAVIMG_FILE_TIFF : TAVIMG_FILE_DRF, 0);
  // A DRF of an unknown kind opens but cannot be shown; a failed decode has
  // destroyed the window.
  bool shown = picture.record && IsWindow(picture.window) &&
               (picture.isTiff || (picture.record->DRFColorType >= 5 && picture.record->DRFColorType <= 8));
  if (!picture.record || !IsWindow(picture.window))
    ComplainAboutOpening(frame, picture);
  else if (!shown)
    Complain(frame, L"Cannot open " + path + L"\n\nIt is neither a TIFF nor a DRF picture that TavoView can show.");
  if (!shown) {
    ClosePicture(picture);
    return picture;
  }
  SetWindowLongPtrA(picture.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture.record));
  CheckFile(frame, picture);
  return picture;
}

void ReadRasterIfMissing(Picture& p) {
  ImgStruct* r = p.record;
  if (!r || p.isTiff || r->DRFDataSize == 0 || r->DRFStripeHandles[0] != nullptr)
    return;
  // The reload reads the stripes for the display mode in the record and
  // clears the hotspots' states.
  r->DisplayMode = p.mode;
  if (TAVIMG_MAIN(3, r, p.window, 0, 0, 0))
    TAVIMG_ActivateAllHotspots(1, r);
}

Picture OpenForOutput(const Picture& shown) {
  Picture copy = shown;
  copy.record = nullptr;
  copy.mode = shown.isTiff ? 1 : 0;
  copy.window = CreateWindowExA(0, kPictureClass, "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (copy.window)
    copy.record =
        TAVIMG_OpenImage(copy.window, 0, nullptr, copy.moduleTiff.c_str(), copy.isTiff ? "" : copy.modulePath.c_str(),
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

} // namespace tavoview
