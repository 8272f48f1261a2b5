// Keys of SDL as Windows names them: virtual-key codes, scan codes, and the
// characters that TranslateMessage makes of keys it did not see typed.
//
// Implemented: letters, digits, the function keys F1 to F24, the editing,
//   cursor, lock and modifier keys, the numeric keypad (as Num Lock says),
//   the punctuation keys as a US keyboard names them, the volume and media
//   keys; set-1 scan codes for the keys of a PC/AT keyboard.
// Not implemented: the OEM codes of other keyboard layouts (a key that SDL
//   names by a character beyond ASCII gets the code of its place on a US
//   keyboard when that is a letter or digit, else 0xFF, "no virtual key"),
//   browser and launch keys (0xFF too).
#include "platform/linux/windowing.h"

namespace {

struct Pair {
  SDL_Keycode key;
  UINT vk;
};

const Pair kKeys[] = {
    {SDLK_BACKSPACE, VK_BACK},
    {SDLK_TAB, VK_TAB},
    {SDLK_RETURN, VK_RETURN},
    {SDLK_ESCAPE, VK_ESCAPE},
    {SDLK_SPACE, VK_SPACE},
    {SDLK_PAUSE, VK_PAUSE},
    {SDLK_CAPSLOCK, VK_CAPITAL},
    {SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, VK_NEXT},
    {SDLK_END, VK_END},
    {SDLK_HOME, VK_HOME},
    {SDLK_LEFT, VK_LEFT},
    {SDLK_UP, VK_UP},
    {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},
    {SDLK_PRINTSCREEN, VK_SNAPSHOT},
    {SDLK_INSERT, VK_INSERT},
    {SDLK_DELETE, VK_DELETE},
    {SDLK_LSHIFT, VK_SHIFT},
    {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, VK_CONTROL},
    {SDLK_RCTRL, VK_CONTROL},
    {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},
    {SDLK_LGUI, VK_LWIN},
    {SDLK_RGUI, VK_RWIN},
    {SDLK_APPLICATION, VK_APPS},
    {SDLK_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDLK_SCROLLLOCK, VK_SCROLL},
    {SDLK_KP_MULTIPLY, VK_MULTIPLY},
    {SDLK_KP_PLUS, VK_ADD},
    {SDLK_KP_MINUS, VK_SUBTRACT},
    {SDLK_KP_DIVIDE, VK_DIVIDE},
    {SDLK_KP_ENTER, VK_RETURN},
    {SDLK_SEMICOLON, VK_OEM_1},
    {SDLK_EQUALS, VK_OEM_PLUS},
    {SDLK_COMMA, VK_OEM_COMMA},
    {SDLK_MINUS, VK_OEM_MINUS},
    {SDLK_PERIOD, VK_OEM_PERIOD},
    {SDLK_SLASH, VK_OEM_2},
    {SDLK_BACKQUOTE, VK_OEM_3},
    {SDLK_LEFTBRACKET, VK_OEM_4},
    {SDLK_BACKSLASH, VK_OEM_5},
    {SDLK_RIGHTBRACKET, VK_OEM_6},
    {SDLK_QUOTE, VK_OEM_7},
    {SDLK_LESS, VK_OEM_102},
    {SDLK_MUTE, VK_VOLUME_MUTE},
    {SDLK_VOLUMEDOWN, VK_VOLUME_DOWN},
    {SDLK_VOLUMEUP, VK_VOLUME_UP},
    {SDLK_AUDIONEXT, VK_MEDIA_NEXT_TRACK},
    {SDLK_AUDIOPREV, VK_MEDIA_PREV_TRACK},
    {SDLK_AUDIOSTOP, VK_MEDIA_STOP},
    {SDLK_AUDIOPLAY, VK_MEDIA_PLAY_PAUSE},
};

// The keypad's keys 1-9, 0 and the decimal point with Num Lock off.
const UINT kKeypadWithoutNumLock[] = {VK_END,   VK_DOWN, VK_NEXT, VK_LEFT,  0x0C /* VK_CLEAR */,
                                      VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR, VK_INSERT,
                                      VK_DELETE};

// Set-1 scan codes by USB usage (SDL's scan codes) from A (4) to the
// Application key (0x65); 0x100 marks the extended keys.
const uint16_t kScanCodes[] = {
    0x1E,  0x30,  0x2E,  0x20,  0x12,  0x21,  0x22,  0x23,  0x17,  0x24,  0x25,  0x26, 0x32, 0x31,
    0x18,  0x19,  0x10,  0x13,  0x1F,  0x14,  0x16,  0x2F,  0x11,  0x2D,  0x15,  0x2C, 0x02, 0x03,
    0x04,  0x05,  0x06,  0x07,  0x08,  0x09,  0x0A,  0x0B,  0x1C,  0x01,  0x0E,  0x0F, 0x39, 0x0C,
    0x0D,  0x1A,  0x1B,  0x2B,  0x2B,  0x27,  0x28,  0x29,  0x33,  0x34,  0x35,  0x3A, 0x3B, 0x3C,
    0x3D,  0x3E,  0x3F,  0x40,  0x41,  0x42,  0x43,  0x44,  0x57,  0x58,  0x137, 0x46, 0x45, 0x152,
    0x147, 0x149, 0x153, 0x14F, 0x151, 0x14D, 0x14B, 0x150, 0x148, 0x145, 0x135, 0x37, 0x4A, 0x4E,
    0x11C, 0x4F,  0x50,  0x51,  0x4B,  0x4C,  0x4D,  0x47,  0x48,  0x49,  0x52,  0x53, 0x56, 0x15D};
// From left Ctrl (0xE0) to right GUI (0xE7).
const uint16_t kModifierScanCodes[] = {0x1D, 0x2A, 0x38, 0x15B, 0x11D, 0x36, 0x138, 0x15C};

const char kShiftedDigits[] = ")!@#$%^&*(";

struct Punctuation {
  UINT vk;
  char plain;
  char shifted;
};
const Punctuation kPunctuation[] = {
    {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'},
    {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
    {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},
    {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},     {VK_OEM_102, '\\', '|'}};

}  // namespace

UINT VirtualKeyOf(SDL_Keycode key, SDL_Scancode scancode, Uint16 modifiers) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
  if (key >= SDLK_F13 && key <= SDLK_F24) return VK_F1 + 12 + (key - SDLK_F13);
  if ((key >= SDLK_KP_1 && key <= SDLK_KP_0) || key == SDLK_KP_PERIOD) {
    int index = key == SDLK_KP_PERIOD ? 10 : key - SDLK_KP_1;
    if (!(modifiers & KMOD_NUM)) return kKeypadWithoutNumLock[index];
    if (key == SDLK_KP_PERIOD) return VK_DECIMAL;
    return key == SDLK_KP_0 ? VK_NUMPAD0 : VK_NUMPAD0 + 1 + (key - SDLK_KP_1);
  }
  for (const Pair& pair : kKeys) {
    if (pair.key == key) return pair.vk;
  }
  // A key of another layout: where it sits on a US keyboard.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return 'A' + (scancode - SDL_SCANCODE_A);
  }
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return '1' + (scancode - SDL_SCANCODE_1);
  }
  if (scancode == SDL_SCANCODE_0) return '0';
  return 0xFF;
}

UINT ScanCodeOf(SDL_Scancode scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_APPLICATION) {
    return kScanCodes[scancode - SDL_SCANCODE_A];
  }
  if (scancode >= SDL_SCANCODE_LCTRL && scancode <= SDL_SCANCODE_RGUI) {
    return kModifierScanCodes[scancode - SDL_SCANCODE_LCTRL];
  }
  return 0;
}

char CharacterOfVirtualKey(UINT key, bool shift, bool control, bool capsLock) {
  if (key >= 'A' && key <= 'Z') {
    if (control) return char(key - 'A' + 1);
    return char(shift != capsLock ? key : key - 'A' + 'a');
  }
  if (control) return 0;
  if (key >= '0' && key <= '9') return shift ? kShiftedDigits[key - '0'] : char(key);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) return char('0' + (key - VK_NUMPAD0));
  switch (key) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return '\r';
    case VK_BACK:
      return '\b';
    case VK_TAB:
      return '\t';
    case VK_ESCAPE:
      return 0x1B;
    case VK_MULTIPLY:
      return '*';
    case VK_ADD:
      return '+';
    case VK_SUBTRACT:
      return '-';
    case VK_DECIMAL:
      return '.';
    case VK_DIVIDE:
      return '/';
    default:
      break;
  }
  for (const Punctuation& p : kPunctuation) {
    if (p.vk == key) return shift ? p.shifted : p.plain;
  }
  return 0;
}
