// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include "drf/drf.h"

int LoadDRFPicture(ImgStruct*) { return 0; }
int ReadDRFRasterTable(CFile&, const BYTE*, ImgStruct*) { return 0; }
void ReadDRFString(CFile&, char*, int) {}
void FreeDRFStripes(ImgStruct*) {}
