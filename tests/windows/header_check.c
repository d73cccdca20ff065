/* The public header as a C host reads it, compiled as C89 and as C99 with
   -pedantic: compiling this file is the check. The layout checks the header
   keeps for C++ are repeated here in a form C reads. */
#include <tavoimg/tavoimg.h>

typedef char TavCheckCString[sizeof(CString) == sizeof(void*) ? 1 : -1];
typedef char TavCheckEntry[sizeof(HotspotEntry) == 91 ? 1 : -1];
typedef char TavCheckData[sizeof(HotspotDataRecord) == 105 ? 1 : -1];
typedef char TavCheckRecord
    [sizeof(ImgStruct) == TAVIMG_RECORD_SIZE_32 + TAVIMG_RECORD_POINTER_FIELDS * (sizeof(void*) - 4) ? 1 : -1];

/* The two exports that carry a CString, with the types a C host uses. */
int TavCheckCStringExports(void);
int TavCheckCStringExports(void) {
  LONG(WINAPI * getLastError)(CString*) = TAVIMG_GetLastError;
  LONG(WINAPI * drf2tiff)(DWORD, ImgStruct*, CString) = FILE_DRF2TIFF_Hotspots;
  return getLastError != 0 && drf2tiff != 0;
}
