// The library's resources: the error texts (string identifiers = error codes)
// and the zoom cursor. Windows builds carry them in TavoIMG.rc; Linux builds
// register them with the Win32 stand-in when the library is loaded.
#ifndef TAV_RESOURCES_RESOURCES_H
#define TAV_RESOURCES_RESOURCES_H

#include <windows.h>

#ifndef _WIN32
// Registers the string table and the zoom cursor under instance, as the
// resource section of a Windows module would hold them.
void RegisterLibraryResources(HINSTANCE instance);
#endif

#endif
