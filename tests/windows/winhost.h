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
#if defined(__MINGW32__)
#  define WINHOST_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#elif defined(__GNUC__)
#  define WINHOST_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#  define WINHOST_PRINTF(f, a)
#endif

namespace winhost {

// A window's client area as 0x00RRGGBB pixels, top row first.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[(size_t)y * width + x]; }
};

class Context {
public:
  // writing: record expected results in resultsDir/expected; otherwise
  // compare with them and keep what differs in resultsDir/actual.
  Context(bool writing, const std::string& resultsDir);

  bool Writing() const { return writing_; }
  void BeginScenario(const std::string& name);
  bool EndScenario(); // true when the scenario passed

  // An assertion of both runs; the message is printf-style.
  bool Check(bool ok, const char* format, ...) WINHOST_PRINTF(3, 4);
  // Observations compared between the two runs, named within the scenario.
  void ExpectImage(const std::string& name, const Image& image);
  void ExpectBytes(const std::string& name, const std::vector<uint8_t>& bytes);
  void ExpectText(const std::string& name, const std::string& text);

  int Passed() const { return passed_; }
  int Failed() const { return failed_; }

private:
  std::string ArtifactPath(const std::string& kind, const std::string& name, const char* extension) const;
  void Fail(const std::string& message);
  void NoteKnown(const std::string& what);
  bool writing_;
  std::string dir_;
  std::string scenario_;
  std::vector<std::string> failures_;
  std::vector<std::string> notes_; // known differences met
  int passed_ = 0;
  int failed_ = 0;
};

// printf into a std::string.
std::string Format(const char* format, ...) WINHOST_PRINTF(1, 2);

// ---- Windows of the host ----

// Messages the library passed to the host callback: message number and the
// hotspot name it was given.
struct Notification {
  UINT message;
  std::string name;
};
std::vector<Notification>& Notifications();
// Every message the host windows received in this scenario, one line each.
std::vector<std::string>& MessageLog();
void CALLBACK NotifyHost(DWORD zero, UINT message, char* name);

// A WS_POPUP window whose procedure forwards every message to
// TAVIMG_OnMessage with the record set by SetRecord (before that, and for
// what the library does not handle, to DefWindowProc). The class background
// is white. Destroyed (and the record unloaded) with the object.
class HostWindow {
public:
  HostWindow(int width, int height);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND Handle() const { return window_; }
  ImgStruct* Record() const { return record_; }
  void SetRecord(ImgStruct* record);

  // TAVIMG_OpenImage with this window and NotifyHost; the record is kept.
  ImgStruct* Open(const char* tiffPath, const char* drfPath, DWORD displayMode, DWORD fileType);

  // Delivers what is pending: posted messages, then the paint of whatever
  // is invalid.
  void Pump();
  // Mouse input. By default the messages are sent to the window procedure,
  // as the system sends them; with UsePointer (Windows only) the pointer is
  // moved and the buttons pressed through the system's input, which then
  // delivers its own messages.
  void UsePointer(bool on) { pointer_ = on; }
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
  void MouseMove(int x, int y, WPARAM keys = 0);
  void LeftDown(int x, int y);
  void LeftUp(int x, int y);
  void RightDown(int x, int y);
  void Scroll(int bar, int code, int position = 0);

  // The client area read back through BitBlt and GetDIBits.
  Image Capture() const;

private:
  void Button(UINT message, WPARAM keys, int x, int y);
  HWND window_ = nullptr;
  ImgStruct* record_ = nullptr;
  bool pointer_ = false;
};

// Moves the pointer out of the way of the test windows (Windows only): the
// system sends a window a mouse move of its own where the pointer is
// whenever the window under it or the capture changes.
void ParkPointer();

// ---- Files ----
std::vector<uint8_t> ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// ---- Scenarios ----
typedef std::function<void(Context&)> ScenarioFunction;
void RegisterScenario(const std::string& name, ScenarioFunction function);
struct ScenarioRegistration {
  ScenarioRegistration(const char* name, void (*function)(Context&)) { RegisterScenario(name, function); }
};
#define WINHOST_SCENARIO(id, name)                                                                                     \
  static void Scenario_##id(winhost::Context& context);                                                                \
  static winhost::ScenarioRegistration Registration_##id(name, Scenario_##id);                                         \
  static void Scenario_##id(winhost::Context& context)

// Runs the scenarios whose names contain filter (all when empty) in the
// current directory, which holds the pictures; prints one line per scenario
// and "N passed, N failed". Returns the number of failed scenarios.
int RunScenarios(Context& context, const std::string& filter);

} // namespace winhost

#endif
