// Reading the rows of a picture strip by strip, from any first row on.
#include "tiff/tiff.h"

void BeginTiffRows(TiffRowReader& reader, ImgStruct* record, LONG firstRow) {
  reader.Record = record;
  reader.Strip = StripBuffer{};
  LockStripTables(record, &reader.Tables);
  // Without RowsPerStrip the whole picture is one strip, as TIFF defines.
  reader.RowsPerStrip = record->TiffRowsPerStrip;
  if (reader.RowsPerStrip == 0)
    reader.RowsPerStrip = record->TIFFSize.y > 0 ? (DWORD)record->TIFFSize.y : 1;
  if (firstRow < 0)
    firstRow = 0;
  DWORD index = (DWORD)firstRow / reader.RowsPerStrip;
  int64_t stripRow = (int64_t)index * reader.RowsPerStrip;
  LoadTIFFStrip(record->PictureFile, reader.Tables, index, reader.Strip);
  reader.NextStripRow = stripRow + reader.RowsPerStrip;
  WORD width = (WORD)record->TIFFSize.x;
  for (int64_t row = stripRow; row < firstRow; ++row)
    SkipMHRow(width, reader.Strip.Data, reader.Strip.Length, reader.Strip.Position);
}

void EnterTiffRow(TiffRowReader& reader, LONG row) {
  if (row != reader.NextStripRow)
    return;
  LoadTIFFStrip(reader.Record->PictureFile, reader.Tables, (DWORD)row / reader.RowsPerStrip, reader.Strip);
  reader.NextStripRow += reader.RowsPerStrip;
}

void EndTiffRows(TiffRowReader& reader) {
  UnlockStripTables(reader.Record, &reader.Tables);
  FreeStripBuffer(reader.Strip);
}
