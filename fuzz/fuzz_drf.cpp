// A DRF file opened into a window in display mode 0, painted, exported and
// unloaded.
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz::WriteTempFile("drf", data, size);
  HWND window = fuzz::CreateHostWindow(320, 240);
  ImgStruct* record = TAVIMG_OpenImage(window, 0, nullptr, "", path.c_str(), 0, TAVIMG_FILE_DRF, 0);
  if (record != nullptr) {
    fuzz::Attach(window, record);
    TAVIMG_RedrawPicture(window, record);
    TAVIMG_ActivateAllHotspots(1, record);
    TAVIMG_SetAllHotspots(window, 1, record);
    if (IsWindow(window)) {
      TAVIMG_OnMessage(window, WM_MOUSEMOVE, 0, MAKELPARAM(40, 30), record);
      fuzz::Pump(window);
    }
    fuzz::ExportDRF(record, 4u << 20);
    TAVIMG_UnloadPicture(window, record);
  } else {
    TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
  }
  fuzz::DestroyHostWindow(window);
  return 0;
}
