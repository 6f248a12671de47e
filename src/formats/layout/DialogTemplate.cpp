#include "formats/layout/DialogTemplate.h"

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "peimage/ResStream.h"
#include "platform/Text.h"

namespace {

struct IdOrText {
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::u16string text;
};

IdOrText ReadIdOrText(CResStream& s) {
  IdOrText out;
  WORD w = s.ReadWord();
  if (w == 0xFFFF) {
    out.isOrdinal = true;
    out.ordinal = s.ReadWord();
  } else if (w != 0) {
    s.Back(2);
    out.text = s.ReadString();
  }
  return out;
}

int Signed(WORD w) { return static_cast<int16_t>(w); }

tvl::Rect ReadRect(CResStream& s) {
  int x = Signed(s.ReadWord()), y = Signed(s.ReadWord());
  int cx = Signed(s.ReadWord()), cy = Signed(s.ReadWord());
  return {x, y, x + cx, y + cy};
}

void ReadControl(CResStream& s, bool isEx, CTemplateControl& c) {
  if (isEx) {
    c.helpId = s.ReadDword();
    c.exStyle = s.ReadDword();
    c.style = s.ReadDword();
  } else {
    c.style = s.ReadDword();
    c.exStyle = s.ReadDword();
  }
  c.rect = ReadRect(s);
  c.id = isEx ? s.ReadDword() : s.ReadWord();
  s.AlignWord();
  WORD w = s.ReadWord();
  if (w == 0xFFFF) {
    c.classOrdinal = s.ReadWord();
  } else {
    s.Back(2);
    c.className = s.ReadString();
  }
  s.AlignWord();
  IdOrText title = ReadIdOrText(s);
  c.titleIsOrdinal = title.isOrdinal;
  c.titleOrdinal = title.ordinal;
  c.title = std::move(title.text);
  s.AlignWord();
  WORD n = s.ReadWord();
  size_t length = isEx ? n : (n > 1 ? n - 2u : 0u);
  const BYTE* p = s.Read(length);
  c.creationData.assign(p, p + length);
}

}  // namespace

CDialogTemplate CDialogTemplate::Parse(const std::vector<BYTE>& bytes) {
  CDialogTemplate t;
  CResStream s(bytes.data(), static_cast<DWORD>(bytes.size()));
  s.ReadWord();
  t.isEx = s.ReadWord() == 0xFFFF;
  s.Back(4);
  if (t.isEx) {
    s.Read(8);  // version, signature, help id
    t.exStyle = s.ReadDword();
    t.style = s.ReadDword();
  } else {
    t.style = s.ReadDword();
    t.exStyle = s.ReadDword();
  }
  WORD count = s.ReadWord();
  tvl::Rect r = ReadRect(s);
  t.x = r.left;
  t.y = r.top;
  t.cx = r.right - r.left;
  t.cy = r.bottom - r.top;
  ReadIdOrText(s);  // menu
  s.AlignWord();
  ReadIdOrText(s);  // class
  s.AlignWord();
  t.caption = s.ReadString();
  if (t.style & DS_SETFONT) {
    t.font.present = true;
    t.font.pointSize = s.ReadWord();
    if (t.isEx) {
      t.font.weight = s.ReadWord();
      t.font.italic = s.ReadByte();
      t.font.charSet = s.ReadByte();
    }
    t.font.face = s.ReadString();
  }
  t.controls.resize(count);
  for (CTemplateControl& c : t.controls) {
    s.AlignDword();
    ReadControl(s, t.isEx, c);
  }
  t.words.resize((bytes.size() + 1) / 2);
  for (size_t i = 0; i < bytes.size(); ++i) t.words[i / 2] |= static_cast<WORD>(bytes[i] << (8 * (i % 2)));
  return t;
}

std::u16string TemplateClassName(const CTemplateControl& control) {
  switch (control.classOrdinal) {
    case 0: return control.className;
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
    default: return {};
  }
}

tvl::Rect MapDialogRect(const tvl::Rect& units, int baseUnitX, int baseUnitY) {
  return {tvl::MulDiv(units.left, baseUnitX, 4), tvl::MulDiv(units.top, baseUnitY, 8),
          tvl::MulDiv(units.right, baseUnitX, 4), tvl::MulDiv(units.bottom, baseUnitY, 8)};
}

std::vector<CPreviewInitEntry> ReadPreviewInitData(const std::vector<BYTE>& bytes, UINT codePage) {
  std::vector<CPreviewInitEntry> out;
  CResStream s(bytes.data(), static_cast<DWORD>(bytes.size()));
  while (s.GetRemaining() > 2) {
    CPreviewInitEntry e;
    e.control = s.ReadWord();
    e.message = s.ReadWord();
    const DWORD length = s.ReadDword();
    const BYTE* data = s.Read(length);
    e.isText = CDlgInitMsg::IsStringMessage(e.message);
    if (e.isText) {
      std::string_view chars(reinterpret_cast<const char*>(data), length);
      chars = chars.substr(0, chars.find('\0'));
      e.text = tvl::MultiByteToWide(codePage, chars);
    }
    out.push_back(std::move(e));
  }
  return out;
}
