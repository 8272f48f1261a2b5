// Libraries loaded at run time, over the dynamic loader.
//
// Implemented:
//   LoadLibraryA    dlopen with the name as given (RTLD_NOW, RTLD_LOCAL): a
//                   shared object by path, or by name through the loader's
//                   search path. Windows modules such as "PASSWORD.CPL",
//                   "MPR.DLL" or "IMM32.DLL" are simply not found: NULL.
//   GetProcAddress  dlsym on such a library, by name; NULL when missing.
//   FreeLibrary     dlclose.
// Not implemented: entries by ordinal, the program's own module (the handle
//   of GetModuleHandleA(NULL)), the ".dll" that Windows adds to a name without
//   an extension, LoadLibraryA with no name.
#include <dlfcn.h>

#include <cstdint>

#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

namespace {

void* LibraryOf(HMODULE module, const char* call) {
  if (module == nullptr || module == GetModuleHandleA(nullptr))
    PlatformUnsupported(call, "the program's own module or no module");
  return reinterpret_cast<void*>(module);
}

}  // namespace

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
  if (fileName == nullptr) PlatformUnsupported("LoadLibraryA", "no name");
  return reinterpret_cast<HMODULE>(dlopen(fileName, RTLD_NOW | RTLD_LOCAL));
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  void* library = LibraryOf(module, "GetProcAddress");
  if (reinterpret_cast<uintptr_t>(name) <= 0xFFFF)
    PlatformUnsupported("GetProcAddress", "an entry by ordinal");
  return reinterpret_cast<FARPROC>(dlsym(library, name));
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  return dlclose(LibraryOf(module, "FreeLibrary")) == 0 ? TRUE : FALSE;
}
