#include "write_limits.h"

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace writelimits {

SmallTmpfs::SmallTmpfs(const std::string& name, size_t bytes) {
  folder_ = std::string(TAV_BINARY_DIR) + "/" + name + "-" + std::to_string(getpid());
  mkdir(folder_.c_str(), 0755);
  const std::string options = "size=" + std::to_string(bytes);
  if (mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0)
    mounted_ = true;
  else
    why_ = std::string("cannot mount a tmpfs on ") + folder_ + " (" + strerror(errno) + "; it needs root)";
}

SmallTmpfs::~SmallTmpfs() {
  if (mounted_)
    umount2(folder_.c_str(), MNT_DETACH);
  rmdir(folder_.c_str());
}

FileSizeLimit::FileSizeLimit(size_t bytes) {
  struct rlimit limit;
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
    return;
  previous_ = limit.rlim_cur;
  limit.rlim_cur = bytes;
  previousHandler_ = signal(SIGXFSZ, SIG_IGN);
  set_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit() {
  struct rlimit limit;
  if (set_ && getrlimit(RLIMIT_FSIZE, &limit) == 0) {
    limit.rlim_cur = (rlim_t)previous_;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  signal(SIGXFSZ, previousHandler_);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

} // namespace writelimits
