// TIFF pictures: reader, hotspot tag, strip loading, Modified Huffman rows,
// reduced rendering and 1-bit export.
#ifndef TAV_TIFF_TIFF_H
#define TAV_TIFF_TIFF_H

#include <tavoimg/tavoimg.h>

// Opens TiffPath of the record: memory copy, header, first directory.
int LoadTIFF(ImgStruct* record);
int ReadFileToMemory(const char* path, ImgStruct* record);
// Frees the strip offset and byte count tables of the record.
void FreeTIFFTables(ImgStruct* record);

// Draws a reduced window of the picture (see the renderer for the rules).
void DrawTIFF(int insetX, int insetY, int srcX0, int srcX1, int srcY0, int srcY1, int destWidth, int destHeight,
              ImgStruct* record, HDC dc, const RECT* fillRect);
// Decodes a window of the picture into a 1-bit DIB (48-byte header, then bits).
int DecodeTIFFToDIB(int x0, int x1, int y0, int y1, BYTE* dib, ImgStruct* record);

#endif
