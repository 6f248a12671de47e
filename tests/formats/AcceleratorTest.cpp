#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/text/ResAccelerator.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"
#include "resmodel/ResourceType.h"

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kFrench = 0x040C;
constexpr WORD kCtrlVirt = kAccelVirtKey | kAccelControl;

std::vector<BYTE> FixtureAccelerators(const std::string& file, WORD name) {
  CPeImage image;
  EXPECT_TRUE(image.LoadFile(FixturePath(file)));
  const CPeResource* r = image.FindResource(CResName(WORD{9}), CResName(name));
  if (!r) return {};
  auto data = image.GetData(*r);
  return {data.begin(), data.end()};
}

struct Entry {
  WORD flags, key, id;
};

std::vector<BYTE> TableBytes(const std::vector<Entry>& entries) {
  std::vector<BYTE> out;
  for (const Entry& e : entries)
    for (WORD w : {e.flags, e.key, e.id, WORD{0}}) {
      out.push_back(static_cast<BYTE>(w));
      out.push_back(static_cast<BYTE>(w >> 8));
    }
  return out;
}

std::unique_ptr<CResAcceleratorTable> ParseTable(const std::vector<BYTE>& bytes, LANGID language = kEnglish) {
  auto table = std::make_unique<CResAcceleratorTable>();
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), language);
  table->Parse(stream);
  return table;
}

std::vector<Entry> Entries(const std::vector<BYTE>& bytes) {
  std::vector<Entry> out;
  for (size_t i = 0; i + 8 <= bytes.size(); i += 8)
    out.push_back({static_cast<WORD>(bytes[i] | bytes[i + 1] << 8), static_cast<WORD>(bytes[i + 2] | bytes[i + 3] << 8),
                   static_cast<WORD>(bytes[i + 4] | bytes[i + 5] << 8)});
  return out;
}

std::vector<BYTE> Written(CResAcceleratorTable& table, LANGID language) {
  CResourceData data;
  data.m_language = language;
  table.WriteData(data);
  return data.GetBytes();
}

bool operator==(const Entry& a, const Entry& b) { return a.flags == b.flags && a.key == b.key && a.id == b.id; }
void PrintTo(const Entry& e, std::ostream* os) { *os << "{flags " << e.flags << ", key " << e.key << ", id " << e.id << "}"; }

std::vector<BYTE> Store(CResAcceleratorTable& table) {
  CArchive ar;
  ar.WriteObject(&table);
  return ar.GetStoredBytes();
}

std::unique_ptr<CResAcceleratorTable> Load(const std::vector<BYTE>& bytes) {
  CArchive ar(bytes.data(), bytes.size());
  auto table = ar.ReadObject<CResAcceleratorTable>();
  ar.Close();
  return table;
}

}  // namespace

TEST(AcceleratorParse, FixtureTableAsCompiled) {
  std::vector<BYTE> bytes = FixtureAccelerators("all32.exe", 300);
  ASSERT_EQ(bytes.size(), 48u);
  auto table = ParseTable(bytes);
  // A freshly read table is not translated until the user asks for it.
  EXPECT_EQ(table->m_doNotTranslate, 1);
  EXPECT_FALSE(table->IsTranslatable());
  ASSERT_EQ(table->GetCount(), 6u);
  std::vector<Entry> raw = Entries(bytes);
  for (size_t i = 0; i < 6; ++i) {
    const CResAccelerator* e = table->GetEntry(i);
    EXPECT_EQ(e->m_commandId, 1001 + i);
    EXPECT_EQ(e->m_key.m_hotFlags, raw[i].flags) << i;
    EXPECT_EQ(e->m_key.m_key, raw[i].key) << i;
    EXPECT_EQ(e->m_key.m_language, kEnglish);
    EXPECT_EQ(e->m_key.GetNext(), nullptr);
  }
  // What the script says: "a" with ALT is a character, 0x74 a plain virtual key, 0x2E with
  // Shift and Ctrl, 65 as ASCII, and the last one (0x70) carries the end bit.
  EXPECT_EQ(table->GetEntry(1)->m_key.m_key, u'a');
  EXPECT_EQ(table->GetEntry(1)->m_key.m_hotFlags & (kAccelVirtKey | kAccelAlt), kAccelAlt);
  EXPECT_EQ(table->GetEntry(2)->m_key.m_key, 0x74);
  EXPECT_EQ(table->GetEntry(3)->m_key.m_hotFlags & 0x1D, kAccelVirtKey | kAccelShift | kAccelControl);
  EXPECT_EQ(table->GetEntry(4)->m_key.m_key, 65);
  EXPECT_EQ(table->GetEntry(4)->m_key.m_hotFlags & kAccelVirtKey, 0);
  EXPECT_EQ(table->GetEntry(5)->m_key.m_key, 0x70);
  EXPECT_NE(table->GetEntry(5)->m_key.m_hotFlags & kAccelLast, 0);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(table->GetEntry(i)->m_key.m_hotFlags & kAccelLast, 0) << i;
}

TEST(AcceleratorParse, TableEndsAtTheEndBitAndRefusesDataWithoutIt) {
  // Bytes after the entry with the end bit are not entries.
  std::vector<BYTE> bytes = TableBytes({{1, 'A', 10}, {kAccelLast, 'B', 11}, {1, 'C', 12}});
  auto table = ParseTable(bytes);
  ASSERT_EQ(table->GetCount(), 2u);
  EXPECT_EQ(table->GetEntry(1)->m_commandId, 11);

  CResourceType handler(9, RUNTIME_CLASS(CResAcceleratorTable), u"Accelerators", 0, 2, 18, 18, u"", u"");
  std::vector<BYTE> cut = TableBytes({{1, 'A', 10}, {kAccelLast, 'B', 11}});
  cut.resize(cut.size() - 3);  // the last entry cut short
  for (const std::vector<BYTE>& bad : {TableBytes({{1, 'A', 10}, {0, 'B', 11}}), std::vector<BYTE>{}, cut}) {
    CRecordingSink sink;
    CResStream stream(nullptr, CResName(WORD{9}), CResName(WORD{300}), kEnglish, kEnglish, bad.data(),
                      static_cast<DWORD>(bad.size()));
    EXPECT_FALSE(handler.AddResource(stream));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, u"Error parsing resource (type 9 - Id 300) : Invalid Format");
    EXPECT_EQ(sink.messages[0].type, MB_ICONERROR);
  }
  EXPECT_EQ(handler.GetCount(), 0);
}

TEST(AcceleratorStore, StoredFormByteForByte) {
  auto table = ParseTable(TableBytes({{kCtrlVirt | kAccelLast, 'F', 100}}));
  table->m_identifier.SetOrdinal(300);
  std::vector<BYTE> expected = {
      0xFF, 0xFF, 0x01, 0x00, 0x14, 0x00,  // new class, schema 1, 20 letters
      'C', 'R', 'e', 's', 'A', 'c', 'c', 'e', 'l', 'e', 'r', 'a', 't', 'o', 'r', 'T', 'a', 'b', 'l', 'e',
      0x01, 0x2C, 0x01,                                // ordinal 300
      0xFF, 0xFF, 0x00, 0x00, 0, 0, 0, 0, 0x00,        // status chain: no language, no next
      0x01,                                            // do not translate
      0x01, 0x00,                                      // one entry
      0xFF, 0xFF, 0x01, 0x00, 0x0F, 0x00,              // new class, schema 1, 15 letters
      'C', 'R', 'e', 's', 'A', 'c', 'c', 'e', 'l', 'e', 'r', 'a', 't', 'o', 'r',
      0x64, 0x00,                                      // command 100
      0x09, 0x04, 0x00, 0x00, 0, 0, 0, 0, 0x00,        // key head: English, no next
      0x89, 0x00, 'F', 0x00,                           // flags as read, key
  };
  EXPECT_EQ(Store(*table), expected);
}

TEST(AcceleratorStore, TranslationsAndMarksSurviveStoreAndLoad) {
  auto table = ParseTable(FixtureAccelerators("all32.exe", 300));
  table->m_identifier.SetOrdinal(300);
  table->m_statusChain.m_language = kEnglish;
  table->SetTranslatable(true);
  table->GetEntry(0)->m_key.SetHotKey(kGerman, kCtrlVirt, 'K');
  table->GetEntry(0)->m_key.SetHotKey(kFrench, kCtrlVirt, 'R');
  table->GetEntry(2)->m_key.SetDoNotTranslate(true);
  table->UpdateStatus(kGerman);
  std::vector<BYTE> stored = Store(*table);

  auto loaded = Load(stored);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(Store(*loaded), stored);
  EXPECT_EQ(loaded->m_doNotTranslate, 0);
  ASSERT_EQ(loaded->GetCount(), 6u);
  const CLocalizedHotKey& fr = loaded->GetEntry(0)->GetKey(kFrench);
  EXPECT_EQ(fr.m_language, kFrench);
  EXPECT_EQ(fr.m_key, 'R');
  EXPECT_TRUE(loaded->GetEntry(2)->m_key.IsDoNotTranslate());
  EXPECT_EQ(Written(*loaded, kGerman), Written(*table, kGerman));
}

TEST(AcceleratorStore, NullEntryInAFileIsDropped) {
  auto table = ParseTable(TableBytes({{kAccelLast, 'A', 1}}));
  std::vector<BYTE> stored = Store(*table);
  // Replace the one entry by a null reference (WORD 0) and cut what followed.
  size_t countAt = 6 + 20 + 1 + 9 + 1;  // class, identifier kind 0, chain head, mark
  ASSERT_EQ(stored[countAt], 1);
  stored.resize(countAt + 2);
  stored.push_back(0);
  stored.push_back(0);
  auto loaded = Load(stored);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetCount(), 0u);
  EXPECT_TRUE(Written(*loaded, kGerman).empty());
}

TEST(AcceleratorWrite, SourceKeysWhileMarkedAndTranslationsOnceCleared) {
  auto table = ParseTable(TableBytes({{kCtrlVirt, 'F', 100}, {kAccelVirtKey, 0x72, 101}, {kAccelVirtKey | kAccelLast, 0x70, 102}}));
  table->GetEntry(0)->m_key.SetHotKey(kGerman, kCtrlVirt, 'S');
  table->GetEntry(1)->m_key.SetHotKey(kGerman, kAccelVirtKey, 0x73);
  table->GetEntry(1)->m_key.SetStatus(kGerman, 0);  // not up to date: the source is written
  table->GetEntry(2)->m_key.SetHotKey(kGerman, kAccelVirtKey | kAccelAlt, 0x71);
  table->GetEntry(2)->m_key.SetDoNotTranslate(true);  // the entry's own mark keeps its source

  std::vector<Entry> source = {{kCtrlVirt, 'F', 100}, {kAccelVirtKey, 0x72, 101}, {kAccelVirtKey | kAccelLast, 0x70, 102}};
  EXPECT_EQ(Entries(Written(*table, kGerman)), source);

  table->SetTranslatable(true);
  std::vector<BYTE> german = Written(*table, kGerman);
  ASSERT_EQ(german.size(), 24u);
  EXPECT_EQ(Entries(german),
            (std::vector<Entry>{{kCtrlVirt, 'S', 100}, {kAccelVirtKey, 0x72, 101}, {kAccelVirtKey | kAccelLast, 0x70, 102}}));
  // A language without translations is the source.
  EXPECT_EQ(Entries(Written(*table, kFrench)), source);
  // The padding words are zero.
  for (size_t i = 6; i < german.size(); i += 8) EXPECT_EQ(german[i] | german[i + 1], 0);
}

TEST(AcceleratorWrite, OnlyTheLastWrittenEntryCarriesTheEndBit) {
  // Keys imported from the last entry of another table keep its end bit in the stored flags.
  auto table = ParseTable(TableBytes({{kCtrlVirt, 'F', 100}, {kAccelVirtKey | kAccelLast, 0x70, 101}}));
  table->SetTranslatable(true);
  table->GetEntry(0)->m_key.SetHotKey(kGerman, kCtrlVirt | kAccelLast, 'S');
  table->GetEntry(1)->m_key.SetHotKey(kGerman, kAccelVirtKey, 0x71);
  std::vector<BYTE> german = Written(*table, kGerman);
  EXPECT_EQ(Entries(german), (std::vector<Entry>{{kCtrlVirt, 'S', 100}, {kAccelVirtKey | kAccelLast, 0x71, 101}}));
  // The written table reads back as a whole.
  auto again = ParseTable(german, kGerman);
  EXPECT_EQ(again->GetCount(), 2u);
}

TEST(AcceleratorStatus, SmallestEntryStatus) {
  auto table = ParseTable(TableBytes({{kCtrlVirt, 'F', 100}, {kAccelVirtKey | kAccelLast, 0x70, 101}}));
  EXPECT_EQ(table->ComputeStatus(kGerman), 0);
  table->GetEntry(0)->m_key.SetHotKey(kGerman, kCtrlVirt, 'S');
  EXPECT_EQ(table->ComputeStatus(kGerman), 0);
  table->GetEntry(1)->m_key.SetDoNotTranslate(true);  // counts as nothing to translate
  EXPECT_EQ(table->ComputeStatus(kGerman), 1);
  table->GetEntry(0)->m_key.SetDoNotTranslate(true);
  EXPECT_EQ(table->ComputeStatus(kGerman), 2);
  table->UpdateStatus(kGerman);
  EXPECT_EQ(table->GetStatus(kGerman), 2);
  EXPECT_EQ(CResAcceleratorTable().ComputeStatus(kGerman), 2);
}

// --- merging ------------------------------------------------------------------------------

TEST(AcceleratorMerge, UpdateOfTheSourceKeepsTranslationsOfUnchangedKeysOnly) {
  // The project's table, translated.
  auto old = ParseTable(TableBytes({{kCtrlVirt, 'F', 100}, {kCtrlVirt, 'O', 101}, {kAccelVirtKey | kAccelLast, 0x70, 102}}));
  old->SetTranslatable(true);
  old->GetEntry(0)->m_key.SetHotKey(kGerman, kCtrlVirt, 'S');
  old->GetEntry(1)->m_key.SetHotKey(kGerman, kCtrlVirt, 'F');
  old->GetEntry(2)->m_key.SetHotKey(kGerman, kAccelVirtKey, 0x71);
  old->UpdateStatus(kGerman);
  // The fresh source: command 101 changed its key, the last entry moved (end bit now on 101).
  auto fresh = ParseTable(TableBytes({{kCtrlVirt, 'F', 100}, {kAccelVirtKey, 0x70, 102}, {kCtrlVirt | kAccelLast, 'P', 101}}));
  fresh->Merge(*old, true, false);

  EXPECT_EQ(fresh->m_doNotTranslate, 0);  // taken over from the project
  EXPECT_EQ(fresh->GetEntry(0)->GetKey(kGerman).m_key, 'S');
  EXPECT_EQ(fresh->GetEntry(0)->GetKey(kGerman).m_status, 1);
  // The end bit is part of the compared flags: 0x70 is no longer the last entry.
  EXPECT_EQ(fresh->GetEntry(1)->m_key.GetNext(), nullptr);
  EXPECT_EQ(fresh->GetEntry(2)->m_key.GetNext(), nullptr);
  EXPECT_TRUE(fresh->HasTranslation(kGerman));
}

TEST(AcceleratorMerge, ImportOfATranslatedExecutablePairsKeptKeysFirst) {
  // Command 100 has Ctrl+F and F3 in the source, Ctrl+R and F3 in the translation.
  auto project = ParseTable(TableBytes({{kCtrlVirt, 'F', 100}, {kAccelVirtKey, 0x72, 100}, {kCtrlVirt | kAccelLast, 'N', 200}}));
  auto translated =
      ParseTable(TableBytes({{kCtrlVirt, 'R', 100}, {kAccelVirtKey, 0x72, 100}, {kCtrlVirt | kAccelLast, 'M', 200}}), kFrench);
  project->Merge(*translated, false, false);
  const CLocalizedHotKey& ctrl = project->GetEntry(0)->GetKey(kFrench);
  EXPECT_EQ(ctrl.m_language, kFrench);
  EXPECT_EQ(ctrl.m_key, 'R');
  EXPECT_EQ(ctrl.m_status, 1);
  EXPECT_EQ(project->GetEntry(1)->GetKey(kFrench).m_key, 0x72);
  EXPECT_EQ(project->GetEntry(1)->GetKey(kFrench).m_language, kFrench);
  // One changed key on each side of command 200.
  EXPECT_EQ(project->GetEntry(2)->GetKey(kFrench).m_key, 'M');
  // An existing translation stays.
  auto second = ParseTable(TableBytes({{kCtrlVirt, 'X', 100}, {kAccelVirtKey, 0x72, 100}, {kCtrlVirt | kAccelLast, 'M', 200}}),
                           kFrench);
  project->Merge(*second, false, false);
  EXPECT_EQ(project->GetEntry(0)->GetKey(kFrench).m_key, 'R');
}

TEST(AcceleratorMerge, ImportWithTwoChangedKeysOfACommandTakesNothing) {
  auto project = ParseTable(TableBytes({{kCtrlVirt, 'F', 100}, {kCtrlVirt, 'G', 100}, {kCtrlVirt | kAccelLast, 'N', 200}}));
  auto translated =
      ParseTable(TableBytes({{kCtrlVirt, 'R', 100}, {kCtrlVirt, 'T', 100}, {kCtrlVirt | kAccelLast, 'N', 200}}), kFrench);
  project->Merge(*translated, false, false);
  EXPECT_EQ(project->GetEntry(0)->m_key.GetNext(), nullptr);
  EXPECT_EQ(project->GetEntry(1)->m_key.GetNext(), nullptr);
  // The kept key of command 200 pairs (its end bit is the same on both sides).
  EXPECT_EQ(project->GetEntry(2)->GetKey(kFrench).m_language, kFrench);
  // A command the translation lacks gets nothing, and a surplus entry on one side is ignored.
  auto fewer = ParseTable(TableBytes({{kCtrlVirt, 'R', 100}, {kCtrlVirt, 'T', 100}, {kCtrlVirt, 'U', 100},
                                      {kCtrlVirt | kAccelLast, 'N', 300}}),
                          kGerman);
  project->Merge(*fewer, false, false);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(project->GetEntry(i)->GetKey(kGerman).m_language, kEnglish) << i;
}

TEST(AcceleratorMerge, TranslatorsProjectOverwritesTranslations) {
  auto project = ParseTable(TableBytes({{kCtrlVirt | kAccelLast, 'F', 100}}));
  project->GetEntry(0)->m_key.SetHotKey(kGerman, kCtrlVirt, 'S');
  auto translator = ParseTable(TableBytes({{kCtrlVirt | kAccelLast, 'F', 100}}));
  translator->GetEntry(0)->m_key.SetHotKey(kGerman, kCtrlVirt, 'U');
  translator->GetEntry(0)->m_key.SetHotKey(kFrench, kCtrlVirt, 'R');
  project->Merge(*translator, false, true);
  EXPECT_EQ(project->GetEntry(0)->GetKey(kGerman).m_key, 'U');
  EXPECT_EQ(project->GetEntry(0)->GetKey(kFrench).m_key, 'R');
  EXPECT_EQ(project->GetEntry(0)->m_key.m_key, 'F');  // the source stays
  // An entry whose source differs in the translator's copy finds no partner.
  auto changed = ParseTable(TableBytes({{kCtrlVirt | kAccelLast, 'G', 100}}));
  changed->GetEntry(0)->m_key.SetHotKey(kGerman, kCtrlVirt, 'Z');
  project->Merge(*changed, false, true);
  EXPECT_EQ(project->GetEntry(0)->GetKey(kGerman).m_key, 'U');
}
