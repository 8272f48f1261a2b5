// The controls of the layer's dialog boxes, over GTK 3: their widgets, their
// notifications to the dialog and the messages sent to them.
//
// Implemented:
//   Controls of the classes Button, Static and ComboBox (by atom or name):
//       push buttons (BS_PUSHBUTTON, BS_DEFPUSHBUTTON) and BS_ICON buttons
//       (BM_SETIMAGE, BM_GETIMAGE with IMAGE_ICON): a click sends WM_COMMAND
//       with BN_CLICKED and the control's handle. BS_AUTOCHECKBOX:
//       BM_GETCHECK, BM_SETCHECK; a click toggles it and notifies likewise.
//       BM_CLICK. BS_GROUPBOX. Static SS_LEFT, SS_CENTER, SS_RIGHT,
//       SS_LEFTNOWORDWRAP, SS_NOPREFIX (texts are one line, cut with an
//       ellipsis where they do not fit: SS_LEFT does not wrap), SS_ICON (the
//       icon resource that the text names). CBS_DROPDOWNLIST: CB_ADDSTRING,
//       CB_RESETCONTENT, CB_SETCURSEL, CB_GETCURSEL, CB_GETCOUNT,
//       CB_GETLBTEXT, CB_GETLBTEXTLEN; WM_GETTEXT gives the selected item,
//       WM_SETTEXT selects the item of that text; a choice of the user sends
//       CBN_SELCHANGE. Every control: WM_SETTEXT, WM_GETTEXT (cut to the
//       buffer and ended by NUL, as Windows), WM_GETTEXTLENGTH. "&" marks a
//       mnemonic, as on Windows.
// Texts are Windows-1252.
// Not implemented: default push buttons (BS_DEFPUSHBUTTON draws as a push
//   button), WM_SETFONT, WM_CTLCOLOR*, other control classes and kinds, and
//   other messages in these controls' ranges (reported as unsupported); style
//   bits beyond those named change nothing on screen.
#include <gtk/gtk.h>
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/linux/ansi_text.h"
#include "platform/linux/dialog_items.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/windowing.h"

namespace {

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

void ShowSelection(DialogItem* list) {
  list->updating = true;
  gtk_combo_box_set_active(GTK_COMBO_BOX(list->widget), list->selection);
  list->updating = false;
}

void NotifyDialog(HWND control, WORD code) {
  DialogItem* item = FindDialogItem(control);
  if (item == nullptr) return;
  SendMessageA(item->dialog, WM_COMMAND, WPARAM(WORD(item->id)) | WPARAM(code) << 16,
               reinterpret_cast<LPARAM>(control));
}

void ButtonClicked(GtkButton*, gpointer control) {
  NotifyDialog(AsHandle(control), BN_CLICKED);
}

void CheckToggled(GtkToggleButton* button, gpointer control) {
  DialogItem* item = FindDialogItem(AsHandle(control));
  if (item == nullptr || item->updating) return;
  item->check = gtk_toggle_button_get_active(button) ? BST_CHECKED : BST_UNCHECKED;
  NotifyDialog(AsHandle(control), BN_CLICKED);
}

void ListChanged(GtkComboBox* box, gpointer control) {
  DialogItem* item = FindDialogItem(AsHandle(control));
  if (item == nullptr || item->updating) return;
  item->selection = gtk_combo_box_get_active(box);
  NotifyDialog(AsHandle(control), CBN_SELCHANGE);
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

LRESULT ListMessage(DialogItem* list, UINT message, WPARAM wParam, LPARAM lParam) {
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

LRESULT ButtonMessage(DialogItem* button, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK:
      return button->kind == DialogItemKind::kCheckBox ? button->check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (button->kind == DialogItemKind::kCheckBox) {
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
      if (button->kind == DialogItemKind::kIconButton) {
        button->image = reinterpret_cast<HICON>(lParam);
        gtk_button_set_image(GTK_BUTTON(button->widget), IconImage(button->image));
      }
      return reinterpret_cast<LRESULT>(previous);
    }
    case BM_GETIMAGE:
      if (wParam != IMAGE_ICON) PlatformUnsupported("SendMessageA", "BM_GETIMAGE with a bitmap");
      return reinterpret_cast<LRESULT>(button->image);
    case BM_CLICK:
      if (button->kind == DialogItemKind::kCheckBox ||
          button->kind == DialogItemKind::kPushButton ||
          button->kind == DialogItemKind::kIconButton) {
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

DialogItemKind ControlKindOf(const ControlTemplate& control) {
  const std::string& name = control.className;
  bool named = control.classAtom == 0;
  DWORD style = control.style;
  if (control.classAtom == 0x0080 || (named && strcasecmp(name.c_str(), "Button") == 0)) {
    DWORD type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
      return (style & BS_ICON) ? DialogItemKind::kIconButton : DialogItemKind::kPushButton;
    }
    if (type == BS_AUTOCHECKBOX) return DialogItemKind::kCheckBox;
    if (type == BS_GROUPBOX) return DialogItemKind::kGroupBox;
    PlatformUnsupported("DialogBoxParamA", "buttons other than push, auto check and group boxes");
  }
  if (control.classAtom == 0x0082 || (named && strcasecmp(name.c_str(), "Static") == 0)) {
    DWORD type = style & SS_TYPEMASK;
    if (type == SS_ICON) return DialogItemKind::kIcon;
    if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP) {
      return DialogItemKind::kText;
    }
    PlatformUnsupported("DialogBoxParamA", "static controls other than texts and icons");
  }
  if (control.classAtom == 0x0085 || (named && strcasecmp(name.c_str(), "ComboBox") == 0)) {
    if ((style & 3) != CBS_DROPDOWNLIST || (style & CBS_SORT)) {
      PlatformUnsupported("DialogBoxParamA", "combo boxes other than unsorted drop-down lists");
    }
    return DialogItemKind::kList;
  }
  PlatformUnsupported("DialogBoxParamA", "control classes other than Button, Static, ComboBox");
}

GtkWidget* MakeControlWidget(HWND handle, const DialogItem* control, const ControlTemplate& made,
                             HINSTANCE instance) {
  GtkWidget* widget = nullptr;
  switch (control->kind) {
    case DialogItemKind::kPushButton:
      widget = gtk_button_new_with_mnemonic(MnemonicText(control->text).c_str());
      g_signal_connect(widget, "clicked", G_CALLBACK(ButtonClicked), AsPointer(handle));
      break;
    case DialogItemKind::kIconButton:
      widget = gtk_button_new();
      gtk_button_set_always_show_image(GTK_BUTTON(widget), TRUE);
      g_signal_connect(widget, "clicked", G_CALLBACK(ButtonClicked), AsPointer(handle));
      break;
    case DialogItemKind::kCheckBox:
      widget = gtk_check_button_new_with_mnemonic(MnemonicText(control->text).c_str());
      g_signal_connect(widget, "toggled", G_CALLBACK(CheckToggled), AsPointer(handle));
      break;
    case DialogItemKind::kGroupBox:
      widget = gtk_frame_new(nullptr);
      break;
    case DialogItemKind::kText: {
      widget = gtk_label_new(nullptr);
      GtkLabel* label = GTK_LABEL(widget);
      DWORD type = control->style & SS_TYPEMASK;
      gtk_label_set_xalign(label, type == SS_CENTER ? 0.5f : type == SS_RIGHT ? 1.0f : 0.0f);
      gtk_label_set_yalign(label, 0.0f);
      gtk_label_set_ellipsize(label, PANGO_ELLIPSIZE_END);
      break;
    }
    case DialogItemKind::kIcon:
      widget =
          IconImage(made.textOrdinal != 0 ? LoadIconA(instance, MAKEINTRESOURCEA(made.textOrdinal))
                                          : LoadIconA(instance, made.text.c_str()));
      break;
    case DialogItemKind::kList:
      widget = gtk_combo_box_text_new();
      g_signal_connect(widget, "changed", G_CALLBACK(ListChanged), AsPointer(handle));
      break;
    case DialogItemKind::kDialog:
      break;
  }
  return widget;
}

void ShowItemText(DialogItem* item) {
  switch (item->kind) {
    case DialogItemKind::kDialog:
      gtk_window_set_title(GTK_WINDOW(item->widget), AnsiToUtf8(item->text).c_str());
      break;
    case DialogItemKind::kPushButton:
    case DialogItemKind::kCheckBox:
      gtk_button_set_label(GTK_BUTTON(item->widget), MnemonicText(item->text).c_str());
      break;
    case DialogItemKind::kGroupBox:
      gtk_frame_set_label(GTK_FRAME(item->widget),
                          item->text.empty() ? nullptr : AnsiToUtf8(item->text).c_str());
      break;
    case DialogItemKind::kText:
      if (item->style & SS_NOPREFIX) {
        gtk_label_set_text(GTK_LABEL(item->widget), AnsiToUtf8(item->text).c_str());
      } else {
        gtk_label_set_text_with_mnemonic(GTK_LABEL(item->widget), MnemonicText(item->text).c_str());
      }
      break;
    case DialogItemKind::kIconButton:  // shows its image only
    case DialogItemKind::kIcon:
    case DialogItemKind::kList:  // shows its selection
      break;
  }
}

bool ItemTextMessage(DialogItem* item, UINT message, WPARAM wParam, LPARAM lParam,
                     LRESULT* answer) {
  switch (message) {
    case WM_SETTEXT:
      item->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      ShowItemText(item);
      *answer = TRUE;
      return true;
    case WM_GETTEXT:
      *answer = CopyText(item->text, wParam, lParam);
      return true;
    case WM_GETTEXTLENGTH:
      *answer = LRESULT(item->text.size());
      return true;
    default:
      return false;
  }
}

LRESULT ControlMessage(DialogItem* item, UINT message, WPARAM wParam, LPARAM lParam) {
  if (item->kind == DialogItemKind::kList) return ListMessage(item, message, wParam, lParam);
  if (message >= BM_GETCHECK && message <= BM_SETDONTCLICK) {
    return ButtonMessage(item, message, wParam, lParam);
  }
  LRESULT answer = 0;
  if (ItemTextMessage(item, message, wParam, lParam, &answer)) return answer;
  if (message >= STM_SETICON && message <= STM_MSGMAX) {
    PlatformUnsupported("SendMessageA", "static control messages");
  }
  return 0;
}
