#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTemporaryDir>

#include <stdexcept>

#include "platform/Shell.h"

#include <unistd.h>

namespace {

void Write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A project folder with nested folders, an empty folder, a hidden file, a relative link and a
// file big enough to take several chunks.
class CopyFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    src = tmp.filePath("vekTermora/termoraProject");
    dst = tmp.filePath("vekTermora/backup");
    Write(src + "/tableMaster.DB", "master");
    Write(src + "/sub/deeper/tableDetail.DB", "detail");
    Write(src + "/.hidden", "h");
    QDir().mkpath(src + "/empty");
    big = QByteArray(3 * 1024 * 1024 + 17, 'x');
    Write(src + "/sub/big.bin", big);
    ASSERT_TRUE(QFile::link("sub/deeper/tableDetail.DB", src + "/link"));
  }

  QTemporaryDir tmp;
  QString src, dst;
  QByteArray big;
};

TEST_F(CopyFolderTest, CopiesTheWholeTreeIntoTheDestination) {
  const auto r = platform::CopyFolder(src, dst, {false, nullptr, {}});
  ASSERT_EQ(r.result, platform::copyOk) << r.error.toStdString();
  EXPECT_FALSE(r.anyOperationsAborted);
  const QString c = dst + "/termoraProject";
  EXPECT_EQ(r.copiedTo, c);
  EXPECT_EQ(Read(c + "/tableMaster.DB"), "master");
  EXPECT_EQ(Read(c + "/sub/deeper/tableDetail.DB"), "detail");
  EXPECT_EQ(Read(c + "/.hidden"), "h");
  EXPECT_EQ(Read(c + "/sub/big.bin"), big);
  EXPECT_TRUE(QFileInfo(c + "/empty").isDir());
  EXPECT_TRUE(QFileInfo(c + "/link").isSymLink());
  EXPECT_EQ(Read(c + "/link"), "detail");  // still relative: it reaches the copy's own file
  EXPECT_EQ(Read(src + "/tableMaster.DB"), "master");
}

TEST_F(CopyFolderTest, ACopyWhoseNameIsTakenGetsTheNextFreeName) {
  ASSERT_EQ(platform::CopyFolder(src, dst, {false, nullptr, {}}).result, platform::copyOk);
  Write(src + "/tableMaster.DB", "changed");
  const auto second = platform::CopyFolder(src, dst, {false, nullptr, {}});
  ASSERT_EQ(second.result, platform::copyOk);
  EXPECT_EQ(second.copiedTo, dst + "/termoraProject (2)");
  const auto third = platform::CopyFolder(src, dst, {false, nullptr, {}});
  EXPECT_EQ(third.copiedTo, dst + "/termoraProject (3)");
  // The first backup is never overwritten.
  EXPECT_EQ(Read(dst + "/termoraProject/tableMaster.DB"), "master");
  EXPECT_EQ(Read(dst + "/termoraProject (2)/tableMaster.DB"), "changed");
}

TEST_F(CopyFolderTest, CancelInTheProgressWindowAbortsAndLeavesNoHalfCopy) {
  ASSERT_EQ(platform::CopyFolder(src, dst, {false, nullptr, {}}).result, platform::copyOk);
  bool pressed = false;
  platform::CopyOptions o;
  o.onProgress = [&](qint64 done, qint64) {
    if (done > 0 && !pressed) {
      // Press the window's own Cancel, as a user would.
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<QProgressDialog*>(w)) {
          p->cancel();
          pressed = true;
        }
    }
    return true;
  };
  const auto r = platform::CopyFolder(src, dst, o);
  EXPECT_TRUE(pressed);
  EXPECT_EQ(r.result, platform::copyCancelled);
  EXPECT_TRUE(r.anyOperationsAborted);
  EXPECT_FALSE(QFileInfo::exists(dst + "/termoraProject (2)"));
  EXPECT_EQ(Read(dst + "/termoraProject/sub/big.bin"), big);  // the earlier backup is intact
}

TEST_F(CopyFolderTest, RefusesWhatCannotBeCopied) {
  struct Case {
    const char* name;
    QString from, to;
    int result;
  } cases[] = {
      {"missing source", tmp.filePath("vekTermora/nothing"), dst, platform::copySourceMissing},
      {"destination inside the source", src, src + "/backup", platform::copyBadTarget},
      {"destination is the source", src, src, platform::copyBadTarget},
  };
  for (const auto& c : cases) {
    const auto r = platform::CopyFolder(c.from, c.to, {false, nullptr, {}});
    EXPECT_EQ(r.result, c.result) << c.name;
    EXPECT_FALSE(r.anyOperationsAborted) << c.name;
    EXPECT_FALSE(r.error.isEmpty()) << c.name;
  }
  EXPECT_FALSE(QFileInfo::exists(dst));
  EXPECT_FALSE(QFileInfo::exists(src + "/backup"));
}

TEST_F(CopyFolderTest, AnUnreadableFileFailsAndRemovesThePartialCopy) {
  if (::getuid() == 0) GTEST_SKIP() << "root reads every file";
  QFile::setPermissions(src + "/sub/deeper/tableDetail.DB", QFileDevice::WriteOwner);
  const auto r = platform::CopyFolder(src, dst, {false, nullptr, {}});
  EXPECT_EQ(r.result, platform::copyAccessDenied);
  EXPECT_FALSE(r.anyOperationsAborted);
  EXPECT_FALSE(QFileInfo::exists(dst + "/termoraProject"));
}

TEST_F(CopyFolderTest, AFailureThrownMidwayLeavesNoHalfCopy) {
  platform::CopyOptions o;
  o.showProgress = false;
  o.onProgress = [](qint64 done, qint64) -> bool {
    if (done > 0) throw std::runtime_error("the disk went away");
    return true;
  };
  EXPECT_THROW(platform::CopyFolder(src, dst, o), std::runtime_error);
  EXPECT_TRUE(QFileInfo(dst).isDir());
  EXPECT_FALSE(QFileInfo::exists(dst + "/termoraProject"));
}

TEST(OpenLink, RefusesAnEmptyLink) { EXPECT_FALSE(platform::OpenLink("   ")); }

}  // namespace
