#pragma once
// Program start: the application title, the glossary window on the tables of the working
// folder, and the message loop.

#include <QApplication>
#include <QDate>
#include <QString>
#include <functional>
#include <memory>

namespace app {

class TForm1;

// Runs `deliver`; a failure it throws is shown in an error box with its text and reads as false.
bool DeliverGuarded(const std::function<bool()>& deliver);

// The application object. A failure that escapes an event handler (the store refusing a post,
// for instance) is shown in an error box with its text, and the program goes on.
class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

// Creates the glossary window on the tables in `folder`. When they cannot be opened the store's
// text is put into `error` and nothing is returned; no table is ever created.
std::unique_ptr<TForm1> CreateForm1(const QString& folder, QString* error,
                                    std::function<QDate()> today = nullptr);

// Points the program's spell checker at the glossary's vocabulary and the user's word list in the
// data folder, and starts loading it.
void ConfigureSpelling(const QString& folder);

// Sets the title, creates and shows the window on the working folder, and runs the message loop.
// Returns 0 after the window is closed, 1 when the tables could not be opened (the reason was
// shown in a message box and no window appeared).
int RunTermora();

}  // namespace app
