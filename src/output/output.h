// Clipboard copy.
#ifndef TAV_OUTPUT_OUTPUT_H
#define TAV_OUTPUT_OUTPUT_H

#include <tavoimg/tavoimg.h>

HBITMAP TiffToBitmap(int x0, int x1, int y0, int y1, ImgStruct* record);

#endif
