// The tool's host side: a real window into which the library opens and draws
// a picture, the messages a host forwards to it, and reading the window's
// pixels back with the same GDI calls on Linux and Windows.
#ifndef TAVOIMG_TOOL_HOST_WINDOW_H
#define TAVOIMG_TOOL_HOST_WINDOW_H

#include "image_io.h"

#include <tavoimg/tavoimg.h>

#include <string>

namespace tool {

enum class PictureFormat { Drf, Tiff };

struct PictureSource {
  std::string path;     // the picture: a DRF or a TIFF
  std::string tiffPath; // a DRF's companion TIFF, or empty
  PictureFormat format = PictureFormat::Drf;
};

// A TIFF by its header ("II*\0" or "MM\0*"), otherwise a DRF (also when the
// file cannot be read: the library then reports it).
PictureFormat SniffFormat(const std::string& path);

// The kind byte that a DRF's main picture information would hold, or -1 when
// the file is too short to hold one; used to explain a failed opening.
int SniffDrfKind(const std::string& path);

// The Compression value (tag 259) of a TIFF's first directory, or -1.
long SniffTiffCompression(const std::string& path);

// The text of the library's last error ("" when there is none), its lines
// joined.
std::string LibraryErrorText();

class HostWindow {
public:
  // A visible pop-up window whose client area is width × height pixels.
  HostWindow(int width, int height);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND Handle() const { return window_; }
  ImgStruct* Record() const { return record_; }

  // Opens the picture into this window: with TAVIMG_LoadPicture (opens and
  // draws) when draw is set, else with TAVIMG_OpenImage. On failure error
  // holds the library's text.
  bool Open(const PictureSource& source, DWORD displayMode, bool draw, std::string& error);

  // Sends a message to the window, whose procedure forwards it to the
  // library as a host does.
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);

  // Delivers the pending paints, as a message loop would.
  void Paint();

  // The client area's pixels, read through a compatible bitmap and GetDIBits.
  bool ReadBack(Image& image, std::string& error);

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  ImgStruct* record_ = nullptr;
};

} // namespace tool

#endif
