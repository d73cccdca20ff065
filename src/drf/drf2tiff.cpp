// DRF-to-TIFF conversion: writes the companion TIFF of a kind 5 DRF picture
// anew with the DRF's hotspots in the private tag 65024.
//
// Output layout (little-endian, as the source): the source file as it is
// (header pointing to the new directory, PhotometricInterpretation 1 made 0),
// then one 32-bit byte count per strip, then the hotspot records, then the
// new first directory with tag 279 (StripByteCounts) and tag 65024 set.
#include "core/core.h"
#include <afx.h>
#include "drf/drf.h"
#include "hotspots/hotspots.h"

#include <stdint.h>
#include <string.h>

#include <new>
#include <vector>

namespace {

enum : WORD {
  kTagPhotometric = 262,
  kTagStripByteCounts = 279,
  kTagHotspots = 65024,
  kTypeLong = 4,
};

enum : DWORD {
  kIfdEntryBytes = 12,
  // The reader takes a directory's entry count as a signed 16-bit number.
  kMaxEntriesAfterAdding = 32767,
  // The memory file of the reader addresses at most 2^31 - 1 bytes.
  kMaxOutputBytes = 0x7FFFFFFF,
};

WORD GetLE16(const BYTE* p) {
  return (WORD)(p[0] | (p[1] << 8));
}
DWORD GetLE32(const BYTE* p) {
  return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}
void PutLE16(BYTE* p, WORD v) {
  p[0] = (BYTE)v;
  p[1] = (BYTE)(v >> 8);
}
void PutLE32(BYTE* p, DWORD v) {
  PutLE16(p, (WORD)v);
  PutLE16(p + 2, (WORD)(v >> 16));
}

void PutIFDEntry(BYTE* entry, WORD tag, WORD type, DWORD count, DWORD value) {
  PutLE16(entry, tag);
  PutLE16(entry + 2, type);
  PutLE32(entry + 4, count);
  PutLE32(entry + 8, value);
}

size_t BoundedLength(const char* text, size_t capacity) {
  const void* end = memchr(text, 0, capacity);
  return end != nullptr ? (size_t)((const char*)end - text) : capacity;
}

// One hotspot record of tag 65024, from the entry's ScreenRect (already in
// TIFF pixels), name, text and kind.
void AppendHotspotRecord(std::vector<BYTE>& out, const HotspotEntry& spot) {
  size_t nameLength = BoundedLength(spot.HotspotName, sizeof spot.HotspotName);
  size_t textLength = BoundedLength(spot.HotspotText, sizeof spot.HotspotText);
  const TavRect& r = spot.ScreenRect;
  // Only the low 16 bits are written: the differences are taken unsigned so
  // that edges far apart cannot overflow.
  DWORD width = r.right >= r.left ? (DWORD)r.right - (DWORD)r.left : (DWORD)r.left - (DWORD)r.right;
  DWORD height = r.bottom >= r.top ? (DWORD)r.bottom - (DWORD)r.top : (DWORD)r.top - (DWORD)r.bottom;

  size_t start = out.size();
  out.resize(start + 14 + nameLength + textLength);
  BYTE* p = out.data() + start;
  PutLE16(p, (WORD)(12 + nameLength + textLength));
  PutLE16(p + 2, (WORD)r.left);
  PutLE16(p + 4, (WORD)r.top);
  PutLE16(p + 6, (WORD)width);
  PutLE16(p + 8, (WORD)height);
  p += 10;
  *p++ = (BYTE)nameLength;
  memcpy(p, spot.HotspotName, nameLength);
  p += nameLength;
  *p++ = (BYTE)textLength;
  memcpy(p, spot.HotspotText, textLength);
  p += textLength;
  *p++ = (BYTE)spot.HotspotKind;
  *p = 0;
}

// Byte counts derived from the strip offsets: the distance to the next
// strip, and to the end of the file for the last. Fails when an offset lies
// beyond the file or the offsets descend, since no count can then be derived.
bool DeriveStripByteCounts(const DWORD* offsets, DWORD n, DWORD fileSize, std::vector<BYTE>& out) {
  out.resize((size_t)n * 4);
  for (DWORD i = 0; i < n; i++) {
    DWORD end = i + 1 < n ? offsets[i + 1] : fileSize;
    if (offsets[i] > fileSize || end < offsets[i])
      return false;
    PutLE32(out.data() + (size_t)i * 4, end - offsets[i]);
  }
  return true;
}

bool ReadStripByteCounts(ImgStruct* record, DWORD fileSize, std::vector<BYTE>& out) {
  DWORD n = record->TiffStripCount;
  if (n == 0 || record->TiffStripOffsets == nullptr)
    return false;
  // The table may be shorter than TiffStripCount when tag 279 came last with
  // a larger count than tag 273.
  if (n > record->TiffStripOffsetsCount || (SIZE_T)n > GlobalSize(record->TiffStripOffsets) / 4)
    return false;
  const DWORD* offsets = (const DWORD*)GlobalLock(record->TiffStripOffsets);
  if (offsets == nullptr)
    return false;
  bool ok = DeriveStripByteCounts(offsets, n, fileSize, out);
  GlobalUnlock(record->TiffStripOffsets);
  return ok;
}

// Reads the whole source from the record's memory copy. The file system's
// size must agree with the copy, which holds the file followed by zeros.
bool ReadSource(ImgStruct* record, std::vector<BYTE>& source) {
  CFileStatus status;
  if (!CFile::GetStatus(record->TiffPath, status) || status.m_size < 8)
    return false;
  DWORD size = (DWORD)status.m_size;
  if (size > record->PictureFile->GetLength())
    return false;
  source.assign((size_t)size + 10, 0);
  record->PictureFile->Seek(0, CFile::begin);
  if (record->PictureFile->Read(source.data(), size) != size)
    return false;
  source.resize(size);
  return true;
}

struct NewDirectory {
  std::vector<BYTE> bytes;
  DWORD size = 0;
};

// Checks the source's header and first directory, turns a
// PhotometricInterpretation of 1 into 0 in the source, and copies the
// directory with room for two more entries.
bool CopyFirstDirectory(std::vector<BYTE>& source, NewDirectory& directory) {
  const DWORD fileSize = (DWORD)source.size();
  BYTE* file = source.data();
  if (file[0] != 'I' || file[1] != 'I' || GetLE16(file + 2) != 42)
    return false;
  DWORD offset = GetLE32(file + 4);
  if (offset < 8 || offset > fileSize - 2)
    return false;
  DWORD count = GetLE16(file + offset);
  DWORD bytes = 2 + count * kIfdEntryBytes + 4;
  if (bytes > fileSize - offset || count + 2 > kMaxEntriesAfterAdding)
    return false;

  BYTE* entries = file + offset + 2;
  for (DWORD i = 0; i < count; i++) {
    BYTE* entry = entries + i * kIfdEntryBytes;
    if (GetLE16(entry) != kTagPhotometric)
      continue;
    if (GetLE32(entry + 8) == 1)
      PutLE32(entry + 8, 0);
    break;
  }

  directory.bytes.assign(bytes + 2 * kIfdEntryBytes, 0);
  memcpy(directory.bytes.data(), file + offset, bytes);
  directory.size = bytes;
  return true;
}

struct FilePart {
  const void* bytes;
  DWORD size;
};

// Writes the parts one after another into a new file in the folder of path
// and only then puts it in path's place, so that a failed write (a full disk,
// the file-size limit) leaves no partial file there and a file that was there
// stays as it was. False on any failure, with nothing left behind.
bool WriteWholeFile(const char* path, const FilePart* parts, size_t count) {
  const char* name = path;
  for (const char* p = path; *p != 0; ++p) {
    if (*p == '/' || *p == '\\')
      name = p + 1;
  }
  // The folder keeps its separator only when it is the root.
  size_t folderLength = name > path ? (size_t)(name - path) - 1 : 0;
  if (name > path && folderLength == 0)
    folderLength = 1;
  char folder[MAX_PATH] = ".";
  if (folderLength > 0) {
    if (folderLength >= sizeof folder)
      return false;
    memcpy(folder, path, folderLength);
    folder[folderLength] = 0;
  }
  char temporary[MAX_PATH];
  if (GetTempFileNameA(folder, "tav", 0, temporary) == 0)
    return false;
  bool written = false;
  try {
    CFile file;
    if (file.Open(temporary, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) {
      for (size_t i = 0; i < count; ++i)
        file.Write(parts[i].bytes, parts[i].size);
      file.Close();
      written = true;
    }
  } catch (CException* e) {
    e->Delete(); // the file was closed on the way out
  }
  if (written && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING))
    return true;
  DeleteFileA(temporary);
  return false;
}

LONG Convert(ImgStruct* record, const char* outputPath) {
  if (!IsSlotRecord(record) || record->TiffPath[0] == 0 || record->PictureFile == nullptr)
    return 0;
  if (outputPath == nullptr || outputPath[0] == 0)
    return 0;
  if (record->TIFFSize.x <= 0 || record->TIFFSize.y <= 0)
    return 0;

  // The last error code is kept, as this export does.
  PlaceHotspotsInTiffPixels(record);

  std::vector<BYTE> source;
  if (!ReadSource(record, source))
    return 0;
  const DWORD fileSize = (DWORD)source.size();

  const LONG spotCount = UsableHotspotCount(record);
  std::vector<BYTE> hotspots;
  hotspots.reserve(50000);
  for (LONG i = 0; i < spotCount; i++)
    AppendHotspotRecord(hotspots, record->Hotspots[i]);

  std::vector<BYTE> byteCounts;
  if (!ReadStripByteCounts(record, fileSize, byteCounts))
    return 0;
  const DWORD n = record->TiffStripCount;

  NewDirectory directory;
  if (!CopyFirstDirectory(source, directory))
    return 0;

  uint64_t hotspotsAt = (uint64_t)fileSize + byteCounts.size();
  uint64_t directoryAt = hotspotsAt + hotspots.size();
  if (directoryAt + directory.size + 2 * kIfdEntryBytes > kMaxOutputBytes)
    return 0;

  WORD entryCount = GetLE16(directory.bytes.data());
  DWORD countsValue = n == 1 ? GetLE32(byteCounts.data()) : fileSize;
  SetIFDEntry(&entryCount, directory.bytes.data(), &directory.size, kTagStripByteCounts, kTypeLong, n, countsValue);
  SetIFDEntry(&entryCount, directory.bytes.data(), &directory.size, kTagHotspots, kTypeLong, (DWORD)spotCount,
              (DWORD)hotspotsAt);
  PutLE32(source.data() + 4, (DWORD)directoryAt);

  const FilePart parts[] = {{source.data(), fileSize},
                            {byteCounts.data(), (DWORD)byteCounts.size()},
                            {hotspots.data(), (DWORD)hotspots.size()},
                            {directory.bytes.data(), directory.size}};
  return WriteWholeFile(outputPath, parts, sizeof parts / sizeof parts[0]) ? 1 : 0;
}

} // namespace

void SetIFDEntry(WORD* entryCount, BYTE* ifd, DWORD* ifdSize, WORD tag, WORD type, DWORD count, DWORD value) {
  BYTE* entries = ifd + 2;
  for (DWORD i = 0; i < *entryCount; i++) {
    BYTE* entry = entries + i * kIfdEntryBytes;
    if (GetLE16(entry) == tag) {
      PutIFDEntry(entry, tag, type, count, value);
      return;
    }
  }

  DWORD oldCount = *entryCount;
  *entryCount = (WORD)(oldCount + 1);
  PutLE16(ifd, *entryCount);
  memmove(ifd + *ifdSize + 8, ifd + *ifdSize - 4, 4);
  *ifdSize += kIfdEntryBytes;

  DWORD slot = oldCount;
  for (DWORD i = 0; i < oldCount; i++) {
    if (GetLE16(entries + i * kIfdEntryBytes) > tag) {
      slot = i;
      break;
    }
  }
  BYTE* at = entries + slot * kIfdEntryBytes;
  memmove(at + kIfdEntryBytes, at, (oldCount - slot) * kIfdEntryBytes);
  PutIFDEntry(at, tag, type, count, value);
}

// The path is the host's CString passed by value: a reference that is ours to
// release, which `path` does on every way out.
extern "C" LONG WINAPI FILE_DRF2TIFF_Hotspots(DWORD, ImgStruct* record, CStringValue outputPath) {
  CString path(outputPath);
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  try {
    return Convert(record, path);
  } catch (CException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
