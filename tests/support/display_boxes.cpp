#include "tests/support/display_boxes.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <vector>

namespace {

// Windows vanish while they are looked at; that is no reason to stop.
int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

// WM_NAME of any encoding: the captions looked for are ASCII.
std::string WindowName(Display* display, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, left = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, XA_WM_NAME, 0, 1024, False, AnyPropertyType, &type,
                         &format, &count, &left, &data) != Success ||
      data == nullptr)
    return "";
  std::string name(reinterpret_cast<char*>(data), format == 8 ? count : 0);
  XFree(data);
  return name;
}

// Mapped windows named one of `captions`: the root's children, and theirs
// where a window manager frames them.
void FindBoxes(Display* display, Window window, const std::vector<std::string>& captions, int depth,
               std::vector<Window>& found) {
  Window root = None, parent = None, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, children[i], &attributes) &&
        attributes.map_state == IsViewable &&
        std::find(captions.begin(), captions.end(), WindowName(display, children[i])) !=
            captions.end()) {
      found.push_back(children[i]);
    }
    if (depth > 0) FindBoxes(display, children[i], captions, depth - 1, found);
  }
  if (children != nullptr) XFree(children);
}

void PressReturn(Display* display, Window box) {
  XKeyEvent key = {};
  key.window = box;
  key.root = DefaultRootWindow(display);
  key.same_screen = True;
  key.keycode = XKeysymToKeycode(display, XK_Return);
  key.type = KeyPress;
  XSendEvent(display, box, True, KeyPressMask, reinterpret_cast<XEvent*>(&key));
  key.type = KeyRelease;
  XSendEvent(display, box, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&key));
}

void Close(Display* display, Window box) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = box;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
  XSendEvent(display, box, False, NoEventMask, &event);
}

}  // namespace

DisplayBoxAnswerer::DisplayBoxAnswerer(const std::vector<std::string>& captions,
                                       const std::string& answer) {
  thread_ = std::thread([this, captions, answer] {
    XSetErrorHandler(IgnoreErrors);
    std::map<Window, int> looks;  // at each box since it was found
    Display* display = nullptr;
    for (int loop = 0; !done_ && loop < 1200; ++loop) {  // a minute's looks
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      // A display busy with other clients may refuse a connection for a
      // moment.
      if (display == nullptr && (display = XOpenDisplay(nullptr)) == nullptr) continue;
      std::vector<Window> boxes;
      FindBoxes(display, DefaultRootWindow(display), captions, 1, boxes);
      for (Window box : boxes) {
        const int seen = looks[box]++;
        if (seen % 20 != 0) continue;  // a second between answers
        if (seen == 0) ++answered_;
        if (answer == "yes")
          PressReturn(display, box);
        else
          Close(display, box);
      }
      XSync(display, False);
    }
    if (display != nullptr) XCloseDisplay(display);
  });
}

DisplayBoxAnswerer::~DisplayBoxAnswerer() {
  Stop();
}

int DisplayBoxAnswerer::Stop() {
  done_ = true;
  if (thread_.joinable()) thread_.join();
  return answered_;
}

bool DisplayForBoxes() {
  Display* display = XOpenDisplay(nullptr);
  if (display != nullptr) XCloseDisplay(display);
  return display != nullptr;
}
