// What leaves the library: the clipboard (read back from the system
// clipboard), both DIB exports and the DRF-to-TIFF conversion.
#include "pictures.h"
#include "winhost.h"

#include <afx.h>

#include <string.h>

using winhost::Context;
using winhost::Format;
using winhost::HostWindow;

namespace {

const int kWindowWidth = 240, kWindowHeight = 180;
const uint8_t kGuard = 0xEE;

ImgStruct* Load(Context& context, HostWindow& window, const char* tiff, const char* drf, DWORD mode, DWORD type) {
  ImgStruct* record = TAVIMG_LoadPicture(window.Handle(), 0, winhost::NotifyHost, tiff, drf, mode, type, 0);
  if (context.Check(record != nullptr, "%s%s does not load in display mode %lu", tiff, drf, (unsigned long)mode)) {
    window.SetRecord(record);
    window.Pump();
  }
  return record;
}

// Bytes of a packed DIB: header, colour table and rows.
size_t PackedDibSize(const BITMAPINFOHEADER& h) {
  DWORD colours = h.biClrUsed != 0 ? h.biClrUsed : (h.biBitCount <= 8 ? 1u << h.biBitCount : 0u);
  size_t stride = (((size_t)h.biWidth * h.biBitCount + 31) / 32) * 4;
  size_t rows = (size_t)(h.biHeight < 0 ? -h.biHeight : h.biHeight);
  return h.biSize + 4 * (size_t)colours + stride * rows;
}

std::string HeaderText(const BITMAPINFOHEADER& h) {
  return Format("header %lu, %ldx%ld, planes %u, bits %u, compression %lu, colours %lu\n", (unsigned long)h.biSize,
                (long)h.biWidth, (long)h.biHeight, (unsigned)h.biPlanes, (unsigned)h.biBitCount,
                (unsigned long)h.biCompression, (unsigned long)h.biClrUsed);
}

// Reads the format the library placed from the system clipboard: a CF_DIB
// as its packed bytes, a CF_BITMAP as its description and bits. (Windows
// also offers each as the other, converted; only the placed one is read.)
void ReadClipboard(Context& context, const std::string& step, UINT format) {
  if (!context.Check(OpenClipboard(nullptr) != 0, "%s: the clipboard does not open", step.c_str()))
    return;
  context.Check(IsClipboardFormatAvailable(format) != 0, "%s: no %s on the clipboard", step.c_str(),
                format == CF_DIB ? "CF_DIB" : "CF_BITMAP");
  HANDLE data = GetClipboardData(format);
  std::string text;
  if (format == CF_BITMAP) {
    BITMAP bm;
    memset(&bm, 0, sizeof bm);
    if (context.Check(data != nullptr && GetObjectA(data, sizeof bm, &bm) != 0, "%s: no bitmap", step.c_str())) {
      text = Format("bitmap %ldx%ld, %ld bytes per row, planes %u, bits %u\n", (long)bm.bmWidth, (long)bm.bmHeight,
                    (long)bm.bmWidthBytes, (unsigned)bm.bmPlanes, (unsigned)bm.bmBitsPixel);
      std::vector<uint8_t> bits((size_t)bm.bmWidthBytes * bm.bmHeight, 0);
      LONG got = GetBitmapBits((HBITMAP)data, (LONG)bits.size(), bits.data());
      context.Check(got == (LONG)bits.size(), "%s: GetBitmapBits gave %ld of %zu bytes", step.c_str(), (long)got,
                    bits.size());
      // Only pixels are compared: the bits after the last pixel of a row
      // are not kept alike by the systems.
      if (bm.bmBitsPixel == 1)
        for (LONG y = 0; y < bm.bmHeight; ++y)
          for (LONG x = bm.bmWidth; x < bm.bmWidthBytes * 8; ++x)
            bits[(size_t)y * bm.bmWidthBytes + x / 8] &= (uint8_t) ~(0x80 >> (x % 8));
      context.ExpectBytes(step + "-bitmap", bits);
    }
  } else {
    const BITMAPINFOHEADER* header = data != nullptr ? (const BITMAPINFOHEADER*)GlobalLock(data) : nullptr;
    if (context.Check(header != nullptr, "%s: no DIB", step.c_str())) {
      size_t size = PackedDibSize(*header);
      context.Check(size <= GlobalSize(data), "%s: the DIB block holds %zu bytes, its header needs %zu", step.c_str(),
                    (size_t)GlobalSize(data), size);
      text = HeaderText(*header);
      if (size <= GlobalSize(data))
        context.ExpectBytes(step + "-dib", std::vector<uint8_t>((const uint8_t*)header, (const uint8_t*)header + size));
      GlobalUnlock(data);
    }
  }
  context.ExpectText(step, text);
  CloseClipboard();
}

void Clipboard(Context& context, const char* tiff, const char* drf, DWORD mode, DWORD type, bool zoom) {
  HostWindow window(kWindowWidth, kWindowHeight);
  ImgStruct* record = Load(context, window, tiff, drf, mode, type);
  if (record == nullptr)
    return;
  context.Check(TAVIMG_CopyToClipboard(record) == 1, "TAVIMG_CopyToClipboard failed (error %ld)",
                (long)TAVIMG_GetLastError(nullptr));
  const UINT format = record->DrfShown ? CF_DIB : CF_BITMAP; // what the library places
  ReadClipboard(context, "copied", format);
  if (!zoom)
    return;
  // A zoomed view copies the section it shows.
  TAVIMG_SetZoomMode(record);
  window.MouseMove(50, 40);
  window.LeftDown(50, 40);
  window.MouseMove(120, 110, MK_LBUTTON);
  window.LeftUp(120, 110);
  window.Pump();
  context.Check(TAVIMG_CopyToClipboard(record) == 1, "TAVIMG_CopyToClipboard of the zoom failed (error %ld)",
                (long)TAVIMG_GetLastError(nullptr));
  ReadClipboard(context, "zoom-copied", CF_BITMAP);
}

WINHOST_SCENARIO(clipboard_drive_unit, "clipboard/drive-unit") {
  Clipboard(context, "drive-unit.tif", "drive-unit.drf", 1, TAVIMG_FILE_DRF, true);
}
WINHOST_SCENARIO(clipboard_bearing_cap, "clipboard/bearing-cap") {
  Clipboard(context, "", "bearing-cap.drf", 0, TAVIMG_FILE_DRF, false);
}
WINHOST_SCENARIO(clipboard_grey, "clipboard/grey") {
  Clipboard(context, "", "grey.drf", 0, TAVIMG_FILE_DRF, false);
}
WINHOST_SCENARIO(clipboard_colour, "clipboard/colour") {
  Clipboard(context, "", "colour.drf", 2, TAVIMG_FILE_DRF, false);
}
WINHOST_SCENARIO(clipboard_page, "clipboard/page") {
  Clipboard(context, "page.tif", "", 1, TAVIMG_FILE_TIFF, true);
}
WINHOST_SCENARIO(clipboard_fourcolour, "clipboard/fourcolour") {
  Clipboard(context, "page.tif", "fourcolour.drf", 1, TAVIMG_FILE_DRF, true);
}

// ---- DIB exports ----

void ExportDrf(Context& context, const char* drf) {
  HostWindow window(kWindowWidth, kWindowHeight);
  ImgStruct* record = Load(context, window, "", drf, 0, TAVIMG_FILE_DRF);
  if (record == nullptr)
    return;
  LONGLONG size = TAVIMG_GetDRFSize(record);
  LONG w = (LONG)(size & 0xFFFFFFFF), h = (LONG)(size >> 32);
  SHORT bits = 0, colours = 0;
  LONG info = TAVIMG_GetDRFColorInfo(record, &bits, &colours);
  context.ExpectText(
      "info", Format("size %ldx%ld, info %ld, bits %d, colours %d\n", (long)w, (long)h, (long)info, bits, colours));
  if (!context.Check(info != 0 && w > 0 && h > 0 && (bits == 4 || bits == 8), "no DIB can be asked for"))
    return;
  // The buffer as a host sizes it, and guard bytes after it.
  size_t need = 40 + 4 * (size_t)colours + (size_t)((w + 15) / 16 * 16) * bits / 8 * h;
  std::vector<uint8_t> buffer(need + 64, kGuard);
  LONG result = TAVIMG_DecodeDRF2DIB(record, buffer.data());
  context.Check(result == 1, "TAVIMG_DecodeDRF2DIB returned %ld", (long)result);
  for (size_t i = need; i < buffer.size(); ++i)
    if (!context.Check(buffer[i] == kGuard, "TAVIMG_DecodeDRF2DIB wrote past the %zu bytes of its buffer", need))
      break;
  BITMAPINFOHEADER header;
  memcpy(&header, buffer.data(), sizeof header);
  size_t packed = PackedDibSize(header);
  context.ExpectText("header", HeaderText(header));
  if (context.Check(packed <= need, "the DIB's header describes %zu bytes, more than the %zu of the buffer", packed,
                    need))
    context.ExpectBytes("dib", std::vector<uint8_t>(buffer.begin(), buffer.begin() + packed));
}

WINHOST_SCENARIO(export_control_panel, "export/drf/control-panel") {
  ExportDrf(context, "control-panel.drf");
}
WINHOST_SCENARIO(export_grey, "export/drf/grey") {
  ExportDrf(context, "grey.drf");
}
WINHOST_SCENARIO(export_colour, "export/drf/colour") {
  ExportDrf(context, "colour.drf");
}
WINHOST_SCENARIO(export_fourcolour, "export/drf/fourcolour") {
  ExportDrf(context, "fourcolour.drf");
}

void ExportTiff(Context& context, const char* tiff) {
  HostWindow window(kWindowWidth, kWindowHeight);
  ImgStruct* record = Load(context, window, tiff, "", 1, TAVIMG_FILE_TIFF);
  if (record == nullptr)
    return;
  LONGLONG size = TAVIMG_GetTIFFSize(record);
  LONG w = (LONG)(size & 0xFFFFFFFF), h = (LONG)(size >> 32);
  if (!context.Check(w > 0 && h > 0, "TIFF size %ldx%ld", (long)w, (long)h))
    return;
  size_t need = 48 + (size_t)((w + 31) / 32) * 4 * h;
  std::vector<uint8_t> buffer(need + 64, kGuard);
  LONG result = TAVIMG_DecodeTIFF2DIB(record, buffer.data());
  context.Check(result == 1, "TAVIMG_DecodeTIFF2DIB returned %ld", (long)result);
  for (size_t i = need; i < buffer.size(); ++i)
    if (!context.Check(buffer[i] == kGuard, "TAVIMG_DecodeTIFF2DIB wrote past the %zu bytes of its buffer", need))
      break;
  BITMAPINFOHEADER header;
  memcpy(&header, buffer.data(), sizeof header);
  context.ExpectText("header", HeaderText(header));
  context.ExpectBytes("dib", std::vector<uint8_t>(buffer.begin(), buffer.begin() + need));
}

WINHOST_SCENARIO(export_drive_unit, "export/tiff/drive-unit") {
  ExportTiff(context, "drive-unit.tif");
}
WINHOST_SCENARIO(export_page, "export/tiff/page") {
  ExportTiff(context, "page.tif");
}
WINHOST_SCENARIO(export_spots, "export/tiff/spots") {
  ExportTiff(context, "spots.tif");
}

// ---- DRF to TIFF ----

void Convert(Context& context, const char* tiff, const char* drf, const char* output) {
  HostWindow window(kWindowWidth, kWindowHeight);
  ImgStruct* record = window.Open(tiff, drf, 1, TAVIMG_FILE_DRF);
  if (!context.Check(record != nullptr, "%s does not open", drf))
    return;
  remove(output);
  LONG result = FILE_DRF2TIFF_Hotspots(0, record, CString(output));
  std::vector<uint8_t> written = winhost::ReadFile(output);
  context.ExpectText("result", Format("result %ld, %zu bytes written\n", (long)result, written.size()));
  if (!written.empty())
    context.ExpectBytes("tiff", written);
  if (result != 1)
    return;
  // The written file opens as a TIFF picture with the hotspots of the DRF.
  HostWindow shown(kWindowWidth, kWindowHeight);
  ImgStruct* converted = Load(context, shown, output, "", 1, TAVIMG_FILE_TIFF);
  if (converted == nullptr)
    return;
  context.Check(TAVIMG_GetHotspotCount(converted) == TAVIMG_GetHotspotCount(record),
                "the converted picture has %ld hotspots, the DRF %ld", (long)TAVIMG_GetHotspotCount(converted),
                (long)TAVIMG_GetHotspotCount(record));
  context.ExpectImage("converted-shown", shown.Capture());
}

WINHOST_SCENARIO(drf2tiff_drive_unit, "drf2tiff/drive-unit") {
  Convert(context, "drive-unit.tif", "drive-unit.drf", "converted-drive-unit.tif");
}
WINHOST_SCENARIO(drf2tiff_fourcolour, "drf2tiff/fourcolour") {
  Convert(context, "page.tif", "fourcolour.drf", "converted-fourcolour.tif");
}
WINHOST_SCENARIO(drf2tiff_grey, "drf2tiff/grey") {
  Convert(context, "", "grey.drf", "converted-grey.tif");
}

} // namespace
