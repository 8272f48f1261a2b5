// Registry calls over the regedit file of regedit_file.cpp, which is read
// again on every call so that processes see each other's writes.
//
// Changes wait in the process, where every call already sees them, until a
// handle is closed: then all of them replace the file in one write, so that a
// reader never finds half of a set of values (the settings dialog's six among
// them). Changes made through handles that are never closed are written when
// the process exits. A write that fails leaves the file as it was and the
// changes are dropped; when they held values, a message box names the file
// and what went wrong, for that is the user's saving failing. A key that only
// came into being (as when the settings are read at start-up) fails quietly.
//
// Implemented:
//   RegCreateKeyExA  opens or creates a key below HKEY_CURRENT_USER or below a
//                    key of this layer; a new key is written as an empty
//                    section. Reports REG_CREATED_NEW_KEY or
//                    REG_OPENED_EXISTING_KEY.
//   RegOpenKeyA      opens an existing key (ERROR_FILE_NOT_FOUND otherwise);
//                    no subkey gives back the same handle, as on Windows.
//   RegQueryValueExA size query, copy, ERROR_MORE_DATA with the needed size
//                    and the buffer untouched when it is too small.
//   RegSetValueExA   any type; see MakeRegeditValue for how each is written.
//   RegCloseKey      frees a handle (HKEY_CURRENT_USER needs no freeing) and
//                    writes the waiting changes; gives the write's error.
//   Key and value names compare without regard to ASCII case, and a trailing
//   backslash on a subkey is ignored, as on Windows; a leading or doubled one
//   gives ERROR_BAD_PATHNAME. A key exists when its section does or when a
//   section lies below it.
// Not implemented: other root keys, classes, volatile keys, security, access
//   rights (every handle may read and write), deleting keys or values, and
//   line breaks in key or value names (ERROR_INVALID_PARAMETER: the file
//   format cannot carry them).
#include <cstdio>
#include <cstdlib>
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

// A change not yet written: a key made, or a value set.
struct Change {
  std::string key;
  bool isValue = false;
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
};

// Guards slots and changes.
std::mutex slotsMutex;
std::vector<Slot> slots;
std::vector<Change> changes;
bool flushAtExitSet = false;

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

bool HasLineBreakInName(const std::string& name) {
  return name.find_first_of("\r\n") != std::string::npos;
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

// Makes the change in file; false when it was already so.
bool Apply(const Change& change, RegeditFile* file) {
  if (!change.isValue) {
    if (KeyExists(*file, change.key)) return false;
    file->sections.push_back(MakeRegeditSection(change.key, file->form));
    return true;
  }
  RegeditEntry* old = FindValue(file, change.key, change.name);
  if (old != nullptr) {
    // Windows keeps the name as first written; so does the file.
    std::string name = old->name;
    MakeRegeditValue(name, change.type, change.data, file->form, old);
    return true;
  }
  RegeditSection* section = nullptr;
  for (RegeditSection& candidate : file->sections) {
    if (SameName(candidate.key, change.key)) section = &candidate;
  }
  if (section == nullptr) {
    file->sections.push_back(MakeRegeditSection(change.key, file->form));
    section = &file->sections.back();
  }
  RegeditEntry entry;
  MakeRegeditValue(change.name, change.type, change.data, file->form, &entry);
  section->entries.push_back(entry);
  return true;
}

// The registry as this process sees it: the file with the waiting changes.
RegeditFile View() {
  RegeditFile file = ReadRegeditStore();
  std::lock_guard<std::mutex> lock(slotsMutex);
  for (const Change& change : changes)
    Apply(change, &file);
  return file;
}

// Writes the waiting changes; on failure gives the file's path and the
// reason in problem, and whether a value was among the changes lost.
LONG WriteChanges(std::string* problem, bool* valuesLost) {
  std::vector<Change> writing;
  {
    std::lock_guard<std::mutex> lock(slotsMutex);
    writing.swap(changes);
  }
  *valuesLost = false;
  if (writing.empty()) return ERROR_SUCCESS;
  LONG status = UpdateRegeditStore(
      [&writing](RegeditFile* file) {
        bool changed = false;
        for (const Change& change : writing)
          changed = Apply(change, file) || changed;
        return changed;
      },
      problem);
  if (status != ERROR_SUCCESS) {
    for (const Change& change : writing)
      *valuesLost = *valuesLost || change.isValue;
  }
  return status;
}

void WriteChangesAtExit() {
  std::string problem;
  bool valuesLost = false;
  if (WriteChanges(&problem, &valuesLost) != ERROR_SUCCESS && valuesLost) {
    std::fprintf(stderr, "lumivane: the settings could not be saved: %s\n", problem.c_str());
    std::fflush(stderr);
  }
}

LONG AddChange(const Change& change) {
  std::lock_guard<std::mutex> lock(slotsMutex);
  if (!flushAtExitSet) {
    if (std::atexit(WriteChangesAtExit) != 0) return ERROR_NOT_ENOUGH_MEMORY;
    flushAtExitSet = true;
  }
  changes.push_back(change);
  return ERROR_SUCCESS;
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

  // Another process may make the key before this change is written; the
  // write then finds it there and leaves it.
  bool created = !KeyExists(View(), key);
  if (created) {
    Change change;
    change.key = key;
    status = AddChange(change);
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
  if (!KeyExists(View(), key)) return ERROR_FILE_NOT_FOUND;
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
  RegeditFile file = View();
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
  Change change;
  change.key = key;
  change.isValue = true;
  change.name = valueName == nullptr ? "" : valueName;
  change.type = type;
  change.data.assign(reinterpret_cast<const char*>(data), data == nullptr ? 0 : dataSize);
  if (HasLineBreakInName(change.name)) return ERROR_INVALID_PARAMETER;
  return AddChange(change);
}

LONG WINAPI RegCloseKey(HKEY handle) {
  if (handle != HKEY_CURRENT_USER) {
    std::lock_guard<std::mutex> lock(slotsMutex);
    size_t slot = SlotOf(handle);
    if (slot == slots.size()) return ERROR_INVALID_HANDLE;
    slots[slot].open = false;
    slots[slot].key.clear();
  }
  std::string problem;
  bool valuesLost = false;
  LONG status = WriteChanges(&problem, &valuesLost);
  if (status != ERROR_SUCCESS && valuesLost) {
    std::string text =
        "The settings could not be saved: " + problem + ". The file was left as it was.";
    MessageBoxA(nullptr, text.c_str(), "Error", MB_OK | MB_ICONHAND);
  }
  return status;
}
