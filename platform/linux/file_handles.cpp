// Files opened by handle, for writing a new file.
//
// Implemented:
//   CreateFileA  GENERIC_WRITE with CREATE_NEW only: creates the file, which
//                must not exist yet, with open(O_CREAT | O_EXCL | O_NOFOLLOW),
//                so that a file or a symbolic link already under that name
//                (dangling or not) makes it fail instead of being written
//                through. Mode 0666 less the umask. INVALID_HANDLE_VALUE on
//                failure.
//   WriteFile    writes all count bytes at the file's position; TRUE with the
//                number written, or FALSE.
//   CloseHandle  closes a handle CreateFileA gave; FALSE for any other.
// A handle names a slot of a table holding the descriptor, so that a stale
// handle or one of another kind of object is refused rather than used.
// The last error is not set. Not implemented: other access rights and
// creation dispositions, security attributes, overlapped writes and template
// files (reported as unsupported); the share mode and the attributes are not
// looked at; a backslash in a path is part of a name.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "platform/linux/handle_table.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

namespace {

std::mutex tableMutex;
HandleTable<int> descriptors(5);

int DescriptorOf(HANDLE file) {
  std::lock_guard<std::mutex> lock(tableMutex);
  const int* descriptor = descriptors.Find(file);
  return descriptor != nullptr ? *descriptor : -1;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD, HANDLE templateFile) {
  if (access != GENERIC_WRITE || disposition != CREATE_NEW) {
    PlatformUnsupported("CreateFileA", "access other than GENERIC_WRITE, or not CREATE_NEW");
  }
  if (security != nullptr || templateFile != nullptr) {
    PlatformUnsupported("CreateFileA", "security attributes or a template file");
  }
  if (fileName == nullptr) return INVALID_HANDLE_VALUE;
  int descriptor =
      open(fileName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode_t(0666));
  if (descriptor < 0) return INVALID_HANDLE_VALUE;
  std::lock_guard<std::mutex> lock(tableMutex);
  return reinterpret_cast<HANDLE>(descriptors.Add(descriptor));
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written,
                      LPOVERLAPPED overlapped) {
  if (written == nullptr || overlapped != nullptr) {
    PlatformUnsupported("WriteFile", "overlapped writes, or no count of bytes written");
  }
  *written = 0;
  int descriptor = DescriptorOf(file);
  if (descriptor < 0 || (buffer == nullptr && count > 0)) return FALSE;
  const char* bytes = static_cast<const char*>(buffer);
  while (*written < count) {
    ssize_t done = write(descriptor, bytes + *written, count - *written);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return FALSE;
    *written += DWORD(done);
  }
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
  std::lock_guard<std::mutex> lock(tableMutex);
  const int* descriptor = descriptors.Find(object);
  if (descriptor == nullptr) return FALSE;
  close(*descriptor);
  descriptors.Remove(object);
  return TRUE;
}
