// Registry calls in the few shapes the tests use, on both builds.
#pragma once

#include <string>

#include "platform/win32.h"

// The key below parent, created when missing; nullptr when that fails.
inline HKEY CreateKey(HKEY parent, const std::string& subKey) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExA(parent, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return status == ERROR_SUCCESS ? key : nullptr;
}

inline LONG SetValue(HKEY key, const char* name, DWORD type, const std::string& data) {
  return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                        DWORD(data.size()));
}

inline LONG SetDwordValue(HKEY key, const char* name, DWORD value) {
  return SetValue(key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
}

// "type:bytes" of the value, or "error N" with the query's status.
inline std::string QueryValue(HKEY key, const char* name) {
  char data[256];
  DWORD size = sizeof data, type = REG_NONE;
  LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  if (status != ERROR_SUCCESS) return "error " + std::to_string(status);
  return std::to_string(type) + ":" + std::string(data, size);
}
