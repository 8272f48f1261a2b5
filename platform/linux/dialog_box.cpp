// Dialog boxes from the program's templates, over GTK 3: the window, its
// controls' places, the modal loop and the dialog calls. The controls
// themselves are dialog_controls.cpp's; the template is read by
// dialog_template.cpp.
//
// Implemented:
//   DialogBoxParamA  extended templates (DIALOGEX) of the program's
//       resources, by number or name. A modal GTK window captioned by the
//       template, placed at the template's position on the screen; each
//       control in a GtkFixed at its place in dialog units, which are
//       converted as Windows does (x * average character width / 4,
//       y * character height / 8) with the measures of a sans font of the
//       template's point size at the screen's resolution. WM_INITDIALOG
//       (wParam: the first enabled, visible tab stop; lParam: the initial
//       parameter) comes before the window shows; a nonzero answer gives that
//       control the focus. The modal loop runs GTK's events and the message
//       queue (PeekMessageA, DispatchMessageA) until EndDialog; a WM_QUIT
//       ends it too, with IDOK, and is posted again. An owner of ours is
//       disabled meanwhile. -1 when the template is missing or damaged, or
//       GTK cannot open the display. WM_DESTROY reaches the procedure at the
//       end.
//   EndDialog, GetDlgItem, CheckDlgButton, IsDlgButtonChecked, MapDialogRect.
//   The dialog window: WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH on its
//       caption when the procedure leaves them; WM_CLOSE (also the close
//       box) posts WM_COMMAND IDCANCEL unless a control IDCANCEL is disabled.
//       Escape sends WM_COMMAND IDCANCEL; Enter sends IDOK unless a push
//       button has the focus, which it presses. Messages that the procedure
//       handles answer 0 (no DWLP_MSGRESULT).
//   Dialogs' and controls' share of the calls that take any handle
//       (window_calls.cpp): SendMessageA, EnableWindow, IsWindowEnabled
//       (WS_DISABLED in the template counts), GetParent (a control's dialog,
//       a dialog's owner); GetClientRect and SetForegroundWindow answer FALSE.
// Not implemented: old-style templates (DLGTEMPLATE), menus and window
//   classes in templates, modeless dialogs, DWLP_MSGRESULT, children of our
//   own kind inside dialogs, tab order other than GTK's, positions relative
//   to the owner (the template's position counts from the screen's corner).
#include <gtk/gtk.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/dialog_items.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/windowing.h"

namespace {

// 0: not tried yet; 1: GTK runs; -1: no display.
int gtkState = 0;

bool StartGtk() {
  if (gtkState == 0) {
    // The program's number formats stay those of the C locale.
    gtk_disable_setlocale();
    gtkState = gtk_init_check(nullptr, nullptr) ? 1 : -1;
  }
  return gtkState == 1;
}

// Dialog widgets take the template's font, and drop the theme's padding
// that would make them larger than their place in dialog units.
void AddDialogStyle(GtkWidget* window, int pointSize) {
  static std::vector<int> styledSizes;
  std::string name = "lumivane-dialog-" + std::to_string(pointSize) + "pt";
  if (std::find(styledSizes.begin(), styledSizes.end(), pointSize) == styledSizes.end()) {
    std::string css = "." + name + ", ." + name +
                      " * { font-family: Sans; font-size: " + std::to_string(pointSize) +
                      "pt; }\n"
                      ".lumivane-dialog button { padding: 0 4px; min-height: 0; min-width: 0; }\n"
                      ".lumivane-dialog combobox button { padding: 0 2px; }\n"
                      ".lumivane-dialog checkbutton { padding: 0; min-height: 0; }\n"
                      ".lumivane-dialog check { margin: 0 4px 0 0; }\n";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    styledSizes.push_back(pointSize);
  }
  GtkStyleContext* context = gtk_widget_get_style_context(window);
  gtk_style_context_add_class(context, "lumivane-dialog");
  gtk_style_context_add_class(context, name.c_str());
}

// Windows' dialog base units of the font: the average width of the 52
// letters, rounded, and the font's height.
void MeasureFont(GtkWidget* window, int pointSize, int* baseX, int* baseY) {
  PangoFontDescription* font = pango_font_description_from_string("Sans");
  pango_font_description_set_size(font, pointSize * PANGO_SCALE);
  PangoContext* context = gtk_widget_get_pango_context(window);
  PangoLayout* layout = pango_layout_new(context);
  pango_layout_set_font_description(layout, font);
  pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
  int width = 0;
  pango_layout_get_pixel_size(layout, &width, nullptr);
  PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
  int height = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) +
                            pango_font_metrics_get_descent(metrics));
  pango_font_metrics_unref(metrics);
  g_object_unref(layout);
  pango_font_description_free(font);
  *baseX = std::max((width / 26 + 1) / 2, 1);
  *baseY = std::max(height, 1);
}

// units * base / divisor, rounded as MulDiv rounds.
int ScaleUnits(int units, int base, int divisor) {
  int64_t product = int64_t(units) * base;
  return int(product >= 0 ? (product + divisor / 2) / divisor : (product - divisor / 2) / divisor);
}

int DialogUnitsToX(const DialogItem* dialog, int units) {
  return ScaleUnits(units, dialog->baseX, 4);
}

int DialogUnitsToY(const DialogItem* dialog, int units) {
  return ScaleUnits(units, dialog->baseY, 8);
}

gboolean CloseBoxPressed(GtkWidget*, GdkEvent*, gpointer dialog) {
  SendMessageA(AsHandle(dialog), WM_CLOSE, 0, 0);
  return TRUE;  // the dialog procedure decides whether it ends
}

gboolean KeyPressed(GtkWidget* window, GdkEventKey* event, gpointer dialog) {
  int command;
  if (event->keyval == GDK_KEY_Escape) {
    command = IDCANCEL;
  } else if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    if (focus != nullptr && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus)) return FALSE;
    command = IDOK;
  } else {
    return FALSE;
  }
  HWND handle = AsHandle(dialog);
  SendMessageA(handle, WM_COMMAND, WPARAM(command) | WPARAM(BN_CLICKED) << 16,
               reinterpret_cast<LPARAM>(GetDlgItem(handle, command)));
  return TRUE;
}

// The window, its controls and their handles; NULL when a handle cannot be
// had.
HWND CreateDialogWindow(HINSTANCE instance, const DialogTemplate& made, HWND owner, DLGPROC proc) {
  auto dialogItem = std::make_unique<DialogItem>();
  dialogItem->proc = proc;
  dialogItem->owner = owner;
  dialogItem->style = made.style;
  dialogItem->text = made.caption;
  HWND dialog = AddWindowEntry(&kDialogOps, std::shared_ptr<DialogItem>(std::move(dialogItem)));
  DialogItem* window = FindDialogItem(dialog);

  window->widget = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* gtkWindow = GTK_WINDOW(window->widget);
  AddDialogStyle(window->widget, made.pointSize);
  MeasureFont(window->widget, made.pointSize, &window->baseX, &window->baseY);
  ShowItemText(window);
  gtk_window_set_resizable(gtkWindow, FALSE);
  gtk_window_set_decorated(gtkWindow, (made.style & WS_CAPTION) == WS_CAPTION);
  gtk_window_set_modal(gtkWindow, TRUE);
  gtk_window_set_type_hint(gtkWindow, GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_move(gtkWindow, DialogUnitsToX(window, made.x), DialogUnitsToY(window, made.y));
  GtkWidget* fixed = gtk_fixed_new();
  gtk_widget_set_size_request(fixed, DialogUnitsToX(window, made.cx),
                              DialogUnitsToY(window, made.cy));
  gtk_container_add(GTK_CONTAINER(window->widget), fixed);
  g_signal_connect(window->widget, "delete-event", G_CALLBACK(CloseBoxPressed), AsPointer(dialog));
  g_signal_connect(window->widget, "key-press-event", G_CALLBACK(KeyPressed), AsPointer(dialog));

  for (const ControlTemplate& control : made.controls) {
    auto controlItem = std::make_unique<DialogItem>();
    controlItem->kind = ControlKindOf(control);
    controlItem->dialog = dialog;
    controlItem->id = control.id;
    controlItem->style = control.style;
    controlItem->text = control.text;
    controlItem->enabled = !(control.style & WS_DISABLED);
    HWND handle = AddWindowEntry(&kDialogOps, std::shared_ptr<DialogItem>(std::move(controlItem)));
    DialogItem* item = FindDialogItem(handle);
    window = FindDialogItem(dialog);
    window->controls.push_back(handle);
    item->widget = MakeControlWidget(handle, item, control, instance);
    ShowItemText(item);
    gtk_widget_set_sensitive(item->widget, item->enabled);
    if (!(control.style & WS_VISIBLE)) gtk_widget_set_no_show_all(item->widget, TRUE);
    // A drop-down list's height in the template includes its open list.
    int height = item->kind == DialogItemKind::kList ? -1 : DialogUnitsToY(window, control.cy);
    gtk_widget_set_size_request(item->widget, DialogUnitsToX(window, control.cx), height);
    gtk_fixed_put(GTK_FIXED(fixed), item->widget, DialogUnitsToX(window, control.x),
                  DialogUnitsToY(window, control.y));
  }
  return dialog;
}

void DestroyDialogWindow(HWND dialog) {
  DialogItem* window = FindDialogItem(dialog);
  for (HWND control : window->controls) {
    RemovePostedMessages(control);
    RemoveWindowEntry(control);
  }
  RemovePostedMessages(dialog);
  gtk_widget_destroy(window->widget);
  RemoveWindowEntry(dialog);
  // The window leaves the screen now rather than at the next dialog.
  while (gtk_events_pending())
    gtk_main_iteration_do(FALSE);
  gdk_display_flush(gdk_display_get_default());
}

gboolean TimeoutFired(gpointer fired) {
  *static_cast<bool*>(fired) = true;
  return G_SOURCE_REMOVE;
}

// Waits for GTK's next event, at most 10 ms: the message queue has nothing
// that GLib could wait on.
void WaitForEvents() {
  bool fired = false;
  guint timeout = g_timeout_add(10, TimeoutFired, &fired);
  g_main_context_iteration(nullptr, TRUE);
  if (!fired) g_source_remove(timeout);
}

// Runs GTK and the message queue until the dialog ends.
void RunModalLoop(HWND dialog) {
  for (;;) {
    bool busy = false;
    while (gtk_events_pending() && !FindDialogBox(dialog)->ended) {
      gtk_main_iteration_do(FALSE);
      busy = true;
    }
    if (FindDialogBox(dialog)->ended) return;
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      busy = true;
      if (msg.message == WM_QUIT) {
        // The quit is for the program's own loop, which ends after the
        // dialog. The dialog answers IDOK then, as under Wine.
        PostQuitMessage(int(msg.wParam));
        DialogItem* window = FindDialogBox(dialog);
        window->ended = true;
        window->result = IDOK;
        return;
      }
      DispatchMessageA(&msg);
    }
    if (!busy) WaitForEvents();
  }
}

// What the dialog box does with a message that its procedure left.
LRESULT DefaultDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  if (ItemTextMessage(FindDialogBox(dialog), message, wParam, lParam, &answer)) return answer;
  switch (message) {
    case WM_CLOSE: {
      // As a click on the Cancel button, which must not be disabled.
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (cancel == nullptr || IsWindowEnabled(cancel)) {
        PostMessageA(dialog, WM_COMMAND, WPARAM(IDCANCEL) | WPARAM(BN_CLICKED) << 16,
                     reinterpret_cast<LPARAM>(cancel));
      }
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT Send(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogItem* item = FindDialogItem(handle);
  if (item->kind != DialogItemKind::kDialog) return ControlMessage(item, message, wParam, lParam);
  INT_PTR answer = item->proc(handle, message, wParam, lParam);
  if (message == WM_INITDIALOG) return answer;
  if (answer != 0 || FindDialogBox(handle) == nullptr) return 0;
  return DefaultDialogMessage(handle, message, wParam, lParam);
}

HWND Parent(HWND window) {
  DialogItem* item = FindDialogItem(window);
  return item->kind == DialogItemKind::kDialog ? item->owner : item->dialog;
}

BOOL Enable(HWND window, BOOL enable) {
  DialogItem* item = FindDialogItem(window);
  BOOL wasDisabled = !item->enabled;
  item->enabled = enable != FALSE;
  gtk_widget_set_sensitive(item->widget, item->enabled);
  return wasDisabled;
}

BOOL IsEnabled(HWND window) {
  return FindDialogItem(window)->enabled;
}

// Dialogs have no client area of the layer's, and are not made foreground.
BOOL NoClientRect(HWND, RECT*) {
  return FALSE;
}

BOOL NoForeground(HWND) {
  return FALSE;
}

}  // namespace

const WindowOps kDialogOps = {Send, Parent, Enable, IsEnabled, NoClientRect, NoForeground};

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam) {
  // NULL names the program's own module here.
  if (instance != nullptr && instance != GetModuleHandleA(nullptr)) {
    PlatformUnsupported("DialogBoxParamA", "templates of other modules");
  }
  if (instance == nullptr) instance = GetModuleHandleA(nullptr);
  if (dialogProc == nullptr) PlatformUnsupported("DialogBoxParamA", "dialogs without a procedure");
  const BYTE* data;
  size_t size;
  DialogTemplate made;
  if (templateName == nullptr || !FindResourceBytes(5 /* RT_DIALOG */, templateName, &data, &size))
    return -1;
  DialogTemplateResult read = ReadDialogTemplate(data, size, &made);
  if (read == DialogTemplateResult::kNotExtended) {
    PlatformUnsupported("DialogBoxParamA", "templates other than extended ones (DIALOGEX)");
  }
  if (made.menuOrdinal != 0 || !made.menuName.empty()) {
    PlatformUnsupported("DialogBoxParamA", "menus in templates");
  }
  if (made.classOrdinal != 0 || !made.className.empty()) {
    PlatformUnsupported("DialogBoxParamA", "window classes in templates");
  }
  if (read == DialogTemplateResult::kDamaged) return -1;
  if (!StartGtk()) return -1;

  HWND dialog = CreateDialogWindow(instance, made, owner, dialogProc);
  // Only an owner of ours: another program's window is not ours to disable.
  bool ownerOurs = FindWindowEntry(owner) != nullptr;
  bool ownerDisabled = ownerOurs && !EnableWindow(owner, FALSE);

  HWND firstTabStop = nullptr;
  for (HWND control : FindDialogBox(dialog)->controls) {
    DialogItem* item = FindDialogItem(control);
    if ((item->style & WS_TABSTOP) && (item->style & WS_VISIBLE) && item->enabled) {
      firstTabStop = control;
      break;
    }
  }
  LRESULT focus =
      SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), initParam);
  DialogItem* window = FindDialogBox(dialog);
  if (!window->ended) {
    // Shown with or without WS_VISIBLE, as modal dialogs are on Windows.
    gtk_widget_show_all(window->widget);
    DialogItem* first = FindDialogItem(firstTabStop);
    if (focus != 0 && first != nullptr) gtk_widget_grab_focus(first->widget);
    RunModalLoop(dialog);
  }
  // The owner comes back before the dialog goes, so that it can take the
  // focus.
  if (ownerDisabled && FindWindowEntry(owner) != nullptr) {
    EnableWindow(owner, TRUE);
  }
  SendMessageA(dialog, WM_DESTROY, 0, 0);
  INT_PTR result = FindDialogBox(dialog)->result;
  DestroyDialogWindow(dialog);
  return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  DialogItem* window = FindDialogBox(dialog);
  if (window == nullptr) return FALSE;
  window->ended = true;
  window->result = result;
  gtk_widget_hide(window->widget);
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  DialogItem* window = FindDialogBox(dialog);
  if (window == nullptr) return nullptr;
  for (HWND control : window->controls) {
    if (FindDialogItem(control)->id == id) return control;
  }
  return nullptr;
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND button = GetDlgItem(dialog, id);
  if (button == nullptr) return FALSE;
  SendMessageA(button, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button == nullptr ? 0 : UINT(SendMessageA(button, BM_GETCHECK, 0, 0));
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
  DialogItem* window = FindDialogBox(dialog);
  if (window == nullptr || rect == nullptr) return FALSE;
  rect->left = DialogUnitsToX(window, rect->left);
  rect->right = DialogUnitsToX(window, rect->right);
  rect->top = DialogUnitsToY(window, rect->top);
  rect->bottom = DialogUnitsToY(window, rect->bottom);
  return TRUE;
}
