// The hotspot table of a picture record and its exports: counts, whole
// entries, marking (selection by the host), activation and drawing mode.
#include "core/core.h"
#include "hotspots/hotspots.h"

#include <string.h>

namespace {

const int kNameChars = sizeof(((HotspotEntry*)nullptr)->HotspotName); // with the terminator
const int kTextChars = sizeof(((HotspotEntry*)nullptr)->HotspotText);

// A record the host may use the table of: live, with at least one hotspot.
bool HasHotspots(const ImgStruct* record) {
  return IsSlotRecord(record) && record->HotspotCount >= 1;
}

bool IsOn(LONG on) {
  return on == 1;
}

void SetBit(HotspotEntry& entry, int bit, bool on) {
  entry.HotspotState = (signed char)(on ? (entry.HotspotState | bit) : (entry.HotspotState & ~bit));
}

// Compares a name field with name; the field counts as terminated at its end
// even when the host filled all of it.
bool NameEquals(const char (&field)[32], const char* name) {
  char text[sizeof field + 1];
  memcpy(text, field, sizeof field);
  text[sizeof field] = 0;
  return lstrcmpA(text, name) == 0;
}

void ClearSelection(ImgStruct* record) {
  record->SelectedHotspot = record->CurrentHotspot = TAVIMG_NO_HOTSPOT;
  memset(record->SelectedHotspotName, 0, sizeof record->SelectedHotspotName);
  memset(record->CurrentHotspotName, 0, sizeof record->CurrentHotspotName);
}

// The first output buffer of the two get functions: the bytes from the
// entry's kind up to the first zero, never past the entry's end (at most 17
// bytes and the terminator).
void CopyKindBytes(char* out, const HotspotEntry& entry) {
  const char* bytes = (const char*)&entry.HotspotKind;
  const size_t available = (size_t)((const char*)(&entry + 1) - bytes);
  size_t n = 0;
  while (n < available && bytes[n] != 0) {
    out[n] = bytes[n];
    ++n;
  }
  out[n] = 0;
}

// Fills the two output buffers from the current hotspot, when there is one.
bool CopyCurrentHotspot(const ImgStruct* record, char* out1, char* out2) {
  LONG current = record->CurrentHotspot;
  if (record->HotspotCount < 1 || current < 0 || current >= TAVIMG_MAX_HOTSPOTS)
    return false;
  const HotspotEntry& entry = record->Hotspots[current];
  if (out1 != nullptr)
    CopyKindBytes(out1, entry);
  if (out2 != nullptr)
    lstrcpynA(out2, entry.HotspotText, kTextChars);
  return true;
}

} // namespace

int MarkHotspots(ImgStruct* record, int operation, int byName) {
  if (record == nullptr)
    return 0;
  const int count = UsableHotspotCount(record);
  switch (operation) {
  case TAV_MARK_ONE:
  case TAV_UNMARK_ONE: {
    if (record->HotspotCount < 1)
      return 0;
    const bool mark = operation == TAV_MARK_ONE;
    if (byName == 1) {
      char name[sizeof record->SelectedHotspotName + 1];
      memcpy(name, record->SelectedHotspotName, sizeof record->SelectedHotspotName);
      name[sizeof record->SelectedHotspotName] = 0;
      for (int i = 0; i < count; ++i) {
        if (NameEquals(record->Hotspots[i].HotspotName, name))
          SetBit(record->Hotspots[i], TAVIMG_MARKED_BIT, mark);
      }
    } else {
      LONG selected = record->SelectedHotspot;
      if (selected >= 0 && selected < count && record->Hotspots[selected].HotspotName[0] != 0)
        SetBit(record->Hotspots[selected], TAVIMG_MARKED_BIT, mark);
    }
    return 1;
  }
  case TAV_MARK_ALL:
  case TAV_UNMARK_ALL:
    for (int i = 0; i < count; ++i)
      SetBit(record->Hotspots[i], TAVIMG_MARKED_BIT, operation == TAV_MARK_ALL);
    return 1;
  default:
    return 0;
  }
}

extern "C" LONG WINAPI TAVIMG_GetHotspotCount(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? record->HotspotCount : -1;
}

extern "C" LONG WINAPI TAVIMG_SetHotspotCount(ImgStruct* record, SHORT count) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record) || count >= TAVIMG_MAX_HOTSPOTS)
    return 0;
  record->HotspotCount = count; // a negative count means none
  record->HoverHotspot = TAVIMG_NO_HOTSPOT;
  return 1;
}

extern "C" LONG WINAPI TAVIMG_GetHotspotData(ImgStruct* record, LONG number, HotspotDataRecord* data) {
  TAV_ENTER_EXPORT();
  if (!HasHotspots(record) || data == nullptr || number < 0 || number >= UsableHotspotCount(record))
    return 0;
  const HotspotEntry& entry = record->Hotspots[number];
  memset(data, 0, sizeof *data);
  data->Number = number;
  data->ScreenRect = entry.ScreenRect;
  data->PictureRect = entry.PictureRect;
  lstrcpynA(data->Name, entry.HotspotName, kNameChars);
  lstrcpynA(data->Text, entry.HotspotText, kTextChars);
  data->State = entry.HotspotState;
  data->Kind = entry.HotspotKind;
  return 1;
}

extern "C" LONG WINAPI TAVIMG_SetHotspotData(ImgStruct* record, LONG number, const HotspotDataRecord* data) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record) || data == nullptr || number < 0 || number >= TAVIMG_MAX_HOTSPOTS)
    return 0;
  HotspotEntry& entry = record->Hotspots[number];
  // Longer names and texts are cut to what the entry holds.
  lstrcpynA(entry.HotspotName, data->Name, kNameChars);
  lstrcpynA(entry.HotspotText, data->Text, kTextChars);
  entry.ScreenRect = data->ScreenRect;
  entry.PictureRect = data->PictureRect;
  entry.HotspotKind = (signed char)(data->Kind & 0xFF);
  return 1;
}

extern "C" LONG WINAPI TAVIMG_SetHotspotNr(HWND window, DWORD number, LONG on, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!HasHotspots(record) || number >= (DWORD)UsableHotspotCount(record))
    return 0;
  if (IsOn(on)) {
    const HotspotEntry& entry = record->Hotspots[number];
    record->SelectedHotspot = record->CurrentHotspot = (LONG)number;
    lstrcpynA(record->SelectedHotspotName, entry.HotspotName, kNameChars);
    lstrcpynA(record->CurrentHotspotName, entry.HotspotName, kNameChars);
    if (MarkHotspots(record, TAV_MARK_ONE, 0) != 1)
      return 0;
    return (LONG)DrawMarkedHotspots(window, record, 0);
  }
  // Off takes every frame off the screen and unmarks the entry selected last.
  LONG result = DrawMarkedHotspots(window, record, 1) != 0 ? MarkHotspots(record, TAV_UNMARK_ONE, 0) : 0;
  ClearSelection(record);
  return result;
}

extern "C" LONG WINAPI TAVIMG_SetHotspot(HWND window, const char* name, LONG on, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!HasHotspots(record) || name == nullptr)
    return 0;
  const int count = UsableHotspotCount(record);
  int found = 0;
  while (found < count && !NameEquals(record->Hotspots[found].HotspotName, name))
    ++found;
  if (found == count)
    return 0;
  HotspotEntry& entry = record->Hotspots[found];
  if (IsOn(on)) {
    lstrcpynA(record->SelectedHotspotName, name, kNameChars);
    lstrcpynA(record->CurrentHotspotName, name, kNameChars);
    if (entry.HotspotState & TAVIMG_HOVER_BIT)
      record->SelectedHotspot = record->CurrentHotspot = record->HoverHotspot = found;
    if (MarkHotspots(record, TAV_MARK_ONE, 1) == 0)
      return 0;
    LONG result = (LONG)DrawMarkedHotspots(window, record, 0);
    SetBit(entry, TAVIMG_DRAWN_BIT, true);
    return result;
  }
  LONG result = DrawMarkedHotspots(window, record, 1) != 0 ? MarkHotspots(record, TAV_UNMARK_ONE, 1) : 0;
  ClearSelection(record);
  return result;
}

extern "C" LONG WINAPI TAVIMG_SetAllHotspots(HWND window, LONG on, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!HasHotspots(record))
    return 0;
  LONG result;
  if (IsOn(on)) {
    MarkHotspots(record, TAV_MARK_ALL, 0);
    result = (LONG)DrawMarkedHotspots(window, record, 0);
  } else {
    result = DrawMarkedHotspots(window, record, 1) != 0 ? MarkHotspots(record, TAV_UNMARK_ALL, 0) : 0;
  }
  memset(record->CurrentHotspotName, 0, sizeof record->CurrentHotspotName);
  record->CurrentHotspot = -1;
  return result;
}

extern "C" LONG WINAPI TAVIMG_GetHotspotNr(ImgStruct* record, char* out1, char* out2) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record) || !CopyCurrentHotspot(record, out1, out2))
    return -1;
  return record->CurrentHotspot;
}

extern "C" char* WINAPI TAVIMG_GetHotspot(ImgStruct* record, char* out1, char* out2) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return nullptr;
  CopyCurrentHotspot(record, out1, out2);
  return record->CurrentHotspotName;
}

extern "C" LONG WINAPI TAVIMG_ActivateHotspotNr(DWORD number, LONG on, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!HasHotspots(record) || number >= (DWORD)UsableHotspotCount(record))
    return 0;
  SetBit(record->Hotspots[number], TAVIMG_ACTIVE_BIT, IsOn(on));
  return 1;
}

extern "C" LONG WINAPI TAVIMG_ActivateHotspot(const char* name, LONG on, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!HasHotspots(record) || name == nullptr)
    return 0;
  const int count = UsableHotspotCount(record);
  for (int i = 0; i < count; ++i) {
    if (NameEquals(record->Hotspots[i].HotspotName, name))
      SetBit(record->Hotspots[i], TAVIMG_ACTIVE_BIT, IsOn(on));
  }
  return 1;
}

extern "C" LONG WINAPI TAVIMG_ActivateAllHotspots(LONG on, ImgStruct* record) {
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  if (!HasHotspots(record))
    return 0;
  const int count = UsableHotspotCount(record);
  for (int i = 0; i < count; ++i)
    SetBit(record->Hotspots[i], TAVIMG_ACTIVE_BIT, IsOn(on));
  return 1;
}

// Changing the drawing mode takes every frame off the screen with the old
// tools and puts the same hotspots back, marked and drawn, with the new ones.
// The selection (selected and current hotspot and their names) is what it
// was before the call.
extern "C" LONG WINAPI TAVIMG_SetHotspotMode(DWORD mode, LONG penWidth, DWORD value2, DWORD value3, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!HasHotspots(record))
    return 0;
  const int count = UsableHotspotCount(record);
  bool marked[TAVIMG_MAX_HOTSPOTS];
  for (int i = 0; i < count; ++i)
    marked[i] = (record->Hotspots[i].HotspotState & TAVIMG_MARKED_BIT) != 0;
  const LONG selected = record->SelectedHotspot, current = record->CurrentHotspot;
  char selectedName[sizeof record->SelectedHotspotName], currentName[sizeof record->CurrentHotspotName];
  memcpy(selectedName, record->SelectedHotspotName, sizeof selectedName);
  memcpy(currentName, record->CurrentHotspotName, sizeof currentName);

  for (int i = 0; i < SlotTableCount(); ++i) {
    if (SlotRecord(i) == record)
      TAVIMG_SetAllHotspots(SlotWindow(i), 0, record);
  }

  record->HotspotMode = mode;
  record->HotspotPenWidth = penWidth != 0 ? penWidth : 2;
  if (value2 != 0)
    record->HotspotModeValue2 = value2;
  if (value3 != 0)
    record->HotspotModeValue3 = value3;
  if (record->HotspotModeValue2 == 0)
    record->HotspotModeValue2 = record->HotspotModeValue3;
  else if (record->HotspotModeValue3 == 0)
    record->HotspotModeValue3 = record->HotspotModeValue2;

  for (int i = 0; i < count; ++i)
    SetBit(record->Hotspots[i], TAVIMG_MARKED_BIT, marked[i]);
  for (int i = 0; i < SlotTableCount(); ++i) {
    if (SlotRecord(i) == record)
      DrawMarkedHotspots(SlotWindow(i), record, 0);
  }

  record->SelectedHotspot = selected;
  record->CurrentHotspot = current;
  memcpy(record->SelectedHotspotName, selectedName, sizeof selectedName);
  memcpy(record->CurrentHotspotName, currentName, sizeof currentName);
  return 1;
}

extern "C" LONG WINAPI TAVIMG_GetHotspotMode(DWORD, DWORD, DWORD, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return HasHotspots(record) ? (LONG)record->HotspotMode : -1;
}
