// A host as the DLL's real hosts are built: 32-bit, Microsoft's C++ ABI
// (clang --target=i686-pc-windows-msvc), with a CString class of its own laid
// out, shared and allocated as MFC 4.2's, whose copy constructor and
// destructor make the compiler pass it by value the Microsoft way: the
// caller copies it into the argument slot, the callee destroys it.
// Built with cmake/toolchain-clang-msvc-i686.cmake: mingw's Windows and C
// headers, the public header with TAVIMG_HOST_CSTRING, no C runtime startup
// (the entry point is HostMain); msvcrt.dll gives malloc, free and stdio as it
// does to MFC42.DLL.
// Checks the strings at the boundary (TAVIMG_GetLastError,
// FILE_DRF2TIFF_Hotspots) block header by block header, the files written,
// and the host callback. (How the library shares, reuses and releases a
// string's block is the mfc suite's.)
// Usage: tavoimg_msabi_host.exe PICTURES-DIR EXPECTED-TIFF
// (PICTURES-DIR holds drive-unit.drf and .tif; EXPECTED-TIFF is what
// converting it writes). Ends with "N passed, N failed".

#include <windows.h>

#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern "C" __declspec(dllimport) int __cdecl __getmainargs(int* argc, char*** argv, char*** env, int wildcards,
                                                           int* startInfo);

// ---------------------------------------------------------------- CString
// MFC 4.2's: the object is the pointer to the characters, with the block's
// header in the 12 bytes before them. Blocks for up to 64, 128, 256 or 512
// characters come from pools (here arrays of this program, not the heap,
// so a block the DLL wrongly frees or hands back shows), longer ones from
// msvcrt's malloc. The empty string is one shared block with nRefs -1.

struct CStringData {
  LONG nRefs;
  int nDataLength;
  int nAllocLength;
  char* data() { return reinterpret_cast<char*>(this + 1); }
};

namespace {

struct EmptyBlock {
  CStringData header;
  char text[4];
} g_empty = {{-1, 0, 0}, {0}};

struct PoolBlock {
  CStringData header;
  char text[513];
  bool used;
};
PoolBlock g_pool[24];

bool IsPoolBlock(const CStringData* data) {
  return data >= &g_pool[0].header && data <= &g_pool[23].header;
}

CStringData* AllocBuffer(int length) {
  if (length <= 512) {
    for (PoolBlock& block : g_pool) {
      if (!block.used) {
        block.used = true;
        block.header.nAllocLength = length <= 64 ? 64 : length <= 128 ? 128 : length <= 256 ? 256 : 512;
        block.header.nRefs = 1;
        block.header.nDataLength = length;
        block.text[length] = 0;
        return &block.header;
      }
    }
    return nullptr;
  }
  CStringData* data = static_cast<CStringData*>(malloc(sizeof(CStringData) + length + 1));
  data->nRefs = 1;
  data->nDataLength = data->nAllocLength = length;
  data->data()[length] = 0;
  return data;
}

void FreeData(CStringData* data) {
  if (IsPoolBlock(data))
    reinterpret_cast<PoolBlock*>(data)->used = false;
  else
    free(data);
}

} // namespace

class CString {
public:
  CString() : m_pchData(g_empty.text) {}
  CString(const char* text) : m_pchData(g_empty.text) { *this = text; }
  CString(const CString& other) : m_pchData(g_empty.text) {
    if (other.GetData()->nRefs >= 0) {
      m_pchData = other.m_pchData;
      InterlockedIncrement(&GetData()->nRefs);
    } else {
      *this = other.m_pchData;
    }
  }
  ~CString() { Release(); }

  CString& operator=(const char* text) {
    int length = (int)strlen(text);
    if (GetData()->nRefs != 1 || length > GetData()->nAllocLength) {
      Release();
      if (length == 0)
        return *this;
      m_pchData = AllocBuffer(length)->data();
    }
    memcpy(m_pchData, text, length + 1);
    GetData()->nDataLength = length;
    return *this;
  }
  operator const char*() const { return m_pchData; }
  CStringData* GetData() const { return reinterpret_cast<CStringData*>(m_pchData) - 1; }

private:
  void Release() {
    if (GetData() != &g_empty.header) {
      if (InterlockedDecrement(&GetData()->nRefs) <= 0)
        FreeData(GetData());
      m_pchData = g_empty.text;
    }
  }
  char* m_pchData;
};

// ------------------------------------------------------ the DLL's exports
// The public header, told that the CString above is the host's own: by value
// it is passed as this compiler passes it, the one pointer.
#define TAVIMG_HOST_CSTRING
#include <tavoimg/tavoimg.h>

typedef TAVIMG_NOTIFYPROC NotifyProc;

namespace {

const DWORD kFileDrf = 3;
const UINT kCurrentHotspotNameOffset = 947; // in the record, with 4-byte pointers

int g_passed = 0;
int g_failed = 0;

// (Every line is flushed at once: a crash must not take the earlier ones.)
bool Check(bool ok, const char* name, const char* what) {
  if (!ok) {
    printf("FAIL %s: %s\n", name, what);
    fflush(nullptr);
  }
  return ok;
}
void Report(bool ok, const char* name) {
  if (ok)
    printf("PASS %s\n", name);
  fflush(nullptr);
  ++(ok ? g_passed : g_failed);
}

// A block the DLL made and handed over: held once by one string, the text's
// length, room for it, not of a pool size, and from msvcrt's heap.
bool HandedOver(const CString& s, const char* text, const char* name) {
  const CStringData* data = s.GetData();
  const int room = data->nAllocLength;
  bool ok = Check(strcmp(s, text) == 0, name, "wrong text");
  ok &= Check(data->nRefs == 1 && data->nDataLength == (int)strlen(text) && room >= data->nDataLength, name,
              "wrong header");
  ok &= Check(room != 64 && room != 128 && room != 256 && room != 512, name, "a block of a pool size");
  ok &= Check(!IsPoolBlock(data) && data != &g_empty.header &&
                  _msize(const_cast<CStringData*>(data)) >= sizeof(CStringData) + room + 1,
              name, "not a block of msvcrt's heap");
  return ok;
}

// The error text handed into the host's empty string: a block of its own
// from msvcrt's heap, the shared empty string left as it was.
void CheckLastError(HWND window) {
  TAVIMG_ShowErrorMessages(0);
  ImgStruct* none = TAVIMG_OpenImage(window, 0, nullptr, "", "missing.drf", 1, kFileDrf, 0);
  CString text;
  bool ok = Check(none == nullptr && TAVIMG_GetLastError(&text) == -5, "lasterror", "wrong result");
  ok &= HandedOver(text, "Unable to open DRF file", "lasterror");
  ok &= Check(g_empty.header.nRefs == -1 && g_empty.header.nDataLength == 0 && g_empty.text[0] == 0, "lasterror",
              "the empty string was written");
  Report(ok, "lasterror");
}

bool SameFile(const char* path, const char* expected, const char* name) {
  static char a[1 << 20], b[1 << 20];
  size_t na = 0, nb = 0;
  if (FILE* f = fopen(path, "rb")) {
    na = fread(a, 1, sizeof a, f);
    fclose(f);
  }
  if (FILE* f = fopen(expected, "rb")) {
    nb = fread(b, 1, sizeof b, f);
    fclose(f);
  }
  return Check(na > 0 && na == nb && na < sizeof a && memcmp(a, b, na) == 0, name,
               "the file differs from the expected one");
}

void CheckConversion(ImgStruct* record, const char* expected) {
  CString named("msabi-named.tif");
  remove(named);
  bool ok = Check(FILE_DRF2TIFF_Hotspots(0, record, named) == 1, "drf2tiff/named", "the conversion failed");
  ok &= Check(named.GetData()->nRefs == 1, "drf2tiff/named", "nRefs is not back to 1");
  ok &= SameFile(named, expected, "drf2tiff/named");
  ok &= Check(FILE_DRF2TIFF_Hotspots(0, nullptr, named) == 0 && named.GetData()->nRefs == 1, "drf2tiff/named",
              "a failed call did not release its copy");
  Report(ok, "drf2tiff/named");

  // The temporary's block is a pool block: released by the DLL it stays
  // where it is, nRefs 0 (MFC42.DLL would put it back into its pool).
  remove("msabi-temporary.tif");
  PoolBlock* next = nullptr;
  for (PoolBlock& block : g_pool)
    if (!block.used && next == nullptr)
      next = &block;
  ok = Check(FILE_DRF2TIFF_Hotspots(0, record, CString("msabi-temporary.tif")) == 1, "drf2tiff/temporary",
             "the conversion failed");
  ok &= Check(next != nullptr && next->header.nRefs == 0 && strcmp(next->text, "msabi-temporary.tif") == 0,
              "drf2tiff/temporary", "the temporary was not released once");
  ok &= SameFile("msabi-temporary.tif", expected, "drf2tiff/temporary");
  Report(ok, "drf2tiff/temporary");
}

// The host's window: its procedure hands every message to the DLL once the
// record is known.
ImgStruct* g_record = nullptr;

// ---- The host callback: what reaches it, and whether the host's own state
// survives each call. A DLL that calls a cdecl callback as stdcall returns
// with its stack 12 bytes off; built with optimisation, the host keeps its
// locals in registers and addresses them from the stack pointer, so a moved
// stack shows.
const UINT kRightButtonDown = 0x0204, kLeftButtonDoubleClick = 0x0203;
int g_calls = 0, g_wrongCalls = 0;
UINT g_sentMessage = 0;

void NoteCall(DWORD zero, UINT message, char* hotspotName) {
  g_calls++;
  if (zero != 0 || message != g_sentMessage || hotspotName != (char*)g_record + kCurrentHotspotNameOffset)
    g_wrongCalls++;
}
void __stdcall StdcallCallback(DWORD zero, UINT message, char* hotspotName) {
  NoteCall(zero, message, hotspotName);
}
void __cdecl CdeclCallback(DWORD zero, UINT message, char* hotspotName) {
  NoteCall(zero, message, hotspotName);
}

void CheckCallback(HWND window, NotifyProc callback, const char* name) {
  g_record = TAVIMG_OpenImage(window, 0, callback, "drive-unit.tif", "drive-unit.drf", 1, kFileDrf, 0);
  if (!Check(g_record != nullptr, name, "drive-unit.drf does not open")) {
    Report(false, name);
    return;
  }
  g_calls = g_wrongCalls = 0;
  DWORD sum = 0, mix = 0x12345678u, expectedMix = 0x12345678u;
  const char* const label = name;
  for (int i = 0; i < 1000; i++) {
    g_sentMessage = (i & 1) ? kLeftButtonDoubleClick : kRightButtonDown;
    SendMessageA(window, g_sentMessage, 0, 0);
    sum += (DWORD)i;
    mix = mix * 33u + (DWORD)i;
  }
  for (int i = 0; i < 1000; i++)
    expectedMix = expectedMix * 33u + (DWORD)i;
  bool ok = Check(g_calls == 1000, name, "not every message reached the callback");
  ok &= Check(g_wrongCalls == 0, name, "the callback got wrong arguments");
  ok &= Check(sum == 499500u && mix == expectedMix && label == name, name, "the host's locals changed");
  TAVIMG_UnloadPicture(window, g_record);
  g_record = nullptr;
  Report(ok, name);
}

LRESULT __stdcall WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_record != nullptr)
    TAVIMG_OnMessage(window, message, wParam, lParam, g_record);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHostWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TavoIMG MS-ABI host";
  RegisterClassA(&windowClass);
  const DWORD kPopup = 0x80000000u;
  return CreateWindowExA(0, windowClass.lpszClassName, "", kPopup, 0, 0, 400, 300, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

} // namespace

extern "C" int HostMain() {
  int argc = 0, startInfo = 0;
  char** argv = nullptr;
  char** env = nullptr;
  __getmainargs(&argc, &argv, &env, 0, &startInfo);
  if (argc < 3) {
    printf("usage: tavoimg_msabi_host.exe PICTURES-DIR EXPECTED-TIFF\n");
    exit(2);
  }
  if (!SetCurrentDirectoryA(argv[1])) {
    printf("cannot enter %s\n", argv[1]);
    exit(2);
  }
  HWND window = CreateHostWindow();
  CheckLastError(window);
  ImgStruct* record = TAVIMG_OpenImage(window, 0, nullptr, "drive-unit.tif", "drive-unit.drf", 1, kFileDrf, 0);
  if (Check(record != nullptr, "drf2tiff", "drive-unit.drf does not open"))
    CheckConversion(record, argv[2]);
  else
    g_failed++;
  TAVIMG_UnloadPicture(window, record);
  CheckCallback(window, StdcallCallback, "callback/stdcall");
  // The DLL's type says stdcall; this host hands it a cdecl function.
  CheckCallback(window, reinterpret_cast<NotifyProc>(reinterpret_cast<void*>(CdeclCallback)), "callback/cdecl");
  DestroyWindow(window);

  printf("%d passed, %d failed\n", g_passed, g_failed);
  exit(g_failed == 0 ? 0 : 1);
  return 0;
}
