// The test program builds before any page exists; this keeps it non-empty.
#include <gtest/gtest.h>

#include <QApplication>

TEST(UiTestProgramTest, RunsOnTheOffscreenPlatform) {
  EXPECT_EQ(QApplication::platformName(), QString("offscreen"));
}
