#include "formats/layout/ResMenu.h"

#include <algorithm>
#include <deque>
#include <ostream>

#include "archive/Archive.h"
#include "peimage/ResStream.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"
#include "resmodel/ResTable.h"
#include "resmodel/ResourceType.h"

IMPLEMENT_SERIAL(CResSubMenu, CResourceElement, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CResMenuItem, CResourceElement, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CResMenu, CResource, VERSIONABLE_SCHEMA | 1)

namespace {

// Real menus nest a handful of levels; a deeper chain of popups is crafted input and would
// otherwise recurse once per level.
constexpr int kMaxMenuDepth = 100;

void DropNullItems(CTypedObArray<CResMenuItem>& items) {
  for (size_t i = items.GetSize(); i-- > 0;)
    if (!items.GetAt(i)) items.RemoveAt(i);
}

}  // namespace

namespace tvl {

const CPromptAndTip* FindCommandPrompt(const CResource& resource, DWORD commandId) {
  if (commandId == 0 || !resource.m_owner) return nullptr;
  const auto* table = dynamic_cast<const CResTable*>(resource.m_owner->m_owner);
  if (!table || !table->m_promptAndTips.m_enabled) return nullptr;
  return table->m_promptAndTips.Find(commandId);
}

}  // namespace tvl

// ---------------------------------------------------------------------------------------
// One level

void CResSubMenu::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_helpId;
  } else {
    ar.GetObjectSchema();
    ar >> m_helpId;
  }
  m_items.Serialize(ar);
  if (ar.IsLoading()) DropNullItems(m_items);
}

void CResSubMenu::Dump(std::ostream& out) const {
  if (m_helpId) out << "  help id " << m_helpId << '\n';
  for (size_t i = 0; i < m_items.GetSize(); ++i) m_items.GetAt(i)->Dump(out);
}

void CResSubMenu::Parse(CResStream& stream, bool extended, int depth) {
  if (depth > kMaxMenuDepth) throw CResStreamException();
  for (;;) {
    auto item = std::make_unique<CResMenuItem>();
    CResMenuItem* p = item.get();
    m_items.Add(std::move(item));
    if (p->Parse(stream, extended, depth)) break;
  }
}

void CResSubMenu::WriteData(CResourceData& data, bool extended, bool useSource) const {
  const size_t count = m_items.GetSize();
  for (size_t i = 0; i < count; ++i) m_items.GetAt(i)->WriteData(data, extended, i + 1 == count, useSource);
}

int CResSubMenu::GetStatus(LANGID language, const CResource& menu) const {
  int status = kStatusNothingToTranslate;
  for (size_t i = 0; i < m_items.GetSize() && status > 0; ++i)
    status = std::min(status, m_items.GetAt(i)->GetStatus(language, menu));
  return status;
}

// ---------------------------------------------------------------------------------------
// One item

void CResMenuItem::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_id << m_type << m_state;
    m_label.Serialize(ar);
    m_shortcut.Serialize(ar);
    ar << static_cast<BYTE>(m_popup ? 1 : 0);
    if (m_popup) ar.WriteObject(m_popup.get());
  } else {
    ar.GetObjectSchema();
    ar >> m_id >> m_type >> m_state;
    m_label.Serialize(ar);
    m_shortcut.Serialize(ar);
    BYTE hasPopup = 0;
    ar >> hasPopup;
    m_popup.reset();
    if (hasPopup) m_popup = ar.ReadObject<CResSubMenu>();
  }
}

void CResMenuItem::Dump(std::ostream& out) const {
  out << "  item " << m_id << " type " << std::hex << m_type << " state " << m_state << std::dec << " \""
      << tvl::ToUtf8(m_label.m_text);
  if (!m_shortcut.m_text.empty()) out << "\\t" << tvl::ToUtf8(m_shortcut.m_text);
  out << "\"\n";
  if (m_popup) m_popup->Dump(out);
}

bool CResMenuItem::Parse(CResStream& stream, bool extended, int depth) {
  bool popup = false;
  bool end = false;
  if (extended) {
    stream.AlignDword();
    m_type = stream.ReadDword();
    m_state = stream.ReadDword();
    m_id = stream.ReadDword();
    const WORD flags = stream.ReadWord();
    popup = (flags & kMenuExPopup) != 0;
    end = (flags & kMenuEnd) != 0;
  } else {
    m_type = stream.ReadWord();
    popup = (m_type & kMenuPopup) != 0;
    end = (m_type & kMenuEnd) != 0;
    if (!popup) m_id = stream.ReadWord();
  }
  const std::u16string text = stream.ReadString();
  const size_t tab = text.find(u'\t');
  m_label.m_text = text.substr(0, tab);
  m_shortcut.m_text = tab == std::u16string::npos ? std::u16string() : text.substr(tab + 1);
  for (CLocalizedString* s : {&m_label, &m_shortcut}) {
    s->m_language = stream.m_language;
    s->m_status = 0;
  }
  if (popup) {
    m_popup = std::make_unique<CResSubMenu>();
    if (extended) {
      stream.AlignDword();
      m_popup->m_helpId = stream.ReadDword();
    }
    m_popup->Parse(stream, extended, depth + 1);
  }
  return end;
}

std::u16string CResMenuItem::GetText(LANGID language) const {
  const std::u16string& label = m_label.GetBuildText(language);
  const std::u16string& shortcut = m_shortcut.GetBuildText(language);
  if (shortcut.empty()) return label;
  return label + u'\t' + shortcut;
}

void CResMenuItem::WriteData(CResourceData& data, bool extended, bool last, bool useSource) const {
  if (extended) {
    data.AlignDword();
    data.WriteDword(m_type);
    data.WriteDword(m_state);
    data.WriteDword(m_id);
    data.WriteWord(static_cast<WORD>((m_popup ? kMenuExPopup : 0) | (last ? kMenuEnd : 0)));
  } else {
    // The popup and end bits follow the tree, whatever a stored type says: a stray end bit
    // would cut the menu short, a stray popup bit make the reader expect a level.
    WORD flags = static_cast<WORD>(m_type & ~(kMenuPopup | kMenuEnd));
    if (last) flags |= kMenuEnd;
    if (m_popup) {
      data.WriteWord(static_cast<WORD>(flags | kMenuPopup));
    } else {
      data.WriteWord(flags);
      data.WriteWord(static_cast<WORD>(m_id));
    }
  }
  data.WriteString(GetText(useSource ? LANGID{0} : data.m_language));
  if (m_popup) {
    if (extended) {
      data.AlignDword();
      data.WriteDword(m_popup->m_helpId);
    }
    m_popup->WriteData(data, extended, useSource);
  }
}

int CResMenuItem::GetStatus(LANGID language, const CResource& menu) const {
  int status = kStatusNothingToTranslate;
  for (const CLocalizedString* s : {&m_label, &m_shortcut})
    if (!s->IsDoNotTranslate() && !s->m_text.empty()) status = std::min(status, s->GetValueStatus(language));
  if (m_id != 0)
    if (const CPromptAndTip* prompt = tvl::FindCommandPrompt(menu, m_id))
      status = std::min(status, prompt->GetStatus(language));
  if (status > 0 && m_popup) status = std::min(status, m_popup->GetStatus(language, menu));
  return status;
}

std::u16string CResMenuItem::GetKey() const {
  std::u16string s = tvl::Trim(m_label.m_text);
  if (s.size() >= 3 && s.compare(s.size() - 3, 3, u"...") == 0) s.resize(s.size() - 3);
  std::u16string key;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != u'&') {
      key += s[i];
    } else if (i + 1 < s.size() && s[i + 1] == u'&') {
      key += u"&&";
      ++i;
    }
  }
  return key;
}

bool CResMenuItem::HasAnyText() const {
  for (const CLocalizedString* s : {&m_label, &m_shortcut})
    for (const CLocalizedParam* n = s; n; n = n->GetNext())
      if (n->IsKindOf(RUNTIME_CLASS(CLocalizedString)) && !static_cast<const CLocalizedString*>(n)->m_text.empty())
        return true;
  return false;
}

void CResMenuItem::MergeTexts(const CResMenuItem& other, bool copyProperties, bool importMode) {
  m_label.MergeFrom(other.m_label, copyProperties, importMode);
  m_shortcut.MergeFrom(other.m_shortcut, copyProperties, importMode);
}

// ---------------------------------------------------------------------------------------
// The menu

void CResMenu::Serialize(CArchive& ar) {
  CResource::Serialize(ar);
  if (ar.IsStoring()) {
    ar << static_cast<BYTE>(m_isExtended ? 1 : 0);
  } else {
    BYTE extended = 0;
    ar >> extended;
    m_isExtended = extended != 0;
  }
  m_root.Serialize(ar);
}

void CResMenu::Dump(std::ostream& out) const {
  CResource::Dump(out);
  out << (m_isExtended ? "  MENUEX\n" : "  MENU\n");
  m_root.Dump(out);
}

void CResMenu::Parse(CResStream& stream) {
  const WORD version = stream.ReadWord();
  stream.ReadWord();
  if (version > 1) throw CResStreamException();
  m_isExtended = version == 1;
  if (m_isExtended) {
    stream.Back(4);
    stream.ReadWord();
    const WORD offset = stream.ReadWord();
    m_root.m_helpId = stream.ReadDword();
    stream.Back(8);
    stream.Read(4 + size_t{offset});
  }
  m_root.Parse(stream, m_isExtended, 0);
}

void CResMenu::WriteData(CResourceData& data) {
  if (m_isExtended) {
    data.WriteWord(1);
    data.WriteWord(4);
    data.WriteDword(m_root.m_helpId);
  } else {
    data.WriteWord(0);
    data.WriteWord(0);
  }
  // A menu marked do not translate is written with its source texts.
  m_root.WriteData(data, m_isExtended, !IsTranslatable());
}

int CResMenu::ComputeStatus(LANGID language) const { return m_root.GetStatus(language, *this); }

void CResMenu::CollectCommandIds(std::set<DWORD>& ids) const {
  for (const CResMenuItem* item : Flatten())
    if (item->m_id != 0) ids.insert(item->m_id);
}

std::vector<CResMenuItem*> CResMenu::Flatten() const {
  std::vector<CResMenuItem*> out;
  // Iterative pre-order: a stack of (level, next index).
  std::vector<std::pair<const CResSubMenu*, size_t>> stack{{&m_root, 0}};
  while (!stack.empty()) {
    auto& [level, index] = stack.back();
    if (index >= level->GetCount()) {
      stack.pop_back();
      continue;
    }
    CResMenuItem* item = level->GetItem(index++);
    out.push_back(item);
    if (item->m_popup) stack.emplace_back(item->m_popup.get(), 0);
  }
  return out;
}

void CResMenu::Merge(const CResource& other, bool copyProperties, bool importMode) {
  MergeResourceLevel(other, copyProperties, importMode);
  const auto* o = dynamic_cast<const CResMenu*>(&other);
  if (!o) return;
  if (copyProperties || importMode)
    MergeByText(*o, copyProperties, importMode);
  else
    MergeTranslated(*o);
}

void CResMenu::MergeByText(const CResMenu& other, bool copyProperties, bool importMode) {
  const std::vector<CResMenuItem*> mine = Flatten();
  const std::vector<CResMenuItem*> theirs = other.Flatten();
  std::vector<std::u16string> theirKeys;
  theirKeys.reserve(theirs.size());
  for (const CResMenuItem* t : theirs) theirKeys.push_back(t->GetKey());

  // The first candidate with the item's id, else the first candidate.
  auto pick = [&](const CResMenuItem& item, auto matches) -> const CResMenuItem* {
    const CResMenuItem* first = nullptr;
    for (size_t i = 0; i < theirs.size(); ++i) {
      if (!matches(i)) continue;
      if (theirs[i]->m_id == item.m_id) return theirs[i];
      if (!first) first = theirs[i];
    }
    return first;
  };

  for (CResMenuItem* item : mine) {
    if (item->m_label.m_text.empty() && item->m_shortcut.m_text.empty()) continue;
    if (const CResMenuItem* t = pick(*item, [&](size_t i) { return item->IsEqual(*theirs[i]); })) {
      item->MergeTexts(*t, copyProperties, importMode);
      // Same texts under a new id: what was "nothing to translate" there is a translation here.
      if (t->m_id != item->m_id)
        for (CLocalizedString* s : {&item->m_label, &item->m_shortcut})
          for (CLocalizedParam* n = s->GetNext(); n; n = n->GetNext())
            if (n->m_status == kStatusNothingToTranslate) n->m_status = kStatusTranslated;
      continue;
    }
    const std::u16string key = item->GetKey();
    if (const CResMenuItem* t = pick(*item, [&](size_t i) { return theirKeys[i] == key; })) {
      item->MergeTexts(*t, copyProperties, importMode);
      continue;
    }
    const CResMenuItem* sameId = nullptr;
    size_t count = 0;
    for (const CResMenuItem* t : theirs)
      if (t->m_id == item->m_id) {
        sameId = t;
        ++count;
      }
    if (count == 1) item->MergeTexts(*sameId, copyProperties, importMode);
  }
}

namespace {

// The first unused item with the id: a level's items before the popups it holds.
CResMenuItem* FindUnused(const CResSubMenu& level, DWORD id, const std::set<const CResMenuItem*>& used) {
  for (size_t i = 0; i < level.GetCount(); ++i) {
    CResMenuItem* item = level.GetItem(i);
    if (item->m_id == id && !used.count(item)) return item;
  }
  for (size_t i = 0; i < level.GetCount(); ++i)
    if (const CResMenuItem* item = level.GetItem(i); item->m_popup)
      if (CResMenuItem* found = FindUnused(*item->m_popup, id, used)) return found;
  return nullptr;
}

struct TranslatedWalk {
  const CResSubMenu& root;
  std::set<const CResMenuItem*> used;
  std::deque<const CResSubMenu*> unmatched;

  CResMenuItem* TakeById(const CResSubMenu* level, DWORD id) {
    CResMenuItem* found = nullptr;
    if (level)
      for (size_t i = 0; i < level->GetCount() && !found; ++i)
        if (level->GetItem(i)->m_id == id && !used.count(level->GetItem(i))) found = level->GetItem(i);
    if (!found) found = FindUnused(root, id, used);
    if (found) used.insert(found);
    return found;
  }

  void Walk(const CResSubMenu& mine, const CResSubMenu& theirs) {
    std::vector<CResMenuItem*> mineTexts;
    for (size_t i = 0; i < mine.GetCount(); ++i)
      if (mine.GetItem(i)->m_id == 0 && mine.GetItem(i)->HasAnyText()) mineTexts.push_back(mine.GetItem(i));
    size_t textPosition = 0;
    for (size_t i = 0; i < theirs.GetCount(); ++i) {
      const CResMenuItem* t = theirs.GetItem(i);
      CResMenuItem* partner = nullptr;
      if (t->m_id != 0) {
        partner = TakeById(&mine, t->m_id);
      } else if (t->HasAnyText()) {
        if (textPosition < mineTexts.size()) partner = mineTexts[textPosition];
        ++textPosition;
      }
      if (partner) partner->MergeTexts(*t, false, false);
    }
    std::vector<const CResSubMenu*> minePopups, theirPopups;
    for (size_t i = 0; i < mine.GetCount(); ++i)
      if (mine.GetItem(i)->m_popup) minePopups.push_back(mine.GetItem(i)->m_popup.get());
    for (size_t i = 0; i < theirs.GetCount(); ++i)
      if (theirs.GetItem(i)->m_popup) theirPopups.push_back(theirs.GetItem(i)->m_popup.get());
    for (size_t i = 0; i < theirPopups.size(); ++i) {
      if (i < minePopups.size())
        Walk(*minePopups[i], *theirPopups[i]);
      else
        unmatched.push_back(theirPopups[i]);
    }
  }

  // Popups of the translation with no counterpart: only their commands can still be found.
  void DrainUnmatched() {
    while (!unmatched.empty()) {
      const CResSubMenu* level = unmatched.front();
      unmatched.pop_front();
      for (size_t i = 0; i < level->GetCount(); ++i) {
        const CResMenuItem* t = level->GetItem(i);
        if (t->m_id != 0)
          if (CResMenuItem* partner = TakeById(nullptr, t->m_id)) partner->MergeTexts(*t, false, false);
        if (t->m_popup) unmatched.push_back(t->m_popup.get());
      }
    }
  }
};

}  // namespace

void CResMenu::MergeTranslated(const CResMenu& other) {
  TranslatedWalk walk{m_root, {}, {}};
  walk.Walk(m_root, other.m_root);
  walk.DrainUnmatched();
}

void CResMenu::CollectTextItems(std::vector<CTextItem>& items) {
  // Paths are the item's position on each level ("0.2/label"), so they stay put while
  // texts change. Pre-order, as the menu reads: each item, then its popup.
  auto visit = [&](auto& self, const CResSubMenu& level, const std::u16string& prefix) -> void {
    for (size_t i = 0; i < level.GetCount(); ++i) {
      CResMenuItem* item = level.GetItem(i);
      std::u16string path = prefix + tvl::FromUtf8(std::to_string(i));
      if (!item->m_label.m_text.empty()) items.push_back({path + u"/label", &item->m_label});
      if (!item->m_shortcut.m_text.empty()) items.push_back({path + u"/shortcut", &item->m_shortcut});
      if (item->m_popup) self(self, *item->m_popup, path + u".");
    }
  };
  visit(visit, m_root, u"");
}
