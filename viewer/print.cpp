// Printing and its preview: the whole picture (the DIB the module hands a
// host) or the view as shown (drawn by the module into a bitmap), fitted to
// the page inside a margin, the marked hotspots framed, the file named below.
#include "viewer.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tavoview {

namespace {

struct Page {
  std::vector<BYTE> dib;   // a packed DIB
  std::vector<RECT> marks; // in the DIB's pixels
  std::wstring title;
  bool view = false; // the view as shown, else the whole picture
};

const BITMAPINFO* Info(const Page& page) {
  return reinterpret_cast<const BITMAPINFO*>(page.dib.data());
}

const void* Bits(const Page& page) {
  const BITMAPINFOHEADER& h = Info(page)->bmiHeader;
  size_t table = 4 * static_cast<size_t>(h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? 1u << h.biBitCount : 0));
  return page.dib.data() + h.biSize + table;
}

// The view as the module draws it into a bitmap of the window's size; the
// marked frames are part of its drawing.
bool DrawView(const Picture& p, Page& page) {
  RECT client{};
  GetClientRect(p.window, &client);
  if (client.right < 1 || client.bottom < 1)
    return false;
  HDC screen = GetDC(p.window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  bool drawn = TAVIMG_OnDraw(p.window, p.record, memory) != 0;
  SelectObject(memory, old);
  BITMAPINFOHEADER header{sizeof header, client.right, client.bottom, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  size_t stride = (static_cast<size_t>(client.right) * 3 + 3) / 4 * 4;
  page.dib.assign(sizeof header + stride * static_cast<size_t>(client.bottom), 0);
  std::copy(reinterpret_cast<BYTE*>(&header), reinterpret_cast<BYTE*>(&header) + sizeof header, page.dib.begin());
  drawn = drawn && GetDIBits(memory, bitmap, 0, static_cast<UINT>(client.bottom), page.dib.data() + sizeof header,
                             reinterpret_cast<BITMAPINFO*>(page.dib.data()), DIB_RGB_COLORS) > 0;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(p.window, screen);
  return drawn;
}

bool MakePage(const Picture& shown, bool view, Page& page) {
  page = Page{};
  page.view = view;
  page.title = FileName(shown.path) + (view ? L" (the view as shown)" : L"");
  if (view)
    return DrawView(shown, page);
  Picture source = OpenForOutput(shown);
  page.dib = source.record ? PictureDib(source) : std::vector<BYTE>{};
  ClosePicture(source);
  if (page.dib.empty())
    return false;
  // The marks of the shown picture, in the picture's own pixels.
  LONG count = TAVIMG_GetHotspotCount(shown.record);
  for (LONG i = 0; i < count; ++i) {
    const HotspotEntry& entry = shown.record->Hotspots[i];
    if (entry.HotspotState & TAVIMG_MARKED_BIT)
      page.marks.push_back(
          {entry.PictureRect.left, entry.PictureRect.top, entry.PictureRect.right, entry.PictureRect.bottom});
  }
  return true;
}

// The page inside area: the picture fitted within a margin, frames over
// the marked hotspots, the title below.
void DrawPage(HDC dc, const RECT& area, const Page& page) {
  const BITMAPINFOHEADER& h = Info(page)->bmiHeader;
  LONG width = h.biWidth, height = std::labs(h.biHeight);
  int areaW = area.right - area.left, areaH = area.bottom - area.top;
  int margin = std::min(areaW, areaH) / 20, below = areaH / 25;
  double scale = std::min(static_cast<double>(areaW - 2 * margin) / width,
                          static_cast<double>(areaH - 2 * margin - below) / height);
  int w = static_cast<int>(width * scale), hgt = static_cast<int>(height * scale);
  int x = area.left + (areaW - w) / 2, y = area.top + margin;
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, x, y, w, hgt, 0, 0, width, height, Bits(page), Info(page), DIB_RGB_COLORS, SRCCOPY);
  HPEN pen = CreatePen(PS_SOLID, std::max(1, areaW / 400), RGB(200, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  for (const RECT& m : page.marks)
    Rectangle(dc, x + static_cast<int>(m.left * scale), y + static_cast<int>(m.top * scale),
              x + static_cast<int>(m.right * scale), y + static_cast<int>(m.bottom * scale));
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  HFONT font = CreateFontA(-below / 2, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ oldFont = SelectObject(dc, font);
  RECT text{area.left + margin, y + hgt + below / 4, area.right - margin, y + hgt + below};
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, page.title.c_str(), -1, &text, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

// Prints the page on the printer of dc; output names a file to print into
// ("" for the printer itself).
bool PrintPage(HDC dc, const Page& page, const std::wstring& output) {
  DOCINFOW doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = page.title.c_str();
  doc.lpszOutput = output.empty() ? nullptr : output.c_str();
  if (StartDocW(dc, &doc) <= 0)
    return false;
  bool done = StartPage(dc) > 0;
  if (done) {
    RECT area{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    DrawPage(dc, area, page);
    done = EndPage(dc) > 0;
  }
  if (done)
    EndDoc(dc);
  else
    AbortDoc(dc);
  return done;
}

// The printer chosen in the dialog (its "Selection" is the view as shown),
// or the default one when ask is false.
HDC ChoosePrinter(HWND owner, bool ask, bool& view) {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE | (ask ? 0 : PD_RETURNDEFAULT);
  if (view)
    dialog.Flags |= PD_SELECTION;
  if (!PrintDlgW(&dialog))
    return nullptr;
  if (ask)
    view = (dialog.Flags & PD_SELECTION) != 0;
  if (dialog.hDevMode)
    GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames)
    GlobalFree(dialog.hDevNames);
  return dialog.hDC;
}

bool Print(HWND owner, const Picture& shown, bool ask, bool view, const std::wstring& output) {
  HDC dc = ChoosePrinter(owner, ask, view);
  if (!dc) {
    if (CommDlgExtendedError() != 0)
      Complain(owner, L"No printer can be used: Windows names none, or the chosen one cannot be reached.");
    return false;
  }
  Page page;
  bool done = MakePage(shown, view, page) && PrintPage(dc, page, output);
  DeleteDC(dc);
  if (!done)
    Complain(owner, L"Printing " + FileName(shown.path) + L" failed.");
  return done;
}

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Page* page = reinterpret_cast<Page*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
    // A portrait sheet of A4's proportions, as large as the window holds.
    int height = client.bottom - 20, width = height * 210 / 297;
    if (width > client.right - 20) {
      width = client.right - 20;
      height = width * 297 / 210;
    }
    RECT sheet{(client.right - width) / 2, (client.bottom - height) / 2, 0, 0};
    sheet.right = sheet.left + width;
    sheet.bottom = sheet.top + height;
    FillRect(dc, &sheet, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (page)
      DrawPage(dc, sheet, *page);
    EndPaint(window, &paint);
    return 0;
  }
  case WM_KEYDOWN:
    if (wParam == VK_ESCAPE)
      DestroyWindow(window);
    else if (wParam == 'P' && ShownPicture() && page)
      Print(window, *ShownPicture(), true, page->view, L"");
    return 0;
  case WM_SIZE:
    InvalidateRect(window, nullptr, FALSE);
    return 0;
  case WM_NCDESTROY:
    delete page;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Where Windows has no printer, the page of an A4 sheet at 300 dots an inch,
// drawn into an enhanced metafile.
bool DrawPageToMetafile(const Page& page, const std::wstring& output) {
  RECT frame{0, 0, 21000, 29700}; // hundredths of a millimetre
  HDC dc = CreateEnhMetaFileW(nullptr, output.c_str(), &frame, L"TavoView\0Page\0");
  if (!dc)
    return false;
  DrawPage(dc, {0, 0, 2480, 3508}, page);
  HENHMETAFILE file = CloseEnhMetaFile(dc);
  return file && DeleteEnhMetaFile(file);
}

} // namespace

std::vector<BYTE> PictureDib(const Picture& p) {
  LONGLONG size = p.isTiff ? TAVIMG_GetTIFFSize(p.record) : TAVIMG_GetDRFSize(p.record);
  LONGLONG width = TAVIMG_SIZE_WIDTH(size), height = TAVIMG_SIZE_HEIGHT(size);
  if (width < 1 || height < 1 || width > 65535 || height > 65535)
    return {};
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
    return {};
  dib.resize(packed);
  return dib;
}

void PrintPicture(HWND frame, const Picture& shown, bool preview) {
  if (!shown.record)
    return;
  if (!preview) {
    Print(frame, shown, true, false, L"");
    return;
  }
  auto page = std::make_unique<Page>();
  if (!MakePage(shown, false, *page)) {
    Complain(frame, L"The preview of " + FileName(shown.path) + L" cannot be made.");
    return;
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = PreviewProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = L"TavoViewPreview";
  RegisterClassW(&wc);
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int height = (work.bottom - work.top) * 9 / 10, width = height * 3 / 4;
  std::wstring title = L"Print preview - " + page->title + L" (P prints, Esc closes)";
  HWND window = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, work.left + 40,
                                work.top + 20, width, height, frame, nullptr, wc.hInstance, nullptr);
  if (window)
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page.release()));
}

bool PrintToFile(HWND frame, const Picture& shown, bool view, const std::wstring& output) {
  bool chosen = view;
  if (HDC dc = ChoosePrinter(frame, false, chosen)) {
    Page page;
    bool done = MakePage(shown, view, page) && PrintPage(dc, page, output);
    DeleteDC(dc);
    return done;
  }
  Page page;
  return MakePage(shown, view, page) && DrawPageToMetafile(page, output);
}

} // namespace tavoview
