// TIFF file reader: the memory copy of the file, the header and the load.
#include "core/core.h"
#include "tiff/tiff.h"

#include <afx.h>

#include <new>
#include <stdio.h>
#include <string.h>

namespace {

// Error 12 stands for a directory that cannot be read; it is left out when
// the call already recorded a more specific failure.
void ReportDirectoryError(const ImgStruct* record) {
  if (LastErrorCode() < 2)
    ReportError(TAV_ERR_TIFF_DISPLAY, record->TiffPath);
}

void DeleteMemoryFile(CMemFile* file) {
  if (file == nullptr)
    return;
  file->Close();
  delete file;
}

// Copies the open file into memory in whole blocks; returns the number of
// bytes the file gave. Throws CException* when the copy cannot grow.
DWORD CopyBlocks(CFile& source, CMemFile& copy) {
  BYTE block[TAV_TIFF_COPY_BLOCK];
  DWORD total = 0;
  for (;;) {
    memset(block, 0, sizeof block);
    UINT got = source.Read(block, sizeof block);
    copy.Write(block, sizeof block);
    total += got;
    if (got < sizeof block)
      return total;
  }
}

} // namespace

int ReadFileToMemory(const char* path, ImgStruct* record) {
  if (path == nullptr || record == nullptr) {
    ReportError(TAV_ERR_IMAGE_OPEN, path != nullptr ? path : "");
    return 0;
  }
  CFile source;
  if (!source.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) {
    ReportError(TAV_ERR_IMAGE_OPEN, path);
    return 0;
  }
  CMemFile* copy = new (std::nothrow) CMemFile(TAV_TIFF_COPY_BLOCK);
  if (copy == nullptr) {
    source.Close();
    ReportError(TAV_ERR_IMAGE_EOF, path);
    return 0;
  }
  bool complete = false;
  try {
    DWORD total = CopyBlocks(source, *copy);
    complete = total == source.GetLength();
  } catch (CException* e) {
    // The copy could not grow: it is as incomplete as a short read.
    e->Delete();
  }
  source.Close();
  if (!complete) {
    DeleteMemoryFile(copy);
    ReportError(TAV_ERR_IMAGE_EOF, path);
    return 0;
  }
  // A copy of an earlier load into this record is replaced.
  DeleteMemoryFile(record->PictureFile);
  record->PictureFile = copy;
  copy->Seek(0, CFile::begin);
  return 1;
}

WORD TiffShortAt(const BYTE* bytes, BOOL littleEndian) {
  return littleEndian ? (WORD)(bytes[0] | bytes[1] << 8) : (WORD)(bytes[0] << 8 | bytes[1]);
}

DWORD TiffLongAt(const BYTE* bytes, BOOL littleEndian) {
  DWORD first = TiffShortAt(bytes, littleEndian);
  DWORD second = TiffShortAt(bytes + 2, littleEndian);
  return littleEndian ? first | second << 16 : first << 16 | second;
}

int64_t ReadTIFFHeader(CMemFile* file, TiffHeader* header) {
  BYTE bytes[8];
  if (file->Read(bytes, sizeof bytes) < sizeof bytes)
    return -1;
  if (bytes[0] != bytes[1])
    return -1;
  header->LittleEndian = bytes[0] == 'I';
  header->Version = TiffShortAt(bytes + 2, header->LittleEndian);
  if (header->Version != 42)
    return -1;
  header->FirstIfd = TiffLongAt(bytes + 4, header->LittleEndian);
  return header->FirstIfd;
}

int LoadTIFF(ImgStruct* record) {
  if (record == nullptr)
    return 0;
  if (!ReadFileToMemory(record->TiffPath, record))
    return 0;
  // The strip tables belong to the picture just copied; those of an earlier
  // load into this record go.
  FreeTIFFTables(record);
  CMemFile* file = record->PictureFile;
  TiffHeader header = {};
  file->Seek(0, CFile::begin);
  int64_t ifd = ReadTIFFHeader(file, &header);
  if (ifd < 0 || !ReadTIFFDirectory(file, header.FirstIfd, header.LittleEndian, record)) {
    ReportDirectoryError(record);
    return 0;
  }
  if (record->TiffCompression != 2) {
    char number[16];
    snprintf(number, sizeof number, "%d", (int)record->TiffCompression);
    ReportError(TAV_ERR_TIFF_COMPRESSION, number);
    return 0;
  }
  return 1;
}
