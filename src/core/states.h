// The view's states, as the record's integer fields hold them. The fields
// keep their types (the record's layout is fixed); these names say what each
// value means. A host may write any value into a field: code that tests for
// one state compares with its name, and every other value is "not that".
#ifndef TAV_CORE_STATES_H
#define TAV_CORE_STATES_H

#include <tavoimg/tavoimg.h>

// DisplayMode: how the host window shows the picture. Any other value is
// laid out as TAV_DISPLAY_DRF_KEEP_BACKGROUND.
enum TavDisplayMode : DWORD {
  TAV_DISPLAY_DRF = 0,                 // DRF at its own size, the window sized to it and centred
  TAV_DISPLAY_FITTED = 1,              // the TIFF picture fitted whole into the window
  TAV_DISPLAY_DRF_KEEP_BACKGROUND = 2, // as TAV_DISPLAY_DRF, not erased by a redraw
  TAV_DISPLAY_DRF_IN_WINDOW = 3,       // DRF in a window that keeps its size, not centred
  TAV_DISPLAY_FIT_WIDTH = 4,           // fitted to the width with scroll bars; where a zoom goes
};

// PictureMode: what a paint draws.
enum TavPictureMode : SHORT {
  TAV_PICTURE_DRF = 0,    // the DRF raster at its own size
  TAV_PICTURE_ZOOMED = 1, // a zoomed section, from ScrollPos and ScrollPage
  TAV_PICTURE_FITTED = 2, // the whole picture fitted and centred by BildMitte
};

// FitMode: the host's switch; the library only reads it.
enum TavFitMode : SHORT {
  TAV_FIT_KEEP_WINDOW = 2, // the window keeps its measured size (AltSize)
};

// Zoomed: the zoom's state.
enum TavZoomState : BYTE {
  TAV_ZOOM_NONE = 0,
  TAV_ZOOM_IN_FORCE = 1,
  TAV_ZOOM_WAITING = 2, // a zoom rectangle waits to be applied at the next paint
};

// InZoomAction: whether the rubber band is armed (TAVIMG_SetZoomMode).
enum TavZoomAction : BYTE {
  TAV_ZOOM_ACTION_NONE = 0,
  TAV_ZOOM_ACTION_ARMED = 1,
};

#endif
