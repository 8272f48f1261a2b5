// The settings dialog's template as windres compiled it from
// resources/lumivane.rc: every field of the dialog and of its controls, in
// template order. The Linux build embeds the same .res bytes that the Windows
// build links, so this checks both; the layer's resource reader finds them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/dialog_template.h"
#include "platform/linux/windowing.h"
#include "resources/resource_ids.h"

namespace {

struct Control {
  int id;
  WORD classAtom;
  DWORD style;
  DWORD exStyle;
  int x, y, cx, cy;
  std::string text;  // Windows-1252; "#102" names an icon resource
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr WORD kButton = 0x80, kStatic = 0x82, kComboBox = 0x85;
constexpr DWORD kList = kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kCheck = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kPush = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kText = kChild | SS_LEFT | WS_GROUP;

const std::vector<Control> kExpected = {
    {IDC_REDRAW_SPEED, kComboBox, kList, 0, 87, 22, 34, 70, ""},
    {IDC_SOUND_SPEED, kComboBox, kList, 0, 211, 22, 34, 70, ""},
    {IDC_RESIZE, kButton, kCheck, 0, 14, 41, 109, 10, "Resize images to fit to screen"},
    {IDC_SHUFFLE, kButton, kCheck, 0, 137, 41, 63, 10, "Shuffle images"},
    {IDC_USE_EFFECTS, kButton, kCheck, 0, 14, 54, 109, 10, "Use effects"},
    {IDC_MUTE, kButton, kCheck, 0, 137, 54, 63, 10, "Mute sounds"},
    {IDC_OK, kButton, kPush, 0, 211, 143, 40, 14, "OK"},
    {IDC_CANCEL, kButton, kPush, 0, 211, 161, 40, 14, "Cancel"},
    {IDC_README, kButton, kPush, 0, 211, 179, 40, 14, "ReadMe"},
    {IDC_PRODUCT, kButton, kChild | BS_ICON | BS_CENTER | BS_VCENTER, WS_EX_TRANSPARENT, 10, 151,
     29, 25, "Button1"},
    {IDC_SETTINGS_GROUP, kButton, kChild | BS_GROUPBOX, 0, 4, 6, 247, 66, "User Configuration"},
    {IDC_CREDIT_LINE, kStatic, kChild | SS_LEFTNOWORDWRAP | WS_GROUP, 0, 65, 164, 131, 8, "Line1"},
    {IDC_CREDIT_SIGN, kStatic, kText, 0, 55, 164, 8, 8, "\xA9"},
    {IDC_INFO_LINE, kStatic, kText, 0, 55, 178, 142, 8, "Line2"},
    {-1, kStatic, kText, 0, 13, 25, 70, 8, "Redraw Speed (sec.):"},
    {IDC_SHOW_TITLE, kStatic, kText, 0, 55, 150, 142, 8, "Screen Saver"},
    {-1, kButton, kChild | BS_GROUPBOX, 0, 45, 136, 161, 57, ""},
    {-1, kStatic, kChild | SS_ICON, 0, 220, 46, 20, 20, "#102"},
    {-1, kStatic, kText, 0, 137, 24, 72, 8, "Sounds pause (sec.):"},
};

TEST(DialogTemplateTest, SettingsTemplateHoldsTheDialogAsDesigned) {
  const BYTE* data = nullptr;
  size_t size = 0;
  ASSERT_TRUE(FindResourceBytes(5 /* RT_DIALOG */, MAKEINTRESOURCEA(IDD_SETTINGS), &data, &size));
  DialogTemplate dialog;
  ASSERT_EQ(ReadDialogTemplate(data, size, &dialog), DialogTemplateResult::kRead);
  EXPECT_EQ(dialog.helpId, 0u);
  EXPECT_EQ(dialog.exStyle, 0u);
  EXPECT_EQ(dialog.style, 0x90C800C0u);
  EXPECT_EQ(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
            0x90C800C0u);
  EXPECT_EQ(dialog.x, 6);
  EXPECT_EQ(dialog.y, 18);
  EXPECT_EQ(dialog.cx, 256);
  EXPECT_EQ(dialog.cy, 199);
  // No menu, and the standard dialog class.
  EXPECT_EQ(dialog.menuOrdinal, 0);
  EXPECT_EQ(dialog.menuName, "");
  EXPECT_EQ(dialog.classOrdinal, 0);
  EXPECT_EQ(dialog.className, "");
  EXPECT_EQ(dialog.caption, "Lumivane ");
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.weight, 0);
  EXPECT_EQ(dialog.italicAndCharSet, 0x0100);  // not italic, character set 1
  EXPECT_EQ(dialog.face, "MS Shell Dlg");

  ASSERT_EQ(dialog.controls.size(), kExpected.size());
  for (size_t i = 0; i < kExpected.size(); ++i) {
    const Control& expected = kExpected[i];
    const ControlTemplate& control = dialog.controls[i];
    SCOPED_TRACE("control " + std::to_string(expected.id) + " " + expected.text);
    EXPECT_EQ(control.helpId, 0u);
    EXPECT_EQ(control.exStyle, expected.exStyle);
    EXPECT_EQ(control.style, expected.style);
    EXPECT_EQ(control.x, expected.x);
    EXPECT_EQ(control.y, expected.y);
    EXPECT_EQ(control.cx, expected.cx);
    EXPECT_EQ(control.cy, expected.cy);
    EXPECT_EQ(control.id, expected.id);
    EXPECT_EQ(control.classAtom, expected.classAtom);
    EXPECT_EQ(control.className, "");
    std::string text =
        control.textOrdinal != 0 ? "#" + std::to_string(control.textOrdinal) : control.text;
    EXPECT_EQ(text, expected.text);
    EXPECT_EQ(control.extraBytes, 0);  // no creation data
  }
  EXPECT_EQ(dialog.bytesRead, size);
}

// A template cut anywhere is damaged, never read past its end; one that is
// not extended is told apart before anything else is read.
TEST(DialogTemplateTest, CutTemplatesAreDamagedAndOldStyleOnesRecognised) {
  const BYTE* data = nullptr;
  size_t size = 0;
  ASSERT_TRUE(FindResourceBytes(5 /* RT_DIALOG */, MAKEINTRESOURCEA(IDD_SETTINGS), &data, &size));
  for (size_t cut = 0; cut < size; ++cut) {
    // A copy of its own, so that the sanitizers see a read past the cut.
    std::vector<BYTE> part(data, data + cut);
    DialogTemplate dialog;
    EXPECT_EQ(ReadDialogTemplate(part.data(), part.size(), &dialog), DialogTemplateResult::kDamaged)
        << cut;
  }
  const BYTE oldStyle[] = {0xC0, 0x00, 0xC8, 0x90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  DialogTemplate dialog;
  EXPECT_EQ(ReadDialogTemplate(oldStyle, sizeof oldStyle, &dialog),
            DialogTemplateResult::kNotExtended);
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
    SCOPED_TRACE("icon " + std::to_string(group));
    const BYTE* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(FindResourceBytes(14 /* RT_GROUP_ICON */, MAKEINTRESOURCEA(group), &data, &size));
    ASSERT_EQ(size, 6u + 14u);
    EXPECT_EQ(data[4], 1);   // one image
    EXPECT_EQ(data[6], 32);  // width
    EXPECT_EQ(data[7], 32);  // height
    EXPECT_EQ(data[8], 16);  // colours
    EXPECT_EQ(data[12], 4);  // bits per pixel
    WORD image = WORD(data[18] | data[19] << 8);
    ASSERT_TRUE(FindResourceBytes(3 /* RT_ICON */, MAKEINTRESOURCEA(image), &data, &size));
    // Header, 16 colours, 32 rows of 16 bytes and 32 mask rows of 4 bytes.
    EXPECT_EQ(size, 40u + 64u + 512u + 128u);
    EXPECT_EQ(data[8], 64);  // height of colours and mask together
    EXPECT_EQ(data[14], 4);
  }
}

}  // namespace
