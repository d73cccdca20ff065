// What every subsystem may use: error reporting, the slot table of picture
// records and their defaults, the module's instance and cursor. Includes no
// other part of the library.
#ifndef TAV_CORE_CORE_H
#define TAV_CORE_CORE_H

#include <tavoimg/tavoimg.h>

// Error codes; their texts are string resources with the same identifiers.
enum TavErrorCode : UINT {
  TAV_ERR_NONE = 0,
  TAV_ERR_GLOBAL_LOCK = 2,
  TAV_ERR_BITMAP_HEADER_MEMORY = 3,
  TAV_ERR_BAND_TOO_LARGE = 4,
  TAV_ERR_BITMAP_MEMORY = 5,
  TAV_ERR_DRF_OPEN = 6,
  TAV_ERR_DRF_HEADER = 7,
  TAV_ERR_DRF_MAIN_INFO = 8,
  TAV_ERR_DRF_PICTURE_MEMORY = 9,
  TAV_ERR_DRF_STRIPE_MEMORY = 10,
  TAV_ERR_DRF_STRIPE_READ = 11,
  TAV_ERR_TIFF_DISPLAY = 12,
  TAV_ERR_TIFF_COMPRESSION = 13,
  TAV_ERR_IMAGE_OPEN = 14,
  TAV_ERR_IMAGE_EOF = 15,
  TAV_ERR_DRF_COMP_RASTER_HEAD = 16,
  TAV_ERR_DRF_COMP_RASTER = 17,
  TAV_ERR_DRF_RASTER_LIMIT = 18,
  TAV_ERR_DRF_RASTER = 19,
  TAV_ERR_TOO_MANY_WINDOWS = 20,
  TAV_ERR_CLIPBOARD_DATA = 21,
  TAV_ERR_OPEN_CLIPBOARD = 22,
  TAV_ERR_EMPTY_CLIPBOARD = 23,
  TAV_ERR_SET_CLIPBOARD_DATA = 24,
};

// Records a failure: sets the last error code and, while boxes are on, shows
// the code's text (with "%1" replaced by argument) in a message box.
void ReportError(UINT code, const char* argument);
UINT LastErrorCode();
void ClearLastErrorCode();

// Every exported function begins with one of these two. Most clear the last
// error code, so that it describes the last call that failed; the few that
// report on it or hand out data leave it as it is, and say so where they
// begin.
#define TAV_ENTER_EXPORT() ClearLastErrorCode()
#define TAV_ENTER_EXPORT_KEEPING_LAST_ERROR() ((void)0)

extern const char* const VersionString; // "VIMBEL Version 2.0 / 32Bit"

// Slot table.
enum { TAV_SLOT_COUNT = 20 };
int FindWindowSlot(HWND window);
ImgStruct* GetImgStructForWindow(HWND window);
void FreeWindowSlot(int index);
void InitImgStruct(ImgStruct* record);
int SlotTableCount();       // slots ever taken
HWND SlotWindow(int index); // null for a free slot
ImgStruct* SlotRecord(int index);
// True when record is held by a slot: how exports that take a record from the
// host refuse pointers that are not (or no longer) a live record.
bool IsSlotRecord(const ImgStruct* record);

// Releases everything a record holds of a picture (memory file, stripes,
// bands, strip tables, bitmap header) and clears the handles; used before a
// picture is opened again into a record that still holds one.
void ReleasePictureData(ImgStruct* record);
// The parts of that release: the DRF stripes; the decoded DRF picture (every
// band and the bitmap header); the TIFF strip offset and byte count tables.
void FreeDRFStripes(ImgStruct* record);
void FreeDRFBands(ImgStruct* record);
void FreeTIFFTables(ImgStruct* record);

// Module instance and the zoom cursor (resource 103).
HINSTANCE LibraryInstance();
void SetLibraryInstance(HINSTANCE instance);
HCURSOR ZoomCursor();
enum { TAV_ZOOM_CURSOR_ID = 103 };

#endif
