// vantrel-track run as a program: every outcome through --json, the plain
// output, usage errors, and trust in the trace service only through
// --ca-file.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>

#include <gtest/gtest.h>

#include "TrackFixture.h"

namespace {

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

ProgramRun RunTrack(const QStringList& arguments) {
  QProcess process;
  process.start(VANTREL_TRACK_PROGRAM, arguments);
  ProgramRun run;
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "vantrel-track did not finish";
    return run;
  }
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput().toStdString();
  run.err = process.readAllStandardError().toStdString();
  return run;
}

QJsonObject ParseObject(const std::string& text) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  return document.object();
}

std::string Field(const QJsonObject& object, const char* name) {
  return object.value(name).toString().toStdString();
}

TEST(VantrelTrack, EveryOutcomeOfTheDemoNumbersAsJson) {
  for (const OutcomeRow& row : OutcomeRows()) {
    SCOPED_TRACE(row.number);
    const ProgramRun run = RunTrack({"--demo", "--json", row.number});
    const QJsonObject object = ParseObject(run.out);
    EXPECT_EQ(object.keys(), (QStringList{"log", "number", "scratch", "status"}));
    EXPECT_EQ(Field(object, "number"), row.number);
    EXPECT_EQ(Field(object, "status"), row.status);
    EXPECT_EQ(Field(object, "log"), row.log);
    EXPECT_NE(Field(object, "scratch").find("_jqjsp({\"status\":"), std::string::npos);
    const std::string status = row.status;
    EXPECT_EQ(run.exitCode, status.empty() || status == kUnrecognised ? 1 : 0);
  }
}

TEST(VantrelTrack, PlainOutputIsTheStatusLineThenTheLog) {
  ProgramRun run = RunTrack({"--demo", "VT100001"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "隼鸟快运\n"
            "2024-05-03 09:12:00  【杭州市】快件已签收，签收人：前台，感谢使用隼鸟快运\n"
            "2024-05-03 07:40:00  【杭州市】快递员 张三 正在派件\n"
            "2024-05-02 21:05:00  【杭州转运中心】快件已到达\n"
            "2024-05-01 16:30:00  【上海市】快件已揽收\n");

  run = RunTrack({"--demo", "VT100006"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, std::string("\n") + kNoTrace + "\n");
}

TEST(VantrelTrack, UsageErrorsExitWithTwoAndAUsageLine) {
  struct Case {
    QStringList arguments;
    const char* says;
  };
  const std::vector<Case> cases = {
      {{}, "请输入快递单号"},
      {{"--json", ""}, "请输入快递单号"},
      {{"--bogus", "VT100001"}, "unknown option --bogus"},
      {{"VT100001", "--trace-host"}, "--trace-host needs a value"},
      {{"VT100001", "VT100002"}, "one NUMBER only"},
      {{"--ca-file", "/nonexistent/ca.pem", "VT100001"}, "cannot read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    const ProgramRun run = RunTrack(c.arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("usage: vantrel-track"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

// The service runs in this test; the program trusts its authority only when
// told to with --ca-file, so verification is never off.
TEST(VantrelTrack, TheTraceServiceIsTrustedOnlyThroughCaFile) {
  DemoService& demo = SharedDemo();
  QTemporaryDir directory;
  ASSERT_TRUE(directory.isValid());
  const std::string pemPath = directory.filePath("demo-ca.pem").toStdString();
  std::ofstream(pemPath) << demo.CaPem();
  const QStringList hosts = {"--detection-host", QString::fromStdString(demo.DetectionHost()),
                             "--trace-host", QString::fromStdString(demo.TraceHost())};

  ProgramRun run = RunTrack(hosts + QStringList{"--json", "VT100003"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Field(ParseObject(run.out), "status"), "");

  run = RunTrack(hosts +
                 QStringList{"--ca-file", QString::fromStdString(pemPath), "--json", "VT100003"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Field(ParseObject(run.out), "status"), "海鹦物流");
}

}  // namespace
