// The module itself: version, resources, errors, and the record layout as
// the library and the host see it. (The slot table is the same code on every
// system; the frame suite covers it.)
#include "layout_offsets.h"
#include "winhost.h"

#include <string.h>

#ifndef _WIN32
#  include <tavwin_module.h>
#endif

using winhost::Format;
using winhost::HostWindow;
using winhost::LastError;

namespace {

HMODULE LibraryModule() {
#ifdef _WIN32
  return GetModuleHandleA("TavoIMG.dll");
#else
  return tavwin::ModuleOf((const void*)&TAVIMG_GetVersionInfo);
#endif
}

size_t FieldOffset(const char* name) {
  for (const TavFieldLayout& field : TavImgStructLayout)
    if (strcmp(field.name, name) == 0)
      return field.offset;
  return 0;
}

template <typename T> T RawField(const ImgStruct* record, const char* name, size_t extra = 0) {
  T value;
  memcpy(&value, (const uint8_t*)record + FieldOffset(name) + extra, sizeof value);
  return value;
}

} // namespace

WINHOST_SCENARIO(version, "library/version") {
  context.Check(LibraryModule() != nullptr, "the TavoIMG module is not loaded");
  char buffer[256];
  memset(buffer, '#', sizeof buffer - 1);
  buffer[sizeof buffer - 1] = 0;
  char* text = TAVIMG_GetVersionInfo(buffer);
  if (context.Check(text != nullptr, "TAVIMG_GetVersionInfo returned null"))
    context.ExpectText("version", text);
  context.Check(TAVIMG_GetVersionInfo(nullptr) == nullptr, "TAVIMG_GetVersionInfo(null) is not null");
}

WINHOST_SCENARIO(resources, "library/resources") {
  HMODULE module = LibraryModule();
  std::string texts;
  for (UINT id = 1; id <= 25; ++id) {
    char buffer[512] = {0};
    int n = LoadStringA(module, id, buffer, (int)sizeof buffer);
    context.Check(n > 0, "string %u is missing", id);
    texts += Format("%u %s\n", id, buffer);
  }
  context.ExpectText("strings", texts);
#ifdef _WIN32
  // The string table is in German (1031); the zoom cursor is resource 103.
  const WORD german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
  context.Check(FindResourceExA(module, RT_STRING, MAKEINTRESOURCEA(1), german) != nullptr,
                "no German string block 1 (strings 1 to 15)");
  context.Check(FindResourceExA(module, RT_STRING, MAKEINTRESOURCEA(2), german) != nullptr,
                "no German string block 2 (strings 16 to 31)");
  context.Check(FindResourceA(module, MAKEINTRESOURCEA(103), RT_GROUP_CURSOR) != nullptr, "no cursor resource 103");
#endif
  context.Check(LoadCursorA(module, MAKEINTRESOURCEA(103)) != nullptr, "cursor 103 does not load");
}

WINHOST_SCENARIO(errors, "library/errors") {
  const winhost::TestPicture refused[] = {{"missing DRF", "", "missing.drf", TAVIMG_FILE_DRF},
                                          {"missing TIFF", "missing.tif", "", TAVIMG_FILE_TIFF},
                                          {"file type 7", "page.tif", "", 7}};
  std::string log;
  for (const winhost::TestPicture& picture : refused) {
    HostWindow window(100, 80);
    context.Check(window.Open(picture, 0, false) == nullptr, "%s: opened", picture.id);
    log += std::string(picture.id) + ": " + LastError() + "\n";
  }
  context.ExpectText("errors", log);
}

// The record as the DLL hands it to the host: the block that holds it, the
// hotspot data record read back byte by byte, and an opened record's fields
// at the offsets of the published table. (That every field of the header is
// at its offset is checked when the host compiles.)
WINHOST_SCENARIO(layout, "library/layout") {
  HostWindow window(100, 80);
  ImgStruct* record = TAVIMG_GetImgStruct(window.handle);
  if (!context.Check(record != nullptr, "TAVIMG_GetImgStruct returned null"))
    return;
  HGLOBAL block = GlobalHandle(record);
  context.Check(block != nullptr && GlobalSize(block) >= sizeof(ImgStruct), "the record block holds %zu bytes, not %zu",
                block != nullptr ? (size_t)GlobalSize(block) : (size_t)0, sizeof(ImgStruct));
  HotspotDataRecord data;
  memset(&data, 0, sizeof data);
  strcpy(data.Name, "Spot seven");
  strcpy(data.Text, "Text seven");
  data.Kind = 0x85;
  context.Check(TAVIMG_SetHotspotData(record, 7, &data) == 1 && TAVIMG_SetHotspotCount(record, 9) == 1,
                "setting the hotspot data and count failed");
  uint8_t out[sizeof(HotspotDataRecord) + 8];
  memset(out, 0xEE, sizeof out);
  context.Check(TAVIMG_GetHotspotData(record, 7, (HotspotDataRecord*)out) == 1, "TAVIMG_GetHotspotData failed");
  LONG number, kind;
  memcpy(&number, out + 0, 4);
  memcpy(&kind, out + 101, 4);
  context.Check(number == 7 && strcmp((const char*)out + 36, "Spot seven") == 0 &&
                    strcmp((const char*)out + 70, "Text seven") == 0 && kind == (signed char)0x85,
                "TAVIMG_GetHotspotData wrote a record that the host reads differently");
  context.Check(out[105] == 0xEE, "TAVIMG_GetHotspotData wrote past the 105 bytes of the record");

  TAVIMG_UnloadPicture(window.handle, record);

  // An opened picture: the paths, the mode and the sizes where the host reads them.
  ImgStruct* opened = window.Open(winhost::PictureById("grey"), 2, false);
  if (!context.Check(opened != nullptr, "grey.drf does not open: %s", LastError().c_str()))
    return;
  context.Check(strcmp((const char*)opened + FieldOffset("DrfPath"), "grey.drf") == 0, "DrfPath is not at its offset");
  context.Check(RawField<DWORD>(opened, "DisplayMode") == 2, "DisplayMode is not at its offset");
  LONGLONG size = TAVIMG_GetDRFSize(opened);
  context.Check(RawField<LONG>(opened, "DRFSize") == TAVIMG_SIZE_WIDTH(size) &&
                    RawField<LONG>(opened, "DRFSize", 4) == TAVIMG_SIZE_HEIGHT(size),
                "DRFSize is not at its offset");
  context.Check(RawField<TAVIMG_NOTIFYPROC>(opened, "NotifyCallback") == winhost::NotifyHost,
                "NotifyCallback is not at its offset");
}
