// TIFF directory: the entries of the first IFD and the numbers they hold.
#include "tiff/tiff.h"

#include <afx.h>

#include <string.h>

namespace {

bool IsShortType(WORD type) {
  return type == TAV_TIFF_TYPE_SHORT || type == TAV_TIFF_TYPE_SSHORT;
}

// The single value of an entry: a SHORT stands in the first two bytes of the
// value field, in either byte order; anything else is the whole field.
DWORD SingleValue(const TiffEntry* entry, BOOL littleEndian) {
  return IsShortType(entry->Type) ? TiffShortAt(entry->Field, littleEndian) : entry->Value;
}

// Puts a new strip table into the record, freeing the one it replaces; the
// record's fields are packed, so they are named, never pointed to.
void ReplaceTable(ImgStruct* record, bool offsets, HGLOBAL table) {
  HGLOBAL old = offsets ? record->TiffStripOffsets : record->TiffStripByteCounts;
  if (old != nullptr)
    GlobalFree(old);
  if (offsets)
    record->TiffStripOffsets = table;
  else
    record->TiffStripByteCounts = table;
}

// Fills a strip table of count numbers. Numbers that fit the value field
// stand in it; otherwise they are read at the offset the field gives, and the
// directory walk goes on where it was. Throws CException* on a bad seek.
void ReadStripNumbers(CMemFile* file, BOOL littleEndian, const TiffEntry* entry, bool shorts, DWORD* numbers) {
  DWORD count = entry->Count;
  if (count <= (shorts ? 2u : 1u)) {
    if (!shorts) {
      numbers[0] = entry->Value;
    } else {
      numbers[0] = TiffShortAt(entry->Field, littleEndian);
      if (count == 2)
        numbers[1] = TiffShortAt(entry->Field + 2, littleEndian);
    }
    return;
  }
  LONG resume = file->Seek(0, CFile::current);
  file->Seek((LONG)entry->Value, CFile::begin);
  for (DWORD i = 0; i < count; ++i)
    numbers[i] = shorts ? ReadTIFFShort(littleEndian, file) : ReadTIFFLong(littleEndian, file);
  file->Seek(resume, CFile::begin);
}

// Tags 273 and 279. An array that does not lie wholly inside the memory copy
// is refused, which also refuses counts no file of this size can hold.
int ApplyStripTable(CMemFile* file, BOOL littleEndian, const TiffEntry* entry, ImgStruct* record) {
  bool offsets = entry->Tag == TAV_TIFF_TAG_STRIP_OFFSETS;
  bool shorts = IsShortType(entry->Type);
  DWORD count = entry->Count;
  uint64_t bytes = (uint64_t)count * (shorts ? 2 : 4);
  if (bytes > 4 && (uint64_t)entry->Value + bytes > file->GetLength())
    return 0;
  HGLOBAL table = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)count * 4 + 4);
  ReplaceTable(record, offsets, table);
  if (offsets)
    record->TiffStripOffsetsCount = table != nullptr ? count : 0;
  record->TiffStripCount = table != nullptr ? count : 0;
  if (table == nullptr)
    return 0;
  DWORD* numbers = (DWORD*)GlobalLock(table);
  if (numbers == nullptr)
    return 0;
  ReadStripNumbers(file, littleEndian, entry, shorts, numbers);
  GlobalUnlock(table);
  return 1;
}

} // namespace

WORD ReadTIFFShort(BOOL littleEndian, CMemFile* file) {
  BYTE bytes[2] = {0, 0};
  file->Read(&bytes[0], 1);
  file->Read(&bytes[1], 1);
  return TiffShortAt(bytes, littleEndian);
}

DWORD ReadTIFFLong(BOOL littleEndian, CMemFile* file) {
  DWORD first = ReadTIFFShort(littleEndian, file);
  DWORD second = ReadTIFFShort(littleEndian, file);
  return littleEndian ? first | second << 16 : first << 16 | second;
}

int ReadTIFFEntry(CMemFile* file, TiffEntry* entry, BOOL littleEndian) {
  BYTE bytes[12];
  if (file->Read(bytes, sizeof bytes) < sizeof bytes)
    return 0;
  entry->Tag = TiffShortAt(bytes, littleEndian);
  entry->Type = TiffShortAt(bytes + 2, littleEndian);
  entry->Count = TiffLongAt(bytes + 4, littleEndian);
  entry->Value = TiffLongAt(bytes + 8, littleEndian);
  memcpy(entry->Field, bytes + 8, sizeof entry->Field);
  return 1;
}

int ApplyTIFFEntry(CMemFile* file, BOOL littleEndian, const TiffEntry* entry, ImgStruct* record) {
  DWORD value = SingleValue(entry, littleEndian);
  switch (entry->Tag) {
  case TAV_TIFF_TAG_WIDTH:
    record->TIFFSize.x = (LONG)value;
    return 1;
  case TAV_TIFF_TAG_HEIGHT:
    record->TIFFSize.y = (LONG)value;
    return 1;
  case TAV_TIFF_TAG_COMPRESSION:
    record->TiffCompression = (SHORT)(WORD)value;
    return 1;
  case TAV_TIFF_TAG_ROWS_PER_STRIP:
    // The low 16 bits: 65,537 rows per strip read as 1, 65,536 as 0 (the
    // whole picture is one strip), 2^32 - 1 as 65,535.
    record->TiffRowsPerStrip = (WORD)value;
    return 1;
  case TAV_TIFF_TAG_STRIP_OFFSETS:
  case TAV_TIFF_TAG_STRIP_BYTE_COUNTS:
    return ApplyStripTable(file, littleEndian, entry, record);
  case TAV_TIFF_TAG_HOTSPOTS:
    if (record->HotspotCount != 0)
      return 1;
    // The low 16 bits of the count, sign-extended: 0xFFFF is -1, no hotspots.
    record->HotspotCount = (SHORT)(WORD)entry->Count;
    ReadTIFFHotspots(file, entry->Value, littleEndian, record);
    return 1;
  default:
    return 1;
  }
}

int ReadTIFFDirectory(CMemFile* file, DWORD ifdOffset, BOOL littleEndian, ImgStruct* record) {
  // The entry count itself must lie inside the copy.
  if ((uint64_t)ifdOffset + 2 > file->GetLength())
    return 0;
  try {
    if ((DWORD)file->Seek((LONG)ifdOffset, CFile::begin) != ifdOffset)
      return 0;
    SHORT count = (SHORT)ReadTIFFShort(littleEndian, file);
    for (SHORT i = 0; i < count; ++i) {
      TiffEntry entry;
      if (!ReadTIFFEntry(file, &entry, littleEndian) || !ApplyTIFFEntry(file, littleEndian, &entry, record))
        return 0;
    }
    return 1;
  } catch (CException* e) {
    e->Delete();
    return 0;
  }
}
