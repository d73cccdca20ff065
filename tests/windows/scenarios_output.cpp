// What leaves the library: the clipboard (read back from the system
// clipboard), both DIB exports and the DRF-to-TIFF conversion.
#include "winhost.h"

#include <afx.h>

#include <string.h>

#include <algorithm>

using winhost::Context;
using winhost::Format;
using winhost::HostWindow;
using winhost::PictureById;
using winhost::TestPicture;

namespace {

const uint8_t kGuard = 0xEE;

// Bytes of a packed DIB: header, colour table and rows.
size_t PackedDibSize(const BITMAPINFOHEADER& h) {
  DWORD colours = h.biClrUsed != 0 ? h.biClrUsed : (h.biBitCount <= 8 ? 1u << h.biBitCount : 0u);
  size_t stride = TAVIMG_DIB_STRIDE(h.biWidth, h.biBitCount);
  size_t rows = (size_t)(h.biHeight < 0 ? -h.biHeight : h.biHeight);
  return h.biSize + 4 * (size_t)colours + stride * rows;
}

// Reads the format the library placed from the system clipboard: a CF_DIB
// as its packed bytes, a CF_BITMAP as its description and bits. (Windows
// also offers each as the other, converted; only the placed one is read.)
void ReadClipboard(Context& context, const std::string& step, UINT format) {
  if (!context.Check(OpenClipboard(nullptr) != 0, "%s: the clipboard does not open", step.c_str()))
    return;
  context.Check(IsClipboardFormatAvailable(format) != 0, "%s: no format %u on the clipboard", step.c_str(), format);
  HANDLE data = GetClipboardData(format);
  BITMAP bm;
  memset(&bm, 0, sizeof bm);
  if (format == CF_BITMAP &&
      context.Check(data != nullptr && GetObjectA(data, sizeof bm, &bm) != 0, "%s: no bitmap", step.c_str())) {
    context.ExpectText(step, Format("bitmap %ldx%ld, %ld bytes per row, planes %u, bits %u\n", (long)bm.bmWidth,
                                    (long)bm.bmHeight, (long)bm.bmWidthBytes, (unsigned)bm.bmPlanes,
                                    (unsigned)bm.bmBitsPixel));
    std::vector<uint8_t> bits((size_t)bm.bmWidthBytes * bm.bmHeight, 0);
    LONG got = GetBitmapBits((HBITMAP)data, (LONG)bits.size(), bits.data());
    context.Check(got == (LONG)bits.size(), "%s: GetBitmapBits gave %ld of %zu bytes", step.c_str(), (long)got,
                  bits.size());
    // Only pixels are compared: the bits after the last pixel of a row
    // are not kept alike by the systems.
    for (LONG y = 0; bm.bmBitsPixel == 1 && y < bm.bmHeight; ++y)
      for (LONG x = bm.bmWidth; x < bm.bmWidthBytes * 8; ++x)
        bits[(size_t)y * bm.bmWidthBytes + x / 8] &= (uint8_t) ~(0x80 >> (x % 8));
    context.ExpectBytes(step + "-bitmap", bits);
  }
  const BITMAPINFOHEADER* header =
      format == CF_DIB && data != nullptr ? (const BITMAPINFOHEADER*)GlobalLock(data) : nullptr;
  if (format == CF_DIB && context.Check(header != nullptr, "%s: no DIB", step.c_str())) {
    size_t size = PackedDibSize(*header);
    if (context.Check(size <= GlobalSize(data), "%s: the DIB block holds %zu bytes, its header needs %zu", step.c_str(),
                      (size_t)GlobalSize(data), size))
      context.ExpectBytes(step + "-dib", std::vector<uint8_t>((const uint8_t*)header, (const uint8_t*)header + size));
    GlobalUnlock(data);
  }
  CloseClipboard();
}

// Copies the picture as shown, then (zoom) the section a rubber-band zoom shows.
void Clipboard(Context& context, const TestPicture& picture, DWORD mode, bool zoom) {
  HostWindow window;
  ImgStruct* record = Show(context, window, picture, mode);
  if (record == nullptr)
    return;
  context.Check(TAVIMG_CopyToClipboard(record) == 1, "TAVIMG_CopyToClipboard failed: %s", winhost::LastError().c_str());
  ReadClipboard(context, "copied", record->DrfShown ? CF_DIB : CF_BITMAP); // what the library places
  if (!zoom)
    return;
  TAVIMG_SetZoomMode(record);
  window.Mouse(WM_MOUSEMOVE, 50, 40);
  window.Mouse(WM_LBUTTONDOWN, 50, 40, MK_LBUTTON);
  window.Mouse(WM_MOUSEMOVE, 120, 110, MK_LBUTTON);
  window.Mouse(WM_LBUTTONUP, 120, 110);
  window.Pump();
  context.Check(TAVIMG_CopyToClipboard(record) == 1, "TAVIMG_CopyToClipboard of the zoom failed: %s",
                winhost::LastError().c_str());
  ReadClipboard(context, "zoom-copied", CF_BITMAP);
}

// The DIB a host gets from TAVIMG_DecodeDRF2DIB or TAVIMG_DecodeTIFF2DIB, in
// a buffer as the host sizes it with guard bytes after it.
void Export(Context& context, const TestPicture& picture) {
  HostWindow window;
  const bool drf = picture.fileType == TAVIMG_FILE_DRF;
  ImgStruct* record = Show(context, window, picture, drf ? 0 : 1);
  if (record == nullptr)
    return;
  LONGLONG size = drf ? TAVIMG_GetDRFSize(record) : TAVIMG_GetTIFFSize(record);
  LONG w = TAVIMG_SIZE_WIDTH(size), h = TAVIMG_SIZE_HEIGHT(size);
  SHORT bits = 1, colours = 2;
  if (drf)
    TAVIMG_GetDRFColorInfo(record, &bits, &colours);
  const size_t need = drf ? TAVIMG_DRF_DIB_SIZE(w, h, bits, colours) : TAVIMG_TIFF_DIB_SIZE(w, h);
  std::vector<uint8_t> buffer(need + 64, kGuard);
  LONG result = drf ? TAVIMG_DecodeDRF2DIB(record, buffer.data()) : TAVIMG_DecodeTIFF2DIB(record, buffer.data());
  context.Check(result == 1, "the export returned %ld", (long)result);
  context.Check(std::count(buffer.begin() + need, buffer.end(), kGuard) == 64,
                "the export wrote past the %zu bytes of its buffer", need);
  buffer.resize(need);
  context.ExpectBytes("dib", buffer);
}

// FILE_DRF2TIFF_Hotspots, the file written byte for byte.
void Convert(Context& context, const TestPicture& picture) {
  HostWindow window;
  ImgStruct* record = Show(context, window, picture, 1);
  if (record == nullptr)
    return;
  const std::string output = std::string("converted-") + picture.id + ".tif";
  remove(output.c_str());
  LONG result = FILE_DRF2TIFF_Hotspots(0, record, CString(output.c_str()));
  std::vector<uint8_t> written = winhost::ReadFile(output);
  context.ExpectText("result", Format("result %ld, %zu bytes written\n", (long)result, written.size()));
  context.ExpectBytes("tiff", written);
}

struct OutputScenarios {
  OutputScenarios() {
    const struct {
      const char* id;
      DWORD mode;
      bool zoom;
    } copies[] = {{"drive-unit", 1, true}, {"bearing-cap", 0, false}, {"control-panel", 2, false}, {"page", 1, true}};
    for (const auto& c : copies) {
      const TestPicture& picture = PictureById(c.id);
      const DWORD mode = c.mode;
      const bool zoom = c.zoom;
      winhost::RegisterScenario(Format("clipboard/%s", c.id),
                                [&picture, mode, zoom](Context& context) { Clipboard(context, picture, mode, zoom); });
    }
    for (const char* id : {"drive-unit", "drive-unit-hotspots", "page", "bearing-cap", "control-panel"}) {
      const TestPicture& picture = PictureById(id);
      winhost::RegisterScenario(Format("export/%s", id), [&picture](Context& context) { Export(context, picture); });
    }
    for (const char* id : {"drive-unit", "control-panel"}) {
      const TestPicture& picture = PictureById(id);
      winhost::RegisterScenario(Format("drf2tiff/%s", id), [&picture](Context& context) { Convert(context, picture); });
    }
  }
} g_outputScenarios;

} // namespace
