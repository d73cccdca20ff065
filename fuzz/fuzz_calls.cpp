// A bundled sample opened into a window, then a sequence of hotspot, view,
// message and command calls chosen by the input bytes.
#include "fuzz_common.h"

#include <string.h>

static std::string Name(fuzz::ByteReader& in) {
  std::string s;
  size_t n = in.U8() % 40;
  for (size_t i = 0; i < n; ++i)
    s += (char)(in.U8() % 4 + 'a'); // a small alphabet so that names can match
  return s;
}

static LPARAM Point(fuzz::ByteReader& in) {
  return MAKELPARAM((int16_t)in.U16() % 700, (int16_t)in.U16() % 700);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string>& samples = fuzz::SampleFiles();
  if (samples.empty() || size == 0)
    return 0;
  fuzz::ByteReader in(data, size);
  const std::string& sample = samples[in.U8() % samples.size()];
  const bool tiff = fuzz::IsTiffName(sample);
  fuzz::Window host(240 + in.U8(), 180 + in.U8());
  HWND window = host.hwnd();
  DWORD mode = in.U8() % 5;
  ImgStruct* record =
      tiff ? TAVIMG_LoadPicture(window, 0, nullptr, sample.c_str(), "", mode, TAVIMG_FILE_TIFF, 0)
           : TAVIMG_LoadPicture(window, 0, nullptr, "", sample.c_str(), mode % 2 == 0 ? 0 : 3, TAVIMG_FILE_DRF, 0);
  if (record == nullptr) {
    TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
    return 0;
  }
  host.Attach(record);
  char out1[64], out2[64];
  for (int step = 0; step < 64 && !in.Empty() && IsWindow(window); ++step) {
    switch (in.U8() % 20) {
    case 0:
      TAVIMG_SetHotspotNr(window, in.U16() % 700, in.U8() % 3, record);
      break;
    case 1:
      TAVIMG_SetHotspot(window, Name(in).c_str(), in.U8() % 3, record);
      break;
    case 2:
      TAVIMG_SetAllHotspots(window, in.U8() % 3, record);
      break;
    case 3:
      TAVIMG_ActivateHotspotNr(in.U16() % 700, in.U8() % 3, record);
      TAVIMG_ActivateHotspot(Name(in).c_str(), in.U8() % 3, record);
      break;
    case 4:
      TAVIMG_SetHotspotMode(in.U8() & 1 ? (DWORD)TAVIMG_HOLLOW_FRAMES : in.U32(), (int8_t)in.U8() % 9, in.U8(), in.U8(),
                            record);
      break;
    case 5: {
      HotspotDataRecord spot;
      LONG number = (int16_t)in.U16() % 700;
      if (TAVIMG_GetHotspotData(record, number, &spot) == 0)
        memset(&spot, 0, sizeof spot);
      for (size_t i = 0; i < sizeof spot && i < 8; ++i)
        ((uint8_t*)&spot)[4 + in.U8() % (sizeof spot - 4)] = in.U8();
      TAVIMG_SetHotspotData(record, number, &spot);
      break;
    }
    case 6:
      TAVIMG_SetHotspotCount(record, (SHORT)in.U16());
      break;
    case 7: {
      static const UINT messages[] = {WM_SIZE,        WM_PAINT,         WM_HSCROLL,       WM_VSCROLL,
                                      WM_MOUSEMOVE,   WM_LBUTTONDOWN,   WM_LBUTTONUP,     WM_RBUTTONUP,
                                      WM_RBUTTONDOWN, WM_LBUTTONDBLCLK, WM_PALETTECHANGED};
      UINT message = messages[in.U8() % (sizeof messages / sizeof messages[0])];
      WPARAM wParam = (message == WM_HSCROLL || message == WM_VSCROLL) ? (WPARAM)in.U32() : (in.U8() & 1);
      TAVIMG_OnMessage(window, message, wParam, Point(in), record);
      break;
    }
    case 8:
      TAVIMG_DisplayPicture(window, record, in.U8() % 6);
      break;
    case 9: {
      TAVIMG_SetZoomMode(record);
      TAVIMG_OnMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(in), record);
      TAVIMG_OnMessage(window, WM_MOUSEMOVE, MK_LBUTTON, Point(in), record);
      TAVIMG_OnMessage(window, WM_LBUTTONUP, 0, 0, record);
      break;
    }
    case 10: {
      DWORD command = in.U8() % 16;
      if (command == 0)
        TAVIMG_MAIN(0, record, window, WM_MOUSEMOVE, 0, Point(in));
      else
        TAVIMG_MAIN(command, record, window, 0, 0, 0);
      break;
    }
    case 11:
      TAVIMG_RecalcLayout(window, record);
      TAVIMG_UpdateBars(window, record);
      break;
    case 12:
      TAVIMG_GetNewHotspotPositions((int16_t)in.U16() / 64.0, (int16_t)in.U16() / 64.0, record);
      break;
    case 13:
      TAVIMG_CopyToClipboard(record);
      break;
    case 14:
      MoveWindow(window, 0, 0, 1 + in.U16() % 900, 1 + in.U16() % 700, TRUE);
      break;
    case 15:
      TAVIMG_SetBkColor(record, in.U32() & 0xffffff, 0);
      break;
    case 16:
      TAVIMG_GetHotspotNr(record, out1, out2);
      TAVIMG_GetHotspot(record, out1, out2);
      TAVIMG_GetHotspotOffset(record);
      TAVIMG_GetZoomFactor(record);
      break;
    case 17:
      TAVIMG_OnDraw(window, record, nullptr);
      break;
    case 18:
      fuzz::Export(record, tiff);
      break;
    default:
      fuzz::Pump(window);
      break;
    }
  }
  TAVIMG_UnloadPicture(window, record);
  return 0;
}
