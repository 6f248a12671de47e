#pragma once
// The rules of the accelerator view and its key dialog that need no window: the key name
// table, how a key combination is written, what the character box accepts, and which
// entries share a key combination.
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace tvl {

struct CKeyName {
  const char16_t* name;
  WORD code;
};

// The named virtual keys in table order; a code may have several names, the first is shown.
const std::vector<CKeyName>& KeyNameTable();
// The first name of a virtual-key code; a code without a name (letters, digits) is the
// character with that code.
std::u16string VirtualKeyName(WORD code);
// "Ctrl", "Alt", "Shift" in this order, joined by "+".
std::u16string AcceleratorModifiersText(WORD flags);
// The key column: a virtual key's name, "^A" to "^Z" for character codes 1 to 26, other
// codes below 32 in decimal, else the character.
std::u16string AcceleratorKeyText(WORD flags, WORD key);
inline const char16_t* AcceleratorTypeText(WORD flags) { return (flags & 1) ? u"VIRTKEY" : u"ASCII"; }
// The highest status the view lists under a mode.
int AcceleratorStatusLimit(int mode);

// The dialog's key list: letters, digits and the named keys, sorted by their text.
std::vector<CKeyName> KeyChoiceList();
// What the character box shows for a character key: "^" and the letter for 1 to 26, the
// character from 32 up, nothing otherwise.
std::u16string CharacterBoxText(WORD key);
// The character box's limit for its current text: two after a leading "^", else one.
int CharacterBoxLimit(const std::u16string& text);

// The dialog's answer on OK, or the message that refuses it.
struct CAccelEntry {
  WORD flags = 0;
  WORD key = 0;
};
struct CAccelResult {
  std::optional<CAccelEntry> entry;
  const char16_t* message = nullptr;
};
CAccelResult ParseCharacterKey(const std::u16string& text, bool alt);
// A selected virtual key (negative: none selected).
CAccelResult MakeVirtualKey(int code, bool ctrl, bool alt, bool shift);

// For each entry, the index of the first other entry with the same type, modifiers and
// key, or -1.
std::vector<int> FindKeyClashes(const std::vector<CAccelEntry>& entries);

}  // namespace tvl
