// Temporary files, replacing and deleting files, over the POSIX calls.
#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// The number of the name is tried from a start that differs between
// processes and calls, up through all 65,535, until a name is free; the file
// is made with O_EXCL, so two callers never get the same one.
UINT WINAPI GetTempFileNameA(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  if (pathName == nullptr || tempFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  char pre[4] = {};
  if (prefix != nullptr)
    strncpy(pre, prefix, 3);
  const size_t folderLength = strlen(pathName);
  const char* slash = folderLength > 0 && pathName[folderLength - 1] != '/' ? "/" : "";
  if (unique != 0) {
    // The name only, as Windows does for a given number.
    int n = snprintf(tempFileName, MAX_PATH, "%s%s%s%04X.TMP", pathName, slash, pre, unique & 0xFFFF);
    return n > 0 && n < MAX_PATH ? unique : 0;
  }
  static UINT counter = 0;
  const UINT start = (UINT)getpid() * 7919u + ++counter * 101u;
  for (UINT i = 0; i < 0xFFFF; ++i) {
    const UINT number = (start + i) % 0xFFFF + 1;
    int n = snprintf(tempFileName, MAX_PATH, "%s%s%s%04X.TMP", pathName, slash, pre, number);
    if (n <= 0 || n >= MAX_PATH) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return 0;
    }
    int fd = open(tempFileName, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
      close(fd);
      return number;
    }
    if (errno != EEXIST) {
      SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
      return 0;
    }
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

BOOL WINAPI MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  if (existingName == nullptr || newName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  struct stat st;
  if (!(flags & MOVEFILE_REPLACE_EXISTING) && lstat(newName, &st) == 0) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (rename(existingName, newName) != 0) {
    SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
  struct stat st;
  if (fileName == nullptr || lstat(fileName, &st) != 0 || S_ISDIR(st.st_mode) || unlink(fileName) != 0) {
    SetLastError(fileName != nullptr && errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}
