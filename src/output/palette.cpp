// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include "output/output.h"

void BuildPalette(BYTE*, ImgStruct*, int) {}
void BuildFullPalette(BYTE*, ImgStruct*, int) {}
void ReduceColours(const PALETTEENTRY*, PALETTEENTRY*, int, int) {}
void SeparatePaletteEntries(PALETTEENTRY*) {}
extern "C" LONG WINAPI TAVIMG_SetPaletteEntries(ImgStruct*, const PALETTEENTRY*, LONG) { return 0; }
extern "C" LONG WINAPI TAVIMG_GetPaletteEntries(DWORD, PALETTEENTRY*) { return 0; }
