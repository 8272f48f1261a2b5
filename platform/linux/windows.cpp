// Window classes and windows over SDL2, and the messages sent to them.
//
// Implemented:
//   RegisterClassA   a class by name, compared case-insensitively; 0 for a
//                    name already registered. The style is kept (CS_OWNDC
//                    decides whether GetDC resets the DC's settings); the
//                    icon, cursor and background brush are not used.
//   CreateWindowExA  WS_POPUP windows, optionally WS_EX_TOPMOST, each an SDL
//                    window without decoration whose pixels are the bitmap of
//                    its DC; a pop-up covering the whole desktop (SDL's
//                    desktop display mode) is shown full screen. WS_CHILD
//                    windows inside another of our windows, drawing into
//                    their top-level window's pixels. Class by name or atom.
//                    Sends WM_NCCREATE (FALSE fails the call) and WM_CREATE
//                    (-1 fails it) with a CREATESTRUCTA before returning; a
//                    failed window gets only WM_NCDESTROY, as under Wine, and
//                    NULL is returned.
//                    CW_USEDEFAULT counts 0, as for Windows' pop-ups.
//                    WS_VISIBLE windows wait for WM_PAINT from the start.
//   DestroyWindow    WM_DESTROY to the window, then to its children; then
//                    WM_NCDESTROY to the children and last to the window, as
//                    Windows does. Its timers, posted messages and DC go.
//   DefWindowProcA   WM_NCCREATE: TRUE. WM_CLOSE: DestroyWindow. WM_PAINT:
//                    validates the window. Anything else: 0.
//   SendMessageA     calls the window procedure at once; 0 for no window.
//   GetClientRect    the size given at creation.
//   InvalidateRect   the whole window waits for WM_PAINT (no update regions:
//                    any non-empty rectangle counts as all of it); erasing is
//                    not done.
//   ShowCursor       the display counter, 0 at first as on Windows with a
//                    mouse, applied with SDL_ShowCursor (the cursor shows
//                    while the counter is at least 0).
// What is drawn reaches the screen when PresentWindows runs (Sleep, and a
// message loop with nothing to do) and while drawing goes on, at most one
// frame time after the drawing before (WindowDrawn).
// Not implemented: overlapped windows and any other style, owned pop-ups,
//   menus, class and window extra bytes, moving, resizing and showing windows
//   after creation, WM_SIZE, WM_SHOWWINDOW and the activation and focus
//   messages, update regions, BeginPaint and EndPaint, WM_ERASEBKGND,
//   InvalidateRect for all windows (NULL), children placed left of or above
//   their parent's client area.
#include <strings.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/linux/handle_table.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/windowing.h"

namespace {

struct WindowClass {
  std::string name;
  UINT style;
  WNDPROC proc;
};

struct Window {
  const WindowClass* windowClass = nullptr;
  HWND parent = nullptr;  // children only
  DWORD style = 0;
  RECT rect{};  // in the parent's client coordinates; on the screen for pop-ups
  bool needsPaint = false;
  bool destroying = false;
  // Top-level windows only.
  SDL_Window* sdl = nullptr;
  bool fullScreen = false;
  bool changed = false;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, as GDI bitmaps
};

// Classes are never unregistered, so pointers to them stay valid.
std::vector<std::unique_ptr<WindowClass>> classes;
constexpr ATOM kFirstAtom = 0xC000;

// Windows are held by pointer: window procedures create and destroy windows
// while one is in use.
// Their handles start at 2^30, above every X window id, so that windows of
// other programs can be named by their X ids.
constexpr uintptr_t kWindowHandleBase = uintptr_t(1) << 30;
HandleTable<std::unique_ptr<Window>> windows(0, kWindowHandleBase);

Window* Find(HWND handle) {
  std::unique_ptr<Window>* window = windows.Find(handle);
  return window ? window->get() : nullptr;
}

HWND Add(std::unique_ptr<Window> window) {
  return reinterpret_cast<HWND>(windows.Add(std::move(window)));
}

void Remove(HWND handle) {
  windows.Remove(handle);
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  windows.ForEach([&](uintptr_t handle, std::unique_ptr<Window>& window) {
    if (window->parent == parent) children.push_back(reinterpret_cast<HWND>(handle));
  });
  return children;
}

// The top-level window holding a window, and the window's position in it.
HWND RootOf(HWND handle, LONG* x, LONG* y) {
  *x = 0;
  *y = 0;
  Window* window = Find(handle);
  while (window->parent != nullptr) {
    *x += window->rect.left;
    *y += window->rect.top;
    handle = window->parent;
    window = Find(handle);
  }
  return handle;
}

bool ShownOnScreen(Window* window) {
  for (; window != nullptr; window = Find(window->parent)) {
    if (!(window->style & WS_VISIBLE)) return false;
  }
  return true;
}

const WindowClass* FindClass(LPCSTR name) {
  if (name == nullptr) return nullptr;
  uintptr_t value = reinterpret_cast<uintptr_t>(name);
  if (value < 0x10000) {
    size_t index = value - kFirstAtom;
    return value >= kFirstAtom && index < classes.size() ? classes[index].get() : nullptr;
  }
  for (const auto& windowClass : classes) {
    if (strcasecmp(windowClass->name.c_str(), name) == 0) return windowClass.get();
  }
  return nullptr;
}

int cursorCount = 0;
bool videoStarted = false;
int64_t lastPresent = 0;

bool StartVideo() {
  if (videoStarted) return true;
  // Ctrl+C and kill should end the program as they end any other, rather
  // than become an SDL_QUIT event that no message stands for.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Window pixels are copied to a window surface, which X11 and the headless
  // drivers provide themselves; through a renderer instead, SDL would load
  // OpenGL for nothing.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  videoStarted = true;
  SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return true;
}

bool CoversDesktop(const RECT& rect) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  return rect.left <= 0 && rect.top <= 0 && rect.right >= mode.w && rect.bottom >= mode.h;
}

// Gives a pop-up its SDL window and pixels; false when either fails.
bool OpenTopLevel(Window* window, LPCSTR title, DWORD exStyle) {
  LONG width = window->rect.right - window->rect.left;
  LONG height = window->rect.bottom - window->rect.top;
  window->pixels.resize(size_t(width) * height);
  window->fullScreen = CoversDesktop(window->rect);
  Uint32 flags = SDL_WINDOW_BORDERLESS;
  flags |= window->fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
  flags |= (window->style & WS_VISIBLE) ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  flags |= (exStyle & WS_EX_TOPMOST) ? SDL_WINDOW_ALWAYS_ON_TOP : 0;
  // SDL refuses windows of no pixels; Windows allows them.
  window->sdl = SDL_CreateWindow(title ? title : "", window->rect.left, window->rect.top,
                                 std::max<LONG>(width, 1), std::max<LONG>(height, 1), flags);
  return window->sdl != nullptr;
}

void Present(Window* window) {
  window->changed = false;
  SDL_Surface* surface = SDL_GetWindowSurface(window->sdl);
  if (surface == nullptr) return;
  // A full-screen surface covers the desktop, where the window has its place.
  int originX = window->fullScreen ? window->rect.left : 0;
  int originY = window->fullScreen ? window->rect.top : 0;
  int width = window->rect.right - window->rect.left;
  int height = window->rect.bottom - window->rect.top;
  SDL_Rect shown = {std::max(originX, 0), std::max(originY, 0), 0, 0};
  shown.w = std::min(originX + width, surface->w) - shown.x;
  shown.h = std::min(originY + height, surface->h) - shown.y;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
  if (shown.w < surface->w || shown.h < surface->h) SDL_FillRect(surface, nullptr, 0);
  if (shown.w > 0 && shown.h > 0) {
    const uint32_t* from =
        window->pixels.data() + size_t(shown.y - originY) * width + (shown.x - originX);
    auto* to = static_cast<uint8_t*>(surface->pixels) + size_t(shown.y) * surface->pitch +
               size_t(shown.x) * surface->format->BytesPerPixel;
    SDL_ConvertPixels(shown.w, shown.h, SDL_PIXELFORMAT_RGB888, from, width * 4,
                      surface->format->format, to, surface->pitch);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  SDL_UpdateWindowSurface(window->sdl);
}

// WM_DESTROY goes to the window first, then down to its children.
void SendDestroy(HWND handle) {
  Find(handle)->destroying = true;
  SendMessageA(handle, WM_DESTROY, 0, 0);
  for (HWND child : ChildrenOf(handle)) {
    if (Find(child) != nullptr) SendDestroy(child);
  }
}

// Children go before their parent, each after its WM_NCDESTROY.
void Free(HWND handle) {
  for (HWND child : ChildrenOf(handle))
    Free(child);
  SendMessageA(handle, WM_NCDESTROY, 0, 0);
  KillWindowTimers(handle);
  RemovePostedMessages(handle);
  GdiWindowDestroyed(handle);
  Window* window = Find(handle);
  if (window->sdl != nullptr) SDL_DestroyWindow(window->sdl);
  Remove(handle);
}

}  // namespace

bool VideoStarted() {
  return videoStarted;
}

bool WindowExists(HWND window) {
  return Find(window) != nullptr;
}

bool WindowWithin(HWND window, HWND ancestor) {
  for (Window* found = Find(window); found != nullptr; found = Find(found->parent)) {
    if (window == ancestor) return true;
    window = found->parent;
  }
  return false;
}

bool WindowHasOwnDC(HWND window) {
  Window* found = Find(window);
  return found != nullptr && (found->windowClass->style & CS_OWNDC);
}

bool WindowDrawingArea(HWND handle, GdiTarget* target) {
  Window* window = Find(handle);
  if (window == nullptr) return false;
  LONG x;
  LONG y;
  Window* root = Find(RootOf(handle, &x, &y));
  LONG rootWidth = root->rect.right - root->rect.left;
  LONG rootHeight = root->rect.bottom - root->rect.top;
  // Children lie at or right of and below their parent's origin, so the clip
  // starts at 0 and only the far edges may be cut.
  LONG right = std::min(window->rect.right - window->rect.left, rootWidth - x);
  LONG bottom = std::min(window->rect.bottom - window->rect.top, rootHeight - y);
  target->width = rootWidth;
  if (right <= 0 || bottom <= 0) {
    target->pixels = root->pixels.data();
    target->clip = RECT{0, 0, 0, 0};
  } else {
    target->pixels = root->pixels.data() + size_t(y) * rootWidth + x;
    target->clip = RECT{0, 0, right, bottom};
  }
  return true;
}

void WindowDrawn(HWND window) {
  LONG x;
  LONG y;
  Find(RootOf(window, &x, &y))->changed = true;
  if (MonotonicMilliseconds() - lastPresent >= 16) PresentWindows();
}

void PresentWindows() {
  lastPresent = MonotonicMilliseconds();
  windows.ForEach([](uintptr_t, std::unique_ptr<Window>& window) {
    if (window->sdl != nullptr && window->changed) Present(window.get());
  });
}

HWND WindowNeedingPaint(HWND filter) {
  HWND found = nullptr;
  windows.ForEach([&](uintptr_t handle, std::unique_ptr<Window>& window) {
    HWND candidate = reinterpret_cast<HWND>(handle);
    if (found != nullptr || !window->needsPaint || !ShownOnScreen(window.get())) return;
    if (filter == nullptr || WindowWithin(candidate, filter)) found = candidate;
  });
  return found;
}

HWND WindowOfSdlWindow(Uint32 sdlWindowId) {
  HWND found = nullptr;
  windows.ForEach([&](uintptr_t handle, std::unique_ptr<Window>& window) {
    if (found == nullptr && window->sdl != nullptr && SDL_GetWindowID(window->sdl) == sdlWindowId) {
      found = reinterpret_cast<HWND>(handle);
    }
  });
  return found;
}

void WindowExposed(HWND window) {
  Find(window)->changed = true;
  windows.ForEach([&](uintptr_t handle, std::unique_ptr<Window>& found) {
    if (WindowWithin(reinterpret_cast<HWND>(handle), window)) found->needsPaint = true;
  });
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr) return 0;
  LPCSTR name = windowClass->lpszClassName;
  if (name == nullptr || reinterpret_cast<uintptr_t>(name) < 0x10000) {
    PlatformUnsupported("RegisterClassA", "class names given as atoms");
  }
  if (windowClass->cbClsExtra != 0 || windowClass->cbWndExtra != 0) {
    PlatformUnsupported("RegisterClassA", "class or window extra bytes");
  }
  if (windowClass->lpszMenuName != nullptr) PlatformUnsupported("RegisterClassA", "menus");
  if (FindClass(name) != nullptr || classes.size() >= 0x4000) return 0;
  classes.push_back(std::make_unique<WindowClass>(
      WindowClass{name, windowClass->style, windowClass->lpfnWndProc}));
  return ATOM(kFirstAtom + classes.size() - 1);
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  if (exStyle & ~WS_EX_TOPMOST) {
    PlatformUnsupported("CreateWindowExA", "extended styles other than WS_EX_TOPMOST");
  }
  if (style & ~(WS_POPUP | WS_CHILD | WS_VISIBLE)) {
    PlatformUnsupported("CreateWindowExA", "styles other than WS_POPUP, WS_CHILD and WS_VISIBLE");
  }
  bool child = style & WS_CHILD;
  if (child == bool(style & WS_POPUP)) {
    PlatformUnsupported("CreateWindowExA", "windows other than pop-ups and children");
  }
  if (!child && parent != nullptr) PlatformUnsupported("CreateWindowExA", "owned pop-ups");
  if (!child && menu != nullptr) PlatformUnsupported("CreateWindowExA", "menus");
  const WindowClass* windowClass = FindClass(className);
  if (windowClass == nullptr || (child && Find(parent) == nullptr)) return nullptr;
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) width = height = 0;
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (child && (x < 0 || y < 0)) {
    PlatformUnsupported("CreateWindowExA", "children reaching past their parent's left or top");
  }
  // Beyond what a 32-bit process could hold in pixels.
  if (int64_t(width) * height > INT32_MAX / 4) return nullptr;

  auto made = std::make_unique<Window>();
  made->windowClass = windowClass;
  made->parent = child ? parent : nullptr;
  made->style = style;
  made->rect = RECT{x, y, LONG(std::min<int64_t>(int64_t(x) + width, INT32_MAX)),
                    LONG(std::min<int64_t>(int64_t(y) + height, INT32_MAX))};
  made->needsPaint = style & WS_VISIBLE;
  if (!child) {
    if (!StartVideo()) return nullptr;
    try {
      if (!OpenTopLevel(made.get(), windowName, exStyle)) return nullptr;
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  SDL_Window* sdl = made->sdl;
  HWND handle;
  try {
    handle = Add(std::move(made));
  } catch (const std::bad_alloc&) {
    if (sdl != nullptr) SDL_DestroyWindow(sdl);
    return nullptr;
  }

  CREATESTRUCTA create = {param, instance, menu,        parent,     height,    width,
                          y,     x,        LONG(style), windowName, className, exStyle};
  // A window that failed to be created was never whole: like Windows, it gets
  // WM_NCDESTROY but no WM_DESTROY.
  auto fail = [handle] {
    if (Find(handle) != nullptr) Free(handle);
    return nullptr;
  };
  if (!SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) return fail();
  if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) return fail();
  // The procedure may have destroyed the window already.
  return Find(handle) != nullptr ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND window) {
  Window* found = Find(window);
  if (found == nullptr) return FALSE;
  // Asked again while its destruction messages are out.
  if (found->destroying) return TRUE;
  SendDestroy(window);
  Free(window);
  return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      if (Window* found = Find(window)) found->needsPaint = false;
      return 0;
    default:
      return 0;
  }
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* found = Find(window);
  if (found == nullptr) return 0;
  return found->windowClass->proc(window, message, wParam, lParam);
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  Window* found = Find(window);
  if (found == nullptr || rect == nullptr) return FALSE;
  *rect = RECT{0, 0, found->rect.right - found->rect.left, found->rect.bottom - found->rect.top};
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL) {
  if (window == nullptr) PlatformUnsupported("InvalidateRect", "invalidating all windows");
  Window* found = Find(window);
  if (found == nullptr) return FALSE;
  LONG width = found->rect.right - found->rect.left;
  LONG height = found->rect.bottom - found->rect.top;
  // A rectangle that misses the client area adds nothing to the update region.
  if (rect != nullptr && (std::max<LONG>(rect->left, 0) >= std::min(rect->right, width) ||
                          std::max<LONG>(rect->top, 0) >= std::min(rect->bottom, height))) {
    return TRUE;
  }
  found->needsPaint = true;
  return TRUE;
}

int WINAPI ShowCursor(BOOL show) {
  cursorCount += show ? 1 : -1;
  if (videoStarted) SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorCount;
}
