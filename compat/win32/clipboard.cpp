// The clipboard. Data placed with SetClipboardData belongs to the clipboard
// from then on: it is freed when replaced or emptied (GlobalFree for memory
// formats, DeleteObject for CF_BITMAP). Every call but
// IsClipboardFormatAvailable needs the clipboard opened by OpenClipboard.
#include "internal.h"
#include "tavwin_test.h"

#include <map>

using namespace tavwin::detail;

namespace {

struct Clipboard {
  bool open = false;
  HWND opener = nullptr;
  std::map<UINT, HANDLE> formats;
  bool heldElsewhere = false, failEmpty = false, failSet = false;
};

Clipboard& clipboard() {
  static Clipboard c;
  return c;
}

void freeData(UINT format, HANDLE data) {
  if (format == CF_BITMAP)
    DeleteObject(data);
  else
    GlobalFree(data);
}

bool requireOpen() {
  if (!clipboard().open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return false;
  }
  return true;
}

} // namespace

BOOL WINAPI OpenClipboard(HWND owner) {
  Clipboard& c = clipboard();
  if (owner && !FindWindowRecord(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (c.heldElsewhere || (c.open && c.opener != owner)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  c.open = true;
  c.opener = owner;
  return TRUE;
}

BOOL WINAPI CloseClipboard(void) {
  if (!requireOpen())
    return FALSE;
  clipboard().open = false;
  clipboard().opener = nullptr;
  return TRUE;
}

BOOL WINAPI EmptyClipboard(void) {
  Clipboard& c = clipboard();
  if (!requireOpen())
    return FALSE;
  if (c.failEmpty) {
    c.failEmpty = false;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  auto formats = std::move(c.formats);
  c.formats.clear();
  for (auto& [format, data] : formats)
    freeData(format, data);
  return TRUE;
}

HANDLE WINAPI SetClipboardData(UINT format, HANDLE data) {
  Clipboard& c = clipboard();
  if (!requireOpen())
    return nullptr;
  bool valid = format == CF_BITMAP ? FindObjectOf<BitmapObject>(data, OBJ_BITMAP) != nullptr
                                   : GlobalFlags(data) != GMEM_INVALID_HANDLE;
  if (c.failSet || !valid || format == 0) {
    c.failSet = false;
    SetLastError(valid ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto it = c.formats.find(format);
  if (it != c.formats.end() && it->second != data)
    freeData(format, it->second);
  c.formats[format] = data;
  return data;
}

HANDLE WINAPI GetClipboardData(UINT format) {
  if (!requireOpen())
    return nullptr;
  auto& formats = clipboard().formats;
  auto it = formats.find(format);
  return it == formats.end() ? nullptr : it->second;
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
  return clipboard().formats.count(format) != 0;
}

namespace tavwin {

void HoldClipboard(bool held) {
  clipboard().heldElsewhere = held;
}
void FailEmptyClipboard(bool fail) {
  clipboard().failEmpty = fail;
}
void FailSetClipboardData(bool fail) {
  clipboard().failSet = fail;
}

} // namespace tavwin
