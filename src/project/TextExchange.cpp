#include "project/TextExchange.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlwriter.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unordered_map>

#include "formats/layout/ResDialog.h"
#include "formats/text/PromptAndTips.h"
#include "formats/text/ResVersion.h"
#include "languages/Language.h"
#include "platform/LocaleTable.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"
#include "project/XmlParse.h"
#include "resmodel/CompileContext.h"

namespace tvl {
namespace {

constexpr const char* kXliffNamespace = "urn:oasis:names:tc:xliff:document:1.2";
// Converters still write 1.1, whose units read the same.
constexpr const char* kXliff11Namespace = "urn:oasis:names:tc:xliff:document:1.1";
constexpr const char* kToolId = "tvl";
constexpr const char* kToolName = "Tessalingvora";

std::string LanguageTag(LANGID language) {
  const LocaleInfo* info = FindLocale(language);
  return info && *info->tag ? info->tag : "und";
}

// Characters XML 1.0 cannot hold, written as placeholders.
bool NeedsPlaceholder(char16_t c) {
  return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF ||
         (c >= 0xD800 && c <= 0xDFFF);
}

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

// XLIFF 1.2 writes such a character as a placeholder with its code, XLIFF 2 as a code point
// element (placeholder < 0).
void WriteXmlText(xmlTextWriterPtr w, const std::u16string& text, int& placeholder) {
  std::u16string run;
  auto flush = [&] {
    if (!run.empty()) xmlTextWriterWriteString(w, X(ToUtf8(run).c_str()));
    run.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    // A well-formed surrogate pair is ordinary text.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      run += c;
      run += text[++i];
      continue;
    }
    if (!NeedsPlaceholder(c)) {
      run += c;
      continue;
    }
    flush();
    char ctype[16];
    if (placeholder < 0) {
      std::snprintf(ctype, sizeof ctype, "%04X", static_cast<unsigned>(c));
      xmlTextWriterStartElement(w, X("cp"));
      xmlTextWriterWriteAttribute(w, X("hex"), X(ctype));
      xmlTextWriterEndElement(w);
      continue;
    }
    std::snprintf(ctype, sizeof ctype, "x-char-%04X", static_cast<unsigned>(c));
    xmlTextWriterStartElement(w, X("x"));
    xmlTextWriterWriteAttribute(w, X("id"), X(("c" + std::to_string(++placeholder)).c_str()));
    xmlTextWriterWriteAttribute(w, X("ctype"), X(ctype));
    xmlTextWriterEndElement(w);
  }
  flush();
}

std::u16string XmlText(const xmlNode* node) {
  std::u16string text;
  for (const xmlNode* n = node->children; n; n = n->next) {
    if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
      if (n->content) text += FromUtf8(reinterpret_cast<const char*>(n->content));
    } else if (n->type == XML_ELEMENT_NODE) {
      std::string name = reinterpret_cast<const char*>(n->name);
      if (name == "cp") {
        xmlChar* hex = xmlGetProp(n, X("hex"));
        std::string h = hex ? reinterpret_cast<const char*>(hex) : "";
        xmlFree(hex);
        size_t used = 0;
        unsigned long v = 0;
        try {
          v = std::stoul(h, &used, 16);
        } catch (...) {
        }
        if (used && used == h.size() && v <= 0xFFFF) text += static_cast<char16_t>(v);
      } else if (name == "x") {
        xmlChar* ctype = xmlGetProp(n, X("ctype"));
        std::string c = ctype ? reinterpret_cast<const char*>(ctype) : "";
        xmlFree(ctype);
        if (c.rfind("x-char-", 0) == 0 && c.size() > 7) {
          try {
            size_t used = 0;
            unsigned long v = std::stoul(c.substr(7), &used, 16);
            if (used == c.size() - 7 && v <= 0xFFFF) text += static_cast<char16_t>(v);
          } catch (...) {
          }
        }
      } else {
        text += XmlText(n);  // g, mrk and the like: their content
      }
    }
  }
  return text;
}

std::string Attribute(const xmlNode* node, const char* name, bool* present = nullptr) {
  xmlChar* v = xmlGetProp(node, X(name));
  if (present) *present = v != nullptr;
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

bool IsElement(const xmlNode* n, const char* name) {
  return n->type == XML_ELEMENT_NODE && std::string(reinterpret_cast<const char*>(n->name)) == name;
}

// PO references end at white space, and converters escape more: an id is written with its
// blanks and percent signs escaped, and read back with every escape undone.
std::string PercentEncode(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '%' || c <= ' ' || c == 0x7F) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string PercentDecode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// Where a converted file keeps the unit's id when the converter numbered the units anew:
// the source file of its location context, as PO references write it.
std::string LocationId(const xmlNode* unit) {
  for (const xmlNode* g = unit->children; g; g = g->next) {
    if (!IsElement(g, "context-group") || Attribute(g, "purpose") != "location") continue;
    for (const xmlNode* c = g->children; c; c = c->next)
      if (IsElement(c, "context") && Attribute(c, "context-type") == "sourcefile")
        return PercentDecode(ToUtf8(XmlText(c)));
  }
  return "";
}

bool ReadUnits(const xmlNode* parent, ImportFile& file, std::string& error) {
  for (const xmlNode* n = parent->children; n; n = n->next) {
    if (IsElement(n, "group")) {
      if (!ReadUnits(n, file, error)) return false;
      continue;
    }
    if (!IsElement(n, "trans-unit") || Attribute(n, "restype") == "x-gettext-domain-header") continue;
    bool hasId = false;
    std::string id = Attribute(n, "id", &hasId);
    if (!hasId || id.empty()) {
      error = "line " + std::to_string(xmlGetLineNo(n)) + ": a trans-unit without an id";
      return false;
    }
    // Ids of ours always hold a slash; a converter's numbers do not.
    if (std::string located = LocationId(n); !located.empty() && id.find('/') == std::string::npos) id = located;
    const xmlNode* source = nullptr;
    const xmlNode* target = nullptr;
    for (const xmlNode* c = n->children; c; c = c->next) {
      if (IsElement(c, "source") && !source) source = c;
      if (IsElement(c, "target") && !target) target = c;
    }
    if (!source) {
      error = "line " + std::to_string(xmlGetLineNo(n)) + ": trans-unit " + id + " has no source";
      return false;
    }
    if (!target) continue;
    ImportEntry e;
    e.m_id = id;
    e.m_source = XmlText(source);
    e.m_translation = XmlText(target);
    if (e.m_translation.empty()) continue;  // tools leave empty targets for untranslated units
    bool hasState = false;
    const std::string state = Attribute(target, "state", &hasState);
    // Without a state, a unit not approved is one to review.
    e.m_fuzzy = state.rfind("needs-", 0) == 0 || state == "new" || (!hasState && Attribute(n, "approved") == "no");
    e.m_final = state == "final" || state == "signed-off";
    e.m_doNotTranslate = Attribute(n, "translate") == "no";
    file.m_entries.push_back(std::move(e));
  }
  return true;
}

// PO strings: C escapes, one line per text line.
std::string PoQuote(const std::string& s) {
  std::string r = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': r += "\\\""; break;
      case '\\': r += "\\\\"; break;
      case '\n': r += "\\n"; break;
      case '\t': r += "\\t"; break;
      case '\r': r += "\\r"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\%03o", c);
          r += buf;
        } else {
          r += static_cast<char>(c);
        }
    }
  }
  return r + "\"";
}

void PoField(std::ostringstream& out, const char* keyword, const std::u16string& text) {
  std::string s = ToUtf8(text);
  size_t nl = s.find('\n');
  if (nl == std::string::npos || nl + 1 == s.size()) {
    out << keyword << ' ' << PoQuote(s) << '\n';
    return;
  }
  out << keyword << " \"\"\n";
  size_t start = 0;
  while (start < s.size()) {
    size_t end = s.find('\n', start);
    end = end == std::string::npos ? s.size() : end + 1;
    out << PoQuote(s.substr(start, end - start)) << '\n';
    start = end;
  }
}

// One quoted string at pos; pos ends past its closing quote.
bool PoUnquoteOne(const std::string& line, size_t& pos, std::string& out, std::string& error) {
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  if (pos >= line.size() || line[pos] != '"') {
    error = "a quoted string was expected";
    return false;
  }
  ++pos;
  while (pos < line.size() && line[pos] != '"') {
    char c = line[pos++];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (pos >= line.size()) break;
    char e = line[pos++];
    switch (e) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'a': out += '\a'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'v': out += '\v'; break;
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case '\'': out += '\''; break;
      case '?': out += '?'; break;
      case 'x': {
        int v = 0, n = 0;
        while (pos < line.size() && n < 2 && std::isxdigit(static_cast<unsigned char>(line[pos]))) {
          v = v * 16 + std::stoi(std::string(1, line[pos++]), nullptr, 16);
          ++n;
        }
        if (n == 0) {
          error = "a \\x escape without digits";
          return false;
        }
        out += static_cast<char>(v);
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          int v = e - '0', n = 1;
          while (pos < line.size() && n < 3 && line[pos] >= '0' && line[pos] <= '7') {
            v = v * 8 + (line[pos++] - '0');
            ++n;
          }
          out += static_cast<char>(v);
        } else {
          error = std::string("an unknown escape \\") + e;
          return false;
        }
    }
  }
  if (pos >= line.size()) {
    error = "a string without its closing quote";
    return false;
  }
  ++pos;
  return true;
}

bool PoUnquote(const std::string& line, size_t pos, std::string& out, std::string& error) {
  // Several strings may share a line; they join like the lines that follow. A loop, so a
  // line of many strings costs no stack.
  for (;;) {
    if (!PoUnquoteOne(line, pos, out, error)) return false;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r')) ++pos;
    if (pos == line.size()) return true;
    if (line[pos] != '"') break;
  }
  error = "text after the closing quote";
  return false;
}

std::string HeaderField(const std::string& header, const std::string& name) {
  std::istringstream in(header);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() > name.size() && CompareNoCase(FromUtf8(line.substr(0, name.size())), FromUtf8(name)) == 0 &&
        line[name.size()] == ':') {
      std::string v = line.substr(name.size() + 1);
      return ToUtf8(Trim(FromUtf8(v)));
    }
  }
  return "";
}

}  // namespace

std::vector<std::string> UnitNotes(const ExchangeUnit& unit) {
  std::vector<std::string> notes;
  if (!unit.m_restype.empty()) notes.push_back(unit.m_restype);
  if (!unit.m_context.empty()) {
    const char* where = unit.m_groupType == "dialog" ? "dialog: " : unit.m_groupType == "menu" ? "menu: " : "";
    std::string context = ToUtf8(unit.m_context);
    // One hint a line: a caption's line break would start a new comment in PO.
    for (char& c : context)
      if (c == '\n' || c == '\r') c = ' ';
    notes.push_back(where + context);
  }
  if (unit.m_coord) notes.push_back("width limit: " + std::to_string((*unit.m_coord)[2]) + " dialog units");
  if (unit.m_doNotTranslate) notes.push_back("do not translate");
  return notes;
}

namespace {

void WriteAttribute(xmlTextWriterPtr w, const char* name, const std::string& value) {
  xmlTextWriterWriteAttribute(w, X(name), X(value.c_str()));
}

void WriteTextElement(xmlTextWriterPtr w, const char* name, const std::u16string& text, int& placeholder) {
  xmlTextWriterStartElement(w, X(name));
  WriteXmlText(w, text, placeholder);
  xmlTextWriterEndElement(w);
}

// Line breaks and indentation between elements, never inside a unit: the writer's own
// indentation would put blanks between a unit's elements.
void Indent(xmlTextWriterPtr w, int level) {
  xmlTextWriterWriteString(w, X(("\n" + std::string(static_cast<size_t>(level) * 2, ' ')).c_str()));
}

// One trans-unit on one line: nothing inside it but its elements.
void WriteXliffUnit(xmlTextWriterPtr w, const ExchangeUnit& u, int level) {
  int placeholder = 0;
  Indent(w, level);
  xmlTextWriterStartElement(w, X("trans-unit"));
  WriteAttribute(w, "id", u.m_id);
  if (!u.m_group.empty() && u.m_id.rfind(u.m_group + "/", 0) == 0)
    WriteAttribute(w, "resname", u.m_id.substr(u.m_group.size() + 1));
  if (!u.m_restype.empty()) WriteAttribute(w, "restype", u.m_restype);
  if (u.m_coord) {
    const auto& c = *u.m_coord;
    WriteAttribute(w, "coord", std::to_string(c[0]) + ";" + std::to_string(c[1]) + ";" + std::to_string(c[2]) + ";" +
                                   std::to_string(c[3]));
    WriteAttribute(w, "size-unit", "dlgunit");
    WriteAttribute(w, "maxwidth", std::to_string(c[2]));
  }
  if (u.m_doNotTranslate) WriteAttribute(w, "translate", "no");
  // Tools that read no state take an unapproved translation for one to review.
  if (u.m_translation && u.m_status >= 1 && !u.m_doNotTranslate) WriteAttribute(w, "approved", "yes");
  WriteAttribute(w, "xml:space", "preserve");
  WriteTextElement(w, "source", u.m_source, placeholder);
  if (!u.m_doNotTranslate) {
    xmlTextWriterStartElement(w, X("target"));
    const char* state = !u.m_translation   ? "needs-translation"
                        : u.m_status >= 2  ? "final"
                        : u.m_status == 1  ? "translated"
                                           : "needs-review-translation";
    WriteAttribute(w, "state", state);
    if (u.m_translation) WriteXmlText(w, *u.m_translation, placeholder);
    xmlTextWriterEndElement(w);
  }
  for (const std::string& note : UnitNotes(u)) WriteTextElement(w, "note", FromUtf8(note), placeholder);
  xmlTextWriterEndElement(w);
}

// Units in runs of one resource: each run in a <group> at `depth` whose attributes
// `startGroup` writes; a unit without a group stays at `depth`.
template <class StartGroup, class WriteUnit>
void WriteGroupedUnits(xmlTextWriterPtr w, const std::vector<ExchangeUnit>& units, int depth, StartGroup startGroup,
                       WriteUnit writeUnit) {
  const std::string* open = nullptr;
  for (const ExchangeUnit& u : units) {
    if (open && *open != u.m_group) {
      Indent(w, depth);
      xmlTextWriterEndElement(w);
      open = nullptr;
    }
    if (!open && !u.m_group.empty()) {
      Indent(w, depth);
      xmlTextWriterStartElement(w, X("group"));
      startGroup(u);
      open = &u.m_group;
    }
    writeUnit(u, open ? depth + 1 : depth);
  }
  if (open) {
    Indent(w, depth);
    xmlTextWriterEndElement(w);
  }
}

// The units of a module, each resource's in a group of their own.
void WriteXliffBody(xmlTextWriterPtr w, const ExchangeGroup& g) {
  Indent(w, 2);
  xmlTextWriterStartElement(w, X("body"));
  WriteGroupedUnits(
      w, g.m_units, 3,
      [&](const ExchangeUnit& u) {
        WriteAttribute(w, "id", u.m_group);
        if (!u.m_groupName.empty()) WriteAttribute(w, "resname", u.m_groupName);
        if (!u.m_groupType.empty()) WriteAttribute(w, "restype", u.m_groupType);
      },
      [&](const ExchangeUnit& u, int depth) { WriteXliffUnit(w, u, depth); });
  Indent(w, 2);
  xmlTextWriterEndElement(w);
}

}  // namespace

std::string WriteXliff(const ExchangeDocument& doc) {
  xmlBufferPtr buffer = xmlBufferCreate();
  xmlTextWriterPtr w = xmlNewTextWriterMemory(buffer, 0);
  xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr);
  xmlTextWriterStartElement(w, X("xliff"));
  xmlTextWriterWriteAttribute(w, X("version"), X("1.2"));
  xmlTextWriterWriteAttribute(w, X("xmlns"), X(kXliffNamespace));
  std::vector<ExchangeGroup> groups = doc.m_groups;
  if (groups.empty()) groups.push_back({"project", {}});  // the format needs one <file>
  for (const ExchangeGroup& g : groups) {
    Indent(w, 1);
    xmlTextWriterStartElement(w, X("file"));
    xmlTextWriterWriteAttribute(w, X("original"), X(g.m_original.c_str()));
    xmlTextWriterWriteAttribute(w, X("source-language"), X(doc.m_sourceTag.c_str()));
    xmlTextWriterWriteAttribute(w, X("target-language"), X(doc.m_targetTag.c_str()));
    xmlTextWriterWriteAttribute(w, X("datatype"), X("winres"));
    xmlTextWriterWriteAttribute(w, X("tool-id"), X(kToolId));
    Indent(w, 2);
    xmlTextWriterStartElement(w, X("header"));
    Indent(w, 3);
    xmlTextWriterStartElement(w, X("tool"));
    xmlTextWriterWriteAttribute(w, X("tool-id"), X(kToolId));
    xmlTextWriterWriteAttribute(w, X("tool-name"), X(kToolName));
    xmlTextWriterWriteAttribute(w, X("tool-version"), X(TVL_VERSION));
    xmlTextWriterEndElement(w);  // tool
    Indent(w, 2);
    xmlTextWriterEndElement(w);  // header
    WriteXliffBody(w, g);
    Indent(w, 1);
    xmlTextWriterEndElement(w);  // file
  }
  Indent(w, 0);
  xmlTextWriterEndElement(w);
  xmlTextWriterEndDocument(w);
  xmlFreeTextWriter(w);
  std::string result(reinterpret_cast<const char*>(xmlBufferContent(buffer)), static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferFree(buffer);
  return result;
}

namespace {

constexpr const char* kXliff2Namespace = "urn:oasis:names:tc:xliff:document:2.0";
constexpr const char* kMetadataNamespace = "urn:oasis:names:tc:xliff:metadata:2.0";

// Metadata module entries: XLIFF 2 has no attributes for a resource's kind and layout.
void WriteMetaGroup(xmlTextWriterPtr w, const char* category, const std::vector<std::pair<const char*, std::string>>& meta) {
  xmlTextWriterStartElement(w, X("mda:metadata"));
  xmlTextWriterStartElement(w, X("mda:metaGroup"));
  WriteAttribute(w, "category", category);
  for (const auto& [type, value] : meta) {
    xmlTextWriterStartElement(w, X("mda:meta"));
    WriteAttribute(w, "type", type);
    xmlTextWriterWriteString(w, X(value.c_str()));
    xmlTextWriterEndElement(w);
  }
  xmlTextWriterEndElement(w);
  xmlTextWriterEndElement(w);
}

// Segment states: initial (nothing yet, or out of date with its target kept), translated,
// final (edited).
void WriteXliff2Unit(xmlTextWriterPtr w, const ExchangeUnit& u, int number, int level) {
  int codePoints = -1;
  Indent(w, level);
  xmlTextWriterStartElement(w, X("unit"));
  WriteAttribute(w, "id", "u" + std::to_string(number));
  WriteAttribute(w, "name", u.m_id);
  if (!u.m_restype.empty()) WriteAttribute(w, "type", "tvl:" + u.m_restype);
  if (u.m_doNotTranslate) WriteAttribute(w, "translate", "no");
  WriteAttribute(w, "xml:space", "preserve");
  std::vector<std::pair<const char*, std::string>> meta;
  if (!u.m_group.empty() && u.m_id.rfind(u.m_group + "/", 0) == 0)
    meta.emplace_back("resname", u.m_id.substr(u.m_group.size() + 1));
  if (!u.m_restype.empty()) meta.emplace_back("restype", u.m_restype);
  if (u.m_coord) {
    const auto& c = *u.m_coord;
    meta.emplace_back("coord", std::to_string(c[0]) + ";" + std::to_string(c[1]) + ";" + std::to_string(c[2]) + ";" +
                                   std::to_string(c[3]));
    meta.emplace_back("size-unit", "dlgunit");
    meta.emplace_back("maxwidth", std::to_string(c[2]));
  }
  if (!meta.empty()) WriteMetaGroup(w, "resource", meta);
  std::vector<std::string> notes = UnitNotes(u);
  if (!notes.empty()) {
    xmlTextWriterStartElement(w, X("notes"));
    for (const std::string& note : notes) WriteTextElement(w, "note", FromUtf8(note), codePoints);
    xmlTextWriterEndElement(w);
  }
  xmlTextWriterStartElement(w, X("segment"));
  if (!u.m_doNotTranslate) {
    const bool current = u.m_translation && u.m_status >= 1;
    WriteAttribute(w, "state", !current ? "initial" : u.m_status >= 2 ? "final" : "translated");
    if (u.m_translation && !current) WriteAttribute(w, "subState", "tvl:needs-review");
  }
  WriteTextElement(w, "source", u.m_source, codePoints);
  if (u.m_translation && !u.m_doNotTranslate) WriteTextElement(w, "target", *u.m_translation, codePoints);
  xmlTextWriterEndElement(w);
  xmlTextWriterEndElement(w);
}

void WriteXliff2File(xmlTextWriterPtr w, const ExchangeGroup& g, int number) {
  Indent(w, 1);
  xmlTextWriterStartElement(w, X("file"));
  WriteAttribute(w, "id", "f" + std::to_string(number));
  WriteAttribute(w, "original", g.m_original);
  // One segment a unit: the id names the whole text.
  WriteAttribute(w, "canResegment", "no");
  Indent(w, 2);
  WriteMetaGroup(w, "tool", {{"tool-id", kToolId}, {"tool-name", kToolName}, {"tool-version", TVL_VERSION}});
  int units = 0, groups = 0;
  WriteGroupedUnits(
      w, g.m_units, 2,
      [&](const ExchangeUnit& u) {
        WriteAttribute(w, "id", "g" + std::to_string(++groups));
        if (!u.m_groupName.empty()) WriteAttribute(w, "name", u.m_groupName);
        if (!u.m_groupType.empty()) WriteAttribute(w, "type", "tvl:" + u.m_groupType);
      },
      [&](const ExchangeUnit& u, int depth) { WriteXliff2Unit(w, u, ++units, depth); });
  Indent(w, 1);
  xmlTextWriterEndElement(w);
}

}  // namespace

std::string WriteXliff2(const ExchangeDocument& doc) {
  xmlBufferPtr buffer = xmlBufferCreate();
  xmlTextWriterPtr w = xmlNewTextWriterMemory(buffer, 0);
  xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr);
  xmlTextWriterStartElement(w, X("xliff"));
  WriteAttribute(w, "xmlns", kXliff2Namespace);
  WriteAttribute(w, "xmlns:mda", kMetadataNamespace);
  WriteAttribute(w, "version", "2.1");
  WriteAttribute(w, "srcLang", doc.m_sourceTag);
  WriteAttribute(w, "trgLang", doc.m_targetTag);
  std::vector<ExchangeGroup> groups = doc.m_groups;
  if (groups.empty()) groups.push_back({"project", {}});
  // A file needs a unit; an empty project's has one with nothing in it to translate.
  if (std::all_of(groups.begin(), groups.end(), [](const ExchangeGroup& g) { return g.m_units.empty(); })) {
    ExchangeUnit none;
    none.m_id = "-";
    none.m_doNotTranslate = true;
    groups[0].m_units.push_back(none);
  }
  int number = 0;
  for (const ExchangeGroup& g : groups)
    if (!g.m_units.empty()) WriteXliff2File(w, g, ++number);
  Indent(w, 0);
  xmlTextWriterEndElement(w);
  xmlTextWriterEndDocument(w);
  xmlFreeTextWriter(w);
  std::string result(reinterpret_cast<const char*>(xmlBufferContent(buffer)), static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferFree(buffer);
  return result;
}

namespace {
std::string PoDate(std::int64_t time) {
  std::time_t t = static_cast<std::time_t>(time);
  std::tm tm{};
  if (!gmtime_r(&t, &tm)) return "1970-01-01 00:00+0000";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M+0000", &tm);
  return text;
}
}  // namespace

std::string WritePo(const ExchangeDocument& doc) {
  std::ostringstream out;
  std::string language = doc.m_template ? std::string() : doc.m_targetTag;
  for (char& c : language)
    if (c == '-') c = '_';
  // Header values are quoted like any PO string (a module name may hold a quote) and kept
  // on one line.
  auto header = [&out](const std::string& name, std::string value) {
    for (char& c : value)
      if (c == '\n' || c == '\r') c = ' ';
    out << PoQuote(name + ": " + value + "\n") << '\n';
  };
  out << "msgid \"\"\nmsgstr \"\"\n";
  header("Project-Id-Version", doc.m_groups.empty() ? std::string("project") : doc.m_groups[0].m_original);
  header("POT-Creation-Date", PoDate(doc.m_time));
  // A template's revision date is the placeholder msgmerge and msginit expect.
  header("PO-Revision-Date", doc.m_template ? "YEAR-MO-DA HO:MI+ZONE" : PoDate(doc.m_time));
  header("Last-Translator", "none");
  header("Language-Team", "none");
  header("Language", language);
  header("MIME-Version", "1.0");
  header("Content-Type", "text/plain; charset=UTF-8");
  header("Content-Transfer-Encoding", "8bit");
  header("X-Generator", std::string(kToolName) + " " + TVL_VERSION);
  header("X-Source-Language", doc.m_sourceTag);
  for (const ExchangeGroup& g : doc.m_groups) {
    for (const ExchangeUnit& u : g.m_units) {
      out << '\n';
      for (const std::string& note : UnitNotes(u)) out << "#. " << note << '\n';
      // The reference is the id: converters that drop msgctxt keep it.
      out << "#: " << PercentEncode(u.m_id) << '\n';
      bool hasTranslation = u.m_translation && !u.m_doNotTranslate && !u.m_translation->empty();
      if (hasTranslation && u.m_status == 0) out << "#, fuzzy\n";
      out << "msgctxt " << PoQuote(u.m_id) << '\n';
      PoField(out, "msgid", u.m_source);
      PoField(out, "msgstr", hasTranslation ? *u.m_translation : std::u16string());
    }
  }
  return out.str();
}

std::string WriteJson(const ExchangeDocument& doc) {
  nlohmann::ordered_json j;
  j["sourceLanguage"] = doc.m_sourceTag;
  j["language"] = doc.m_targetTag;
  nlohmann::ordered_json items = nlohmann::ordered_json::array();
  for (const ExchangeGroup& g : doc.m_groups) {
    for (const ExchangeUnit& u : g.m_units) {
      nlohmann::ordered_json item;
      item["id"] = u.m_id;
      item["source"] = ToUtf8(u.m_source);
      if (u.m_translation && !u.m_doNotTranslate)
        item["translation"] = ToUtf8(*u.m_translation);
      else
        item["translation"] = nullptr;
      item["status"] = u.m_doNotTranslate ? 2 : u.m_status;
      if (u.m_translation && u.m_status == 0 && !u.m_doNotTranslate) item["fuzzy"] = true;
      if (u.m_doNotTranslate) item["translate"] = false;
      items.push_back(std::move(item));
    }
  }
  j["items"] = std::move(items);
  return j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string WriteExchange(const ExchangeDocument& doc, ExchangeFormat format) {
  switch (format) {
    case ExchangeFormat::kXliff: return WriteXliff(doc);
    case ExchangeFormat::kXliff2: return WriteXliff2(doc);
    case ExchangeFormat::kPo: return WritePo(doc);
    case ExchangeFormat::kJson: return WriteJson(doc);
  }
  return {};
}

// What the parser met that the reader refuses: an entity declaration (the document type
// declaration's entities would be expanded, or silently dropped from the texts) or a
// reference to an entity it does not know (its text would be lost).
struct EntityGuard {
  std::string refusal;
};

void RefuseEntity(void* context, const xmlChar* name, const char* what) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
  auto* guard = static_cast<EntityGuard*>(ctxt->_private);
  if (guard->refusal.empty()) {
    const int line = ctxt->input ? ctxt->input->line : 0;
    guard->refusal = "line " + std::to_string(line) + ": " + what + " " + (name ? reinterpret_cast<const char*>(name) : "") +
                     " is refused (XLIFF files need no document type declaration)";
  }
  xmlStopParser(ctxt);  // nothing after it is parsed, so nothing is expanded
}

void OnEntityDecl(void* context, const xmlChar* name, int, const xmlChar*, const xmlChar*, xmlChar*) {
  RefuseEntity(context, name, "the entity declaration of");
}

void OnUnparsedEntityDecl(void* context, const xmlChar* name, const xmlChar*, const xmlChar*, const xmlChar*) {
  RefuseEntity(context, name, "the entity declaration of");
}

void OnReference(void* context, const xmlChar* name) { RefuseEntity(context, name, "the reference to the entity"); }

using XmlDocPtr = std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)>;

// Parses without loading anything from outside and without expanding entities: a file that
// declares or uses entities is refused, so the work stays linear in the file's size.
XmlDocPtr ParseXliff(const std::string& bytes, std::string& error) {
  XmlDocPtr none(nullptr, xmlFreeDoc);
  if (bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
    error = "the file is too large";
    return none;
  }
  std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> ctxt(
      xmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size())), xmlFreeParserCtxt);
  if (!ctxt || !ctxt->sax) {
    error = "not enough memory";
    return none;
  }
  xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  EntityGuard guard;
  ctxt->_private = &guard;
  ctxt->sax->entityDecl = OnEntityDecl;
  ctxt->sax->unparsedEntityDecl = OnUnparsedEntityDecl;
  ctxt->sax->reference = OnReference;
  xmlParseDocument(ctxt.get());
  XmlDocPtr xml(ctxt->myDoc, xmlFreeDoc);
  ctxt->myDoc = nullptr;
  if (!guard.refusal.empty()) {
    error = guard.refusal;
    return none;
  }
  if (!ctxt->wellFormed || !xml) {
    const xmlError* e = xmlCtxtGetLastError(ctxt.get());
    error = e && e->message ? "line " + std::to_string(e->line) + ": " + ToUtf8(Trim(FromUtf8(e->message)))
                            : "not a well-formed XML document";
    return none;
  }
  return xml;
}

namespace {

// A unit's text: its segments' and ignorables' in order, as one.
bool ReadXliff2Unit(const xmlNode* n, ImportFile& file, std::string& error) {
  std::string id = Attribute(n, "name");
  if (id.empty()) id = Attribute(n, "id");
  if (id.empty()) {
    error = "line " + std::to_string(xmlGetLineNo(n)) + ": a unit without a name or id";
    return false;
  }
  ImportEntry e;
  e.m_id = id;
  std::u16string source;
  bool hasTarget = false, initial = false, final = true;
  for (const xmlNode* seg = n->children; seg; seg = seg->next) {
    const bool segment = IsElement(seg, "segment");
    if (!segment && !IsElement(seg, "ignorable")) continue;
    if (segment) {
      const std::string state = Attribute(seg, "state");
      initial = initial || state.empty() || state == "initial";
      final = final && state == "final";
    }
    for (const xmlNode* c = seg->children; c; c = c->next) {
      if (IsElement(c, "source")) source += XmlText(c);
      if (IsElement(c, "target")) {
        e.m_translation += XmlText(c);
        hasTarget = true;
      }
    }
  }
  if (!hasTarget || e.m_translation.empty()) return true;
  e.m_source = source;
  e.m_fuzzy = initial;
  e.m_final = final && !initial;
  e.m_doNotTranslate = Attribute(n, "translate") == "no";
  file.m_entries.push_back(std::move(e));
  return true;
}

bool ReadXliff2Units(const xmlNode* parent, ImportFile& file, std::string& error) {
  for (const xmlNode* n = parent->children; n; n = n->next) {
    if (IsElement(n, "group") && !ReadXliff2Units(n, file, error)) return false;
    if (IsElement(n, "unit") && !ReadXliff2Unit(n, file, error)) return false;
  }
  return true;
}

}  // namespace

bool ReadXliff(const std::string& bytes, ImportFile& file, std::string& error) {
  XmlDocPtr xml = ParseXliff(bytes, error);
  if (!xml) return false;
  const xmlNode* root = xmlDocGetRootElement(xml.get());
  if (root && IsElement(root, "xliff") && root->ns &&
      std::string(reinterpret_cast<const char*>(root->ns->href)) == kXliff2Namespace) {
    file.m_targetTag = Attribute(root, "trgLang");
    for (const xmlNode* f = root->children; f; f = f->next)
      if (IsElement(f, "file") && !ReadXliff2Units(f, file, error)) return false;
    return true;
  }
  if (!root || !IsElement(root, "xliff") ||
      (root->ns && std::string(reinterpret_cast<const char*>(root->ns->href)) != kXliffNamespace &&
       std::string(reinterpret_cast<const char*>(root->ns->href)) != kXliff11Namespace)) {
    error = "not an XLIFF 1.2 document";
    return false;
  }
  for (const xmlNode* f = root->children; f; f = f->next) {
    if (!IsElement(f, "file")) continue;
    std::string tag = Attribute(f, "target-language");
    if (!tag.empty()) {
      if (!file.m_targetTag.empty() && file.m_targetTag != tag) {
        error = "the file holds more than one target language";
        return false;
      }
      file.m_targetTag = tag;
    }
    for (const xmlNode* b = f->children; b; b = b->next)
      if (IsElement(b, "body") && !ReadUnits(b, file, error)) return false;
  }
  return true;
}

namespace {
// The charset (UTF-8 only) and the language of a PO header.
bool ReadPoHeader(const std::string& header, ImportFile& file, std::string& error) {
  std::string charset = HeaderField(header, "Content-Type");
  size_t cs = charset.find("charset=");
  if (cs != std::string::npos) {
    std::u16string name = FromUtf8(charset.substr(cs + 8));
    if (CompareNoCase(name, u"UTF-8") != 0 && CompareNoCase(name, u"ASCII") != 0 &&
        CompareNoCase(name, u"CHARSET") != 0) {
      error = "only UTF-8 files can be read (the file says " + charset.substr(cs + 8) + ")";
      return false;
    }
  }
  file.m_targetTag = HeaderField(header, "Language");
  for (char& c : file.m_targetTag)
    if (c == '_') c = '-';
  return true;
}
}  // namespace

bool ReadPo(const std::string& bytes, ImportFile& file, std::string& error) {
  struct Entry {
    std::optional<std::string> ctxt, id, str;
    std::vector<std::string> references;
    bool fuzzy = false, obsolete = false;
  } cur;
  std::string* field = nullptr;
  std::string header;
  bool sawHeader = false;
  auto finish = [&]() -> bool {
    if (!cur.id && !cur.str && !cur.ctxt) {
      cur = Entry{};
      return true;
    }
    if (!cur.id || !cur.str) {
      error = "an entry without msgid or msgstr";
      return false;
    }
    if (!cur.ctxt && cur.id->empty()) {
      header = *cur.str;
      sawHeader = true;
    } else if (!cur.str->empty()) {
      ImportEntry e;
      // Converters from XLIFF keep the id as the reference and give msgctxt only to repeated texts.
      e.m_id = cur.ctxt ? *cur.ctxt : cur.references.size() == 1 ? PercentDecode(cur.references[0]) : *cur.id;
      e.m_source = FromUtf8(*cur.id);
      e.m_translation = FromUtf8(*cur.str);
      e.m_fuzzy = cur.fuzzy;
      file.m_entries.push_back(std::move(e));
    }
    cur = Entry{};
    field = nullptr;
    return true;
  };
  std::istringstream in(bytes);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(number) + ": " + what;
    return false;
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) continue;
    line = line.substr(start);
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line = line.substr(3);
    if (line[0] == '#') {
      if (cur.str && !finish()) return fail(error);
      if (line.rfind("#,", 0) == 0 && line.find("fuzzy") != std::string::npos) cur.fuzzy = true;
      if (line.rfind("#:", 0) == 0) {
        std::istringstream words(line.substr(2));
        for (std::string word; words >> word;) cur.references.push_back(word);
      }
      field = nullptr;  // obsolete entries (#~) and comments carry nothing to import
      continue;
    }
    std::string keyword = line.substr(0, line.find_first_of(" \t\""));
    std::string value;
    if (line[0] == '"') {
      if (!field) return fail("a string continues no field");
      if (!PoUnquote(line, 0, value, error)) return fail(error);
      *field += value;
      continue;
    }
    if (keyword == "msgctxt" || keyword == "msgid") {
      if ((cur.str || (keyword == "msgctxt" && (cur.ctxt || cur.id)) || (keyword == "msgid" && cur.id)) && !finish())
        return fail(error);
    } else if (keyword == "msgid_plural" || keyword.rfind("msgstr[", 0) == 0) {
      return fail("plural forms are not used by these translations");
    } else if (keyword != "msgstr") {
      return fail("unknown keyword '" + keyword + "'");
    } else if (!cur.id || cur.str) {
      return fail("msgstr without its msgid");
    }
    if (!PoUnquote(line, keyword.size(), value, error)) return fail(error);
    std::optional<std::string>& slot = keyword == "msgctxt" ? cur.ctxt : keyword == "msgid" ? cur.id : cur.str;
    slot = value;
    field = &*slot;
  }
  ++number;
  if (!finish()) return fail(error);
  return !sawHeader || ReadPoHeader(header, file, error);
}

bool ReadJson(const std::string& bytes, ImportFile& file, std::string& error) {
  nlohmann::json j;
  try {
    j = nlohmann::json::parse(bytes);
  } catch (const nlohmann::json::exception& e) {
    error = e.what();
    return false;
  }
  if (!j.is_object() || !j.contains("items") || !j["items"].is_array()) {
    error = "an object with an \"items\" array was expected";
    return false;
  }
  if (j.contains("language")) {
    if (!j["language"].is_string()) {
      error = "\"language\" must be a string";
      return false;
    }
    file.m_targetTag = j["language"].get<std::string>();
  }
  size_t index = 0;
  for (const auto& item : j["items"]) {
    std::string where = "item " + std::to_string(index++);
    if (!item.is_object() || !item.contains("id") || !item["id"].is_string()) {
      error = where + ": an object with a string \"id\" was expected";
      return false;
    }
    auto optionalType = [&](const char* key, bool (nlohmann::json::*is)() const noexcept, bool nullable) {
      if (!item.contains(key)) return true;
      const auto& v = item[key];
      return (v.*is)() || (nullable && v.is_null());
    };
    if (!optionalType("translation", &nlohmann::json::is_string, true) ||
        !optionalType("source", &nlohmann::json::is_string, true) ||
        !optionalType("fuzzy", &nlohmann::json::is_boolean, false) ||
        !optionalType("translate", &nlohmann::json::is_boolean, false)) {
      error = where + ": a field has the wrong type";
      return false;
    }
    if (!item.contains("translation") || item["translation"].is_null()) continue;
    ImportEntry e;
    e.m_id = item["id"].get<std::string>();
    e.m_translation = FromUtf8(item["translation"].get<std::string>());
    if (e.m_translation.empty()) continue;
    if (item.contains("source") && item["source"].is_string()) e.m_source = FromUtf8(item["source"].get<std::string>());
    e.m_fuzzy = item.value("fuzzy", false);
    e.m_doNotTranslate = !item.value("translate", true);
    file.m_entries.push_back(std::move(e));
  }
  return true;
}

ExchangeFormat GuessFormat(const std::string& bytes) {
  size_t i = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  while (i < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[i]))) ++i;
  if (i < bytes.size() && bytes[i] == '{') return ExchangeFormat::kJson;
  if (i < bytes.size() && bytes[i] == '<') return ExchangeFormat::kXliff;
  return ExchangeFormat::kPo;
}

bool ReadExchange(const std::string& bytes, ExchangeFormat format, ImportFile& file, std::string& error) {
  switch (format) {
    case ExchangeFormat::kXliff:
    case ExchangeFormat::kXliff2: return ReadXliff(bytes, file, error);
    case ExchangeFormat::kPo: return ReadPo(bytes, file, error);
    case ExchangeFormat::kJson: return ReadJson(bytes, file, error);
  }
  return false;
}

namespace {

// SOURCE_DATE_EPOCH when it holds a number of seconds, else now.
std::int64_t ExportTime() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(epoch, &end, 10);
    if (errno == 0 && *end == '\0' && v >= 0) return v;
  }
  return static_cast<std::int64_t>(std::time(nullptr));
}

// Measures a dialog's controls as the build writes them for a language, so the size hints
// are those of the grown controls.
class CDialogMeasures {
 public:
  CDialogMeasures(CTvlDoc& doc, LANGID language) : m_language(language) {
    CLanguage target(language);
    if (int index = doc.m_languages.Find(language); index >= 0) target = doc.m_languages[index];
    PreviewFont font = target.GetPreviewFont();
    m_data.m_language = language;
    m_data.m_fontFace = font.name;
    m_data.m_fontSize = font.size;
    m_data.m_fontWeight = 400;
    m_data.m_fontCharset = static_cast<BYTE>(target.GetCharSet());
  }
  std::array<int, 4> Rect(const CResDialog& dialog, const CResDialogItem& control) {
    if (&dialog != m_dialog) {
      m_dialog = &dialog;
      m_context = std::make_unique<CTemplateMeasuringContext>();
      m_context->Create(CTemplateMeasuringContext::BuildTemplate(dialog.m_isEx, dialog.m_style, dialog.ChooseFont(m_data)));
    }
    tvl::Rect r = control.GetItemRect(m_language, m_context.get());
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }

 private:
  LANGID m_language;
  CResourceData m_data;
  const CResDialog* m_dialog = nullptr;
  std::unique_ptr<CTemplateMeasuringContext> m_context;
};

}  // namespace

ExchangeDocument BuildExport(CTvlDoc& doc, LANGID language, bool todoOnly, bool asTemplate) {
  ExchangeDocument result;
  result.m_sourceTag = LanguageTag(doc.m_sourceLanguage.GetLanguage());
  result.m_targetTag = LanguageTag(language);
  result.m_time = ExportTime();
  result.m_template = asTemplate;
  CDialogMeasures measures(doc, language);
  for (const auto& m : doc.m_modules) {
    std::vector<CExchangeItem> items;
    CollectModuleItems(*m, items);
    ExchangeGroup g;
    g.m_original = ToUtf8(m->GetName());
    for (const CExchangeItem& item : items) {
      const CLocalizedString& value = *item.m_value;
      int status = item.m_doNotTranslate ? 2 : value.GetValueStatus(language);
      if (todoOnly && status != 0) continue;
      ExchangeUnit u;
      u.m_id = item.m_id;
      u.m_source = value.m_text;
      u.m_status = asTemplate ? 0 : status;
      u.m_doNotTranslate = item.m_doNotTranslate;
      const CLocalizedParam* node = value.FindValue(language);
      if (auto* s = dynamic_cast<const CLocalizedString*>(node); s && node != &value && !asTemplate)
        u.m_translation = s->m_text;
      u.m_group = item.m_group;
      u.m_groupName = item.m_groupName;
      u.m_groupType = item.m_groupType;
      u.m_restype = item.m_restype;
      u.m_context = item.m_context;
      if (item.m_dialog && item.m_control) u.m_coord = measures.Rect(*item.m_dialog, *item.m_control);
      g.m_units.push_back(std::move(u));
    }
    result.m_groups.push_back(std::move(g));
  }
  return result;
}

bool ApplyImport(CTvlDoc& doc, LANGID language, const ImportFile& file, ImportResult& result) {
  result = {};
  if (doc.m_languages.Find(language) < 0) {
    DoMessageBox(FormatMessageText(u"%1 is not a target language of the project.",
                                   {Arg(FromUtf8(LanguageTag(language)))}),
                 MB_ICONERROR);
    return false;
  }
  if (!file.m_targetTag.empty()) {
    const LocaleInfo* info = FindLocaleByTag(file.m_targetTag);
    if (!info || PRIMARYLANGID(info->langId) != PRIMARYLANGID(language) ||
        (info->langId != language && info->specific == info->langId)) {
      DoMessageBox(FormatMessageText(u"The file holds translations for %1, not for %2.",
                                     {Arg(FromUtf8(file.m_targetTag)), Arg(FromUtf8(LanguageTag(language)))}),
                   MB_ICONERROR);
      return false;
    }
  }
  std::vector<CExchangeItem> items = CollectProjectItems(doc);
  std::unordered_map<std::string, const CExchangeItem*> byId;
  for (const CExchangeItem& item : items) byId.emplace(item.m_id, &item);

  // Everything is checked before anything changes.
  bool failed = false;
  std::vector<std::pair<const CExchangeItem*, const ImportEntry*>> apply;
  for (const ImportEntry& e : file.m_entries) {
    auto it = byId.find(e.m_id);
    if (it == byId.end()) {
      DoMessageBox(FormatMessageText(u"Unknown id %1: not imported.", {Arg(FromUtf8(e.m_id))}), MB_ICONWARNING);
      ++result.m_unknown;
      continue;
    }
    const CExchangeItem* item = it->second;
    if (item->m_doNotTranslate) {
      ++result.m_skipped;
      continue;
    }
    apply.emplace_back(item, &e);
  }
  for (auto [item, e] : apply) {
    WORD numbers[4];
    if (item->m_kind == TextItemKind::kVersion && !CResVersion::ParseVersionText(e->m_translation, numbers)) {
      DoMessageBox(FormatMessageText(u"%1: %2", {Arg(FromUtf8(e->m_id)), Arg(CResVersion::VersionFormatMessage())}),
                   MB_ICONERROR);
      failed = true;
    }
  }
  if (failed) return false;

  for (auto [item, e] : apply) {
    CLocalizedString& value = *item->m_value;
    if (item->m_kind == TextItemKind::kVersion) {
      CResVersion::SetVersionText(static_cast<CLocalizedStringSizePos&>(value), language, e->m_translation);
    } else {
      value.SetTranslation(e->m_translation, language);
    }
    bool sourceChanged = e->m_source && *e->m_source != value.m_text;
    if (sourceChanged)
      DoMessageBox(FormatMessageText(u"The source text of %1 changed since the file was made: its translation is "
                                     u"marked not up-to-date.",
                                     {Arg(FromUtf8(e->m_id))}),
                   MB_ICONWARNING);
    if (e->m_fuzzy || sourceChanged)
      value.SetStatus(language, 0);
    else if (e->m_final)
      value.SetStatus(language, 2);
    if (item->m_kind == TextItemKind::kPrompt && item->m_prompt) item->m_prompt->Compose(language);
    ++result.m_applied;
  }
  if (result.m_applied) {
    for (const auto& m : doc.m_modules) m->m_resTable.UpdateStatus(language);
    doc.SetModifiedFlag();
  }
  return true;
}

}  // namespace tvl
