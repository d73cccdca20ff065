// Reads a running TavoView's state through its controls, as an accessibility
// tool would, and prints it as key=value lines:
//   viewer_inspect.exe state      title, status bar parts, info line, rows,
//                                 selected rows, picture and frame rectangles
//   viewer_inspect.exe row N      screen point in the middle of row N
//   viewer_inspect.exe box        waits for a message box of the viewer,
//                                 prints its caption and text, presses OK
// Waits up to ten seconds for the viewer's window; exits 1 without it.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Must match the viewer's identifiers.
const char kFrameClass[] = "TavoViewFrame";
enum { kIdPicture = 100, kIdHotspotList = 101, kIdInfoLine = 102, kIdStatusBar = 103 };

std::string TextOf(HWND window) {
  char text[512] = "";
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

// A buffer in the viewer's process, for the messages whose answer is
// written through a pointer (they are not carried across processes).
class RemoteBuffer {
public:
  RemoteBuffer(HWND window, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_)
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_)
      VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_)
      CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
  bool Write(const void* data, size_t size) const {
    return address_ && WriteProcessMemory(process_, address_, data, size, nullptr);
  }
  bool Read(void* data, size_t size) const {
    return address_ && size <= size_ && ReadProcessMemory(process_, address_, data, size, nullptr);
  }

private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_;
};

void PrintRect(const char* key, HWND window, bool client) {
  RECT r{};
  if (client) {
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  } else {
    GetWindowRect(window, &r);
  }
  std::printf("%s=%ld,%ld,%ld,%ld\n", key, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void PrintState(HWND frame) {
  std::printf("title=%s\n", TextOf(frame).c_str());
  HWND status = GetDlgItem(frame, kIdStatusBar);
  // WM_GETTEXT gives the first part; the others through a shared buffer.
  std::printf("status0=%s\n", TextOf(status).c_str());
  RemoteBuffer text(status, 256);
  for (int part = 1; part < 3; ++part) {
    char buffer[256] = "";
    text.Write(buffer, sizeof buffer);
    SendMessageA(status, SB_GETTEXTA, part, text.Address());
    text.Read(buffer, sizeof buffer);
    buffer[sizeof buffer - 1] = 0;
    std::printf("status%d=%s\n", part, buffer);
  }
  std::printf("info=%s\n", TextOf(GetDlgItem(frame, kIdInfoLine)).c_str());
  HWND list = GetDlgItem(frame, kIdHotspotList);
  std::printf("rows=%ld\n", static_cast<long>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
  std::string selected;
  for (LRESULT row = -1; (row = SendMessageA(list, LVM_GETNEXTITEM, row, LVNI_SELECTED)) != -1;)
    selected += (selected.empty() ? "" : ",") + std::to_string(row);
  std::printf("selected=%s\n", selected.c_str());
  HWND picture = GetDlgItem(frame, kIdPicture);
  if (picture) {
    PrintRect("picture", picture, true);
    PrintRect("picture-window", picture, false);
  }
  PrintRect("frame", frame, false);
}

int PrintRow(HWND frame, int row) {
  HWND list = GetDlgItem(frame, kIdHotspotList);
  RemoteBuffer buffer(list, sizeof(RECT));
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  if (!buffer.Write(&r, sizeof r) || !SendMessageA(list, LVM_GETITEMRECT, row, buffer.Address()) ||
      !buffer.Read(&r, sizeof r))
    return 1;
  POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(list, &middle);
  std::printf("row=%ld,%ld\n", middle.x, middle.y);
  return 0;
}

struct BoxSearch {
  DWORD pid;
  HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<BoxSearch*>(lParam);
  char name[16] = "";
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  GetClassNameA(window, name, sizeof name);
  if (pid == search->pid && std::strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

int CloseBox(HWND frame) {
  BoxSearch search{0, nullptr};
  GetWindowThreadProcessId(frame, &search.pid);
  for (int i = 0; i < 100 && !search.box; ++i) {
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (!search.box)
      Sleep(100);
  }
  if (!search.box) {
    std::printf("box=none\n");
    return 1;
  }
  std::printf("box-caption=%s\n", TextOf(search.box).c_str());
  // A message box's text is its static control 0xFFFF; line ends are shown
  // as spaces.
  std::string text = TextOf(GetDlgItem(search.box, 0xFFFF));
  for (char& c : text)
    if (c == '\r' || c == '\n')
      c = ' ';
  std::printf("box-text=%s\n", text.c_str());
  PostMessageA(search.box, WM_COMMAND, IDOK, 0);
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  HWND frame = nullptr;
  for (int i = 0; i < 100 && !frame; ++i) {
    frame = FindWindowA(kFrameClass, nullptr);
    if (!frame)
      Sleep(100);
  }
  if (!frame || argc < 2) {
    std::printf("viewer=none\n");
    return 1;
  }
  std::string command = argv[1];
  if (command == "state") {
    PrintState(frame);
  } else if (command == "row" && argc > 2) {
    return PrintRow(frame, std::atoi(argv[2]));
  } else if (command == "box") {
    return CloseBox(frame);
  } else {
    std::printf("usage: viewer_inspect state | row N | box\n");
    return 2;
  }
  return 0;
}
