// Drives a TavoView session from outside, as an accessibility tool would:
// starts the viewer (or regedit, for its settings) and reads its state
// through its controls. Runs in the same Wine session as the viewer (one
// wineserver), so the test starts this program once and talks to it:
//   viewer_inspect.exe ANSWERS
// reads one command a line from standard input and writes the answer to
// command N (from 1) as ANSWERS/N.txt, key=value lines, made whole at once.
// Commands: start PROGRAM [ARGS...]; state (title, status bar parts, info
// line, rows, selected rows, the row under the mouse, display mode, view,
// picture and frame rects, the picture's scroll bars as position, page,
// maximum); row N (the screen point in the middle of row N); box (waits for
// a message box of the viewer, gives its text, presses OK); field (waits for
// a file dialog of the viewer: its title and the middle of its file name
// field); drop PATH (drops the file, a Windows path in UTF-8, on the frame);
// exit (waits for the program started to end: its status); quit.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// Must match the viewer's identifiers.
const char kFrameClass[] = "TavoViewFrame";
enum { kIdPicture = 100, kIdHotspotList = 101, kIdInfoLine = 102, kIdStatusBar = 103, kIdView = 104 };

PROCESS_INFORMATION g_viewer{};

// A window's text in UTF-8.
std::string TextOf(HWND window) {
  wchar_t text[512] = L"";
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  char utf8[2048] = "";
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  return utf8;
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
    return address_ && size <= size_ && WriteProcessMemory(process_, address_, data, size, nullptr);
  }
  bool Read(void* data, size_t size) const {
    return address_ && size <= size_ && ReadProcessMemory(process_, address_, data, size, nullptr);
  }

private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_;
};

HWND FindFrame() {
  for (int i = 0; i < 100; ++i) {
    if (HWND frame = FindWindowA(kFrameClass, nullptr))
      return frame;
    Sleep(100);
  }
  return nullptr;
}

void PutRect(std::ostream& out, const char* key, HWND window, bool client) {
  RECT r{};
  if (client) {
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  } else {
    GetWindowRect(window, &r);
  }
  out << key << '=' << r.left << ',' << r.top << ',' << r.right - r.left << ',' << r.bottom - r.top << '\n';
}

// A value the viewer keeps as a property of its frame (plus one; 0: none).
long Published(HWND frame, const std::string& name) {
  return static_cast<long>(reinterpret_cast<INT_PTR>(GetPropA(frame, ("TavoView." + name).c_str()))) - 1;
}

// A scroll bar of the picture (the viewer reads it in its own process):
// position, page and maximum.
void PutBar(std::ostream& out, const char* key, HWND frame, const char* bar) {
  long position = Published(frame, std::string(bar) + "Pos");
  if (position < 0)
    out << key << "=none\n";
  else
    out << key << '=' << position << ',' << Published(frame, std::string(bar) + "Page") << ','
        << Published(frame, std::string(bar) + "Max") << '\n';
}

void PutState(std::ostream& out, HWND frame) {
  out << "title=" << TextOf(frame) << '\n';
  HWND status = GetDlgItem(frame, kIdStatusBar);
  // WM_GETTEXT gives the first part; the others through a shared buffer.
  out << "status0=" << TextOf(status) << '\n';
  RemoteBuffer text(status, 256);
  for (int part = 1; part < 3; ++part) {
    char buffer[256] = "";
    text.Write(buffer, sizeof buffer);
    SendMessageA(status, SB_GETTEXTA, part, text.Address());
    text.Read(buffer, sizeof buffer);
    buffer[sizeof buffer - 1] = 0;
    out << "status" << part << '=' << buffer << '\n';
  }
  out << "info=" << TextOf(GetDlgItem(frame, kIdInfoLine)) << '\n';
  HWND list = GetDlgItem(frame, kIdHotspotList);
  out << "rows=" << SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) << '\n';
  std::string selected;
  for (LRESULT row = -1; (row = SendMessageA(list, LVM_GETNEXTITEM, row, LVNI_SELECTED)) != -1;)
    selected += (selected.empty() ? "" : ",") + std::to_string(row);
  out << "selected=" << selected << '\n';
  out << "hover=" << SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_DROPHILITED) << '\n';
  out << "mode=" << Published(frame, "Mode") << '\n';
  HWND view = GetDlgItem(frame, kIdView);
  PutRect(out, "view", view, true);
  if (HWND picture = GetDlgItem(view, kIdPicture)) {
    PutRect(out, "picture", picture, true);
    PutRect(out, "picture-window", picture, false);
    PutBar(out, "vbar", frame, "V");
    PutBar(out, "hbar", frame, "H");
  }
  PutRect(out, "frame", frame, false);
}

void PutRow(std::ostream& out, HWND frame, int row) {
  HWND list = GetDlgItem(frame, kIdHotspotList);
  RemoteBuffer buffer(list, sizeof(RECT));
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  if (!buffer.Write(&r, sizeof r) || !SendMessageA(list, LVM_GETITEMRECT, row, buffer.Address()) ||
      !buffer.Read(&r, sizeof r)) {
    out << "row=none\n";
    return;
  }
  POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(list, &middle);
  out << "row=" << middle.x << ',' << middle.y << '\n';
}

BOOL CALLBACK FindBox(HWND window, LPARAM lParam) {
  char name[16] = "";
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  GetClassNameA(window, name, sizeof name);
  if (pid == g_viewer.dwProcessId && std::strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(lParam) = window;
    return FALSE;
  }
  return TRUE;
}

// A dialog of the viewer (message box, file dialog), waited for up to 10 s.
HWND FindDialog() {
  HWND box = nullptr;
  for (int i = 0; i < 100 && !box; ++i) {
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box)
      Sleep(100);
  }
  return box;
}

// The file dialog's title and the screen point in the middle of its file
// name field (the combo box cmb13, or the edit field edt1).
void PutField(std::ostream& out) {
  HWND dialog = FindDialog();
  HWND field = dialog ? GetDlgItem(dialog, 0x47c) : nullptr;
  if (dialog && !field)
    field = GetDlgItem(dialog, 0x480);
  if (!field) {
    out << "field=none\n";
    return;
  }
  RECT r{};
  GetWindowRect(field, &r);
  out << "dialog=" << TextOf(dialog) << '\n';
  out << "field=" << (r.left + r.right) / 2 << ',' << (r.top + r.bottom) / 2 << '\n';
}

void PutBox(std::ostream& out) {
  HWND box = FindDialog();
  if (!box) {
    out << "box=none\n";
    return;
  }
  // A message box's text is its static control 0xFFFF.
  std::string text = TextOf(GetDlgItem(box, 0xFFFF));
  for (char& c : text)
    if (c == '\r' || c == '\n')
      c = ' ';
  out << "box-text=" << text << '\n';
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// A file dropped on the frame: the drop's block is made in the viewer's
// process, where the frame reads it.
bool Drop(HWND frame, const std::string& path) {
  wchar_t wide[MAX_PATH * 2] = L"";
  int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide, MAX_PATH * 2);
  if (length <= 0)
    return false;
  std::string block(sizeof(DROPFILES) + (static_cast<size_t>(length) + 1) * sizeof(wchar_t), '\0');
  DROPFILES files{};
  files.pFiles = sizeof files;
  files.fWide = TRUE;
  std::memcpy(&block[0], &files, sizeof files);
  std::memcpy(&block[sizeof files], wide, static_cast<size_t>(length) * sizeof(wchar_t));
  // The block stays with the viewer, which lets it go when it is done.
  RemoteBuffer* remote = new RemoteBuffer(frame, block.size());
  bool written = remote->Write(block.data(), block.size());
  if (written)
    PostMessageA(frame, WM_DROPFILES, static_cast<WPARAM>(remote->Address()), 0);
  return written;
}

// ---- Commands.

void Run(const std::string& line, std::ostream& out) {
  std::istringstream words(line);
  std::string command;
  words >> command;
  std::string rest;
  std::getline(words >> std::ws, rest);
  if (command == "start") {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = rest;
    out << (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &g_viewer)
                ? "started=1\n"
                : "started=0\n");
  } else if (command == "exit") {
    DWORD status = STILL_ACTIVE;
    if (g_viewer.hProcess && WaitForSingleObject(g_viewer.hProcess, 10000) == WAIT_OBJECT_0)
      GetExitCodeProcess(g_viewer.hProcess, &status);
    out << "exit=" << (status == STILL_ACTIVE ? std::string("running") : std::to_string(status)) << '\n';
  } else if (command == "box") {
    PutBox(out);
  } else if (command == "field") {
    PutField(out);
  } else if (HWND frame = FindFrame()) {
    if (command == "state")
      PutState(out, frame);
    else if (command == "drop")
      out << "dropped=" << (Drop(frame, rest) ? 1 : 0) << '\n';
    else if (command == "row")
      PutRow(out, frame, std::atoi(rest.c_str()));
    else
      out << "error=unknown command " << command << '\n';
  } else {
    out << "viewer=none\n";
  }
}

// The answer appears whole: written aside, then renamed.
void Answer(const std::string& folder, int number, const std::string& text) {
  std::string path = folder + "\\" + std::to_string(number) + ".txt";
  std::string temporary = path + ".part";
  if (FILE* f = std::fopen(temporary.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: viewer_inspect ANSWERS  (commands on standard input)\n");
    return 2;
  }
  std::string line;
  for (int number = 1; std::getline(std::cin, line); ++number) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line == "quit")
      break;
    std::ostringstream out;
    Run(line, out);
    Answer(argv[1], number, out.str());
  }
  if (g_viewer.hProcess) {
    TerminateProcess(g_viewer.hProcess, 1);
    CloseHandle(g_viewer.hProcess);
    CloseHandle(g_viewer.hThread);
  }
  return 0;
}
