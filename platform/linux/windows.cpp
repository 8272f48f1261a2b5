// Window classes and windows over SDL2, and the messages sent to them.
//
// Implemented:
//   RegisterClassA   a class by name, compared case-insensitively; 0 for a
//                    name already registered. The style is kept (CS_OWNDC
//                    decides whether GetDC resets the DC's settings,
//                    CS_DBLCLKS whether a second click is a double-click), and
//                    so is the cursor, which DefWindowProcA sets on
//                    WM_SETCURSOR, and the icon, which top-level windows
//                    show; the background brush is not used.
//   CreateWindowExA  WS_POPUP windows, optionally WS_EX_TOPMOST, each an SDL
//                    window without decoration whose pixels are the bitmap of
//                    its DC; a pop-up covering the whole desktop (SDL's
//                    desktop display mode) is shown full screen. Top-level
//                    windows are announced on the X display (x11_display.cpp)
//                    for FindWindowA in other programs. WS_CHILD windows
//                    inside another of our windows, drawing into their
//                    top-level window's pixels, or inside another program's X
//                    window (its id as the parent), drawing into pixels of
//                    their own. WS_DISABLED is kept; WS_CLIPSIBLINGS and
//                    WS_CLIPCHILDREN are accepted but not applied: a parent
//                    draws over its children. Class by name or atom.
//                    Sends WM_NCCREATE (FALSE fails the call), WM_CREATE (-1
//                    fails it) with a CREATESTRUCTA, and then, to a WS_VISIBLE
//                    window, WM_SHOWWINDOW (TRUE, 0) before returning; a failed
//                    window gets only WM_NCDESTROY, as under Wine, and NULL is
//                    returned.
//                    CW_USEDEFAULT counts 0, as for Windows' pop-ups.
//                    WS_VISIBLE windows wait for WM_PAINT from the start.
//   DestroyWindow    WM_DESTROY to the window, then to its children; then
//                    WM_NCDESTROY to the children and last to the window, as
//                    Windows does. Its timers, posted messages and DC go. A
//                    child inside another program's window is destroyed this
//                    way when that window goes.
//   DefWindowProcA   WM_NCCREATE: takes the title from the CREATESTRUCTA, TRUE.
//                    WM_CLOSE: DestroyWindow. WM_PAINT: validates the window.
//                    WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH: the title (also
//                    the SDL window's). WM_SYSCOMMAND: SC_CLOSE sends
//                    WM_CLOSE, other commands do nothing. WM_SYSKEYDOWN: Alt+F4
//                    posts SC_CLOSE to the top-level window. WM_SETCURSOR: asks
//                    the parent first, then sets the class cursor over the
//                    client area. WM_MOUSEWHEEL: goes to the parent. Anything
//                    else: 0.
//   InvalidateRect   the whole window waits for WM_PAINT (no update regions:
//                    any non-empty rectangle counts as all of it); erasing is
//                    not done.
//   FindWindowA      top-level windows by class and title, both in any case
//                    (as Wine compares titles), NULL matching any: ours first,
//                    then other programs' on the X display, whose X id is the
//                    handle.
//   GetForegroundWindow  ours with SDL's keyboard focus, else the active X
//                    window, else the one last made foreground.
// Our windows' share of the calls that take any handle (window_calls.cpp):
//   SendMessageA     the class's window procedure, at once.
//   GetClientRect    the size given at creation.
//   GetParent        a child's parent (ours or another program's); NULL for
//                    pop-ups.
//   SetForegroundWindow  raises the top-level window and gives it the
//                    keyboard focus.
//   EnableWindow, IsWindowEnabled  WS_DISABLED, with WM_ENABLE on a change;
//                    disabled windows get no input (message_queue.cpp).
// What is drawn reaches the screen when PresentWindows runs (Sleep, and a
// message loop with nothing to do) and while drawing goes on, at most one
// frame time after the drawing before (WindowDrawn). Only what changed since
// the last time is copied (changed_area.h).
// Not implemented: overlapped windows and any other style, owned pop-ups,
//   menus, class and window extra bytes, moving, resizing and showing windows
//   after creation, WM_SIZE, WM_MOVE and the activation and focus messages
//   other than WM_ACTIVATEAPP, keyboard focus on child windows, update
//   regions, BeginPaint and EndPaint, WM_ERASEBKGND, InvalidateRect for all
//   windows (NULL), children placed left of or above their parent's client
//   area, children of dialog windows, the titles of other programs' windows.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/linux/ansi_text.h"
#include "platform/linux/changed_area.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/window_table.h"
#include "platform/linux/windowing.h"

namespace {

struct WindowClass {
  std::string name;
  UINT style;
  WNDPROC proc;
  HCURSOR cursor;
  HICON icon;
};

struct Window {
  const WindowClass* windowClass = nullptr;
  // Children only: one of ours, or another program's X window.
  HWND parent = nullptr;
  DWORD style = 0;
  RECT rect{};  // in the parent's client coordinates; on the screen for pop-ups
  std::string title;
  bool needsPaint = false;
  bool destroying = false;
  // Windows with pixels of their own: top-level ones and children of other
  // programs' windows.
  SDL_Window* sdl = nullptr;
  unsigned long xWindow = 0;  // the X window showing it, 0 when none
  bool xWindowGone = false;
  bool fullScreen = false;
  bool changed = false;
  // The window surface last presented on; a new one has to be filled whole.
  SDL_Surface* surface = nullptr;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, as GDI bitmaps
};

// Classes are never unregistered, so pointers to them stay valid.
std::vector<std::unique_ptr<WindowClass>> classes;
constexpr ATOM kFirstAtom = 0xC000;

// Windows are held by pointer in the window table: window procedures create
// and destroy windows while one is in use.
Window* Find(HWND handle) {
  return FindWindowObject<Window>(handle, &kOurWindowOps);
}

HWND Add(std::unique_ptr<Window> window) {
  return AddWindowEntry(&kOurWindowOps, std::shared_ptr<Window>(std::move(window)));
}

void Remove(HWND handle) {
  RemoveWindowEntry(handle);
}

// Calls visit(handle, window) for each of our windows.
template <typename Visit>
void ForEachWindow(Visit visit) {
  ForEachWindowObject<Window>(&kOurWindowOps, visit);
}

// The parent when it is one of ours.
Window* OurParent(const Window* window) {
  return Find(window->parent);
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  ForEachWindow([&](HWND handle, Window* window) {
    if (window->parent == parent) children.push_back(handle);
  });
  return children;
}

// The window holding a window's pixels, and the window's position in it.
HWND RootOf(HWND handle, LONG* x, LONG* y) {
  *x = 0;
  *y = 0;
  Window* window = Find(handle);
  while (Window* parent = OurParent(window)) {
    *x += window->rect.left;
    *y += window->rect.top;
    handle = window->parent;
    window = parent;
  }
  return handle;
}

bool ShownOnScreen(Window* window) {
  for (; window != nullptr; window = OurParent(window)) {
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

bool videoStarted = false;
int64_t lastPresent = 0;
// The window last made foreground, for drivers that keep no keyboard focus.
HWND foreground = nullptr;

bool CoversDesktop(const RECT& rect) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  return rect.left <= 0 && rect.top <= 0 && rect.right >= mode.w && rect.bottom >= mode.h;
}

// Gives a pop-up its SDL window and pixels; false when either fails. The
// title follows with WM_NCCREATE.
bool OpenTopLevel(Window* window, DWORD exStyle) {
  LONG width = window->rect.right - window->rect.left;
  LONG height = window->rect.bottom - window->rect.top;
  window->pixels.resize(size_t(width) * height);
  window->fullScreen = CoversDesktop(window->rect);
  Uint32 flags = SDL_WINDOW_BORDERLESS;
  flags |= window->fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
  flags |= (window->style & WS_VISIBLE) ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  flags |= (exStyle & WS_EX_TOPMOST) ? SDL_WINDOW_ALWAYS_ON_TOP : 0;
  // SDL refuses windows of no pixels; Windows allows them.
  window->sdl = SDL_CreateWindow("", window->rect.left, window->rect.top, std::max<LONG>(width, 1),
                                 std::max<LONG>(height, 1), flags);
  if (window->sdl == nullptr) return false;
  SetSdlWindowIcon(window->sdl, window->windowClass->icon);
  window->xWindow = X11AnnounceWindow(window->sdl, window->windowClass->name.c_str());
  return true;
}

void PresentSdl(HWND handle, Window* window) {
  SDL_Surface* surface = SDL_GetWindowSurface(window->sdl);
  if (surface == nullptr) return;
  // A full-screen surface covers the desktop, where the window has its place.
  int originX = window->fullScreen ? window->rect.left : 0;
  int originY = window->fullScreen ? window->rect.top : 0;
  int width = window->rect.right - window->rect.left;
  int height = window->rect.bottom - window->rect.top;
  bool newSurface = surface != window->surface;
  window->surface = surface;
  if (newSurface) WholeWindowChanged(handle);
  std::vector<RECT> changed = TakeChangedArea(handle, width, height);
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
  if (newSurface) SDL_FillRect(surface, nullptr, 0);
  std::vector<SDL_Rect> shown;
  for (const RECT& area : changed) {
    SDL_Rect rect = {std::max(originX + int(area.left), 0), std::max(originY + int(area.top), 0), 0,
                     0};
    rect.w = std::min(originX + int(area.right), surface->w) - rect.x;
    rect.h = std::min(originY + int(area.bottom), surface->h) - rect.y;
    if (rect.w <= 0 || rect.h <= 0) continue;
    const uint32_t* from =
        window->pixels.data() + size_t(rect.y - originY) * width + (rect.x - originX);
    auto* to = static_cast<uint8_t*>(surface->pixels) + size_t(rect.y) * surface->pitch +
               size_t(rect.x) * surface->format->BytesPerPixel;
    SDL_ConvertPixels(rect.w, rect.h, SDL_PIXELFORMAT_RGB888, from, width * 4,
                      surface->format->format, to, surface->pitch);
    shown.push_back(rect);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  if (newSurface) {
    SDL_UpdateWindowSurface(window->sdl);
  } else if (!shown.empty()) {
    SDL_UpdateWindowSurfaceRects(window->sdl, shown.data(), int(shown.size()));
  }
}

void Present(HWND handle, Window* window) {
  window->changed = false;
  if (window->sdl != nullptr) {
    PresentSdl(handle, window);
  } else if (window->xWindow != 0 && !window->xWindowGone) {
    LONG width = window->rect.right - window->rect.left;
    LONG height = window->rect.bottom - window->rect.top;
    for (const RECT& area : TakeChangedArea(handle, width, height))
      X11PresentChild(window->xWindow, window->pixels.data(), width, area);
  }
}

void CountRootWindows() {
  int count = 0;
  ForEachWindow([&](HWND, Window* window) {
    if (OurParent(window) == nullptr) ++count;
  });
  SetRootWindowCount(count);
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
  if (window->sdl != nullptr) {
    SDL_DestroyWindow(window->sdl);
  } else if (window->xWindow != 0 && !window->xWindowGone) {
    X11DestroyChild(window->xWindow);
  }
  if (foreground == handle) foreground = nullptr;
  Remove(handle);
  CountRootWindows();
}

void SetTitle(Window* window, const char* title) {
  window->title = title != nullptr ? title : "";
  if (window->sdl != nullptr) SDL_SetWindowTitle(window->sdl, AnsiToUtf8(window->title).c_str());
}

HWND TopLevelOf(HWND handle) {
  LONG x;
  LONG y;
  return RootOf(handle, &x, &y);
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Find(window)->windowClass->proc(window, message, wParam, lParam);
}

HWND Parent(HWND window) {
  Window* found = Find(window);
  return (found->style & WS_CHILD) ? found->parent : nullptr;
}

BOOL Enable(HWND window, BOOL enable) {
  Window* found = Find(window);
  BOOL wasDisabled = (found->style & WS_DISABLED) != 0;
  if (bool(enable) == !wasDisabled) return wasDisabled;
  found->style = enable ? found->style & ~WS_DISABLED : found->style | WS_DISABLED;
  SendMessageA(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsEnabled(HWND window) {
  return (Find(window)->style & WS_DISABLED) == 0;
}

BOOL ClientRect(HWND window, RECT* rect) {
  Window* found = Find(window);
  *rect = RECT{0, 0, found->rect.right - found->rect.left, found->rect.bottom - found->rect.top};
  return TRUE;
}

BOOL SetForeground(HWND window) {
  HWND top = TopLevelOf(window);
  Window* found = Find(top);
  if (found->sdl == nullptr) return FALSE;
  SDL_RaiseWindow(found->sdl);
  if (found->xWindow != 0) X11Activate(HandleOfXWindow(found->xWindow));
  foreground = top;
  return TRUE;
}

}  // namespace

const WindowOps kOurWindowOps = {Send, Parent, Enable, IsEnabled, ClientRect, SetForeground};

bool StartVideo() {
  if (videoStarted) return true;
  // Ctrl+C and kill are the layer's own (close_signals.cpp), not SDL_QUIT
  // events that no message stands for.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Window pixels are copied to a window surface, which X11 and the headless
  // drivers provide themselves; through a renderer instead, SDL would load
  // OpenGL for nothing.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  videoStarted = true;
  ApplyCursorVisibility();
  return true;
}

bool VideoStarted() {
  return videoStarted;
}

bool WindowExists(HWND window) {
  return Find(window) != nullptr;
}

bool WindowWithin(HWND window, HWND ancestor) {
  for (Window* found = Find(window); found != nullptr; found = OurParent(found)) {
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
  HWND rootHandle = RootOf(handle, &x, &y);
  Window* root = Find(rootHandle);
  LONG rootWidth = root->rect.right - root->rect.left;
  LONG rootHeight = root->rect.bottom - root->rect.top;
  // Children lie at or right of and below their parent's origin, so the clip
  // starts at 0 and only the far edges may be cut.
  LONG right = std::min(window->rect.right - window->rect.left, rootWidth - x);
  LONG bottom = std::min(window->rect.bottom - window->rect.top, rootHeight - y);
  target->width = rootWidth;
  target->window = rootHandle;
  target->origin = POINT{x, y};
  target->height = rootHeight;
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
  if (MonotonicMilliseconds() - lastPresent >= 16) PresentWindows();
  // Marked after presenting: the drawing about to happen is still to be shown.
  Find(TopLevelOf(window))->changed = true;
}

void PresentWindows() {
  lastPresent = MonotonicMilliseconds();
  ForEachWindow([](HWND handle, Window* window) {
    if (window->changed) Present(handle, window);
  });
}

HWND WindowNeedingPaint(HWND filter) {
  HWND found = nullptr;
  ForEachWindow([&](HWND handle, Window* window) {
    HWND candidate = handle;
    if (found != nullptr || !window->needsPaint || !ShownOnScreen(window)) return;
    if (filter == nullptr || WindowWithin(candidate, filter)) found = candidate;
  });
  return found;
}

HWND WindowOfSdlWindow(Uint32 sdlWindowId) {
  HWND found = nullptr;
  ForEachWindow([&](HWND handle, Window* window) {
    if (found == nullptr && window->sdl != nullptr && SDL_GetWindowID(window->sdl) == sdlWindowId) {
      found = handle;
    }
  });
  return found;
}

void WindowExposed(HWND window) {
  Find(window)->changed = true;
  WholeWindowChanged(window);
  ForEachWindow([&](HWND handle, Window* found) {
    if (WindowWithin(handle, window)) found->needsPaint = true;
  });
}

HWND WindowOfXWindow(unsigned long xWindow) {
  HWND found = nullptr;
  ForEachWindow([&](HWND handle, Window* window) {
    if (found == nullptr && xWindow != 0 && window->xWindow == xWindow) {
      found = handle;
    }
  });
  return found;
}

void ForeignParentDestroyed(HWND window) {
  Window* found = Find(window);
  if (found == nullptr) return;
  found->xWindowGone = true;
  DestroyWindow(window);
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> found;
  ForEachWindow([&](HWND handle, Window* window) {
    if (window->sdl != nullptr) found.push_back(handle);
  });
  return found;
}

std::vector<HWND> RootWindows() {
  std::vector<HWND> found;
  ForEachWindow([&](HWND handle, Window* window) {
    if (OurParent(window) == nullptr) found.push_back(handle);
  });
  return found;
}

HWND MouseTarget(HWND topLevel, int x, int y, POINT* client) {
  Window* window = Find(topLevel);
  if (window == nullptr || (window->style & WS_DISABLED)) return nullptr;
  HWND target = topLevel;
  bool deeper = true;
  while (deeper) {
    deeper = false;
    for (HWND child : ChildrenOf(target)) {
      Window* found = Find(child);
      const RECT& r = found->rect;
      if (!(found->style & WS_VISIBLE) || x < r.left || x >= r.right || y < r.top ||
          y >= r.bottom) {
        continue;
      }
      // A disabled child leaves the click to its parent, as Windows does.
      if (found->style & WS_DISABLED) break;
      x -= r.left;
      y -= r.top;
      target = child;
      deeper = true;
      break;
    }
  }
  *client = POINT{x, y};
  return target;
}

bool WindowEnabled(HWND window) {
  for (Window* found = Find(window); found != nullptr; found = OurParent(found)) {
    if (found->style & WS_DISABLED) return false;
  }
  return Find(window) != nullptr;
}

bool WindowHasDoubleClicks(HWND window) {
  Window* found = Find(window);
  return found != nullptr && (found->windowClass->style & CS_DBLCLKS);
}

POINT WindowScreenOrigin(HWND window) {
  LONG x;
  LONG y;
  Window* root = Find(RootOf(window, &x, &y));
  int left = root->rect.left;
  int top = root->rect.top;
  if (root->sdl != nullptr && !root->fullScreen) SDL_GetWindowPosition(root->sdl, &left, &top);
  return POINT{left + x, top + y};
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
  classes.push_back(
      std::make_unique<WindowClass>(WindowClass{name, windowClass->style, windowClass->lpfnWndProc,
                                                windowClass->hCursor, windowClass->hIcon}));
  return ATOM(kFirstAtom + classes.size() - 1);
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  if (exStyle & ~WS_EX_TOPMOST) {
    PlatformUnsupported("CreateWindowExA", "extended styles other than WS_EX_TOPMOST");
  }
  if (style &
      ~(WS_POPUP | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_DISABLED)) {
    PlatformUnsupported("CreateWindowExA",
                        "styles other than WS_POPUP, WS_CHILD, WS_VISIBLE, WS_CLIPSIBLINGS, "
                        "WS_CLIPCHILDREN and WS_DISABLED");
  }
  bool child = style & WS_CHILD;
  if (child == bool(style & WS_POPUP)) {
    PlatformUnsupported("CreateWindowExA", "windows other than pop-ups and children");
  }
  if (!child && parent != nullptr) PlatformUnsupported("CreateWindowExA", "owned pop-ups");
  if (!child && menu != nullptr) PlatformUnsupported("CreateWindowExA", "menus");
  const WindowClass* windowClass = FindClass(className);
  if (windowClass == nullptr) return nullptr;
  const WindowOps* parentOps = child ? ResolveWindow(parent) : nullptr;
  if (parentOps == &kDialogOps)
    PlatformUnsupported("CreateWindowExA", "children of dialog windows");
  if (child && parentOps == nullptr) return nullptr;
  bool foreignChild = parentOps == &kForeignWindowOps;
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) width = height = 0;
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (child && !foreignChild && (x < 0 || y < 0)) {
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
  try {
    if (!child) {
      if (!StartVideo() || !OpenTopLevel(made.get(), exStyle)) {
        if (made->sdl != nullptr) SDL_DestroyWindow(made->sdl);
        return nullptr;
      }
    } else if (foreignChild) {
      made->pixels.resize(size_t(width) * height);
      made->xWindow = X11CreateChild(parent, made->rect, style & WS_VISIBLE);
      if (made->xWindow == 0) return nullptr;
    }
  } catch (const std::bad_alloc&) {
    if (made->sdl != nullptr) SDL_DestroyWindow(made->sdl);
    return nullptr;
  }
  SDL_Window* sdl = made->sdl;
  unsigned long xChild = foreignChild ? made->xWindow : 0;
  HWND handle;
  try {
    handle = Add(std::move(made));
  } catch (const std::bad_alloc&) {
    if (sdl != nullptr) SDL_DestroyWindow(sdl);
    if (xChild != 0) X11DestroyChild(xChild);
    return nullptr;
  }
  CountRootWindows();

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
  // Windows shows a WS_VISIBLE window once it is created.
  if (Find(handle) != nullptr && (style & WS_VISIBLE)) SendMessageA(handle, WM_SHOWWINDOW, TRUE, 0);
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

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* found = Find(window);
  switch (message) {
    case WM_NCCREATE:
      if (found != nullptr && lParam != 0) {
        SetTitle(found, reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpszName);
      }
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      if (found != nullptr) found->needsPaint = false;
      return 0;
    case WM_SETTEXT:
      if (found == nullptr) return FALSE;
      SetTitle(found, reinterpret_cast<LPCSTR>(lParam));
      return TRUE;
    case WM_GETTEXT: {
      if (found == nullptr || wParam == 0 || lParam == 0) return 0;
      size_t length = std::min(found->title.size(), size_t(wParam) - 1);
      std::memcpy(reinterpret_cast<char*>(lParam), found->title.data(), length);
      reinterpret_cast<char*>(lParam)[length] = '\0';
      return LRESULT(length);
    }
    case WM_GETTEXTLENGTH:
      return found != nullptr ? LRESULT(found->title.size()) : 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_SYSKEYDOWN:
      // Alt (bit 29 of lParam) and F4 close the top-level window.
      if (found != nullptr && wParam == VK_F4 && (lParam & (1 << 29))) {
        PostMessageA(TopLevelOf(window), WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_SETCURSOR:
      if (found == nullptr) return FALSE;
      if (OurParent(found) != nullptr &&
          SendMessageA(found->parent, WM_SETCURSOR, wParam, lParam)) {
        return TRUE;
      }
      if (LOWORD(lParam) == HTCLIENT && found->windowClass->cursor != nullptr) {
        SetCursor(found->windowClass->cursor);
        return TRUE;
      }
      return FALSE;
    case WM_MOUSEWHEEL:
      if (found != nullptr && OurParent(found) != nullptr) {
        return SendMessageA(found->parent, message, wParam, lParam);
      }
      return 0;
    default:
      return 0;
  }
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

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName) {
  HWND found = nullptr;
  ForEachWindow([&](HWND handle, Window* window) {
    if (found != nullptr || (window->style & WS_CHILD)) return;
    if (className != nullptr && strcasecmp(window->windowClass->name.c_str(), className) != 0) {
      return;
    }
    if (windowName != nullptr && strcasecmp(window->title.c_str(), windowName) != 0) return;
    found = handle;
  });
  if (found != nullptr) return found;
  found = X11FindWindow(className, windowName);
  // One of our own windows that the search above passed over cannot match.
  return WindowOfXWindow(reinterpret_cast<uintptr_t>(found)) == nullptr ? found : nullptr;
}

HWND WINAPI GetForegroundWindow(void) {
  if (videoStarted) {
    if (SDL_Window* focus = SDL_GetKeyboardFocus()) {
      if (HWND window = WindowOfSdlWindow(SDL_GetWindowID(focus))) return window;
    }
  }
  if (HWND active = X11ActiveWindow()) {
    HWND ours = WindowOfXWindow(reinterpret_cast<uintptr_t>(active));
    return ours != nullptr ? ours : active;
  }
  return foreground;
}
