// Modules and their resources: module handles are the load addresses of the
// shared objects (or of the program), and each module's string table and
// cursors are what RegisterModuleResources recorded for it. Also the cursor
// state of USER32 (current cursor, display count).
#include <windows.h>

#include "internal.h"
#include "tavwin_module.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/auxv.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace tavwin::detail {

uintptr_t NewHandleValue() {
  static uintptr_t next = 0x10000;
  next += 4;
  return next;
}

} // namespace tavwin::detail

namespace {

struct Cursor {
  HINSTANCE module;
  UINT id;
  int width, height, hotX, hotY;
  std::vector<unsigned char> andMask, xorMask;
};

struct Resources {
  std::map<std::pair<HINSTANCE, UINT>, std::string> strings;
  std::map<std::pair<HINSTANCE, UINT>, HCURSOR> cursorByName;
  std::map<HCURSOR, Cursor> cursors;
  HCURSOR current = nullptr;
  int showCount = 0;
};

Resources& resources() {
  static Resources r;
  return r;
}

HINSTANCE baseOf(const void* address) {
  Dl_info info{};
  if (!address || !dladdr(address, &info))
    return nullptr;
  return static_cast<HINSTANCE>(info.dli_fbase);
}

HINSTANCE mainProgram() {
  return baseOf(reinterpret_cast<const void*>(getauxval(AT_PHDR)));
}

// "TavoIMG", "TavoIMG.dll", "libfoo.so" all name the file by its stem,
// compared without regard to case as module names are.
std::string moduleStem(const char* path) {
  const char* base = std::strrchr(path, '/');
  std::string stem = base ? base + 1 : path;
  if (stem.compare(0, 3, "lib") == 0)
    stem.erase(0, 3);
  stem = stem.substr(0, stem.find('.'));
  for (char& c : stem)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return stem;
}

struct ModuleSearch {
  std::string stem;
  HINSTANCE found;
};

int matchModule(dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<ModuleSearch*>(data);
  if (!info->dlpi_name || !*info->dlpi_name || moduleStem(info->dlpi_name) != search->stem)
    return 0;
  search->found = reinterpret_cast<HINSTANCE>(info->dlpi_addr);
  return 1;
}

HCURSOR newCursor(const Cursor& cursor) {
  auto handle = reinterpret_cast<HCURSOR>(tavwin::detail::NewHandleValue());
  resources().cursors[handle] = cursor;
  return handle;
}

// The system cursors (IDC_ARROW and friends) as shared cursors of no module.
HCURSOR systemCursor(UINT id) {
  auto& byName = resources().cursorByName;
  auto key = std::make_pair(HINSTANCE(nullptr), id);
  auto it = byName.find(key);
  if (it != byName.end())
    return it->second;
  if (id < 32512 || id > 32651)
    return nullptr;
  return byName[key] = newCursor(Cursor{nullptr, id, 32, 32, 0, 0, {}, {}});
}

} // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  if (!name)
    return mainProgram();
  ModuleSearch search{moduleStem(name), nullptr};
  dl_iterate_phdr(matchModule, &search);
  if (search.found || search.stem != moduleStem(program_invocation_name))
    return search.found;
  return mainProgram();
}

namespace tavwin {

HINSTANCE ModuleOf(const void* address) {
  return baseOf(address);
}

void RegisterModuleResources(HINSTANCE instance, const StringResource* strings, int stringCount,
                             const CursorResource* cursors, int cursorCount) {
  Resources& r = resources();
  for (int i = 0; strings && i < stringCount; ++i)
    r.strings[{instance, strings[i].id}] = strings[i].text ? strings[i].text : "";
  for (int i = 0; cursors && i < cursorCount; ++i) {
    const CursorResource& c = cursors[i];
    if (c.width <= 0 || c.height <= 0 || c.width > 256 || c.height > 256)
      continue;
    size_t maskBytes = static_cast<size_t>((c.width + 15) / 16 * 2) * c.height;
    Cursor cursor{instance, c.id, c.width, c.height, c.hotX, c.hotY, {}, {}};
    if (c.andMask)
      cursor.andMask.assign(c.andMask, c.andMask + maskBytes);
    if (c.xorMask)
      cursor.xorMask.assign(c.xorMask, c.xorMask + maskBytes);
    auto key = std::make_pair(instance, c.id);
    auto old = r.cursorByName.find(key);
    if (old != r.cursorByName.end())
      r.cursors[old->second] = cursor;
    else
      r.cursorByName[key] = newCursor(cursor);
  }
}

} // namespace tavwin

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  if (!buffer || bufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!instance)
    instance = mainProgram();
  auto& strings = resources().strings;
  auto it = strings.find({instance, id});
  if (it == strings.end()) {
    buffer[0] = '\0';
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  lstrcpynA(buffer, it->second.c_str(), bufferMax);
  return lstrlenA(buffer);
}

// Cursors are shared: loading the same resource again gives the same handle.
// Only numbered resources exist here; a named cursor is not found.
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (!IS_INTRESOURCE(name)) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
  if (!instance)
    return systemCursor(id);
  auto& byName = resources().cursorByName;
  auto it = byName.find({instance, id});
  if (it == byName.end()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return it->second;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  Resources& r = resources();
  if (cursor && !r.cursors.count(cursor)) {
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return nullptr;
  }
  HCURSOR previous = r.current;
  r.current = cursor;
  return previous;
}

HCURSOR WINAPI GetCursor(void) {
  return resources().current;
}

int WINAPI ShowCursor(BOOL show) {
  return show ? ++resources().showCount : --resources().showCount;
}
