// TIFF pictures: reader, hotspot tag, strip loading, Modified Huffman rows,
// reduced rendering and 1-bit export.
#ifndef TAV_TIFF_TIFF_H
#define TAV_TIFF_TIFF_H

#include <tavoimg/tavoimg.h>

#include <stdint.h>

// Opens TiffPath of the record: memory copy, header, first directory.
int LoadTIFF(ImgStruct* record);
int ReadFileToMemory(const char* path, ImgStruct* record);

// Draws a reduced window of the picture (see the renderer for the rules).
void DrawTIFF(int insetX, int insetY, int srcX0, int srcX1, int srcY0, int srcY1, int destWidth, int destHeight,
              ImgStruct* record, HDC dc, const RECT* fillRect);
// Decodes a window of the picture into a 1-bit DIB (48-byte header, then bits).
int DecodeTIFFToDIB(int x0, int x1, int y0, int y1, BYTE* dib, ImgStruct* record);

// ---- File reader (reader.cpp, directory.cpp) ----

// Block size of the memory copy and its grow size.
enum { TAV_TIFF_COPY_BLOCK = 10240 };

// The 8-byte header as read.
struct TiffHeader {
  LONG LittleEndian; // nonzero when the first byte is 'I'
  WORD Version;
  DWORD FirstIfd;
};

// One 12-byte directory entry, decoded in the file's byte order. Value is the
// value field as one 32-bit number; Field holds its four bytes as stored
// (TIFF keeps SHORT values in the first two of them, in either byte order).
struct TiffEntry {
  WORD Tag;
  WORD Type;
  DWORD Count;
  DWORD Value;
  BYTE Field[4];
};

enum {
  TAV_TIFF_TYPE_SHORT = 3,
  TAV_TIFF_TYPE_SSHORT = 8,
  TAV_TIFF_TAG_WIDTH = 256,
  TAV_TIFF_TAG_HEIGHT = 257,
  TAV_TIFF_TAG_COMPRESSION = 259,
  TAV_TIFF_TAG_STRIP_OFFSETS = 273,
  TAV_TIFF_TAG_ROWS_PER_STRIP = 278,
  TAV_TIFF_TAG_STRIP_BYTE_COUNTS = 279,
  TAV_TIFF_TAG_HOTSPOTS = 65024,
};

// Returns the first IFD offset (0 to 2^32 - 1), or -1 when the first 8 bytes
// are not a TIFF header.
int64_t ReadTIFFHeader(CMemFile* file, TiffHeader* header);
// 1 when the whole directory was read; 0 when the IFD cannot be reached, an
// entry is cut off or an entry is refused.
int ReadTIFFDirectory(CMemFile* file, DWORD ifdOffset, BOOL littleEndian, ImgStruct* record);
// 1, or 0 when fewer than 12 bytes could be read.
int ReadTIFFEntry(CMemFile* file, TiffEntry* entry, BOOL littleEndian);
// 1, or 0 when a strip table cannot be read or held (the directory fails).
int ApplyTIFFEntry(CMemFile* file, BOOL littleEndian, const TiffEntry* entry, ImgStruct* record);
// Numbers at the memory file's position; bytes beyond the copy read as 0.
WORD ReadTIFFShort(BOOL littleEndian, CMemFile* file);
DWORD ReadTIFFLong(BOOL littleEndian, CMemFile* file);
// Numbers inside a buffer already read.
WORD TiffShortAt(const BYTE* bytes, BOOL littleEndian);
DWORD TiffLongAt(const BYTE* bytes, BOOL littleEndian);

// ---- Hotspot tag (hotspot_tag.cpp) ----

void ReadTIFFHotspots(CMemFile* file, DWORD offset, BOOL littleEndian, ImgStruct* record);
void ReadTIFFHotspot(CMemFile* file, int index, BOOL littleEndian, ImgStruct* record);
// Appends n bytes, one at a time, to the zero-terminated string (a zero byte
// appends nothing); the string must have room for n more characters.
void ReadTIFFBytes(CMemFile* file, char* string, int n);

// ---- Strips (strip.cpp) ----

// The strip being read: its own block, the bytes read into it and where the
// next row begins.
struct StripBuffer {
  HGLOBAL Handle;
  BYTE* Data;
  DWORD Length;
  DWORD Position;
};

// The strip tables of a record, locked for one drawing or export.
struct StripTables {
  const DWORD* Offsets;
  DWORD OffsetCount;
  const DWORD* ByteCounts; // null when the file gives none
  DWORD ByteCountCount;
};
void LockStripTables(ImgStruct* record, StripTables* tables);
void UnlockStripTables(ImgStruct* record, StripTables* tables);

void LoadTIFFStrip(CMemFile* file, const StripTables& tables, DWORD index, StripBuffer& strip);
void FreeStripBuffer(StripBuffer& strip);

// ---- Modified Huffman rows (mh_decode.cpp) ----

// Decodes the row at position (black pixels of the source window xStart..xEnd - 1
// set in row, a 1-bit row, leftmost pixel in bit 7 of its first byte, with room
// for xEnd - xStart pixels); position moves to where the next row begins.
void DecodeMHRowBits(uint32_t xStart, uint32_t xEnd, WORD width, const BYTE* data, DWORD length, DWORD& position,
                     BYTE* row);
// The counters of a reduced drawing, gathered for several rows at once. A
// cell per counter holds the pixels of the runs that start or end in it
// (Count) and, as differences, how many runs covered it whole (Covered: its
// prefix sum at counter c, times the columns of c, is what c still lacks).
// An entry per window column gives its counter and how many of the
// counter's columns lie from it to the counter's end (ToEnd) and from the
// counter's start through it (FromStart). Sums are taken modulo 65536,
// which is exact while each counter stays below 65536.
struct TiffRunCell {
  WORD Count;
  WORD Covered;
};
struct TiffRunColumn {
  WORD Counter;
  WORD ToEnd;
  WORD FromStart;
};
struct TiffColumnRuns {
  TiffRunCell* Cells;           // one per counter, and one more
  const TiffRunColumn* Columns; // one per window column
};
// Decodes the row at position as DecodeMHRowBits does, into runs (the window
// being sourceWidth columns from xStart).
void DecodeMHRowRuns(uint32_t xStart, uint32_t xEnd, WORD width, const BYTE* data, DWORD length, DWORD& position,
                     const TiffColumnRuns& runs, WORD sourceWidth);
// Moves position over one row without counting anything.
void SkipMHRow(WORD width, const BYTE* data, DWORD length, DWORD& position);

// ---- Reading rows strip by strip (rows.cpp) ----

// Walks the rows of a picture from a first row on, loading each strip when
// its first row comes up.
struct TiffRowReader {
  ImgStruct* Record;
  StripTables Tables;
  StripBuffer Strip;
  DWORD RowsPerStrip;
  int64_t NextStripRow;
};
// Locks the strip tables and positions the reader at firstRow, decoding the
// rows of its strip above it.
void BeginTiffRows(TiffRowReader& reader, ImgStruct* record, LONG firstRow);
// Loads the strip that begins at row, when one does.
void EnterTiffRow(TiffRowReader& reader, LONG row);
void EndTiffRows(TiffRowReader& reader);

// ---- Rendering (render.cpp, export.cpp) ----

// Rows of a full drawing band for a destination width of 1 to 131072.
int TiffBandHeight(int destWidth);
// A bottom-up BI_RGB header of the given size, bit count and colours used.
void FillTiffBitmapHeader(BITMAPINFOHEADER* header, LONG width, LONG height, WORD bitCount, DWORD colours);

void PutBandRow(HDC dc, BYTE* band, int destWidth, const WORD* counts, int sourceWidth, int destRow, int rows,
                ImgStruct* record);
// ORs a decoded 1-bit row (DecodeMHRowBits) into the DIB bits as the next
// row from the top.
void PutMonoRow(BYTE* bits, int width, const BYTE* row, ImgStruct* record);

#endif
