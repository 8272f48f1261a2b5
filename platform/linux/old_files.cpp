// The old file interface, over POSIX file descriptors.
//
// Implemented:
//   OpenFile  OF_READ only: opens the named file for reading. Fills the
//             OFSTRUCT: cBytes its size, fFixedDisk nonzero, nErrCode 0 or
//             the error (ERROR_FILE_NOT_FOUND, also when a folder on the way
//             is missing; ERROR_ACCESS_DENIED for a folder, a file without
//             permission and anything else), szPathName the file's full
//             path, cut to fit. HFILE_ERROR on failure.
//   _lread    reads up to count bytes; the number read (less only at the end
//             of the file), or HFILE_ERROR as a UINT.
//   _llseek   FILE_BEGIN, FILE_CURRENT and FILE_END; the new position, or
//             HFILE_ERROR without moving when the position would lie before
//             the start or beyond what 32 bits hold. Positions from 2 GB on
//             come back negative, as on Windows.
//   _lclose   0, or HFILE_ERROR for a handle that is not open.
//   A handle names a slot of a table holding the descriptor, so that one this
//   layer did not give (standard input, say) is refused rather than used.
// Not implemented: the other OF_ styles (reported as unsupported), sharing
//   modes, the search path for bare file names (a relative name is taken from
//   the current folder), the limit of 128 characters on a path, _lopen,
//   _lcreat, _lwrite.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

namespace {

std::mutex tableMutex;
std::vector<int> descriptors;  // by slot; -1 for a free slot

HFILE HandleOf(size_t slot) {
  return HFILE((slot + 1) * 4);
}

// The slot of an open handle, or -1.
long SlotOf(HFILE file) {
  if (file <= 0 || file % 4 != 0) return -1;
  size_t slot = size_t(file) / 4 - 1;
  if (slot >= descriptors.size() || descriptors[slot] < 0) return -1;
  return long(slot);
}

int DescriptorOf(HFILE file) {
  std::lock_guard<std::mutex> lock(tableMutex);
  long slot = SlotOf(file);
  return slot < 0 ? -1 : descriptors[size_t(slot)];
}

HFILE NewHandle(int descriptor) {
  std::lock_guard<std::mutex> lock(tableMutex);
  size_t slot = 0;
  while (slot < descriptors.size() && descriptors[slot] >= 0)
    ++slot;
  if (slot >= size_t(INT_MAX / 4 - 1)) return HFILE_ERROR;
  if (slot == descriptors.size()) descriptors.push_back(-1);
  descriptors[slot] = descriptor;
  return HandleOf(slot);
}

// OpenFile looks for the file before it opens it, so a missing folder on the
// way is reported as a missing file too.
WORD ErrorCode(int error) {
  return error == ENOENT || error == ENOTDIR ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
}

void CopyPath(const char* fileName, bool opened, CHAR* destination) {
  char* full = opened ? realpath(fileName, nullptr) : nullptr;
  const char* path = full ? full : fileName;
  std::strncpy(destination, path, OFS_MAXPATHNAME - 1);
  destination[OFS_MAXPATHNAME - 1] = '\0';
  std::free(full);
}

}  // namespace

HFILE WINAPI OpenFile(LPCSTR fileName, LPOFSTRUCT info, UINT style) {
  if (style != OF_READ) PlatformUnsupported("OpenFile", "styles other than OF_READ");
  if (fileName == nullptr || info == nullptr) {
    PlatformUnsupported("OpenFile", "a null file name or OFSTRUCT");
  }
  std::memset(info, 0, sizeof *info);
  info->cBytes = sizeof *info;
  info->fFixedDisk = 1;
  int descriptor = open(fileName, O_RDONLY | O_CLOEXEC);
  int error = errno;
  struct stat status;
  // open() gives a folder for reading; OpenFile refuses it.
  if (descriptor >= 0 && (fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode))) {
    close(descriptor);
    descriptor = -1;
    error = EISDIR;
  }
  CopyPath(fileName, descriptor >= 0, info->szPathName);
  if (descriptor < 0) {
    info->nErrCode = ErrorCode(error);
    return HFILE_ERROR;
  }
  HFILE handle = NewHandle(descriptor);
  if (handle == HFILE_ERROR) {
    close(descriptor);
    info->nErrCode = ERROR_NOT_ENOUGH_MEMORY;
  }
  return handle;
}

UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT count) {
  int descriptor = DescriptorOf(file);
  if (descriptor < 0) return UINT(HFILE_ERROR);
  char* bytes = static_cast<char*>(buffer);
  UINT done = 0;
  while (done < count) {
    ssize_t got = read(descriptor, bytes + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return UINT(HFILE_ERROR);
    if (got == 0) break;
    done += UINT(got);
  }
  return done;
}

LONG WINAPI _llseek(HFILE file, LONG offset, int origin) {
  int descriptor = DescriptorOf(file);
  if (descriptor < 0) return HFILE_ERROR;
  off_t base = 0;
  struct stat status;
  if (origin == FILE_CURRENT) {
    base = lseek(descriptor, 0, SEEK_CUR);
  } else if (origin == FILE_END) {
    base = fstat(descriptor, &status) == 0 ? status.st_size : -1;
  } else if (origin != FILE_BEGIN) {
    return HFILE_ERROR;
  }
  if (base < 0) return HFILE_ERROR;
  int64_t target = int64_t(base) + offset;
  if (target < 0 || target > int64_t(UINT32_MAX)) return HFILE_ERROR;
  if (lseek(descriptor, off_t(target), SEEK_SET) < 0) return HFILE_ERROR;
  return LONG(DWORD(target));
}

HFILE WINAPI _lclose(HFILE file) {
  std::lock_guard<std::mutex> lock(tableMutex);
  long slot = SlotOf(file);
  if (slot < 0) return HFILE_ERROR;
  close(descriptors[size_t(slot)]);
  descriptors[size_t(slot)] = -1;
  return 0;
}
