// The slot table: one picture record per host window, in movable global
// memory locked for the record's whole life; the record's defaults; the
// release of what a record holds.
#include "core/core.h"
#include "core/states.h"

#include <afx.h>

#include <string.h>

namespace {

struct Slot {
  HWND window;       // null: free
  HGLOBAL memory;    // block of the record; null when none was allocated
  ImgStruct* record; // the block, locked
};

Slot g_slots[TAV_SLOT_COUNT];
int g_slotCount = 0; // slots ever taken; never decreases

const UINT kRecordAllocFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Handles the record has room for: DRF stripes, and decoded bands.
constexpr int kRecordStripes = sizeof(ImgStruct::DRFStripeHandles) / sizeof(ImgStruct::DRFStripeHandles[0]);
constexpr int kRecordBands = sizeof(ImgStruct::BandHandles) / sizeof(ImgStruct::BandHandles[0]);

void DeleteIfSet(HGDIOBJ object) {
  if (object != nullptr)
    DeleteObject(object);
}

void FreeGlobal(HGLOBAL& block) {
  if (block != nullptr)
    GlobalFree(block);
  block = nullptr;
}

// Frees a record's block and gives the null handle to store in its place
// (the record's fields are packed: assigned, never referred to).
HGLOBAL FreedBlock(HGLOBAL block) {
  if (block != nullptr)
    GlobalFree(block);
  return nullptr;
}

HBRUSH CreateSolidBackground(COLORREF colour) {
  LOGBRUSH brush = {BS_SOLID, colour, 0};
  return CreateBrushIndirect(&brush);
}

} // namespace

int SlotTableCount() {
  return g_slotCount;
}
HWND SlotWindow(int index) {
  return index >= 0 && index < g_slotCount ? g_slots[index].window : nullptr;
}
ImgStruct* SlotRecord(int index) {
  return index >= 0 && index < g_slotCount ? g_slots[index].record : nullptr;
}

bool IsSlotRecord(const ImgStruct* record) {
  if (record == nullptr)
    return false;
  for (int i = 0; i < g_slotCount; ++i) {
    if (g_slots[i].record == record)
      return true;
  }
  return false;
}

int FindWindowSlot(HWND window) {
  if (window == nullptr)
    return -1; // a null window would look like a free slot
  for (int i = 0; i < g_slotCount; ++i) {
    if (g_slots[i].window == window)
      return i;
  }
  for (int i = 0; i < g_slotCount; ++i) {
    if (g_slots[i].window == nullptr) {
      g_slots[i].window = window;
      return i;
    }
  }
  if (g_slotCount < TAV_SLOT_COUNT) {
    g_slots[g_slotCount].window = window;
    return g_slotCount++;
  }
  ReportError(TAV_ERR_TOO_MANY_WINDOWS, nullptr);
  return -1;
}

ImgStruct* GetImgStructForWindow(HWND window) {
  int index = FindWindowSlot(window);
  if (index < 0)
    return nullptr;
  Slot& slot = g_slots[index];
  if (slot.memory != nullptr)
    return slot.record;
  HGLOBAL memory = GlobalAlloc(kRecordAllocFlags, sizeof(ImgStruct));
  if (memory == nullptr)
    return nullptr; // the slot stays taken without a record
  ImgStruct* record = (ImgStruct*)GlobalLock(memory);
  if (record == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  slot.memory = memory;
  slot.record = record;
  return record;
}

void FreeDRFStripes(ImgStruct* record) {
  if (record == nullptr)
    return;
  for (int i = 0; i < kRecordStripes; ++i)
    record->DRFStripeHandles[i] = FreedBlock(record->DRFStripeHandles[i]);
}

void FreeDRFBands(ImgStruct* record) {
  if (record == nullptr)
    return;
  for (int b = 0; b < kRecordBands; ++b) {
    record->BandHandles[b] = FreedBlock(record->BandHandles[b]);
    record->BandBits[b] = nullptr;
  }
  record->BitmapInfoHandle = FreedBlock(record->BitmapInfoHandle);
  record->BitmapInfo = nullptr;
}

void FreeTIFFTables(ImgStruct* record) {
  if (record == nullptr)
    return;
  record->TiffStripOffsets = FreedBlock(record->TiffStripOffsets);
  record->TiffStripByteCounts = FreedBlock(record->TiffStripByteCounts);
  record->TiffStripCount = 0;
  record->TiffStripOffsetsCount = 0;
}

void ReleasePictureData(ImgStruct* record) {
  if (record == nullptr)
    return;
  if (record->PictureFile != nullptr) {
    CMemFile* file = record->PictureFile;
    record->PictureFile = nullptr;
    file->Close();
    delete file;
  }
  FreeDRFStripes(record);
  FreeDRFBands(record);
  FreeTIFFTables(record);
  if (record->BitmapInfoHandle != nullptr) {
    if (record->BitmapInfo != nullptr)
      GlobalUnlock(record->BitmapInfoHandle);
    FreeGlobal(record->BitmapInfoHandle);
  }
  record->BitmapInfo = nullptr;
}

void FreeWindowSlot(int index) {
  if (index < 0 || index >= TAV_SLOT_COUNT)
    return;
  Slot& slot = g_slots[index];
  if (slot.record != nullptr) {
    ImgStruct* record = slot.record;
    ReleasePictureData(record);
    // The record's GDI objects go with it: nothing else refers to them.
    DeleteIfSet(record->BkBrush);
    DeleteIfSet(record->Palette);
    DeleteIfSet(record->SparePalette);
    record->BkBrush = nullptr;
    record->Palette = nullptr;
    record->SparePalette = nullptr;
    slot.record = nullptr;
  }
  if (slot.memory != nullptr) {
    GlobalUnlock(slot.memory);
    FreeGlobal(slot.memory);
  }
  slot.window = nullptr;
}

void InitImgStruct(ImgStruct* record) {
  ClearLastErrorCode();
  if (record == nullptr)
    return;
  ZoomCursor(); // loaded once for the whole process
  if (record->BkBrush == nullptr)
    record->BkBrush = CreateSolidBackground(RGB(255, 255, 255));
  // What an earlier picture left in the record is released before its
  // handles are reset, so that reopening into a window never leaks.
  ReleasePictureData(record);

  record->ZoomStart = {0, 0};
  record->DRFSpotOffset[0] = record->DRFSpotOffset[1] = 0;
  record->BkRgb[0] = record->BkRgb[1] = record->BkRgb[2] = 255;
  record->HotspotMode = record->HotspotModeValue2 = record->HotspotModeValue3 = 0;
  record->BildFactor = {1.0, 1.0};
  record->ZoomFactor = {1.0, 1.0};
  record->MinHScrollRange = 0;
  record->TiffStripOffsets = nullptr;
  record->TiffStripByteCounts = nullptr;
  record->ZoomedSizeFactor = {0.0, 0.0};
  record->ClientSize = {100, 100};
  record->ZoomedSize = {0, 0};
  memset(record->ZoomOrigin, 0, sizeof record->ZoomOrigin);
  record->ScrollPos = {0, 0};
  record->ScrollRange = {0, 0};
  record->SelectedHotspotName[0] = 0;
  record->PictureMode = TAV_PICTURE_DRF;
  record->Zoomed = TAV_ZOOM_NONE;
  record->InZoomAction = TAV_ZOOM_ACTION_NONE;
  record->ZoomedShown = record->Painted = record->TiffReady = 0;
  record->InPaint = 0;
  record->PaletteSet = 0;
  for (int i = 0; i < 16; ++i) {
    record->DRFStripeHandles[i] = nullptr;
    record->BandHandles[i] = nullptr;
    record->BandBits[i] = nullptr;
  }
  record->DRFSize = {0, 0};

  // An empty hotspot table; the state bits of the entries are kept.
  record->HotspotCount = 0;
  record->HoverHotspot = TAVIMG_NO_HOTSPOT;
  for (int i = 0; i < TAVIMG_MAX_HOTSPOTS; ++i) {
    HotspotEntry& entry = record->Hotspots[i];
    entry.HotspotName[0] = 0;
    entry.HotspotText[0] = 0;
    entry.ScreenRect = {0, 0, 0, 0};
    entry.PictureRect = {0, 0, 0, 0};
    entry.HotspotKind = 0;
  }
}

extern "C" ImgStruct* WINAPI TAVIMG_GetImgStruct(HWND window) {
  TAV_ENTER_EXPORT();
  return GetImgStructForWindow(window);
}

extern "C" void WINAPI TAVIMG_UnloadPicture(HWND window, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (record == nullptr)
    return;
  for (int i = 0; i < g_slotCount; ++i) {
    const Slot& slot = g_slots[i];
    if (window != nullptr ? slot.window == window : slot.record == record)
      FreeWindowSlot(i);
  }
}

extern "C" void WINAPI TAVIMG_SetBkColor(ImgStruct* record, COLORREF colour, DWORD value) {
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  if (!IsSlotRecord(record))
    return;
  HBRUSH brush = CreateSolidBackground(colour);
  if (brush != nullptr) {
    DeleteIfSet(record->BkBrush);
    record->BkBrush = brush;
  }
  record->BkValue = value;
}
