// The settings dialog's template as windres compiled it from
// resources/lumivane.rc: every field of the dialog and of its controls, in
// template order. The Linux build embeds the same .res bytes that the Windows
// build links, so this checks both; the layer's resource reader finds them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "platform/linux/dialog_template.h"
#include "platform/linux/windowing.h"
#include "resources/resource_ids.h"

namespace {

// Controls by their place in the template: id, class atom, style, extended
// style, place, size and text (Windows-1252; "#102" names an icon resource), in
// hexadecimal where Windows' headers are. The first, the last, and each kind of
// field that varies.
const std::pair<size_t, std::string> kExpected[] = {
    {0, "1008 85 50210003 0 87,22 34x70 "},
    {9, "1014 80 50000f40 20 10,151 29x25 Button1"},
    {12, "102 82 50020000 0 55,164 8x8 \xA9"},
    {17, "-1 82 50000003 0 220,46 20x20 #102"},
    {18, "-1 82 50020000 0 137,24 72x8 Sounds pause (sec.):"},
};

template <typename T>
std::string Fields(int id, unsigned atom, const T& t, const std::string& text) {
  char line[64];
  std::snprintf(line, sizeof line, "%d %x %x %x %d,%d %dx%d ", id, atom, unsigned(t.style),
                unsigned(t.exStyle), t.x, t.y, t.cx, t.cy);
  return line + text;
}

TEST(DialogTemplateTest, SettingsTemplateHoldsTheDialogAsDesigned) {
  const BYTE* data = nullptr;
  size_t size = 0;
  ASSERT_TRUE(FindResourceBytes(5 /* RT_DIALOG */, MAKEINTRESOURCEA(IDD_SETTINGS), &data, &size));
  DialogTemplate dialog;
  ASSERT_EQ(ReadDialogTemplate(data, size, &dialog), DialogTemplateResult::kRead);
  // A popup with caption, system menu, modal frame and font; 8 points, not
  // italic, character set 1.
  EXPECT_EQ(Fields(0, 0, dialog, dialog.caption), "0 0 90c800c0 0 6,18 256x199 Lumivane ");
  EXPECT_EQ(std::to_string(dialog.pointSize) + " " + std::to_string(dialog.italicAndCharSet) + " " +
                dialog.face,
            "8 256 MS Shell Dlg");
  ASSERT_EQ(dialog.controls.size(), 19u);
  for (const auto& [i, expected] : kExpected) {
    const ControlTemplate& c = dialog.controls[i];
    std::string text = c.textOrdinal != 0 ? "#" + std::to_string(c.textOrdinal) : c.text;
    EXPECT_EQ(Fields(c.id, c.classAtom, c, text), expected);
  }
  EXPECT_EQ(dialog.bytesRead, size);
}

// Texts come from UTF-16 into code page 1252: a character outside it, a
// surrogate pair included, becomes one '?', and so does a lone surrogate.
TEST(DialogTemplateTest, TextsAreTurnedIntoTheAnsiCodePage) {
  const BYTE made[] = {
      1,    0,    0xFF, 0xFF,                          // DIALOGEX
      0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0,  // help id, extended style, style: no font
      0,    0,                                         // no controls
      0,    0,    0,    0,    0, 0, 0, 0,              // place
      0,    0,    0,    0,                             // no menu, the standard class
      0xAC, 0x20, 0xE9, 0x00,                          // the euro sign, e acute
      0x3D, 0xD8, 0x00, 0xDE,                          // a surrogate pair
      0x00, 0xDC, 0x41, 0x00, 0, 0,                    // a lone surrogate, "A"
  };
  DialogTemplate dialog;
  ASSERT_EQ(ReadDialogTemplate(made, sizeof made, &dialog), DialogTemplateResult::kRead);
  EXPECT_EQ(dialog.caption, "\x80\xE9??A");
  EXPECT_EQ(dialog.bytesRead, sizeof made);
}

}  // namespace
