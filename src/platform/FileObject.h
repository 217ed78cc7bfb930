#pragma once
// Embedded and linked objects: a file carried inside a definition (its bytes, name and type) or
// a path to one. Its type is its MIME type; what can be done with it is what the desktop can do:
// open it with the default application (a private copy, for an embedded file, whose saved changes
// come back into the object), open it with another application, save a copy of it.
//
// An object never opens by itself: only DoVerb opens it. A link opens regular files only, never a
// program or a launcher, and asks first when its file was not chosen by the user in this run. Private copies live in a folder only the
// user can read, under the runtime folder, and go when the object closes or the program ends.

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QFileSystemWatcher;
class QTemporaryDir;
class QTimer;
class QWidget;

namespace platform {

// The largest file an object holds; larger data read from a definition is refused.
constexpr qint64 kMaxObjectBytes = 64 * 1024 * 1024;

struct TObjectVerb {
  int number = 0;
  QString name;  // with its "&" mnemonic
};

// A type an empty object can be created of.
struct TNewObjectType {
  QString mimeType;
  QString name;  // as the desktop describes the type, begun with a capital
};

class TFileObject : public QObject {
  Q_OBJECT
 public:
  enum Verb { verbOpen = 0, verbOpenWith = 1, verbSaveCopyAs = 2 };
  // The standard verbs (negative) that open the object.
  static constexpr int verbShow = -1, verbOpenStandard = -2;

  ~TFileObject() override;

  // An object of the file at path: its contents embedded, or a link to it.
  static std::unique_ptr<TFileObject> FromFile(const QString& path, bool link, QString* error);
  // A new, empty object of one of CreatableTypes.
  static std::unique_ptr<TFileObject> CreateNew(const QString& mimeType, QString* error);
  static QList<TNewObjectType> CreatableTypes();
  // An object from its stored data (ToData); nullptr with *error when the data is not an
  // object's, is damaged, or holds more than kMaxObjectBytes.
  static std::unique_ptr<TFileObject> FromData(const QByteArray& data, QString* error);
  // True when the data starts as an object's stored data does.
  static bool IsObjectData(const QByteArray& data);
  QByteArray ToData() const;

  bool IsLink() const { return link_; }
  QString LinkPath() const { return path_; }
  // Points a link at another file; false with *error when it is not a readable file.
  bool SetLinkPath(const QString& path, QString* error);
  QString FileName() const { return name_; }
  QString MimeType() const { return mime_; }
  QString TypeName() const;       // the type's description, begun with a capital ("PNG image")
  QString ShortTypeName() const;  // the type's usual suffix in capitals ("PNG")
  QByteArray Contents() const { return data_; }  // an embedded object's file
  bool IsPicture() const;
  // Automatic links follow their file as it changes while the object is open.
  bool AutomaticUpdate() const { return automatic_; }
  void SetAutomaticUpdate(bool on) { automatic_ = on; }
  QDateTime LastUpdate() const { return lastUpdate_; }

  // Drawn as an icon (else as its picture, for a picture).
  bool Iconic() const { return iconic_; }
  void SetIconic(bool on) { iconic_ = on; }
  // The icon drawing: the type's icon with the file name under it, unless one was given.
  QImage IconPicture() const;
  void SetIconPicture(const QImage& picture) { icon_ = picture; }
  // The size the object takes in a text, in pixels at 96 per inch.
  QSize ShownSize() const;
  // What the object looks like: its picture or its icon, at `scale` times its shown size.
  QImage Drawing(qreal scale = 1) const;

  QList<TObjectVerb> Verbs() const;
  // Carries out a verb; `parent` owns what it shows. False with *error when it could not.
  bool DoVerb(int verb, QWidget* parent, QString* error);
  // Reads a linked file again. False with *error when it is gone.
  bool Update(QString* error);
  // The open private copy is removed and no longer watched.
  void Close();
  // Where the object is open for editing (its private copy, or the linked file); empty if not.
  QString OpenPath() const { return openPath_; }
  // Looks at the open file now, as a change notice would (Saved when it changed).
  void CheckOpenFile();

 signals:
  // The file the object is open in was saved: an embedded object took the new contents; a link
  // is drawn anew.
  void Saved();

 private:
  TFileObject() = default;
  bool Open(const QString& application, QWidget* parent, QString* error);
  // A link opens only a regular file that is no program, and one the user did not choose in
  // this run only after they saw its path and said yes. False with *error empty when they said no.
  bool MayOpenLink(QWidget* parent, QString* error);
  bool SaveCopy(QWidget* parent, QString* error);
  QByteArray CurrentBytes(QString* error) const;
  QImage Picture(QSize* natural) const;

  bool link_ = false;
  QString path_;  // a link's file
  QString name_;
  QString mime_;
  QByteArray data_;
  bool iconic_ = false;
  bool automatic_ = true;
  QDateTime lastUpdate_;
  QImage icon_;
  mutable QSize naturalSize_;

  std::unique_ptr<QTemporaryDir> copyDir_;
  QString openPath_;
  QFileSystemWatcher* watcher_ = nullptr;
  QTimer* settle_ = nullptr;
  QByteArray lastSeen_;
};

// Opens a file with an application: `application` empty means the desktop's default one, else a
// desktop entry's id ("org.example.Viewer.desktop") or a command line. Returns false when nothing
// could be started. Tests install their own.
using TObjectOpener = std::function<bool(const QString& path, const QString& application)>;
TObjectOpener SetObjectOpener(TObjectOpener opener);
bool OpenObjectFile(const QString& path, const QString& application);

// The private folder of this run's object copies (mode 0700), made on first use.
QString PrivateObjectFolder();

// The icon of a type with a label under it, as objects shown as icons are drawn.
QImage IconOfType(const QString& mimeType, const QString& label);

// A file name made safe to create inside a folder of ours: no folders, no "..", nothing hidden,
// no control characters; the type's suffix when nothing usable is left.
QString SafeFileName(const QString& name, const QString& mimeType);

}  // namespace platform
