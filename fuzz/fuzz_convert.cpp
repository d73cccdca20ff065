// A kind-5 DRF with its companion TIFF converted with FILE_DRF2TIFF_Hotspots;
// the result is opened again as a TIFF. Input: a 4-byte DRF length, the DRF,
// then the TIFF.
#include "fuzz_common.h"

#include <afx.h>

#include <stdio.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteReader in(data, size);
  size_t drfSize = in.U32();
  if (drfSize > in.RestSize())
    drfSize = in.RestSize();
  std::string drf = fuzz::WriteTempFile("cdrf", in.Rest(), drfSize);
  in.Skip(drfSize);
  std::string tif = fuzz::WriteTempFile("ctif", in.Rest(), in.RestSize());
  std::string out = fuzz::TempPath("cout");

  fuzz::Window host(200, 160);
  HWND window = host.hwnd();
  ImgStruct* record = TAVIMG_OpenImage(window, 0, nullptr, tif.c_str(), drf.c_str(), 0, TAVIMG_FILE_DRF, 0);
  if (record != nullptr && FILE_DRF2TIFF_Hotspots(0, record, CString(out.c_str())) == 1) {
    fuzz::Window other(200, 160);
    HWND second = other.hwnd();
    ImgStruct* converted = TAVIMG_OpenImage(second, 0, nullptr, out.c_str(), "", 1, TAVIMG_FILE_TIFF, 0);
    if (converted != nullptr) {
      other.Attach(converted);
      TAVIMG_RedrawPicture(second, converted);
      fuzz::Export(converted, true);
    }
    TAVIMG_UnloadPicture(second, TAVIMG_GetImgStruct(second));
  }
  TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
  remove(out.c_str());
  return 0;
}
