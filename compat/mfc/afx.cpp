// The MFC subset: CString, the file classes, AfxFormatString1 and the
// extension-module chain that the resource search walks.
#include "afx.h"

#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

// ---------------------------------------------------------------- CString

namespace {

// The empty string of this module: shared by every empty CString made here,
// never written or freed (nRefs -1). Other modules have their own.
struct {
  CStringData header;
  char text[4];
} g_emptyBlock = {{-1, 0, 0}, {0}};

char* const g_emptyText = g_emptyBlock.text;

bool IsPoolSize(int n) {
  return n == 64 || n == 128 || n == 256 || n == 512;
}

// A block held once, with room for length characters (none of the pool
// sizes); null when there is no memory.
CStringData* AllocateBlock(size_t length) {
  if (length > 0x7FFFFFF0u)
    return nullptr;
  int room = (int)length;
  if (IsPoolSize(room))
    room++;
  CStringData* block = (CStringData*)malloc(sizeof(CStringData) + (size_t)room + 1);
  if (block == nullptr)
    return nullptr;
  block->nRefs = 1;
  block->nDataLength = (int)length;
  block->nAllocLength = room;
  block->data()[length] = 0;
  return block;
}

} // namespace

CString::CString() : m_pchData(g_emptyText) {}
CString::CString(const CString& other) : m_pchData(g_emptyText) {
  CStringData* data = other.GetData();
  if (data->nRefs >= 0) {
    __atomic_add_fetch(&data->nRefs, 1, __ATOMIC_SEQ_CST);
    m_pchData = other.m_pchData;
  } else {
    AssignCopy(other.m_pchData, (size_t)data->nDataLength);
  }
}
CString::CString(const char* text) : m_pchData(g_emptyText) {
  if (text != nullptr)
    AssignCopy(text, strlen(text));
}
CString::CString(const char* text, int length) : m_pchData(g_emptyText) {
  if (text != nullptr && length > 0)
    AssignCopy(text, strnlen(text, (size_t)length));
}
CString::CString(CStringValue taken) : m_pchData(taken.m_pchData != nullptr ? taken.m_pchData : g_emptyText) {}
CString::~CString() {
  Release();
}

CString::operator CStringValue() const {
  CString copy(*this);
  CStringValue value = {copy.m_pchData};
  copy.m_pchData = g_emptyText; // the reference goes with the value
  return value;
}

void CString::Release() {
  CStringData* data = GetData();
  m_pchData = g_emptyText;
  if (data != &g_emptyBlock.header && data->nRefs >= 0 && __atomic_sub_fetch(&data->nRefs, 1, __ATOMIC_SEQ_CST) <= 0 && !IsPoolSize(data->nAllocLength))
    free(data);
}

void CString::AssignCopy(const char* text, size_t length) {
  CStringData* data = GetData();
  if (data->nRefs == 1 && length <= (size_t)data->nAllocLength) {
    memmove(m_pchData, text, length);
    m_pchData[length] = 0;
    data->nDataLength = (int)length;
    return;
  }
  if (length == 0 && data->nDataLength == 0)
    return; // empty already (also an empty string's shared block)
  CStringData* block = AllocateBlock(length);
  if (block == nullptr)
    return; // no memory, no change
  memcpy(block->data(), text, length);
  Release();
  m_pchData = block->data();
}

CString& CString::operator=(const CString& other) {
  if (m_pchData == other.m_pchData)
    return *this;
  CStringData* data = other.GetData();
  if (data->nRefs < 0) { // never shared: copied
    AssignCopy(other.m_pchData, (size_t)data->nDataLength);
  } else {
    __atomic_add_fetch(&data->nRefs, 1, __ATOMIC_SEQ_CST);
    Release();
    m_pchData = other.m_pchData;
  }
  return *this;
}
CString& CString::operator=(const char* text) {
  AssignCopy(text != nullptr ? text : "", text != nullptr ? strlen(text) : 0);
  return *this;
}
CString& CString::operator+=(const char* text) {
  if (text == nullptr || *text == 0)
    return *this;
  size_t a = (size_t)GetLength(), b = strlen(text);
  CStringData* data = GetData();
  if (data->nRefs == 1 && a + b <= (size_t)data->nAllocLength) {
    memmove(m_pchData + a, text, b + 1);
    data->nDataLength = (int)(a + b);
    return *this;
  }
  CStringData* block = AllocateBlock(a + b);
  if (block == nullptr)
    return *this;
  memcpy(block->data(), m_pchData, a);
  memcpy(block->data() + a, text, b);
  Release();
  m_pchData = block->data();
  return *this;
}
CString& CString::operator+=(char c) {
  char text[2] = {c, 0};
  return *this += text;
}

void CString::Empty() {
  if (GetLength() != 0)
    Release(); // a locked buffer is left to its owner
}
char CString::GetAt(int index) const {
  return (index >= 0 && index < GetLength()) ? m_pchData[index] : 0;
}

void CString::FormatMessage1(const char* pattern, const char* arg) {
  CString result;
  if (arg == nullptr)
    arg = "";
  for (const char* p = pattern; p != nullptr && *p != 0; ++p) {
    if (p[0] == '%' && p[1] == '1') {
      result += arg;
      ++p;
    } else {
      result += *p;
    }
  }
  AssignCopy(result.m_pchData, (size_t)result.GetLength());
}

bool operator==(const CString& a, const char* b) {
  return strcmp(a.m_pchData, b != nullptr ? b : "") == 0;
}
bool operator==(const CString& a, const CString& b) {
  return strcmp(a.m_pchData, b.m_pchData) == 0;
}

// ------------------------------------------------------- extension modules

static CDynLinkLibrary* g_firstDLL = nullptr;

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
  if (!state.bInitialized) {
    state.hModule = module;
    state.hResource = module;
    state.bInitialized = TRUE;
  }
  return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL) {
  for (CDynLinkLibrary* dll = g_firstDLL; dll != nullptr;) {
    CDynLinkLibrary* next = dll->m_pNextDLL;
    if (dll->m_hModule == state.hModule)
      delete dll;
    dll = next;
  }
  state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_pNextDLL(g_firstDLL) {
  g_firstDLL = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
  for (CDynLinkLibrary** link = &g_firstDLL; *link != nullptr; link = &(*link)->m_pNextDLL) {
    if (*link == this) {
      *link = m_pNextDLL;
      break;
    }
  }
}

BOOL CString::LoadString(UINT id) {
  char buffer[1024];
  for (CDynLinkLibrary* dll = g_firstDLL; dll != nullptr; dll = dll->m_pNextDLL) {
    int n = ::LoadStringA(dll->m_hResource, id, buffer, (int)sizeof buffer);
    if (n > 0) {
      *this = buffer;
      return TRUE;
    }
  }
  int n = ::LoadStringA(GetModuleHandleA(nullptr), id, buffer, (int)sizeof buffer);
  if (n > 0) {
    *this = buffer;
    return TRUE;
  }
  Empty();
  return FALSE;
}

void AfxFormatString1(CString& rString, UINT nIDS, LPCSTR lpsz1) {
  CString pattern;
  pattern.LoadString(nIDS);
  rString.FormatMessage1(pattern, lpsz1);
}

// ------------------------------------------------------------------- CRect

void CRect::NormalizeRect() {
  if (left > right) {
    LONG t = left;
    left = right;
    right = t;
  }
  if (top > bottom) {
    LONG t = top;
    top = bottom;
    bottom = t;
  }
}

// ------------------------------------------------------------------- CFile

CFile::CFile() : m_file(nullptr) {}
CFile::~CFile() {
  if (m_file != nullptr)
    fclose((FILE*)m_file);
}

BOOL CFile::Open(LPCSTR fileName, UINT openFlags, CFileException* error) {
  if (m_file != nullptr) // a file still open is let go without a word
    fclose((FILE*)m_file);
  m_file = nullptr;
  if (fileName == nullptr || *fileName == 0) {
    if (error != nullptr)
      error->m_cause = CFileException::fileNotFound;
    return FALSE;
  }
  UINT access = openFlags & 3;
  FILE* f = nullptr;
  if ((openFlags & modeCreate) && (openFlags & modeNoTruncate)) {
    // An existing file is kept as it is and written where the position is
    // (not appended to); a missing one is created.
    f = fopen(fileName, "rb+");
    if (f == nullptr)
      f = fopen(fileName, "wb+");
  } else if (openFlags & modeCreate) {
    f = fopen(fileName, access == modeReadWrite ? "wb+" : "wb");
  } else {
    f = fopen(fileName, (access == modeWrite || access == modeReadWrite) ? "rb+" : "rb");
  }
  if (f == nullptr) {
    if (error != nullptr)
      error->m_cause = CFileException::fileNotFound;
    return FALSE;
  }
  // A folder opens on some systems; it is no file.
  struct stat st;
  if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
    fclose(f);
    if (error != nullptr)
      error->m_cause = CFileException::generic;
    return FALSE;
  }
  m_file = f;
  return TRUE;
}

UINT CFile::Read(void* buffer, UINT count) {
  if (m_file == nullptr || buffer == nullptr || count == 0)
    return 0;
  return (UINT)fread(buffer, 1, count, (FILE*)m_file);
}

// The cause of a failed write from errno: no room on the file system or
// beyond the file-size limit is diskFull.
static CFileException* WriteFailure() {
  const int error = errno;
  const bool full = error == ENOSPC || error == EFBIG
#ifdef EDQUOT
                    || error == EDQUOT
#endif
      ;
  return new CFileException(full ? CFileException::diskFull : CFileException::generic, error);
}

void CFile::Write(const void* buffer, UINT count) {
  if (count == 0)
    return;
  if (m_file == nullptr || buffer == nullptr)
    throw new CFileException(CFileException::generic);
  errno = 0;
  if (fwrite(buffer, 1, count, (FILE*)m_file) != count)
    throw WriteFailure();
}

void CFile::Flush() {
  if (m_file == nullptr)
    return;
  errno = 0;
  if (fflush((FILE*)m_file) != 0)
    throw WriteFailure();
}

LONG CFile::Seek(LONG offset, UINT from) {
  if (m_file == nullptr)
    throw new CFileException(CFileException::generic);
  int whence = from == current ? SEEK_CUR : (from == end ? SEEK_END : SEEK_SET);
  if (fseek((FILE*)m_file, offset, whence) != 0)
    throw new CFileException(CFileException::badSeek);
  return (LONG)ftell((FILE*)m_file);
}

DWORD CFile::GetPosition() const {
  return m_file != nullptr ? (DWORD)ftell((FILE*)m_file) : 0;
}

DWORD CFile::GetLength() const {
  if (m_file == nullptr)
    return 0;
  FILE* f = (FILE*)m_file;
  long here = ftell(f);
  fseek(f, 0, SEEK_END);
  long size = ftell(f);
  fseek(f, here, SEEK_SET);
  return size < 0 ? 0 : (DWORD)size;
}

void CFile::Close() {
  if (m_file == nullptr)
    return;
  FILE* f = (FILE*)m_file;
  m_file = nullptr;
  errno = 0;
  if (fclose(f) != 0)
    throw WriteFailure();
}

BOOL CFile::IsOpen() const {
  return m_file != nullptr;
}

BOOL CFile::GetStatus(LPCSTR fileName, CFileStatus& status) {
  memset(&status, 0, sizeof status);
  struct stat st;
  if (fileName == nullptr || stat(fileName, &st) != 0)
    return FALSE;
  status.m_size = (LONG)st.st_size;
  snprintf(status.m_szFullName, sizeof status.m_szFullName, "%s", fileName);
  return TRUE;
}

// ---------------------------------------------------------------- CMemFile

CMemFile::CMemFile(UINT growBytes)
    : m_growBytes(growBytes == 0 ? 1024 : growBytes), m_buffer(nullptr), m_bufferSize(0), m_fileSize(0), m_position(0) {
}

CMemFile::~CMemFile() {
  Close();
}

void CMemFile::GrowTo(DWORD newSize) {
  if (newSize <= m_bufferSize)
    return;
  DWORD size = m_bufferSize;
  while (size < newSize) {
    DWORD next = size + m_growBytes;
    if (next < size) // wrapped
      throw new CFileException(CFileException::generic);
    size = next;
  }
  BYTE* data = (BYTE*)realloc(m_buffer, size);
  if (data == nullptr)
    throw new CFileException(CFileException::generic);
  m_buffer = data;
  m_bufferSize = size;
}

UINT CMemFile::Read(void* buffer, UINT count) {
  if (count == 0 || buffer == nullptr || m_position >= m_fileSize)
    return 0;
  UINT n = count;
  if (n > m_fileSize - m_position)
    n = m_fileSize - m_position;
  memcpy(buffer, m_buffer + m_position, n);
  m_position += n;
  return n;
}

void CMemFile::Write(const void* buffer, UINT count) {
  if (count == 0 || buffer == nullptr)
    return;
  DWORD end = m_position + count;
  if (end < m_position)
    throw new CFileException(CFileException::generic);
  GrowTo(end);
  if (m_position > m_fileSize) // written after a seek past the end: the gap reads as zeros
    memset(m_buffer + m_fileSize, 0, m_position - m_fileSize);
  memcpy(m_buffer + m_position, buffer, count);
  m_position = end;
  if (end > m_fileSize)
    m_fileSize = end;
}

LONG CMemFile::Seek(LONG offset, UINT from) {
  // The arithmetic is that of a 32-bit LONG: a target of 2^31 or more comes
  // out negative and is refused with an exception, as MFC does.
  int64_t base = from == current ? (int64_t)(LONG)m_position : (from == end ? (int64_t)(LONG)m_fileSize : 0);
  LONG target = (LONG)(uint32_t)(base + offset);
  if (target < 0)
    throw new CFileException(CFileException::badSeek);
  m_position = (DWORD)target;
  return target;
}

void CMemFile::Close() {
  free(m_buffer);
  m_buffer = nullptr;
  m_bufferSize = 0;
  m_fileSize = 0;
  m_position = 0;
}
