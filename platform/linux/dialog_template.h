// The extended dialog template (DIALOGEX) of a program's resources, read into
// plain fields: the dialog's header, its font and its controls. Texts are
// turned from UTF-16 into the ANSI code page. Old-style templates (DLGTEMPLATE)
// are recognised but not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/win32_types.h"

struct ControlTemplate {
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  int id = 0;
  WORD classAtom = 0;  // 0 when named
  std::string className;
  WORD textOrdinal = 0;  // an icon's resource number, or 0 for text
  std::string text;
  WORD extraBytes = 0;  // creation data, skipped
};

struct DialogTemplate {
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  // A number, or a text when the number is 0; both empty when absent.
  WORD menuOrdinal = 0;
  std::string menuName;
  WORD classOrdinal = 0;
  std::string className;
  std::string caption;
  // Read only with DS_SETFONT or DS_SHELLFONT.
  int pointSize = 8;
  WORD weight = 0;
  WORD italicAndCharSet = 0;
  std::string face;
  std::vector<ControlTemplate> controls;
  size_t bytesRead = 0;  // up to the last control's creation data
};

enum class DialogTemplateResult {
  kRead,
  kNotExtended,  // an old-style template: nothing read past its first word
  kDamaged,      // it ends early; the fields hold what was read before
};

DialogTemplateResult ReadDialogTemplate(const BYTE* data, size_t size, DialogTemplate* read);
