// The settings dialog's template as windres compiled it from
// resources/lumivane.rc: every field of the dialog and of its controls, in
// template order. The Linux build embeds the same .res bytes that the Windows
// build links, so this checks both; the layer's resource reader finds them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/linux/dialog_template.h"
#include "platform/linux/windowing.h"
#include "resources/resource_ids.h"

namespace {

// Id, class atom, style, extended style, place, size and text (Windows-1252;
// "#102" names an icon resource), in hexadecimal where Windows' headers are.
const std::vector<std::string> kExpected = {
    "1008 85 50210003 0 87,22 34x70 ",
    "1016 85 50210003 0 211,22 34x70 ",
    "1005 80 50010003 0 14,41 109x10 Resize images to fit to screen",
    "1017 80 50010003 0 137,41 63x10 Shuffle images",
    "1009 80 50010003 0 14,54 109x10 Use effects",
    "1018 80 50010003 0 137,54 63x10 Mute sounds",
    "2006 80 50010000 0 211,143 40x14 OK",
    "2007 80 50010000 0 211,161 40x14 Cancel",
    "1013 80 50010000 0 211,179 40x14 ReadMe",
    "1014 80 50000f40 20 10,151 29x25 Button1",
    "101 80 50000007 0 4,6 247x66 User Configuration",
    "1004 82 5002000c 0 65,164 131x8 Line1",
    "102 82 50020000 0 55,164 8x8 \xA9",
    "1003 82 50020000 0 55,178 142x8 Line2",
    "-1 82 50020000 0 13,25 70x8 Redraw Speed (sec.):",
    "1015 82 50020000 0 55,150 142x8 Screen Saver",
    "-1 80 50000007 0 45,136 161x57 ",
    "-1 82 50000003 0 220,46 20x20 #102",
    "-1 82 50020000 0 137,24 72x8 Sounds pause (sec.):",
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
  // A popup with caption, system menu, modal frame and font; no menu, the standard class, 8
  // points, not italic, character set 1.
  EXPECT_EQ(Fields(0, 0, dialog, dialog.caption), "0 0 90c800c0 0 6,18 256x199 Lumivane ");
  EXPECT_EQ(dialog.menuOrdinal + dialog.classOrdinal + dialog.helpId + dialog.weight, 0u);
  EXPECT_EQ(dialog.menuName + dialog.className, "");
  EXPECT_EQ(std::to_string(dialog.pointSize) + " " + std::to_string(dialog.italicAndCharSet) + " " +
                dialog.face,
            "8 256 MS Shell Dlg");
  ASSERT_EQ(dialog.controls.size(), kExpected.size());
  for (size_t i = 0; i < kExpected.size(); ++i) {
    const ControlTemplate& c = dialog.controls[i];
    std::string text = c.textOrdinal != 0 ? "#" + std::to_string(c.textOrdinal) : c.text;
    EXPECT_EQ(Fields(c.id, c.classAtom, c, text), kExpected[i]);
    EXPECT_EQ(c.helpId + c.className.size() + c.extraBytes, 0u) << i;  // no creation data
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

// Each icon group holds one 32 x 32 image of 16 colours, whose bitmap has
// 4 bits per pixel and a mask.
TEST(DialogTemplateTest, IconsAreOneSixteenColourImageEach) {
  for (int group : {IDI_PROGRAM, IDI_SETTINGS}) {
    const BYTE* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(FindResourceBytes(14 /* RT_GROUP_ICON */, MAKEINTRESOURCEA(group), &data, &size))
        << group;
    ASSERT_EQ(size, 6u + 14u);
    // Images, width, height, colours, bits per pixel.
    EXPECT_EQ((std::vector<int>{data[4], data[6], data[7], data[8], data[12]}),
              (std::vector<int>{1, 32, 32, 16, 4}));
    WORD image = WORD(data[18] | data[19] << 8);
    ASSERT_TRUE(FindResourceBytes(3 /* RT_ICON */, MAKEINTRESOURCEA(image), &data, &size));
    // Header, 16 colours, 32 rows of 16 bytes and 32 mask rows of 4 bytes.
    EXPECT_EQ(size, 40u + 64u + 512u + 128u);
    EXPECT_EQ(data[8] * 100 + data[14], 6404);  // height of colours and mask, bits per pixel
  }
}

}  // namespace
