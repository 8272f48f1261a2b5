// Dialog boxes and their controls, over GTK 3.
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
//       ends it too, with IDOK, and is posted again. An owner of ours is disabled
//       meanwhile. -1 when the template is missing or damaged, or GTK cannot
//       open the display. WM_DESTROY reaches the procedure at the end.
//   EndDialog, GetDlgItem, CheckDlgButton, IsDlgButtonChecked, MapDialogRect.
//   The dialog window: WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH on its
//       caption when the procedure leaves them; WM_CLOSE (also the close
//       box) posts WM_COMMAND IDCANCEL unless a control IDCANCEL is disabled. Escape sends
//       WM_COMMAND IDCANCEL; Enter sends IDOK unless a push button has the focus, which it presses.
//       Messages that the procedure handles answer 0 (no DWLP_MSGRESULT).
//   Controls of the classes Button, Static and ComboBox (by atom or name):
//       push buttons (BS_PUSHBUTTON, BS_DEFPUSHBUTTON) and BS_ICON buttons
//       (BM_SETIMAGE, BM_GETIMAGE with IMAGE_ICON): a click sends WM_COMMAND
//       with BN_CLICKED and the control's handle. BS_AUTOCHECKBOX:
//       BM_GETCHECK, BM_SETCHECK; a click toggles it and notifies likewise.
//       BS_GROUPBOX. Static SS_LEFT, SS_CENTER, SS_RIGHT, SS_LEFTNOWORDWRAP,
//       SS_NOPREFIX (texts are one line, cut with an ellipsis where they do
//       not fit: SS_LEFT does not wrap), SS_ICON (the icon resource that the
//       text names). CBS_DROPDOWNLIST: CB_ADDSTRING,
//       CB_RESETCONTENT, CB_SETCURSEL, CB_GETCURSEL, CB_GETCOUNT,
//       CB_GETLBTEXT, CB_GETLBTEXTLEN; WM_GETTEXT gives the selected item,
//       WM_SETTEXT selects the item of that text; a choice of the user sends
//       CBN_SELCHANGE. Every control: WM_SETTEXT, WM_GETTEXT (cut to the
//       buffer and ended by NUL, as Windows), WM_GETTEXTLENGTH, EnableWindow,
//       IsWindowEnabled, WS_DISABLED and WS_VISIBLE in the template. "&"
//       marks a mnemonic, as on Windows.
//   GetParent: a control's dialog, a dialog's owner.
// Texts are Windows-1252; the template's UTF-16 texts are converted to it.
// Not implemented: old-style templates (DLGTEMPLATE), menus and window
//   classes in templates, modeless dialogs, DWLP_MSGRESULT, default push
//   buttons (BS_DEFPUSHBUTTON draws as a push button; Enter gives IDOK),
//   WM_SETFONT, WM_CTLCOLOR*, other control classes and kinds, and other
//   messages in these controls' ranges (reported as unsupported); style bits
//   beyond those named change nothing on screen. Tab order other than GTK's,
//   positions relative to the owner (the template's position counts from
//   the screen's corner).
#include <gtk/gtk.h>
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/ansi_text.h"
#include "platform/linux/dialog_template.h"
#include "platform/linux/handle_table.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/windowing.h"

namespace {

enum class Kind { kDialog, kPushButton, kIconButton, kCheckBox, kGroupBox, kText, kIcon, kList };

// A dialog box or one of its controls.
struct Item {
  Kind kind = Kind::kDialog;
  HWND dialog = nullptr;  // controls: their dialog
  int id = 0;
  DWORD style = 0;
  GtkWidget* widget = nullptr;
  std::string text;  // Windows-1252
  bool enabled = true;
  // Check boxes.
  UINT check = BST_UNCHECKED;
  // Icon buttons.
  HICON image = nullptr;
  // Drop-down lists.
  std::vector<std::string> entries;
  int selection = -1;
  // Set while the layer itself changes a widget, whose signals then tell the
  // dialog nothing.
  bool updating = false;
  // Dialogs.
  DLGPROC proc = nullptr;
  HWND owner = nullptr;
  std::vector<HWND> controls;  // in template order
  int baseX = 0;               // dialog base units: average character width
  int baseY = 0;               // and character height in pixels
  bool ended = false;
  INT_PTR result = 0;
};

// Dialog and control handles share the window handles' range (above every X
// window id) with a tag of their own, so that neither table takes the
// other's handles.
HandleTable<std::unique_ptr<Item>> items(1, kWindowHandleBase);

Item* Find(HWND handle) {
  std::unique_ptr<Item>* item = items.Find(handle);
  return item ? item->get() : nullptr;
}

Item* FindDialog(HWND handle) {
  Item* item = Find(handle);
  return item != nullptr && item->kind == Kind::kDialog ? item : nullptr;
}

gpointer AsPointer(HWND handle) {
  return reinterpret_cast<gpointer>(handle);
}

HWND AsHandle(gpointer pointer) {
  return reinterpret_cast<HWND>(pointer);
}

// ---- Templates ----

Kind KindOf(const ControlTemplate& control) {
  const std::string& name = control.className;
  bool named = control.classAtom == 0;
  DWORD style = control.style;
  if (control.classAtom == 0x0080 || (named && strcasecmp(name.c_str(), "Button") == 0)) {
    DWORD type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
      return (style & BS_ICON) ? Kind::kIconButton : Kind::kPushButton;
    }
    if (type == BS_AUTOCHECKBOX) return Kind::kCheckBox;
    if (type == BS_GROUPBOX) return Kind::kGroupBox;
    PlatformUnsupported("DialogBoxParamA", "buttons other than push, auto check and group boxes");
  }
  if (control.classAtom == 0x0082 || (named && strcasecmp(name.c_str(), "Static") == 0)) {
    DWORD type = style & SS_TYPEMASK;
    if (type == SS_ICON) return Kind::kIcon;
    if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP) {
      return Kind::kText;
    }
    PlatformUnsupported("DialogBoxParamA", "static controls other than texts and icons");
  }
  if (control.classAtom == 0x0085 || (named && strcasecmp(name.c_str(), "ComboBox") == 0)) {
    if ((style & 3) != CBS_DROPDOWNLIST || (style & CBS_SORT)) {
      PlatformUnsupported("DialogBoxParamA", "combo boxes other than unsorted drop-down lists");
    }
    return Kind::kList;
  }
  PlatformUnsupported("DialogBoxParamA", "control classes other than Button, Static, ComboBox");
}

// ---- GTK ----

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

int DialogUnitsToX(const Item* dialog, int units) {
  return ScaleUnits(units, dialog->baseX, 4);
}

int DialogUnitsToY(const Item* dialog, int units) {
  return ScaleUnits(units, dialog->baseY, 8);
}

// "&x" marks a mnemonic on Windows, "_x" in GTK.
std::string MnemonicText(const std::string& ansi) {
  std::string text;
  for (size_t i = 0; i < ansi.size(); ++i) {
    if (ansi[i] == '_') {
      text += "__";
    } else if (ansi[i] == '&' && i + 1 < ansi.size()) {
      text += ansi[i + 1] == '&' ? "&" : "_";
      if (ansi[i + 1] == '&') ++i;
    } else {
      text += ansi[i];
    }
  }
  return AnsiToUtf8(text);
}

GtkWidget* IconImage(HICON icon) {
  int width;
  int height;
  const uint32_t* pixels;
  if (!IconPixels(icon, &width, &height, &pixels)) return gtk_image_new();
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
  guchar* rows = gdk_pixbuf_get_pixels(pixbuf);
  int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t argb = pixels[size_t(y) * width + x];
      guchar* to = rows + size_t(y) * stride + size_t(x) * 4;
      to[0] = guchar(argb >> 16);
      to[1] = guchar(argb >> 8);
      to[2] = guchar(argb);
      to[3] = guchar(argb >> 24);
    }
  }
  GtkWidget* image = gtk_image_new_from_pixbuf(pixbuf);
  g_object_unref(pixbuf);
  return image;
}

// Shows an item's text on its widget.
void ShowText(Item* item) {
  switch (item->kind) {
    case Kind::kDialog:
      gtk_window_set_title(GTK_WINDOW(item->widget), AnsiToUtf8(item->text).c_str());
      break;
    case Kind::kPushButton:
    case Kind::kCheckBox:
      gtk_button_set_label(GTK_BUTTON(item->widget), MnemonicText(item->text).c_str());
      break;
    case Kind::kGroupBox:
      gtk_frame_set_label(GTK_FRAME(item->widget),
                          item->text.empty() ? nullptr : AnsiToUtf8(item->text).c_str());
      break;
    case Kind::kText:
      if (item->style & SS_NOPREFIX) {
        gtk_label_set_text(GTK_LABEL(item->widget), AnsiToUtf8(item->text).c_str());
      } else {
        gtk_label_set_text_with_mnemonic(GTK_LABEL(item->widget), MnemonicText(item->text).c_str());
      }
      break;
    case Kind::kIconButton:  // shows its image only
    case Kind::kIcon:
    case Kind::kList:  // shows its selection
      break;
  }
}

void ShowSelection(Item* list) {
  list->updating = true;
  gtk_combo_box_set_active(GTK_COMBO_BOX(list->widget), list->selection);
  list->updating = false;
}

void NotifyDialog(HWND control, WORD code) {
  Item* item = Find(control);
  if (item == nullptr) return;
  DialogSendMessage(item->dialog, WM_COMMAND, WPARAM(WORD(item->id)) | WPARAM(code) << 16,
                    reinterpret_cast<LPARAM>(control));
}

void ButtonClicked(GtkButton*, gpointer control) {
  NotifyDialog(AsHandle(control), BN_CLICKED);
}

void CheckToggled(GtkToggleButton* button, gpointer control) {
  Item* item = Find(AsHandle(control));
  if (item == nullptr || item->updating) return;
  item->check = gtk_toggle_button_get_active(button) ? BST_CHECKED : BST_UNCHECKED;
  NotifyDialog(AsHandle(control), BN_CLICKED);
}

void ListChanged(GtkComboBox* box, gpointer control) {
  Item* item = Find(AsHandle(control));
  if (item == nullptr || item->updating) return;
  item->selection = gtk_combo_box_get_active(box);
  NotifyDialog(AsHandle(control), CBN_SELCHANGE);
}

gboolean CloseBoxPressed(GtkWidget*, GdkEvent*, gpointer dialog) {
  DialogSendMessage(AsHandle(dialog), WM_CLOSE, 0, 0);
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
  DialogSendMessage(handle, WM_COMMAND, WPARAM(command) | WPARAM(BN_CLICKED) << 16,
                    reinterpret_cast<LPARAM>(GetDlgItem(handle, command)));
  return TRUE;
}

GtkWidget* MakeWidget(HWND handle, const Item* control, const ControlTemplate& made,
                      HINSTANCE instance) {
  GtkWidget* widget = nullptr;
  switch (control->kind) {
    case Kind::kPushButton:
      widget = gtk_button_new_with_mnemonic(MnemonicText(control->text).c_str());
      g_signal_connect(widget, "clicked", G_CALLBACK(ButtonClicked), AsPointer(handle));
      break;
    case Kind::kIconButton:
      widget = gtk_button_new();
      gtk_button_set_always_show_image(GTK_BUTTON(widget), TRUE);
      g_signal_connect(widget, "clicked", G_CALLBACK(ButtonClicked), AsPointer(handle));
      break;
    case Kind::kCheckBox:
      widget = gtk_check_button_new_with_mnemonic(MnemonicText(control->text).c_str());
      g_signal_connect(widget, "toggled", G_CALLBACK(CheckToggled), AsPointer(handle));
      break;
    case Kind::kGroupBox:
      widget = gtk_frame_new(nullptr);
      break;
    case Kind::kText: {
      widget = gtk_label_new(nullptr);
      GtkLabel* label = GTK_LABEL(widget);
      DWORD type = control->style & SS_TYPEMASK;
      gtk_label_set_xalign(label, type == SS_CENTER ? 0.5f : type == SS_RIGHT ? 1.0f : 0.0f);
      gtk_label_set_yalign(label, 0.0f);
      gtk_label_set_ellipsize(label, PANGO_ELLIPSIZE_END);
      break;
    }
    case Kind::kIcon:
      widget =
          IconImage(made.textOrdinal != 0 ? LoadIconA(instance, MAKEINTRESOURCEA(made.textOrdinal))
                                          : LoadIconA(instance, made.text.c_str()));
      break;
    case Kind::kList:
      widget = gtk_combo_box_text_new();
      g_signal_connect(widget, "changed", G_CALLBACK(ListChanged), AsPointer(handle));
      break;
    case Kind::kDialog:
      break;
  }
  return widget;
}

// The window, its controls and their handles; NULL when a handle cannot be
// had.
HWND CreateDialogWindow(HINSTANCE instance, const DialogTemplate& made, HWND owner, DLGPROC proc) {
  auto dialogItem = std::make_unique<Item>();
  dialogItem->proc = proc;
  dialogItem->owner = owner;
  dialogItem->style = made.style;
  dialogItem->text = made.caption;
  HWND dialog = reinterpret_cast<HWND>(items.Add(std::move(dialogItem)));
  Item* window = Find(dialog);

  window->widget = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* gtkWindow = GTK_WINDOW(window->widget);
  AddDialogStyle(window->widget, made.pointSize);
  MeasureFont(window->widget, made.pointSize, &window->baseX, &window->baseY);
  ShowText(window);
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
    auto controlItem = std::make_unique<Item>();
    controlItem->kind = KindOf(control);
    controlItem->dialog = dialog;
    controlItem->id = control.id;
    controlItem->style = control.style;
    controlItem->text = control.text;
    controlItem->enabled = !(control.style & WS_DISABLED);
    HWND handle = reinterpret_cast<HWND>(items.Add(std::move(controlItem)));
    Item* item = Find(handle);
    window = Find(dialog);
    window->controls.push_back(handle);
    item->widget = MakeWidget(handle, item, control, instance);
    ShowText(item);
    gtk_widget_set_sensitive(item->widget, item->enabled);
    if (!(control.style & WS_VISIBLE)) gtk_widget_set_no_show_all(item->widget, TRUE);
    // A drop-down list's height in the template includes its open list.
    int height = item->kind == Kind::kList ? -1 : DialogUnitsToY(window, control.cy);
    gtk_widget_set_size_request(item->widget, DialogUnitsToX(window, control.cx), height);
    gtk_fixed_put(GTK_FIXED(fixed), item->widget, DialogUnitsToX(window, control.x),
                  DialogUnitsToY(window, control.y));
  }
  return dialog;
}

void DestroyDialogWindow(HWND dialog) {
  Item* window = Find(dialog);
  for (HWND control : window->controls) {
    RemovePostedMessages(control);
    items.Remove(control);
  }
  RemovePostedMessages(dialog);
  gtk_widget_destroy(window->widget);
  items.Remove(dialog);
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
    while (gtk_events_pending() && !FindDialog(dialog)->ended) {
      gtk_main_iteration_do(FALSE);
      busy = true;
    }
    if (FindDialog(dialog)->ended) return;
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      busy = true;
      if (msg.message == WM_QUIT) {
        // The quit is for the program's own loop, which ends after the
        // dialog. The dialog answers IDOK then, as under Wine.
        PostQuitMessage(int(msg.wParam));
        Item* window = FindDialog(dialog);
        window->ended = true;
        window->result = IDOK;
        return;
      }
      DispatchMessageA(&msg);
    }
    if (!busy) WaitForEvents();
  }
}

// Copies text as WM_GETTEXT does: at most size - 1 bytes and a NUL.
LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer) {
  if (size == 0 || buffer == 0) return 0;
  size_t copied = std::min<size_t>(text.size(), size - 1);
  char* to = reinterpret_cast<char*>(buffer);
  std::memcpy(to, text.data(), copied);
  to[copied] = '\0';
  return LRESULT(copied);
}

// What the dialog box does with a message that its procedure left.
LRESULT DefaultDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Item* window = FindDialog(dialog);
  switch (message) {
    case WM_SETTEXT:
      window->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      ShowText(window);
      return TRUE;
    case WM_GETTEXT:
      return CopyText(window->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return LRESULT(window->text.size());
    case WM_CLOSE: {
      // As a click on the Cancel button, which must not be disabled.
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (cancel == nullptr || DialogIsWindowEnabled(cancel)) {
        PostMessageA(dialog, WM_COMMAND, WPARAM(IDCANCEL) | WPARAM(BN_CLICKED) << 16,
                     reinterpret_cast<LPARAM>(cancel));
      }
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT ListMessage(Item* list, UINT message, WPARAM wParam, LPARAM lParam) {
  int count = int(list->entries.size());
  int index = int(wParam);
  bool valid = index >= 0 && index < count;
  switch (message) {
    case CB_ADDSTRING: {
      const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      list->entries.push_back(text);
      list->updating = true;
      gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(list->widget), AnsiToUtf8(text).c_str());
      list->updating = false;
      return count;
    }
    case CB_RESETCONTENT:
      list->entries.clear();
      list->selection = -1;
      list->updating = true;
      gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(list->widget));
      list->updating = false;
      return CB_OKAY;
    case CB_SETCURSEL:
      list->selection = valid ? index : -1;
      ShowSelection(list);
      return valid ? index : CB_ERR;
    case CB_GETCURSEL:
      return list->selection;
    case CB_GETCOUNT:
      return count;
    case CB_GETLBTEXT:
      if (!valid || lParam == 0) return CB_ERR;
      std::memcpy(reinterpret_cast<char*>(lParam), list->entries[index].c_str(),
                  list->entries[index].size() + 1);
      return LRESULT(list->entries[index].size());
    case CB_GETLBTEXTLEN:
      return valid ? LRESULT(list->entries[index].size()) : CB_ERR;
    case WM_SETTEXT: {
      const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      for (int i = 0; i < count; ++i) {
        if (strcasecmp(list->entries[i].c_str(), text) == 0) {
          list->selection = i;
          ShowSelection(list);
          return TRUE;
        }
      }
      return CB_ERR;
    }
    case WM_GETTEXT:
      return CopyText(list->selection >= 0 ? list->entries[list->selection] : "", wParam, lParam);
    case WM_GETTEXTLENGTH:
      return list->selection >= 0 ? LRESULT(list->entries[list->selection].size()) : 0;
    default:
      if (message >= CB_GETEDITSEL && message <= CB_MSGMAX) {
        PlatformUnsupported("SendMessageA", "this combo box message");
      }
      return 0;
  }
}

LRESULT ButtonMessage(Item* button, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK:
      return button->kind == Kind::kCheckBox ? button->check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (button->kind == Kind::kCheckBox) {
        button->check = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
        button->updating = true;
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button->widget),
                                     button->check == BST_CHECKED);
        button->updating = false;
      }
      return 0;
    case BM_SETIMAGE: {
      if (wParam != IMAGE_ICON) PlatformUnsupported("SendMessageA", "BM_SETIMAGE with a bitmap");
      HICON previous = button->image;
      if (button->kind == Kind::kIconButton) {
        button->image = reinterpret_cast<HICON>(lParam);
        gtk_button_set_image(GTK_BUTTON(button->widget), IconImage(button->image));
      }
      return reinterpret_cast<LRESULT>(previous);
    }
    case BM_GETIMAGE:
      if (wParam != IMAGE_ICON) PlatformUnsupported("SendMessageA", "BM_GETIMAGE with a bitmap");
      return reinterpret_cast<LRESULT>(button->image);
    case BM_CLICK:
      if (button->kind == Kind::kCheckBox || button->kind == Kind::kPushButton ||
          button->kind == Kind::kIconButton) {
        gtk_button_clicked(GTK_BUTTON(button->widget));
      }
      return 0;
    default:
      if (message >= BM_GETCHECK && message <= BM_SETDONTCLICK) {
        PlatformUnsupported("SendMessageA", "this button message");
      }
      return 0;
  }
}

}  // namespace

bool DialogWindowExists(HWND window) {
  return Find(window) != nullptr;
}

LRESULT DialogSendMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Item* item = Find(handle);
  if (item == nullptr) return 0;
  if (item->kind == Kind::kDialog) {
    INT_PTR answer = item->proc(handle, message, wParam, lParam);
    if (message == WM_INITDIALOG) return answer;
    if (answer != 0 || FindDialog(handle) == nullptr) return 0;
    return DefaultDialogMessage(handle, message, wParam, lParam);
  }
  if (item->kind == Kind::kList) return ListMessage(item, message, wParam, lParam);
  if (message >= BM_GETCHECK && message <= BM_SETDONTCLICK) {
    return ButtonMessage(item, message, wParam, lParam);
  }
  switch (message) {
    case WM_SETTEXT:
      item->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      ShowText(item);
      return TRUE;
    case WM_GETTEXT:
      return CopyText(item->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return LRESULT(item->text.size());
    default:
      if (message >= STM_SETICON && message <= STM_MSGMAX) {
        PlatformUnsupported("SendMessageA", "static control messages");
      }
      return 0;
  }
}

HWND DialogWindowParent(HWND window) {
  Item* item = Find(window);
  if (item == nullptr) return nullptr;
  return item->kind == Kind::kDialog ? item->owner : item->dialog;
}

BOOL DialogEnableWindow(HWND window, BOOL enable) {
  Item* item = Find(window);
  if (item == nullptr) return FALSE;
  BOOL wasDisabled = !item->enabled;
  item->enabled = enable != FALSE;
  gtk_widget_set_sensitive(item->widget, item->enabled);
  return wasDisabled;
}

BOOL DialogIsWindowEnabled(HWND window) {
  Item* item = Find(window);
  return item != nullptr && item->enabled;
}

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
  bool ownerOurs = WindowExists(owner) || DialogWindowExists(owner);
  bool ownerDisabled = ownerOurs && !EnableWindow(owner, FALSE);

  HWND firstTabStop = nullptr;
  for (HWND control : FindDialog(dialog)->controls) {
    Item* item = Find(control);
    if ((item->style & WS_TABSTOP) && (item->style & WS_VISIBLE) && item->enabled) {
      firstTabStop = control;
      break;
    }
  }
  LRESULT focus =
      DialogSendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), initParam);
  Item* window = FindDialog(dialog);
  if (!window->ended) {
    // Shown with or without WS_VISIBLE, as modal dialogs are on Windows.
    gtk_widget_show_all(window->widget);
    Item* first = Find(firstTabStop);
    if (focus != 0 && first != nullptr) gtk_widget_grab_focus(first->widget);
    RunModalLoop(dialog);
  }
  // The owner comes back before the dialog goes, so that it can take the
  // focus.
  if (ownerDisabled && (WindowExists(owner) || DialogWindowExists(owner))) {
    EnableWindow(owner, TRUE);
  }
  DialogSendMessage(dialog, WM_DESTROY, 0, 0);
  INT_PTR result = FindDialog(dialog)->result;
  DestroyDialogWindow(dialog);
  return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  Item* window = FindDialog(dialog);
  if (window == nullptr) return FALSE;
  window->ended = true;
  window->result = result;
  gtk_widget_hide(window->widget);
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  Item* window = FindDialog(dialog);
  if (window == nullptr) return nullptr;
  for (HWND control : window->controls) {
    if (Find(control)->id == id) return control;
  }
  return nullptr;
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND button = GetDlgItem(dialog, id);
  if (button == nullptr) return FALSE;
  DialogSendMessage(button, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button == nullptr ? 0 : UINT(DialogSendMessage(button, BM_GETCHECK, 0, 0));
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
  Item* window = FindDialog(dialog);
  if (window == nullptr || rect == nullptr) return FALSE;
  rect->left = DialogUnitsToX(window, rect->left);
  rect->right = DialogUnitsToX(window, rect->right);
  rect->top = DialogUnitsToY(window, rect->top);
  rect->bottom = DialogUnitsToY(window, rect->bottom);
  return TRUE;
}
