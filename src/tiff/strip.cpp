// Strips: the strip tables of a record and one strip at a time in its own
// block.
#include "tiff/tiff.h"

#include <afx.h>

namespace {

// Numbers a strip table holds: the block is 4 bytes longer than its numbers.
DWORD TableEntries(HGLOBAL table) {
  SIZE_T size = GlobalSize(table);
  return size >= 4 ? (DWORD)((size - 4) / 4) : 0;
}

const DWORD* LockTable(HGLOBAL table, DWORD* entries) {
  *entries = 0;
  if (table == nullptr)
    return nullptr;
  const DWORD* numbers = (const DWORD*)GlobalLock(table);
  if (numbers != nullptr)
    *entries = TableEntries(table);
  return numbers;
}

// Bytes of strip index, never reaching beyond the memory copy.
DWORD StripSize(const StripTables& tables, DWORD index, DWORD offset, DWORD copyLength) {
  DWORD size;
  if (tables.ByteCounts != nullptr && index < tables.ByteCountCount)
    size = tables.ByteCounts[index];
  else if (index + 1 < tables.OffsetCount)
    size = tables.Offsets[index + 1] - offset;
  else
    size = copyLength;
  if (size == 0 || size > copyLength)
    size = copyLength;
  if (size > copyLength - offset)
    size = copyLength - offset;
  return size;
}

} // namespace

void LockStripTables(ImgStruct* record, StripTables* tables) {
  tables->Offsets = LockTable(record->TiffStripOffsets, &tables->OffsetCount);
  if (tables->OffsetCount > record->TiffStripOffsetsCount)
    tables->OffsetCount = record->TiffStripOffsetsCount;
  tables->ByteCounts = LockTable(record->TiffStripByteCounts, &tables->ByteCountCount);
}

void UnlockStripTables(ImgStruct* record, StripTables* tables) {
  if (tables->Offsets != nullptr)
    GlobalUnlock(record->TiffStripOffsets);
  if (tables->ByteCounts != nullptr)
    GlobalUnlock(record->TiffStripByteCounts);
  *tables = StripTables{};
}

void FreeStripBuffer(StripBuffer& strip) {
  if (strip.Handle != nullptr) {
    if (strip.Data != nullptr)
      GlobalUnlock(strip.Handle);
    GlobalFree(strip.Handle);
  }
  strip = StripBuffer{};
}

void LoadTIFFStrip(CMemFile* file, const StripTables& tables, DWORD index, StripBuffer& strip) {
  FreeStripBuffer(strip);
  // A strip the tables do not have, or one that begins beyond the copy,
  // reads as no data: its rows stay white.
  if (file == nullptr || tables.Offsets == nullptr || index >= tables.OffsetCount)
    return;
  DWORD copyLength = file->GetLength();
  DWORD offset = tables.Offsets[index];
  if (offset >= copyLength)
    return;
  DWORD size = StripSize(tables, index, offset, copyLength);
  strip.Handle = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)size + 4);
  if (strip.Handle == nullptr)
    return;
  strip.Data = (BYTE*)GlobalLock(strip.Handle);
  if (strip.Data == nullptr) {
    FreeStripBuffer(strip);
    return;
  }
  try {
    file->Seek((LONG)offset, CFile::begin);
    strip.Length = file->Read(strip.Data, size);
  } catch (CException* e) {
    e->Delete();
    strip.Length = 0;
  }
  strip.Position = 0;
}
