// Reading the binary extended dialog template (DIALOGEX) into plain fields.
//
// Implemented: the DIALOGEX header, its menu and class (by number or name),
// caption and font, and each control's fields, creation data skipped. Every
// read is bounded by the template's size: a template that ends early is
// damaged, however its counts read.
// Not implemented: old-style templates (DLGTEMPLATE), which are only
// recognised; texts outside the ANSI code page become '?'.
#include "platform/linux/dialog_template.h"

#include "platform/linux/ansi_text.h"

namespace {

// Reads little-endian fields within the template; ok turns false at the
// first read past its end.
struct Reader {
  const BYTE* start;
  const BYTE* at;
  const BYTE* end;
  bool ok = true;

  bool Has(size_t count) {
    ok = ok && size_t(end - at) >= count;
    return ok;
  }
  WORD Word() {
    if (!Has(2)) return 0;
    WORD value = WORD(at[0] | at[1] << 8);
    at += 2;
    return value;
  }
  DWORD Dword() {
    DWORD low = Word();
    return low | DWORD(Word()) << 16;
  }
  int16_t Short() { return int16_t(Word()); }
  // A NUL-ended UTF-16 text, in the ANSI code page.
  std::string Text() {
    std::string utf16;
    for (WORD unit = Word(); ok && unit != 0; unit = Word()) {
      utf16 += char(unit & 0xFF);
      utf16 += char(unit >> 8);
    }
    return Utf16LeToAnsi(utf16);
  }
  // A number (0xFFFF and the number) or a text; ordinal 0 with no text is
  // the empty field.
  void NumberOrText(WORD* number, std::string* text) {
    *number = 0;
    if (Has(2) && at[0] == 0xFF && at[1] == 0xFF) {
      Word();
      *number = Word();
    } else {
      *text = Text();
    }
  }
  void AlignToDword() {
    size_t offset = size_t(at - start);
    size_t padding = (4 - offset % 4) % 4;
    if (Has(padding)) at += padding;
  }
};

}  // namespace

DialogTemplateResult ReadDialogTemplate(const BYTE* data, size_t size, DialogTemplate* read) {
  Reader reader{data, data, data + size};
  WORD version = reader.Word();
  WORD signature = reader.Word();
  if (!reader.ok) return DialogTemplateResult::kDamaged;
  if (version != 1 || signature != 0xFFFF) return DialogTemplateResult::kNotExtended;
  read->helpId = reader.Dword();
  read->exStyle = reader.Dword();
  read->style = reader.Dword();
  WORD count = reader.Word();
  read->x = reader.Short();
  read->y = reader.Short();
  read->cx = reader.Short();
  read->cy = reader.Short();
  reader.NumberOrText(&read->menuOrdinal, &read->menuName);
  reader.NumberOrText(&read->classOrdinal, &read->className);
  read->caption = reader.Text();
  if (read->style & (DS_SETFONT | DS_SHELLFONT)) {
    read->pointSize = reader.Word();
    read->weight = reader.Word();
    read->italicAndCharSet = reader.Word();
    read->face = reader.Text();
  }
  for (WORD i = 0; i < count && reader.ok; ++i) {
    reader.AlignToDword();
    ControlTemplate control;
    control.helpId = reader.Dword();
    control.exStyle = reader.Dword();
    control.style = reader.Dword();
    control.x = reader.Short();
    control.y = reader.Short();
    control.cx = reader.Short();
    control.cy = reader.Short();
    control.id = int(reader.Dword());
    reader.NumberOrText(&control.classAtom, &control.className);
    reader.NumberOrText(&control.textOrdinal, &control.text);
    control.extraBytes = reader.Word();
    if (reader.Has(control.extraBytes)) reader.at += control.extraBytes;
    read->controls.push_back(control);
  }
  read->bytesRead = size_t(reader.at - data);
  return reader.ok ? DialogTemplateResult::kRead : DialogTemplateResult::kDamaged;
}
