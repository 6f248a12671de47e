#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>
#include <fstream>

#include "UiTestSupport.h"
#include "formats/layout/ResBinary.h"
#include "formats/layout/ResDialog.h"
#include "platform/Text.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/ResourceHeaderView.h"

namespace {

constexpr LANGID kFrench = 0x040C;

struct HeaderFixture : CFrameFixture {
  HeaderFixture() {
    EXPECT_TRUE(Open(project.Path()));
    module = doc.m_modules[0].get();
    SetLanguage(kFrench);
  }
  CResourceHeaderView* header() const { return frame->ResourcePane()->Header(); }
  CResource* SelectResource(const std::u16string& typeLabel, const std::u16string& label) {
    CProjectNode* type = FindNode(typeLabel);
    for (const auto& c : type->m_children)
      if (c->GetLabel() == label) {
        Select(c.get());
        return static_cast<CResource*>(const_cast<void*>(c->GetObject()));
      }
    ADD_FAILURE() << "no resource node";
    return nullptr;
  }
  std::u16string File(const std::string& name) const { return tvl::FromUtf8(files.file(name)); }

  CProjectFile project;
  CScratchDir files;
  CModule* module = nullptr;
};

}  // namespace

TEST(ResourceHeader, MarkingABitmapTranslatableShowsItsTranslationLinks) {
  HeaderFixture f;
  CResource* bitmap = f.SelectResource(u"Bitmaps", u"601");
  EXPECT_EQ(f.header()->Title(), QStringLiteral("Type: Bitmap. Id: 601."));
  QCheckBox* box = f.header()->DoNotTranslateBox();
  EXPECT_EQ(box->text(), QStringLiteral("&Do not translate bitmap"));
  EXPECT_TRUE(box->isChecked());
  EXPECT_TRUE(f.header()->IsLinkShown(QStringLiteral("export")));
  EXPECT_FALSE(f.header()->IsLinkShown(QStringLiteral("import")));

  box->click();
  EXPECT_TRUE(bitmap->IsTranslatable());
  EXPECT_TRUE(f.doc.IsModified());
  EXPECT_FALSE(f.FindNode(u"601")->m_notTranslatable);
  EXPECT_TRUE(f.header()->IsLinkShown(QStringLiteral("import")));
  EXPECT_TRUE(f.header()->IsLinkShown(QStringLiteral("delete")));
  EXPECT_FALSE(f.header()->IsLinkShown(QStringLiteral("confirm")));
  EXPECT_EQ(f.header()->StatusLabel()->text(), QStringLiteral("Not translated yet."));

  f.doc.Undo();
  EXPECT_FALSE(bitmap->IsTranslatable());
  EXPECT_TRUE(f.FindNode(u"601")->m_notTranslatable);
  EXPECT_TRUE(f.header()->DoNotTranslateBox()->isChecked());
}

TEST(ResourceHeader, ImportDeleteAndConfirmRecordUndoableChanges) {
  HeaderFixture f;
  CRecordingSink sink;
  CResource* bitmap = f.SelectResource(u"Bitmaps", u"601");
  f.header()->DoNotTranslateBox()->click();

  f.header()->DeleteTranslation();
  EXPECT_EQ(sink.messages.back().text, u"There is no such translation for this resource.");

  f.header()->ImportFrom(tvl::FromUtf8(FixturePath("data/info8.bmp")));
  EXPECT_EQ(bitmap->GetStatus(kFrench), 1);
  EXPECT_EQ(f.header()->StatusLabel()->text(), QStringLiteral("Translated."));
  EXPECT_EQ(f.FindNode(u"601")->GetImage(), 9);

  // Exported as a .bmp file again.
  f.header()->ExportTo(f.File("out.bmp"));
  std::vector<unsigned char> out = ReadFileBytes(f.files.file("out.bmp"));
  ASSERT_GT(out.size(), 2u);
  EXPECT_EQ(out[0], 'B');
  EXPECT_EQ(out[1], 'M');

  // An out-of-date translation can be confirmed.
  bitmap->SetTranslationStatus(kFrench, 0);
  f.frame->RunCommand(32788);
  EXPECT_EQ(f.header()->StatusLabel()->text(), QStringLiteral("Translation is not up-to-date."));
  ASSERT_TRUE(f.header()->IsLinkShown(QStringLiteral("confirm")));
  f.header()->ConfirmTranslation();
  EXPECT_EQ(bitmap->GetStatus(kFrench), 1);
  f.doc.Undo();
  EXPECT_EQ(bitmap->GetStatus(kFrench), 0);
  f.doc.Redo();

  size_t before = sink.messages.size();
  sink.answers = {IDNO};
  f.header()->DeleteTranslation();
  EXPECT_EQ(sink.messages.back().text, u"Are you sure you want to delete the existing translation for this resource ?");
  EXPECT_TRUE(bitmap->HasTranslation(kFrench));
  sink.answers = {IDYES};
  f.header()->DeleteTranslation();
  EXPECT_FALSE(bitmap->HasTranslation(kFrench));
  EXPECT_EQ(f.FindNode(u"601")->GetImage(), 8);
  f.doc.Undo();
  EXPECT_TRUE(bitmap->HasTranslation(kFrench));
  EXPECT_EQ(bitmap->GetStatus(kFrench), 1);
  EXPECT_EQ(sink.messages.size(), before + 2);
}

TEST(ResourceHeader, ImportRefusesTheSourceLanguageAndFilesAboveTheLimit) {
  HeaderFixture f;
  CRecordingSink sink;
  CResource* data = f.SelectResource(u"10", u"700");
  f.header()->DoNotTranslateBox()->click();
  ASSERT_TRUE(data->IsTranslatable());
  EXPECT_EQ(f.header()->Title(), QStringLiteral("Type: 10. Id: 700."));

  std::string big = f.files.file("big.bin");
  {
    std::ofstream out(big, std::ios::binary);
  }
  std::filesystem::resize_file(big, 50000001);
  f.header()->ImportFrom(tvl::FromUtf8(big));
  EXPECT_EQ(sink.messages.back().text, u"Error reading the file: File is too large.");
  EXPECT_FALSE(data->HasTranslation(kFrench));
  std::filesystem::resize_file(big, 50000000);
  f.header()->ImportFrom(tvl::FromUtf8(big));
  EXPECT_TRUE(data->HasTranslation(kFrench));
  std::filesystem::remove(big);

  f.header()->ImportFrom(f.File("missing.bin"));
  EXPECT_EQ(sink.messages.back().text.rfind(u"Error reading the file: ", 0), 0u);

  f.SetLanguage(0x0409);
  f.header()->ImportFrom(tvl::FromUtf8(FixturePath("data/info8.bmp")));
  EXPECT_EQ(sink.messages.back().text, u"Import is not allowed for the source language. Please select the language "
                                       u"for which you want to import a translation.");
  f.header()->DeleteTranslation();
  EXPECT_EQ(sink.messages.back().text, u"Only translations can be deleted. Please select the language for which you "
                                       u"want to delete a translation.");
}

TEST(ResourceHeader, DialogFontTranslationIsSetAndUndone) {
  HeaderFixture f;
  auto* dialog = dynamic_cast<CResDialog*>(f.SelectResource(u"Dialogs", u"101"));
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(f.header()->FontBox()->isVisibleTo(f.header()));
  EXPECT_EQ(f.header()->FontBox()->text(), QStringLiteral("Segoe UI (9)"));
  f.header()->SetDialogFont(u"Tahoma", 10);
  const auto* font = static_cast<const CLocalizedFontReference*>(dialog->m_font.FindValue(kFrench));
  ASSERT_NE(font, &dialog->m_font);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->m_text, u"Tahoma");
  EXPECT_EQ(font->m_pointSize, 10);
  EXPECT_EQ(f.header()->FontBox()->text(), QStringLiteral("Tahoma (10)"));
  f.doc.Undo();
  EXPECT_EQ(dialog->m_font.FindValue(kFrench), nullptr);
  f.doc.Redo();
  font = static_cast<const CLocalizedFontReference*>(dialog->m_font.FindValue(kFrench));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->m_pointSize, 10);
  f.header()->SetDefaultDialogFont();
  EXPECT_EQ(dialog->m_font.FindValue(kFrench), nullptr);
}

TEST(ResourceHeader, ReplacingImportUndoesToThePreviousTranslation) {
  HeaderFixture f;
  auto* bitmap = static_cast<CResBinary*>(f.SelectResource(u"Bitmaps", u"601"));
  f.header()->DoNotTranslateBox()->click();
  f.header()->ImportFrom(tvl::FromUtf8(FixturePath("data/info8.bmp")));
  std::vector<BYTE> first = bitmap->GetBytes(kFrench);
  f.header()->ImportFrom(tvl::FromUtf8(FixturePath("data/info24.bmp")));
  std::vector<BYTE> second = bitmap->GetBytes(kFrench);
  ASSERT_NE(first, second);

  f.doc.Undo();
  EXPECT_EQ(bitmap->GetBytes(kFrench), first);
  f.doc.Redo();
  EXPECT_EQ(bitmap->GetBytes(kFrench), second);
  f.doc.Undo();
  f.doc.Undo();
  EXPECT_FALSE(bitmap->HasTranslation(kFrench));
}
