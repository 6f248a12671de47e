// Makes the bundled example project: examples/Example.tvl translating examples/Sample.exe
// into French and German, with translated, untranslated, out-of-date and do-not-translate
// items. Usage: tvl-make-example EXAMPLES_DIR
#include <cstdio>
#include <string>

#include "formats/layout/ResDialog.h"
#include "formats/text/ResStringTable.h"
#include "languages/AvailableLanguages.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

namespace {

void Translate(CResStringTable& table, DWORD id, const char16_t* french, const char16_t* german) {
  CResString* s = table.FindString(id);
  if (!s) return;
  if (french) s->m_value.SetTranslation(french, 0x040C);
  if (german) s->m_value.SetTranslation(german, 0x0407);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tvl-make-example EXAMPLES_DIR\n");
    return 2;
  }
  std::string dir = argv[1];
  CTvlDoc doc;
  doc.SetPathName(tvl::FromUtf8(dir + "/Example.tvl"));
  CLanguageArray languages;
  languages.Add(CLanguage(0x040C));
  languages.Add(CLanguage(0x0407));
  auto module = std::make_unique<CModule>(tvl::FromUtf8(dir + "/Sample.exe"), 0x0409, 0);
  module->SetDocument(&doc);
  if (!module->LoadFromFile()) {
    std::fprintf(stderr, "cannot read %s/Sample.exe\n", dir.c_str());
    return 1;
  }
  // Targets go to a folder of their own next to the project.
  module->m_outputNames.SetAt(0x040C, u"out\\SampleFRA.exe");
  module->m_outputNames.SetAt(0x0407, u"out\\SampleDEU.exe");

  CResStringTable& strings = module->m_resTable.m_stringTable;
  Translate(strings, 1, u"Un", u"Eins");
  Translate(strings, 2, u"Deux\tTab", u"Zwei\tTab");
  Translate(strings, 15, u"Quinze", nullptr);  // German left untranslated
  Translate(strings, 100, u"Cent avec un saut de ligne\nseconde ligne", u"Hundert mit Zeilenumbruch\nzweite Zeile");
  Translate(strings, 1001, u"Ouvrir un fichier\nOuvrir", u"Datei \u00f6ffnen\n\u00d6ffnen");
  // Out of date: a translation whose source changed since it was given.
  if (CResString* s = strings.FindString(16)) {
    s->m_value.SetTranslation(u"Seize (ancien)", 0x040C);
    s->m_value.SetStatus(0x040C, 0);
  }
  // Never translated: the program relies on this text.
  if (CResString* s = strings.FindString(65535)) s->m_value.SetDoNotTranslate(true);

  CResourceIdentifier classic;
  classic.SetOrdinal(100);
  if (auto* dialog = dynamic_cast<CResDialog*>(module->m_resTable.m_dialogs.FindResource(classic))) {
    dialog->m_caption.SetTranslation(u"Dialogue classique", 0x040C);
    dialog->m_caption.SetTranslation(u"Klassischer Dialog", 0x0407);
  }

  doc.InsertModule(std::move(module), 0x0409, languages);
  for (const CLanguage& l : doc.m_languages) doc.m_modules[0]->m_resTable.UpdateStatus(l.GetLanguage());
  return doc.OnSaveDocument(doc.GetPathName()) ? 0 : 1;
}
