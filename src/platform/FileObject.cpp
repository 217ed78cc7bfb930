#include "platform/FileObject.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include "platform/DesktopApps.h"
#include "platform/ObjectDialogs.h"
#include "platform/Question.h"

namespace platform {

namespace {

// The stored data: a mark, then tagged fields (four-letter tag, 32-bit little-endian length,
// value). Unknown tags are skipped, so later versions can add fields.
const QByteArray kMark = QByteArrayLiteral("TERMORA-FILE-OBJECT\x01");

void PutField(QByteArray& out, const char* tag, const QByteArray& value) {
  out.append(tag, 4);
  uchar len[4];
  qToLittleEndian<quint32>(quint32(value.size()), len);
  out.append(reinterpret_cast<const char*>(len), 4);
  out.append(value);
}

// Pictures drawn as themselves; anything else is drawn as its type's icon.
bool IsPictureType(const QString& mime) {
  return mime == QLatin1String("image/png") || mime == QLatin1String("image/jpeg") ||
         mime == QLatin1String("image/gif") || mime == QLatin1String("image/bmp") ||
         mime == QLatin1String("image/svg+xml");
}

// A picture is shown at its own size up to this, scaled down to fit beyond it.
constexpr int kMaxShownWidth = 480;
constexpr int kMaxShownHeight = 360;
constexpr int kIconSize = 48;

QSize Bounded(QSize s) {
  if (s.width() <= 0 || s.height() <= 0) return {};
  if (s.width() > kMaxShownWidth || s.height() > kMaxShownHeight)
    s = s.scaled(kMaxShownWidth, kMaxShownHeight, Qt::KeepAspectRatio);
  return s.expandedTo(QSize(1, 1));
}

QMimeDatabase& Mimes() {
  static QMimeDatabase db;
  return db;
}

// A sheet with a folded corner and the type's suffix, for types the icon theme does not know.
void DrawSheet(QPainter& p, const QRectF& r, const QString& suffix) {
  const qreal fold = r.width() / 3.5;
  QPainterPath sheet;
  sheet.moveTo(r.topLeft());
  sheet.lineTo(r.right() - fold, r.top());
  sheet.lineTo(r.right(), r.top() + fold);
  sheet.lineTo(r.bottomRight());
  sheet.lineTo(r.bottomLeft());
  sheet.closeSubpath();
  p.setPen(QPen(QColor(90, 90, 90), 1.5));
  p.setBrush(QColor(250, 250, 246));
  p.drawPath(sheet);
  QPainterPath corner;
  corner.moveTo(r.right() - fold, r.top());
  corner.lineTo(r.right() - fold, r.top() + fold);
  corner.lineTo(r.right(), r.top() + fold);
  p.setBrush(QColor(215, 215, 205));
  p.drawPath(corner);
  if (suffix.isEmpty()) return;
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(int(r.height() / 5));
  p.setFont(f);
  const QRectF band(r.left() - 4, r.center().y(), r.width() + 8, r.height() / 3.2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(52, 101, 164));
  p.drawRoundedRect(band, 3, 3);
  p.setPen(Qt::white);
  p.drawText(band, Qt::AlignCenter, suffix.left(5));
}

// The desktop's description of a type, begun with a capital as every name in a list or title is
// ("plain text document" comes lower-case, "PNG image" with its acronym).
QString TypeNameOf(const QString& mime) {
  QString c = Mimes().mimeTypeForName(mime).comment();
  if (c.isEmpty()) return mime;
  c[0] = c[0].toUpper();
  return c;
}

QString SuffixOf(const QString& mime) {
  const QString s = Mimes().mimeTypeForName(mime).preferredSuffix();
  return s.toUpper();
}

TObjectOpener& Opener() {
  static TObjectOpener opener;
  return opener;
}

// Linked files the user chose in this run (canonical paths). A link that came with a definition
// names a file its author chose, so it is shown and asked about before it opens.
QSet<QString>& TrustedLinks() {
  static QSet<QString> trusted;
  return trusted;
}

void TrustLink(const QString& path) {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  if (!canonical.isEmpty()) TrustedLinks().insert(canonical);
}

// Types the desktop's opener would run rather than show.
bool IsRunnable(const QFileInfo& fi) {
  if (fi.isExecutable()) return true;
  const QMimeType t = Mimes().mimeTypeForFile(fi);
  for (const char* m : {"application/x-desktop", "application/x-executable", "application/x-sharedlib",
                        "application/x-shellscript", "application/x-ms-dos-executable", "application/x-msdownload",
                        "application/x-msi", "application/vnd.appimage", "application/x-pie-executable"})
    if (t.inherits(QString::fromLatin1(m))) return true;
  return fi.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0;
}

QTemporaryDir*& Root() {
  static QTemporaryDir* root = nullptr;
  return root;
}

void RemoveRoot() {
  delete Root();
  Root() = nullptr;
}

}  // namespace

// ---- the desktop ----------------------------------------------------------------------------

TObjectOpener SetObjectOpener(TObjectOpener opener) {
  TObjectOpener previous = std::move(Opener());
  Opener() = std::move(opener);
  return previous;
}

bool OpenObjectFile(const QString& path, const QString& application) {
  if (Opener()) return Opener()(path, application);
  if (application.isEmpty()) return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  return LaunchWith(path, application);
}

QString PrivateObjectFolder() {
  if (!Root()) {
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty()) base = QDir::tempPath();
    // QTemporaryDir makes its folder readable by the user alone.
    auto dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/termora-objects-XXXXXX"));
    if (!dir->isValid()) dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid()) return {};
    QFile::setPermissions(dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    Root() = dir.release();
    // Every copy goes with the program.
    qAddPostRoutine(RemoveRoot);
  }
  return Root()->path();
}

QString SafeFileName(const QString& name, const QString& mimeType) {
  QString n = name;
  n.replace(QLatin1Char('\\'), QLatin1Char('/'));
  n = n.section(QLatin1Char('/'), -1);
  QString clean;
  for (const QChar c : n)
    if (c.unicode() >= 0x20 && c.unicode() != 0x7F && c.category() != QChar::Other_Format) clean += c;
  clean = clean.trimmed();
  while (clean.startsWith(QLatin1Char('.'))) clean.remove(0, 1);
  // Names longer than a file system takes are cut, keeping the suffix.
  if (clean.toUtf8().size() > 200) {
    const QString suffix = QFileInfo(clean).suffix().left(16);
    clean = clean.left(120) + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
  }
  if (clean.isEmpty()) {
    const QString suffix = Mimes().mimeTypeForName(mimeType).preferredSuffix();
    clean = QStringLiteral("object") + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
  }
  return clean;
}

QImage IconOfType(const QString& mimeType, const QString& label) {
  const QMimeType type = Mimes().mimeTypeForName(mimeType);
  QIcon icon = QIcon::fromTheme(type.iconName());
  if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
  QFont font;
  font.setPixelSize(12);
  const QFontMetrics fm(font);
  const QString shown = fm.elidedText(label, Qt::ElideMiddle, 150);
  const int width = std::max(kIconSize + 24, fm.horizontalAdvance(shown) + 8);
  const int height = kIconSize + 6 + (shown.isEmpty() ? 0 : fm.height() + 2);
  const qreal dpr = 2;  // drawn sharp enough to print
  QImage img(QSize(width, height) * dpr, QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(dpr);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const QRect iconRect((width - kIconSize) / 2, 2, kIconSize, kIconSize);
  if (!icon.isNull()) icon.paint(&p, iconRect);
  else DrawSheet(p, QRectF(iconRect).adjusted(8, 1, -8, -1), SuffixOf(mimeType));
  if (!shown.isEmpty()) {
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(0, kIconSize + 6, width, fm.height() + 2), Qt::AlignHCenter | Qt::AlignTop, shown);
  }
  return img;
}

// ---- making objects -------------------------------------------------------------------------

TFileObject::~TFileObject() { Close(); }

std::unique_ptr<TFileObject> TFileObject::FromFile(const QString& path, bool link, QString* error) {
  const QFileInfo fi(path);
  if (!fi.exists() || !fi.isFile()) {
    if (error) *error = QObject::tr("The file “%1” does not exist.").arg(path);
    return nullptr;
  }
  if (!link && fi.size() > kMaxObjectBytes) {
    if (error)
      *error = QObject::tr("The file “%1” is too large to embed (%2 MB; at most %3 MB). Insert it as a link instead.")
                   .arg(fi.fileName())
                   .arg(fi.size() / (1024 * 1024))
                   .arg(kMaxObjectBytes / (1024 * 1024));
    return nullptr;
  }
  std::unique_ptr<TFileObject> o(new TFileObject);
  o->link_ = link;
  o->path_ = fi.absoluteFilePath();
  if (link) TrustLink(o->path_);
  o->name_ = fi.fileName();
  o->mime_ = Mimes().mimeTypeForFile(fi).name();
  o->lastUpdate_ = QDateTime::currentDateTime();
  if (!link) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
      if (error) *error = QObject::tr("The file “%1” cannot be read: %2").arg(path, f.errorString());
      return nullptr;
    }
    o->data_ = f.readAll();
    o->path_.clear();
  }
  return o;
}

QList<TNewObjectType> TFileObject::CreatableTypes() {
  QList<TNewObjectType> types;
  for (const char* m : {"text/plain", "text/html", "text/rtf", "image/png", "image/svg+xml"}) {
    const QString name = Mimes().mimeTypeForName(QString::fromLatin1(m)).name();
    types.append({name, TypeNameOf(name)});
  }
  return types;
}

std::unique_ptr<TFileObject> TFileObject::CreateNew(const QString& mimeType, QString* error) {
  QByteArray empty;
  if (mimeType == QLatin1String("text/plain")) {
  } else if (mimeType == QLatin1String("text/html")) {
    empty = "<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\"><title></title></head>\n<body>\n</body>\n</html>\n";
  } else if (mimeType == QLatin1String("text/rtf")) {
    empty = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}\\f0\\fs24\\par\r\n}\r\n";
  } else if (mimeType == QLatin1String("image/png")) {
    QImage blank(320, 240, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QBuffer b(&empty);
    b.open(QIODevice::WriteOnly);
    blank.save(&b, "PNG");
  } else if (mimeType == QLatin1String("image/svg+xml")) {
    empty = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"320\" height=\"240\" viewBox=\"0 0 320 240\">\n"
            "  <rect width=\"320\" height=\"240\" fill=\"white\"/>\n</svg>\n";
  } else {
    if (error) *error = QObject::tr("Objects of type “%1” cannot be created empty.").arg(mimeType);
    return nullptr;
  }
  const QMimeType t = Mimes().mimeTypeForName(mimeType);
  std::unique_ptr<TFileObject> o(new TFileObject);
  o->mime_ = t.name();
  const QString what = t.comment().isEmpty() ? QObject::tr("New object") : t.comment();
  o->name_ = SafeFileName(what + QLatin1Char('.') + t.preferredSuffix(), o->mime_);
  o->data_ = empty;
  o->lastUpdate_ = QDateTime::currentDateTime();
  return o;
}

bool TFileObject::IsObjectData(const QByteArray& data) { return data.startsWith(kMark); }

QByteArray TFileObject::ToData() const {
  QByteArray out = kMark;
  PutField(out, "KIND", link_ ? "link" : "file");
  PutField(out, "NAME", name_.toUtf8());
  PutField(out, "MIME", mime_.toUtf8());
  if (link_) {
    PutField(out, "PATH", path_.toUtf8());
    PutField(out, "UPDT", automatic_ ? "auto" : "call");
  }
  PutField(out, "VIEW", iconic_ ? "icon" : "content");
  if (!link_) PutField(out, "DATA", data_);
  return out;
}

std::unique_ptr<TFileObject> TFileObject::FromData(const QByteArray& data, QString* error) {
  auto fail = [error](const QString& why) {
    if (error) *error = why;
    return nullptr;
  };
  if (!IsObjectData(data)) return fail(QObject::tr("The object was not made by this program."));
  std::unique_ptr<TFileObject> o(new TFileObject);
  qsizetype at = kMark.size();
  bool haveKind = false;
  while (at < data.size()) {
    if (data.size() - at < 8) return fail(QObject::tr("The object's data is damaged."));
    const QByteArray tag = data.mid(at, 4);
    const quint32 len = qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(data.constData() + at + 4));
    at += 8;
    if (len > quint32(data.size() - at)) return fail(QObject::tr("The object's data is damaged."));
    if (len > quint32(kMaxObjectBytes)) return fail(QObject::tr("The object is too large to open."));
    const QByteArray value = data.mid(at, len);
    at += len;
    if (tag == "KIND") {
      o->link_ = value == "link";
      haveKind = true;
    } else if (tag == "NAME") {
      o->name_ = QString::fromUtf8(value);
    } else if (tag == "MIME") {
      o->mime_ = QString::fromUtf8(value);
    } else if (tag == "PATH") {
      o->path_ = QString::fromUtf8(value);
    } else if (tag == "UPDT") {
      o->automatic_ = value != "call";
    } else if (tag == "VIEW") {
      o->iconic_ = value == "icon";
    } else if (tag == "DATA") {
      o->data_ = value;
    }
  }
  if (!haveKind || o->mime_.isEmpty() || (o->link_ && o->path_.isEmpty()))
    return fail(QObject::tr("The object's data is damaged."));
  if (!Mimes().mimeTypeForName(o->mime_).isValid()) o->mime_ = QStringLiteral("application/octet-stream");
  return o;
}

// ---- what it is -----------------------------------------------------------------------------

QString TFileObject::TypeName() const { return TypeNameOf(mime_); }

QString TFileObject::ShortTypeName() const {
  const QString s = SuffixOf(mime_);
  return s.isEmpty() ? TypeName() : s;
}

bool TFileObject::IsPicture() const { return IsPictureType(mime_); }

bool TFileObject::SetLinkPath(const QString& path, QString* error) {
  const QFileInfo fi(path);
  if (!fi.isFile() || !fi.isReadable()) {
    if (error) *error = QObject::tr("The file “%1” does not exist or cannot be read.").arg(path);
    return false;
  }
  Close();
  path_ = fi.absoluteFilePath();
  TrustLink(path_);
  name_ = fi.fileName();
  mime_ = Mimes().mimeTypeForFile(fi).name();
  naturalSize_ = {};
  lastUpdate_ = QDateTime::currentDateTime();
  return true;
}

QByteArray TFileObject::CurrentBytes(QString* error) const {
  if (!link_) return data_;
  QFile f(path_);
  if (!f.exists()) {
    if (error) *error = QObject::tr("The linked file “%1” no longer exists.").arg(path_);
    return {};
  }
  // A device or a pipe would be read without end.
  if (!QFileInfo(path_).isFile() || f.size() > kMaxObjectBytes || !f.open(QIODevice::ReadOnly)) {
    if (error) *error = QObject::tr("The linked file “%1” cannot be read.").arg(path_);
    return {};
  }
  return f.readAll();
}

QImage TFileObject::Picture(QSize* natural) const {
  if (!IsPicture()) return {};
  QByteArray bytes = CurrentBytes(nullptr);
  if (bytes.isEmpty()) return {};
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);
  QSize size = reader.size();
  if (natural) *natural = size;
  if (size.isValid()) {
    // Decoded no larger than it is drawn: a large photo costs its drawing, not its pixels.
    const QSize want = Bounded(size) * 2;
    if (want.width() < size.width()) reader.setScaledSize(size.scaled(want, Qt::KeepAspectRatio));
  }
  QImage img = reader.read();
  if (natural && !size.isValid()) *natural = img.size();
  return img;
}

QImage TFileObject::IconPicture() const { return icon_.isNull() ? IconOfType(mime_, name_) : icon_; }

QSize TFileObject::ShownSize() const {
  if (!iconic_ && IsPicture()) {
    if (!naturalSize_.isValid()) {
      QByteArray bytes = CurrentBytes(nullptr);
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::ReadOnly);
      QImageReader reader(&buffer);
      reader.setAutoTransform(true);
      QSize s = reader.size();
      if (!s.isValid()) s = reader.read().size();
      if (reader.transformation() & QImageIOHandler::TransformationRotate90) s.transpose();
      naturalSize_ = s;
    }
    if (naturalSize_.isValid()) return Bounded(naturalSize_);
  }
  const QImage icon = IconPicture();
  return icon.deviceIndependentSize().toSize();
}

QImage TFileObject::Drawing(qreal scale) const {
  if (!iconic_ && IsPicture()) {
    const QImage pic = Picture(nullptr);
    if (!pic.isNull()) {
      // Never drawn larger than the picture's own pixels.
      QSize px = (QSizeF(ShownSize()) * scale).toSize();
      if (px.width() > pic.width() || px.height() > pic.height()) px = px.scaled(pic.size(), Qt::KeepAspectRatio);
      return pic.size() == px ? pic : pic.scaled(px, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
  }
  QImage icon = IconPicture();
  const QSize shown = icon.deviceIndependentSize().toSize();
  const QSize px = (QSizeF(shown) * scale).toSize();
  if (icon.size() != px) icon = icon.scaled(px, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  icon.setDevicePixelRatio(1);
  return icon;
}

// ---- verbs ----------------------------------------------------------------------------------

QList<TObjectVerb> TFileObject::Verbs() const {
  return {{verbOpen, QObject::tr("&Open")},
          {verbOpenWith, QObject::tr("Open &With...")},
          {verbSaveCopyAs, QObject::tr("&Save Copy As...")}};
}

bool TFileObject::DoVerb(int verb, QWidget* parent, QString* error) {
  switch (verb) {
    case verbOpen:
    case verbShow:
    case verbOpenStandard: return Open(QString(), parent, error);
    case verbOpenWith: {
      QString why;
      if (link_ && !MayOpenLink(parent, &why)) {
        if (error) *error = why;
        return why.isEmpty();
      }
      const QString app = ChooseApplication(parent, mime_, name_);
      if (app.isEmpty()) return true;  // the user changed their mind
      return Open(app, parent, error);
    }
    case verbSaveCopyAs: return SaveCopy(parent, error);
    default:
      // The other standard verbs (hide, activate in place, ...) have nothing to do here.
      if (verb < 0) return true;
      if (error) *error = QObject::tr("Invalid Verb");
      return false;
  }
}

bool TFileObject::MayOpenLink(QWidget* parent, QString* error) {
  error->clear();
  const QFileInfo written(path_);
  if (!written.exists()) {
    *error = QObject::tr("The linked file “%1” no longer exists.").arg(path_);
    return false;
  }
  // "..", "." and symbolic links resolved: the path shown is the file that would open.
  const QString canonical = written.canonicalFilePath();
  const QFileInfo fi(canonical);
  if (canonical.isEmpty() || !fi.isFile()) {
    *error = QObject::tr("The link points to “%1”, which is not a regular file; it is not opened.")
                 .arg(canonical.isEmpty() ? QDir::cleanPath(written.absoluteFilePath()) : canonical);
    return false;
  }
  if (IsRunnable(fi)) {
    *error = QObject::tr("The link points to “%1”, which is a program or a launcher: opening it would run it, so it "
                         "is not opened. Use Save Copy As to look at it.")
                 .arg(canonical);
    return false;
  }
  if (TrustedLinks().contains(canonical)) return true;
  Question q;
  q.caption = ApplicationTitle();
  q.text = QObject::tr("This object links to a file that was not chosen by you:\n\n%1\n\nOpen it only if you know "
                       "where the text came from and expect this file.")
               .arg(canonical);
  q.icon = Icon::Warning;
  q.buttons = Buttons::OkCancel;
  q.defaultAnswer = idCancel;
  q.okText = QObject::tr("&Open");
  if (Ask(q, parent) != idOk) return false;  // no error: the user said no
  TrustedLinks().insert(canonical);
  return true;
}

bool TFileObject::Open(const QString& application, QWidget* parent, QString* error) {
  if (link_) {
    QString why;
    const bool may = MayOpenLink(parent, &why);
    if (!may) {
      if (error) *error = why;
      return why.isEmpty();
    }
    const QString canonical = QFileInfo(path_).canonicalFilePath();
    if (openPath_ != canonical) {
      Close();
      openPath_ = canonical;
    }
  } else if (openPath_.isEmpty() || !QFileInfo::exists(openPath_)) {
    Close();
    const QString root = PrivateObjectFolder();
    auto dir = root.isEmpty() ? nullptr : std::make_unique<QTemporaryDir>(root + QStringLiteral("/XXXXXX"));
    if (!dir || !dir->isValid()) {
      if (error) *error = QObject::tr("No private folder could be made for the object's copy.");
      return false;
    }
    // The name inside the object never chooses the folder: only its last part is used.
    const QString file = QDir(dir->path()).filePath(SafeFileName(name_, mime_));
    if (QFileInfo(file).absolutePath() != QFileInfo(dir->path()).absoluteFilePath()) {
      if (error) *error = QObject::tr("The object's file name cannot be used.");
      return false;
    }
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data_) != data_.size()) {
      if (error) *error = QObject::tr("The object's copy cannot be written: %1").arg(f.errorString());
      return false;
    }
    f.close();
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    copyDir_ = std::move(dir);
    openPath_ = file;
  }
  lastSeen_ = QCryptographicHash::hash(CurrentBytes(nullptr), QCryptographicHash::Sha256);
  if (!watcher_) {
    watcher_ = new QFileSystemWatcher(this);
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(300);
    // Applications save in steps (write, rename): look once they are done.
    connect(watcher_, &QFileSystemWatcher::fileChanged, settle_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
    connect(settle_, &QTimer::timeout, this, &TFileObject::CheckOpenFile);
  }
  if (!watcher_->files().contains(openPath_)) watcher_->addPath(openPath_);
  const QString folder = QFileInfo(openPath_).absolutePath();
  if (!watcher_->directories().contains(folder)) watcher_->addPath(folder);
  if (!OpenObjectFile(openPath_, application)) {
    if (error) {
      // A word joiner after the slash: a message box may not wrap "(text/plain)" at the slash.
      QString type = mime_;
      type.replace(QLatin1Char('/'), QStringLiteral("/\u2060"));
      *error = application.isEmpty()
                   ? QObject::tr("No application is set to open files of type “%1” (%2).").arg(TypeName(), type)
                   : QObject::tr("The application could not be started.");
    }
    return false;
  }
  // An application that finished before returning has saved already.
  CheckOpenFile();
  return true;
}

void TFileObject::CheckOpenFile() {
  if (openPath_.isEmpty()) return;
  // A save by renaming replaces the file the watcher followed.
  if (watcher_ && QFileInfo::exists(openPath_) && !watcher_->files().contains(openPath_)) watcher_->addPath(openPath_);
  QFile f(openPath_);
  if (!f.exists() || f.size() > kMaxObjectBytes || !f.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = f.readAll();
  const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
  if (hash == lastSeen_) return;
  lastSeen_ = hash;
  if (link_ && !automatic_) return;
  if (!link_) data_ = bytes;
  naturalSize_ = {};
  lastUpdate_ = QDateTime::currentDateTime();
  emit Saved();
}

bool TFileObject::Update(QString* error) {
  if (!link_) return true;
  if (!QFileInfo::exists(path_)) {
    if (error) *error = QObject::tr("The linked file “%1” no longer exists.").arg(path_);
    return false;
  }
  naturalSize_ = {};
  lastUpdate_ = QDateTime::currentDateTime();
  return true;
}

bool TFileObject::SaveCopy(QWidget* parent, QString* error) {
  const QString target = ChooseFile(parent, QObject::tr("Save Copy As"), name_, true);
  if (target.isEmpty()) return true;
  QString why;
  const QByteArray bytes = CurrentBytes(&why);
  if (!why.isEmpty()) {
    if (error) *error = why;
    return false;
  }
  QSaveFile f(target);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
    if (error) *error = QObject::tr("The copy cannot be saved as “%1”: %2").arg(target, f.errorString());
    return false;
  }
  return true;
}

void TFileObject::Close() {
  if (watcher_) {
    if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
    if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
  }
  if (settle_) settle_->stop();
  openPath_.clear();
  copyDir_.reset();
}

}  // namespace platform
