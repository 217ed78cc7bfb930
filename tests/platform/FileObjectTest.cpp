// Embedded and linked file objects: their stored data, opening them on a private copy whose saved
// changes come back, their drawing, and the Insert Object and Object Properties dialogs.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>

#include <sys/stat.h>

#include "platform/FileObject.h"
#include "platform/InsertObjectDialog.h"
#include "platform/ObjectPropertiesDialog.h"
#include "tests/common/ObjectFakes.h"
#include "tests/common/TestQuestions.h"

using namespace platform;

namespace {
QByteArray Png(QColor c, int w, int h) { return PngBytes(c, w, h); }
QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) { return WriteFile(dir, name, bytes); }

std::unique_ptr<TFileObject> ForeignLink(const QString& path, const char* mime = "text/plain") {
  QString why;
  auto o = TFileObject::FromData(ForeignLinkData(path, mime), &why);
  EXPECT_TRUE(o) << why.toStdString();
  return o;
}
}  // namespace

TEST(FileObject, StoredDataReadsBackAndDamagedDataIsRefused) {
  QTemporaryDir dir;
  const QString path = Write(dir, QStringLiteral("hive notes.txt"), "frames: 10\n");
  QString why;
  auto embedded = TFileObject::FromFile(path, false, &why);
  ASSERT_TRUE(embedded) << why.toStdString();
  embedded->SetIconic(true);
  auto back = TFileObject::FromData(embedded->ToData(), &why);
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->IsLink());
  EXPECT_EQ(back->FileName(), QStringLiteral("hive notes.txt"));
  EXPECT_EQ(back->MimeType(), QStringLiteral("text/plain"));
  EXPECT_EQ(back->Contents(), QByteArray("frames: 10\n"));
  EXPECT_TRUE(back->Iconic());

  auto link = TFileObject::FromFile(path, true, &why);
  ASSERT_TRUE(link);
  link->SetAutomaticUpdate(false);
  back = TFileObject::FromData(link->ToData(), &why);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->IsLink());
  EXPECT_EQ(back->LinkPath(), QFileInfo(path).absoluteFilePath());
  EXPECT_TRUE(back->Contents().isEmpty());
  EXPECT_FALSE(back->AutomaticUpdate());

  const QByteArray good = embedded->ToData();
  struct Case {
    const char* name;
    QByteArray data;
  } damaged[] = {{"not ours", QByteArray("\x01\x05\x00\x00 ole", 8)},
                 {"cut short", good.left(good.size() - 3)},
                 {"length past the end", good.left(24) + QByteArray("\xff\xff\xff\x7f", 4)},
                 {"mark alone", good.left(20)}};
  for (const Case& c : damaged) {
    SCOPED_TRACE(c.name);
    why.clear();
    EXPECT_FALSE(TFileObject::FromData(c.data, &why));
    EXPECT_FALSE(why.isEmpty());
  }
}

TEST(FileObject, OpensAPrivateCopyWhoseSavedChangesComeBack) {
  FakeDesktop desktop;
  QString why;
  QTemporaryDir dir;
  auto obj = TFileObject::FromFile(Write(dir, QStringLiteral("notes.txt"), "old"), false, &why);
  ASSERT_TRUE(obj);
  int saved = 0;
  QObject::connect(obj.get(), &TFileObject::Saved, [&] { ++saved; });
  desktop.saveAs = "new text";
  ASSERT_TRUE(obj->DoVerb(TFileObject::verbOpen, nullptr, &why)) << why.toStdString();
  ASSERT_EQ(desktop.opened.size(), 1);
  const QString copy = desktop.opened[0];
  EXPECT_EQ(desktop.applications[0], QString());  // the desktop's default application
  EXPECT_TRUE(copy.startsWith(PrivateObjectFolder() + QLatin1Char('/')));
  EXPECT_EQ(QFileInfo(copy).fileName(), QStringLiteral("notes.txt"));
  // Only the user may look into the folders of copies.
  for (const QString& folder : {PrivateObjectFolder(), QFileInfo(copy).absolutePath()})
    EXPECT_EQ(QFile::permissions(folder) & 0x0077, QFileDevice::Permissions());
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(obj->Contents(), QByteArray("new text"));
  // Closing removes the copy and its folder.
  obj->Close();
  EXPECT_FALSE(QFileInfo::exists(copy));
  EXPECT_FALSE(QFileInfo::exists(QFileInfo(copy).absolutePath()));
}

TEST(FileObject, NamesInsideObjectsNeverChooseWhereCopiesGo) {
  for (const char* name : {"../../escape.txt", "/etc/passwd", "..\\..\\x.txt", "..", "", ".hidden", "a\nb.txt"}) {
    SCOPED_TRACE(name);
    const QString safe = SafeFileName(QString::fromUtf8(name), QStringLiteral("text/plain"));
    EXPECT_FALSE(safe.isEmpty());
    EXPECT_FALSE(safe.contains(QLatin1Char('/')));
    EXPECT_FALSE(safe.contains(QLatin1Char('\\')));
    EXPECT_FALSE(safe.startsWith(QLatin1Char('.')));
    EXPECT_FALSE(safe.contains(QLatin1Char('\n')));
  }
  // An object whose stored name climbs out opens its copy inside its own folder all the same.
  QTemporaryDir dir;
  QString why;
  auto obj = TFileObject::FromFile(Write(dir, QStringLiteral("x.txt"), "x"), false, &why);
  QByteArray data = obj->ToData();
  data.replace(QByteArray("NAME\x05\x00\x00\x00x.txt", 13), QByteArray("NAME\x0e\x00\x00\x00../../evil.txt", 22));
  auto climbing = TFileObject::FromData(data, &why);
  ASSERT_TRUE(climbing) << why.toStdString();
  ASSERT_EQ(climbing->FileName(), QStringLiteral("../../evil.txt"));
  FakeDesktop desktop;
  ASSERT_TRUE(climbing->DoVerb(TFileObject::verbOpen, nullptr, &why));
  EXPECT_EQ(QFileInfo(desktop.opened[0]).fileName(), QStringLiteral("evil.txt"));
  EXPECT_TRUE(desktop.opened[0].startsWith(PrivateObjectFolder() + QLatin1Char('/')));
}

TEST(FileObject, VerbsFailWithAReasonTheUserCanRead) {
  FakeDesktop desktop;
  QTemporaryDir dir;
  QString why;
  const QString path = Write(dir, QStringLiteral("gone.txt"), "x");
  auto link = TFileObject::FromFile(path, true, &why);
  ASSERT_TRUE(link);
  QFile::remove(path);
  EXPECT_FALSE(link->DoVerb(TFileObject::verbOpen, nullptr, &why));
  EXPECT_TRUE(why.contains(QStringLiteral("no longer exists"))) << why.toStdString();
  EXPECT_TRUE(desktop.opened.isEmpty());

  auto obj = TFileObject::FromFile(Write(dir, QStringLiteral("a.txt"), "x"), false, &why);
  desktop.starts = false;
  EXPECT_FALSE(obj->DoVerb(TFileObject::verbOpen, nullptr, &why));
  EXPECT_TRUE(why.contains(QStringLiteral("No application"))) << why.toStdString();
  // The type reads "(text/plain)" and a message box has nowhere inside it to wrap the line.
  const qsizetype open = why.indexOf(QLatin1Char('(')), close = why.indexOf(QLatin1Char(')'));
  ASSERT_TRUE(open >= 0 && close > open) << why.toStdString();
  EXPECT_EQ(why.mid(open, close + 1 - open).remove(QChar(0x2060)), QStringLiteral("(text/plain)"));
  QTextBoundaryFinder lines(QTextBoundaryFinder::Line, why);
  for (qsizetype at = lines.toNextBoundary(); at >= 0; at = lines.toNextBoundary())
    EXPECT_FALSE(at > open && at <= close) << "a line may break at " << at << " in " << why.toStdString();
  EXPECT_FALSE(obj->DoVerb(7, nullptr, &why));
  EXPECT_EQ(why, QStringLiteral("Invalid Verb"));

  // Save Copy As writes the object's file where the user says.
  const QString target = dir.filePath(QStringLiteral("copy.txt"));
  const TFileChooser previous = SetFileChooser([&](QWidget*, const QString&, const QString&, bool save) {
    EXPECT_TRUE(save);
    return target;
  });
  EXPECT_TRUE(obj->DoVerb(TFileObject::verbSaveCopyAs, nullptr, &why));
  SetFileChooser(previous);
  QFile copy(target);
  ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
  EXPECT_EQ(copy.readAll(), QByteArray("x"));
}

TEST(FileObject, ALinkThatCameWithATextShowsItsFileAndAsksBeforeOpeningIt) {
  FakeDesktop desktop;
  TestQuestions questions;
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
  const QString file = QFileInfo(Write(dir, QStringLiteral("notes.txt"), "x")).canonicalFilePath();
  auto link = ForeignLink(dir.path() + QStringLiteral("/sub/../notes.txt"));
  ASSERT_TRUE(link);
  QString why;
  questions.answers = {idCancel};
  EXPECT_TRUE(link->DoVerb(TFileObject::verbOpen, nullptr, &why));  // "no" is no failure
  EXPECT_TRUE(why.isEmpty()) << why.toStdString();
  EXPECT_TRUE(desktop.opened.isEmpty());
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].text.contains(file)) << questions.asked[0].text.toStdString();
  EXPECT_FALSE(questions.asked[0].text.contains(QStringLiteral("..")));
  EXPECT_EQ(questions.asked[0].defaultAnswer, idCancel);
  EXPECT_EQ(questions.asked[0].okText, QStringLiteral("&Open"));

  questions.answers = {idOk};
  EXPECT_TRUE(link->DoVerb(TFileObject::verbOpen, nullptr, &why)) << why.toStdString();
  EXPECT_EQ(desktop.opened, QStringList{file});  // the resolved path, not the one written
  // Once said yes to, the file opens without asking again in this run.
  link->Close();
  EXPECT_TRUE(link->DoVerb(TFileObject::verbOpen, nullptr, &why));
  EXPECT_EQ(questions.asked.size(), 2u);
  EXPECT_EQ(desktop.opened.size(), 2);

  // A file the user linked opens without a question.
  auto own = TFileObject::FromFile(Write(dir, QStringLiteral("own.txt"), "y"), true, &why);
  ASSERT_TRUE(own);
  EXPECT_TRUE(own->DoVerb(TFileObject::verbOpen, nullptr, &why)) << why.toStdString();
  EXPECT_EQ(questions.asked.size(), 2u);
  EXPECT_EQ(desktop.opened.size(), 3);
}

TEST(FileObject, ALinkNeverOpensAProgramALauncherOrAnythingButARegularFile) {
  FakeDesktop desktop;
  TestQuestions questions;
  questions.defaultAnswer = idOk;
  QTemporaryDir dir;
  const QString script = Write(dir, QStringLiteral("tidy.sh"), "#!/bin/sh\nrm -rf \"$HOME\"\n");
  QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  const QString launcher =
      Write(dir, QStringLiteral("notes.desktop"), "[Desktop Entry]\nType=Application\nName=Notes\nExec=sh -c id\n");
  const QString noSuffix = Write(dir, QStringLiteral("launcher"), "[Desktop Entry]\nType=Application\nExec=id\n");
  const QString pipe = dir.filePath(QStringLiteral("pipe"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  const QString viaSymlink = dir.filePath(QStringLiteral("harmless.txt"));
  ASSERT_TRUE(QFile::link(script, viaSymlink));
  struct Case {
    QString path;
    const char* why;
  } refused[] = {{script, "program"},   {launcher, "program"}, {noSuffix, "program"}, {viaSymlink, "program"},
                 {dir.path(), "regular"}, {pipe, "regular"},   {QStringLiteral("/dev/zero"), "regular"}};
  for (const Case& c : refused) {
    SCOPED_TRACE(c.path.toStdString());
    auto link = ForeignLink(c.path);
    ASSERT_TRUE(link);
    QString why;
    for (int verb : {int(TFileObject::verbOpen), int(TFileObject::verbOpenWith)}) {
      EXPECT_FALSE(link->DoVerb(verb, nullptr, &why));
      EXPECT_TRUE(why.contains(QLatin1String(c.why))) << why.toStdString();
    }
    EXPECT_TRUE(why.contains(QFileInfo(c.path).canonicalFilePath())) << why.toStdString();
  }
  // Linking it oneself does not make a program safe to hand to the desktop.
  QString why;
  auto own = TFileObject::FromFile(script, true, &why);
  ASSERT_TRUE(own);
  EXPECT_FALSE(own->DoVerb(TFileObject::verbOpen, nullptr, &why));
  EXPECT_TRUE(desktop.opened.isEmpty()) << desktop.opened.join(QLatin1Char(' ')).toStdString();
  EXPECT_TRUE(questions.asked.empty());
}

TEST(FileObject, ALinkToAPipeOrADeviceIsNeverRead) {
  QTemporaryDir dir;
  const QString pipe = dir.filePath(QStringLiteral("pipe"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  for (const QString& path : {pipe, QStringLiteral("/dev/zero")}) {
    SCOPED_TRACE(path.toStdString());
    // Drawn as a picture it would be read; a pipe without a writer or an endless device must not hang.
    auto link = ForeignLink(path, "image/png");
    ASSERT_TRUE(link);
    EXPECT_FALSE(link->Drawing().isNull());  // its icon
    const QString target = dir.filePath(QStringLiteral("copy.png"));
    const TFileChooser previous = SetFileChooser([&](QWidget*, const QString&, const QString&, bool) { return target; });
    QString why;
    EXPECT_FALSE(link->DoVerb(TFileObject::verbSaveCopyAs, nullptr, &why));
    SetFileChooser(previous);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(target));
  }
}

TEST(FileObject, PicturesDrawAsThemselvesAndEverythingElseAsAnIcon) {
  QTemporaryDir dir;
  QString why;
  auto pic = TFileObject::FromFile(Write(dir, QStringLiteral("bee.png"), Png(QColor(200, 150, 0), 40, 20)), false, &why);
  ASSERT_TRUE(pic);
  EXPECT_TRUE(pic->IsPicture());
  EXPECT_EQ(pic->ShownSize(), QSize(40, 20));
  const QImage drawn = pic->Drawing();
  EXPECT_EQ(drawn.size(), QSize(40, 20));
  EXPECT_EQ(drawn.pixelColor(20, 10), QColor(200, 150, 0));
  pic->SetIconic(true);
  EXPECT_NE(pic->Drawing().size(), QSize(40, 20));

  // A large picture is shown at a bounded size, decoded no larger than it is drawn.
  auto big = TFileObject::FromFile(Write(dir, QStringLiteral("big.png"), Png(Qt::blue, 2000, 1500)), false, &why);
  EXPECT_EQ(big->ShownSize(), QSize(480, 360));
  EXPECT_EQ(big->Drawing(2).size(), QSize(960, 720));

  auto text = TFileObject::FromFile(Write(dir, QStringLiteral("notes.txt"), "x"), false, &why);
  const QImage icon = text->Drawing();
  EXPECT_EQ(text->ShownSize(), icon.size());
  EXPECT_GE(icon.width(), 48);
  EXPECT_GE(icon.height(), 48);
}

TEST(InsertObjectDialog, MakesTheChosenObjectAndSaysWhatOkWillDo) {
  QTemporaryDir dir;
  const QString path = Write(dir, QStringLiteral("frame.png"), Png(Qt::green, 8, 8));
  QStringList results;
  ScriptedDialog script([&](QDialog* d) {
    results << d->findChild<QLabel*>(QStringLiteral("ResultText"))->text();
    d->findChild<QRadioButton*>(QStringLiteral("CreateFromFile"))->setChecked(true);
    results << d->findChild<QLabel*>(QStringLiteral("ResultText"))->text();
    d->findChild<QLineEdit*>(QStringLiteral("FileName"))->setText(path);
    d->findChild<QCheckBox*>(QStringLiteral("DisplayAsIcon"))->setChecked(true);
    results << d->findChild<QLabel*>(QStringLiteral("ResultText"))->text();
    d->accept();
    return d->result();
  });
  OLEUIINSERTOBJECT io;
  io.dwFlags = IOF_SELECTCREATENEW | IOF_CREATENEWOBJECT | IOF_CREATEFILEOBJECT | IOF_CREATELINKOBJECT;
  ASSERT_EQ(OleUIInsertObject(io), OLEUI_OK);
  ASSERT_TRUE(io.object);
  EXPECT_EQ(io.clsid, QStringLiteral("image/png"));
  EXPECT_EQ(io.szFile, path);
  EXPECT_TRUE(io.dwFlags & IOF_SELECTCREATEFROMFILE);
  EXPECT_TRUE(io.dwFlags & IOF_CHECKDISPLAYASICON);
  EXPECT_FALSE(io.dwFlags & IOF_CHECKLINK);
  EXPECT_FALSE(io.hMetaPict.isNull());
  EXPECT_TRUE(io.object->Iconic());
  ASSERT_EQ(results.size(), 3);
  EXPECT_NE(results[0], results[1]);
  EXPECT_NE(results[1], results[2]);
}

TEST(InsertObjectDialog, ListsTypesAsNamesInAListNoTallerThanThemAndSaysThemInTheSentence) {
  OLEUIINSERTOBJECT io;
  TInsertObjectDialog d(io, nullptr);
  auto* types = d.findChild<QListWidget*>(QStringLiteral("ObjectTypes"));
  ASSERT_GE(types->count(), 2);
  for (int i = 0; i < types->count(); ++i) {
    const QString name = types->item(i)->text();
    EXPECT_TRUE(name[0].isUpper()) << name.toStdString();  // not "plain text document" beside "PNG image"
  }
  // The file page's three rows are all the other page must match: a list of the default height
  // left a large empty area under them.
  const int rows = types->count() * types->sizeHintForRow(0) + 2 * types->frameWidth();
  EXPECT_LE(types->sizeHint().height(), rows + types->sizeHintForRow(0));  // a row to spare at most
  // Inside the sentence the name reads as a name does there; an acronym stays.
  types->setCurrentRow(0);
  const QString first = types->item(0)->text();
  EXPECT_TRUE(d.ResultText().contains(QStringLiteral("empty ") + first[0].toLower() + first.mid(1)))
      << d.ResultText().toStdString();
  for (int i = 0; i < types->count(); ++i) {
    if (!types->item(i)->text().startsWith(QStringLiteral("PNG"))) continue;
    types->setCurrentRow(i);
    EXPECT_TRUE(d.ResultText().contains(QStringLiteral("empty PNG image"))) << d.ResultText().toStdString();
  }
}

TEST(InsertObjectDialog, AMissingFileIsRefusedAndTheDialogStaysOpen) {
  TestQuestions questions;
  bool stillOpen = false;
  ScriptedDialog script([&](QDialog* d) {
    d->findChild<QRadioButton*>(QStringLiteral("CreateFromFile"))->setChecked(true);
    d->findChild<QLineEdit*>(QStringLiteral("FileName"))->setText(QStringLiteral("/no/such/file.txt"));
    d->accept();
    stillOpen = d->result() != QDialog::Accepted;
    return int(QDialog::Rejected);
  });
  OLEUIINSERTOBJECT io;
  io.dwFlags = IOF_CREATEFILEOBJECT;
  EXPECT_EQ(OleUIInsertObject(io), OLEUI_CANCEL);
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].text.contains(QStringLiteral("does not exist")));
  EXPECT_FALSE(io.object);
}

TEST(ObjectPropertiesDialog, ShowsThePagesAndAppliesTheViewOnOk) {
  FakeObjectInfo info;
  QString title;
  QStringList pages;
  bool breakEnabled = true, scaleEnabled = true;
  QStringList captionsWithoutKey;
  ScriptedDialog script([&](QDialog* d) {
    title = d->windowTitle();
    auto* tabs = d->findChild<QTabWidget*>(QStringLiteral("Pages"));
    for (int i = 0; i < tabs->count(); ++i) pages << tabs->tabText(i);
    breakEnabled = d->findChild<QPushButton*>(QStringLiteral("BreakLink"))->isEnabled();
    for (QLabel* l : d->findChildren<QLabel*>())
      if (l->objectName().isEmpty() && l->text().contains(QLatin1Char('&')) && !l->buddy()) captionsWithoutKey << l->text();
    scaleEnabled = d->findChild<QWidget*>(QStringLiteral("Scale"))->isEnabled();
    d->findChild<QPushButton*>(QStringLiteral("UpdateNow"))->click();
    d->findChild<QRadioButton*>(QStringLiteral("ViewIcon"))->setChecked(true);
    d->accept();
    return d->result();
  });
  PROPSHEETHEADER sheet;
  sheet.pszCaption = QStringLiteral("%s Properties");
  OLEUIVIEWPROPS view;
  view.dwFlags = VPF_DISABLESCALE;
  OLEUILINKPROPS link;
  link.dwFlags = ELF_DISABLECANCELLINK;
  OLEUIOBJECTPROPS props;
  props.dwFlags = OPF_DISABLECONVERT | OPF_OBJECTISLINK;
  props.lpPS = &sheet;
  props.lpObjInfo = &info;
  props.lpLinkInfo = &info;
  props.lpVP = &view;
  props.lpLP = &link;
  EXPECT_EQ(OleUIObjectProperties(props), OLEUI_OK);
  EXPECT_EQ(title, QStringLiteral("Text document Properties"));
  EXPECT_EQ(pages, (QStringList{QStringLiteral("General"), QStringLiteral("View"), QStringLiteral("Link")}));
  EXPECT_FALSE(breakEnabled);
  EXPECT_FALSE(scaleEnabled);
  EXPECT_EQ(info.updated, 1);
  EXPECT_EQ(info.viewsSet, std::vector<DWORD>{DVASPECT_ICON});

  // A caption with an '&' has the control its key reaches; without one the '&' shows as text.
  EXPECT_TRUE(captionsWithoutKey.isEmpty()) << captionsWithoutKey.join(", ").toStdString();

  // Cancel applies nothing; an object that is no link has no link page.
  pages.clear();
  props.dwFlags = OPF_DISABLECONVERT;
  ScriptedDialog cancel([&](QDialog* d) {
    auto* tabs = d->findChild<QTabWidget*>(QStringLiteral("Pages"));
    for (int i = 0; i < tabs->count(); ++i) pages << tabs->tabText(i);
    d->findChild<QRadioButton*>(QStringLiteral("ViewIcon"))->setChecked(true);
    return int(QDialog::Rejected);
  });
  EXPECT_EQ(OleUIObjectProperties(props), OLEUI_CANCEL);
  EXPECT_EQ(pages, (QStringList{QStringLiteral("General"), QStringLiteral("View")}));
  EXPECT_EQ(info.viewsSet.size(), 1u);
}
