#include "formats/layout/ResDialog.h"

#include <algorithm>
#include <atomic>
#include <ostream>

#include "archive/Archive.h"
#include "archive/Collections.h"
#include "formats/layout/DlgInit.h"
#include "peimage/ResStream.h"
#include "platform/LanguageFacts.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CResDialogItem, CResourceElement, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CResDialog, CResource, VERSIONABLE_SCHEMA | 1)

namespace {

int16_t ToShort(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

// Menu and dialog class: 0 none, 0xFFFF an ordinal, otherwise a string.
void ReadDialogIdentifier(CResStream& s, CResourceIdentifier& id) {
  WORD w = s.ReadWord();
  if (w == 0xFFFF) {
    id.SetOrdinal(s.ReadWord());
  } else if (w == 0) {
    id.Clear();
  } else {
    s.Back(2);
    id.SetString(s.ReadString());
  }
}

// An identifier as a template holds it: none as a single 0 word.
void WriteIdentifier(CResourceData& d, const CResourceIdentifier& id) {
  if (id.IsOrdinal()) {
    d.WriteWord(0xFFFF);
    d.WriteWord(id.m_ordinal);
  } else if (id.IsString()) {
    d.WriteString(id.m_name);
  } else {
    d.WriteWord(0);
  }
}

void StoreByteArray(CArchive& ar, std::vector<BYTE>& bytes) {
  CByteArray array;
  if (ar.IsStoring()) {
    array.m_data = bytes;
    array.Serialize(ar);
  } else {
    array.Serialize(ar);
    bytes = std::move(array.m_data);
  }
}

template <class T>
void SerializeOwnedArray(CArchive& ar, std::vector<std::unique_ptr<T>>& items) {
  if (ar.IsStoring()) {
    ar.WriteCount(items.size());
    for (const auto& item : items) ar.WriteObject(item.get());
  } else {
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 2);
    items.clear();
    items.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      std::unique_ptr<T> item = ar.ReadObject<T>();
      if (!item) ar.ThrowException(CArchiveException::badClass);
      items.push_back(std::move(item));
    }
  }
}

const std::u16string_view kNoTextClasses[] = {
    u"SysTreeView32",     u"SysListView32",      u"ComboBoxEx32",      u"SysTabControl32",
    u"SysAnimate32",      u"SysMonthCal32",      u"msctls_progress32", u"SysDateTimePick32",
    u"NativeFontCtl",     u"SysHeader32",        u"msctls_statusbar32", u"msctls_trackbar32",
    u"msctls_updown32",   u"msctls_hotkey32",    u"SysIPAddress32",    u"SysPager",
};

bool SameNoCase(std::u16string_view a, std::u16string_view b) { return tvl::CompareNoCase(a, b) == 0; }

}  // namespace

const CLocalizedPoint& EffectivePoint(const CLocalizedPoint& head, LANGID language) {
  const CLocalizedParam* n = head.FindValue(language);
  if (n && n != &head && n->m_status > 0 && n->IsKindOf(RUNTIME_CLASS(CLocalizedPoint)))
    return static_cast<const CLocalizedPoint&>(*n);
  return head;
}

// ---------------------------------------------------------------------------------------
// Preview classes

namespace {

class CDefaultPreviewClasses : public CPreviewClasses {};
const CDefaultPreviewClasses kDefaultPreviewClasses;
std::atomic<const CPreviewClasses*> g_previewClasses{&kDefaultPreviewClasses};

const std::u16string_view kKnownClasses[] = {
    u"Button", u"Edit", u"Static", u"ListBox", u"ScrollBar", u"ComboBox", u"RichEdit20W", u"RichEdit50W",
    u"SysLink", u"ReBarWindow32", u"ToolbarWindow32", u"tooltips_class32", u"msctls_netaddress",
};

}  // namespace

bool CPreviewClasses::IsRegistered(std::u16string_view name) const {
  for (std::u16string_view known : kKnownClasses)
    if (SameNoCase(known, name)) return true;
  for (std::u16string_view known : kNoTextClasses)
    if (SameNoCase(known, name)) return true;
  return false;
}

const CPreviewClasses* SetPreviewClasses(const CPreviewClasses* classes) {
  return g_previewClasses.exchange(classes ? classes : &kDefaultPreviewClasses);
}

// ---------------------------------------------------------------------------------------
// Controls

CResDialogItem::~CResDialogItem() = default;

bool CResDialogItem::IsClass(WORD ordinal, std::u16string_view name) const {
  if (m_class.IsOrdinal()) return m_class.m_ordinal == ordinal;
  return m_class.IsString() && m_class.m_name == name;
}

bool CResDialogItem::ShowsNoText(const CResourceIdentifier& c, DWORD style) {
  auto is = [&c](WORD ordinal, std::u16string_view name) {
    return c.IsOrdinal() ? c.m_ordinal == ordinal : (c.IsString() && c.m_name == name);
  };
  if (is(0x82, u"Static")) {
    DWORD type = style & 0x1F;
    return (type >= 3 && type <= 10) || type >= 14;
  }
  if (is(0x84, u"ScrollBar") || is(0x83, u"ListBox") || is(0x85, u"ComboBox")) return true;
  if (c.IsString())
    for (std::u16string_view name : kNoTextClasses)
      if (c.m_name == name) return true;
  return false;
}

void CResDialogItem::Parse(CResStream& s, bool isEx) {
  int x, y, cx, cy;
  if (isEx) {
    m_helpId = s.ReadDword();
    m_exStyle = s.ReadDword();
    m_style = s.ReadDword();
  } else {
    m_helpId = 0;
    m_style = s.ReadDword();
    m_exStyle = s.ReadDword();
  }
  x = static_cast<int16_t>(s.ReadWord());
  y = static_cast<int16_t>(s.ReadWord());
  cx = static_cast<int16_t>(s.ReadWord());
  cy = static_cast<int16_t>(s.ReadWord());
  m_id = isEx ? s.ReadDword() : s.ReadWord();
  const LANGID language = s.m_language;
  m_pos.m_x = x;
  m_pos.m_y = y;
  m_pos.m_language = language;
  m_pos.m_status = 0;
  m_size.m_x = cx;
  m_size.m_y = cy;
  m_size.m_language = language;
  m_size.m_status = 0;

  s.AlignWord();
  if (s.ReadWord() == 0xFFFF) {
    m_class.SetOrdinal(s.ReadWord());
  } else {
    s.Back(2);
    m_class.SetString(s.ReadString());
  }
  m_noText = ShowsNoText(m_class, m_style);

  s.AlignWord();
  m_text.m_language = language;
  m_text.m_status = 0;
  if (s.ReadWord() == 0xFFFF) {
    m_titleIsOrdinal = true;
    m_titleOrdinal = s.ReadWord();
    m_text.m_text.clear();
  } else {
    s.Back(2);
    m_titleIsOrdinal = false;
    m_text.m_text = s.ReadString();
  }

  s.AlignWord();
  WORD n = s.ReadWord();
  // DIALOG counts the count word itself; DIALOGEX counts only the bytes after it.
  size_t length = isEx ? n : (n > 1 ? n - 2u : 0u);
  const BYTE* p = s.Read(length);
  m_creationData.assign(p, p + length);
}

void CResDialogItem::WriteData(CResourceData& d, bool isEx, int index, const CMeasuringContext* context) const {
  const LANGID language = d.m_language;
  DWORD style = m_style;
  DWORD id = m_id;
  CResourceIdentifier windowClass = m_class;
  bool substitute = false;
  tvl::Rect r;
  if (d.m_preview) {
    id = static_cast<DWORD>(index);
    const CPreviewClasses* classes = g_previewClasses.load();
    if (windowClass.IsOrdinal()) {
      substitute = windowClass.m_ordinal < 0x80 || windowClass.m_ordinal > 0x85;
    } else if (!windowClass.IsString() || windowClass.m_name.empty()) {
      substitute = true;
    } else {
      const std::u16string& name = windowClass.m_name;
      if (SameNoCase(name, u"RichEdit") || SameNoCase(name, u"RichEdit20A") || SameNoCase(name, u"RichEdit20W") ||
          SameNoCase(name, u"RichEdit50W"))
        windowClass.SetString(classes->BestRichEditClass());
      else if (name[0] != u'{' && !classes->IsRegistered(name))
        substitute = true;  // class ids in braces are ActiveX controls, made by the container
    }
  }
  if (substitute) {
    // A bordered, centred static showing the control's text, where its class cannot be made.
    windowClass.SetOrdinal(0x82);
    style = 0x56800001;
    r = GetItemRect(language, nullptr);
  } else {
    r = GetItemRect(language, context);
    if (d.m_preview) {
      style |= WS_VISIBLE;
      auto is = [&windowClass](WORD ordinal, std::u16string_view name) {
        return windowClass.IsOrdinal() ? windowClass.m_ordinal == ordinal
                                       : (windowClass.IsString() && SameNoCase(windowClass.m_name, name));
      };
      if (is(0x80, u"Button")) {
        DWORD type = style & 0xF;
        if (type == 8 || type == 11) style &= ~DWORD{0xF};  // owner-drawn: a push button
        if (style & 0x80) style = (style & ~DWORD{0x80}) | 0x40;  // bitmap: an icon
        style &= ~DWORD{0x4000};
      } else if (is(0x82, u"Static")) {
        DWORD type = style & 0x1F;
        if (type == 10 || type == 13) style &= ~DWORD{0x1F};
        style &= ~DWORD{0x100};
      } else if (is(0x83, u"ListBox")) {
        style &= ~DWORD{0x2072};
      } else if (is(0x85, u"ComboBox")) {
        style &= ~DWORD{0x2330};
      } else if (is(0, u"ComboBoxEx32")) {
        style &= ~DWORD{0x100};
      } else if (is(0, u"SysListView32")) {
        style &= ~DWORD{0x1400};
      } else if (is(0, u"SysTabControl32")) {
        style &= ~DWORD{0x6000};
      }
    }
  }

  if (isEx) {
    d.WriteDword(m_helpId);
    d.WriteDword(m_exStyle);
    d.WriteDword(style);
  } else {
    d.WriteDword(style);
    d.WriteDword(m_exStyle);
  }
  d.WriteWord(static_cast<WORD>(ToShort(r.left)));
  d.WriteWord(static_cast<WORD>(ToShort(r.top)));
  d.WriteWord(static_cast<WORD>(ToShort(r.right - r.left)));
  d.WriteWord(static_cast<WORD>(ToShort(r.bottom - r.top)));
  if (isEx)
    d.WriteDword(id);
  else
    d.WriteWord(static_cast<WORD>(id));

  d.AlignWord();
  if (windowClass.IsOrdinal()) {
    d.WriteWord(0xFFFF);
    d.WriteWord(windowClass.m_ordinal);
  } else {
    d.WriteString(windowClass.m_name);
  }

  d.AlignWord();
  if (m_titleIsOrdinal) {
    d.WriteWord(0xFFFF);
    d.WriteWord(m_titleOrdinal);
  } else {
    d.WriteString(m_text.GetBuildText(language));
  }

  d.AlignWord();
  if (m_creationData.empty() || substitute) {
    d.WriteWord(0);
  } else {
    size_t count = m_creationData.size() + (isEx ? 0 : 2);
    if (count > 0xFFFF) throw CStringException(u"The creation data of a control is too long for a dialog template.");
    d.WriteWord(static_cast<WORD>(count));
    d.WriteBytes(m_creationData.data(), m_creationData.size());
  }
}

bool CResDialogItem::IsSameItem(const CResDialogItem& other, bool loose) const {
  if (m_id != other.m_id || m_text.m_text != other.m_text.m_text) return false;
  if (loose) return true;
  return m_size.m_x == other.m_size.m_x && m_size.m_y == other.m_size.m_y && m_pos.m_x == other.m_pos.m_x &&
         m_pos.m_y == other.m_pos.m_y;
}

int CResDialogItem::GetStatus(LANGID language) const {
  if (IsTextExcluded()) return kStatusNothingToTranslate;
  return m_text.GetValueStatus(language);
}

void CResDialogItem::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_style << m_exStyle << m_id << static_cast<BYTE>(m_titleIsOrdinal ? 1 : 0)
       << static_cast<BYTE>(m_noText ? 1 : 0);
    if (m_titleIsOrdinal) ar << m_titleOrdinal;
  } else {
    ar.GetObjectSchema();
    BYTE titleIsOrdinal = 0, noText = 0;
    ar >> m_style >> m_exStyle >> m_id >> titleIsOrdinal >> noText;
    m_titleIsOrdinal = titleIsOrdinal != 0;
    m_noText = noText != 0;
    m_titleOrdinal = 0;
    if (m_titleIsOrdinal) ar >> m_titleOrdinal;
    m_helpId = 0;
  }
  m_class.Serialize(ar);
  m_text.Serialize(ar);
  m_size.Serialize(ar);
  m_pos.Serialize(ar);
  StoreByteArray(ar, m_creationData);
}

void CResDialogItem::Dump(std::ostream& out) const {
  out << "  control " << m_id << " class "
      << (m_class.IsOrdinal() ? std::to_string(m_class.m_ordinal) : tvl::ToUtf8(m_class.m_name)) << " style 0x"
      << std::hex << m_style << std::dec << " at " << m_pos.m_x << ',' << m_pos.m_y << " size " << m_size.m_x << 'x'
      << m_size.m_y;
  if (m_titleIsOrdinal)
    out << " title #" << m_titleOrdinal;
  else
    out << " \"" << tvl::ToUtf8(m_text.m_text) << '"';
  if (m_noText) out << " (no text)";
  out << '\n';
}

// ---------------------------------------------------------------------------------------
// The dialog

CResDialog::CResDialog() = default;
CResDialog::~CResDialog() = default;

void CResDialog::Parse(CResStream& s) {
  s.ReadWord();
  m_isEx = s.ReadWord() == 0xFFFF;
  s.Back(4);
  const LANGID language = s.m_language;
  if (m_isEx) {
    s.ReadWord();  // version
    s.ReadWord();  // signature
    m_helpId = s.ReadDword();
    m_exStyle = s.ReadDword();
    m_style = s.ReadDword();
  } else {
    m_helpId = 0;
    m_style = s.ReadDword();
    m_exStyle = s.ReadDword();
  }
  m_itemCount = s.ReadWord();
  m_x = static_cast<int16_t>(s.ReadWord());
  m_y = static_cast<int16_t>(s.ReadWord());
  m_size.m_x = static_cast<int16_t>(s.ReadWord());
  m_size.m_y = static_cast<int16_t>(s.ReadWord());
  m_size.m_language = language;
  m_size.m_status = 0;

  s.AlignWord();
  ReadDialogIdentifier(s, m_menu);
  s.AlignWord();
  ReadDialogIdentifier(s, m_class);
  s.AlignWord();
  m_caption.m_text = s.ReadString();
  m_caption.m_language = language;
  m_caption.m_status = 0;

  if (m_style & DS_SETFONT) {
    m_font.m_pointSize = s.ReadWord();
    if (m_isEx) {
      m_font.m_weight = s.ReadWord();
      m_font.m_italic = s.ReadByte();
      m_font.m_charSet = s.ReadByte();
    } else {
      m_font.m_weight = 0xFFFF;
      m_font.m_italic = 0;
      m_font.m_charSet = 0;
    }
    m_font.m_text = s.ReadString();
    m_font.m_language = language;
    m_font.m_status = 0;
  }

  m_items.clear();
  for (WORD i = 0; i < m_itemCount; ++i) {
    // Never more controls than the bytes could hold: a count past the data fails here.
    s.AlignDword();
    auto item = std::make_unique<CResDialogItem>();
    item->Parse(s, m_isEx);
    m_items.push_back(std::move(item));
  }
  ReadDlgInit(s);
}

CDialogFont CResDialog::ChooseFont(const CResourceData& data) const {
  CDialogFont out;
  if (!(m_style & DS_SETFONT)) return out;
  out.present = true;
  const LANGID language = data.m_language;
  const CLocalizedParam* node = m_font.FindValue(language);
  const CLocalizedFontReference* chosen = nullptr;
  if (node && node->IsKindOf(RUNTIME_CLASS(CLocalizedFontReference))) {
    chosen = static_cast<const CLocalizedFontReference*>(node);
  } else {
    const std::u16string& face = m_font.m_text;
    BYTE charSet = static_cast<BYTE>(LanguageCodePage(language).charSet);
    bool keep = m_font.m_language == kNoLanguage || face.empty() || SameNoCase(face, u"MS Shell Dlg") ||
                SameNoCase(face, u"MS Shell Dlg 2") ||
                (charSet != DEFAULT_CHARSET && tvl::FontFaceExistsInCharset(face, charSet)) ||
                data.m_fontFace.empty();  // no font to replace it with
    if (keep) chosen = &m_font;
  }
  if (chosen) {
    out.face = chosen->m_text;
    out.pointSize = chosen->m_pointSize;
    out.weight = chosen->m_weight;
    out.italic = chosen->m_italic;
    out.charSet = chosen->m_charSet;
  } else {
    out.face = data.m_fontFace;
    out.pointSize = data.m_fontSize;
    out.weight = data.m_fontWeight;
    out.italic = data.m_fontItalic;
    out.charSet = data.m_fontCharset;
  }
  return out;
}

void CResDialog::WriteData(CResourceData& d) {
  const LANGID language = d.m_language;
  const CLocalizedPoint& size = EffectivePoint(m_size, language);
  DWORD style = m_style;
  int x = m_x, y = m_y;
  CResourceIdentifier menu = m_menu, windowClass = m_class;
  if (d.m_preview) {
    // A child window at the view's origin, without menu and class.
    style = (style & 0x29FFFFFC) | 0x44000000;
    x = y = 0;
    menu.Clear();
    windowClass.Clear();
  }
  if (m_isEx) {
    d.WriteWord(1);
    d.WriteWord(0xFFFF);
    d.WriteDword(m_helpId);
    d.WriteDword(m_exStyle);
    d.WriteDword(style);
  } else {
    d.WriteDword(style);
    d.WriteDword(m_exStyle);
  }
  if (m_items.size() > 0xFFFF) throw CStringException(u"Too many controls for a dialog template.");
  d.WriteWord(static_cast<WORD>(m_items.size()));
  d.WriteWord(static_cast<WORD>(ToShort(x)));
  d.WriteWord(static_cast<WORD>(ToShort(y)));
  d.WriteWord(static_cast<WORD>(ToShort(size.m_x)));
  d.WriteWord(static_cast<WORD>(ToShort(size.m_y)));
  d.AlignWord();
  WriteIdentifier(d, menu);
  d.AlignWord();
  WriteIdentifier(d, windowClass);
  d.AlignWord();
  d.WriteString(m_caption.GetBuildText(language));

  CDialogFont font = ChooseFont(d);
  if (font.present) {
    d.WriteWord(font.pointSize);
    if (m_isEx) {
      d.WriteWord(font.weight);
      d.WriteByte(font.italic);
      d.WriteByte(font.charSet);
    }
    d.WriteString(font.face);
    if (d.m_preview) {
      m_previewFace = font.face;
      m_previewPointSize = font.pointSize;
    }
  }

  // The measuring dialog is made once for all controls.
  CTemplateMeasuringContext context;
  context.Create(CTemplateMeasuringContext::BuildTemplate(m_isEx, m_style, font));
  for (size_t i = 0; i < m_items.size(); ++i) {
    d.AlignDword();
    m_items[i]->WriteData(d, m_isEx, static_cast<int>(i), &context);
  }
  context.Release();
}

int CResDialog::ComputeStatus(LANGID language) const {
  int status = kStatusNothingToTranslate;
  if (!m_caption.IsDoNotTranslate() && !m_caption.m_text.empty()) status = m_caption.GetValueStatus(language);
  if (status == 0) return 0;
  for (const auto& item : m_items) {
    status = std::min(status, item->GetStatus(language));
    if (status == 0) return 0;
  }
  for (const auto& entry : m_dlgInit) {
    if (!entry->IsText()) continue;
    status = std::min(status, entry->GetStatus(language));
    if (status == 0) return 0;
  }
  return status;
}

bool CResDialog::TakeHelpIds(const CResDialog& source) {
  if (source.m_items.size() != m_items.size()) return false;
  for (size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i]->m_id != source.m_items[i]->m_id) return false;
  m_helpId = source.m_helpId;
  for (size_t i = 0; i < m_items.size(); ++i) m_items[i]->m_helpId = source.m_items[i]->m_helpId;
  return true;
}

void CResDialog::Serialize(CArchive& ar) {
  CResource::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_style << m_exStyle << m_itemCount << static_cast<BYTE>(m_isEx ? 1 : 0) << static_cast<DWORD>(m_x)
       << static_cast<DWORD>(m_y);
  } else {
    BYTE isEx = 0;
    DWORD x = 0, y = 0;
    ar >> m_style >> m_exStyle >> m_itemCount >> isEx >> x >> y;
    m_isEx = isEx != 0;
    m_x = static_cast<int>(x);
    m_y = static_cast<int>(y);
    m_helpId = 0;
  }
  m_menu.Serialize(ar);
  m_class.Serialize(ar);
  m_caption.Serialize(ar);
  m_size.Serialize(ar);
  m_font.Serialize(ar);
  SerializeOwnedArray(ar, m_items);
  SerializeOwnedArray(ar, m_dlgInit);
}

void CResDialog::Dump(std::ostream& out) const {
  CResource::Dump(out);
  out << (m_isEx ? " DIALOGEX" : " DIALOG") << " style 0x" << std::hex << m_style << " exstyle 0x" << m_exStyle
      << std::dec << " at " << m_x << ',' << m_y << " size " << m_size.m_x << 'x' << m_size.m_y << " caption \""
      << tvl::ToUtf8(m_caption.m_text) << '"';
  if (m_font.m_language != kNoLanguage)
    out << " font " << m_font.m_pointSize << " \"" << tvl::ToUtf8(m_font.m_text) << '"';
  out << '\n';
  for (const auto& item : m_items) item->Dump(out);
  for (const auto& entry : m_dlgInit) entry->Dump(out);
}
