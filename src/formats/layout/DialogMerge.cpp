// How one version of a dialog takes over the translations of another: controls are paired
// by id, source text, size and position, from strict to loose, and each pair merges its
// values.
#include <algorithm>
#include <climits>
#include <map>
#include <utility>
#include <vector>

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"

namespace {

using Items = std::vector<std::unique_ptr<CResDialogItem>>;
using Pairs = std::vector<std::pair<size_t, size_t>>;  // (this, other)

// Pairs the controls of two versions when a flag is set.
Pairs MatchControls(const Items& mine, const Items& theirs) {
  Pairs pairs;
  const size_t n = mine.size(), o = theirs.size();
  // Common head.
  size_t head = 0;
  while (head < n && head < o && mine[head]->IsSameItem(*theirs[head], false)) {
    pairs.emplace_back(head, head);
    ++head;
  }
  // Common tail, down to the head section.
  size_t endN = n, endO = o;
  while (endN > head && endO > head && mine[endN - 1]->IsSameItem(*theirs[endO - 1], false)) {
    --endN;
    --endO;
    pairs.emplace_back(endN, endO);
  }
  // The middle: the first still available control that is strictly the same.
  std::vector<bool> used(o, false);
  std::vector<size_t> onlyMine;
  for (size_t i = head; i < endN; ++i) {
    bool paired = false;
    for (size_t j = head; j < endO; ++j) {
      if (used[j] || !mine[i]->IsSameItem(*theirs[j], false)) continue;
      used[j] = true;
      pairs.emplace_back(i, j);
      paired = true;
      break;
    }
    if (!paired) onlyMine.push_back(i);
  }
  std::vector<size_t> onlyTheirs;
  for (size_t j = head; j < endO; ++j)
    if (!used[j]) onlyTheirs.push_back(j);

  // Loosely the same: moved or resized controls.
  if (!onlyMine.empty() && !onlyTheirs.empty()) {
    std::vector<size_t> restMine;
    for (size_t i : onlyMine) {
      auto it = std::find_if(onlyTheirs.begin(), onlyTheirs.end(),
                             [&](size_t j) { return mine[i]->IsSameItem(*theirs[j], true); });
      if (it == onlyTheirs.end()) {
        restMine.push_back(i);
        continue;
      }
      pairs.emplace_back(i, *it);
      onlyTheirs.erase(it);
    }
    onlyMine = std::move(restMine);
  }

  // Ids that are unique on both sides: controls whose text changed.
  if (!onlyMine.empty() && !onlyTheirs.empty()) {
    constexpr size_t kAmbiguous = static_cast<size_t>(-1);
    auto byId = [](const Items& items, const std::vector<size_t>& indexes) {
      std::map<DWORD, size_t> map;
      for (size_t i : indexes) {
        auto [it, inserted] = map.emplace(items[i]->m_id, i);
        if (!inserted) it->second = kAmbiguous;
      }
      return map;
    };
    std::map<DWORD, size_t> a = byId(mine, onlyMine), b = byId(theirs, onlyTheirs);
    for (const auto& [id, i] : a) {
      auto it = b.find(id);
      if (i == kAmbiguous || it == b.end() || it->second == kAmbiguous) continue;
      pairs.emplace_back(i, it->second);
    }
  }
  return pairs;
}

// Language nodes of a font chain that this one lacks, with all their values.
void TakeMissingFonts(CLocalizedFontReference& mine, const CLocalizedFontReference& theirs) {
  for (const CLocalizedParam* n = &theirs; n; n = n->GetNext()) {
    if (n->m_language == kNoLanguage || !n->IsKindOf(RUNTIME_CLASS(CLocalizedFontReference))) continue;
    if (mine.FindValue(n->m_language)) continue;
    const auto& f = static_cast<const CLocalizedFontReference&>(*n);
    mine.SetFont(f.m_language, f.m_text, f.m_pointSize, f.m_weight, f.m_italic, f.m_charSet);
  }
}

// Import of a translated file: a point's language node is added only when the value differs
// from this chain's source value.
void TakeDifferingPoints(CLocalizedPoint& mine, const CLocalizedPoint& theirs) {
  for (const CLocalizedParam* n = &theirs; n; n = n->GetNext()) {
    if (!n->IsKindOf(RUNTIME_CLASS(CLocalizedPoint)) || mine.FindValue(n->m_language)) continue;
    const auto& p = static_cast<const CLocalizedPoint&>(*n);
    if (p.m_x == mine.m_x && p.m_y == mine.m_y) continue;
    mine.SetPoint(p.m_language, p.m_x, p.m_y);
  }
}

// A translated coordinate moved by the source's shift. Stored positions may hold any 32-bit
// value, so the sum is taken wide and saturates rather than wrapping round.
int Shifted(int value, long long shift) {
  return static_cast<int>(std::clamp<long long>(value + shift, INT_MIN, INT_MAX));
}

void TakeMissingTexts(CLocalizedString& mine, const CLocalizedString& theirs) {
  for (const CLocalizedParam* n = &theirs; n; n = n->GetNext()) {
    if (!n->IsKindOf(RUNTIME_CLASS(CLocalizedString)) || mine.FindValue(n->m_language)) continue;
    mine.SetTranslation(static_cast<const CLocalizedString&>(*n).m_text, n->m_language);
  }
}

}  // namespace

void CResDialog::Merge(const CResource& otherResource, bool copyProperties, bool importMode) {
  MergeResourceLevel(otherResource, copyProperties, importMode);
  const auto* other = dynamic_cast<const CResDialog*>(&otherResource);
  if (!other) return;

  if (copyProperties || importMode) {
    m_caption.MergeFrom(other->m_caption, copyProperties, importMode);
    m_size.MergeFrom(other->m_size, copyProperties, importMode);
    TakeMissingFonts(m_font, other->m_font);
    for (const auto& [i, j] : MatchControls(m_items, other->m_items)) {
      CResDialogItem& mine = *m_items[i];
      const CResDialogItem& theirs = *other->m_items[j];
      const long long dx = static_cast<long long>(mine.m_pos.m_x) - theirs.m_pos.m_x;
      const long long dy = static_cast<long long>(mine.m_pos.m_y) - theirs.m_pos.m_y;
      mine.m_text.MergeFrom(theirs.m_text, copyProperties, importMode);
      mine.m_size.MergeFrom(theirs.m_size, copyProperties, importMode);
      mine.m_pos.MergeFrom(theirs.m_pos, copyProperties, importMode);
      // A control moved in the source keeps its translated offsets from the source position.
      // Only positions that came from the other version were relative to its source.
      if (dx != 0 || dy != 0) {
        for (CLocalizedParam* n = mine.m_pos.GetNext(); n; n = n->GetNext()) {
          if (!n->IsKindOf(RUNTIME_CLASS(CLocalizedPoint))) continue;
          const CLocalizedParam* from = theirs.m_pos.GetNext();
          while (from && from->m_language != n->m_language) from = from->GetNext();
          if (!from) continue;
          auto* p = static_cast<CLocalizedPoint*>(n);
          p->m_x = Shifted(p->m_x, dx);
          p->m_y = Shifted(p->m_y, dy);
        }
      }
    }
  } else {
    // other was read from a translated file: its source values carry the target language.
    m_caption.MergeFrom(other->m_caption, false, false);
    TakeDifferingPoints(m_size, other->m_size);
    TakeMissingFonts(m_font, other->m_font);
    for (size_t j = 0; j < other->m_items.size(); ++j) {
      const CResDialogItem& theirs = *other->m_items[j];
      size_t k = 0;
      for (size_t e = 0; e < j; ++e)
        if (other->m_items[e]->m_id == theirs.m_id) ++k;
      CResDialogItem* mine = nullptr;
      for (const auto& item : m_items) {
        if (item->m_id != theirs.m_id) continue;
        if (k == 0) {
          mine = item.get();
          break;
        }
        --k;
      }
      if (!mine) continue;
      TakeMissingTexts(mine->m_text, theirs.m_text);
      TakeDifferingPoints(mine->m_size, theirs.m_size);
      TakeDifferingPoints(mine->m_pos, theirs.m_pos);
    }
  }
  MergeDlgInit(*other, copyProperties, importMode);
}
