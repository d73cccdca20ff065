// Test support for failed writes: a small tmpfs mounted on a scratch folder
// (a full file system), and a file-size limit (RLIMIT_FSIZE with SIGXFSZ
// ignored, so that a write past it fails with EFBIG instead of ending the
// process). Both undo themselves when they go.
#ifndef TAV_TESTS_SUPPORT_WRITE_LIMITS_H
#define TAV_TESTS_SUPPORT_WRITE_LIMITS_H

#include <stddef.h>

#include <string>
#include <vector>

namespace writelimits {

class SmallTmpfs {
public:
  // Mounts a tmpfs of bytes on a new folder named after name and this
  // process; Mounted() tells whether it worked (it needs root), Why() why not.
  SmallTmpfs(const std::string& name, size_t bytes = 64 * 1024);
  ~SmallTmpfs();
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;
  bool Mounted() const { return mounted_; }
  const std::string& Why() const { return why_; }
  const std::string& Folder() const { return folder_; }

private:
  std::string folder_, why_;
  bool mounted_ = false;
};

class FileSizeLimit {
public:
  explicit FileSizeLimit(size_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool Set() const { return set_; }

private:
  bool set_ = false;
  unsigned long long previous_ = 0;
  void (*previousHandler_)(int) = nullptr;
};

// The names in a folder but "." and "..", sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

} // namespace writelimits

#endif
