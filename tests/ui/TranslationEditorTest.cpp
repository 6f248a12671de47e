#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <set>

#include "UiTestSupport.h"
#include "formats/text/ResStringTable.h"
#include "platform/Text.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/ResourceHeaderView.h"
#include "ui/views/StringTableView.h"
#include "ui/views/TranslationView.h"

namespace {

constexpr LANGID kFrench = 0x040C;

// The project open in French on its string table.
struct EditorFixture : CFrameFixture {
  EditorFixture() {
    EXPECT_TRUE(Open(project.Path()));
    module = doc.m_modules[0].get();
    table = &module->m_resTable.m_stringTable;
    SetLanguage(kFrench);
    Select(FindNode(u"String Table"));
  }
  CTranslationView* editor() const { return frame->Editor(); }
  CResString* String(DWORD id) const { return table->FindString(id); }
  const CLocalizedString* French(DWORD id) const {
    const CLocalizedParam* n = String(id)->m_value.FindValue(kFrench);
    return n == &String(id)->m_value ? nullptr : dynamic_cast<const CLocalizedString*>(n);
  }
  DWORD OfferedId() const {
    for (int i = 0; i < table->GetCount(); ++i)
      if (&table->GetString(i)->m_value == editor()->LastRequest().m_element) return table->GetString(i)->m_id;
    return 0xFFFFFFFF;
  }
  void Offer(DWORD id) {
    StringView()->setFocus();
    QModelIndex index = StringView()->Model()->index(StringView()->RowOfId(id), 0);
    StringView()->setCurrentIndex(index);
  }

  CProjectFile project;
  CModule* module = nullptr;
  CResStringTable* table = nullptr;
};

}  // namespace

TEST(TranslationEditor, OffersTheFirstUntranslatedStringAndCommitsWithEnter) {
  EditorFixture f;
  EXPECT_EQ(f.OfferedId(), 1u);
  EXPECT_TRUE(f.editor()->IsFormEnabled());
  EXPECT_EQ(f.editor()->SourceBox()->toPlainText(), QStringLiteral("One"));
  int untranslated = f.StringView()->UntranslatedCount();

  f.TypeAndCommit(QStringLiteral("Un"));
  ASSERT_NE(f.French(1), nullptr);
  EXPECT_EQ(f.French(1)->m_text, u"Un");
  EXPECT_EQ(f.French(1)->m_status, 1);
  EXPECT_EQ(f.StringView()->UntranslatedCount(), untranslated - 1);
  EXPECT_TRUE(f.doc.IsModified());
  // The list moves on to the next string to translate.
  EXPECT_EQ(f.OfferedId(), 2u);
  EXPECT_EQ(f.StringView()->Model()->data(f.StringView()->Model()->index(1, 1), Qt::DisplayRole).toString(),
            QStringLiteral("Two\\tTab"));

  // The source language, or a string marked do-not-translate, leaves the editor disabled.
  f.String(15)->m_value.SetDoNotTranslate(true);
  f.Offer(15);
  EXPECT_FALSE(f.editor()->IsFormEnabled());
  f.SetLanguage(0x0409);
  f.Offer(1);
  EXPECT_FALSE(f.editor()->IsFormEnabled());
  EXPECT_TRUE(f.editor()->TranslationBox()->toPlainText().isEmpty());
}

TEST(TranslationEditor, ValidationQuestionsGuardTheCommit) {
  EditorFixture f;
  CRecordingSink sink;
  // More lines than the source: the question, No keeps everything as it was.
  sink.answers = {IDNO};
  CTranslationEdit* box = f.editor()->TranslationBox();
  box->setFocus();
  QTest::keyClicks(box, QStringLiteral("Un"));
  QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
  QTest::keyClicks(box, QStringLiteral("deux"));
  QTest::keyClick(box, Qt::Key_Return);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text,
            u"The number of lines in source and translation tests do not match : 1 line(s) in source text, 2 line(s) "
            u"in translation.\n\nAre you sure the translation is correct ?");
  EXPECT_EQ(sink.messages[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  EXPECT_EQ(f.French(1), nullptr);
  EXPECT_EQ(f.OfferedId(), 1u);
  sink.answers = {IDYES};
  QTest::keyClick(box, Qt::Key_Return);
  ASSERT_NE(f.French(1), nullptr);
  EXPECT_EQ(f.French(1)->m_text, u"Un\r\ndeux");

  // Empty over nothing: take the source text.
  sink.answers = {IDYES};
  f.TypeAndCommit(QString());
  EXPECT_EQ(sink.messages.back().text, u"Should the translation use the source text unchanged ?");
  ASSERT_NE(f.French(2), nullptr);
  EXPECT_EQ(f.French(2)->m_text, u"Two\tTab");

  // Empty over an existing translation: erase only when confirmed.
  f.Offer(2);
  sink.answers = {IDNO};
  f.TypeAndCommit(QString());
  EXPECT_EQ(sink.messages.back().text, u"Do you want to erase the existing translation for this item ?");
  EXPECT_NE(f.French(2), nullptr);
  sink.answers = {IDYES};
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(f.French(2), nullptr);

  // Delete Translation erases without a question.
  size_t asked = sink.messages.size();
  f.Offer(1);
  box->setFocus();
  EXPECT_TRUE(f.editor()->CanDeleteTranslation());
  f.frame->RunCommand(32800);
  EXPECT_EQ(f.French(1), nullptr);
  EXPECT_EQ(sink.messages.size(), asked);
}

TEST(TranslationEditor, LineBreaksOfTheTranslationFollowTheSource) {
  EditorFixture f;
  CRecordingSink sink;
  f.String(16)->m_value.m_text = u"first\r\nsecond";
  f.Offer(16);
  EXPECT_TRUE(f.editor()->IsMultiLine());
  EXPECT_FALSE(f.editor()->MultiLineNote()->isHidden());
  EXPECT_EQ(f.editor()->SourceBox()->toPlainText(), QStringLiteral("first\nsecond"));
  sink.answers = {IDYES};
  CTranslationEdit* box = f.editor()->TranslationBox();
  box->setFocus();
  QTest::keyClicks(box, QStringLiteral("a"));
  QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
  QTest::keyClicks(box, QStringLiteral("b"));
  QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
  QTest::keyClicks(box, QString::fromUtf8("c\u00A0!"));  // a non-breaking space stays
  QTest::keyClick(box, Qt::Key_Return);
  ASSERT_EQ(sink.messages.size(), 1u);
  ASSERT_NE(f.French(16), nullptr);
  EXPECT_EQ(f.French(16)->m_text, u"a\r\nb\r\nc\u00A0!");
}

TEST(TranslationEditor, UndoGoesToTheBoxFirstThenToTheProject) {
  EditorFixture f;
  CTranslationEdit* box = f.editor()->TranslationBox();
  f.TypeAndCommit(QStringLiteral("Un"));
  CProjectNode* tableNode = f.FindNode(u"String Table");
  int untranslated = f.StringView()->UntranslatedCount();
  EXPECT_EQ(f.OfferedId(), 2u);

  // Typing is undone in the box.
  box->setFocus();
  QTest::keyClicks(box, QStringLiteral("abc"));
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_NE(box->toPlainText(), QStringLiteral("abc"));
  ASSERT_NE(f.French(1), nullptr);
  while (box->document()->isUndoAvailable()) box->undo();

  // Then Ctrl+Z reaches the project: the translation goes and the string is offered again.
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(f.French(1), nullptr);
  EXPECT_EQ(f.OfferedId(), 1u);
  EXPECT_EQ(f.StringView()->UntranslatedCount(), untranslated + 1);
  EXPECT_FALSE(f.doc.CanUndo());
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
  ASSERT_NE(f.French(1), nullptr);
  EXPECT_EQ(f.French(1)->m_text, u"Un");
  EXPECT_EQ(f.French(1)->m_status, 1);
  EXPECT_EQ(f.StringView()->UntranslatedCount(), untranslated);
  EXPECT_EQ(f.FindNode(u"String Table"), tableNode);
}

TEST(TranslationEditor, UndoneStringHiddenByTheFilterIsShownAndSelected) {
  EditorFixture f;
  f.frame->ChooseModeEntry(2);
  f.TypeAndCommit(QStringLiteral("Un"));
  f.frame->RunCommand(32788);  // the translated string leaves the list
  EXPECT_EQ(f.StringView()->RowOfId(1), -1);
  // Undo brings it back into the list; redo translates it again, and it stays shown and selected.
  f.doc.Undo();
  EXPECT_EQ(f.StringView()->CurrentRow(), f.StringView()->RowOfId(1));
  EXPECT_GE(f.StringView()->RowOfId(1), 0);
  f.doc.Redo();
  int row = f.StringView()->RowOfId(1);
  ASSERT_GE(row, 0);
  EXPECT_EQ(f.StringView()->CurrentRow(), row);
  EXPECT_EQ(f.OfferedId(), 1u);
}

TEST(TranslationEditor, LastStringOfTheTableMovesTheTreeOnAndTheImageChanges) {
  EditorFixture f;
  CRecordingSink sink;
  // Everything but string 1 is translated already.
  for (int i = 0; i < f.table->GetCount(); ++i)
    if (f.table->GetString(i)->m_id != 1) f.table->GetString(i)->m_value.SetTranslation(u"fait", kFrench);
  f.frame->RunCommand(32788);
  EXPECT_EQ(f.StringView()->UntranslatedCount(), 1);
  EXPECT_EQ(f.FindNode(u"String Table")->GetImage(), 16);
  f.TypeAndCommit(QStringLiteral("Un"));
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(f.table->GetStatus(kFrench), 1);
  EXPECT_EQ(f.FindNode(u"String Table")->GetImage(), 17);
  // The tree went on to the next leaf with work left.
  CProjectNode* selected = f.frame->Tree()->SelectedNode();
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->GetLabel(), u"Message Table");
  EXPECT_EQ(f.StringView()->Table(), &f.module->m_resTable.m_messageTable);
}

TEST(TranslationEditor, SavedTranslationsComeBackWithTheProject) {
  EditorFixture f;
  f.TypeAndCommit(QStringLiteral("Un"));
  // The title follows the modified flag.
  QTest::qWait(300);
  EXPECT_EQ(f.frame->windowTitle().right(1), QStringLiteral("*"));
  QTest::keyClick(f.frame.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_FALSE(f.doc.IsModified());
  EXPECT_EQ(f.frame->windowTitle().right(1), QStringLiteral(" "));

  CTvlDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(f.project.Path()));
  const CResString* s = doc.m_modules[0]->m_resTable.m_stringTable.FindString(1);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->m_value.GetText(kFrench), u"Un");
}

TEST(TranslationEditor, HeaderMarksTheOfferedStringDoNotTranslate) {
  EditorFixture f;
  CResourceHeaderView* header = f.frame->ResourcePane()->Header();
  QCheckBox* box = header->DoNotTranslateBox();
  ASSERT_TRUE(box->isVisibleTo(header));
  EXPECT_EQ(box->text(), QStringLiteral("&Do not translate string"));
  int untranslated = f.StringView()->UntranslatedCount();
  int toEdit = f.StringView()->ToEditCount();

  box->click();  // string 1 is offered
  EXPECT_TRUE(f.String(1)->m_value.IsDoNotTranslate());
  EXPECT_EQ(f.StringView()->UntranslatedCount(), untranslated - 1);
  EXPECT_EQ(f.StringView()->ToEditCount(), toEdit - 1);
  EXPECT_EQ(f.OfferedId(), 2u);  // the list moved on
  // Grey, without status image.
  QModelIndex row = f.StringView()->Model()->index(f.StringView()->RowOfId(1), 0);
  EXPECT_FALSE(f.StringView()->Model()->data(row, Qt::DecorationRole).isValid());
  EXPECT_TRUE(f.StringView()->Model()->data(row, Qt::ForegroundRole).isValid());

  f.doc.Undo();
  EXPECT_FALSE(f.String(1)->m_value.IsDoNotTranslate());
  EXPECT_EQ(f.StringView()->UntranslatedCount(), untranslated);
  EXPECT_EQ(f.OfferedId(), 1u);
  EXPECT_FALSE(box->isChecked());
}

TEST(TranslationEditor, SkippingWalksTheTranslatableMessagesOnly) {
  EditorFixture f;
  f.Select(f.FindNode(u"Message Table"));
  CStringTableView* view = f.StringView();
  ASSERT_NE(view, nullptr);
  const CResStringTable& messages = f.module->m_resTable.m_messageTable;
  int empty = 0;
  for (int i = 0; i < messages.GetCount(); ++i) empty += messages.GetString(i)->m_value.m_text.empty() ? 1 : 0;
  ASSERT_GT(empty, 0);
  // All Items lists the message without text, but the walk never stops on it.
  EXPECT_EQ(view->Model()->rowCount(), messages.GetCount());
  std::set<int> offered;
  for (int i = 0; i < 2 * messages.GetCount(); ++i) {
    const auto* value = dynamic_cast<const CLocalizedString*>(f.editor()->LastRequest().m_element);
    ASSERT_NE(value, nullptr);
    EXPECT_FALSE(value->m_text.empty());
    offered.insert(f.editor()->LastRequest().m_item);
    f.editor()->SkipButton()->click();
  }
  EXPECT_EQ(static_cast<int>(offered.size()), messages.GetCount() - empty);
  EXPECT_EQ(view->Table(), &messages);  // the walk stays in this list: nothing was translated
}

TEST(TranslationEditor, ErasedTranslationComesBackToItsPlaceInTheChain) {
  EditorFixture f;
  f.TypeAndCommit(QStringLiteral("Un"));
  f.SetLanguage(0x0407);
  f.Offer(1);
  f.TypeAndCommit(QStringLiteral("Eins"));
  auto languages = [&] {
    std::vector<LANGID> order;
    for (const CLocalizedParam* n = f.String(1)->m_value.GetNext(); n; n = n->GetNext()) order.push_back(n->m_language);
    return order;
  };
  ASSERT_EQ(languages(), (std::vector<LANGID>{kFrench, 0x0407}));

  f.SetLanguage(kFrench);
  f.Offer(1);
  f.editor()->TranslationBox()->setFocus();
  f.frame->RunCommand(32800);  // Delete Translation
  ASSERT_EQ(f.French(1), nullptr);
  f.Offer(1);
  f.frame->RunCommand(57643);  // Undo
  ASSERT_NE(f.French(1), nullptr);
  EXPECT_EQ(f.French(1)->m_text, u"Un");
  // Back before German, as it was: the saved project is the same as before the delete.
  EXPECT_EQ(languages(), (std::vector<LANGID>{kFrench, 0x0407}));
}

TEST(TranslationEditor, MultiLineSourceIsShownWholeAndTheNoteTakesNoHeight) {
  EditorFixture f;  // the default window size
  CTextBox* source = static_cast<CTextBox*>(f.editor()->SourceBox());
  CTranslationEdit* box = f.editor()->TranslationBox();
  QTest::qWait(20);
  const QSize sourceSize = source->size(), boxSize = box->size();
  const QSize ok = f.editor()->OkButton()->size(), skip = f.editor()->SkipButton()->size();
  EXPECT_GE(box->height(), box->HeightForLines(4));

  f.String(16)->m_value.m_text = u"The first line,\r\nthe second line\r\nand the third.";
  f.Offer(16);
  QTest::qWait(20);
  ASSERT_FALSE(f.editor()->MultiLineNote()->isHidden());
  EXPECT_EQ(source->verticalScrollBar()->maximum(), 0);
  EXPECT_GE(source->viewport()->height(), 3 * source->fontMetrics().lineSpacing());
  EXPECT_EQ(source->size(), sourceSize);
  EXPECT_EQ(box->size(), boxSize);
  EXPECT_EQ(f.editor()->OkButton()->size(), ok);
  EXPECT_EQ(f.editor()->SkipButton()->size(), skip);

  // A longer text takes the room the pane has: the source box grows to show it whole.
  f.String(16)->m_value.m_text = u"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7";
  QList<int> rows = f.frame->RowSplitter()->sizes();
  f.frame->RowSplitter()->setSizes({rows[0] + rows[1] - 420, 420});
  f.Offer(16);
  QTest::qWait(20);
  EXPECT_EQ(source->verticalScrollBar()->maximum(), 0);
  EXPECT_GE(source->viewport()->height(), 7 * source->fontMetrics().lineSpacing());
  EXPECT_GE(box->height(), box->HeightForLines(4));
  EXPECT_EQ(f.editor()->OkButton()->size(), ok);
}

TEST(TranslationEditor, EditorTakesAShareOfTheWindowsGrowthAndTheSplitIsKept) {
  CScratchDir dir;
  std::string ini = dir.file("Workspace.ini");
  int grown = 0;
  {
    CFrameFixture f(ini);
    QWidget* editor = f.frame->Editor();
    QWidget* views = f.frame->ColumnSplitter();
    QTest::qWait(20);
    const int editorHeight = editor->height(), viewsHeight = views->height();
    EXPECT_GE(editorHeight, editor->sizeHint().height());  // what four-line boxes need
    f.frame->resize(f.frame->width(), f.frame->height() + 300);
    QTest::qWait(50);
    grown = editor->height();
    EXPECT_GT(grown - editorHeight, 60);
    EXPECT_GT(views->height() - viewsHeight, grown - editorHeight);
    f.frame->resize(f.frame->width(), f.frame->height() - 300);
    QTest::qWait(50);
    EXPECT_NEAR(editor->height(), editorHeight, 1);
    f.frame->resize(f.frame->width(), f.frame->height() + 300);
    QTest::qWait(50);
    grown = editor->height();
    ASSERT_TRUE(f.frame->close());
  }
  CFrameFixture g(ini);
  QTest::qWait(20);
  EXPECT_EQ(g.frame->Editor()->height(), grown);
}
