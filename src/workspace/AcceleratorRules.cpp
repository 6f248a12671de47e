#include "workspace/AcceleratorRules.h"

#include <algorithm>

#include "workspace/CommandIds.h"

namespace tvl {

namespace {

constexpr WORD kVirtKey = 1, kShift = 4, kCtrl = 8, kAlt = 16;
constexpr WORD kKeyFlags = kVirtKey | kShift | kCtrl | kAlt;

const char16_t* const kTypeTheKey = u"Please type the key.";
const char16_t* const kSingleCharacter = u"Please type either a single character or ^ + a latin letter (A-Z).";
const char16_t* const kSelectAKey = u"Please select a key.";

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// The list box sorts without regard to case.
bool TextBefore(const char16_t* a, const char16_t* b) {
  for (; *a && *b; ++a, ++b)
    if (Lower(*a) != Lower(*b)) return Lower(*a) < Lower(*b);
  return *a == 0 && *b != 0;
}

}  // namespace

const std::vector<CKeyName>& KeyNameTable() {
  static const std::vector<CKeyName> table = {
      {u"Accept", 0x1E},
      {u"Add", 0x6B},
      {u"Apps", 0x5D},
      {u"Attn", 0xF6},
      {u"Back", 0x08},
      {u"Browser Back", 0xA6},
      {u"Favorites", 0xAB},
      {u"Forward", 0xA7},
      {u"Browser Home", 0xAC},
      {u"Refresh", 0xA8},
      {u"Search", 0xAA},
      {u"Stop", 0xA9},
      {u"Ctrl Break", 0x03},
      {u"Caps Lock", 0x14},
      {u"Clear", 0x0C},
      {u"Ctrl", 0x11},
      {u"Convert", 0x1C},
      {u"CrSel", 0xF7},
      {u"Decimal", 0x6E},
      {u"Delete", 0x2E},
      {u"Divide", 0x6F},
      {u"Down", 0x28},
      {u"End", 0x23},
      {u"Erase EOF", 0xF9},
      {u"Esc", 0x1B},
      {u"Execute", 0x2B},
      {u"Ex Sel", 0xF8},
      {u"F1", 0x70},
      {u"F10", 0x79},
      {u"F11", 0x7A},
      {u"F12", 0x7B},
      {u"F13", 0x7C},
      {u"F14", 0x7D},
      {u"F15", 0x7E},
      {u"F16", 0x7F},
      {u"F17", 0x80},
      {u"F18", 0x81},
      {u"F19", 0x82},
      {u"F2", 0x71},
      {u"F20", 0x83},
      {u"F21", 0x84},
      {u"F22", 0x85},
      {u"F23", 0x86},
      {u"F24", 0x87},
      {u"F3", 0x72},
      {u"F4", 0x73},
      {u"F5", 0x74},
      {u"F6", 0x75},
      {u"F7", 0x76},
      {u"F8", 0x77},
      {u"F9", 0x78},
      {u"Final", 0x18},
      {u"Hangeul", 0x15},
      {u"Hangul", 0x15},
      {u"Hanja", 0x19},
      {u"Help", 0x2F},
      {u"Home", 0x24},
      {u"ICO_00", 0xE4},
      {u"Insert", 0x2D},
      {u"Junja", 0x17},
      {u"Kana", 0x15},
      {u"Kanji", 0x19},
      {u"LaunchApp1", 0xB6},
      {u"LaunchApp2", 0xB7},
      {u"LaunchMail", 0xB4},
      {u"MediaSelect", 0xB5},
      {u"LeftButton", 0x01},
      {u"LeftControl", 0xA2},
      {u"Left", 0x25},
      {u"LeftAlt", 0xA4},
      {u"LeftShift", 0xA0},
      {u"LeftWindows", 0x5B},
      {u"MiddleButton", 0x04},
      {u"NextTrack", 0xB0},
      {u"Play/Pause", 0xB3},
      {u"PreviousTrack", 0xB1},
      {u"MediaStop", 0xB2},
      {u"Menu", 0x12},
      {u"ModeChange", 0x1F},
      {u"Multiply", 0x6A},
      {u"PageDown", 0x22},
      {u"NONAME", 0xFC},
      {u"NonConvert", 0x1D},
      {u"NumLock", 0x90},
      {u"Num 0", 0x60},
      {u"Num 1", 0x61},
      {u"Num 2", 0x62},
      {u"Num 3", 0x63},
      {u"Num 4", 0x64},
      {u"Num 5", 0x65},
      {u"Num 6", 0x66},
      {u"Num 7", 0x67},
      {u"Num 8", 0x68},
      {u"Num 9", 0x69},
      {u"VK_OEM_1", 0xBA},
      {u"VK_OEM_102", 0xE2},
      {u"VK_OEM_2", 0xBF},
      {u"VK_OEM_3", 0xC0},
      {u"VK_OEM_4", 0xDB},
      {u"VK_OEM_5", 0xDC},
      {u"VK_OEM_6", 0xDD},
      {u"VK_OEM_7", 0xDE},
      {u"VK_OEM_8", 0xDF},
      {u"OEM_ATTN", 0xF0},
      {u"OEM_AUTO", 0xF3},
      {u"OEM_AX", 0xE1},
      {u"Clear", 0xFE},
      {u",", 0xBC},
      {u"-", 0xBD},
      {u".", 0xBE},
      {u"+", 0xBB},
      {u"PA1", 0xFD},
      {u"Packet", 0xE7},
      {u"Pause", 0x13},
      {u"Play", 0xFA},
      {u"Print", 0x2A},
      {u"PageUp", 0x21},
      {u"ProcessKey", 0xE5},
      {u"RightButton", 0x02},
      {u"RightControl", 0xA3},
      {u"Enter", 0x0D},
      {u"Right", 0x27},
      {u"RightMenu", 0xA5},
      {u"RightShift", 0xA1},
      {u"RightWindows", 0x5C},
      {u"Scroll Lock", 0x91},
      {u"Select", 0x29},
      {u"Separator", 0x6C},
      {u"Shift", 0x10},
      {u"Sleep", 0x5F},
      {u"PrintScreen", 0x2C},
      {u"Space", 0x20},
      {u"Substract", 0x6D},
      {u"Tab", 0x09},
      {u"Up", 0x26},
      {u"VolumeDown", 0xAE},
      {u"VolumeMute", 0xAD},
      {u"VolumeUp", 0xAF},
      {u"X Button1", 0x05},
      {u"X Button2", 0x06},
      {u"Zoom", 0xFB},
  };
  return table;
}

std::u16string VirtualKeyName(WORD code) {
  for (const CKeyName& k : KeyNameTable())
    if (k.code == code) return k.name;
  return std::u16string(1, static_cast<char16_t>(code));
}

std::u16string AcceleratorModifiersText(WORD flags) {
  std::u16string text;
  auto add = [&](WORD bit, const char16_t* name) {
    if (!(flags & bit)) return;
    if (!text.empty()) text += u'+';
    text += name;
  };
  add(kCtrl, u"Ctrl");
  add(kAlt, u"Alt");
  add(kShift, u"Shift");
  return text;
}

std::u16string AcceleratorKeyText(WORD flags, WORD key) {
  if (flags & kVirtKey) return VirtualKeyName(key);
  if (key >= 1 && key <= 26) return std::u16string{u'^', static_cast<char16_t>(key + 64)};
  if (key < 32) {
    std::string digits = std::to_string(key);
    return std::u16string(digits.begin(), digits.end());
  }
  return std::u16string(1, static_cast<char16_t>(key));
}

int AcceleratorStatusLimit(int mode) {
  if (mode == ID_VIEW_TO_TRANSLATE) return 0;
  if (mode == ID_VIEW_TO_EDIT) return 1;
  return 2;
}

std::vector<CKeyName> KeyChoiceList() {
  static const char16_t* const kCharacters[] = {u"A", u"B", u"C", u"D", u"E", u"F", u"G", u"H", u"I",
                                                u"J", u"K", u"L", u"M", u"N", u"O", u"P", u"Q", u"R",
                                                u"S", u"T", u"U", u"V", u"W", u"X", u"Y", u"Z", u"0",
                                                u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"};
  std::vector<CKeyName> list;
  for (const char16_t* c : kCharacters) list.push_back({c, static_cast<WORD>(c[0])});
  const std::vector<CKeyName>& table = KeyNameTable();
  list.insert(list.end(), table.begin(), table.end());
  std::stable_sort(list.begin(), list.end(),
                   [](const CKeyName& a, const CKeyName& b) { return TextBefore(a.name, b.name); });
  return list;
}

std::u16string CharacterBoxText(WORD key) {
  if (key >= 1 && key <= 26) return std::u16string{u'^', static_cast<char16_t>(key + 64)};
  if (key >= 32) return std::u16string(1, static_cast<char16_t>(key));
  return {};
}

int CharacterBoxLimit(const std::u16string& text) { return !text.empty() && text[0] == u'^' ? 2 : 1; }

CAccelResult ParseCharacterKey(const std::u16string& text, bool alt) {
  if (text.empty()) return {std::nullopt, kTypeTheKey};
  WORD flags = alt ? kAlt : 0;
  if (text.size() == 2 && text[0] == u'^') {
    char16_t c = text[1];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    if (c < u'A' || c > u'Z') return {std::nullopt, kSingleCharacter};
    return {CAccelEntry{flags, static_cast<WORD>(c - 64)}, nullptr};
  }
  if (text.size() > 1) return {std::nullopt, kSingleCharacter};
  return {CAccelEntry{flags, static_cast<WORD>(text[0])}, nullptr};
}

CAccelResult MakeVirtualKey(int code, bool ctrl, bool alt, bool shift) {
  if (code < 0) return {std::nullopt, kSelectAKey};
  WORD flags = kVirtKey;
  if (shift) flags |= kShift;
  if (ctrl) flags |= kCtrl;
  if (alt) flags |= kAlt;
  return {CAccelEntry{flags, static_cast<WORD>(code)}, nullptr};
}

std::vector<int> FindKeyClashes(const std::vector<CAccelEntry>& entries) {
  std::vector<int> clashes(entries.size(), -1);
  for (size_t i = 0; i < entries.size(); ++i)
    for (size_t j = 0; j < entries.size(); ++j) {
      if (i == j) continue;
      if ((entries[i].flags & kKeyFlags) == (entries[j].flags & kKeyFlags) && entries[i].key == entries[j].key) {
        clashes[i] = static_cast<int>(j);
        break;
      }
    }
  return clashes;
}

}  // namespace tvl
