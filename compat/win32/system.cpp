// Error codes, time, system metrics and message boxes.
#include <windows.h>

#include "tavwin_test.h"

#include <chrono>
#include <thread>

namespace {

thread_local DWORD lastError = 0;

std::vector<tavwin::MessageBoxRecord>& messageBoxes() {
  static std::vector<tavwin::MessageBoxRecord> log;
  return log;
}

} // namespace

DWORD WINAPI GetLastError(void) {
  return lastError;
}
void WINAPI SetLastError(DWORD code) {
  lastError = code;
}

void WINAPI Sleep(DWORD ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

DWORD WINAPI GetTickCount(void) {
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

// The metrics of a plain desktop at 96 dpi with the classic frame sizes, so
// that an overlapped window of 200x150 has a client area of 192x123.
int WINAPI GetSystemMetrics(int index) {
  switch (index) {
  case SM_CXSCREEN:
    return 1024;
  case SM_CYSCREEN:
    return 768;
  case SM_CXVSCROLL:
  case SM_CYHSCROLL:
    return 17;
  case SM_CYCAPTION:
    return 19;
  case SM_CXBORDER:
  case SM_CYBORDER:
    return 1;
  case SM_CXFRAME:
  case SM_CYFRAME:
    return 4;
  default:
    return 0;
  }
}

// No user to answer: the box is recorded and "closed" with its only button.
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  messageBoxes().push_back({text ? text : "", caption ? caption : "Error", type});
  return IDOK;
}

namespace tavwin {

const std::vector<MessageBoxRecord>& MessageBoxLog() {
  return messageBoxes();
}
void ClearMessageBoxLog() {
  messageBoxes().clear();
}

} // namespace tavwin
