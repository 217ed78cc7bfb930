// Every program of ours as a command-line user meets it (--help, --version, a wrong command
// line), and the Debian package as built from this tree: its files, its dependencies, its
// AppStream metadata and what lintian says of it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

struct Ran {
  int code = -1;
  QString out, err;
};

Ran RunProgram(const QString& program, const QStringList& args, int timeoutMs = 60000) {
  QProcess p;
  p.start(program, args);
  Ran r;
  if (!p.waitForStarted() || !p.waitForFinished(timeoutMs)) return r;
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

const struct Program {
  const char* name;
  const char* path;
  const char* usage;  // how --help begins
  QStringList wrong;  // a wrong command line
} kPrograms[] = {
    {"termora", TERMORA_PROGRAM, "usage: termora ", {"--frobnicate"}},
    {"termora-rtf", TERMORA_RTF, "usage: termora-rtf ", {"pdf", "x.rtf"}},
    {"termora-glossary", TERMORA_GLOSSARY, "usage: termora-glossary ", {"frobnicate"}},
    {"termora-glossary-build", TERMORA_GLOSSARY_BUILD, "usage: termora-glossary-build ", {"--data", "x"}},
    {"termora-launch", TERMORA_LAUNCH, "usage: termora-launch ", {"only-one"}},
};

TEST(Programs, AnswerHelpAndVersionAndRefuseAWrongCommandLineInOneLine) {
  for (const Program& p : kPrograms) {
    SCOPED_TRACE(p.name);
    const Ran help = RunProgram(QString::fromUtf8(p.path), {QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith(QString::fromUtf8(p.usage))) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("--version")));
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();

    const Ran version = RunProgram(QString::fromUtf8(p.path), {QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, QStringLiteral("%1 %2\n").arg(QString::fromUtf8(p.name), QStringLiteral(TERMORA_VERSION_TEXT)));

    const Ran wrong = RunProgram(QString::fromUtf8(p.path), p.wrong);
    EXPECT_EQ(wrong.code, 2);
    EXPECT_TRUE(wrong.out.isEmpty()) << wrong.out.toStdString();
    EXPECT_EQ(wrong.err.count(u'\n'), 1) << wrong.err.toStdString();
    EXPECT_TRUE(wrong.err.startsWith(QString::fromUtf8(p.name) + QStringLiteral(": "))) << wrong.err.toStdString();
  }
}

// The package's files, as dpkg-deb lists them, without the folders.
QStringList Files(const QString& deb) {
  const Ran listed = RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb});
  QStringList files;
  for (const QString& line : listed.out.split(u'\n', Qt::SkipEmptyParts)) {
    if (line.startsWith(u'd')) continue;
    QString path = line.section(u' ', -1);
    if (path.startsWith(QLatin1String("./"))) path.remove(0, 1);
    files << path;
  }
  files.sort();
  return files;
}

class Package : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty())
      return;
    dir_ = new QTemporaryDir;
    QProcess p;
    p.setWorkingDirectory(QStringLiteral(TERMORA_BUILD_DIR));
    p.start(QStringLiteral(TERMORA_CPACK), {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), dir_->path()});
    p.waitForFinished(300000);
    log_ = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    const QStringList debs = QDir(dir_->path()).entryList({QStringLiteral("*.deb")});
    if (debs.size() == 1) deb_ = dir_->filePath(debs.first());
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    if (!dir_) GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps is not installed";
    ASSERT_FALSE(deb_.isEmpty()) << log_.toStdString();
  }
  static inline QTemporaryDir* dir_ = nullptr;
  static inline QString deb_, log_;
};

TEST_F(Package, HoldsTheProgramsPagesIconsMetadataAndTheGlossary) {
  EXPECT_EQ(QFileInfo(deb_).fileName(), QStringLiteral("termora_%1_amd64.deb").arg(QStringLiteral(TERMORA_VERSION_TEXT)))
      << "named as Debian names packages";
  QStringList expected = {
      "/usr/bin/termora",
      "/usr/bin/termora-glossary",
      "/usr/bin/termora-glossary-build",
      "/usr/bin/termora-launch",
      "/usr/bin/termora-rtf",
      "/usr/share/applications/termora.desktop",
      "/usr/share/doc/termora/changelog.gz",
      "/usr/share/doc/termora/copyright",
      "/usr/share/man/man1/termora-glossary-build.1.gz",
      "/usr/share/man/man1/termora-glossary.1.gz",
      "/usr/share/man/man1/termora-launch.1.gz",
      "/usr/share/man/man1/termora-rtf.1.gz",
      "/usr/share/man/man1/termora.1.gz",
      "/usr/share/metainfo/org.termora.Termora.metainfo.xml",
  };
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    expected << QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/termora.png").arg(size);
  for (const QString& term : QDir(QStringLiteral(TERMORA_TERMS)).entryList({QStringLiteral("*.txt")}))
    expected << QStringLiteral("/usr/share/termora/glossary/") + term;
  expected.sort();
  EXPECT_EQ(Files(deb_), expected);
}

TEST_F(Package, DeclaresWhatItLinksAndLoads) {
  const Ran depends = RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb_, QStringLiteral("Depends")});
  ASSERT_EQ(depends.code, 0) << depends.err.toStdString();
  // From the libraries the programs link, and the plugins Qt loads at run time.
  for (const char* package : {"libqt6core6", "libqt6widgets6", "libqt6printsupport6", "libqt6sql6 ", "libsqlite3-0",
                              "libstemmer0d", "libqt6sql6-sqlite", "qt6-qpa-plugins"})
    EXPECT_TRUE(depends.out.contains(QString::fromUtf8(package))) << package << " in " << depends.out.toStdString();
  const Ran recommends = RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb_, QStringLiteral("Recommends")});
  EXPECT_TRUE(recommends.out.contains(QStringLiteral("qt6-translations-l10n")));
}

TEST_F(Package, MetadataValidatesAndLintianFindsNoErrors) {
  if (QStandardPaths::findExecutable(QStringLiteral("appstreamcli")).isEmpty()) {
    GTEST_SKIP() << "appstreamcli is not installed";
  }
  const Ran valid = RunProgram(QStringLiteral("appstreamcli"),
                        {QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral(TERMORA_METAINFO)});
  EXPECT_EQ(valid.code, 0) << valid.out.toStdString() << valid.err.toStdString();

  if (QStandardPaths::findExecutable(QStringLiteral("lintian")).isEmpty()) {
    GTEST_SKIP() << "lintian is not installed";
  }
  const Ran lintian = RunProgram(QStringLiteral("lintian"), {QStringLiteral("--tag-display-limit"), QStringLiteral("0"), deb_}, 300000);
  const QStringList errors = lintian.out.split(u'\n').filter(QRegularExpression(QStringLiteral("^E: ")));
  EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
  EXPECT_NE(lintian.code, -1) << "lintian did not finish";
}

}  // namespace
