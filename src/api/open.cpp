// Opening a picture into a host window: the window's record is found or
// created, reset, given the host's paths and settings, and the loader of the
// picture's format runs. Nothing is drawn here.
#include "core/core.h"
#include "core/states.h"
#include "drf/drf.h"
#include "tiff/tiff.h"

#include <string.h>

namespace {

// Longest path the record's path fields hold (without the terminator).
constexpr size_t kMaxPathChars = sizeof(ImgStruct::DrfPath) - 1;
static_assert(sizeof(ImgStruct::DrfPath) == sizeof(ImgStruct::TiffPath), "both path fields are alike");

enum class PathState { Empty, Kept, TooLong };

// Copies a host path into a path field. A missing path and a path of one
// character count as none. A path that does not fit is not cut into some
// other file's name: the field stays empty and the caller refuses it when
// the path is needed.
PathState StorePath(char* field, const char* path) {
  field[0] = 0;
  if (path == nullptr)
    return PathState::Empty;
  size_t length = strnlen(path, kMaxPathChars + 1);
  if (length <= 1)
    return PathState::Empty;
  if (length > kMaxPathChars)
    return PathState::TooLong;
  lstrcpyA(field, path);
  return PathState::Kept;
}

// Opens the companion TIFF of a kind-5 DRF; its failure leaves the DRF
// picture open without its scaled view.
void OpenCompanionTIFF(ImgStruct* record, PathState tiffPath, const char* path) {
  if (tiffPath == PathState::TooLong) {
    ReportError(TAV_ERR_IMAGE_OPEN, path);
    record->TiffReady = 0;
    return;
  }
  record->TiffReady = (record->TiffPath[0] != 0 && record->PictureFile == nullptr && LoadTIFF(record)) ? 1 : 0;
}

} // namespace

extern "C" ImgStruct* WINAPI TAVIMG_OpenImage(HWND window, DWORD hostValue, TAVIMG_NOTIFYPROC callback,
                                              const char* tiffPath, const char* drfPath, DWORD displayMode,
                                              DWORD fileType, DWORD hostValue2) {
  TAV_ENTER_EXPORT();
  ImgStruct* record = GetImgStructForWindow(window);
  if (record == nullptr)
    return nullptr;

  // A record that still holds a picture gives it up before it is reset, so
  // that opening again into the same window leaks nothing; the palette made
  // for the old picture's colours goes with it.
  ReleasePictureData(record);
  if (record->Palette != nullptr) {
    DeleteObject(record->Palette);
    record->Palette = nullptr;
  }
  InitImgStruct(record);

  record->HostValue = hostValue;
  record->DisplayMode = displayMode;
  record->HostValue2 = hostValue2;
  record->PictureFile = nullptr;
  record->NotifyCallback = callback;
  record->BkRgb[0] = record->BkRgb[1] = record->BkRgb[2] = 255;
  record->WindowOrigin = TavPair{0, 0};
  record->CentringOffset = TavPair{0, 0};
  record->AltSize = TavPair{0, 0};
  record->ZoomStart = TavPair{0, 0};
  record->InZoomAction = TAV_ZOOM_ACTION_NONE;

  PathState tiffState = StorePath(record->TiffPath, tiffPath);
  PathState drfState = StorePath(record->DrfPath, drfPath);

  switch (fileType) {
  case TAVIMG_FILE_DRF:
    if (drfState == PathState::TooLong) {
      ReportError(TAV_ERR_DRF_OPEN, drfPath);
      return nullptr;
    }
    if (!LoadDRFPicture(record))
      return nullptr;
    if (record->DRFColorType == 5)
      OpenCompanionTIFF(record, tiffState, tiffPath);
    return record;
  case TAVIMG_FILE_TIFF:
    if (tiffState == PathState::TooLong) {
      ReportError(TAV_ERR_IMAGE_OPEN, tiffPath);
      return nullptr;
    }
    return LoadTIFF(record) ? record : nullptr;
  default:
    return nullptr;
  }
}
