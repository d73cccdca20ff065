// Paths: the viewer keeps them in UTF-16, as Windows names files; the module
// takes 8-bit paths in the ANSI code page, so it is handed the long path
// where that fits the code page, else the short (8.3) one.
#include "viewer.h"

#include <algorithm>

namespace tavoview {

namespace {

// The ANSI form of text when every character has one.
bool ToAnsi(const std::wstring& text, std::string& ansi) {
  if (text.empty()) {
    ansi.clear();
    return true;
  }
  // UTF-8 as the ANSI code page takes every character; best-fit and
  // replacement flags are not allowed for it.
  bool utf8 = GetACP() == CP_UTF8;
  BOOL replaced = FALSE;
  DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int size = WideCharToMultiByte(CP_ACP, flags, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                 utf8 ? nullptr : &replaced);
  if (size <= 0 || replaced)
    return false;
  ansi.assign(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, flags, text.c_str(), static_cast<int>(text.size()), &ansi[0], size, nullptr,
                      utf8 ? nullptr : &replaced);
  return !replaced;
}

} // namespace

std::wstring Widen(const std::string& ansi) {
  if (ansi.empty())
    return L"";
  int size = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
  if (size > 0)
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), &wide[0], size);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty())
    return "";
  int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(std::max(size, 0)), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &ansi[0], size, nullptr, nullptr);
  return ansi;
}

std::wstring FileName(const std::wstring& path) {
  size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring Folder(const std::wstring& path) {
  size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::wstring FullPath(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0)
    return path;
  std::wstring full(size, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size)
    return path;
  full.resize(length);
  return full;
}

bool ModulePath(const std::wstring& path, std::string& ansi, std::wstring& why) {
  // The module keeps paths in fields of MAX_PATH characters.
  if (ToAnsi(path, ansi) && ansi.size() < MAX_PATH)
    return true;
  DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  std::wstring shortPath(size, L'\0');
  if (size > 0) {
    DWORD length = GetShortPathNameW(path.c_str(), &shortPath[0], size);
    shortPath.resize(length < size ? length : 0);
  }
  if (!shortPath.empty() && ToAnsi(shortPath, ansi) && ansi.size() < MAX_PATH)
    return true;
  ansi.clear();
  why = L"Its path has characters outside this system's ANSI code page (" + std::to_wstring(GetACP()) +
        L") or is longer than " + std::to_wstring(MAX_PATH - 1) +
        L" characters, and the drive keeps no short (8.3) name for it. Rename the file or its folder, or copy it to "
        L"a folder with a plain name.";
  return false;
}

std::vector<std::wstring> PicturesInFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      continue;
    std::wstring name = found.cFileName;
    size_t dot = name.find_last_of(L'.');
    std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot);
    for (const wchar_t* known : {L".drf", L".tif", L".tiff"}) {
      if (lstrcmpiW(extension.c_str(), known) == 0)
        names.push_back(folder + L"\\" + name);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
  return names;
}

} // namespace tavoview
