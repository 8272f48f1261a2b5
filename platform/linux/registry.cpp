// Registry calls over the REGEDIT4 file of regedit_file.cpp, which is read
// again on every call so that processes see each other's writes.
//
// Implemented:
//   RegCreateKeyExA  opens or creates a key below HKEY_CURRENT_USER or below a
//                    key of this layer; a new key is written at once as an
//                    empty section. Reports REG_CREATED_NEW_KEY or
//                    REG_OPENED_EXISTING_KEY.
//   RegOpenKeyA      opens an existing key (ERROR_FILE_NOT_FOUND otherwise);
//                    no subkey gives back the same handle, as on Windows.
//   RegQueryValueExA size query, copy, ERROR_MORE_DATA with the needed size
//                    and the buffer untouched when it is too small.
//   RegSetValueExA   any type; see MakeRegeditValue for how each is written.
//   RegCloseKey      frees a handle; HKEY_CURRENT_USER needs no closing.
//   Key and value names compare without regard to ASCII case, and a trailing
//   backslash on a subkey is ignored, as on Windows; a leading or doubled one
//   gives ERROR_BAD_PATHNAME. A key exists when its section does or when a
//   section lies below it.
// Not implemented: other root keys, classes, volatile keys, security, access
//   rights (every handle may read and write), deleting keys or values, and
//   line breaks in key or value names (ERROR_INVALID_PARAMETER: the file
//   format cannot carry them).
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/regedit_file.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

namespace {

const char kRoot[] = "HKEY_CURRENT_USER";
// Handles are (slot + 1) * 4; the cap keeps them far below the predefined
// keys at 0x80000000 and up.
const size_t kMaxHandles = size_t(1) << 20;

struct Slot {
  bool open = false;
  std::string key;  // full key name, e.g. HKEY_CURRENT_USER\Software
};

std::mutex slotsMutex;
std::vector<Slot> slots;

HKEY HandleOf(size_t slot) {
  return reinterpret_cast<HKEY>(uintptr_t(slot + 1) * 4);
}

LONG NewHandle(const std::string& key, HKEY* handle) {
  std::lock_guard<std::mutex> lock(slotsMutex);
  size_t slot = 0;
  while (slot < slots.size() && slots[slot].open)
    ++slot;
  if (slot == kMaxHandles) return ERROR_NOT_ENOUGH_MEMORY;
  if (slot == slots.size()) slots.emplace_back();
  slots[slot].open = true;
  slots[slot].key = key;
  *handle = HandleOf(slot);
  return ERROR_SUCCESS;
}

// The slot of a handle of this layer, or slots.size(); slotsMutex held.
size_t SlotOf(HKEY handle) {
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  if (value == 0 || value % 4 != 0) return slots.size();
  size_t slot = value / 4 - 1;
  return slot < slots.size() && slots[slot].open ? slot : slots.size();
}

// The full key name behind a handle.
LONG KeyOf(const char* call, HKEY handle, std::string* key) {
  if (handle == HKEY_CURRENT_USER) {
    *key = kRoot;
    return ERROR_SUCCESS;
  }
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  if (value >= 0x80000000u && value < 0x80000010u) {
    PlatformUnsupported(call, "a root key other than HKEY_CURRENT_USER");
  }
  std::lock_guard<std::mutex> lock(slotsMutex);
  size_t slot = SlotOf(handle);
  if (slot == slots.size()) return ERROR_INVALID_HANDLE;
  *key = slots[slot].key;
  return ERROR_SUCCESS;
}

// parent\subKey, with one trailing backslash dropped as Windows does.
LONG JoinSubKey(const std::string& parent, const char* subKey, std::string* key) {
  std::string sub = subKey == nullptr ? "" : subKey;
  if (!sub.empty() && sub[0] == '\\') return ERROR_BAD_PATHNAME;
  if (!sub.empty() && sub.back() == '\\') sub.pop_back();
  if (sub.find("\\\\") != std::string::npos) return ERROR_BAD_PATHNAME;
  if (sub.find_first_of("\r\n") != std::string::npos) return ERROR_INVALID_PARAMETER;
  *key = sub.empty() ? parent : parent + "\\" + sub;
  return ERROR_SUCCESS;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b, size_t length) {
  if (a.size() < length || b.size() < length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && SameName(a, b, a.size());
}

bool KeyExists(const RegeditFile& file, const std::string& key) {
  if (SameName(key, kRoot)) return true;
  for (const RegeditSection& section : file.sections) {
    if (SameName(section.key, key)) return true;
    if (section.key.size() > key.size() && section.key[key.size()] == '\\' &&
        SameName(section.key, key, key.size())) {
      return true;
    }
  }
  return false;
}

// The value as an import of the file would leave it: where a key or a value
// appears twice, the last one counts.
RegeditEntry* FindValue(RegeditFile* file, const std::string& key, const std::string& name) {
  RegeditEntry* found = nullptr;
  for (RegeditSection& section : file->sections) {
    if (!SameName(section.key, key)) continue;
    for (RegeditEntry& entry : section.entries) {
      if (entry.isValue && SameName(entry.name, name)) found = &entry;
    }
  }
  return found;
}

}  // namespace

LONG WINAPI RegCreateKeyExA(HKEY parent, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                            DWORD options, REGSAM, LPSECURITY_ATTRIBUTES security, PHKEY result,
                            LPDWORD disposition) {
  const char* call = "RegCreateKeyExA";
  if (reserved != 0) PlatformUnsupported(call, "a reserved argument other than 0");
  if (keyClass != nullptr) PlatformUnsupported(call, "a key class");
  if (options != REG_OPTION_NON_VOLATILE) PlatformUnsupported(call, "options other than 0");
  if (security != nullptr) PlatformUnsupported(call, "security attributes");
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  std::string parentKey, key;
  LONG status = KeyOf(call, parent, &parentKey);
  if (status == ERROR_SUCCESS) status = JoinSubKey(parentKey, subKey, &key);
  if (status != ERROR_SUCCESS) return status;

  bool created = false;
  if (!KeyExists(ReadRegeditStore(), key)) {
    // Checked again under the lock: another process may have made it.
    status = UpdateRegeditStore([&](RegeditFile* file) {
      if (KeyExists(*file, key)) return false;
      file->sections.push_back(MakeRegeditSection(key));
      created = true;
      return true;
    });
    if (status != ERROR_SUCCESS) return status;
  }
  status = NewHandle(key, result);
  if (status == ERROR_SUCCESS && disposition != nullptr) {
    *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  }
  return status;
}

LONG WINAPI RegOpenKeyA(HKEY parent, LPCSTR subKey, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  std::string parentKey, key;
  LONG status = KeyOf("RegOpenKeyA", parent, &parentKey);
  if (status != ERROR_SUCCESS) return status;
  if (subKey == nullptr || subKey[0] == '\0') {
    *result = parent;
    return ERROR_SUCCESS;
  }
  *result = nullptr;
  status = JoinSubKey(parentKey, subKey, &key);
  if (status != ERROR_SUCCESS) return status;
  if (!KeyExists(ReadRegeditStore(), key)) return ERROR_FILE_NOT_FOUND;
  return NewHandle(key, result);
}

LONG WINAPI RegQueryValueExA(HKEY handle, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize) {
  const char* call = "RegQueryValueExA";
  if (reserved != nullptr) PlatformUnsupported(call, "a reserved argument other than NULL");
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  std::string key;
  LONG status = KeyOf(call, handle, &key);
  if (status != ERROR_SUCCESS) return status;
  RegeditFile file = ReadRegeditStore();
  const RegeditEntry* value = FindValue(&file, key, valueName == nullptr ? "" : valueName);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = value->type;
  DWORD needed = DWORD(value->data.size());
  if (data != nullptr) {
    if (*dataSize < needed) {
      *dataSize = needed;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value->data.data(), needed);
  }
  if (dataSize != nullptr) *dataSize = needed;
  return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY handle, LPCSTR valueName, DWORD reserved, DWORD type,
                           const BYTE* data, DWORD dataSize) {
  const char* call = "RegSetValueExA";
  if (reserved != 0) PlatformUnsupported(call, "a reserved argument other than 0");
  if (data == nullptr && dataSize != 0) return ERROR_INVALID_PARAMETER;
  std::string key;
  LONG status = KeyOf(call, handle, &key);
  if (status != ERROR_SUCCESS) return status;
  std::string bytes(reinterpret_cast<const char*>(data), data == nullptr ? 0 : dataSize);
  RegeditEntry entry;
  if (!MakeRegeditValue(valueName == nullptr ? "" : valueName, type, bytes, &entry)) {
    return ERROR_INVALID_PARAMETER;
  }
  return UpdateRegeditStore([&](RegeditFile* file) {
    RegeditEntry* old = FindValue(file, key, entry.name);
    if (old != nullptr) {
      // Windows keeps the name as first written; so does the file.
      std::string name = old->name;
      MakeRegeditValue(name, type, bytes, old);
      return true;
    }
    RegeditSection* section = nullptr;
    for (RegeditSection& candidate : file->sections) {
      if (SameName(candidate.key, key)) section = &candidate;
    }
    if (section == nullptr) {
      file->sections.push_back(MakeRegeditSection(key));
      section = &file->sections.back();
    }
    section->entries.push_back(entry);
    return true;
  });
}

LONG WINAPI RegCloseKey(HKEY handle) {
  if (handle == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  std::lock_guard<std::mutex> lock(slotsMutex);
  size_t slot = SlotOf(handle);
  if (slot == slots.size()) return ERROR_INVALID_HANDLE;
  slots[slot].open = false;
  slots[slot].key.clear();
  return ERROR_SUCCESS;
}
