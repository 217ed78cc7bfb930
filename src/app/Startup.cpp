#include "app/Startup.h"

#include <QCoreApplication>
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <exception>

#include "app/BeeIcon.h"
#include "app/LockWaitWindow.h"
#include "app/Translations.h"
#include "app/Unit1.h"
#include "base/Exception.h"
#include "engine/RichEngine.h"
#include "platform/Question.h"
#include "richtext/editor/qvrchdlg.h"
#include "richtext/editor/qvrichform.h"
#include "richtext/editor/qvrichtb.h"
#include "spell/SharedSpeller.h"

namespace app {

bool TApplication::notify(QObject* receiver, QEvent* event) {
  return DeliverGuarded([&] { return QApplication::notify(receiver, event); });
}

bool DeliverGuarded(const std::function<bool()>& deliver) {
  bool delivered = false;
  platform::Guarded([&] { delivered = deliver(); });
  return delivered;
}

std::unique_ptr<TForm1> CreateForm1(const QString& folder, QString* error, std::function<QDate()> today) {
  try {
    return std::make_unique<TForm1>(folder, std::move(today));
  } catch (const std::exception& e) {
    *error = base::MessageOf(e);
  }
  if (error->isEmpty()) *error = QCoreApplication::translate("Form1", "The glossary tables could not be opened.");
  return nullptr;
}

void ConfigureSpelling(const QString& folder) {
  spell::TSpellerFiles files;
  // The glossary's own vocabulary, built into the program; the user's words beside the tables.
  files.WordLists << QStringLiteral(":/termora/beekeeping-words.txt");
  files.UserList = QDir(folder).filePath(QStringLiteral("user-words.txt"));
  spell::ConfigureSharedSpeller(files);
  // Loads on its own thread while the window comes up.
  spell::SharedSpeller();
}

int RunTermora() {
  // Before any window or text record is made.
  InstallInterfaceLanguage();
  QApplication::setApplicationName(platform::ApplicationTitle());
  QApplication::setWindowIcon(BeeIcon());
  // The desktop entry's name, so the window is matched with its launcher icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("termora"));
  // The rich edit controls reach the windows of the editor layer through these: the editor
  // window (F2 and the popup's first item), the paragraph and tab dialogs.
  richtext::InstallRichEditForm();
  richtext::InstallParagraphDialog();
  richtext::InstallTabDialog();
  // A keystroke the text refuses sounds the desktop's bell.
  engine::SetEngineBell(platform::Beep);

  InstallLockWaiter();
  ConfigureSpelling(QDir::currentPath());
  QString error;
  std::unique_ptr<TForm1> form = CreateForm1(QDir::currentPath(), &error);
  if (!form) {
    platform::ShowError(error);
    return 1;
  }
  // Centred on the screen, whatever position it was made at.
  if (QScreen* s = form->screen()) {
    const QRect area = s->availableGeometry();
    const QSize outer(832, 382);  // with the frame, as the desktop usually draws it
    form->move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
  }
  form->show();
  return QApplication::exec() == 0 ? 0 : 1;
}

}  // namespace app
