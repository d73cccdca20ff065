// DRF pictures: loader, row decoders, painter, DIB export, DRF-to-TIFF.
#ifndef TAV_DRF_DRF_H
#define TAV_DRF_DRF_H

#include <tavoimg/tavoimg.h>

class CFile;

enum { TAV_STRIPE_BYTES = 65536, TAV_MAX_STRIPES = 16, TAV_MAX_BANDS = 16 };

int LoadDRFPicture(ImgStruct* record);
int ReadDRFRasterTable(CFile& file, const BYTE* header, ImgStruct* record);
void ReadDRFString(CFile& file, char* destination, int maxChars);

// Bits per pixel and colours of a picture kind (5 to 8); 0 for other kinds.
int DRFKindInfo(int kind, SHORT* bitCount, SHORT* colorCount);
// Width rounded up to a multiple of 16 pixels: the row length of the bands.
LONG DRFPaddedWidth(LONG width);

int DecodeDRFPicture(HWND window, ImgStruct* record);
int DecodeDRFKind5(HWND window, ImgStruct* record);
int DecodeDRFKind6(HWND window, ImgStruct* record, BYTE fillIndex);
int DecodeDRFKind7(HWND window, ImgStruct* record);

int DrawDRFPicture(HWND window, ImgStruct* record, HDC dc, const RECT* paintRect);
int DRFToDIB(BYTE* buffer, ImgStruct* record);
HGLOBAL CopyDRFToGlobal(ImgStruct* record);

void SetIFDEntry(WORD* entryCount, BYTE* ifd, DWORD* ifdSize, WORD tag, WORD type, DWORD count, DWORD value);

#endif
