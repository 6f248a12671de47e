#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QTest>

#include "ContentViewFixture.h"
#include "formats/text/ResVersion.h"
#include "platform/Text.h"
#include "ui/views/ResourceHeaderView.h"
#include "ui/views/TranslationView.h"
#include "ui/views/VersionInfoView.h"
#include "workspace/CommandIds.h"
#include "workspace/ContentViewRules.h"

namespace {

struct VersionFixture : CContentViewFixture {
  VersionFixture() { Reselect(); }
  void Reselect() {
    version = SelectResource<CResVersion>(u"Version", u"1");
    ASSERT_NE(version, nullptr);
    ASSERT_NE(view(), nullptr);
  }
  CVersionInfoView* view() const { return View<CVersionInfoView>(); }
  QString Cell(int row, int column) const {
    return view()->Model()->index(row, column).data().toString();
  }
  QStringList Keys() const {
    QStringList keys;
    for (int r = 0; r < view()->Model()->rowCount(); ++r) keys << Cell(r, 0);
    return keys;
  }
  void SelectRow(int row) {
    view()->setFocus();
    view()->setCurrentIndex(view()->Model()->index(row, 0));
  }
  const CLocalizedString* French(const CLocalizedString& value) const {
    const CLocalizedParam* n = value.FindValue(kFrench);
    return n == &value ? nullptr : static_cast<const CLocalizedString*>(n);
  }
  std::vector<unsigned char> Saved(const std::string& name) {
    std::string path = files.file(name);
    EXPECT_TRUE(doc.OnSaveDocument(tvl::FromUtf8(path)));
    return ReadFileBytes(path);
  }

  CScratchDir files;
  CResVersion* version = nullptr;
};

}  // namespace

TEST(CVersionInfoView, ListsVersionsABlankRowAndTheStringValues) {
  VersionFixture f;
  EXPECT_EQ(f.Keys(), (QStringList{"File Version", "Product Version", "", "CompanyName", "FileDescription",
                                   "FileVersion", "ProductName"}));
  EXPECT_EQ(f.Cell(0, 1), QStringLiteral("1, 2, 3, 4"));
  EXPECT_EQ(f.Cell(3, 1), QStringLiteral("Fixture Makers"));
  // The first value to translate is offered.
  EXPECT_EQ(f.view()->CurrentRow(), 0);
  EXPECT_EQ(f.frame->Editor()->LastRequest().m_element, &f.version->m_fileVersion);
  // German holds the values of the German string table.
  f.SetLanguage(CContentViewFixture::kGerman);
  EXPECT_EQ(f.Cell(3, 1), QStringLiteral("Testdatenhersteller"));
  // Tab, CR and LF are shown as escapes.
  f.version->m_values[0]->m_value.SetTranslation(u"a\tb\r\nc", CContentViewFixture::kGerman);
  f.doc.UpdateAllViews(HintRefreshAll);
  EXPECT_EQ(f.Cell(3, 1), QStringLiteral("a\\tb\\r\\nc"));
}

TEST(CVersionInfoView, VersionNumbersAreStoredInTheCanonicalForm) {
  const struct {
    const char* typed;
    const char16_t* stored;
    WORD numbers[4];
  } cases[] = {{"2.1.0.473", u"2, 1, 0, 473", {2, 1, 0, 473}},
               {"4 3 2 1", u"4, 3, 2, 1", {4, 3, 2, 1}},
               {" 0,65535 .7,  8 ", u"0, 65535, 7, 8", {0, 65535, 7, 8}}};
  for (const auto& c : cases) {
    VersionFixture f;
    f.SelectRow(0);
    f.TypeAndCommit(QString::fromLatin1(c.typed));
    const auto* node = static_cast<const CLocalizedStringSizePos*>(f.French(f.version->m_fileVersion));
    ASSERT_NE(node, nullptr) << c.typed;
    EXPECT_EQ(node->m_text, c.stored);
    EXPECT_TRUE(std::equal(c.numbers, c.numbers + 4, node->m_numbers)) << c.typed;
    EXPECT_EQ(f.Cell(0, 1), QStr(c.stored));
    // On to the next value to translate.
    EXPECT_EQ(f.view()->CurrentRow(), 1);
  }
}

TEST(CVersionInfoView, AMalformedVersionIsRefusedWithTheFormatMessage) {
  for (const char* typed : {"1.2.3", "1.2.3.65536", "1.2.3.4.5", "v1.2.3.4"}) {
    VersionFixture f;
    CRecordingSink sink;
    f.SelectRow(1);
    size_t actions = f.doc.GetUndoList().GetCount();
    f.TypeAndCommit(QString::fromLatin1(typed));
    ASSERT_EQ(sink.messages.size(), 1u) << typed;
    EXPECT_EQ(sink.messages[0].text, CResVersion::VersionFormatMessage());
    EXPECT_EQ(sink.messages[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(f.French(f.version->m_productVersion), nullptr) << typed;
    EXPECT_EQ(f.doc.GetUndoList().GetCount(), actions);
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(f.view()->CurrentRow(), 1);
  }
}

TEST(CVersionInfoView, ModesAndEmptyValuesDecideTheRows) {
  VersionFixture f;
  // A value without source text and without translation is never listed.
  auto empty = std::make_unique<StringValue>();
  empty->m_key = u"Comments";
  empty->m_value.m_language = 0x0409;
  f.version->m_values.push_back(std::move(empty));
  for (int entry : {0, 1, 2}) {
    f.frame->ChooseModeEntry(entry);
    EXPECT_FALSE(f.Keys().contains(QStringLiteral("Comments"))) << entry;
  }
  // Everything translated and edited: "To be translated" lists no row, not even the blank one.
  f.frame->ChooseModeEntry(1);
  ASSERT_TRUE(CResVersion::SetVersionText(f.version->m_fileVersion, CContentViewFixture::kFrench, u"1.2.3.4"));
  ASSERT_TRUE(CResVersion::SetVersionText(f.version->m_productVersion, CContentViewFixture::kFrench, u"1.2.0.0"));
  f.version->m_values[1]->m_value.SetTranslation(u"Toutes sortes", CContentViewFixture::kFrench);
  f.frame->ChooseModeEntry(2);
  EXPECT_EQ(f.Keys(), (QStringList{"CompanyName", "FileVersion", "ProductName"}));
  for (const auto& v : f.version->m_values)
    if (!v->m_value.m_text.empty()) v->m_value.SetTranslation(u"x", CContentViewFixture::kFrench);
  f.doc.UpdateAllViews(HintRefreshAll);
  EXPECT_EQ(f.view()->Model()->rowCount(), 0);
  // Marked do-not-translate: listed in All Items only, grey and without status image.
  f.version->m_fileVersion.SetDoNotTranslate(true);
  f.frame->ChooseModeEntry(1);
  EXPECT_EQ(f.Keys().front(), QStringLiteral("Product Version"));
  f.frame->ChooseModeEntry(0);
  EXPECT_EQ(f.Keys().front(), QStringLiteral("File Version"));
  EXPECT_FALSE(f.view()->Model()->index(0, 0).data(Qt::DecorationRole).isValid());
  EXPECT_TRUE(f.view()->Model()->index(0, 0).data(Qt::ForegroundRole).isValid());
}

TEST(CVersionInfoView, ACommitAndItsUndoLeaveTheStoredProjectUnchanged) {
  VersionFixture f;
  const std::vector<unsigned char> before = f.Saved("before.tvl");
  f.SelectRow(0);
  f.TypeAndCommit(QStringLiteral("9.8.7.6"));
  f.SelectRow(3);
  f.TypeAndCommit(QStringLiteral("Faiseurs"));
  EXPECT_EQ(f.French(f.version->m_values[0]->m_value)->m_text, u"Faiseurs");
  const std::vector<unsigned char> committed = f.Saved("committed.tvl");
  EXPECT_NE(committed, before);

  f.doc.Undo();
  f.doc.Undo();
  EXPECT_EQ(f.French(f.version->m_fileVersion), nullptr);
  EXPECT_EQ(f.Saved("undone.tvl"), before);
  f.doc.Redo();
  f.doc.Redo();
  EXPECT_EQ(f.Saved("redone.tvl"), committed);
  // Undo selects the row of the undone value.
  f.doc.Undo();
  EXPECT_EQ(f.view()->CurrentRow(), 3);
}

TEST(CVersionInfoView, DeleteTranslationErasesTheSelectedValue) {
  VersionFixture f;
  f.SelectRow(3);
  EXPECT_FALSE(f.view()->CanDeleteTranslation());
  f.TypeAndCommit(QStringLiteral("Faiseurs"));
  f.SelectRow(3);
  EXPECT_TRUE(f.view()->CanDeleteTranslation());
  QTest::keyClick(f.view(), Qt::Key_Delete);
  EXPECT_EQ(f.French(f.version->m_values[0]->m_value), nullptr);
  EXPECT_EQ(f.doc.GetUndoList().GetCount(), 2u);
  f.doc.Undo();
  ASSERT_NE(f.French(f.version->m_values[0]->m_value), nullptr);
  // The menu command does the same while the list has the focus.
  f.SelectRow(3);
  f.frame->UpdateCommandUi();
  EXPECT_EQ(f.frame->Action(ID_EDIT_DELETE)->text(), QStringLiteral("&Delete Translation\tDel"));
  f.frame->RunCommand(ID_EDIT_DELETE);
  EXPECT_EQ(f.French(f.version->m_values[0]->m_value), nullptr);
  f.doc.Undo();
  // Nothing to delete for the source language.
  f.SetLanguage(0x0409);
  f.SelectRow(3);
  EXPECT_FALSE(f.view()->CanDeleteTranslation());
}

TEST(CVersionInfoView, TheHeaderMarksTheOfferedValueDoNotTranslate) {
  VersionFixture f;
  f.SelectRow(3);
  QCheckBox* box = f.frame->ResourcePane()->Header()->DoNotTranslateBox();
  ASSERT_TRUE(box->isEnabled());
  box->click();
  CLocalizedString& company = f.version->m_values[0]->m_value;
  EXPECT_TRUE(company.IsDoNotTranslate());
  EXPECT_EQ(f.doc.GetUndoList().GetCount(), 1u);
  EXPECT_TRUE(f.view()->Model()->index(3, 0).data(Qt::ForegroundRole).isValid());
  // Not translatable any more: on to the next value to translate.
  EXPECT_EQ(f.view()->CurrentRow(), 4);
  f.doc.Undo();
  EXPECT_FALSE(company.IsDoNotTranslate());
  EXPECT_EQ(f.view()->CurrentRow(), 3);
}
