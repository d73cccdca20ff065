// Placeholder bodies until this part is written.
#include "frame/frame.h"

HINSTANCE LibraryInstance() { return nullptr; }
void SetLibraryInstance(HINSTANCE) {}
HCURSOR ZoomCursor() { return nullptr; }
