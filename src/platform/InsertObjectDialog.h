#pragma once
// The Insert Object dialog: a new empty object of a type the program can create, or an object of
// a file (embedded, or linked with Link), shown as its picture or as an icon (Display As Icon).
// On OK the object is made (the flags say which kinds the caller wants made).

#include <QDialog>
#include <QImage>
#include <memory>

#include "platform/FileObject.h"
#include "platform/ObjectDialogs.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace platform {

constexpr DWORD IOF_SHOWHELP = 0x0001;
constexpr DWORD IOF_SELECTCREATENEW = 0x0002;
constexpr DWORD IOF_SELECTCREATEFROMFILE = 0x0004;
constexpr DWORD IOF_CHECKLINK = 0x0008;
constexpr DWORD IOF_CHECKDISPLAYASICON = 0x0010;
constexpr DWORD IOF_CREATENEWOBJECT = 0x0020;
constexpr DWORD IOF_CREATEFILEOBJECT = 0x0040;
constexpr DWORD IOF_CREATELINKOBJECT = 0x0080;
constexpr DWORD IOF_DISABLELINK = 0x0100;
constexpr DWORD IOF_VERIFYSERVERSEXIST = 0x0200;
constexpr DWORD IOF_DISABLEDISPLAYASICON = 0x0400;

constexpr DWORD OLERENDER_NONE = 0;
constexpr DWORD OLERENDER_DRAW = 1;

// The object could not be made; OLEUIINSERTOBJECT::error says why (and was shown).
constexpr unsigned OLEUI_IOERR_SCODEHASERROR = OLEUI_ERR_STANDARDMIN + 16;

struct OLEUIINSERTOBJECT {
  DWORD cbStruct = 112;
  DWORD dwFlags = 0;           // in: IOF_* wanted; out: the user's choices
  QWidget* hWndOwner = nullptr;
  QString lpszCaption;         // empty: "Insert Object"
  QString clsid;               // out: the chosen type (a MIME type)
  QString szFile;              // in/out: the file of Create from File
  int cchFile = 256;           // the longest file name taken
  DWORD oleRender = OLERENDER_DRAW;
  std::unique_ptr<TFileObject> object;  // out: the new object, when the flags ask for it made
  QImage hMetaPict;            // out: the icon picture, with IOF_CHECKDISPLAYASICON
  QString error;               // why the object could not be made
};

// Shows the dialog; OLEUI_OK, OLEUI_CANCEL or OLEUI_IOERR_SCODEHASERROR.
unsigned OleUIInsertObject(OLEUIINSERTOBJECT& io);

class TInsertObjectDialog : public QDialog {
  Q_OBJECT
 public:
  TInsertObjectDialog(OLEUIINSERTOBJECT& io, QWidget* parent);
  // The text that says what OK will do.
  QString ResultText() const;
  // OK: makes the object as chosen; on failure says why and stays open.
  void accept() override;
  // Makes the object from the controls' state; false with io.error when it cannot.
  bool MakeObject();

 private:
  void Refresh();
  void Browse();

  OLEUIINSERTOBJECT& io_;
  QRadioButton* createNew_;
  QRadioButton* fromFile_;
  QStackedWidget* pages_;
  QListWidget* types_;
  QLineEdit* file_;
  QPushButton* browse_;
  QCheckBox* link_;
  QCheckBox* asIcon_;
  QLabel* icon_;
  QLabel* result_;
};

}  // namespace platform
