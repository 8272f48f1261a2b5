// The settings dialog's template as windres compiled it from
// resources/lumivane.rc: every field of the dialog and of its controls, in
// template order. The Linux build embeds the same .res bytes that the Windows
// build links, so this checks both; the layer's resource reader finds them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/windowing.h"
#include "resources/resource_ids.h"

namespace {

struct Control {
  int id;
  WORD classAtom;
  DWORD style;
  DWORD exStyle;
  int x, y, cx, cy;
  std::string text;  // UTF-8; "#102" names an icon resource
};

// Little-endian fields of the template, with a bounds check at every read.
class Fields {
 public:
  Fields(const BYTE* data, size_t size) : data_(data), size_(size) {}
  WORD Word() {
    if (at_ + 2 > size_) {
      ADD_FAILURE() << "template ends early";
      return 0;
    }
    WORD value = WORD(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  DWORD Dword() {
    DWORD low = Word();
    return low | DWORD(Word()) << 16;
  }
  int Short() { return int16_t(Word()); }
  // UTF-8 of characters below U+0800, which are all that the template holds.
  std::string Text() {
    std::string text;
    for (WORD unit = Word(); unit != 0 && at_ <= size_; unit = Word()) {
      if (unit < 0x80) {
        text += char(unit);
      } else {
        text += char(0xC0 | unit >> 6);
        text += char(0x80 | (unit & 0x3F));
      }
    }
    return text;
  }
  // "#n" for a number.
  std::string NumberOrText() {
    if (at_ + 2 <= size_ && data_[at_] == 0xFF && data_[at_ + 1] == 0xFF) {
      Word();
      return "#" + std::to_string(Word());
    }
    return Text();
  }
  void AlignToDword() { at_ = (at_ + 3) & ~size_t(3); }
  size_t at() const { return at_; }

 private:
  const BYTE* data_;
  size_t size_;
  size_t at_ = 0;
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
    {IDC_CREDIT_SIGN, kStatic, kText, 0, 55, 164, 8, 8, "\xC2\xA9"},
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
  Fields fields(data, size);
  EXPECT_EQ(fields.Word(), 1);       // extended template
  EXPECT_EQ(fields.Word(), 0xFFFF);  // its signature
  EXPECT_EQ(fields.Dword(), 0u);     // help id
  EXPECT_EQ(fields.Dword(), 0u);     // no extended style
  EXPECT_EQ(fields.Dword(), 0x90C800C0u);
  EXPECT_EQ(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
            0x90C800C0u);
  WORD count = fields.Word();
  ASSERT_EQ(count, kExpected.size());
  EXPECT_EQ(fields.Short(), 6);
  EXPECT_EQ(fields.Short(), 18);
  EXPECT_EQ(fields.Short(), 256);
  EXPECT_EQ(fields.Short(), 199);
  EXPECT_EQ(fields.NumberOrText(), "");  // no menu
  EXPECT_EQ(fields.NumberOrText(), "");  // the standard dialog class
  EXPECT_EQ(fields.Text(), "Lumivane ");
  EXPECT_EQ(fields.Word(), 8);       // points
  EXPECT_EQ(fields.Word(), 0);       // weight
  EXPECT_EQ(fields.Word(), 0x0100);  // not italic, character set 1
  EXPECT_EQ(fields.Text(), "MS Shell Dlg");

  for (const Control& expected : kExpected) {
    SCOPED_TRACE("control " + std::to_string(expected.id) + " " + expected.text);
    fields.AlignToDword();
    EXPECT_EQ(fields.Dword(), 0u);  // help id
    EXPECT_EQ(fields.Dword(), expected.exStyle);
    EXPECT_EQ(fields.Dword(), expected.style);
    EXPECT_EQ(fields.Short(), expected.x);
    EXPECT_EQ(fields.Short(), expected.y);
    EXPECT_EQ(fields.Short(), expected.cx);
    EXPECT_EQ(fields.Short(), expected.cy);
    EXPECT_EQ(int(fields.Dword()), expected.id);
    EXPECT_EQ(fields.NumberOrText(), "#" + std::to_string(expected.classAtom));
    EXPECT_EQ(fields.NumberOrText(), expected.text);
    EXPECT_EQ(fields.Word(), 0);  // no creation data
  }
  EXPECT_EQ(fields.at(), size);
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
