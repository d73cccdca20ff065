// The command entry and the redrawing functions: opening and drawing at
// once, laying a picture out and drawing it again after a change, switching
// the display mode, and TAVIMG_MAIN, through which the host reaches message
// handling, record initialisation, view reset, reloading, painting and the
// view refreshes by number.
#include "core/core.h"
#include "core/numbers.h"
#include "core/states.h"
#include "drf/drf.h"
#include "view/view.h"

namespace {

enum MainCommand : DWORD {
  kCommandMessage = 0,
  kCommandInitRecord = 1,
  kCommandResetView = 2,
  kCommandReloadDRF = 3,
  kCommandPaint = 5,
  kCommandHoverRefresh = 7,
  kCommandScrollRanges = 14,
};

// Reloads the DRF picture from DrfPath into the record as it stands.
LONG ReloadDRF(ImgStruct* record) {
  if (!LoadDRFPicture(record))
    return 0;
  record->TiffShown = 0;
  record->DrfShown = 1;
  record->ClientSize = (record->DisplayMode == TAV_DISPLAY_DRF_IN_WINDOW || record->FitMode == TAV_FIT_KEEP_WINDOW)
                           ? record->AltSize
                           : record->ScaledClientSize;
  return 1;
}

// Offset of one axis of the zoomed view for the hover refresh.
LONG HoverOffset(LONG origin, LONG reference, LONG scrollPos, LONG scaled, LONG picture, double zoomFactor) {
  LONG offset =
      TruncToLong((static_cast<double>(origin) - reference + scrollPos) * Quotient(scaled, picture) * zoomFactor + 0.5);
  return offset < 0 ? scrollPos : offset;
}

// Refreshes the hover state for the window point (0, 0).
LONG RefreshHover(HWND window, ImgStruct* record) {
  if (record->HotspotCount < 1)
    return 0;
  LONG dx = 0, dy = 0;
  if (record->Zoomed == TAV_ZOOM_IN_FORCE) {
    dx = HoverOffset(record->ZoomOrigin[0], record->ZoomOrigin[2], record->ScrollPos.x, record->ScaledClientSize.x,
                     record->TIFFSize.x, record->ZoomFactor.x);
    dy = HoverOffset(record->ZoomOrigin[1], record->ZoomOrigin[3], record->ScrollPos.y, record->ScaledClientSize.y,
                     record->TIFFSize.y, record->ZoomFactor.y);
  }
  TrackHoverHotspot(window, record, 0, dx, dy);
  return 1;
}

} // namespace

extern "C" ImgStruct* WINAPI TAVIMG_LoadPicture(HWND window, DWORD hostValue, TAVIMG_NOTIFYPROC callback,
                                                const char* tiffPath, const char* drfPath, DWORD displayMode,
                                                DWORD fileType, DWORD hostValue2) {
  TAV_ENTER_EXPORT();
  ImgStruct* record =
      TAVIMG_OpenImage(window, hostValue, callback, tiffPath, drfPath, displayMode, fileType, hostValue2);
  if (record == nullptr)
    return nullptr;
  if (TAVIMG_RedrawPicture(window, record) == 0)
    return nullptr;
  TAVIMG_ActivateAllHotspots(1, record);
  return record;
}

extern "C" DWORD WINAPI TAVIMG_RedrawPicture(HWND window, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return 0;
  TAVIMG_RecalcLayout(window, record);
  if (record->DisplayMode == TAV_DISPLAY_DRF || record->DisplayMode == TAV_DISPLAY_FITTED)
    InvalidateRect(window, nullptr, TRUE);
  if (record->InPaint)
    return 1;
  return TAVIMG_OnMessage(window, WM_PAINT, 0, 0, record);
}

extern "C" DWORD WINAPI TAVIMG_OnDraw(HWND window, ImgStruct* record, HDC dc) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return 0;
  // Drawing happens only into the host's own device context, never into a
  // paint begun here.
  if (record->InPaint == 0 && dc != nullptr)
    PaintPicture(window, record, dc);
  return 1;
}

extern "C" DWORD WINAPI TAVIMG_DisplayPicture(HWND window, ImgStruct* record, DWORD displayMode) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return 0;
  record->DisplayMode = displayMode;
  record->BildFactor = record->ZoomFactor = TavDoublePair{1.0, 1.0};
  record->ZoomStart = record->ScrollPos = record->ScrollRange = record->ZoomedSize = TavPair{0, 0};
  for (int i = 0; i < 4; ++i)
    record->ZoomOrigin[i] = 0;
  record->ZoomedSizeFactor = TavDoublePair{0.0, 0.0};
  record->Zoomed = TAV_ZOOM_NONE;
  record->InZoomAction = TAV_ZOOM_ACTION_NONE;
  record->Painted = record->TiffReady = 0;

  const LONG hover = record->HoverHotspot;
  TAVIMG_RecalcLayout(window, record);
  TAVIMG_UpdateBars(window, record);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  record->HoverHotspot = hover;
  return 1;
}

extern "C" LONG WINAPI TAVIMG_MAIN(DWORD command, ImgStruct* record, HWND window, UINT a, WPARAM b, LPARAM c) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return 0;
  switch (command) {
  case kCommandMessage:
    return static_cast<LONG>(TAVIMG_OnMessage(window, a, b, c, record));
  case kCommandInitRecord:
    InitImgStruct(record);
    return 0;
  case kCommandResetView:
    ResetView(window, record);
    return 0;
  case kCommandReloadDRF:
    return ReloadDRF(record);
  case kCommandPaint:
    return record->InPaint ? 1 : static_cast<LONG>(TAVIMG_OnMessage(window, WM_PAINT, 0, 0, record));
  case kCommandHoverRefresh:
    return RefreshHover(window, record);
  case kCommandScrollRanges:
    if (record->Zoomed != TAV_ZOOM_NONE)
      UpdateScrollRanges(window, record, record->TIFFSize.x, record->TIFFSize.y);
    return 1;
  default: // 4, 6, 8 to 13 and everything above 14 do nothing
    return 0;
  }
}
