// A C++ host with a CString of its own, one pointer to the characters: a
// class announced with TAVIMG_HOST_CSTRING, or (TAV_MFC_TYPEDEF) MFC 7's
// typedef of a template after afx.h (whose guard the header recognises). Both
// compile and the exports take the host's type. Without either
// (TAV_FORGET_OPT_IN) the header must refuse the class with an error that
// names TAVIMG_HOST_CSTRING. The build compiles this file all three ways.
#ifdef TAV_MFC_TYPEDEF
#  define __AFX_H__
template <typename T> class CStringT {
public:
  CStringT() : m_pszData(nullptr) {}
  CStringT(const CStringT& other) : m_pszData(other.m_pszData) {}
  ~CStringT() {}

private:
  T* m_pszData;
};
typedef CStringT<char> CString;
#else
class CString {
public:
  CString() : m_pchData(nullptr) {}
  CString(const CString& other) : m_pchData(other.m_pchData) {}
  ~CString() {}
  char* m_pchData;
};
#endif

#if !defined(TAV_FORGET_OPT_IN) && !defined(TAV_MFC_TYPEDEF)
#  define TAVIMG_HOST_CSTRING
#endif
#include <tavoimg/tavoimg.h>

bool TavCheckOwnCString() {
  LONG(WINAPI * getLastError)(CString*) = TAVIMG_GetLastError;
  LONG(WINAPI * drf2tiff)(DWORD, ImgStruct*, TAVIMG_CSTRING_BY_VALUE) = FILE_DRF2TIFF_Hotspots;
  CStringValue byValue = {nullptr};
  return getLastError && drf2tiff && byValue.m_pchData == nullptr;
}
