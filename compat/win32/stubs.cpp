// Placeholder bodies of the stand-in; each moves to its real file as it is written.
#include <windows.h>

ATOM WINAPI RegisterClassA(const WNDCLASSA*) { return 0; }
BOOL WINAPI UnregisterClassA(LPCSTR, HINSTANCE) { return 0; }
HWND WINAPI CreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) { return nullptr; }
BOOL WINAPI DestroyWindow(HWND) { return 0; }
BOOL WINAPI IsWindow(HWND) { return 0; }
BOOL WINAPI ShowWindow(HWND, int) { return 0; }
LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }
LRESULT WINAPI SendMessageA(HWND, UINT, WPARAM, LPARAM) { return 0; }
BOOL WINAPI PostMessageA(HWND, UINT, WPARAM, LPARAM) { return 0; }
BOOL WINAPI PeekMessageA(LPMSG, HWND, UINT, UINT, UINT) { return 0; }
BOOL WINAPI GetMessageA(LPMSG, HWND, UINT, UINT) { return 0; }
BOOL WINAPI TranslateMessage(const MSG*) { return 0; }
LRESULT WINAPI DispatchMessageA(const MSG*) { return 0; }
void WINAPI PostQuitMessage(int) {}
LONG_PTR WINAPI SetWindowLongPtrA(HWND, int, LONG_PTR) { return 0; }
LONG_PTR WINAPI GetWindowLongPtrA(HWND, int) { return 0; }
BOOL WINAPI GetWindowRect(HWND, LPRECT) { return 0; }
BOOL WINAPI GetClientRect(HWND, LPRECT) { return 0; }
BOOL WINAPI MoveWindow(HWND, int, int, int, int, BOOL) { return 0; }
BOOL WINAPI InvalidateRect(HWND, const RECT*, BOOL) { return 0; }
BOOL WINAPI ValidateRect(HWND, const RECT*) { return 0; }
BOOL WINAPI GetUpdateRect(HWND, LPRECT, BOOL) { return 0; }
BOOL WINAPI RedrawWindow(HWND, const RECT*, HRGN, UINT) { return 0; }
BOOL WINAPI UpdateWindow(HWND) { return 0; }
HDC WINAPI BeginPaint(HWND, LPPAINTSTRUCT) { return nullptr; }
BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*) { return 0; }
HDC WINAPI GetDC(HWND) { return nullptr; }
int WINAPI ReleaseDC(HWND, HDC) { return 0; }
int WINAPI FillRect(HDC, const RECT*, HBRUSH) { return 0; }
int WINAPI SetScrollPos(HWND, int, int, BOOL) { return 0; }
int WINAPI GetScrollPos(HWND, int) { return 0; }
BOOL WINAPI SetScrollRange(HWND, int, int, int, BOOL) { return 0; }
BOOL WINAPI GetScrollRange(HWND, int, LPINT, LPINT) { return 0; }
BOOL WINAPI ShowScrollBar(HWND, int, BOOL) { return 0; }
HWND WINAPI SetCapture(HWND) { return nullptr; }
BOOL WINAPI ReleaseCapture(void) { return 0; }
HWND WINAPI GetCapture(void) { return nullptr; }
BOOL WINAPI OpenClipboard(HWND) { return 0; }
BOOL WINAPI CloseClipboard(void) { return 0; }
BOOL WINAPI EmptyClipboard(void) { return 0; }
HANDLE WINAPI SetClipboardData(UINT, HANDLE) { return nullptr; }
HANDLE WINAPI GetClipboardData(UINT) { return nullptr; }
BOOL WINAPI IsClipboardFormatAvailable(UINT) { return 0; }
int WINAPI SetDIBitsToDevice(HDC, int, int, DWORD, DWORD, int, int, UINT, UINT, const void*, const BITMAPINFO*, UINT) { return 0; }
int WINAPI StretchDIBits(HDC, int, int, int, int, int, int, int, int, const void*, const BITMAPINFO*, UINT, DWORD) { return 0; }
int WINAPI GetDIBits(HDC, HBITMAP, UINT, UINT, LPVOID, LPBITMAPINFO, UINT) { return 0; }
HBITMAP WINAPI CreateBitmapIndirect(const BITMAP*) { return nullptr; }
HBITMAP WINAPI CreateBitmap(int, int, UINT, UINT, const void*) { return nullptr; }
HBITMAP WINAPI CreateCompatibleBitmap(HDC, int, int) { return nullptr; }
HDC WINAPI CreateCompatibleDC(HDC) { return nullptr; }
BOOL WINAPI DeleteDC(HDC) { return 0; }
BOOL WINAPI BitBlt(HDC, int, int, int, int, HDC, int, int, DWORD) { return 0; }
LONG WINAPI GetBitmapBits(HBITMAP, LONG, LPVOID) { return 0; }
COLORREF WINAPI GetPixel(HDC, int, int) { return 0; }
COLORREF WINAPI SetPixel(HDC, int, int, COLORREF) { return 0; }
HPALETTE WINAPI CreatePalette(const LOGPALETTE*) { return nullptr; }
HPALETTE WINAPI SelectPalette(HDC, HPALETTE, BOOL) { return nullptr; }
UINT WINAPI RealizePalette(HDC) { return 0; }
UINT WINAPI GetNearestPaletteIndex(HPALETTE, COLORREF) { return 0; }
UINT WINAPI GetPaletteEntries(HPALETTE, UINT, UINT, LPPALETTEENTRY) { return 0; }
HPEN WINAPI CreatePen(int, int, COLORREF) { return nullptr; }
HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH*) { return nullptr; }
HBRUSH WINAPI CreateSolidBrush(COLORREF) { return nullptr; }
HGDIOBJ WINAPI GetStockObject(int) { return nullptr; }
HGDIOBJ WINAPI SelectObject(HDC, HGDIOBJ) { return nullptr; }
BOOL WINAPI DeleteObject(HGDIOBJ) { return 0; }
int WINAPI GetObjectA(HANDLE, int, LPVOID) { return 0; }
DWORD WINAPI GetObjectType(HGDIOBJ) { return 0; }
HGDIOBJ WINAPI GetCurrentObject(HDC, UINT) { return nullptr; }
int WINAPI SetROP2(HDC, int) { return 0; }
int WINAPI GetROP2(HDC) { return 0; }
int WINAPI SetBkMode(HDC, int) { return 0; }
int WINAPI GetBkMode(HDC) { return 0; }
BOOL WINAPI Rectangle(HDC, int, int, int, int) { return 0; }
HRGN WINAPI CreateRectRgn(int, int, int, int) { return nullptr; }
HRGN WINAPI CreateRectRgnIndirect(const RECT*) { return nullptr; }
int WINAPI SelectClipRgn(HDC, HRGN) { return 0; }
int WINAPI GetClipBox(HDC, LPRECT) { return 0; }

#include "tavwin_module.h"
#include "tavwin_test.h"
namespace tavwin {
long LiveGdiObjects() { return 0; }
void HoldClipboard(bool) {}
void FailEmptyClipboard(bool) {}
void FailSetClipboardData(bool) {}
int PumpPaints(HWND) { return 0; }
} // namespace tavwin
