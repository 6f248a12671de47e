#include "tm/Tmx.h"

#include <libxml/tree.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <set>

#include "checks/TextRules.h"
#include "platform/Text.h"
#include "project/XmlParse.h"

namespace {

using tvl::FromUtf8;
using tvl::ToUtf8;

void Escape(std::string& out, const std::string& text, bool attribute) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += attribute ? "&quot;" : "\""; break;
      case '\r': out += "&#xD;"; break;  // a parser would turn CR LF into LF
      case '\t':
      case '\n': out += c; break;
      default:
        // XML 1.0 cannot hold the other control characters.
        if (static_cast<unsigned char>(c) >= 0x20) out += c;
    }
  }
}

std::string TmxTime(std::int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (!gmtime_r(&t, &tm)) return "19700101T000000Z";
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &tm);
  return buffer;
}

std::int64_t ParseTmxTime(const std::string& text) {
  std::tm tm{};
  if (text.size() < 15 || std::sscanf(text.c_str(), "%4d%2d%2dT%2d%2d%2d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                                      &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6)
    return 0;
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  return static_cast<std::int64_t>(timegm(&tm));
}

const char* Name(const xmlNode* n) { return reinterpret_cast<const char*>(n->name); }

bool IsElement(const xmlNode* n, const char* name) { return n->type == XML_ELEMENT_NODE && std::string(Name(n)) == name; }

std::string Attribute(const xmlNode* n, const char* name, const xmlChar* ns = nullptr) {
  xmlChar* v = ns ? xmlGetNsProp(n, reinterpret_cast<const xmlChar*>(name), ns)
                  : xmlGetNoNsProp(n, reinterpret_cast<const xmlChar*>(name));
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

std::string Content(const xmlNode* n) {
  xmlChar* v = xmlNodeGetContent(n);
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

// A variant's language: xml:lang in 1.4, lang in older files.
std::string Language(const xmlNode* tuv) {
  std::string lang = Attribute(tuv, "lang", XML_XML_NAMESPACE);
  return lang.empty() ? Attribute(tuv, "lang") : lang;
}

std::u16string SegmentText(const xmlNode* node) {
  std::u16string text;
  for (const xmlNode* n = node->children; n; n = n->next) {
    if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
      if (n->content) text += FromUtf8(reinterpret_cast<const char*>(n->content));
    } else if (IsElement(n, "hi")) {
      text += SegmentText(n);
    } else if (IsElement(n, "ph")) {
      // A placeholder written as native code ("%s" in a <ph>) is part of the sentence.
      std::u16string code = FromUtf8(Content(n));
      std::vector<CPlaceholder> p = ExtractPlaceholders(code);
      if (p.size() == 1 && p[0].text == code) text += code;
    }
  }
  return text;
}

struct CVariant {
  std::string language;
  std::u16string text;
};

void ReadUnit(const xmlNode* tu, const std::string& headerSource, std::vector<CTmSegment>& segments) {
  std::string source = Attribute(tu, "srclang");
  if (source.empty()) source = headerSource;
  std::string date = Attribute(tu, "changedate");
  if (date.empty()) date = Attribute(tu, "creationdate");
  CTmSegment base;
  base.m_time = ParseTmxTime(date);
  std::vector<CVariant> variants;
  for (const xmlNode* c = tu->children; c; c = c->next) {
    if (IsElement(c, "prop")) {
      std::string type = Attribute(c, "type");
      if (type == "x-module") base.m_module = Content(c);
      if (type == "x-resource") base.m_resource = Content(c);
      if (type == "x-element") base.m_element = Content(c);
    } else if (IsElement(c, "tuv")) {
      // Without a date of the unit, the latest of its variants'.
      std::string when = Attribute(c, "changedate");
      if (date.empty()) base.m_time = std::max(base.m_time, ParseTmxTime(when.empty() ? Attribute(c, "creationdate") : when));
      for (const xmlNode* s = c->children; s; s = s->next)
        if (IsElement(s, "seg")) variants.push_back({Language(c), SegmentText(s)});
    }
  }
  if (variants.size() < 2) return;
  // The unit's source variant: its exact tag, else its language, else ("*all*") the first.
  size_t from = 0;
  bool found = false;
  for (int pass = 0; pass < 2 && !found; ++pass)
    for (size_t i = 0; i < variants.size() && !found; ++i)
      if (pass == 0 ? tvl::CompareNoCase(FromUtf8(variants[i].language), FromUtf8(source)) == 0
                    : tvl::PrimaryLanguage(variants[i].language) == tvl::PrimaryLanguage(source)) {
        from = i;
        found = true;
      }
  for (size_t i = 0; i < variants.size(); ++i) {
    if (i == from || variants[i].text.empty() || variants[from].text.empty()) continue;
    CTmSegment s = base;
    s.m_sourceLanguage = variants[from].language;
    s.m_source = variants[from].text;
    s.m_targetLanguage = variants[i].language;
    s.m_target = variants[i].text;
    segments.push_back(std::move(s));
  }
}

}  // namespace

namespace tvl {

std::string WriteTmx(const std::vector<CTmSegment>& segments) {
  std::set<std::string> sources;
  for (const CTmSegment& s : segments) sources.insert(s.m_sourceLanguage);
  std::string srclang = sources.size() == 1 ? *sources.begin() : "*all*";
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tmx version=\"1.4\">\n";
  out += "  <header creationtool=\"Tessalingvora\" creationtoolversion=\"" TVL_VERSION
         "\" segtype=\"sentence\" o-tmf=\"tessalingvora\" adminlang=\"en-US\" srclang=\"";
  Escape(out, srclang, true);
  out += "\" datatype=\"plaintext\"/>\n  <body>\n";
  auto prop = [&](const char* type, const std::string& value) {
    if (value.empty()) return;
    out += std::string("      <prop type=\"") + type + "\">";
    Escape(out, value, false);
    out += "</prop>\n";
  };
  auto variant = [&](const std::string& language, const std::u16string& text) {
    out += "      <tuv xml:lang=\"";
    Escape(out, language, true);
    out += "\"><seg>";
    Escape(out, ToUtf8(text), false);
    out += "</seg></tuv>\n";
  };
  for (const CTmSegment& s : segments) {
    out += "    <tu srclang=\"";
    Escape(out, s.m_sourceLanguage, true);
    out += "\" creationdate=\"" + TmxTime(s.m_time) + "\">\n";
    prop("x-module", s.m_module);
    prop("x-resource", s.m_resource);
    prop("x-element", s.m_element);
    variant(s.m_sourceLanguage, s.m_source);
    variant(s.m_targetLanguage, s.m_target);
    out += "    </tu>\n";
  }
  out += "  </body>\n</tmx>\n";
  return out;
}

bool ReadTmx(const std::string& bytes, std::vector<CTmSegment>& segments, std::string& error) {
  XmlDocPtr xml = ParseXliff(bytes, error);
  if (!xml) return false;
  const xmlNode* root = xmlDocGetRootElement(xml.get());
  if (!root || !IsElement(root, "tmx")) {
    error = "not a TMX file: the root element is not <tmx>";
    return false;
  }
  std::string headerSource;
  std::vector<CTmSegment> read;
  bool body = false;
  for (const xmlNode* n = root->children; n; n = n->next) {
    if (IsElement(n, "header")) headerSource = Attribute(n, "srclang");
    if (!IsElement(n, "body")) continue;
    body = true;
    for (const xmlNode* tu = n->children; tu; tu = tu->next)
      if (IsElement(tu, "tu")) ReadUnit(tu, headerSource, read);
  }
  if (!body) {
    error = "not a TMX file: it has no <body>";
    return false;
  }
  segments = std::move(read);
  return true;
}

}  // namespace tvl
