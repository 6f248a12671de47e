#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/views/ProgressStatus.h"
#include "workspace/CommandIds.h"

namespace {

constexpr LANGID kFrench = 0x040C;
constexpr LANGID kGerman = 0x0407;

// The two numbers of "translated / total".
std::pair<int, int> Counts(const CProgressStatus* label) {
  QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^(\\d+) / (\\d+) ")).match(label->text());
  if (!m.hasMatch()) return {-1, -1};
  return {m.captured(1).toInt(), m.captured(2).toInt()};
}

}  // namespace

TEST(ProgressStatus, FollowsCommitsUndoAndTheLanguage) {
  CFrameFixture f;
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  auto* label = f.frame->findChild<CProgressStatus*>();
  ASSERT_NE(label, nullptr);
  f.SetLanguage(kGerman);
  const std::pair<int, int> german = Counts(label);
  f.SetLanguage(kFrench);
  f.Select(f.FindNode(u"String Table"));
  auto [none, total] = Counts(label);
  EXPECT_EQ(none, 0);
  EXPECT_GT(total, 8);  // strings, dialogs, menus, version

  f.TypeAndCommit(QStringLiteral("Un"));
  EXPECT_EQ(Counts(label), std::make_pair(1, total));
  f.TypeAndCommit(QStringLiteral("Deux"));
  EXPECT_EQ(Counts(label), std::make_pair(2, total));
  f.frame->RunCommand(ID_EDIT_UNDO);
  EXPECT_EQ(Counts(label), std::make_pair(1, total));
  f.frame->RunCommand(ID_EDIT_REDO);
  EXPECT_EQ(Counts(label), std::make_pair(2, total));

  // Another language has its own count; the French one comes back with it.
  f.SetLanguage(kGerman);
  EXPECT_EQ(Counts(label), german);
  f.SetLanguage(kFrench);
  EXPECT_EQ(Counts(label), std::make_pair(2, total));
}
