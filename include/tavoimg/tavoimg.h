/**
 * @file tavoimg.h
 * @brief TavoIMG public interface: the picture record, the hotspot records,
 * the host helpers and every exported function.
 *
 * A host includes this header and links the TavoIMG module (TavoIMG.dll on
 * Windows, libtavoimg.so on Linux, where the library draws through the Win32
 * stand-in). It reads as C (C89 and later) and as C++, with or without MFC.
 *
 * The record is handed to the host as a raw pointer, so its layout is part of
 * the interface: every structure here is byte-packed. With 4-byte pointers
 * ImgStruct is 55,938 bytes; with 8-byte pointers each pointer and handle
 * field widens and nothing else changes.
 *
 * Conventions of every export:
 * - The library runs on the host's thread, inside the calls; it starts no
 *   thread and takes no lock.
 * - A "record" argument is the pointer that TAVIMG_OpenImage,
 *   TAVIMG_LoadPicture or TAVIMG_GetImgStruct returned. A null record, or one
 *   that no slot holds any more (unloaded, or never the library's), is refused
 *   with the function's failure value and nothing is touched.
 * - Most exports set the last error code to 0 when they are entered, so it
 *   describes the last call that failed. Those that keep it say so. Errors are
 *   also shown in a message box unless the host called
 *   TAVIMG_ShowErrorMessages(0).
 * - Pairs come back as one 64-bit value: x or width in the low 32 bits, y or
 *   height in the high 32 bits, each signed. Take them apart with
 *   TAVIMG_PAIR_X() and TAVIMG_PAIR_Y() (or TAVIMG_SIZE_WIDTH() and
 *   TAVIMG_SIZE_HEIGHT()).
 * - All memory the library allocates for a record (the record itself, the
 *   picture, its bands, brush and palette) belongs to the record and is
 *   released by TAVIMG_UnloadPicture. The host never frees any of it. Memory
 *   the host passes in (paths, buffers, DIB memory) stays the host's.
 */
#ifndef TAVOIMG_TAVOIMG_H
#define TAVOIMG_TAVOIMG_H

#include <windows.h>

/** @name Version
 * The version of this header; the library's own text is TAVIMG_GetVersionInfo.
 * @{ */
#define TAVIMG_VERSION_MAJOR 2 /**< Major version: changes when the interface breaks. */
#define TAVIMG_VERSION_MINOR 0 /**< Minor version: new functions, same interface. */
#define TAVIMG_VERSION_PATCH 0 /**< Patch level: fixes only. */
/** @} */

/* ---- CString ----
   The 8-bit string that TAVIMG_GetLastError fills and that
   FILE_DRF2TIFF_Hotspots takes by value. At the module boundary it is one
   pointer to zero-terminated characters, preceded by the 12-byte header
   {LONG nRefs; int nDataLength; int nAllocLength;}; by value it is that one
   pointer, a reference that the callee releases.
   - C: a structure holding that one pointer (below).
   - C++ with MFC (afx.h included first): MFC's CString, class or typedef.
   - C++ with a CString of the host's own (a class or a typedef, laid out as
     above): define TAVIMG_HOST_CSTRING before including this header. The
     header then checks that it is one pointer wide.
   - C++ otherwise: the CString of the library's MFC subset (its afx.h). A
     CString the host declared without TAVIMG_HOST_CSTRING is refused at
     compile time, so that the library never writes into a string of another
     layout.
   By value, Microsoft's 32-bit compiler passes a CString as its one pointer.
   Other C++ compilers pass a class with a copy constructor through a hidden
   reference, so for them the parameter is CStringValue, a structure of the
   one pointer (the MFC subset's CString converts to it, adding the
   reference). */
#ifdef __cplusplus
#  if defined(__AFX_H__) && !defined(TAVIMG_HOST_CSTRING)
#    define TAVIMG_HOST_CSTRING
#  endif
#  if defined(_MSC_VER) && !defined(_WIN64)
#    define TAVIMG_CSTRING_BY_VALUE CString
#  else
#    define TAVIMG_CSTRING_BY_VALUE CStringValue
#  endif
#  ifdef TAVIMG_HOST_CSTRING
#    if !defined(_MSC_VER) || defined(_WIN64)
struct CStringValue {
  char* m_pchData;
};
#    endif
#    if __cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1600)
static_assert(sizeof(CString) == sizeof(void*), "TAVIMG_HOST_CSTRING: the host's CString must be one pointer to its "
                                                "characters, laid out as MFC's CString is");
#    endif
#  elif !defined(TAV_MFC_AFX_H)
#    if __cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1900)
namespace tavoimg_detail {
template <class T, class = void> struct IsComplete {
  enum { value = 0 };
};
template <class T> struct IsComplete<T, decltype(void(sizeof(T)))> {
  enum { value = 1 };
};
} /* namespace tavoimg_detail */
#    endif
/* An error on the next line means that the host declared a CString of its own
   before this header: define TAVIMG_HOST_CSTRING before including it. */
class CString;
#    if __cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1900)
static_assert(!tavoimg_detail::IsComplete<CString>::value,
              "a CString class is declared before tavoimg.h: if it is the host's own (one pointer, laid out as MFC's "
              "CString), define TAVIMG_HOST_CSTRING before including tavoimg.h; otherwise include the MFC subset's "
              "afx.h or MFC's");
#    endif
struct CStringValue;
#  endif
class CMemFile;
#else
#  ifndef TAVIMG_HOST_CSTRING
/** The C form of MFC's CString: one pointer to zero-terminated characters
    that follow the 12-byte header {LONG nRefs; int nDataLength;
    int nAllocLength;}. See the host guide for the reference rules. */
typedef struct CString {
  char* m_pchData; /**< The characters; the header lies 12 bytes before them. */
} CString;
#  else
typedef char TavHostCStringIsOnePointer[sizeof(CString) == sizeof(void*) ? 1 : -1];
#  endif
/** How FILE_DRF2TIFF_Hotspots takes its path: a CString by value (in C++
    other than Microsoft's 32-bit compiler, CStringValue). */
#  define TAVIMG_CSTRING_BY_VALUE CString
/** The library's in-memory copy of an opened TIFF file; opaque to a host. */
typedef struct CMemFile CMemFile;
#endif

/** @cond internal */
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
/** @endcond */

/** Numbers of the hotspot table. */
enum {
  TAVIMG_NO_HOTSPOT = 601,  /**< Stands for "no hotspot" wherever a hotspot number is kept. */
  TAVIMG_MAX_HOTSPOTS = 600 /**< Entries of the hotspot table, numbered 0 to 599. */
};

/** Hotspot state bits (HotspotEntry::HotspotState, HotspotDataRecord::State). */
enum {
  TAVIMG_ACTIVE_BIT = 1, /**< The hotspot answers the mouse (set by the activate functions). */
  TAVIMG_HOVER_BIT = 2,  /**< The mouse is over it and its frame is shown. */
  TAVIMG_MARKED_BIT = 4, /**< Marked by the host: its frame is drawn. */
  TAVIMG_DRAWN_BIT = 8   /**< Its frame is on the screen now. */
};

/** Hotspot frame drawing mode bit (TAVIMG_SetHotspotMode): only the outline
    of a hotspot is inverted instead of its whole area. */
enum { TAVIMG_HOLLOW_FRAMES = 0x20000 };

/** File types of TAVIMG_OpenImage and TAVIMG_LoadPicture. */
enum {
  TAVIMG_FILE_DRF = 3, /**< A DRF picture, from the DRF path (a kind-5 DRF also opens its companion TIFF). */
  TAVIMG_FILE_TIFF = 4 /**< A TIFF picture alone, from the TIFF path. */
};

/** Error codes: the last error code that TAVIMG_GetLastError reports as
    1 - code. Their texts are given with each; in a message box "%1" is the
    picture's path (the compression number for code 13). */
typedef enum TavImgError {
  TAVIMG_ERROR_NONE = 1,                  /**< "No Error" (never raised; code 0 also means no error). */
  TAVIMG_ERROR_GLOBAL_LOCK = 2,           /**< "Global Lock failed" (DRF decoding and drawing). */
  TAVIMG_ERROR_BITMAP_HEADER_MEMORY = 3,  /**< "No memory for bitmap header" (DRF decoding). */
  TAVIMG_ERROR_BAND_TOO_LARGE = 4,        /**< "int. err. memsize > MAX_PATCH_SIZE" (DRF decoding). */
  TAVIMG_ERROR_BITMAP_MEMORY = 5,         /**< "No memory for bitmap" (DRF decoding). */
  TAVIMG_ERROR_DRF_OPEN = 6,              /**< "Unable to open DRF file". */
  TAVIMG_ERROR_DRF_HEADER = 7,            /**< "Unable to read DRF header". */
  TAVIMG_ERROR_DRF_MAIN_INFO = 8,         /**< "Unable to read DRF-MainPictureInfo". */
  TAVIMG_ERROR_DRF_PICTURE_MEMORY = 9,    /**< "Not enough memory for DRF-Picture". */
  TAVIMG_ERROR_DRF_STRIPE_MEMORY = 10,    /**< "Not enough memory for DRF-Stripes". */
  TAVIMG_ERROR_DRF_STRIPE_READ = 11,      /**< "Error while reading DRF-Stripes". */
  TAVIMG_ERROR_TIFF_DISPLAY = 12,         /**< "Error while displaying TIFF-File". */
  TAVIMG_ERROR_TIFF_COMPRESSION = 13,     /**< "Unsupported TIFF-Compression (%1)". */
  TAVIMG_ERROR_IMAGE_OPEN = 14,           /**< "Unable to open Image\n%1". */
  TAVIMG_ERROR_END_OF_FILE = 15,          /**< "Unexpected end of file\n%1". */
  TAVIMG_ERROR_DRF_COMP_RASTER_HEAD = 16, /**< "Unable to read DRF-CompRasterHead". */
  TAVIMG_ERROR_DRF_COMP_RASTER = 17,      /**< "Unable to read DRF-CompRaster". */
  TAVIMG_ERROR_DRF_RASTER_LOAD = 18,      /**< "Unable to load all DRF-Raster". */
  TAVIMG_ERROR_DRF_RASTER_READ = 19,      /**< "Unable to read DRF-Raster". */
  TAVIMG_ERROR_TOO_MANY_WINDOWS = 20,     /**< "Too much Window Handles left": all 20 slots are taken. */
  TAVIMG_ERROR_CLIPBOARD_DATA = 21,       /**< "ClipboardData failure". */
  TAVIMG_ERROR_OPEN_CLIPBOARD = 22,       /**< "OpenClipboard failed". */
  TAVIMG_ERROR_EMPTY_CLIPBOARD = 23,      /**< "EmptyClipboard failed". */
  TAVIMG_ERROR_SET_CLIPBOARD_DATA = 24,   /**< "SetClipboardData failed". */
  TAVIMG_ERROR_STRIPE_TOO_LONG = 25       /**< "Unsupported TIFF stripe length ( 1 Stripe > 64k)" (never raised). */
} TavImgError;

/** The last error code from the result of TAVIMG_GetLastError (which
    returns 1 - code): 0 when there was no error, else a TavImgError. */
#define TAVIMG_ERROR_CODE(lastErrorResult) (1 - (LONG)(lastErrorResult))

/** @name Pairs
 * The 64-bit pairs that TAVIMG_GetDRFSize, TAVIMG_GetTIFFSize,
 * TAVIMG_GetScaledClientSize, TAVIMG_GetBildMitte, TAVIMG_GetZoomStart,
 * TAVIMG_GetDRFSpotOffset and TAVIMG_GetHotspotOffset return: x (or width)
 * in the low 32 bits, y (or height) in the high 32 bits, both signed.
 * @{ */
#define TAVIMG_PAIR_X(pair) ((LONG)(DWORD)((ULONGLONG)(pair)&0xFFFFFFFFu)) /**< x of a pair, signed. */
#define TAVIMG_PAIR_Y(pair) ((LONG)(DWORD)((ULONGLONG)(pair) >> 32))       /**< y of a pair, signed. */
#define TAVIMG_SIZE_WIDTH(size) TAVIMG_PAIR_X(size)                        /**< Width of a size pair. */
#define TAVIMG_SIZE_HEIGHT(size) TAVIMG_PAIR_Y(size)                       /**< Height of a size pair. */
/** @} */

/** @name DIB sizes
 * The buffer a host gives TAVIMG_DecodeDRF2DIB and TAVIMG_DecodeTIFF2DIB, in
 * bytes (as size_t), for a width and a height of at least 1.
 * @{ */
/** Bytes from one row of a packed DIB to the next: the row padded to 4 bytes. */
#define TAVIMG_DIB_STRIDE(width, bitCount) (((size_t)(width) * (size_t)(bitCount) + 31u) / 32u * 4u)
/** Buffer of TAVIMG_DecodeDRF2DIB: 40 header bytes, 4 per colour and, while
    the picture is decoded, rows of the width rounded up to 16 pixels. width
    and height from TAVIMG_GetDRFSize, bitCount and colorCount from
    TAVIMG_GetDRFColorInfo. */
#define TAVIMG_DRF_DIB_SIZE(width, height, bitCount, colorCount)                                                       \
  ((size_t)40u + (size_t)4u * (size_t)(colorCount) +                                                                   \
   ((size_t)(width) + 15u) / 16u * 16u * (size_t)(bitCount) / 8u * (size_t)(height))
/** Buffer of TAVIMG_DecodeTIFF2DIB: 48 bytes of header and two colours, then
    1-bit rows padded to 4 bytes. width and height from TAVIMG_GetTIFFSize. */
#define TAVIMG_TIFF_DIB_SIZE(width, height) ((size_t)48u + TAVIMG_DIB_STRIDE(width, 1) * (size_t)(height))
/** @} */

/** Host callback for the window messages the library does not handle itself
    (see TAVIMG_OnMessage).
    @param zero        Always 0.
    @param message     The message number (WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, ...).
    @param hotspotName Name of the active hotspot under the mouse, "" for none;
                       it points into the record and is valid during the call.
    Its result is not used. On 32-bit Windows it may be __stdcall (as
    declared) or __cdecl. */
typedef void(CALLBACK* TAVIMG_NOTIFYPROC)(DWORD zero, UINT message, char* hotspotName);

#pragma pack(push, 1)

/** Two 32-bit signed numbers: a point or a size. */
typedef struct TavPair {
  LONG x; /**< x, or width */
  LONG y; /**< y, or height */
} TavPair;

/** Two doubles: scale factors or sizes in window pixels. */
typedef struct TavDoublePair {
  double x; /**< Horizontal value. */
  double y; /**< Vertical value. */
} TavDoublePair;

/** A rectangle, as RECT. */
typedef struct TavRect {
  LONG left;   /**< Left edge. */
  LONG top;    /**< Top edge. */
  LONG right;  /**< Right edge. */
  LONG bottom; /**< Bottom edge. */
} TavRect;

/** One entry of the record's hotspot table, 91 bytes. */
typedef struct HotspotEntry {
  TavRect ScreenRect;   /**< Where the hotspot is in the window now, in window pixels. */
  char HotspotName[32]; /**< Zero-terminated name (31 characters at most). */
  char HotspotText[25]; /**< Zero-terminated text (24 characters at most). */
  signed char
      HotspotState;        /**< State bits: TAVIMG_ACTIVE_BIT, TAVIMG_HOVER_BIT, TAVIMG_MARKED_BIT, TAVIMG_DRAWN_BIT. */
  signed char HotspotKind; /**< Kind byte, kept for the host. */
  TavRect PictureRect;     /**< The rectangle in picture pixels. */
} HotspotEntry;

/** The host's copy of one hotspot (TAVIMG_GetHotspotData,
    TAVIMG_SetHotspotData), 105 bytes. */
typedef struct HotspotDataRecord {
  LONG Number;         /**< Number of the entry, 0 to 599. */
  TavRect ScreenRect;  /**< Where it is in the window, in window pixels. */
  TavRect PictureRect; /**< Where it is in the picture, in picture pixels. */
  char Name[34];       /**< Zero-terminated name; 31 characters are kept. */
  char Text[27];       /**< Zero-terminated text; 24 characters are kept. */
  LONG State;          /**< State bits (read only: TAVIMG_SetHotspotData leaves them). */
  LONG Kind;           /**< Kind; its low byte is kept. */
} HotspotDataRecord;

/** The picture record of one window. The library owns it: a host reads its
    fields but changes only what an export changes. Numbers in the comments
    are the fields' places in the published layout. */
typedef struct ImgStruct {
  CMemFile* PictureFile;       /**< 1: in-memory copy of the opened TIFF file; null when none. */
  char DrfPath[261];           /**< 2: path of the DRF file. */
  char TiffPath[261];          /**< 3: path of the TIFF file. */
  HGDIOBJ SparePalette;        /**< 4: deleted whenever a palette is built. */
  HGLOBAL TiffStripOffsets;    /**< 5: TIFF strip offsets. */
  DWORD TiffStripCount;        /**< 6: number of TIFF strips. */
  LONG MinHScrollRange;        /**< 7: horizontal scroll ranges up to it are dropped by a zoom. */
  WORD TiffRowsPerStrip;       /**< 8: TIFF rows per strip. */
  LONG TiffCompression;        /**< 9: TIFF compression code. */
  HGLOBAL TiffStripByteCounts; /**< 10: TIFF strip byte counts. */
  TavPair TIFFSize;            /**< 11: width and height of the TIFF picture. */
  LONG RowsPerBand;            /**< 12: rows of every decoded DRF band but the last. */
  LONG LastBandRows;           /**< 13: rows of the last DRF band. */
  LONG BandCount;              /**< 14: number of DRF bands. */
  LONG PaddedWidth;            /**< 15: DRF width rounded up to 16 pixels. */
  HPALETTE Palette;            /**< 16: the picture's logical palette. */
  SHORT DRFColorType; /**< 17: DRF kind: 5 (four colours and a companion TIFF), 6 (240 colours), 7 (64 greys), 8
                         (empty). */
  HGLOBAL DRFStripeHandles[16];     /**< 18: memory of the compressed DRF picture. */
  HGLOBAL BandHandles[16];          /**< 19: memory of decoded DRF bands. */
  BYTE* BandBits[16];               /**< 20: locked band memory. */
  DWORD DRFDataSize;                /**< 21: bytes of compressed DRF picture data. */
  TavPair DRFSize;                  /**< 22: width and height of the DRF picture (TAVIMG_GetDRFSize). */
  LONG DRFRasterFlag;               /**< 23: 0 when nothing is drawn or copied of the DRF raster. */
  LONG TiffBandRow;                 /**< 24: TIFF drawing band state. */
  LONG TiffBandRows;                /**< 25: TIFF drawing band state. */
  LONG TiffBandRowsLeft;            /**< 26: TIFF drawing band state. */
  LONG InPaint;                     /**< 27: 1 while the window is being painted. */
  DWORD TiffStripOffsetsCount;      /**< 28: number of strip offsets the TIFF file gives. */
  DWORD HostValue;                  /**< 29: the host's value of TAVIMG_OpenImage, never read by the library. */
  TAVIMG_NOTIFYPROC NotifyCallback; /**< 30: the host's callback. */
  BYTE DrfShown;                    /**< 31: 1 when the DRF raster is decoded and drawn at its own size. */
  BYTE ZoomedShown;                 /**< 32: 1 when the fitted picture was drawn. */
  BYTE TiffShown;                   /**< 33: 1 when the picture is shown scaled to the window. */
  WORD BkRgb[3];                    /**< 34: red, green, blue of colour 0 of decoded pictures (white). */
  HBRUSH BkBrush;                   /**< 35: brush of the background (TAVIMG_SetBkColor). */
  HGLOBAL BitmapInfoHandle;         /**< 36: memory of the drawing's BITMAPINFO. */
  SHORT DRFColorCount;              /**< 37: colours of the decoded DRF picture. */
  SHORT DRFBitCount;                /**< 38: bits per pixel of the decoded DRF picture. */
  DWORD BkValue;                    /**< 39: the host's value of TAVIMG_SetBkColor. */
  BITMAPINFO* BitmapInfo;           /**< 40: locked BITMAPINFO while in use. */
  DWORD HotspotMode;                /**< 41: hotspot drawing mode (TAVIMG_SetHotspotMode). */
  DWORD HotspotModeValue2;          /**< 42: kept for the host (TAVIMG_SetHotspotMode). */
  DWORD HotspotModeValue3;          /**< 43: kept for the host (TAVIMG_SetHotspotMode). */
  LONG HotspotPenWidth;             /**< 44: pen width of hotspot frames. */
  LONG HoverHotspot;                /**< 45: hotspot under the mouse, TAVIMG_NO_HOTSPOT for none. */
  BYTE Reserved1[32];               /**< 46: reserved. */
  LONG HotspotCount;                /**< 47: number of hotspots. */
  SHORT DRFSpotOffset[2];           /**< 48: x and y added to DRF hotspot coordinates. */
  LONG SelectedHotspot;             /**< 49: selected hotspot, TAVIMG_NO_HOTSPOT for none. */
  LONG CurrentHotspot;              /**< 50: current hotspot, TAVIMG_NO_HOTSPOT or -1 for none. */
  char SelectedHotspotName[32];     /**< 51: name of the selected hotspot. */
  char CurrentHotspotName[32];      /**< 52: name of the current hotspot; passed to the callback. */
  HotspotEntry Hotspots[601];       /**< 53: the hotspot table; entries 0 to 599 are used. */
  DWORD DisplayMode;                /**< 54: display mode 0 to 4 (TAVIMG_OpenImage). */
  DWORD HostValue2;                 /**< 55: the host's second value of TAVIMG_OpenImage. */
  SHORT PictureMode;                /**< 56: what is drawn: 0, 1 or 2 (TAVIMG_GetPictureMode). */
  SHORT FitMode;                    /**< 57: host switch; 2 keeps the window at its measured size. */
  TavDoublePair FitSize;            /**< 58: the whole picture fitted into the drawing area, in window pixels. */
  TavPair ScaledClientSize;         /**< 59: the whole picture at zoom 1, in window pixels. */
  TavPair AltSize;                  /**< 60: the window's measured size. */
  TavPair ClientSize;               /**< 61: size of the drawing area. */
  TavPair DrawSize;                 /**< 62: part of the drawing area covered by a zoomed picture. */
  TavPair WindowOrigin;             /**< 63: base position of the host window. */
  TavPair BildMitte;                /**< 64: offset of the fitted picture in the drawing area. */
  TavPair CentringOffset;           /**< 65: centring offset added to the window position. */
  TavRect ZoomRect;                 /**< 66: the zoom rectangle. */
  TavDoublePair BildFactor;         /**< 67: scale of the fitted picture. */
  TavPair ScrollPos;                /**< 68: scroll positions. */
  TavPair ScrollRange;              /**< 69: scroll range maxima. */
  TavPair ScrollPage;               /**< 70: the shown section, in picture pixels. */
  BYTE Zoomed;                      /**< 71: 0 no zoom, 1 zoom in force, 2 zoom rectangle waiting. */
  BYTE Painted;                     /**< 72: set at the end of every paint. */
  BYTE InZoomAction;                /**< 73: 1 while a rubber-band zoom is armed. */
  BYTE TiffReady;                   /**< 74: 1 when the scaled picture can be shown and zoomed. */
  TavPair ZoomStart;                /**< 75: top-left corner of the drawing area in the window. */
  TavDoublePair ZoomFactor;         /**< 76: zoom factors. */
  TavPair ZoomedSize;               /**< 77: the whole zoomed picture, in window pixels. */
  TavPair PrevScrollPage;           /**< 78: an earlier ScrollPage. */
  LONG ZoomOrigin[4];               /**< 79: x, y, reference x, reference y of the applied zoom. */
  TavDoublePair PrevClientSize;     /**< 80: ClientSize before the last re-measure. */
  TavDoublePair SavedClientSize;    /**< 81: copy of PrevClientSize. */
  TavDoublePair ZoomedSizeFactor;   /**< 82: zoom factors of the last ZoomedSize. */
  DWORD PaletteSet;                 /**< 83: 0 simple palette, otherwise full palette (TAVIMG_SetPaletteEntries). */
  BYTE Reserved2[16];               /**< 84: reserved. */
} ImgStruct;

#pragma pack(pop)

/** Size of ImgStruct with 4-byte pointers. */
#define TAVIMG_RECORD_SIZE_32 55938u
/** Pointer and handle fields of ImgStruct, arrays counted per element: each
    is 4 bytes wider with 8-byte pointers. */
#define TAVIMG_RECORD_POINTER_FIELDS 57u

/* Layout checks, for compilers that have static_assert (C ignores them). */
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1600))
static_assert(sizeof(HotspotEntry) == 91, "HotspotEntry is 91 bytes");
static_assert(sizeof(HotspotDataRecord) == 105, "HotspotDataRecord is 105 bytes");
static_assert(sizeof(ImgStruct) == TAVIMG_RECORD_SIZE_32 + TAVIMG_RECORD_POINTER_FIELDS * (sizeof(void*) - 4),
              "ImgStruct keeps its published layout");
#endif

/* ---- Picture record and slot table ---- */

/** Finds the picture record of a window, or gives the window one.
    The library keeps 20 slots, each tying a window to its record. A window
    that has none takes a free slot with a new, all-zero record that no
    opening has reset (no background brush yet): even a window that never
    shows a picture holds its slot until TAVIMG_UnloadPicture. Sets the last
    error code to 0 first.
    @param window The host window.
    @return The window's record; null for a null window, when the record
            cannot be allocated, or when all 20 slots are taken (error
            TAVIMG_ERROR_TOO_MANY_WINDOWS). The record belongs to the slot;
            free it with TAVIMG_UnloadPicture. */
TAVIMG_API ImgStruct* TAVIMG_CALL TAVIMG_GetImgStruct(HWND window);

/** Frees slots and the records they hold, with everything a record holds
    (picture file, DRF stripes and bands, TIFF strip tables, brush, palette).
    Afterwards the record pointer is no longer valid; exports given it refuse
    it. The window itself is not touched. Sets the last error code to 0.
    @param window The window whose slots are freed; null to free every slot
                  that holds @p record instead.
    @param record The window's record. Null does nothing (also with a window
                  given): pass TAVIMG_GetImgStruct(window) to free the slot a
                  failed opening left. */
TAVIMG_API void TAVIMG_CALL TAVIMG_UnloadPicture(HWND window, ImgStruct* record);

/** Sets the brush that fills the window (the paint area) before a picture is
    drawn. The brush replaced is deleted; the new one belongs to the record.
    Colour 0 of decoded pictures (BkRgb, white) is not changed. Keeps the last
    error code.
    @param record    The record; an unknown record is ignored.
    @param colour    The background colour, RGB(red, green, blue).
    @param hostValue Kept in BkValue for the host; never read by the library. */
TAVIMG_API void TAVIMG_CALL TAVIMG_SetBkColor(ImgStruct* record, COLORREF colour, DWORD hostValue);

/* ---- Opening ---- */

/** Opens a picture into a window's record, without drawing it.
    Finds or creates the window's record (TAVIMG_GetImgStruct), resets it
    (releasing whatever an earlier picture left in it), keeps the arguments in
    it and reads the picture. Opening again into the same window reuses the
    record. Sets the last error code to 0 first.

    Which path is read: file type TAVIMG_FILE_DRF reads @p drfPath; when the
    DRF is of kind 5 (DRFColorType 5) it also opens @p tiffPath as its
    companion, used for the fitted and zoomed views, and a companion that
    fails only leaves TiffReady 0 (its error is still reported). File type
    TAVIMG_FILE_TIFF reads @p tiffPath alone: that is the argument that opens
    a TIFF on its own, and @p drfPath is only kept.

    Display modes: 0 and 2 show a DRF at its own size (2: TAVIMG_RedrawPicture
    does not erase first); 3 a DRF in a window that keeps its size; 1 the TIFF
    picture (a TIFF, or the companion of a kind-5 DRF) fitted whole into the
    window; 4 the TIFF picture at the window's width, with scroll bars. In
    modes 1 and 4 a DRF's raster is not loaded (its hotspots and size are), so
    the DRF itself can be neither drawn nor exported from such a record.

    @param window      The host window the picture is drawn into.
    @param hostValue   Kept in HostValue for the host; never read.
    @param callback    Receives the messages the library does not handle
                       (TAVIMG_OnMessage); may be null.
    @param tiffPath    Path of the TIFF picture (file type 4) or of a kind-5
                       DRF's companion; null, "" or one character for none.
    @param drfPath     Path of the DRF picture (file type 3); null, "" or one
                       character for none. Paths longer than 260 characters
                       are refused as unopenable (never cut).
    @param displayMode Display mode 0 to 4, see above.
    @param fileType    TAVIMG_FILE_DRF (3) or TAVIMG_FILE_TIFF (4).
    @param hostValue2  Kept in HostValue2 for the host; never read.
    @return The record, or null: for a null window or a full slot table
            (TAVIMG_ERROR_TOO_MANY_WINDOWS), a picture that cannot be read
            (DRF: errors 6 to 11 and 16 to 19; TIFF: errors 12 to 15), or
            another file type (no error code). After a failed reading the
            window keeps its slot and record: free them with
            TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window)). */
TAVIMG_API ImgStruct* TAVIMG_CALL TAVIMG_OpenImage(HWND window, DWORD hostValue, TAVIMG_NOTIFYPROC callback,
                                                   const char* tiffPath, const char* drfPath, DWORD displayMode,
                                                   DWORD fileType, DWORD hostValue2);

/* ---- Errors and version ---- */

/** Reads the last error code and its text. Does not clear the code.
    @param text Null, or the host's CString, which receives the code's text
                ("%1" left empty) by CString assignment: a block the string
                holds alone with room enough is reused, otherwise the string
                gets a new block from msvcrt.dll's malloc and its old one is
                released. The host releases what it then holds as it releases
                any CString (see the host guide for C).
    @return 1 - code: 1 when the last call had no error, 0 or less otherwise
            (TAVIMG_ERROR_CODE() turns it into the code). */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetLastError(CString* text);

/** Switches the library's error message boxes on or off. The code is set
    either way. Keeps the last error code.
    @param show 1 shows boxes (the default); every other value switches them
                off. */
TAVIMG_API void TAVIMG_CALL TAVIMG_ShowErrorMessages(LONG show);

/** Copies the library's version text, "VIMBEL Version 2.0 / 32Bit" (also the
    caption of its message boxes), into the host's buffer: at most 254
    characters and the terminating zero. Keeps the last error code.
    @param buffer At least 255 bytes.
    @return @p buffer; null for a null buffer. */
TAVIMG_API char* TAVIMG_CALL TAVIMG_GetVersionInfo(char* buffer);

/* ---- Command entry and redrawing ---- */

/** Opens a picture and draws it: TAVIMG_OpenImage with the same arguments,
    then TAVIMG_RedrawPicture, then TAVIMG_ActivateAllHotspots(1, record), so
    that every hotspot answers the mouse. Sets the last error code to 0 first.
    @param window      The host window.
    @param hostValue   As TAVIMG_OpenImage.
    @param callback    As TAVIMG_OpenImage.
    @param tiffPath    As TAVIMG_OpenImage.
    @param drfPath     As TAVIMG_OpenImage.
    @param displayMode As TAVIMG_OpenImage.
    @param fileType    As TAVIMG_OpenImage.
    @param hostValue2  As TAVIMG_OpenImage.
    @return The record, or null when the opening failed (errors as
            TAVIMG_OpenImage; the window keeps its slot) or the drawing
            returned 0. */
TAVIMG_API ImgStruct* TAVIMG_CALL TAVIMG_LoadPicture(HWND window, DWORD hostValue, TAVIMG_NOTIFYPROC callback,
                                                     const char* tiffPath, const char* drfPath, DWORD displayMode,
                                                     DWORD fileType, DWORD hostValue2);

/** Lays the picture out for the window (TAVIMG_RecalcLayout) and paints it at
    once. In display modes 0 and 1 the whole client area is invalidated and
    erased first. Draws nothing while the window is being painted. Sets the
    last error code to 0 first; DRF decoding failures report errors 2 to 5
    and destroy @p window.
    @param window The record's window.
    @param record The record.
    @return 1 (also when nothing was drawn because a paint is under way); 0
            for an unknown record. */
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_RedrawPicture(HWND window, ImgStruct* record);

/** Paints the picture and the marked hotspots into a device context of the
    host's (printing, a memory bitmap, a paint of its own) instead of a
    WM_PAINT's. Draws nothing while the window is being painted or for a null
    context. Sets the last error code to 0 first.
    @param window        The record's window (its drawing area is used).
    @param record        The record.
    @param deviceContext The host's device context; the host keeps it.
    @return 1; 0 for an unknown record. */
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_OnDraw(HWND window, ImgStruct* record, HDC deviceContext);

/** Switches the display mode and starts the view afresh: the zoom, scroll
    positions and factors are reset, the picture is laid out for the window's
    size, the scroll bars are set and the window is invalidated. The hotspot
    under the mouse is kept. Call it on a WM_SIZE with a new outer window size
    to fit the picture again (a zoom is dropped). Sets the last error code to
    0 first.
    @param window      The record's window.
    @param record      The record.
    @param displayMode Display mode 0 to 4 (see TAVIMG_OpenImage);
                       record->DisplayMode keeps the current one.
    @return 1; 0 for an unknown record. */
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_DisplayPicture(HWND window, ImgStruct* record, DWORD displayMode);

/** One entry for several commands. Sets the last error code to 0 first.
    | command | effect | returns |
    |---|---|---|
    | 0 | TAVIMG_OnMessage(window, message, wParam, lParam, record) | its result |
    | 1 | resets the record as an opening does (the picture is released) | 0 |
    | 2 | clears the zoom and scroll state and places the window for its display mode | 0 |
    | 3 | reads the DRF again from DrfPath (errors as TAVIMG_OpenImage) | 1, or 0 when it fails |
    | 5 | paints now, unless a paint is under way | TAVIMG_OnMessage's result; 1 during a paint |
    | 7 | refreshes the hover state of the hotspots for the window point (0, 0) | 1; 0 without hotspots |
    | 14 | while zoomed, recomputes the scroll ranges for the TIFF size | 1 |
    | any other | nothing | 0 |
    @param command The command number.
    @param record  The record; every command returns 0 for an unknown record.
    @param window  The record's window.
    @param message Command 0: the message number; else unused.
    @param wParam  Command 0: the message's first parameter; else unused.
    @param lParam  Command 0: the message's second parameter; else unused.
    @return See the table. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_MAIN(DWORD command, ImgStruct* record, HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam);

/* ---- DRF pictures ---- */

/** Bits per pixel and colours of the record's DRF picture, as its DIB has
    them: kinds 5 and 8, 4 bits and 4 colours; kind 6, 8 bits and 240
    colours; kind 7, 8 bits and 64 greys. Keeps the last error code.
    @param record     The record.
    @param bitCount   Receives the bits per pixel; may be null.
    @param colorCount Receives the number of colours; may be null.
    @return 1; 0 (storing nothing) for another kind, a TIFF record or a null
            record. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetDRFColorInfo(ImgStruct* record, SHORT* bitCount, SHORT* colorCount);

/** Decodes the record's DRF picture at its own size (DRFSize) into the
    host's buffer as a packed DIB: a 40-byte BITMAPINFOHEADER (biWidth and
    biHeight the picture's size, bottom-up), the colour table, and the rows,
    bottom row first, each padded to 4 bytes (TAVIMG_DIB_STRIDE()).
    The buffer must hold TAVIMG_DRF_DIB_SIZE(width, height, bitCount,
    colorCount) bytes (width and height from TAVIMG_GetDRFSize, bits and
    colours from TAVIMG_GetDRFColorInfo): while decoding, the rows are first
    written at the width rounded up to 16 pixels. The host allocates and frees
    it. Leaves DrfShown set to 1 (it sets it when it was 0). Keeps the last
    error code; failures of decoding may report errors 2 to 5.

    A DRF opened in display mode 1 or 4 has no raster loaded: the export then
    returns 1 with every pixel byte 0. Open the DRF in display mode 0 (for
    example in a hidden window) to export it.
    @param record The record of a DRF picture.
    @param buffer The host's buffer of TAVIMG_DRF_DIB_SIZE() bytes.
    @return 1; 0 for an unknown record, a null buffer, a kind that is not
            drawable, an empty picture, or a failed decoding. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_DecodeDRF2DIB(ImgStruct* record, void* buffer);

/** Writes the companion TIFF of a kind-5 DRF with the DRF's hotspots in the
    private TIFF tag 65024 to a new file: the opened TIFF file byte for byte,
    then the strip byte counts, the hotspot records (rectangles scaled from
    DRF to TIFF pixels) and a new directory. The file is written under a
    temporary name beside the output and renamed over it when complete, so a
    failure leaves an existing output as it was. Neither clears nor sets the
    last error code, and shows no message box.

    The record is changed for TIFF coordinates and stays so: ZoomStart 0, 0;
    ScaledClientSize the TIFF size; PictureMode 0; TiffShown 1; every
    hotspot's ScreenRect in TIFF pixels. Lay the view out again
    (TAVIMG_DisplayPicture) to go on showing the picture.
    @param reserved   Not used; pass 0.
    @param record     The record of a DRF opened with its companion TIFF.
    @param outputPath Path of the file to write, a CString by value: the
                      caller's reference, which the library releases before it
                      returns, on every path (C++ hosts other than Microsoft's
                      32-bit compiler pass a CStringValue that holds one added
                      reference).
    @return 1 when the file was written; 0 when it was not: no companion TIFF
            was opened, a source that is not a little-endian TIFF or is
            damaged, an empty path, or a file that could not be written. */
TAVIMG_API LONG TAVIMG_CALL FILE_DRF2TIFF_Hotspots(DWORD reserved, ImgStruct* record,
                                                   TAVIMG_CSTRING_BY_VALUE outputPath);

/* ---- TIFF pictures ---- */

/** Decodes the record's TIFF picture at full resolution into the host's
    memory as a 1-bit packed DIB: a 40-byte BITMAPINFOHEADER (biWidth and
    biHeight the picture's size, bottom-up, 2 colours), colour 0 white and
    colour 1 black, then the rows from byte 48, each padded to 4 bytes, the
    leftmost pixel in bit 7, a set bit black. Keeps the last error code.
    @param record The record of a TIFF picture (or of a DRF with its
                  companion TIFF).
    @param buffer TAVIMG_TIFF_DIB_SIZE(width, height) bytes, width and height
                  from TAVIMG_GetTIFFSize, zero-filled by the host: rows are
                  only ORed into it. The host allocates and frees it.
    @return 1; 0 for an unknown record, a null buffer or a picture without a
            width or height (nothing written). */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_DecodeTIFF2DIB(ImgStruct* record, void* buffer);

/* ---- View ---- */

/** Lays the picture out for the window's present size and the display mode:
    the drawing area, the fitted size, the scale and every hotspot's screen
    rectangle. Draws nothing. Sets the last error code to 0 first.
    @param window The record's window.
    @param record The record.
    @return 1; 0 for an unknown record. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_RecalcLayout(HWND window, ImgStruct* record);

/** Applies a waiting zoom and shows the scroll bars in display mode 4 (hides
    them in the others), with the record's ranges and positions. Sets the last
    error code to 0 first.
    @param window The record's window.
    @param record The record.
    @return 1; 0 for an unknown record. */
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_UpdateBars(HWND window, ImgStruct* record);

/** Arms a zoom: the next rubber band the user drags with the left button in
    the window (through TAVIMG_OnMessage) zooms into that section and switches
    to display mode 4. While armed, no message reaches the callback. Sets the
    last error code to 0 first.
    @param record The record; an unknown record is ignored. */
TAVIMG_API void TAVIMG_CALL TAVIMG_SetZoomMode(ImgStruct* record);

/** Whether a zoom is armed (TAVIMG_SetZoomMode, until the button is
    released). Sets the last error code to 0 first.
    @param record The record.
    @return 1 when armed, else 0; 0 for an unknown record. */
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_InZoomAction(ImgStruct* record);

/** Places every hotspot's screen rectangle from its picture rectangle, for
    the present view scaled by the given factors. Sets the last error code to
    0 first.
    @param scaleX Horizontal factor (1.0: the view's own scale).
    @param scaleY Vertical factor.
    @param record The record.
    @return 1; 0 for an unknown record or one without hotspots. */
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_GetNewHotspotPositions(double scaleX, double scaleY, ImgStruct* record);

/** Width and height of the DRF picture (DRFSize): take them with
    TAVIMG_SIZE_WIDTH() and TAVIMG_SIZE_HEIGHT(). Sets the last error code to
    0 first.
    @param record The record.
    @return The size pair; 0, 0 for a TIFF record; -1, -1 for an unknown
            record. */
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetDRFSize(ImgStruct* record);

/** Width and height of the TIFF picture (TIFFSize, a TIFF or the companion
    of a kind-5 DRF): take them with TAVIMG_SIZE_WIDTH() and
    TAVIMG_SIZE_HEIGHT(). Sets the last error code to 0 first.
    @param record The record.
    @return The size pair; 0, 0 without a TIFF picture; -1, -1 for an unknown
            record. */
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetTIFFSize(ImgStruct* record);

/** The whole picture at zoom 1 in window pixels (ScaledClientSize), as a
    pair. Sets the last error code to 0 first.
    @param record The record.
    @return The size pair; -1, -1 for an unknown record. */
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetScaledClientSize(ImgStruct* record);

/** Offset of the fitted picture inside the drawing area (BildMitte: the
    picture is centred), as a pair. Sets the last error code to 0 first.
    @param record The record.
    @return The pair; -1, -1 for an unknown record. */
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetBildMitte(ImgStruct* record);

/** Top-left corner of the drawing area in the window (ZoomStart), as a pair.
    Sets the last error code to 0 first.
    @param record The record.
    @return The pair; -1, -1 for an unknown record. */
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetZoomStart(ImgStruct* record);

/** Offset added to the DRF's hotspot coordinates (DRFSpotOffset), each
    16-bit member sign-extended, as a pair. Sets the last error code to 0
    first.
    @param record The record.
    @return The pair; -1, -1 for an unknown record. */
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetDRFSpotOffset(ImgStruct* record);

/** What the view draws (PictureMode): 0 the DRF at its own size, 1 a zoomed
    section, 2 the fitted TIFF picture. Sets the last error code to 0 first.
    @param record The record.
    @return 0, 1 or 2; -1 for an unknown record. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetPictureMode(ImgStruct* record);

/** How the picture is shown: 1 scaled to the window (TiffShown), else 2 the
    DRF at its own size (DrfShown), else 4 the fitted picture was drawn
    (ZoomedShown), else -1. Sets the last error code to 0 first.
    @param record The record.
    @return 1, 2, 4 or -1; -1 for an unknown record. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetGraphicsMode(ImgStruct* record);

/** The zoom factors (ZoomFactor), x then y; 1.0, 1.0 without a zoom. Sets the
    last error code to 0 first.
    @param record The record.
    @return The factors; -1.0, -1.0 for an unknown record. */
TAVIMG_API TavDoublePair TAVIMG_CALL TAVIMG_GetZoomFactor(ImgStruct* record);

/** The scale of the fitted picture against the picture at zoom 1
    (BildFactor), x then y. Sets the last error code to 0 first.
    @param record The record.
    @return The factors; -1.0, -1.0 for an unknown record. */
TAVIMG_API TavDoublePair TAVIMG_CALL TAVIMG_GetBildFactor(ImgStruct* record);

/* ---- Window messages ---- */

/** Handles a message of the record's window; the host's window procedure
    forwards every message here. Handled, with the result 1: WM_SIZE
    (measures the drawing area before the first paint, then repaints),
    WM_PAINT and WM_PALETTECHANGED (paint, with BeginPaint and EndPaint),
    WM_HSCROLL and WM_VSCROLL (scroll a zoom), WM_MOUSEMOVE (hover frames and
    the rubber band), WM_LBUTTONDOWN and WM_LBUTTONUP (the rubber band),
    WM_RBUTTONUP (swallowed). Every other message goes to the record's
    callback, with the name of the active hotspot under the mouse, unless a
    zoom is armed or no callback was given; the result is then 0 and the host
    goes on with the message (DefWindowProc). Sets the last error code to 0
    first; a DRF that cannot be decoded while painting reports errors 2 to 5
    and destroys @p window.
    @param window  The record's window.
    @param message The message number.
    @param wParam  Its first parameter.
    @param lParam  Its second parameter.
    @param record  The record.
    @return 1 when handled, 0 otherwise and for an unknown record. */
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                              ImgStruct* record);

/* ---- Hotspots ---- */

/** Number of hotspots of the picture. Sets the last error code to 0 first.
    @param record The record.
    @return The count as stored (a negative count, which only a host can set,
            means none); -1 for an unknown record. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetHotspotCount(ImgStruct* record);

/** Sets the number of hotspots (entries 0 to count - 1 are used) and clears
    the hotspot under the mouse. The entries are not changed: fill them with
    TAVIMG_SetHotspotData. Sets the last error code to 0 first.
    @param record The record.
    @param count  The new count, below 600; a negative count means none.
    @return 1; 0 for an unknown record or a count of 600 or more. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetHotspotCount(ImgStruct* record, SHORT count);

/** Copies one hotspot into the host's record. Sets the last error code to 0
    first.
    @param record The record.
    @param number The hotspot, 0 to TAVIMG_GetHotspotCount() - 1.
    @param data   The host's record, filled (Number, both rectangles, Name,
                  Text, State, Kind).
    @return 1; 0 for an unknown record, one without hotspots, a number out of
            range or null data. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetHotspotData(ImgStruct* record, LONG number, HotspotDataRecord* data);

/** Writes one hotspot from the host's record: Name (cut to 31 characters),
    Text (cut to 24), ScreenRect, PictureRect and the low byte of Kind. The
    state bits stay as they are; the count is not checked or changed. Sets the
    last error code to 0 first.
    @param record The record.
    @param number The entry, 0 to 599.
    @param data   The host's record; Number and State are not used.
    @return 1; 0 for an unknown record, a number out of range or null data. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetHotspotData(ImgStruct* record, LONG number, const HotspotDataRecord* data);

/** Selects a hotspot by number and marks it, drawing the marked frames, or
    takes every frame off and unmarks the selection. On: the hotspot becomes
    selected and current (an entry with an empty name is selected but not
    marked). Off: frames are erased, the entry selected last is unmarked and
    the selection cleared. Sets the last error code to 0 first.
    @param window The record's window, where frames are drawn.
    @param number The hotspot, 0 to TAVIMG_GetHotspotCount() - 1.
    @param on     1 marks; every other value unmarks.
    @param record The record.
    @return The drawing's result (1) or, off, 1 when frames were erased; 0 for
            an unknown record, one without hotspots or a number out of
            range. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetHotspotNr(HWND window, DWORD number, LONG on, ImgStruct* record);

/** Selects and marks every hotspot of a name, drawing the marked frames, or
    takes every frame off and unmarks the hotspots of the selected name.
    Sets the last error code to 0 first.
    @param window The record's window.
    @param name   The name, compared exactly (case matters).
    @param on     1 marks; every other value unmarks.
    @param record The record.
    @return 1 when done; 0 for an unknown record, one without hotspots or a
            name no hotspot has. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetHotspot(HWND window, const char* name, LONG on, ImgStruct* record);

/** Marks every hotspot and draws the frames, or erases them and unmarks all.
    The current hotspot is cleared (TAVIMG_GetHotspotNr answers -1); the
    selection is kept. Sets the last error code to 0 first.
    @param window The record's window.
    @param on     1 marks; every other value unmarks.
    @param record The record.
    @return 1 when done; 0 for an unknown record or one without hotspots. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetAllHotspots(HWND window, LONG on, ImgStruct* record);

/** The current hotspot (set by the selection functions, or the one under the
    mouse): its number, its text and its kind bytes. Sets the last error code
    to 0 first.
    @param record    The record.
    @param kindBytes Receives the zero-terminated bytes that begin at the
                     entry's kind byte (the kind, then picture rectangle bytes
                     up to the first zero; empty for kind 0): 18 bytes.
    @param text      Receives the hotspot's text: 25 bytes.
    @return The number, 0 to 599; -1 for an unknown record, one without
            hotspots or no current hotspot (both buffers then untouched). */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetHotspotNr(ImgStruct* record, char* kindBytes, char* text);

/** The name of the current hotspot, and its text and kind bytes as
    TAVIMG_GetHotspotNr gives them (when there is a current hotspot). Sets the
    last error code to 0 first.
    @param record    The record.
    @param kindBytes As TAVIMG_GetHotspotNr: 18 bytes.
    @param text      As TAVIMG_GetHotspotNr: 25 bytes.
    @return The name, inside the record (valid until the record changes; ""
            for none); null for an unknown record. */
TAVIMG_API char* TAVIMG_CALL TAVIMG_GetHotspot(ImgStruct* record, char* kindBytes, char* text);

/** Lets one hotspot answer the mouse (hover frame, name to the callback) or
    not. Sets the last error code to 0 first.
    @param number The hotspot, 0 to TAVIMG_GetHotspotCount() - 1.
    @param on     1 activates; every other value deactivates.
    @param record The record.
    @return 1; 0 for an unknown record, one without hotspots or a number out
            of range. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_ActivateHotspotNr(DWORD number, LONG on, ImgStruct* record);

/** Activates or deactivates every hotspot of a name. Sets the last error
    code to 0 first.
    @param name   The name, compared exactly.
    @param on     1 activates; every other value deactivates.
    @param record The record.
    @return 1, also when no hotspot has the name; 0 for an unknown record or
            one without hotspots. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_ActivateHotspot(const char* name, LONG on, ImgStruct* record);

/** Activates or deactivates every hotspot (TAVIMG_LoadPicture activates
    all). Keeps the last error code.
    @param on     1 activates; every other value deactivates.
    @param record The record.
    @return 1; 0 for an unknown record or one without hotspots. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_ActivateAllHotspots(LONG on, ImgStruct* record);

/** Sets how hotspot frames are drawn: frames on the screen are erased with
    the old tools and the hotspots that were marked are drawn again with the
    new ones in every window of the record; the selection is kept. Sets the
    last error code to 0 first.
    @param mode       Drawing mode; TAVIMG_HOLLOW_FRAMES inverts only the
                      outline, otherwise the whole area is inverted.
    @param penWidth   Pen width of the frames; 0 means 2.
    @param modeValue2 Kept in HotspotModeValue2 when not 0.
    @param modeValue3 Kept in HotspotModeValue3 when not 0 (when one of the
                      two fields is then 0, it takes the other's value).
    @param record     The record.
    @return 1; 0 for an unknown record or one without hotspots. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetHotspotMode(DWORD mode, LONG penWidth, DWORD modeValue2, DWORD modeValue3,
                                                  ImgStruct* record);

/** The hotspot drawing mode set by TAVIMG_SetHotspotMode. Sets the last
    error code to 0 first.
    @param reserved1 Not used; pass 0.
    @param reserved2 Not used; pass 0.
    @param reserved3 Not used; pass 0.
    @param record    The record.
    @return The mode; -1 for an unknown record or one without hotspots. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetHotspotMode(DWORD reserved1, DWORD reserved2, DWORD reserved3, ImgStruct* record);

/** The offset between picture and screen positions of the hotspots in the
    present view (a zoom's scroll position, scaled), as a pair. Sets the last
    error code to 0 first.
    @param record The record.
    @return The pair; -1, -1 for an unknown record. */
TAVIMG_API LONGLONG TAVIMG_CALL TAVIMG_GetHotspotOffset(ImgStruct* record);

/* ---- Palette ---- */

/** Sets the colours the library's palettes are built from (one table for the
    whole process), or switches a record between the simple and the full
    palette. Keeps the last error code.
    @param record  The record (used only when @p count is 0 or negative).
    @param entries The colours (count > 0); the library copies them.
    @param count   Above 0: copy that many colours, at most 256. 0: the record
                   uses the full palette. Below 0: the simple palette.
    @return The number of colours copied (0 when @p entries is null); 0 for a
            count of 0; -1 for a negative count. */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_SetPaletteEntries(ImgStruct* record, const PALETTEENTRY* entries, LONG count);

/** Copies the process's palette table (set by TAVIMG_SetPaletteEntries or by
    a full DRF palette) into the host's array. Keeps the last error code.
    @param reserved Not used; pass 0.
    @param entries  Room for 256 entries; may be null to ask for the count.
    @return The number of entries in the table (and copied). */
TAVIMG_API LONG TAVIMG_CALL TAVIMG_GetPaletteEntries(DWORD reserved, PALETTEENTRY* entries);

/* ---- Clipboard ---- */

/** Puts the shown picture on the clipboard: a DRF shown at its own size as a
    packed DIB (CF_DIB), otherwise the TIFF picture, the zoomed section while
    zoomed, as a monochrome bitmap (CF_BITMAP). The clipboard owns what was
    placed. Sets the last error code to 0 first.
    @param record The record.
    @return 1; 0 for an unknown record, or with error 21 (nothing to copy, a
            DRF raster that is not drawn, a section too large), 22, 23 or 24
            (the clipboard refused). */
TAVIMG_API DWORD TAVIMG_CALL TAVIMG_CopyToClipboard(ImgStruct* record);

#endif
