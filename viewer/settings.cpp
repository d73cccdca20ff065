// What the viewer remembers between runs, under
// HKEY_CURRENT_USER\Software\TavoIMG\TavoView: the window's place and size
// (Left, Top, Width, Height, Maximized) and the recent files (Recent1 to
// Recent4, newest first, each with the companion TIFF chosen for it in
// Recent1Tiff to Recent4Tiff).
#include "viewer.h"

#include <cstdio>

namespace tavoview {

namespace {

constexpr char kKey[] = "Software\\TavoIMG\\TavoView";

class SettingsKey {
public:
  explicit SettingsKey(bool write) {
    LONG status = write ? RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key_, nullptr)
                        : RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key_);
    if (status != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~SettingsKey() {
    if (key_)
      RegCloseKey(key_);
  }
  SettingsKey(const SettingsKey&) = delete;
  SettingsKey& operator=(const SettingsKey&) = delete;

  bool ReadNumber(const char* name, LONG& value) const {
    DWORD data = 0, size = sizeof data, type = 0;
    if (!key_ || RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
      return false;
    value = static_cast<LONG>(data);
    return true;
  }
  std::wstring ReadText(const char* name) const {
    wchar_t text[1024] = L"";
    DWORD size = sizeof text - sizeof(wchar_t), type = 0;
    if (!key_ ||
        RegQueryValueExW(key_, Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
      return L"";
    text[size / sizeof(wchar_t)] = 0;
    return text;
  }
  void WriteNumber(const char* name, LONG value) const {
    DWORD data = static_cast<DWORD>(value);
    if (key_)
      RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  }
  void WriteText(const char* name, const std::wstring& text) const {
    if (key_)
      RegSetValueExW(key_, Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void Delete(const char* name) const {
    if (key_)
      RegDeleteValueA(key_, name);
  }

private:
  HKEY key_ = nullptr;
};

void RecentName(int i, char (&name)[16], const char* suffix = "") {
  std::snprintf(name, sizeof name, "Recent%d%s", i + 1, suffix);
}

} // namespace

Placement LoadPlacement() {
  SettingsKey key(false);
  Placement placement;
  LONG left = 0, top = 0, width = 0, height = 0, maximized = 0;
  placement.valid = key.ReadNumber("Left", left) && key.ReadNumber("Top", top) && key.ReadNumber("Width", width) &&
                    key.ReadNumber("Height", height) && width >= 200 && height >= 150 && width <= 16384 &&
                    height <= 16384;
  key.ReadNumber("Maximized", maximized);
  placement.normal = {left, top, left + width, top + height};
  placement.maximized = maximized != 0;
  return placement;
}

void SavePlacement(HWND frame) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(frame, &wp))
    return;
  SettingsKey key(true);
  const RECT& r = wp.rcNormalPosition;
  key.WriteNumber("Left", r.left);
  key.WriteNumber("Top", r.top);
  key.WriteNumber("Width", r.right - r.left);
  key.WriteNumber("Height", r.bottom - r.top);
  key.WriteNumber("Maximized", wp.showCmd == SW_SHOWMAXIMIZED ? 1 : 0);
}

std::vector<RecentFile> LoadRecentFiles() {
  SettingsKey key(false);
  std::vector<RecentFile> files;
  for (int i = 0; i < kRecentCount; ++i) {
    char name[16], tiff[16];
    RecentName(i, name);
    RecentName(i, tiff, "Tiff");
    RecentFile file{key.ReadText(name), key.ReadText(tiff)};
    if (!file.path.empty())
      files.push_back(file);
  }
  return files;
}

void SaveRecentFiles(const std::vector<RecentFile>& files) {
  SettingsKey key(true);
  for (int i = 0; i < kRecentCount; ++i) {
    char name[16], tiff[16];
    RecentName(i, name);
    RecentName(i, tiff, "Tiff");
    bool kept = i < static_cast<int>(files.size());
    if (kept)
      key.WriteText(name, files[i].path);
    else
      key.Delete(name);
    if (kept && !files[i].tiff.empty())
      key.WriteText(tiff, files[i].tiff);
    else
      key.Delete(tiff);
  }
}

} // namespace tavoview
