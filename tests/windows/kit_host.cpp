// A C++ host without MFC, built by MinGW from the installed tree alone (the
// header, the MFC subset's afx.h and static library, the import library): the
// subset's CString receives the library's error text and crosses an export by
// value. The sample project of the release archive builds it.
#include <afx.h>

#include <tavoimg/tavoimg.h>

#include <stdio.h>

int main() {
  TAVIMG_ShowErrorMessages(0);
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ImgStruct* record = TAVIMG_OpenImage(window, 0, nullptr, "", "missing.drf", 0, TAVIMG_FILE_DRF, 0);
  CString text("replaced by the error text");
  LONG result = TAVIMG_GetLastError(&text);
  CString path("out.tif");
  LONG converted = FILE_DRF2TIFF_Hotspots(0, nullptr, path); // no record: refused, the path released
  TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
  DestroyWindow(window);
  printf("open: %s, error %ld: %s; conversion without a record: %ld; path kept: %s\n", record ? "opened" : "refused",
         (long)(1 - result), (const char*)text, (long)converted, (const char*)path);
  return !record && result == -5 && text == "Unable to open DRF file" && converted != 1 && path == "out.tif" ? 0 : 1;
}
