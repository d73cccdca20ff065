// The small part of the MFC 4.2 framework that TavoIMG and its hosts rely on:
// files (CFile, CMemFile), CString, AfxFormatString1 and the registration of
// an extension module whose string table joins the resource search. Written
// from what the library needs; used by every build.
#ifndef TAV_MFC_AFX_H
#define TAV_MFC_AFX_H

#include <windows.h>

#include <stddef.h>

// ---- CString: an 8-bit, zero-terminated string with value semantics, laid
// out and shared as MFC 4.2 does, so that one crosses a module boundary as
// the host's MFC expects:
// - the object is one pointer to the characters; the 12 bytes before them are
//   a CStringData header, with nAllocLength >= nDataLength;
// - copies share a block and count references (interlocked); the last
//   release frees it with the C runtime's free, and blocks come from its
//   malloc (msvcrt.dll on Windows, the allocator of MFC42.DLL);
// - a block with nRefs < 0 (an empty string's block, whichever module owns
//   it, or a locked buffer) is never shared, written through or freed;
// - blocks whose nAllocLength is 64, 128, 256 or 512 are those MFC42.DLL keeps
//   in pools of its own: they are never freed here, and none is made here.
struct CStringData {
  LONG nRefs;
  int nDataLength;
  int nAllocLength;
  char* data() { return reinterpret_cast<char*>(this + 1); }
};

// A CString passed by value from one module to another: the object's one
// pointer, to the text of a reference that the receiver owns and releases.
// Microsoft's compiler passes a CString argument that way; GCC passes a class
// with a copy constructor through a hidden reference instead, so functions
// that take a CString by value across modules take this, and a CString
// converts to it by adding a reference.
struct CStringValue {
  char* m_pchData;
};

class CString {
public:
  CString();
  CString(const CString& other);
  CString(const char* text);
  CString(const char* text, int length);
  explicit CString(CStringValue taken); // takes over the reference handed over
  ~CString();

  CString& operator=(const CString& other);
  CString& operator=(const char* text);
  CString& operator+=(const char* text);
  CString& operator+=(char c);
  operator CStringValue() const; // a new reference, for the receiver to release

  operator const char*() const { return m_pchData; }
  const char* GetString() const { return m_pchData; }
  int GetLength() const { return GetData()->nDataLength; }
  bool IsEmpty() const { return GetLength() == 0; }
  void Empty();
  char GetAt(int index) const;
  BOOL LoadString(UINT id); // searches the registered modules, as AfxFormatString1 does

  // Replaces every "%1" by arg.
  void FormatMessage1(const char* pattern, const char* arg);

  friend bool operator==(const CString& a, const char* b);
  friend bool operator==(const CString& a, const CString& b);

private:
  CStringData* GetData() const { return reinterpret_cast<CStringData*>(m_pchData) - 1; }
  // Makes the text a copy of length bytes at text: in place when the block is
  // held once and has room, otherwise in a new block (the old one released).
  // Without memory the old value stays.
  void AssignCopy(const char* text, size_t length);
  void Release();
  char* m_pchData;
};

bool operator==(const CString& a, const char* b);
bool operator==(const CString& a, const CString& b);

// Loads string resource id (searching every registered extension module and
// then the host's own) and replaces each "%1" by lpsz1. A missing resource
// leaves an empty string.
void AfxFormatString1(CString& rString, UINT nIDS, LPCSTR lpsz1);

// ---- Exceptions thrown by the file classes. ----
class CException {
public:
  virtual ~CException() {}
  void Delete() { delete this; }
};

class CFileException : public CException {
public:
  enum { none = 0, generic = 1, fileNotFound = 2, accessDenied = 5, badSeek = 10, diskFull = 13, endOfFile = 14 };
  explicit CFileException(int cause = none, LONG osError = -1) : m_cause(cause), m_lOsError(osError) {}
  int m_cause;
  LONG m_lOsError; // the system's error number, -1 when there is none
};

struct CFileStatus {
  LONG m_size; // file size in bytes
  BYTE m_attribute;
  char m_szFullName[261];
};

// ---- CFile: a file of the file system. ----
class CFile {
public:
  enum OpenFlags {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };
  enum SeekPosition { begin = 0, current = 1, end = 2 };

  CFile();
  virtual ~CFile();

  // Returns FALSE when the file cannot be opened (or created).
  virtual BOOL Open(LPCSTR fileName, UINT openFlags, CFileException* error = nullptr);
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual UINT Read(void* buffer, UINT count);
  // Writes all count bytes or throws CFileException (diskFull when the file
  // system or the file-size limit has no room, else generic). Written bytes
  // may wait in a buffer: Flush and Close report their failures the same way.
  virtual void Write(const void* buffer, UINT count);
  virtual void Flush();
  // Returns the new position; a position before the start throws CFileException(badSeek).
  virtual LONG Seek(LONG offset, UINT from);
  virtual DWORD GetPosition() const;
  virtual DWORD GetLength() const;
  // Closes the file; throws CFileException when buffered bytes could not be
  // written (the file is closed all the same). The destructor closes
  // without throwing.
  virtual void Close();
  DWORD SeekToBegin() { return (DWORD)Seek(0, begin); }
  BOOL IsOpen() const;

  static BOOL GetStatus(LPCSTR fileName, CFileStatus& status);

private:
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  void* m_file;
};

// ---- CMemFile: a growable file in memory. ----
class CMemFile : public CFile {
public:
  explicit CMemFile(UINT growBytes = 1024);
  ~CMemFile() override;

  BOOL Open(LPCSTR, UINT, CFileException* = nullptr) override { return FALSE; }
  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  // Offsets and results are LONG: a target of 2^31 or more is negative and throws.
  LONG Seek(LONG offset, UINT from) override;
  DWORD GetPosition() const override { return m_position; }
  DWORD GetLength() const override { return m_fileSize; }
  void Close() override;

  const BYTE* Data() const { return m_buffer; } // the bytes held, GetLength() of them

private:
  void GrowTo(DWORD newSize);
  UINT m_growBytes;
  BYTE* m_buffer;
  DWORD m_bufferSize;
  DWORD m_fileSize;
  DWORD m_position;
};

// ---- Extension modules ----
struct AFX_EXTENSION_MODULE {
  BOOL bInitialized;
  HMODULE hModule;
  HMODULE hResource;
};

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

// Putting a module into the resource search: one object per loaded extension.
class CDynLinkLibrary {
public:
  explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state);
  virtual ~CDynLinkLibrary();
  HMODULE m_hModule;
  HMODULE m_hResource;
  CDynLinkLibrary* m_pNextDLL;
};

// ---- CRect: only what the rubber band needs. ----
class CRect : public tagRECT {
public:
  CRect() { left = top = right = bottom = 0; }
  CRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  void NormalizeRect();
};

#endif
