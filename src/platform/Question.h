#pragma once
// Every message box and modal question of the program goes through here, so that tests can
// answer them and see what was asked.

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace platform {

// Answers use the numbering programs of this family have always used (1 = OK, 2 = Cancel, ...).
enum Answer : int {
  idOk = 1,
  idCancel = 2,
  idAbort = 3,
  idRetry = 4,
  idIgnore = 5,
  idYes = 6,
  idNo = 7,
};

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };
enum class Icon { None, Information, Warning, Error, Question };

struct Question {
  QString caption;
  QString text;
  Icon icon = Icon::None;
  Buttons buttons = Buttons::Ok;
  int defaultAnswer = 0;  // 0: the first button
  QString okText = {};    // the OK button's caption when it says more than "OK" ("&Open")
};

using Answerer = std::function<int(const Question&)>;

// The application title that captions the glossary's message boxes.
QString ApplicationTitle();

// Asks the question: through the answerer installed by SetAnswerer, else in a real message box
// owned by `parent` (or the active window).
int Ask(const Question& q, QWidget* parent = nullptr);

// Shorthands.
void Inform(const QString& text, const QString& caption = ApplicationTitle(), Icon icon = Icon::None,
            QWidget* parent = nullptr);
void ShowError(const QString& text, const QString& caption = ApplicationTitle(), QWidget* parent = nullptr);
bool Confirm(const QString& text, const QString& caption = ApplicationTitle(), QWidget* parent = nullptr);  // OK/Cancel

// Installs an answerer (tests); returns the previous one. An empty function restores real boxes.
Answerer SetAnswerer(Answerer a);

// Shows a failure's message in the error box: the one place an exception reaches the user.
void ShowException(const std::exception& e, const QString& caption = ApplicationTitle(), QWidget* parent = nullptr);

// Runs `f`; an exception it throws is shown with ShowException and swallowed. Returns whether
// `f` finished without one.
template <class F>
bool Guarded(F&& f, QWidget* parent = nullptr, const QString& caption = ApplicationTitle()) {
  try {
    f();
    return true;
  } catch (const std::exception& e) {
    ShowException(e, caption, parent);
    return false;
  }
}

// Sounds the desktop's bell (a refused keystroke, for instance).
void Beep();

}  // namespace platform
