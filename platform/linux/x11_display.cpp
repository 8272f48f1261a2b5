// The X display shared with other programs: our top-level windows announced
// there, other programs' windows named by their X ids, the pointer, and our
// children inside other programs' windows (the preview that a control panel
// or xscreensaver hands over by window id).
//
// Implemented:
//   A connection of the layer's own, opened on first use when DISPLAY names a
//   display and SDL's video driver is (or will be) x11. Every request runs
//   under an error handler of ours, installed only for its length and synced
//   before it goes, so a window that vanished gives a failed call, never
//   Xlib's default handler (which ends the process), and the handlers of SDL
//   and GTK stay untouched.
//   Announcing: the property _LUMIVANE_WINDOW_CLASS (STRING) holds the class
//   name on a top-level SDL window; the title is the window's _NET_WM_NAME,
//   which SDL keeps.
//   Finding: announced windows among the root's children and their
//   descendants down to three levels (the frames of window managers), top of
//   the stacking order first.
//   Activating: XRaiseWindow and XSetInputFocus, and _NET_ACTIVE_WINDOW for
//   window managers.
//   Children of other programs' windows: an X window of the requested place
//   and size inside the parent, of the parent's depth and visual (TrueColor,
//   or DirectColor read as TrueColor), drawn with XPutImage from the window's pixels and repainted
//   on Expose. It selects no input, so the parent gets the input; when the parent is destroyed, so
//   is our window (DestroyNotify).
// Not implemented: carrying messages to other programs' windows (PostMessageA
//   and SendMessageA to them fail), colour-mapped visuals (a child inside a
//   parent of such a visual is not made: CreateWindowExA fails), following a
//   parent's change of size, screens other than the default one.
#include <strings.h>

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/ansi_text.h"
#include "platform/linux/window_table.h"
#include "platform/linux/windowing.h"

namespace {

Display* display = nullptr;
bool opened = false;
Atom classAtom;
Atom netWmName;
Atom netActiveWindow;
Atom utf8String;

struct Child {
  Window window;
  Visual* visual;
  int depth;
  GC gc;
};
std::vector<Child> children;

bool trapFailed = false;

int RecordError(Display*, XErrorEvent*) {
  trapFailed = true;
  return 0;
}

// Errors of the requests made while it lives are ours; Failed says whether
// there were any.
class Trap {
 public:
  explicit Trap(Display* on) : on_(on) {
    XSync(on_, False);
    trapFailed = false;
    previous_ = XSetErrorHandler(RecordError);
  }
  ~Trap() { End(); }
  bool Failed() {
    End();
    return failed_;
  }

 private:
  void End() {
    if (ended_) return;
    ended_ = true;
    XSync(on_, False);
    failed_ = trapFailed;
    XSetErrorHandler(previous_);
  }
  Display* on_;
  int (*previous_)(Display*, XErrorEvent*);
  bool ended_ = false;
  bool failed_ = false;
};

bool DriverIsX11() {
  const char* driver =
      VideoStarted() ? SDL_GetCurrentVideoDriver() : std::getenv("SDL_VIDEODRIVER");
  return driver == nullptr || *driver == '\0' || strcasecmp(driver, "x11") == 0;
}

bool Open() {
  if (opened) return display != nullptr;
  opened = true;
  if (!DriverIsX11()) return false;
  display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  classAtom = XInternAtom(display, "_LUMIVANE_WINDOW_CLASS", False);
  netWmName = XInternAtom(display, "_NET_WM_NAME", False);
  netActiveWindow = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
  utf8String = XInternAtom(display, "UTF8_STRING", False);
  return true;
}

Window XIdOf(HWND window) {
  return Window(reinterpret_cast<uintptr_t>(window));
}

// A text property, or false when the window lacks it.
bool ReadText(Window window, Atom property, Atom type, std::string* text) {
  Atom actualType;
  int format;
  unsigned long count;
  unsigned long left;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType, &format,
                         &count, &left, &data) != Success) {
    return false;
  }
  bool found = data != nullptr && actualType == type && format == 8;
  if (found) text->assign(reinterpret_cast<char*>(data), count);
  if (data != nullptr) XFree(data);
  return found;
}

bool Announced(Window window, LPCSTR className, LPCSTR title) {
  std::string announced;
  if (!ReadText(window, classAtom, XA_STRING, &announced)) return false;
  if (className != nullptr && strcasecmp(announced.c_str(), className) != 0) return false;
  if (title == nullptr) return true;
  std::string name;
  if (!ReadText(window, netWmName, utf8String, &name) &&
      !ReadText(window, XA_WM_NAME, XA_STRING, &name)) {
    return false;
  }
  return strcasecmp(Utf8ToAnsi(name).c_str(), title) == 0;
}

Window Search(Window under, int depth, LPCSTR className, LPCSTR title) {
  Window root;
  Window parent;
  Window* found = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, under, &root, &parent, &found, &count)) return 0;
  Window match = 0;
  // Top of the stacking order first, as Windows searches in z-order.
  for (unsigned i = count; i-- > 0 && match == 0;) {
    if (Announced(found[i], className, title)) match = found[i];
  }
  for (unsigned i = count; i-- > 0 && match == 0 && depth > 1;)
    match = Search(found[i], depth - 1, className, title);
  if (found != nullptr) XFree(found);
  return match;
}

Child* FindChild(Window window) {
  for (Child& child : children) {
    if (child.window == window) return &child;
  }
  return nullptr;
}

// 0x00RRGGBB in a TrueColor visual's pixel layout.
unsigned long PixelOf(uint32_t rgb, const Visual* visual) {
  auto channel = [](uint32_t value, unsigned long mask) {
    if (mask == 0) return 0ul;
    int shift = 0;
    while (!((mask >> shift) & 1))
      ++shift;
    unsigned long max = mask >> shift;
    return ((value * max + 127) / 255) << shift;
  };
  return channel(rgb >> 16 & 0xFF, visual->red_mask) |
         channel(rgb >> 8 & 0xFF, visual->green_mask) | channel(rgb & 0xFF, visual->blue_mask);
}

}  // namespace

bool X11Available() {
  return Open();
}

unsigned long X11AnnounceWindow(SDL_Window* window, const char* className) {
  if (!Open()) return 0;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  // SDL's connection made the window and may not have sent it yet.
  Display* sdlDisplay = info.info.x11.display;
  Trap trap(sdlDisplay);
  XChangeProperty(sdlDisplay, info.info.x11.window, classAtom, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(className), int(std::strlen(className)));
  return trap.Failed() ? 0 : info.info.x11.window;
}

bool X11WindowExists(HWND window) {
  if (!Open()) return false;
  Trap trap(display);
  XWindowAttributes attributes;
  Status found = XGetWindowAttributes(display, XIdOf(window), &attributes);
  return !trap.Failed() && found;
}

bool X11ClientSize(HWND window, LONG* width, LONG* height) {
  if (!Open()) return false;
  Trap trap(display);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, XIdOf(window), &attributes) || trap.Failed()) return false;
  *width = attributes.width;
  *height = attributes.height;
  return true;
}

bool X11Activate(HWND window) {
  if (!X11WindowExists(window)) return false;
  Trap trap(display);
  XRaiseWindow(display, XIdOf(window));
  XSetInputFocus(display, XIdOf(window), RevertToParent, CurrentTime);
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = XIdOf(window);
  event.xclient.message_type = netActiveWindow;
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;  // from an application
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  // A window that is not viewable takes no focus; the window manager may
  // still activate it.
  trap.Failed();
  return true;
}

HWND X11FindWindow(LPCSTR className, LPCSTR title) {
  if (!Open()) return nullptr;
  Trap trap(display);
  Window found = Search(DefaultRootWindow(display), 3, className, title);
  return HandleOfXWindow(found);
}

HWND X11ActiveWindow() {
  if (!Open()) return nullptr;
  Trap trap(display);
  Window root = DefaultRootWindow(display);
  Atom type;
  int format;
  unsigned long count;
  unsigned long left;
  unsigned char* data = nullptr;
  Window active = 0;
  if (XGetWindowProperty(display, root, netActiveWindow, 0, 1, False, XA_WINDOW, &type, &format,
                         &count, &left, &data) == Success &&
      data != nullptr && format == 32 && count == 1) {
    active = Window(*reinterpret_cast<unsigned long*>(data));
  }
  if (data != nullptr) XFree(data);
  if (active == 0) {
    int revert;
    XGetInputFocus(display, &active, &revert);
    // None and PointerRoot name no window.
    if (active == None || active == PointerRoot) return nullptr;
    // The focus may sit in a child; the top-level window is wanted.
    for (;;) {
      Window parent;
      Window* inner = nullptr;
      unsigned count = 0;
      Window rootOf;
      if (!XQueryTree(display, active, &rootOf, &parent, &inner, &count)) return nullptr;
      if (inner != nullptr) XFree(inner);
      if (parent == root || parent == 0) break;
      active = parent;
    }
  }
  return HandleOfXWindow(active);
}

bool X11PointerPosition(POINT* point) {
  if (!Open()) return false;
  Trap trap(display);
  Window root;
  Window child;
  int x;
  int y;
  int windowX;
  int windowY;
  unsigned mask;
  if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX, &windowY,
                     &mask)) {
    return false;
  }
  *point = POINT{x, y};
  return !trap.Failed();
}

bool X11WarpPointer(int x, int y) {
  if (!Open()) return false;
  Trap trap(display);
  XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
  return !trap.Failed();
}

unsigned long X11CreateChild(HWND parent, const RECT& rect, bool visible) {
  if (!Open()) return 0;
  XWindowAttributes attributes;
  {
    Trap trap(display);
    if (!XGetWindowAttributes(display, XIdOf(parent), &attributes) || trap.Failed()) return 0;
  }
  // DirectColor is taken as TrueColor: its colour maps are ramps in practice
  // (SDL's windows on Xvfb have that visual).
  // The parent comes from the command line or the environment, so a visual
  // that we cannot draw in fails the call, as a parent Windows cannot use does.
  if (attributes.visual->c_class != TrueColor && attributes.visual->c_class != DirectColor) {
    return 0;
  }
  Trap trap(display);
  XSetWindowAttributes settings = {};
  // Our pixels cover the window; the server need not clear it first.
  settings.background_pixmap = None;
  settings.event_mask = ExposureMask | StructureNotifyMask;
  Window window =
      XCreateWindow(display, XIdOf(parent), rect.left, rect.top,
                    unsigned(std::max<LONG>(rect.right - rect.left, 1)),
                    unsigned(std::max<LONG>(rect.bottom - rect.top, 1)), 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &settings);
  GC gc = XCreateGC(display, window, 0, nullptr);
  if (visible) XMapWindow(display, window);
  if (trap.Failed()) {
    Trap cleanup(display);
    XFreeGC(display, gc);
    XDestroyWindow(display, window);
    return 0;
  }
  children.push_back(Child{window, attributes.visual, attributes.depth, gc});
  return window;
}

void X11PresentChild(unsigned long window, const uint32_t* pixels, int width, const RECT& area) {
  Child* child = FindChild(window);
  int areaWidth = area.right - area.left;
  int height = area.bottom - area.top;
  if (child == nullptr || areaWidth <= 0 || height <= 0) return;
  XImage* image = XCreateImage(display, child->visual, unsigned(child->depth), ZPixmap, 0, nullptr,
                               unsigned(areaWidth), unsigned(height), 32, 0);
  if (image == nullptr) return;
  image->data = static_cast<char*>(std::malloc(size_t(image->bytes_per_line) * height));
  if (image->data == nullptr) {
    XDestroyImage(image);
    return;
  }
  const Visual* visual = child->visual;
  bool sameLayout = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
                    visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
                    visual->blue_mask == 0xFF;
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels + size_t(area.top + y) * width + area.left;
    if (sameLayout) {
      std::memcpy(image->data + size_t(y) * image->bytes_per_line, row, size_t(areaWidth) * 4);
    } else {
      for (int x = 0; x < areaWidth; ++x)
        XPutPixel(image, x, y, PixelOf(row[x], visual));
    }
  }
  {
    Trap trap(display);
    XPutImage(display, child->window, child->gc, image, 0, 0, area.left, area.top,
              unsigned(areaWidth), unsigned(height));
  }
  XDestroyImage(image);
}

void X11DestroyChild(unsigned long window) {
  Child* child = FindChild(window);
  if (child == nullptr) return;
  {
    Trap trap(display);
    XFreeGC(display, child->gc);
    XDestroyWindow(display, child->window);
  }
  children.erase(children.begin() + (child - children.data()));
}

bool X11HasChildren() {
  return !children.empty();
}

void X11ReadEvents() {
  if (display == nullptr) return;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == Expose && event.xexpose.count == 0) {
      if (HWND window = WindowOfXWindow(event.xexpose.window)) WindowExposed(window);
    } else if (event.type == DestroyNotify) {
      Child* child = FindChild(event.xdestroywindow.window);
      // Our own DestroyWindow removed the record before the event came.
      if (child == nullptr) continue;
      {
        Trap trap(display);
        XFreeGC(display, child->gc);
      }
      children.erase(children.begin() + (child - children.data()));
      if (HWND window = WindowOfXWindow(event.xdestroywindow.window)) {
        ForeignParentDestroyed(window);
      }
    }
  }
}

int X11ConnectionFd() {
  return display != nullptr ? ConnectionNumber(display) : -1;
}
