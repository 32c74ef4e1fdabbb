// vantrel-demo with a typed number and a screenshot request: the picture must
// show the finished query, even when the service answers slowly.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

// Text in the log is drawn in white on grey; the empty log has none. The
// scratch box further right is left out: it is white whatever it holds.
int WhitePixelsInLog(const QImage& picture) {
  int count = 0;
  for (int y = 125; y < 410; ++y)
    for (int x = 4; x < 600; ++x)
      if (picture.pixelColor(x, y).lightness() > 230)
        ++count;
  return count;
}

TEST(DemoScreenshot, WaitsForTheTypedNumbersSlowQuery) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath(QStringLiteral("shot.png"));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  // Answers after 3 s, long after the window is shown.
  environment.insert(QStringLiteral("VANTREL_DEMO_NUMBER"), QStringLiteral("VT300001"));
  environment.insert(QStringLiteral("VANTREL_SCREENSHOT"), file);
  QProcess demo;
  demo.setProcessEnvironment(environment);
  demo.start(QStringLiteral(VANTREL_DEMO_PROGRAM), {});
  ASSERT_TRUE(demo.waitForFinished(60000)) << "vantrel-demo did not close after the picture";
  EXPECT_EQ(demo.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(demo.exitCode(), 0);

  QImage picture;
  ASSERT_TRUE(picture.load(file, "PNG"));
  EXPECT_EQ(picture.width(), 752);
  EXPECT_EQ(picture.height(), 420);
  EXPECT_GT(WhitePixelsInLog(picture), 200)
      << "the log is empty: the picture came before the answer";
}

}  // namespace
