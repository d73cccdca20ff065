#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tool {

namespace {

// A new, empty file beside path, readable as a newly created file would be.
int CreateTemporary(const std::string& path, std::string& temporary) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::vector<char> pattern(folder.begin(), folder.end());
  std::string tail = "." + name + ".tmp-XXXXXX";
  pattern.insert(pattern.end(), tail.begin(), tail.end());
  pattern.push_back('\0');
  int fd = mkstemp(pattern.data());
  if (fd < 0) {
    return -1;
  }
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  temporary = pattern.data();
  return fd;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      if (n == 0) {
        errno = ENOSPC;
      }
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

} // namespace

std::string WriteErrorText(const std::string& path, int code) {
  return "cannot write " + path + ": " + std::strerror(code);
}

bool ReplaceFileWith(const std::string& path, const std::function<bool(const std::string& temporary)>& fill,
                     std::string& error) {
  std::string temporary;
  int fd = CreateTemporary(path, temporary);
  if (fd < 0) {
    error = WriteErrorText(path, errno);
    return false;
  }
  close(fd);
  bool done = fill(temporary);
  if (done && std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = WriteErrorText(path, errno);
    done = false;
  }
  if (!done) {
    std::remove(temporary.c_str());
  }
  return done;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size, std::string& error) {
  return ReplaceFileWith(
      path,
      [&](const std::string& temporary) {
        int fd = open(temporary.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        bool written = fd >= 0 && WriteAll(fd, data, size);
        int code = errno;
        if (fd >= 0 && close(fd) != 0 && written) {
          written = false;
          code = errno;
        }
        if (!written) {
          error = WriteErrorText(path, code);
        }
        return written;
      },
      error);
}

} // namespace tool
