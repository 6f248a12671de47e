#include "tm/TmText.h"

#include <algorithm>
#include <map>
#include <set>

#include <unicode/uchar.h>

#include "checks/TextRules.h"

namespace {

// Stand-ins for placeholders in keys and tokens: printf-style ones by their order alone,
// positional ones by the rank of their number, so "%1 of %2" and "{0} of {1}" meet while
// "%2 of %1" says something else.
constexpr char16_t kPlainMark = u'\uFFFC';
constexpr char16_t kPositionalMark = u'\uE000';

bool IsWordChar(char16_t c) { return u_isalnum(c) || u_getCombiningClass(c) != 0 || c == u'_'; }

// Escapes ("%%", "%n", "%0") are text, not inserts.
bool IsEscape(const CPlaceholder& p) { return p.text.size() == 2 && !p.positional && std::u16string_view(u"%0.!trbn").find(p.text[1]) != std::u16string_view::npos; }

int PositionalNumber(const std::u16string& text) {
  // Inserts number far below this; a longer run of digits in a file must not overflow.
  constexpr int kLargest = 1000000;
  int n = 0;
  for (size_t i = 1; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    n = std::min(n * 10 + (text[i] - u'0'), kLargest);
  return n;
}

std::u16string Fold(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = static_cast<char16_t>(u_foldCase(c, U_FOLD_CASE_DEFAULT));
  return out;
}

double InsertCost(const CTmToken& t) { return t.kind == ETmTokenKind::kPunctuation ? 0.5 : 1.0; }

double SubstituteCost(const CTmToken& a, const CTmToken& b) {
  if (a.text == b.text && a.kind == b.kind) return 0;
  if (a.kind == ETmTokenKind::kWord && b.kind == ETmTokenKind::kWord && a.folded == b.folded) return 0.25;
  if (a.kind == ETmTokenKind::kPunctuation && b.kind == ETmTokenKind::kPunctuation) return 0.5;
  return std::max(InsertCost(a), InsertCost(b));
}

// The edit distance table over the tokens: d[i][j] for a's first i and b's first j.
std::vector<std::vector<double>> DistanceTable(const std::vector<CTmToken>& a, const std::vector<CTmToken>& b) {
  std::vector<std::vector<double>> d(a.size() + 1, std::vector<double>(b.size() + 1, 0));
  for (size_t i = 1; i <= a.size(); ++i) d[i][0] = d[i - 1][0] + InsertCost(a[i - 1]);
  for (size_t j = 1; j <= b.size(); ++j) d[0][j] = d[0][j - 1] + InsertCost(b[j - 1]);
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j)
      d[i][j] = std::min({d[i - 1][j] + InsertCost(a[i - 1]), d[i][j - 1] + InsertCost(b[j - 1]),
                          d[i - 1][j - 1] + SubstituteCost(a[i - 1], b[j - 1])});
  return d;
}

// The same distance with two rows only: a lookup computes it for every candidate.
double Distance(const std::vector<CTmToken>& a, const std::vector<CTmToken>& b) {
  std::vector<double> previous(b.size() + 1, 0), current(b.size() + 1, 0);
  for (size_t j = 1; j <= b.size(); ++j) previous[j] = previous[j - 1] + InsertCost(b[j - 1]);
  for (size_t i = 1; i <= a.size(); ++i) {
    current[0] = previous[0] + InsertCost(a[i - 1]);
    for (size_t j = 1; j <= b.size(); ++j)
      current[j] = std::min({previous[j] + InsertCost(a[i - 1]), current[j - 1] + InsertCost(b[j - 1]),
                             previous[j - 1] + SubstituteCost(a[i - 1], b[j - 1])});
    std::swap(previous, current);
  }
  return previous[b.size()];
}

double Weight(const std::vector<CTmToken>& tokens) {
  double w = 0;
  for (const CTmToken& t : tokens) w += InsertCost(t);
  return w;
}

// Removes single '&' marks, keeping "&&".
std::u16string StripMnemonic(std::u16string_view s) {
  std::u16string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&' && i + 1 < s.size() && s[i + 1] == u'&') {
      out += u"&&";
      ++i;
    } else if (s[i] != u'&' || i + 1 >= s.size() || s[i + 1] == u' ') {
      out += s[i];
    }
  }
  return out;
}

// Marks the first letter outside placeholders as the mnemonic.
std::u16string AddMnemonic(const std::u16string& s) {
  std::vector<CPlaceholder> inserts = ExtractPlaceholders(s);
  size_t p = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    while (p < inserts.size() && inserts[p].offset + inserts[p].text.size() <= i) ++p;
    bool inside = p < inserts.size() && inserts[p].offset <= i;
    if (!inside && u_isalpha(s[i])) return s.substr(0, i) + u"&" + s.substr(i);
  }
  return s;
}

// The translation's placeholders replaced by the new source's at the same place in the source.
std::u16string SwapPlaceholders(const CTmText& oldSource, const std::u16string& body, const CTmText& newSource) {
  if (oldSource.placeholders.size() != newSource.placeholders.size() || oldSource.placeholders == newSource.placeholders)
    return body;
  std::map<std::u16string, int> seen;
  std::u16string out;
  size_t at = 0;
  for (const CPlaceholder& p : ExtractPlaceholders(body)) {
    if (IsEscape(p)) continue;
    int occurrence = seen[p.text]++;
    // The n-th occurrence of a placeholder in the translation is its n-th in the source.
    size_t index = 0;
    for (int found = -1; index < oldSource.placeholders.size(); ++index)
      if (oldSource.placeholders[index] == p.text && ++found == occurrence) break;
    if (index >= oldSource.placeholders.size()) continue;
    out += body.substr(at, p.offset - at);
    out += newSource.placeholders[index];
    at = p.offset + p.text.size();
  }
  return out + body.substr(at);
}

}  // namespace

std::u16string CTmText::IndexWords() const {
  std::u16string out;
  for (const CTmToken& t : tokens) {
    if (t.kind != ETmTokenKind::kWord) continue;
    if (!out.empty()) out += u' ';
    out += t.folded;
  }
  return out;
}

size_t CTmText::WordCount() const {
  return static_cast<size_t>(std::count_if(tokens.begin(), tokens.end(), [](const CTmToken& t) { return t.kind == ETmTokenKind::kWord; }));
}

namespace tvl {

CTmText AnalyseTmText(std::u16string_view text) {
  CTmText r;
  std::u16string_view body = text;
  if (size_t tab = text.find(u'\t'); tab != std::u16string_view::npos) {
    body = text.substr(0, tab);
    r.hasShortcut = true;
    r.shortcut = std::u16string(text.substr(tab + 1));
  }
  std::vector<CPlaceholder> inserts = ExtractPlaceholders(body);
  std::set<int> numbers;
  for (const CPlaceholder& p : inserts)
    if (p.positional) numbers.insert(PositionalNumber(p.text));
  size_t next = 0;
  CTmToken* word = nullptr;  // the word being read
  for (size_t i = 0; i < body.size();) {
    char16_t c = body[i];
    if (next < inserts.size() && inserts[next].offset == i) {
      const CPlaceholder& p = inserts[next++];
      word = nullptr;
      if (IsEscape(p)) {
        r.tokens.push_back({p.text, ETmTokenKind::kPunctuation, i, i + p.text.size(), {}});
        r.key += p.text;
      } else {
        char16_t mark = kPlainMark;
        if (p.positional)
          mark = static_cast<char16_t>(kPositionalMark + std::distance(numbers.begin(), numbers.find(PositionalNumber(p.text))));
        r.tokens.push_back({std::u16string(1, mark), ETmTokenKind::kPlaceholder, i, i + p.text.size(), {}});
        r.placeholders.push_back(p.text);
        r.key += mark;
      }
      i += p.text.size();
      continue;
    }
    if (c == u'&' && i + 1 < body.size() && body[i + 1] != u' ' && body[i + 1] != u'&') {
      r.mnemonic = true;  // a word goes on across its mark
      ++i;
      continue;
    }
    if (c == u'\r' && i + 1 < body.size() && body[i + 1] == u'\n') {
      ++i;
      continue;
    }
    size_t width = c == u'&' && i + 1 < body.size() && body[i + 1] == u'&' ? 2 : 1;
    if (IsWordChar(c)) {
      if (!word) {
        r.tokens.push_back({{}, ETmTokenKind::kWord, i, i, {}});
        word = &r.tokens.back();
      }
      word->text += c;
      word->end = i + 1;
    } else {
      word = nullptr;
      if (!u_isUWhiteSpace(c)) r.tokens.push_back({std::u16string(1, c), ETmTokenKind::kPunctuation, i, i + width, {}});
    }
    r.key += c;
    i += width;
  }
  for (CTmToken& t : r.tokens)
    if (t.kind == ETmTokenKind::kWord) t.folded = Fold(t.text);
  return r;
}

int MatchPercent(const CTmText& a, const CTmText& b) {
  if (a.key == b.key) return 100;
  double weight = std::max(Weight(a.tokens), Weight(b.tokens));
  if (weight <= 0) return 0;
  double distance = Distance(a.tokens, b.tokens);
  int percent = static_cast<int>(100.0 * (1.0 - distance / weight) + 1e-9);
  return std::clamp(percent, 0, 99);  // only equal keys are a full match
}

std::vector<std::pair<size_t, size_t>> DifferingSpans(const CTmText& shown, const CTmText& other) {
  const auto& a = shown.tokens;
  const auto& b = other.tokens;
  auto d = DistanceTable(a, b);
  std::vector<std::pair<size_t, size_t>> spans;
  size_t i = a.size(), j = b.size();
  while (i > 0) {
    double here = d[i][j];
    if (j > 0 && here == d[i - 1][j - 1] + SubstituteCost(a[i - 1], b[j - 1])) {
      if (SubstituteCost(a[i - 1], b[j - 1]) > 0) spans.emplace_back(a[i - 1].begin, a[i - 1].end);
      --i;
      --j;
    } else if (here == d[i - 1][j] + InsertCost(a[i - 1])) {
      spans.emplace_back(a[i - 1].begin, a[i - 1].end);
      --i;
    } else {
      --j;
    }
  }
  std::reverse(spans.begin(), spans.end());
  return spans;
}

std::u16string AdaptTranslation(const CTmText& oldSource, std::u16string_view translation, const CTmText& newSource) {
  std::u16string body(translation), shortcut;
  bool hasShortcut = false;
  if (size_t tab = body.find(u'\t'); tab != std::u16string::npos) {
    shortcut = body.substr(tab + 1);
    body.resize(tab);
    hasShortcut = true;
  }
  body = SwapPlaceholders(oldSource, body, newSource);
  if (!newSource.mnemonic)
    body = StripMnemonic(body);
  else if (!AnalyseTmText(body).mnemonic)
    body = AddMnemonic(body);
  if (!newSource.hasShortcut) return body;
  // A shortcut the translator localised stays while the source's is the same.
  if (!hasShortcut || !oldSource.hasShortcut || oldSource.shortcut != newSource.shortcut) shortcut = newSource.shortcut;
  return body + u"\t" + shortcut;
}

}  // namespace tvl
