/* TavoIMG public interface: the picture record, the hotspot records and every
   exported function. A host includes this header and links the TavoIMG module.
   It reads as C (C89 and later) and as C++, with or without MFC.

   The record is handed to the host as a raw pointer, so its layout is part of
   the interface: every structure here is byte-packed. With 4-byte pointers
   ImgStruct is 55,938 bytes; with 8-byte pointers each pointer and handle
   field widens and nothing else changes. */
#ifndef TAVOIMG_TAVOIMG_H
#define TAVOIMG_TAVOIMG_H

#include <windows.h>

/* CString, the 8-bit string that TAVIMG_GetLastError fills and that
   FILE_DRF2TIFF_Hotspots takes by value. At the module boundary it is one
   pointer to zero-terminated characters, preceded by the 12-byte header
   {LONG nRefs; int nDataLength; int nAllocLength;}; by value it is that one
   pointer, a reference that the callee releases.
   - C++ with MFC (afx.h included first): the host's own CString, whether a
     class or a typedef.
   - C++ without MFC: the CString of the library's MFC subset (its afx.h).
   - C: a structure holding that one pointer.
   By value, Microsoft's 32-bit compiler passes a CString as its one pointer.
   Other C++ compilers pass a class with a copy constructor through a hidden
   reference, so for them the parameter is CStringValue, a structure of the
   one pointer (the MFC subset's CString converts to it, adding the reference). */
#ifdef __cplusplus
#  ifdef __AFX_H__
#    if !defined(_MSC_VER) || defined(_WIN64)
struct CStringValue {
  char* m_pchData;
};
#    endif
#  elif !defined(TAV_MFC_AFX_H)
class CString;
struct CStringValue;
#  endif
#  if defined(_MSC_VER) && !defined(_WIN64)
#    define TAVIMG_CSTRING_BY_VALUE CString
#  else
#    define TAVIMG_CSTRING_BY_VALUE CStringValue
#  endif
class CMemFile;
#else
typedef struct CString {
  char* m_pchData;
} CString;
#  define TAVIMG_CSTRING_BY_VALUE CString
typedef struct CMemFile CMemFile;
#endif

#ifdef _WIN32
#  ifdef TAVOIMG_BUILDING
#    define TAVIMG_IMPORT_EXPORT __declspec(dllexport)
#  else
#    define TAVIMG_IMPORT_EXPORT __declspec(dllimport)
#  endif
#else
#  define TAVIMG_IMPORT_EXPORT __attribute__((visibility("default")))
#endif
#ifdef __cplusplus
#  define TAVIMG_API extern "C" TAVIMG_IMPORT_EXPORT
#else
#  define TAVIMG_API extern TAVIMG_IMPORT_EXPORT
#endif
/* Every export is WINAPI: __stdcall on 32-bit Windows. */
#define TAVIMG_CALL WINAPI

/* Number that stands for "no hotspot" everywhere. */
enum { TAVIMG_NO_HOTSPOT = 601, TAVIMG_MAX_HOTSPOTS = 600 };

/* Hotspot state bits. */
enum { TAVIMG_ACTIVE_BIT = 1, TAVIMG_HOVER_BIT = 2, TAVIMG_MARKED_BIT = 4, TAVIMG_DRAWN_BIT = 8 };

/* Hotspot frame drawing mode bit: only the outline is inverted. */
enum { TAVIMG_HOLLOW_FRAMES = 0x20000 };

/* File types of TAVIMG_OpenImage / TAVIMG_LoadPicture. */
enum { TAVIMG_FILE_DRF = 3, TAVIMG_FILE_TIFF = 4 };

/* Host callback for messages the library does not handle itself: called with
   0, the message number and the name of the hotspot under the mouse. */
typedef void(CALLBACK* TAVIMG_NOTIFYPROC)(DWORD zero, UINT message, char* hotspotName);

#pragma pack(push, 1)

typedef struct TavPair {
  LONG x; /* or width */
  LONG y; /* or height */
} TavPair;

typedef struct TavDoublePair {
  double x;
  double y;
} TavDoublePair;

typedef struct TavRect {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} TavRect;

typedef struct HotspotEntry {
  TavRect ScreenRect;
  char HotspotName[32];
  char HotspotText[25];
  signed char HotspotState;
  signed char HotspotKind;
  TavRect PictureRect;
} HotspotEntry;

typedef struct HotspotDataRecord {
  LONG Number;
  TavRect ScreenRect;
  TavRect PictureRect;
  char Name[34];
  char Text[27];
  LONG State;
  LONG Kind;
} HotspotDataRecord;

typedef struct ImgStruct {
  CMemFile* PictureFile;            /* 1 */
  char DrfPath[261];                /* 2 */
  char TiffPath[261];               /* 3 */
  HGDIOBJ SparePalette;             /* 4 */
  HGLOBAL TiffStripOffsets;         /* 5 */
  DWORD TiffStripCount;             /* 6 */
  LONG MinHScrollRange;             /* 7 */
  WORD TiffRowsPerStrip;            /* 8 */
  LONG TiffCompression;             /* 9 */
  HGLOBAL TiffStripByteCounts;      /* 10 */
  TavPair TIFFSize;                 /* 11 */
  LONG RowsPerBand;                 /* 12 */
  LONG LastBandRows;                /* 13 */
  LONG BandCount;                   /* 14 */
  LONG PaddedWidth;                 /* 15 */
  HPALETTE Palette;                 /* 16 */
  SHORT DRFColorType;               /* 17 */
  HGLOBAL DRFStripeHandles[16];     /* 18 */
  HGLOBAL BandHandles[16];          /* 19 */
  BYTE* BandBits[16];               /* 20 */
  DWORD DRFDataSize;                /* 21 */
  TavPair DRFSize;                  /* 22 */
  LONG DRFRasterFlag;               /* 23 */
  LONG TiffBandRow;                 /* 24 */
  LONG TiffBandRows;                /* 25 */
  LONG TiffBandRowsLeft;            /* 26 */
  LONG InPaint;                     /* 27 */
  DWORD TiffStripOffsetsCount;      /* 28 */
  DWORD HostValue;                  /* 29 */
  TAVIMG_NOTIFYPROC NotifyCallback; /* 30 */
  BYTE DrfShown;                    /* 31 */
  BYTE ZoomedShown;                 /* 32 */
  BYTE TiffShown;                   /* 33 */
  WORD BkRgb[3];                    /* 34 */
  HBRUSH BkBrush;                   /* 35 */
  HGLOBAL BitmapInfoHandle;         /* 36 */
  SHORT DRFColorCount;              /* 37 */
  SHORT DRFBitCount;                /* 38 */
  DWORD BkValue;                    /* 39 */
  BITMAPINFO* BitmapInfo;           /* 40 */
  DWORD HotspotMode;                /* 41 */
  DWORD HotspotModeValue2;          /* 42 */
  DWORD HotspotModeValue3;          /* 43 */
  LONG HotspotPenWidth;             /* 44 */
  LONG HoverHotspot;                /* 45 */
  BYTE Reserved1[32];               /* 46 */
  LONG HotspotCount;                /* 47 */
  SHORT DRFSpotOffset[2];           /* 48 */
  LONG SelectedHotspot;             /* 49 */
  LONG CurrentHotspot;              /* 50 */
  char SelectedHotspotName[32];     /* 51 */
  char CurrentHotspotName[32];      /* 52 */
  HotspotEntry Hotspots[601];       /* 53 */
  DWORD DisplayMode;                /* 54 */
  DWORD HostValue2;                 /* 55 */
  SHORT PictureMode;                /* 56 */
  SHORT FitMode;                    /* 57 */
  TavDoublePair FitSize;            /* 58 */
  TavPair ScaledClientSize;         /* 59 */
  TavPair AltSize;                  /* 60 */
  TavPair ClientSize;               /* 61 */
  TavPair DrawSize;                 /* 62 */
  TavPair WindowOrigin;             /* 63 */
  TavPair BildMitte;                /* 64 */
  TavPair CentringOffset;           /* 65 */
  TavRect ZoomRect;                 /* 66 */
  TavDoublePair BildFactor;         /* 67 */
  TavPair ScrollPos;                /* 68 */
  TavPair ScrollRange;              /* 69 */
  TavPair ScrollPage;               /* 70 */
  BYTE Zoomed;                      /* 71 */
  BYTE Painted;                     /* 72 */
  BYTE InZoomAction;                /* 73 */
  BYTE TiffReady;                   /* 74 */
  TavPair ZoomStart;                /* 75 */
  TavDoublePair ZoomFactor;         /* 76 */
  TavPair ZoomedSize;               /* 77 */
  TavPair PrevScrollPage;           /* 78 */
  LONG ZoomOrigin[4];               /* 79: x, y, reference x, reference y */
  TavDoublePair PrevClientSize;     /* 80 */
  TavDoublePair SavedClientSize;    /* 81 */
  TavDoublePair ZoomedSizeFactor;   /* 82 */
  DWORD PaletteSet;                 /* 83 */
  BYTE Reserved2[16];               /* 84 */
} ImgStruct;

#pragma pack(pop)

#define TAVIMG_RECORD_SIZE_32 55938u
#define TAVIMG_RECORD_POINTER_FIELDS 57u /* pointer and handle fields, arrays counted per element */

/* Layout checks, for compilers that have static_assert (C ignores them). */
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1600))
static_assert(sizeof(HotspotEntry) == 91, "HotspotEntry is 91 bytes");
static_assert(sizeof(HotspotDataRecord) == 105, "HotspotDataRecord is 105 bytes");
static_assert(sizeof(ImgStruct) == TAVIMG_RECORD_SIZE_32 + TAVIMG_RECORD_POINTER_FIELDS * (sizeof(void*) - 4),
              "ImgStruct keeps its published layout");
#endif

/* ---- Picture record and slot table ---- */
TAVIMG_API ImgStruct* TAVIMG_CALL TAVIMG_GetImgStruct(HWND window);
TAVIMG_API void TAVIMG_CALL TAVIMG_UnloadPicture(HWND window, ImgStruct* record);
TAVIMG_API void TAVIMG_CALL TAVIMG_SetBkColor(ImgStruct* record, COLORREF colour, DWORD value);

/* ---- Opening ---- */
TAVIMG_API ImgStruct* TAVIMG_CALL TAVIMG_OpenImage(HWND window, DWORD hostValue, TAVIMG_NOTIFYPROC callback,
                                                   const char* tiffPath, const char* drfPath, DWORD displayMode,
                                                   DWORD fileType, DWORD hostValue2);

/* ---- Errors and version ---- */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetLastError(CString* text);
TAVIMG_API void TAVIMG_CALL TAVIMG_ShowErrorMessages(LONG show);
TAVIMG_API char* TAVIMG_CALL TAVIMG_GetVersionInfo(char* buffer);

/* ---- Command entry and redrawing ---- */
TAVIMG_API ImgStruct* TAVIMG_CALL TAVIMG_LoadPicture(HWND window, DWORD hostValue, TAVIMG_NOTIFYPROC callback,
                                                     const char* tiffPath, const char* drfPath, DWORD displayMode,
                                                     DWORD fileType, DWORD hostValue2);
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_RedrawPicture(HWND window, ImgStruct* record);
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_OnDraw(HWND window, ImgStruct* record, HDC dc);
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_DisplayPicture(HWND window, ImgStruct* record, DWORD displayMode);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_MAIN(DWORD command, ImgStruct* record, HWND window, UINT a, WPARAM b, LPARAM c);

/* ---- DRF pictures ---- */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetDRFColorInfo(ImgStruct* record, SHORT* bitCount, SHORT* colorCount);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_DecodeDRF2DIB(ImgStruct* record, void* buffer);
TAVIMG_API LONG TAVIMG_CALL FILE_DRF2TIFF_Hotspots(DWORD ignored, ImgStruct* record,
                                                   TAVIMG_CSTRING_BY_VALUE outputPath);

/* ---- TIFF pictures ---- */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_DecodeTIFF2DIB(ImgStruct* record, void* dib);

/* ---- View ---- */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_RecalcLayout(HWND window, ImgStruct* record);
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_UpdateBars(HWND window, ImgStruct* record);
TAVIMG_API void TAVIMG_CALL TAVIMG_SetZoomMode(ImgStruct* record);
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_InZoomAction(ImgStruct* record);
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_GetNewHotspotPositions(double fx, double fy, ImgStruct* record);
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetDRFSize(ImgStruct* record);
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetTIFFSize(ImgStruct* record);
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetScaledClientSize(ImgStruct* record);
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetBildMitte(ImgStruct* record);
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetZoomStart(ImgStruct* record);
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetDRFSpotOffset(ImgStruct* record);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetPictureMode(ImgStruct* record);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetGraphicsMode(ImgStruct* record);
TAVIMG_API TavDoublePair TAVIMG_CALL TAVIMG_GetZoomFactor(ImgStruct* record);
TAVIMG_API TavDoublePair TAVIMG_CALL TAVIMG_GetBildFactor(ImgStruct* record);

/* ---- Window messages ---- */
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                              ImgStruct* record);

/* ---- Hotspots ---- */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetHotspotCount(ImgStruct* record);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetHotspotCount(ImgStruct* record, SHORT count);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetHotspotData(ImgStruct* record, LONG number, HotspotDataRecord* data);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetHotspotData(ImgStruct* record, LONG number, const HotspotDataRecord* data);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetHotspotNr(HWND window, DWORD number, LONG on, ImgStruct* record);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetHotspot(HWND window, const char* name, LONG on, ImgStruct* record);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetAllHotspots(HWND window, LONG on, ImgStruct* record);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetHotspotNr(ImgStruct* record, char* out1, char* out2);
TAVIMG_API char* TAVIMG_CALL TAVIMG_GetHotspot(ImgStruct* record, char* out1, char* out2);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_ActivateHotspotNr(DWORD number, LONG on, ImgStruct* record);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_ActivateHotspot(const char* name, LONG on, ImgStruct* record);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_ActivateAllHotspots(LONG on, ImgStruct* record);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetHotspotMode(DWORD mode, LONG penWidth, DWORD value2, DWORD value3,
                                                  ImgStruct* record);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetHotspotMode(DWORD ignored1, DWORD ignored2, DWORD ignored3, ImgStruct* record);
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetHotspotOffset(ImgStruct* record);

/* ---- Palette ---- */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetPaletteEntries(ImgStruct* record, const PALETTEENTRY* entries, LONG count);
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetPaletteEntries(DWORD ignored, PALETTEENTRY* entries);

/* ---- Clipboard ---- */
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_CopyToClipboard(ImgStruct* record);

#endif
