// The public header as a C++ host with MFC 7 or later reads it: afx.h came
// first, so CString is a typedef of a class template (and afx.h's guard is
// defined). Compiling this file is the check.
#define __AFX_H__

template <typename T> class CStringT {
public:
  CStringT() : m_pszData(nullptr) {}
  CStringT(const CStringT& other) : m_pszData(other.m_pszData) {}
  ~CStringT() {}

private:
  T* m_pszData;
};
typedef CStringT<char> CString;

#include <tavoimg/tavoimg.h>

static_assert(sizeof(CString) == sizeof(void*), "the host's CString is one pointer");

// The exports that carry a CString take the host's own type.
bool TavCheckHostCString() {
  LONG(WINAPI * getLastError)(CString*) = TAVIMG_GetLastError;
  LONG(WINAPI * drf2tiff)(DWORD, ImgStruct*, TAVIMG_CSTRING_BY_VALUE) = FILE_DRF2TIFF_Hotspots;
  return getLastError && drf2tiff;
}
