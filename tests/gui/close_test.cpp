// Closing the window while a worker waits on a control operation ends the
// program at once with code 0 (run as a child process).
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

TEST(WindowClose, ClosingDuringAQueryEndsTheProgramWithCodeZero) {
  for (const char* how : {"esc", "close"}) {
    SCOPED_TRACE(how);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(VANTREL_GUI_CLOSE_HELPER), {QString::fromLatin1(how)});
    ASSERT_TRUE(child.waitForStarted(10000));
    const bool finished = child.waitForFinished(20000);
    if (!finished)
      child.kill();
    ASSERT_TRUE(finished) << "the program did not end";
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
  }
}

}  // namespace
