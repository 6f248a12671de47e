// The dialog view in the main window: selecting, walking, committing and the work marks.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "UiTestSupport.h"
#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "ui/views/DialogPreview.h"
#include "ui/views/DialogView.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "workspace/CommandIds.h"

namespace {

constexpr LANGID kFrench = 0x040C;

CProjectNodeResource* FindDialogNode(CProjectNode* node, WORD ordinal) {
  if (auto* r = dynamic_cast<CProjectNodeResource*>(node)) {
    auto* d = dynamic_cast<CResDialog*>(r->GetResource());
    if (d && d->m_identifier.IsOrdinal() && d->m_identifier.m_ordinal == ordinal) return r;
  }
  for (const auto& c : node->m_children)
    if (auto* found = FindDialogNode(c.get(), ordinal)) return found;
  return nullptr;
}

// The project of all32.exe with French selected and the classic dialog (100) shown.
class DialogViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(f.Open(project.Path()));
    f.SetLanguage(kFrench);
    node = FindDialogNode(f.frame->Tree()->Root(), 100);
    ASSERT_NE(node, nullptr);
    dialog = static_cast<CResDialog*>(node->GetResource());
  }
  CDialogView* Show() {
    f.Select(node);
    auto* view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
    if (view) QTest::qWait(10);
    return view;
  }
  void Click(CDialogView* view, int index) {
    QPoint at = view->Preview()->pos() + view->Preview()->Control(index)->geometry().center();
    QTest::mouseClick(view->widget(), Qt::LeftButton, {}, at);
  }

  CFrameFixture f;
  CProjectFile project;
  CProjectNodeResource* node = nullptr;
  CResDialog* dialog = nullptr;
};

}  // namespace

TEST_F(DialogViewTest, ClicksCycleThroughAGroupBoxAndTheButtonInIt) {
  // The "Check" box (index 6) moved into the group box (index 10).
  dialog->m_items[6]->m_pos.m_x = 15;
  dialog->m_items[6]->m_pos.m_y = 80;
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  std::vector<int> picked;
  for (int i = 0; i < 3; ++i) {
    Click(view, 6);
    picked.push_back(view->SelectedIndex());
  }
  EXPECT_EQ(picked, (std::vector<int>{6, 10, 6}));
  // Where no control lies, the dialog itself.
  QTest::mouseClick(view->widget(), Qt::LeftButton, {}, view->Preview()->pos() + QPoint(200, 120));
  EXPECT_EQ(view->SelectedIndex(), -1);
  // A list box without initial strings selects the control, not a string.
  Click(view, 11);
  EXPECT_EQ(view->SelectedIndex(), 11);
  EXPECT_EQ(view->SelectedString(), -1);
}

TEST_F(DialogViewTest, ArrowKeysWalkAroundTheDialog) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  const int last = static_cast<int>(dialog->m_items.size()) - 1;
  view->Select({-1, -1});
  QTest::keyClick(view, Qt::Key_Left);
  EXPECT_EQ(view->SelectedIndex(), last);
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_EQ(view->SelectedIndex(), -1);
  QTest::keyClick(view, Qt::Key_Down);
  EXPECT_EQ(view->SelectedIndex(), 0);
  QTest::keyClick(view, Qt::Key_Up);
  EXPECT_EQ(view->SelectedIndex(), -1);
}

TEST_F(DialogViewTest, CommittedTranslationWidensTheStaticAtOnce) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  Click(view, 0);
  ASSERT_EQ(view->SelectedIndex(), 0);
  CPreviewControl* label = view->Preview()->Control(0);
  const int before = label->width();
  f.TypeAndCommit(QStringLiteral("Un texte nettement plus long que sa boite"));
  EXPECT_EQ(dialog->m_items[0]->m_text.GetBuildText(kFrench), u"Un texte nettement plus long que sa boite");
  EXPECT_EQ(label->Text(), QStringLiteral("Un texte nettement plus long que sa boite"));
  EXPECT_GT(label->width(), before);
  // The live control sits where a preview built afresh puts it.
  std::unique_ptr<CDialogPreview> fresh(
      BuildDialogPreview(*dialog, PreviewSourceFor(f.doc, kFrench), ID_VIEW_TRANSLATABLE, nullptr));
  EXPECT_EQ(label->geometry(), fresh->Control(0)->geometry());
  // The commit moved on to the next element to translate.
  EXPECT_NE(view->SelectedIndex(), 0);
}

TEST_F(DialogViewTest, WorkModesMarkWhatIsLeft) {
  dialog->m_items[0]->m_text.SetTranslation(u"Texte :", kFrench);  // translated: status 1
  f.frame->ChooseModeEntry(2);                                     // "To be translated"
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  CDialogPreview* preview = view->Preview();
  EXPECT_FALSE(view->IsMarked(0));
  EXPECT_FALSE(preview->Control(0)->isEnabled());
  EXPECT_TRUE(preview->Control(0)->IsStruckOut());
  EXPECT_TRUE(view->IsMarked(2));
  EXPECT_TRUE(preview->Control(2)->isEnabled());
  EXPECT_FALSE(preview->Control(2)->IsStruckOut());
  EXPECT_TRUE(view->IsMarked(-1));
  // The red frame is drawn around the untranslated control.
  QImage image = view->widget()->grab().toImage();
  QRect framed = preview->Control(2)->geometry().translated(preview->pos()).adjusted(-1, -1, 1, 1);
  EXPECT_EQ(image.pixelColor(framed.left(), framed.center().y()), QColor(255, 0, 0));
  QRect done = preview->Control(0)->geometry().translated(preview->pos()).adjusted(-1, -1, 1, 1);
  EXPECT_NE(image.pixelColor(done.left(), done.center().y()), QColor(255, 0, 0));

  f.frame->OnModeCommand(ID_VIEW_TO_EDIT);
  view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
  if (!view) view = Show();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->IsMarked(0));
  EXPECT_TRUE(view->Preview()->Control(0)->isEnabled());

  // Back in "all items" nothing is marked or struck out.
  f.frame->ChooseModeEntry(0);
  view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
  if (!view) view = Show();
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(view->IsMarked(2));
  EXPECT_FALSE(view->Preview()->Control(0)->IsStruckOut());
}

TEST_F(DialogViewTest, ListAndComboStringsAreTranslatedInPlace) {
  node = FindDialogNode(f.frame->Tree()->Root(), 101);
  ASSERT_NE(node, nullptr);
  dialog = static_cast<CResDialog*>(node->GetResource());
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  // Clicking the combo box (index 2) opens the list of its strings below its field.
  Click(view, 2);
  EXPECT_EQ(view->SelectedIndex(), 2);
  EXPECT_EQ(view->SelectedString(), 0);
  QListWidget* list = view->ListEditor();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), QStringLiteral("Beta"));
  EXPECT_GT(list->geometry().top(), view->Preview()->Control(2)->geometry().translated(view->Preview()->pos()).bottom());
  // Choosing a row makes that string the element; its translation goes into the box and the row.
  list->setCurrentRow(1);
  EXPECT_EQ(view->SelectedString(), 1);
  f.TypeAndCommit(QStringLiteral("Beta FR"));
  EXPECT_EQ(dialog->GetDlgInit(2, 1)->GetText()->GetBuildText(kFrench), u"Beta FR");
  EXPECT_EQ(view->Preview()->Control(2)->Entries().value(1), QStringLiteral("Beta FR"));
  EXPECT_EQ(list->item(1)->text(), QStringLiteral("Beta FR"));
  // The commit went on to the list box's first string: the list now lies over the list box.
  EXPECT_EQ(view->SelectedIndex(), 3);
  EXPECT_EQ(view->SelectedString(), 0);
  ASSERT_NE(view->ListEditor(), nullptr);
  EXPECT_EQ(view->ListEditor()->geometry(),
            view->Preview()->Control(3)->geometry().translated(view->Preview()->pos()));
  // Over a combo box, the next click in the view only closes the list.
  Click(view, 2);
  ASSERT_NE(view->ListEditor(), nullptr);
  Click(view, 1);
  EXPECT_EQ(view->ListEditor(), nullptr);
  EXPECT_EQ(view->SelectedIndex(), 2);
  Click(view, 1);
  EXPECT_EQ(view->SelectedIndex(), 1);
}

TEST_F(DialogViewTest, DeleteAndUndoRewriteTheLiveControl) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  Click(view, 4);  // the OK button
  f.TypeAndCommit(QStringLiteral("Valider"));
  CPreviewControl* button = view->Preview()->Control(4);
  EXPECT_EQ(button->Text(), QStringLiteral("Valider"));
  // Undo puts the previous text back into the window and selects the button.
  f.frame->RunCommand(ID_EDIT_UNDO);
  view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Preview()->Control(4)->Text(), QStringLiteral("OK"));
  EXPECT_EQ(view->SelectedIndex(), 4);
  f.frame->RunCommand(ID_EDIT_REDO);
  EXPECT_EQ(view->Preview()->Control(4)->Text(), QStringLiteral("Valider"));
  // Del removes the translation of the selected element.
  view->Select({4, -1});
  view->setFocus();
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(dialog->m_items[4]->m_text.FindValue(kFrench), nullptr);
  EXPECT_EQ(view->Preview()->Control(4)->Text(), QStringLiteral("OK"));
}

TEST_F(DialogViewTest, EditMenuDeletesTheSelectedTranslation) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  QAction* del = f.frame->Action(ID_EDIT_DELETE);
  // An untranslated element has nothing to delete.
  view->Select({4, -1});
  view->setFocus();
  EXPECT_FALSE(del->isEnabled());
  Click(view, 4);
  f.TypeAndCommit(QStringLiteral("Valider"));
  // The commit moved on; coming back to the button offers its translation for deletion at once.
  view->Select({4, -1});
  view->setFocus();
  EXPECT_TRUE(del->isEnabled());
  EXPECT_EQ(del->text(), QStringLiteral("&Delete Translation\tDel"));
  f.frame->RunCommand(ID_EDIT_DELETE);
  EXPECT_EQ(dialog->m_items[4]->m_text.FindValue(kFrench), nullptr);
  EXPECT_EQ(view->Preview()->Control(4)->Text(), QStringLiteral("OK"));
  EXPECT_FALSE(del->isEnabled());
}

TEST_F(DialogViewTest, ZoomScalesThePictureAndTheClicks) {
  CDialogView* view = Show();
  ASSERT_NE(view, nullptr);
  CDialogPreview* preview = view->Preview();
  const QImage plain = preview->grab().toImage();
  for (int zoom : {150, 200}) {
    view->SetZoom(zoom);
    EXPECT_EQ(view->Zoom(), zoom);
    EXPECT_EQ(view->widget()->width(), preview->width() * zoom / 100 + 12);
    // Each pixel of the picture is the preview's pixel under it.
    const QImage shown = view->widget()->grab().toImage();
    for (QPoint p : {QPoint(40, 30), QPoint(preview->width() - 5, preview->height() - 5), QPoint(3, 10)}) {
      const QPoint at = QPoint(6, 6) + p * zoom / 100;
      EXPECT_EQ(shown.pixelColor(at), plain.pixelColor(p)) << zoom << " " << p.x() << "," << p.y();
    }
    // A click on the scaled OK button selects it.
    const QRect ok = preview->Control(4)->geometry();
    QTest::mouseClick(view->widget(), Qt::LeftButton, {}, QPoint(6, 6) + ok.center() * zoom / 100);
    EXPECT_EQ(view->SelectedIndex(), 4) << zoom;
    view->Select({-1, -1});
  }
  // Ctrl+minus steps back down, Ctrl+0 returns to 100 %; the next dialog keeps the zoom.
  view->setFocus();
  QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(view->Zoom(), 150);
  view->SetZoom(175);  // not one of the steps
  EXPECT_EQ(view->Zoom(), 150);
  view = Show();
  EXPECT_EQ(view->Zoom(), 150);
  view->setFocus();
  QTest::keyClick(view, Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(view->Zoom(), 100);
  EXPECT_FALSE(view->Preview()->isHidden());
}

namespace {

void CollectDialogNodes(CProjectNode* node, std::vector<CProjectNodeResource*>& out) {
  if (auto* r = dynamic_cast<CProjectNodeResource*>(node); r && dynamic_cast<CResDialog*>(r->GetResource()))
    out.push_back(r);
  for (const auto& c : node->m_children) CollectDialogNodes(c.get(), out);
}

}  // namespace

// Every dialog of every test program, in the source and in each target language, is shown
// as a preview with one widget per control, never as the error form.
TEST(DialogView, EveryDialogOfTheTestProgramsPreviews) {
  CScratchDir dir;
  const char* programs[] = {"all32.exe", "all64.exe", "all32_v2.exe", "mfc32.exe", "mfc64.exe",
                            "twolang.dll", "reloc32.dll", "reloc64.dll"};
  {
    CTvlDoc doc;
    CLanguageArray languages;
    languages.Add(CLanguage(0x0407));
    languages.Add(CLanguage(0x040C));
    for (const char* program : programs) {
      std::filesystem::copy_file(FixturePath(program), dir.file(program));
      auto m = std::make_unique<CModule>(tvl::FromUtf8(dir.file(program)), 0x0409, 0);
      m->SetDocument(&doc);
      ASSERT_TRUE(m->LoadFromFile()) << program;
      doc.InsertModule(std::move(m), 0x0409, languages);
    }
    ASSERT_TRUE(doc.OnSaveDocument(tvl::FromUtf8(dir.file("All.tvl"))));
  }
  CFrameFixture f;
  ASSERT_TRUE(f.Open(tvl::FromUtf8(dir.file("All.tvl"))));
  std::vector<CProjectNodeResource*> nodes;
  CollectDialogNodes(f.frame->Tree()->Root(), nodes);
  EXPECT_GE(nodes.size(), 12u);
  int shown = 0;
  for (LANGID language : {LANGID{0x0409}, LANGID{0x0407}, LANGID{0x040C}}) {
    f.SetLanguage(language);
    for (CProjectNodeResource* node : nodes) {
      f.Select(node);
      auto* view = qobject_cast<CDialogView*>(f.frame->ResourcePane()->View());
      const auto* dialog = static_cast<CResDialog*>(node->GetResource());
      ASSERT_NE(view, nullptr) << tvl::ToUtf8(node->GetLabel()) << " in " << language;
      EXPECT_EQ(view->Preview()->ControlCount(), static_cast<int>(dialog->m_items.size()));
      ++shown;
    }
  }
  EXPECT_EQ(shown, static_cast<int>(3 * nodes.size()));
}
