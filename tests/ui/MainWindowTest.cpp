#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>

#include "ui/GuiApplication.h"

TEST(MainWindow, NewProjectWindowIsTitledAfterTheDocument) {
  int argc = 1;
  char name[] = "tests_ui";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  auto window = CreateMainWindow();
  EXPECT_EQ(window->windowTitle().toStdString(), "Untitled - Tessalingvora");
  EXPECT_EQ(MainWindowTitle(u"Example.tvl"), u"Example.tvl - Tessalingvora");
}
