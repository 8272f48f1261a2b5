// What the dialog files of the Linux layer tell each other: the record of a
// dialog box or one of its controls, kept in the window table under the
// dialogs' operations (kDialogOps). Not part of the emulated API.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "platform/linux/dialog_template.h"
#include "platform/linux/window_table.h"

enum class DialogItemKind {
  kDialog,
  kPushButton,
  kIconButton,
  kCheckBox,
  kGroupBox,
  kText,
  kIcon,
  kList
};

// A dialog box or one of its controls.
struct DialogItem {
  DialogItemKind kind = DialogItemKind::kDialog;
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

// A dialog box or control; NULL for any other handle.
inline DialogItem* FindDialogItem(HWND handle) {
  return FindWindowObject<DialogItem>(handle, &kDialogOps);
}

// A dialog box; NULL for a control and any other handle.
inline DialogItem* FindDialogBox(HWND handle) {
  DialogItem* item = FindDialogItem(handle);
  return item != nullptr && item->kind == DialogItemKind::kDialog ? item : nullptr;
}

// Handles ride on GTK's signals as their user data.
inline gpointer AsPointer(HWND handle) {
  return reinterpret_cast<gpointer>(handle);
}

inline HWND AsHandle(gpointer pointer) {
  return reinterpret_cast<HWND>(pointer);
}

// dialog_controls.cpp
// The kind of a template's control; unsupported ones fail loudly.
DialogItemKind ControlKindOf(const ControlTemplate& control);
// The control's GTK widget, whose signals notify the dialog.
GtkWidget* MakeControlWidget(HWND handle, const DialogItem* control, const ControlTemplate& made,
                             HINSTANCE instance);
// Shows an item's text on its widget: a dialog's caption, a control's label.
void ShowItemText(DialogItem* item);
// WM_SETTEXT, WM_GETTEXT (cut to the buffer and ended by NUL) and
// WM_GETTEXTLENGTH on an item's text; false for other messages.
bool ItemTextMessage(DialogItem* item, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer);
// A message sent to a control.
LRESULT ControlMessage(DialogItem* control, UINT message, WPARAM wParam, LPARAM lParam);
