// A TIFF file opened fitted into a window, painted, zoomed with a rubber band,
// scrolled, exported as a 1-bit DIB and unloaded.
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz::WriteTempFile("tif", data, size);
  HWND window = fuzz::CreateHostWindow(300, 200);
  ImgStruct* record = TAVIMG_OpenImage(window, 0, nullptr, path.c_str(), "", 1, TAVIMG_FILE_TIFF, 0);
  if (record != nullptr) {
    fuzz::Attach(window, record);
    TAVIMG_RedrawPicture(window, record);
    fuzz::Pump(window);
    TAVIMG_SetZoomMode(record);
    TAVIMG_OnMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 40), record);
    TAVIMG_OnMessage(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 70), record);
    TAVIMG_OnMessage(window, WM_LBUTTONUP, 0, MAKELPARAM(90, 70), record);
    fuzz::Pump(window);
    TAVIMG_OnMessage(window, WM_VSCROLL, SB_PAGEDOWN, 0, record);
    TAVIMG_OnMessage(window, WM_HSCROLL, SB_LINERIGHT, 0, record);
    fuzz::Pump(window);
    fuzz::ExportTIFF(record, 8u << 20);
    TAVIMG_UnloadPicture(window, record);
  } else {
    TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
  }
  fuzz::DestroyHostWindow(window);
  return 0;
}
