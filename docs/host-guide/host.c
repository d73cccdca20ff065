/* A minimal TavoIMG host in C: one window that shows a DRF picture (fitted
   through its companion TIFF when one is given), follows the window's size,
   marks a hotspot, reports what the library passes back, reads errors and
   unloads. It first does what a user would (make the window larger, double-click
   a hotspot) and prints what it sees; then it runs its message loop until the
   window is closed, or ends at once when started with --exit. A picture that
   cannot be opened ends it with the library's error code.

   Usage: host [--exit] PICTURE.drf [COMPANION.tif]
   Exit status 0 when every step did what it should, 1 otherwise. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <tavoimg/tavoimg.h>

static ImgStruct* g_record;    /* the picture record of the window, null until loaded */
static UINT g_lastMessage;     /* the last message that reached the callback */
static char g_lastHotspot[32]; /* and the hotspot under the mouse at that time */
static int g_failures;

static void Check(int ok, const char* what) {
  printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  if (!ok)
    ++g_failures;
}

/* Every message the library does not handle itself (a double click, a right
   button press, ...) comes here with the name of the active hotspot under the
   mouse ("" for none). The result is not used. */
static void CALLBACK OnPictureMessage(DWORD zero, UINT message, char* hotspotName) {
  (void)zero;
  g_lastMessage = message;
  lstrcpynA(g_lastHotspot, hotspotName, sizeof g_lastHotspot);
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (g_record) {
    /* The library measures the window at the first paint only: when the
       window itself is resized, lay the picture out again for the new size.
       Scroll bars shown for a zoom shrink only the client area and send
       WM_SIZE too; that one goes to the library, which keeps the zoom. */
    if (message == WM_SIZE && wParam != SIZE_MINIMIZED) {
      static LONG fittedWidth, fittedHeight;
      RECT outer;
      GetWindowRect(window, &outer);
      if (outer.right - outer.left != fittedWidth || outer.bottom - outer.top != fittedHeight) {
        fittedWidth = outer.right - outer.left;
        fittedHeight = outer.bottom - outer.top;
        TAVIMG_DisplayPicture(window, g_record, g_record->DisplayMode);
        return 0;
      }
    }
    if (TAVIMG_OnMessage(window, message, wParam, lParam, g_record))
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

/* Gives a string block back to the allocator it came from: msvcrt.dll's free
   on Windows, whatever C runtime the host itself uses; the C library's on
   Linux. */
static void FreeStringBlock(void* block) {
#ifdef _WIN32
  typedef void(__cdecl * FreeFunction)(void*);
  /* (through void (*)(void), the cast that compilers accept between function types) */
  FreeFunction msvcrtFree = (FreeFunction)(void (*)(void))GetProcAddress(GetModuleHandleA("msvcrt.dll"), "free");
  if (msvcrtFree)
    msvcrtFree(block);
#else
  free(block);
#endif
}

/* Prints the last error: its code and its text. TAVIMG_GetLastError returns
   1 - code (1: no error) and fills a CString. A C host's CString starts as an
   empty string that nobody writes or frees (nRefs -1); the library gives it a
   block of its own from msvcrt.dll's malloc, which the host releases: one
   reference less, and free when none is left. */
static void PrintLastError(const char* what) {
  static struct {
    LONG nRefs;
    int nDataLength;
    int nAllocLength;
    char text[1];
  } empty = {-1, 0, 0, {0}};
  CString text;
  LONG result;
  text.m_pchData = empty.text;
  result = TAVIMG_GetLastError(&text);
  printf("%s: error %ld: %s\n", what, (long)TAVIMG_ERROR_CODE(result), text.m_pchData);
  if (text.m_pchData != empty.text) {
    LONG* header = (LONG*)text.m_pchData - 3;
    if (--header[0] == 0)
      FreeStringBlock(header);
  }
}

/* Delivers what is waiting (posted messages, then paints) and returns. */
static void DeliverPending(void) {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int main(int argc, char** argv) {
  int exitAtOnce = argc > 1 && strcmp(argv[1], "--exit") == 0;
  const char* drfPath = argc > 1 + exitAtOnce ? argv[1 + exitAtOnce] : NULL;
  const char* tiffPath = argc > 2 + exitAtOnce ? argv[2 + exitAtOnce] : "";
  /* Display mode 1 fits the companion TIFF into the window; 0 shows the DRF
     at its own size. */
  DWORD displayMode = tiffPath[0] ? 1 : 0;
  WNDCLASSA windowClass;
  HWND window;
  HotspotDataRecord hotspot;
  TavDoublePair fitted;
  LONGLONG size;
  char version[256];
  MSG msg;

  if (!drfPath) {
    fprintf(stderr, "usage: host [--exit] PICTURE.drf [COMPANION.tif]\n");
    return 2;
  }
  TAVIMG_ShowErrorMessages(0); /* no message boxes: errors are read below */
  printf("library: %s\n", TAVIMG_GetVersionInfo(version));

  memset(&windowClass, 0, sizeof windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(NULL);
  windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
  windowClass.lpszClassName = "TavoIMGHost";
  RegisterClassA(&windowClass);
  window = CreateWindowExA(0, "TavoIMGHost", "TavoIMG host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 500, NULL,
                           NULL, windowClass.hInstance, NULL);
  if (!window)
    return 1;

  /* Load and draw. The record belongs to the window until it is unloaded. */
  g_record = TAVIMG_LoadPicture(window, 0, OnPictureMessage, tiffPath, drfPath, displayMode, TAVIMG_FILE_DRF, 0);
  if (!g_record) {
    /* The window's record stays in its slot, empty: unload it. */
    PrintLastError(drfPath);
    TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
    DestroyWindow(window);
    return 1;
  }
  DeliverPending();
  size = TAVIMG_GetDRFSize(g_record); /* width in the low half, height in the high half */
  printf("loaded %s: %ld x %ld pixels, %ld hotspots\n", drfPath, (long)TAVIMG_SIZE_WIDTH(size),
         (long)TAVIMG_SIZE_HEIGHT(size), (long)TAVIMG_GetHotspotCount(g_record));

  /* The user makes the window larger: the picture follows. */
  fitted = g_record->FitSize;
  MoveWindow(window, 0, 0, 600, 750, TRUE);
  DeliverPending();
  if (displayMode == 1) {
    printf("fitted %.0f x %.0f, then %.0f x %.0f\n", fitted.x, fitted.y, g_record->FitSize.x, g_record->FitSize.y);
    Check(g_record->FitSize.y > fitted.y, "the picture is fitted to the larger window");
  }

  /* Mark the first hotspot (every hotspot of its name), then double-click
     inside it: the library passes the double click on with the name. */
  if (TAVIMG_GetHotspotCount(g_record) > 0 && TAVIMG_GetHotspotData(g_record, 0, &hotspot)) {
    LPARAM inside = MAKELPARAM((hotspot.ScreenRect.left + hotspot.ScreenRect.right) / 2,
                               (hotspot.ScreenRect.top + hotspot.ScreenRect.bottom) / 2);
    Check(TAVIMG_SetHotspot(window, hotspot.Name, 1, g_record) == 1, "hotspot marked");
    PostMessageA(window, WM_MOUSEMOVE, 0, inside);
    PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
    DeliverPending();
    printf("callback: message %u on hotspot \"%s\"\n", g_lastMessage, g_lastHotspot);
    Check(g_lastMessage == WM_LBUTTONDBLCLK && strcmp(g_lastHotspot, hotspot.Name) == 0,
          "the double click reached the callback with the hotspot's name");
  }

  if (!exitAtOnce)
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }

  /* Unload: the record and everything it holds go. */
  TAVIMG_UnloadPicture(window, g_record);
  g_record = NULL;
  if (IsWindow(window))
    DestroyWindow(window);
  printf("%s\n", g_failures ? "some steps failed" : "all steps done");
  return g_failures ? 1 : 0;
}
