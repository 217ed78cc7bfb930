#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTemporaryDir>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/Shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

mode_t TypeOf(const QByteArray& path) {
  struct stat st {};
  return ::lstat(path.constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

TEST_F(CopyFolderTest, SpecialFilesAreMadeAnewNeverReadAndNamesAreCopiedAsBytes) {
  const QByteArray s = QFile::encodeName(src);
  ASSERT_EQ(::mkfifo((s + "/pipe").constData(), 0600), 0);
  ASSERT_EQ(::mknod((s + "/socket").constData(), S_IFSOCK | 0600, 0), 0);
  // A name that is not UTF-8, with its own contents.
  const QByteArray odd = s + "/sub/caf\xe9 \xff.txt";
  {
    const int fd = ::open(odd.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "latin-1 name", 12), 12);
    ::close(fd);
  }
  // Should the pipe be read after all, this writer lets the read end rather than hang the test.
  std::atomic<bool> copied{false};
  std::atomic<bool> pipeWasRead{false};
  std::thread writer([&] {
    for (int i = 0; i < 500 && !copied; ++i) {
      const int fd = ::open((s + "/pipe").constData(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        pipeWasRead = true;
        ::close(fd);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const auto r = platform::CopyFolder(src, dst, {false, nullptr, {}});
  copied = true;
  writer.join();

  EXPECT_FALSE(pipeWasRead);
  EXPECT_EQ(r.result, platform::copyOk) << r.error.toStdString();
  const QByteArray c = QFile::encodeName(dst + "/termoraProject");
  EXPECT_EQ(TypeOf(c + "/pipe"), mode_t(S_IFIFO));
  EXPECT_EQ(TypeOf(c + "/socket"), mode_t(S_IFSOCK));
  EXPECT_EQ(TypeOf(c + "/sub/caf\xe9 \xff.txt"), mode_t(S_IFREG));
  char text[32] = {};
  const int fd = ::open((c + "/sub/caf\xe9 \xff.txt").constData(), O_RDONLY);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::read(fd, text, sizeof text), 12);
  ::close(fd);
  EXPECT_STREQ(text, "latin-1 name");
  EXPECT_EQ(Read(dst + "/termoraProject/sub/big.bin"), big);
  // QTemporaryDir, like QDir, cannot remove a name it cannot decode.
  ::unlink(odd.constData());
  ::unlink((c + "/sub/caf\xe9 \xff.txt").constData());
}

TEST_F(CopyFolderTest, ADeviceNodeThatCannotBeMadeIsLeftOutAndSaidSo) {
  // Only a user who may make device nodes can put one in the source; only one who may not sees
  // it left out. Root with the right to make them sees it copied.
  const QByteArray node = QFile::encodeName(src) + "/null";
  if (::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "cannot make a device node here";
  const auto r = platform::CopyFolder(src, dst, {false, nullptr, {}});
  const QByteArray c = QFile::encodeName(dst + "/termoraProject/null");
  if (TypeOf(c) == mode_t(S_IFCHR)) {
    EXPECT_EQ(r.result, platform::copyOk);
  } else {
    EXPECT_EQ(r.result, platform::copyIncomplete);
    EXPECT_EQ(r.leftOut, QStringList({"null"}));
    EXPECT_EQ(Read(dst + "/termoraProject/sub/big.bin"), big);
  }
}

TEST(OpenLink, RefusesAnEmptyLink) { EXPECT_FALSE(platform::OpenLink("   ")); }

}  // namespace
