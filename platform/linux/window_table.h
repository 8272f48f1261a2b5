// The one table of window handles: every handle the layer gives out (our
// windows, dialog boxes and their controls) names an entry that carries its
// kind's operations, and another program's X window resolves to the
// operations of that kind. A call on any window resolves the handle once and
// asks the entry, instead of asking each kind in turn.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/linux/handle_table.h"
#include "platform/linux/win32_api.h"

// Our handles start at 2^30, above every X window id, so that windows of
// other programs can be named by their X ids.
constexpr uintptr_t kWindowHandleBase = uintptr_t(1) << 30;
inline bool IsXWindowHandle(HWND window) {
  uintptr_t value = reinterpret_cast<uintptr_t>(window);
  return value != 0 && value < kWindowHandleBase;
}
inline HWND HandleOfXWindow(unsigned long xWindow) {
  return reinterpret_cast<HWND>(uintptr_t(xWindow));
}

// What a kind of window does with the calls that take any window handle.
struct WindowOps {
  // SendMessageA: the answer of the window's procedure.
  LRESULT (*send)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // GetParent.
  HWND (*parent)(HWND window);
  // EnableWindow: TRUE when the window was disabled before.
  BOOL (*enable)(HWND window, BOOL enable);
  BOOL (*isEnabled)(HWND window);
  BOOL (*clientRect)(HWND window, RECT* rect);
  BOOL (*setForeground)(HWND window);
};

// The kinds: windows.cpp, dialog_box.cpp and foreign_windows.cpp.
extern const WindowOps kOurWindowOps;
extern const WindowOps kDialogOps;
extern const WindowOps kForeignWindowOps;

struct WindowEntry {
  const WindowOps* ops = nullptr;
  std::shared_ptr<void> object;  // the kind's own record
};

// Throws std::bad_alloc when the table cannot grow.
HWND AddWindowEntry(const WindowOps* ops, std::shared_ptr<void> object);
// The handle must name an entry.
void RemoveWindowEntry(HWND window);
// The entry of one of the layer's handles, or NULL; valid until the next
// entry is added or removed.
WindowEntry* FindWindowEntry(HWND window);
// The operations of any window: one of the layer's, or another program's X
// window that exists (asking the X server); NULL for no window.
const WindowOps* ResolveWindow(HWND window);
// The record of a handle of one kind, or NULL.
template <typename T>
T* FindWindowObject(HWND window, const WindowOps* ops) {
  WindowEntry* entry = FindWindowEntry(window);
  return entry != nullptr && entry->ops == ops ? static_cast<T*>(entry->object.get()) : nullptr;
}

HandleTable<WindowEntry>& WindowEntries();
// Calls visit(handle, record) for every window of one kind, in handle order;
// entries added meanwhile are visited too.
template <typename T, typename Visit>
void ForEachWindowObject(const WindowOps* ops, Visit visit) {
  WindowEntries().ForEach([&](uintptr_t handle, WindowEntry& entry) {
    if (entry.ops != ops) return;
    // Kept alive while visit may remove the entry.
    std::shared_ptr<void> object = entry.object;
    visit(reinterpret_cast<HWND>(handle), static_cast<T*>(object.get()));
  });
}
