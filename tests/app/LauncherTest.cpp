#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#ifdef TERMORA_LAUNCHER

namespace {

// Runs the launcher with `pwd` standing in for the program, so its output is the folder the
// program would have started in.
struct Launch {
  int exitCode;
  QString out;
};

Launch RunLauncher(const QString& dataHome) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_DATA_HOME", dataHome);
  p.setProcessEnvironment(env);
  p.start(TERMORA_LAUNCHER, {"/bin/pwd", TERMORA_BUILDER, TERMORA_TERMS});
  EXPECT_TRUE(p.waitForFinished(120000));
  return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput())};
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Launcher, CreatesTheGlossaryOnceAndStartsTheProgramInItsFolder) {
  QTemporaryDir home;
  const QString data = home.filePath("termora");
  const Launch first = RunLauncher(home.path());
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_TRUE(first.out.trimmed().endsWith(QDir(data).canonicalPath())) << first.out.toStdString();
  ASSERT_TRUE(QFile::exists(data + "/tableMaster.DB"));
  ASSERT_TRUE(QFile::exists(data + "/tableDetail.DB"));

  // The user's tables are never rebuilt.
  const QByteArray detail = Read(data + "/tableDetail.DB");
  {
    QFile m(data + "/tableMaster.DB");
    ASSERT_TRUE(m.open(QIODevice::Append));
    m.write("the user's own bytes");
  }
  const QByteArray master = Read(data + "/tableMaster.DB");
  EXPECT_EQ(RunLauncher(home.path()).exitCode, 0);
  EXPECT_EQ(Read(data + "/tableMaster.DB"), master);
  EXPECT_EQ(Read(data + "/tableDetail.DB"), detail);

  // With one table gone nothing is created in its place: the program reports what is missing.
  QFile::remove(data + "/tableDetail.DB");
  EXPECT_EQ(RunLauncher(home.path()).exitCode, 0);
  EXPECT_FALSE(QFile::exists(data + "/tableDetail.DB"));
  EXPECT_EQ(Read(data + "/tableMaster.DB"), master);
}

}  // namespace

#endif
