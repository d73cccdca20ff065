// The library's entry: keeps the module instance and registers the library
// as an MFC extension module so that its string table joins the resource
// search.
#include "core/core.h"
#include "resources/resources.h"

#include <afx.h>

#ifndef _WIN32
#  include <tavwin_module.h>
#endif

namespace {

AFX_EXTENSION_MODULE g_extensionModule = {FALSE, nullptr, nullptr};

void AttachLibrary(HINSTANCE instance) {
  AfxInitExtensionModule(g_extensionModule, instance);
  new CDynLinkLibrary(g_extensionModule); // owned by the module chain
}

void DetachLibrary() {
  AfxTermExtensionModule(g_extensionModule);
}

} // namespace

#ifdef _WIN32

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  SetLibraryInstance(instance);
  if (reason == DLL_PROCESS_ATTACH)
    AttachLibrary(instance);
  else if (reason == DLL_PROCESS_DETACH)
    DetachLibrary();
  return TRUE;
}

#else

// What the loader's call of DllMain does on Windows: when the shared object
// (or the program the library's objects are linked into) is loaded, its
// resources are registered under its own module handle and the module joins
// the resource search; unloading takes it out again.
namespace {
struct LibraryLoad {
  LibraryLoad() {
    HINSTANCE instance = tavwin::ModuleOf((const void*)&LibraryInstance);
    RegisterLibraryResources(instance);
    SetLibraryInstance(instance);
    AttachLibrary(instance);
  }
  ~LibraryLoad() { DetachLibrary(); }
} g_libraryLoad;
} // namespace

#endif
