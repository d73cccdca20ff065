// The record's palette, shared by the DRF and TIFF drawing.
#ifndef TAV_DRAWING_PALETTE_H
#define TAV_DRAWING_PALETTE_H

#include <tavoimg/tavoimg.h>

enum { TAV_PALETTE_DRF = 8, TAV_PALETTE_TIFF = 9 };

// Builds record->Palette from record->BitmapInfo's colour table (simple) or
// as the full 256-entry palette when PaletteSet is not 0. fillIndex, when not
// null, receives the palette index nearest to white.
void BuildPalette(BYTE* fillIndex, ImgStruct* record, int kind);
void BuildFullPalette(BYTE* fillIndex, ImgStruct* record, int kind);
void ReduceColours(const PALETTEENTRY* source, PALETTEENTRY* target, int n, int max);
void SeparatePaletteEntries(PALETTEENTRY* entries); // all 256

#endif
