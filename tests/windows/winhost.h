// The Win32 test host: scenarios that drive TavoIMG through its exported
// functions and real windows, written once against the Win32 API.
//
// The same scenarios run twice. On Linux, against the Win32 stand-in, they
// write what they observe (window pictures read back with GetDIBits, DIBs,
// clipboard contents, files, numbers) as expected results; on Windows (under
// Wine) they observe the same things and compare them with those results,
// listing every difference. Checks (Check) are asserted in both runs.
#ifndef TAV_TESTS_WINDOWS_WINHOST_H
#define TAV_TESTS_WINDOWS_WINHOST_H

#include <tavoimg/tavoimg.h>

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

// printf-style checking of format strings; the Windows build uses the
// mingw-w64 printf (__USE_MINGW_ANSI_STDIO), which knows %zu.
#ifdef __MINGW32__
#  define WINHOST_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#  define WINHOST_PRINTF(f, a) __attribute__((format(printf, f, a)))
#endif

namespace winhost {

// The pictures the scenarios open: the samples, which the Linux run copies
// into the pictures folder that both runs work in. Paths are relative to
// that folder, so that texts that show a path are the same on both systems.
struct TestPicture {
  const char* id;   // names the scenarios of this picture
  const char* tiff; // TIFF path passed to TAVIMG_OpenImage ("" for none)
  const char* drf;  // DRF path ("" for none)
  DWORD fileType;   // TAVIMG_FILE_DRF or TAVIMG_FILE_TIFF
};
// Kind 5 (four colours over its TIFF), the TIFFs with and without hotspots,
// kind 7 (64 grey levels) and kind 6 (240 colours).
const TestPicture kPictures[] = {
    {"drive-unit", "drive-unit.tif", "drive-unit.drf", TAVIMG_FILE_DRF},
    {"drive-unit-hotspots", "drive-unit-hotspots.tif", "", TAVIMG_FILE_TIFF},
    {"page", "drive-unit.tif", "", TAVIMG_FILE_TIFF},
    {"bearing-cap", "", "bearing-cap.drf", TAVIMG_FILE_DRF},
    {"control-panel", "", "control-panel.drf", TAVIMG_FILE_DRF},
};
const TestPicture& PictureById(const char* id);

class Context {
public:
  // writing: record expected results in resultsDir/expected; otherwise
  // compare with them and keep what differs in resultsDir/actual.
  Context(bool writing, const std::string& resultsDir) : writing_(writing), dir_(resultsDir) {}

  void BeginScenario(const std::string& name);
  void EndScenario();

  // An assertion of both runs; the message is printf-style.
  bool Check(bool ok, const char* format, ...) WINHOST_PRINTF(3, 4);
  // Observations compared between the two runs, named within the scenario.
  // The window's client area, read back through BitBlt and GetDIBits.
  void ExpectImage(const std::string& name, HWND window);
  void ExpectBytes(const std::string& name, const std::vector<uint8_t>& bytes);
  void ExpectText(const std::string& name, const std::string& text);

  int Passed() const { return passed_; }
  int Failed() const { return failed_; }

private:
  std::string ArtifactPath(const char* kind, const std::string& file) const;
  void Expect(const std::string& file, const std::vector<uint8_t>& bytes);
  bool writing_;
  std::string dir_;
  std::string scenario_;
  std::vector<std::string> failures_;
  int passed_ = 0;
  int failed_ = 0;
};

// printf into a std::string.
std::string Format(const char* format, ...) WINHOST_PRINTF(1, 2);
// The library's last error as the host reads it: "result \"text\"".
std::string LastError();

// A visible WS_POPUP window of a white class whose procedure forwards every
// message to TAVIMG_OnMessage with the window's record (and what the library
// does not handle to DefWindowProc). Destroying it unloads the record.
const int kWindowWidth = 240, kWindowHeight = 180;
struct HostWindow {
  HostWindow();
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // Delivers what is pending: posted messages, then the paint of whatever
  // is invalid.
  void Pump();
  // A mouse message at (x, y), sent to the window procedure as the system
  // sends it; with pointer set (Windows only) the pointer is moved and the
  // buttons pressed through the system's input, which then delivers its own
  // messages.
  void Mouse(UINT message, int x, int y, WPARAM keys = 0);

  const HWND handle;
  ImgStruct* record = nullptr;
  bool pointer = false;
};

// Opens the picture into window with TAVIMG_LoadPicture and
// viewtest::RecordNotification (a check of context), keeps the record in the
// window and delivers the paints.
ImgStruct* Show(Context& context, HostWindow& window, const TestPicture& picture, DWORD mode);

std::vector<uint8_t> ReadFile(const std::string& path);

// ---- Scenarios ----
typedef std::function<void(Context&)> ScenarioFunction;
// Registers a scenario; returns true, so that a file registers its own as it
// initialises a variable.
bool RegisterScenario(const std::string& name, ScenarioFunction function);

// Runs the scenarios whose names contain filter (all when empty) in the
// current directory, which holds the pictures; prints one line per scenario
// and "N passed, N failed". Returns the number of failed scenarios.
int RunScenarios(Context& context, const std::string& filter);

} // namespace winhost

#endif
