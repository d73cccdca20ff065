// The MFC subset: the file classes as the library uses them and the module
// chain that finds string resources. (The library's own texts, formatted,
// are what the error tests read.)
#include <afx.h>
#include <tavwin_module.h>

#include "drf_files.h"
#include "write_limits.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>

namespace {

const UINT kOpenForReading = 32832;   // typeBinary | shareDenyNone | modeRead
const UINT kCreateForWriting = 36865; // typeBinary | modeCreate | modeWrite

// Runs f and tells whether it threw a CFileException (which is deleted).
template <typename F> bool ThrowsFileException(F f) {
  try {
    f();
  } catch (CFileException* e) {
    e->Delete();
    return true;
  }
  return false;
}

TEST(MemFile, GrowsAsWrittenAndReadsShortAtTheEnd) {
  CMemFile file(16);
  char block[40];
  for (int i = 0; i < 40; ++i)
    block[i] = (char)i;
  file.Write(block, 40);
  file.Write(block, 5);
  EXPECT_EQ(file.GetLength(), 45u);
  EXPECT_EQ(file.GetPosition(), 45u);

  char back[64] = {};
  EXPECT_EQ(file.Seek(38, CFile::begin), 38);
  EXPECT_EQ(file.Read(back, 10), 7u); // 38, 39, then 0..4
  EXPECT_EQ(back[0], 38);
  EXPECT_EQ(back[2], 0);
  EXPECT_EQ(file.Read(back, 10), 0u);
  EXPECT_EQ(file.Seek(100, CFile::begin), 100); // beyond the end is allowed
  EXPECT_EQ(file.Read(back, 10), 0u);

  file.Write("z", 1); // the gap reads as zeros
  EXPECT_EQ(file.GetLength(), 101u);
  EXPECT_EQ(file.Seek(-3, CFile::end), 98);
  EXPECT_EQ(file.Read(back, 3), 3u);
  EXPECT_EQ(std::string(back, 3), std::string("\0\0z", 3));
}

TEST(MemFile, ASeekTo2To31OrMoreOrBeforeTheStartThrows) {
  CMemFile file;
  file.Write("abcd", 4);
  EXPECT_EQ(file.Seek(0x7FFFFFFF, CFile::begin), 0x7FFFFFFF);
  EXPECT_TRUE(ThrowsFileException([&] { file.Seek(1, CFile::current); }));
  EXPECT_EQ(file.GetPosition(), 0x7FFFFFFFu); // unchanged by the failed seek
  EXPECT_TRUE(ThrowsFileException([&] { file.Seek((LONG)0x80000000u, CFile::begin); }));
  EXPECT_TRUE(ThrowsFileException([&] { file.Seek(-5, CFile::end); }));
  EXPECT_EQ(file.Seek(2, CFile::begin), 2);
  char c = 0;
  EXPECT_EQ(file.Read(&c, 1), 1u);
  EXPECT_EQ(c, 'c');
}

TEST(File, WritesWithTheCreateFlagsAndReadsWithTheReadFlags) {
  std::string path = drftest::TempPath("mfc_file.bin");
  {
    CFile out;
    ASSERT_TRUE(out.Open(path.c_str(), kCreateForWriting));
    out.Write("0123456789", 10);
    out.Close();
  }
  CFileStatus status;
  ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
  EXPECT_EQ(status.m_size, 10);
  {
    CFile in;
    ASSERT_TRUE(in.Open(path.c_str(), kOpenForReading));
    EXPECT_EQ(in.GetLength(), 10u);
    EXPECT_EQ(in.Seek(4, CFile::begin), 4);
    char buffer[16] = {};
    EXPECT_EQ(in.Read(buffer, 16), 6u);
    EXPECT_STREQ(buffer, "456789");
    EXPECT_TRUE(ThrowsFileException([&] { in.Seek(-1, CFile::begin); }));
  }
  {
    CFile again; // creating again empties the file
    ASSERT_TRUE(again.Open(path.c_str(), kCreateForWriting));
    again.Write("ab", 2);
  }
  ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
  EXPECT_EQ(status.m_size, 2);
  {
    // Past the file-size limit a write fails: Write, Flush or Close throws,
    // whichever meets the failure first, with the cause diskFull.
    writelimits::FileSizeLimit limit(8192);
    ASSERT_TRUE(limit.Set());
    const std::string block(3000, 'x');
    for (int flush = 0; flush < 2; ++flush) {
      CFile out;
      ASSERT_TRUE(out.Open(path.c_str(), kCreateForWriting));
      int cause = CFileException::none;
      LONG osError = 0;
      try {
        for (int i = 0; i < 4; ++i)
          out.Write(block.data(), (UINT)block.size());
        if (flush)
          out.Flush();
        out.Close();
      } catch (CFileException* e) {
        cause = e->m_cause;
        osError = e->m_lOsError;
        e->Delete();
      }
      EXPECT_EQ(cause, CFileException::diskFull);
      EXPECT_EQ(osError, EFBIG);
    }
  }
  remove(path.c_str());

  CFile missing;
  CFileException error;
  EXPECT_FALSE(missing.Open(path.c_str(), kOpenForReading, &error));
  EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
  EXPECT_FALSE(missing.Open(TAV_BINARY_DIR, kOpenForReading)); // a folder is no file
  EXPECT_FALSE(CFile::GetStatus(path.c_str(), status));
}

CStringData* Header(const CString& s) {
  return reinterpret_cast<CStringData*>(const_cast<char*>(s.GetString())) - 1;
}

// A block as another module's MFC holds it: the header, then the text.
struct ForeignBlock {
  CStringData header;
  char text[16];
};

TEST(CString, BlocksAreSharedWrittenAndReleasedAsTheHostsMfcDoes) {
  CString a("text");
  CStringData* block = Header(a);
  EXPECT_EQ(block->nRefs, 1);
  EXPECT_EQ(block->nDataLength, 4);
  EXPECT_GE(block->nAllocLength, 4);
  {
    CString b(a);
    EXPECT_EQ(b.GetString(), a.GetString());
    EXPECT_EQ(block->nRefs, 2);
    b = "abc"; // shared, though it fits: b gets a block of its own
    EXPECT_STREQ(a, "text");
    EXPECT_EQ(block->nRefs, 1);
    CStringValue handed = a; // a reference for a receiver
    EXPECT_EQ(block->nRefs, 2);
    CString received(handed); // which takes it over
    EXPECT_EQ(block->nRefs, 2);
  }
  EXPECT_EQ(block->nRefs, 1);
  a = "txt"; // held once, with room: written in place
  EXPECT_EQ(Header(a), block);
  EXPECT_EQ(block->nDataLength, 3);

  // No block made here has one of the pool sizes.
  for (int length : {63, 64, 65, 128, 256, 512}) {
    CString s(std::string((size_t)length, 'x').c_str());
    EXPECT_EQ(Header(s)->nDataLength, length);
    EXPECT_TRUE(Header(s)->nAllocLength != 64 && Header(s)->nAllocLength != 128 && Header(s)->nAllocLength != 256 &&
                Header(s)->nAllocLength != 512)
        << length;
  }

  // Another module's empty string, a locked buffer and a pool block (none of
  // them from malloc: freeing one would abort).
  ForeignBlock empty = {{-1, 0, 0}, ""}, locked = {{-1, 3, 15}, "abc"}, pooled = {{1, 2, 64}, "pq"};
  {
    CString e(CStringValue{empty.text}), l(CStringValue{locked.text}), p(CStringValue{pooled.text});
    e = "";
    e.Empty();
    CString copy(l); // a locked buffer is copied, not shared
    EXPECT_NE(copy.GetString(), l.GetString());
    EXPECT_STREQ(copy, "abc");
    l = "xyz"; // and not written
    EXPECT_STREQ(locked.text, "abc");
    e = copy;
    EXPECT_EQ(Header(e)->nRefs, 2);
  }
  EXPECT_EQ(memcmp(&empty.header, "\xff\xff\xff\xff\0\0\0\0\0\0\0\0", 12), 0);
  EXPECT_EQ(locked.header.nRefs, -1);
  EXPECT_EQ(pooled.header.nRefs, 0); // released, and left to its pool
}

TEST(ExtensionModule, ItsStringsAreFoundWhileItIsInTheChain) {
  static const char marker = 0;
  HINSTANCE module = reinterpret_cast<HINSTANCE>(const_cast<char*>(&marker)); // a module of our own
  const tavwin::StringResource strings[] = {{4242, "from the extension: %1"}};
  tavwin::RegisterModuleResources(module, strings, 1, nullptr, 0);

  CString text;
  AfxFormatString1(text, 4242, "x");
  EXPECT_STREQ(text, "");
  AFX_EXTENSION_MODULE state = {FALSE, nullptr, nullptr};
  ASSERT_TRUE(AfxInitExtensionModule(state, module));
  new CDynLinkLibrary(state);
  AfxFormatString1(text, 4242, "x");
  EXPECT_STREQ(text, "from the extension: x");
  AfxTermExtensionModule(state);
  AfxFormatString1(text, 4242, "x");
  EXPECT_STREQ(text, "");
}

} // namespace
