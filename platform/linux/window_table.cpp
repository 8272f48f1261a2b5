// The table behind every window handle of the layer, and the resolution of a
// handle into its kind's operations.
//
// Implemented: handles of our windows, dialogs and controls, in one range
//   above the X window ids; X ids of other programs' windows, resolved while
//   the X server knows them.
// Not implemented: windows of other programs on other displays, and handles
//   of other processes' emulated windows (messages do not cross processes).
#include "platform/linux/window_table.h"

#include <utility>

#include "platform/linux/windowing.h"

namespace {

HandleTable<WindowEntry> entries(0, kWindowHandleBase);

}  // namespace

HandleTable<WindowEntry>& WindowEntries() {
  return entries;
}

HWND AddWindowEntry(const WindowOps* ops, std::shared_ptr<void> object) {
  return reinterpret_cast<HWND>(entries.Add(WindowEntry{ops, std::move(object)}));
}

void RemoveWindowEntry(HWND window) {
  entries.Remove(window);
}

WindowEntry* FindWindowEntry(HWND window) {
  return entries.Find(window);
}

const WindowOps* ResolveWindow(HWND window) {
  if (WindowEntry* entry = entries.Find(window)) return entry->ops;
  if (IsXWindowHandle(window) && X11WindowExists(window)) return &kForeignWindowOps;
  return nullptr;
}
