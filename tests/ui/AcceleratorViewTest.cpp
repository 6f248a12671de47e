#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "ContentViewFixture.h"
#include "formats/text/ResAccelerator.h"
#include "peimage/PeImage.h"
#include "project/Module.h"
#include "platform/Text.h"
#include "ui/dialogs/DialogAccelerator.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/views/AcceleratorView.h"
#include "ui/views/ResourceHeaderView.h"
#include "ui/views/TranslationView.h"
#include "workspace/CommandIds.h"

namespace {

// Entries of the fixture's table 300, in order: Ctrl+C, Alt+a, F5, Ctrl+Shift+Delete, A, F1.
struct AccelFixture : CContentViewFixture {
  AccelFixture() {
    table = SelectByText<CResAcceleratorTable>(u"9", u"300");
    EXPECT_NE(table, nullptr);
    if (!table) return;
    table->SetTranslatable(true);
    doc.UpdateAllViews(HintRefreshAll);
  }
  ~AccelFixture() { tvl::ui::SetModalRunner(nullptr); }
  CAcceleratorView* view() const { return View<CAcceleratorView>(); }
  QString Cell(int row, int column) const { return view()->Model()->index(row, column).data().toString(); }
  QStringList Row(int row) const {
    return {Cell(row, 0), Cell(row, 1), Cell(row, 2), Cell(row, 3)};
  }
  QStringList Ids() const {
    QStringList ids;
    for (int r = 0; r < view()->Model()->rowCount(); ++r) ids << Cell(r, 0);
    return ids;
  }
  CLocalizedHotKey& Head(size_t entry) const { return table->GetEntry(entry)->m_key; }
  const CLocalizedHotKey* French(size_t entry) const {
    const CLocalizedParam* n = Head(entry).FindValue(kFrench);
    return n == &Head(entry) ? nullptr : static_cast<const CLocalizedHotKey*>(n);
  }
  void SetFrench(size_t entry, WORD flags, WORD key, int status) {
    Head(entry).SetHotKey(kFrench, flags, key);
    Head(entry).SetStatus(kFrench, status);
  }
  void SelectRow(int row) {
    view()->setFocus();
    view()->setCurrentIndex(view()->Model()->index(row, 0));
  }
  // Edits a row with Enter; the dialog is answered by `answer`, which returns its result.
  void EditWith(int row, std::function<int(CDialogAccelerator&)> answer) {
    tvl::ui::SetModalRunner([answer](QDialog& d) { return answer(static_cast<CDialogAccelerator&>(d)); });
    SelectRow(row);
    QTest::keyClick(view(), Qt::Key_Return);
  }
  std::vector<unsigned char> Saved(const std::string& name) {
    std::string path = files.file(name);
    EXPECT_TRUE(doc.OnSaveDocument(tvl::FromUtf8(path)));
    return ReadFileBytes(path);
  }

  CScratchDir files;
  CResAcceleratorTable* table = nullptr;
};

int TypeCharacter(CDialogAccelerator& d, const QString& text, bool alt) {
  d.AsciiButton()->click();
  d.CharacterBox()->clear();
  QTest::keyClicks(d.CharacterBox(), text);
  d.AltBox()->setChecked(alt);
  d.accept();
  return d.result();
}

}  // namespace

TEST(CAcceleratorView, ListsEveryEntryWithKeyNamesAndTypes) {
  AccelFixture f;
  ASSERT_NE(f.view(), nullptr);
  ASSERT_EQ(f.view()->Model()->rowCount(), 6);
  EXPECT_EQ(f.Row(0), (QStringList{"1001", "Ctrl", "C", "VIRTKEY"}));
  EXPECT_EQ(f.Row(1), (QStringList{"1002", "Alt", "a", "ASCII"}));
  EXPECT_EQ(f.Row(2), (QStringList{"1003", "", "F5", "VIRTKEY"}));
  EXPECT_EQ(f.Row(3), (QStringList{"1004", "Ctrl+Shift", "Delete", "VIRTKEY"}));
  EXPECT_EQ(f.Row(4), (QStringList{"1005", "", "A", "ASCII"}));
  const QStringList headings{"Id", "Modifiers", "Key", "Type"};
  for (int c = 0; c < 4; ++c)
    EXPECT_EQ(f.view()->Model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headings[c]);
  // A French key is shown for French; the hint is what the editor offers.
  f.SetFrench(2, 1, 0x15, 1);
  f.doc.UpdateAllViews(HintRefreshAll);
  EXPECT_EQ(f.Cell(2, 2), QStringLiteral("Hangeul"));
  const CLocalizedParam* offered = f.frame->Editor()->LastRequest().m_element;
  ASSERT_NE(offered, nullptr);
  EXPECT_TRUE(offered->IsDoNotTranslate());
  EXPECT_EQ(static_cast<const CLocalizedString*>(offered)->m_text,
            u"To translate or edit an accelerator, double-click it.");
  // Marked do-not-translate: the source keys, grey, no image, no hint and no editing.
  f.table->SetTranslatable(false);
  f.doc.UpdateAllViews(HintRefreshAll);
  EXPECT_EQ(f.Cell(2, 2), QStringLiteral("F5"));
  EXPECT_TRUE(f.view()->Model()->index(2, 0).data(Qt::ForegroundRole).isValid());
  EXPECT_FALSE(f.view()->Model()->index(2, 0).data(Qt::DecorationRole).isValid());
  EXPECT_TRUE(static_cast<const CLocalizedString*>(f.frame->Editor()->LastRequest().m_element)->m_text.empty());
  bool asked = false;
  f.EditWith(2, [&](CDialogAccelerator&) {
    asked = true;
    return 0;
  });
  EXPECT_FALSE(asked);
}

TEST(CAcceleratorView, ModesListByTheLanguagesStatus) {
  AccelFixture f;
  f.SetFrench(1, 16, u'b', 1);
  f.SetFrench(2, 1, 0x71, 2);
  f.SetFrench(3, 1 | 8, 0x2E, 0);
  f.frame->ChooseModeEntry(2);  // to be translated
  EXPECT_EQ(f.Ids(), (QStringList{"1001", "1004", "1005", "1006"}));
  f.frame->ChooseModeEntry(3);  // to be edited
  EXPECT_EQ(f.Ids(), (QStringList{"1001", "1002", "1004", "1005", "1006"}));
  f.frame->ChooseModeEntry(1);
  EXPECT_EQ(f.view()->Model()->rowCount(), 6);
}

TEST(CAcceleratorView, TheKeyDialogStoresACharacterKeyAndUndoRestoresTheProject) {
  AccelFixture f;
  const std::vector<unsigned char> before = f.Saved("before.tvl");
  f.EditWith(1, [](CDialogAccelerator& d) {
    // The dialog opens on the entry's key.
    EXPECT_TRUE(d.AsciiButton()->isChecked());
    EXPECT_TRUE(d.AltBox()->isChecked());
    EXPECT_EQ(d.CharacterBox()->text(), QStringLiteral("a"));
    return TypeCharacter(d, QStringLiteral("^c"), false);
  });
  ASSERT_NE(f.French(1), nullptr);
  EXPECT_EQ(f.French(1)->m_key, 3);
  EXPECT_EQ(f.French(1)->m_hotFlags, 0);
  EXPECT_EQ(f.French(1)->m_status, 1);
  EXPECT_EQ(f.Row(1), (QStringList{"1002", "", "^C", "ASCII"}));
  EXPECT_TRUE(f.doc.IsModified());
  f.EditWith(2, [](CDialogAccelerator& d) {
    EXPECT_EQ(d.KeyList()->currentText(), QStringLiteral("F5"));
    d.KeyList()->setCurrentIndex(d.KeyList()->findText(QStringLiteral("Substract")));
    d.CtrlBox()->setChecked(true);
    d.accept();
    return d.result();
  });
  EXPECT_EQ(f.Row(2), (QStringList{"1003", "Ctrl", "Substract", "VIRTKEY"}));
  const std::vector<unsigned char> committed = f.Saved("committed.tvl");
  EXPECT_NE(committed, before);

  f.doc.Undo();
  f.doc.Undo();
  EXPECT_EQ(f.French(1), nullptr);
  EXPECT_EQ(f.Saved("undone.tvl"), before);
  EXPECT_EQ(f.view()->CurrentRow(), 1);
  EXPECT_EQ(f.Cell(1, 2), QStringLiteral("a"));
  f.doc.Redo();
  f.doc.Redo();
  EXPECT_EQ(f.Saved("redone.tvl"), committed);
  EXPECT_EQ(f.view()->CurrentRow(), 2);
  // Cancel changes nothing.
  size_t actions = f.doc.GetUndoList().GetCount();
  f.EditWith(4, [](CDialogAccelerator&) { return static_cast<int>(QDialog::Rejected); });
  EXPECT_EQ(f.doc.GetUndoList().GetCount(), actions);
  EXPECT_EQ(f.French(4), nullptr);
}

TEST(CAcceleratorView, RefusedKeysShowTheirMessageAndKeepTheDialogOpen) {
  const struct {
    bool ascii;
    const char* typed;
    const char16_t* message;
  } cases[] = {{true, "", u"Please type the key."},
               {true, "^1", u"Please type either a single character or ^ + a latin letter (A-Z)."},
               {false, nullptr, u"Please select a key."}};
  for (const auto& c : cases) {
    AccelFixture f;
    CRecordingSink sink;
    f.EditWith(2, [&](CDialogAccelerator& d) {
      if (c.ascii)
        TypeCharacter(d, QString::fromLatin1(c.typed), false);
      else
        d.KeyList()->setCurrentIndex(-1), d.accept();
      EXPECT_EQ(d.result(), static_cast<int>(QDialog::Rejected));
      return static_cast<int>(QDialog::Rejected);
    });
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, c.message);
    EXPECT_EQ(sink.messages[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(f.French(2), nullptr);
  }
}

TEST(CAcceleratorView, TheDialogRestoresCtrlAndShiftAfterASCII) {
  CFrameFixture host;
  CDialogAccelerator d(1 | 8 | 4 | 16, 0x43, host.frame.get());
  EXPECT_TRUE(d.VirtKeyButton()->isChecked());
  EXPECT_EQ(d.KeyList()->currentText(), QStringLiteral("C"));
  d.AsciiButton()->click();
  EXPECT_FALSE(d.CtrlBox()->isChecked() || d.CtrlBox()->isEnabled());
  EXPECT_FALSE(d.ShiftBox()->isChecked() || d.ShiftBox()->isEnabled());
  EXPECT_TRUE(d.AltBox()->isChecked() && d.AltBox()->isEnabled());
  d.VirtKeyButton()->click();
  EXPECT_TRUE(d.CtrlBox()->isChecked() && d.CtrlBox()->isEnabled());
  EXPECT_TRUE(d.ShiftBox()->isChecked() && d.ShiftBox()->isEnabled());
  // The character box takes a second character only after a caret.
  d.AsciiButton()->click();
  QTest::keyClicks(d.CharacterBox(), QStringLiteral("ab"));
  EXPECT_EQ(d.CharacterBox()->text(), QStringLiteral("a"));
  d.CharacterBox()->clear();
  QTest::keyClicks(d.CharacterBox(), QStringLiteral("^cx"));
  EXPECT_EQ(d.CharacterBox()->text(), QStringLiteral("^c"));
  // ASCII keys carry no Ctrl or Shift.
  d.accept();
  EXPECT_EQ(d.Flags(), 16);
  EXPECT_EQ(d.Key(), 3);
}

TEST(CAcceleratorView, DeleteTranslationNeedsATranslatedEntry) {
  AccelFixture f;
  f.SetFrench(3, 1, 0x2D, 0);
  f.SetFrench(2, 1, 0x71, 1);
  f.doc.UpdateAllViews(HintRefreshAll);
  f.SelectRow(3);
  EXPECT_FALSE(f.view()->CanDeleteTranslation());  // out of date
  f.SelectRow(4);
  EXPECT_FALSE(f.view()->CanDeleteTranslation());  // no French key
  f.SelectRow(2);
  EXPECT_TRUE(f.view()->CanDeleteTranslation());
  f.frame->UpdateCommandUi();
  EXPECT_EQ(f.frame->Action(ID_EDIT_DELETE)->text(), QStringLiteral("&Delete Translation\tDel"));
  EXPECT_TRUE(f.frame->Action(ID_EDIT_DELETE)->isEnabled());
  QTest::keyClick(f.view(), Qt::Key_Delete);
  EXPECT_EQ(f.French(2), nullptr);
  EXPECT_EQ(f.Cell(2, 2), QStringLiteral("F5"));
  f.doc.Undo();
  ASSERT_NE(f.French(2), nullptr);
  EXPECT_EQ(f.French(2)->m_key, 0x71);
  EXPECT_EQ(f.Cell(2, 2), QStringLiteral("F2"));
  // Nothing to delete for the source language.
  f.SetLanguage(0x0409);
  f.SelectRow(2);
  EXPECT_FALSE(f.view()->CanDeleteTranslation());
}

TEST(CAcceleratorView, UndoListsAnEntryTheFilterHides) {
  AccelFixture f;
  f.frame->ChooseModeEntry(2);  // to be translated
  ASSERT_EQ(f.view()->Model()->rowCount(), 6);
  f.EditWith(5, [](CDialogAccelerator& d) {
    d.KeyList()->setCurrentIndex(d.KeyList()->findText(QStringLiteral("F2")));
    d.accept();
    return d.result();
  });
  // The edited entry stays until the list is rebuilt.
  EXPECT_EQ(f.view()->Model()->rowCount(), 6);
  f.doc.UpdateAllViews(HintRefreshAll);
  EXPECT_FALSE(f.Ids().contains(QStringLiteral("1006")));
  f.doc.Undo();
  f.doc.Redo();
  // Redone, the entry is translated again yet listed and selected.
  ASSERT_TRUE(f.Ids().contains(QStringLiteral("1006")));
  EXPECT_EQ(f.Cell(f.view()->CurrentRow(), 0), QStringLiteral("1006"));
  EXPECT_EQ(f.Cell(f.view()->CurrentRow(), 2), QStringLiteral("F2"));
}

TEST(CAcceleratorView, EntriesWithTheSameKeyAreMarked) {
  AccelFixture f;
  EXPECT_FALSE(f.view()->Model()->index(0, 2).data(Qt::ToolTipRole).isValid());
  f.SetFrench(4, 1 | 8, u'C', 1);  // the French A becomes Ctrl+C, as entry 1001
  f.doc.UpdateAllViews(HintRefreshAll);
  EXPECT_EQ(f.view()->Model()->index(0, 2).data(Qt::ToolTipRole).toString(),
            QStringLiteral("Ctrl+C is also the key of command 1005."));
  EXPECT_EQ(f.view()->Model()->index(4, 2).data(Qt::ToolTipRole).toString(),
            QStringLiteral("Ctrl+C is also the key of command 1001."));
  EXPECT_TRUE(f.view()->Model()->index(4, 2).data(Qt::DecorationRole).isValid());
  EXPECT_FALSE(f.view()->Model()->index(2, 2).data(Qt::DecorationRole).isValid());
  // Changing the key in the dialog clears the mark at once.
  f.EditWith(4, [](CDialogAccelerator& d) { return TypeCharacter(d, QStringLiteral("z"), false); });
  EXPECT_FALSE(f.view()->Model()->index(0, 2).data(Qt::ToolTipRole).isValid());
}

TEST(CAcceleratorView, TheBuiltTargetCarriesTheKeyFromTheDialog) {
  AccelFixture f;
  f.EditWith(2, [](CDialogAccelerator& d) {
    d.KeyList()->setCurrentIndex(d.KeyList()->findText(QStringLiteral("Hangeul")));
    d.AltBox()->setChecked(true);
    d.accept();
    return d.result();
  });
  std::string target = f.files.file("AppFRA.exe");
  ASSERT_TRUE(f.module->Build(CContentViewFixture::kFrench, tvl::FromUtf8(target), f.module->GetSourcePath()));
  CPeImage image;
  ASSERT_TRUE(image.LoadFile(target));
  const CPeResource* r = image.FindResourceEx(CResName(WORD{9}), CResName(WORD{300}), CContentViewFixture::kFrench);
  ASSERT_NE(r, nullptr);
  auto data = image.GetData(*r);
  ASSERT_EQ(data.size(), 6u * 8u);
  auto word = [&](size_t at) { return static_cast<WORD>(data[at] | data[at + 1] << 8); };
  // Entry 3 of 6: flags, key, command.
  EXPECT_EQ(word(16), 1 | 16);
  EXPECT_EQ(word(18), 0x15);
  EXPECT_EQ(word(20), 1003);
  // The untouched entries keep the source keys.
  EXPECT_EQ(word(26), 0x2E);
}

TEST(CAcceleratorView, TheHeaderMarksTheWholeTableAndSourceKeysAreNotEdited) {
  AccelFixture f;
  f.SetFrench(2, 1, 0x71, 1);
  f.doc.UpdateAllViews(HintRefreshAll);
  QCheckBox* box = f.frame->ResourcePane()->Header()->DoNotTranslateBox();
  ASSERT_FALSE(box->isChecked());
  box->click();
  EXPECT_FALSE(f.table->IsTranslatable());
  EXPECT_EQ(f.Cell(2, 2), QStringLiteral("F5"));
  EXPECT_TRUE(f.view()->Model()->index(2, 0).data(Qt::ForegroundRole).isValid());
  f.doc.Undo();
  EXPECT_TRUE(f.table->IsTranslatable());
  EXPECT_EQ(f.Cell(2, 2), QStringLiteral("F2"));
  EXPECT_FALSE(f.view()->Model()->index(2, 0).data(Qt::ForegroundRole).isValid());
  // The source language shows the source keys and opens no dialog.
  f.SetLanguage(0x0409);
  EXPECT_EQ(f.Cell(2, 2), QStringLiteral("F5"));
  bool asked = false;
  f.EditWith(2, [&](CDialogAccelerator&) {
    asked = true;
    return 0;
  });
  EXPECT_FALSE(asked);
}
