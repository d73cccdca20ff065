// The test host's frame: expected results, comparisons, host windows, and
// its entry:
//   Linux:   tavoimg_winexpected DIR [FILTER]  copies the samples to DIR/pictures, records DIR/expected
//   Windows: tavoimg_winhost.exe DIR [FILTER]  compares with DIR/expected, keeps differences in DIR/actual
// FILTER runs only the scenarios whose names contain it.
#include "winhost.h"

#include <host_window.h>

#include <afx.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace winhost {

namespace {
std::string FormatArguments(const char* format, va_list args) {
  char buffer[2048];
  vsnprintf(buffer, sizeof buffer, format, args);
  return buffer;
}
} // namespace

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatArguments(format, args);
  va_end(args);
  return text;
}

std::string LastError() {
  CString text;
  LONG result = TAVIMG_GetLastError(&text);
  return Format("%ld \"%s\"", (long)result, (const char*)text);
}

const TestPicture& PictureById(const char* id) {
  for (const TestPicture& picture : kPictures)
    if (strcmp(picture.id, id) == 0)
      return picture;
  return kPictures[0];
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
  return (bool)out;
}

} // namespace

// ---------------------------------------------------------------- context

void Context::BeginScenario(const std::string& name) {
  scenario_ = name;
  failures_.clear();
}

void Context::EndScenario() {
  ++(failures_.empty() ? passed_ : failed_);
  printf("%s %s\n", failures_.empty() ? "PASS" : "FAIL", scenario_.c_str());
  for (const std::string& failure : failures_)
    printf("  %s\n", failure.c_str());
  fflush(stdout);
}

bool Context::Check(bool ok, const char* format, ...) {
  if (!ok) {
    va_list args;
    va_start(args, format);
    failures_.push_back(FormatArguments(format, args));
    va_end(args);
  }
  return ok;
}

std::string Context::ArtifactPath(const char* kind, const std::string& file) const {
  return (fs::path(dir_) / kind / scenario_ / file).make_preferred().string();
}

// Records bytes as the expected result of file (Linux run), or compares them
// with it (Windows run): when they differ, keeps them in actual/ and notes
// where they first differ.
void Context::Expect(const std::string& file, const std::vector<uint8_t>& bytes) {
  const std::string expectedPath = ArtifactPath("expected", file);
  if (writing_) {
    Check(WriteFile(expectedPath, bytes), "cannot write %s", expectedPath.c_str());
    return;
  }
  const std::vector<uint8_t> expected = ReadFile(expectedPath);
  if (expected == bytes)
    return;
  const std::string actualPath = ArtifactPath("actual", file);
  WriteFile(actualPath, bytes);
  const size_t common = std::min(expected.size(), bytes.size());
  const auto first = std::mismatch(bytes.begin(), bytes.begin() + common, expected.begin()).first;
  failures_.push_back(Format("%s: %zu bytes, expected %zu; the first difference at offset %zu, line %zu (%s)",
                             file.c_str(), bytes.size(), expected.size(), (size_t)(first - bytes.begin()),
                             (size_t)std::count(bytes.begin(), first, '\n') + 1, actualPath.c_str()));
}

// Images are kept as binary PPM files, so that they can be looked at.
void Context::ExpectImage(const std::string& name, HWND window) {
  int width = 0, height = 0;
  const std::vector<uint32_t> pixels = host::ReadClientPixels(window, &width, &height);
  const std::string header = Format("P6\n%d %d\n255\n", width, height);
  std::vector<uint8_t> ppm(header.begin(), header.end());
  for (uint32_t p : pixels)
    ppm.insert(ppm.end(), {(uint8_t)(p >> 16), (uint8_t)(p >> 8), (uint8_t)p});
  Expect(name + ".ppm", ppm);
}

void Context::ExpectBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
  Expect(name + ".bin", bytes);
}

void Context::ExpectText(const std::string& name, const std::string& text) {
  Expect(name + ".txt", std::vector<uint8_t>(text.begin(), text.end()));
}

// ---------------------------------------------------------------- windows

namespace {

const char kClassName[] = "TavoIMGTestHost";

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ImgStruct* record = (ImgStruct*)GetWindowLongPtrA(window, GWLP_USERDATA);
  if (record != nullptr && TAVIMG_OnMessage(window, message, wParam, lParam, record) != 0)
    return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHostWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = HostProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = kClassName;
    registered = RegisterClassA(&wc) != 0;
  }
  return CreateWindowExA(0, kClassName, "TavoIMG test", WS_POPUP | WS_VISIBLE, 0, 0, kWindowWidth, kWindowHeight,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Moves the pointer out of the way of the test windows (Windows only): the
// system sends a window a mouse move of its own where the pointer is
// whenever the window under it or the capture changes.
void ParkPointer() {
#ifdef _WIN32
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
#endif
}

} // namespace

HostWindow::HostWindow() : handle(CreateHostWindow()) {}

HostWindow::~HostWindow() {
  if (pointer)
    ParkPointer();
  // Frees the window's slot also when an opening failed and the host never
  // got the record.
  ImgStruct* held = record != nullptr ? record : TAVIMG_GetImgStruct(handle);
  if (held != nullptr)
    TAVIMG_UnloadPicture(handle, held);
  if (handle != nullptr && IsWindow(handle)) {
    SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
    DestroyWindow(handle);
  }
}

ImgStruct* Show(Context& context, HostWindow& window, const TestPicture& picture, DWORD mode) {
  ImgStruct* opened = TAVIMG_LoadPicture(window.handle, 0, viewtest::RecordNotification, picture.tiff, picture.drf,
                                         mode, picture.fileType, 0);
  if (!context.Check(opened != nullptr, "%s%s does not load in display mode %lu: %s", picture.tiff, picture.drf,
                     (unsigned long)mode, LastError().c_str()))
    return nullptr;
  window.record = opened;
  SetWindowLongPtrA(window.handle, GWLP_USERDATA, (LONG_PTR)opened);
  window.Pump();
  return opened;
}

void HostWindow::Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (IsWindow(handle))
    UpdateWindow(handle);
}

void HostWindow::Mouse(UINT message, int x, int y, WPARAM keys) {
#ifdef _WIN32
  if (pointer) {
    POINT p = {x, y};
    ClientToScreen(handle, &p);
    SetCursorPos(p.x, p.y); // the system sends the move, with the buttons that are down
    Pump();
    if (message == WM_MOUSEMOVE)
      return;
    INPUT input;
    memset(&input, 0, sizeof input);
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = message == WM_LBUTTONDOWN ? MOUSEEVENTF_LEFTDOWN
                       : message == WM_LBUTTONUP ? MOUSEEVENTF_LEFTUP
                                                 : MOUSEEVENTF_RIGHTDOWN;
    SendInput(1, &input, sizeof input);
    Pump();
    return;
  }
#endif
  SendMessageA(handle, message, keys, MAKELPARAM(x, y));
}

// -------------------------------------------------------------- scenarios

namespace {
std::map<std::string, ScenarioFunction>& Scenarios() {
  static std::map<std::string, ScenarioFunction> scenarios;
  return scenarios;
}
} // namespace

bool RegisterScenario(const std::string& name, ScenarioFunction function) {
  Scenarios()[name] = function;
  return true;
}

int RunScenarios(Context& context, const std::string& filter) {
  for (const auto& scenario : Scenarios()) {
    if (!filter.empty() && scenario.first.find(filter) == std::string::npos)
      continue;
    context.BeginScenario(scenario.first);
    TAVIMG_ShowErrorMessages(0); // a message box would wait for a click
    viewtest::Notifications().clear();
    scenario.second(context);
    context.EndScenario();
  }
  printf("%d passed, %d failed\n", context.Passed(), context.Failed());
  fflush(stdout);
  return context.Failed();
}

} // namespace winhost

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s RESULTS-DIR [FILTER]\n", argv[0]);
    return 2;
  }
  std::string dir = argv[1];
#ifdef _WIN32
  // Under Wine a Unix path is reached through drive Z:.
  if (!dir.empty() && dir[0] == '/')
    dir = "Z:" + dir;
  const bool writing = false;
#else
  const bool writing = true;
#endif
  std::error_code error;
  const fs::path root = fs::absolute(fs::path(dir).make_preferred(), error);
  fs::remove_all(root / (writing ? "expected" : "actual"), error);
  fs::create_directories(root / "pictures", error);

  winhost::Context context(writing, root.string());
#ifndef _WIN32
  for (const auto& entry : fs::directory_iterator(TAV_SOURCE_DIR "/samples", error))
    if (entry.path().extension() == ".drf" || entry.path().extension() == ".tif")
      fs::copy_file(entry.path(), root / "pictures" / entry.path().filename(), fs::copy_options::overwrite_existing);
#endif
  winhost::ParkPointer();
  fs::current_path(root / "pictures", error);
  if (error) {
    fprintf(stderr, "cannot enter %s/pictures: %s\n", root.string().c_str(), error.message().c_str());
    return 2;
  }
  return winhost::RunScenarios(context, argc > 2 ? argv[2] : "") == 0 ? 0 : 1;
}
