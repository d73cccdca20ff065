// Test support of the view suite: a host window (the shared test host of
// host_window.h, whose procedure forwards every message to
// TAVIMG_OnMessage) with the calls a view test makes on it; the log of the
// host callback; and bilevel TIFF files (Compression 2, written with
// libtiff) with their private hotspot tag.
#ifndef TAV_TESTS_SUPPORT_VIEW_HOST_H
#define TAV_TESTS_SUPPORT_VIEW_HOST_H

#include <tavoimg/tavoimg.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace viewtest {

// A fresh path in the build tree.
std::string TempPath(const std::string& name);

// One call of the host callback.
struct Notification {
  DWORD zero;
  UINT message;
  std::string hotspotName;
};
// The callback a host passes to the opening; every call is logged.
void CALLBACK RecordNotification(DWORD zero, UINT message, char* hotspotName);
std::vector<Notification>& Notifications();

// A visible WS_POPUP window of a host; once a record is attached every
// message goes to TAVIMG_OnMessage with it. The window is destroyed with the
// object; the record is the test's to unload.
class HostWindow {
public:
  HostWindow(int x, int y, int width, int height);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  void Attach(ImgStruct* record);
  // TAVIMG_LoadPicture with RecordNotification; the record is attached.
  ImgStruct* Load(const std::string& tiffPath, const std::string& drfPath, DWORD displayMode, DWORD fileType);

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Mouse messages at window point (x, y).
  void Mouse(UINT message, int x, int y, WPARAM keys = 0);
  // Delivers pending paints as a message loop would; the number delivered.
  int Pump();
  bool HasInvalidArea();

  RECT WindowRect();
  RECT ClientRect();
  void ScrollRange(int bar, int* minPos, int* maxPos);

private:
  HWND hwnd_;
};

// The client area as COLORREFs, row by row.
struct Pixels {
  int width = 0, height = 0;
  std::vector<COLORREF> colours;
  COLORREF at(int x, int y) const { return colours[(size_t)y * width + x]; }
};
Pixels ReadClient(HWND window);
inline COLORREF Inverted(COLORREF c) {
  return ~c & 0x00FFFFFFu;
}
inline COLORREF Grey(int v) {
  return RGB(v, v, v);
}

// A hotspot record of tag 65024.
struct TiffHotspot {
  int x, y, width, height;
  std::string name, text;
  uint8_t kind = 0;
};

// Writes a bilevel picture (black[i] != 0: pixel i, top row first, is
// black) as a TIFF with compression 2, and appends a hotspot tag when
// hotspots are given. Fails the test when libtiff is not available.
std::string WriteTiff(const std::string& name, int width, int height, const std::vector<uint8_t>& black,
                      const std::vector<TiffHotspot>& hotspots = {}, int rowsPerStrip = 64);
bool HaveLibtiff();

} // namespace viewtest

#endif
