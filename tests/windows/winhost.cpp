// The test host's frame: expected results, comparisons, host windows.
#include "winhost.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

namespace fs = std::filesystem;

namespace winhost {

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char buffer[2048];
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

// ------------------------------------------------------------------ files

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
  return (bool)out;
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back((uint8_t)value);
  out.push_back((uint8_t)(value >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
uint32_t Get32(const std::vector<uint8_t>& in, size_t at) {
  return in[at] | (in[at + 1] << 8) | (in[at + 2] << 16) | ((uint32_t)in[at + 3] << 24);
}

// Images are kept as 24-bit bottom-up BMP files, so that they can be looked at.
std::vector<uint8_t> EncodeBmp(const Image& image) {
  const uint32_t stride = ((uint32_t)image.width * 3 + 3) & ~3u;
  const uint32_t bitsSize = stride * (uint32_t)image.height;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + bitsSize);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, (uint32_t)image.width);
  Put32(out, (uint32_t)image.height);
  Put16(out, 1);
  Put16(out, 24);
  for (int i = 0; i < 6; ++i)
    Put32(out, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    size_t rowStart = out.size();
    for (int x = 0; x < image.width; ++x) {
      uint32_t p = image.At(x, y);
      out.push_back((uint8_t)p);
      out.push_back((uint8_t)(p >> 8));
      out.push_back((uint8_t)(p >> 16));
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

bool DecodeBmp(const std::vector<uint8_t>& in, Image& image) {
  if (in.size() < 54 || in[0] != 'B' || in[1] != 'M' || Get32(in, 14) != 40)
    return false;
  image.width = (int)Get32(in, 18);
  image.height = (int)Get32(in, 22);
  const size_t stride = ((size_t)image.width * 3 + 3) & ~(size_t)3;
  const size_t offset = Get32(in, 10);
  if (image.width <= 0 || image.height <= 0 || in[28] != 24 || offset + stride * image.height > in.size())
    return false;
  image.pixels.assign((size_t)image.width * image.height, 0);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = &in[offset + stride * (image.height - 1 - y)];
    for (int x = 0; x < image.width; ++x)
      image.pixels[(size_t)y * image.width + x] = row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
  }
  return true;
}

// Every differing pixel, as runs along a row of pixels that differ in the
// same way: "y=12 x=30..79: expected 000000, got ffffff".
std::vector<std::string> PixelDifferences(const Image& expected, const Image& actual, size_t& count) {
  std::vector<std::string> lines;
  count = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width;) {
      uint32_t e = expected.At(x, y), a = actual.At(x, y);
      if (e == a) {
        ++x;
        continue;
      }
      int end = x + 1;
      while (end < expected.width && expected.At(end, y) == e && actual.At(end, y) == a)
        ++end;
      count += (size_t)(end - x);
      if (end - x == 1)
        lines.push_back(Format("y=%d x=%d: expected %06x, got %06x", y, x, e, a));
      else
        lines.push_back(Format("y=%d x=%d..%d: expected %06x, got %06x", y, x, end - 1, e, a));
      x = end;
    }
  }
  return lines;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

const size_t kShownDifferences = 24; // lines on the console; the .diff.txt file has them all

// Differences between Windows and the Linux stand-in that are understood
// and recorded in docs/decisions.md ("Windows builds"); a text line that
// differs only in such a way does not fail a scenario.
struct KnownDifference {
  const char* what;
  std::regex expected; // the Linux line
  std::regex actual;   // the Windows line
};

const KnownDifference* FindKnownDifference(const std::string& expected, const std::string& actual) {
  // None at present; an entry names the difference and the two lines.
  static const std::vector<KnownDifference> known;
  for (const KnownDifference& k : known) {
    std::smatch e, a;
    if (std::regex_match(expected, e, k.expected) && std::regex_match(actual, a, k.actual) && e[1] == a[1])
      return &k;
  }
  return nullptr;
}

} // namespace

// ---------------------------------------------------------------- context

Context::Context(bool writing, const std::string& resultsDir) : writing_(writing), dir_(resultsDir) {}

void Context::BeginScenario(const std::string& name) {
  scenario_ = name;
  failures_.clear();
  notes_.clear();
  MessageLog().clear();
}

bool Context::EndScenario() {
  bool ok = failures_.empty();
  // The messages the host windows received, kept (not compared) to explain
  // differences: messages-linux/ and messages-windows/.
  std::string all;
  for (const std::string& line : MessageLog())
    all += line + "\n";
  WriteFile(ArtifactPath(writing_ ? "messages-linux" : "messages-windows", "messages", ".log"),
            std::vector<uint8_t>(all.begin(), all.end()));
  MessageLog().clear();
  if (ok) {
    ++passed_;
    printf("PASS %s\n", scenario_.c_str());
  } else {
    ++failed_;
    printf("FAIL %s\n", scenario_.c_str());
    for (const std::string& failure : failures_)
      printf("  %s\n", failure.c_str());
  }
  for (const std::string& note : notes_)
    printf("  known difference: %s\n", note.c_str());
  fflush(stdout);
  return ok;
}

void Context::Fail(const std::string& message) {
  failures_.push_back(message);
}

bool Context::Check(bool ok, const char* format, ...) {
  if (!ok) {
    va_list args;
    va_start(args, format);
    char buffer[2048];
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    Fail(buffer);
  }
  return ok;
}

std::string Context::ArtifactPath(const std::string& kind, const std::string& name, const char* extension) const {
  return (fs::path(dir_) / kind / scenario_ / (name + extension)).make_preferred().string();
}

void Context::ExpectImage(const std::string& name, const Image& image) {
  MessageLog().push_back("--- image " + name);
  const std::string expectedPath = ArtifactPath("expected", name, ".bmp");
  if (writing_) {
    Check(WriteFile(expectedPath, EncodeBmp(image)), "cannot write %s", expectedPath.c_str());
    return;
  }
  Image expected;
  if (!DecodeBmp(ReadFile(expectedPath), expected)) {
    Fail(Format("image %s: no expected image %s", name.c_str(), expectedPath.c_str()));
    return;
  }
  const std::string actualPath = ArtifactPath("actual", name, ".bmp");
  if (expected.width != image.width || expected.height != image.height) {
    WriteFile(actualPath, EncodeBmp(image));
    Fail(Format("image %s: size %dx%d, expected %dx%d (%s)", name.c_str(), image.width, image.height, expected.width,
                expected.height, actualPath.c_str()));
    return;
  }
  size_t count = 0;
  std::vector<std::string> lines = PixelDifferences(expected, image, count);
  if (lines.empty())
    return;
  WriteFile(actualPath, EncodeBmp(image));
  std::string all;
  for (const std::string& line : lines)
    all += line + "\n";
  const std::string diffPath = ArtifactPath("actual", name, ".diff.txt");
  WriteFile(diffPath, std::vector<uint8_t>(all.begin(), all.end()));
  Fail(Format("image %s: %zu pixels differ (%s, all differences in %s)", name.c_str(), count, actualPath.c_str(),
              diffPath.c_str()));
  for (size_t i = 0; i < lines.size() && i < kShownDifferences; ++i)
    Fail("  " + lines[i]);
  if (lines.size() > kShownDifferences)
    Fail(Format("  ... %zu more runs", lines.size() - kShownDifferences));
}

void Context::ExpectBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string expectedPath = ArtifactPath("expected", name, ".bin");
  if (writing_) {
    Check(WriteFile(expectedPath, bytes), "cannot write %s", expectedPath.c_str());
    return;
  }
  std::vector<uint8_t> expected = ReadFile(expectedPath);
  if (expected == bytes)
    return;
  const std::string actualPath = ArtifactPath("actual", name, ".bin");
  WriteFile(actualPath, bytes);
  std::vector<std::string> lines;
  size_t count = 0;
  for (size_t i = 0; i < expected.size() || i < bytes.size(); ++i) {
    int e = i < expected.size() ? expected[i] : -1, a = i < bytes.size() ? bytes[i] : -1;
    if (e == a)
      continue;
    ++count;
    if (lines.size() < kShownDifferences)
      lines.push_back(Format("  offset %zu: expected %s, got %s", i, e < 0 ? "(end)" : Format("%02x", e).c_str(),
                             a < 0 ? "(end)" : Format("%02x", a).c_str()));
  }
  Fail(Format("bytes %s: %zu bytes, expected %zu; %zu differ (%s)", name.c_str(), bytes.size(), expected.size(), count,
              actualPath.c_str()));
  for (const std::string& line : lines)
    Fail(line);
}

void Context::ExpectText(const std::string& name, const std::string& text) {
  const std::string expectedPath = ArtifactPath("expected", name, ".txt");
  if (writing_) {
    Check(WriteFile(expectedPath, std::vector<uint8_t>(text.begin(), text.end())), "cannot write %s",
          expectedPath.c_str());
    return;
  }
  std::vector<uint8_t> bytes = ReadFile(expectedPath);
  std::string expected(bytes.begin(), bytes.end());
  if (expected == text)
    return;
  std::vector<std::string> e = SplitLines(expected), a = SplitLines(text), differences;
  for (size_t i = 0; i < e.size() || i < a.size(); ++i) {
    const std::string el = i < e.size() ? e[i] : "(none)", al = i < a.size() ? a[i] : "(none)";
    if (el == al)
      continue;
    if (const KnownDifference* known = FindKnownDifference(el, al))
      NoteKnown(known->what);
    else
      differences.push_back(Format("  line %zu: expected \"%s\", got \"%s\"", i + 1, el.c_str(), al.c_str()));
  }
  if (differences.empty())
    return;
  const std::string actualPath = ArtifactPath("actual", name, ".txt");
  WriteFile(actualPath, std::vector<uint8_t>(text.begin(), text.end()));
  Fail(Format("text %s differs (%s):", name.c_str(), actualPath.c_str()));
  for (const std::string& line : differences)
    Fail(line);
}

void Context::NoteKnown(const std::string& what) {
  for (const std::string& note : notes_)
    if (note == what)
      return;
  notes_.push_back(what);
}

// ---------------------------------------------------------------- windows

std::vector<std::string>& MessageLog() {
  static std::vector<std::string> log;
  return log;
}

std::vector<Notification>& Notifications() {
  static std::vector<Notification> log;
  return log;
}

void CALLBACK NotifyHost(DWORD, UINT message, char* name) {
  Notifications().push_back({message, name != nullptr ? name : "(null)"});
}

namespace {

const char kClassName[] = "TavoIMGTestHost";

const char* MessageName(UINT message) {
  switch (message) {
  case WM_CREATE:
    return "WM_CREATE";
  case WM_DESTROY:
    return "WM_DESTROY";
  case WM_MOVE:
    return "WM_MOVE";
  case WM_SIZE:
    return "WM_SIZE";
  case WM_PAINT:
    return "WM_PAINT";
  case WM_ERASEBKGND:
    return "WM_ERASEBKGND";
  case WM_SHOWWINDOW:
    return "WM_SHOWWINDOW";
  case WM_SETCURSOR:
    return "WM_SETCURSOR";
  case WM_HSCROLL:
    return "WM_HSCROLL";
  case WM_VSCROLL:
    return "WM_VSCROLL";
  case WM_MOUSEMOVE:
    return "WM_MOUSEMOVE";
  case WM_LBUTTONDOWN:
    return "WM_LBUTTONDOWN";
  case WM_LBUTTONUP:
    return "WM_LBUTTONUP";
  case WM_RBUTTONDOWN:
    return "WM_RBUTTONDOWN";
  case WM_RBUTTONUP:
    return "WM_RBUTTONUP";
  case WM_CAPTURECHANGED:
    return "WM_CAPTURECHANGED";
  case WM_PALETTECHANGED:
    return "WM_PALETTECHANGED";
  default:
    return "";
  }
}

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ImgStruct* record = (ImgStruct*)GetWindowLongPtrA(window, GWLP_USERDATA);
  MessageLog().push_back(Format("%p %04x %s %llx %llx%s", (void*)window, message, MessageName(message),
                                (unsigned long long)wParam, (unsigned long long)lParam,
                                record != nullptr ? "" : " (no record)"));
  if (record != nullptr && TAVIMG_OnMessage(window, message, wParam, lParam, record) != 0)
    return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterHostClass() {
  static bool registered = false;
  if (registered)
    return;
  WNDCLASSA wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = HostProcedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = kClassName;
  registered = RegisterClassA(&wc) != 0;
}

} // namespace

HostWindow::HostWindow(int width, int height) {
  RegisterHostClass();
  window_ = CreateWindowExA(0, kClassName, "TavoIMG test", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

HostWindow::~HostWindow() {
  if (pointer_)
    ParkPointer();
  // Frees the window's slot also when an opening failed and the host never
  // got the record.
  ImgStruct* record = record_ != nullptr ? record_ : TAVIMG_GetImgStruct(window_);
  if (record != nullptr)
    TAVIMG_UnloadPicture(window_, record);
  if (window_ != nullptr && IsWindow(window_)) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void ParkPointer() {
#ifdef _WIN32
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
#endif
}

void HostWindow::SetRecord(ImgStruct* record) {
  record_ = record;
  SetWindowLongPtrA(window_, GWLP_USERDATA, (LONG_PTR)record);
}

ImgStruct* HostWindow::Open(const char* tiffPath, const char* drfPath, DWORD displayMode, DWORD fileType) {
  ImgStruct* record = TAVIMG_OpenImage(window_, 0, NotifyHost, tiffPath, drfPath, displayMode, fileType, 0);
  if (record != nullptr)
    SetRecord(record);
  return record;
}

void HostWindow::Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (IsWindow(window_))
    UpdateWindow(window_);
}

LRESULT HostWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(window_, message, wParam, lParam);
}
void HostWindow::MouseMove(int x, int y, WPARAM keys) {
#ifdef _WIN32
  if (pointer_) {
    POINT p = {x, y};
    ClientToScreen(window_, &p);
    SetCursorPos(p.x, p.y); // the system sends the move, with the buttons that are down
    Pump();
    return;
  }
#endif
  Send(WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
}

void HostWindow::Button(UINT message, WPARAM keys, int x, int y) {
#ifdef _WIN32
  if (pointer_) {
    MouseMove(x, y);
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
  Send(message, keys, MAKELPARAM(x, y));
}

void HostWindow::LeftDown(int x, int y) {
  Button(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
}
void HostWindow::LeftUp(int x, int y) {
  Button(WM_LBUTTONUP, 0, x, y);
}
void HostWindow::RightDown(int x, int y) {
  Button(WM_RBUTTONDOWN, MK_RBUTTON, x, y);
}
void HostWindow::Scroll(int bar, int code, int position) {
  Send(bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, position), 0);
}

Image HostWindow::Capture() const {
  Image image;
  RECT client = {0, 0, 0, 0};
  if (!IsWindow(window_) || !GetClientRect(window_, &client) || client.right <= 0 || client.bottom <= 0)
    return image;
  const int w = client.right, h = client.bottom;
  HDC windowDC = GetDC(window_);
  HDC memoryDC = CreateCompatibleDC(windowDC);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDC, w, h);
  HGDIOBJ previous = SelectObject(memoryDC, bitmap);
  BitBlt(memoryDC, 0, 0, w, h, windowDC, 0, 0, SRCCOPY);
  SelectObject(memoryDC, previous);

  BITMAPINFO info;
  memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h; // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> rows((size_t)w * h, 0);
  if (GetDIBits(memoryDC, bitmap, 0, (UINT)h, rows.data(), &info, DIB_RGB_COLORS) == h) {
    image.width = w;
    image.height = h;
    image.pixels.resize(rows.size());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        image.pixels[(size_t)y * w + x] = rows[(size_t)(h - 1 - y) * w + x] & 0xFFFFFF;
  }
  DeleteObject(bitmap);
  DeleteDC(memoryDC);
  ReleaseDC(window_, windowDC);
  return image;
}

// -------------------------------------------------------------- scenarios

namespace {
std::map<std::string, ScenarioFunction>& Scenarios() {
  static std::map<std::string, ScenarioFunction> scenarios;
  return scenarios;
}
} // namespace

void RegisterScenario(const std::string& name, ScenarioFunction function) {
  Scenarios()[name] = function;
}

int RunScenarios(Context& context, const std::string& filter) {
  for (const auto& scenario : Scenarios()) {
    if (!filter.empty() && scenario.first.find(filter) == std::string::npos)
      continue;
    context.BeginScenario(scenario.first);
    TAVIMG_ShowErrorMessages(0); // a message box would wait for a click
    Notifications().clear();
    scenario.second(context);
    context.EndScenario();
  }
  printf("%d passed, %d failed\n", context.Passed(), context.Failed());
  fflush(stdout);
  return context.Failed();
}

} // namespace winhost
