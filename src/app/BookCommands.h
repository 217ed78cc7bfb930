#pragma once
// The glossary window's book commands: "Экспорт…" (the glossary, the current letter or the
// search's terms as a PDF, web pages or RTF) and "Печать словаря…" (the book on any printer),
// each with a shortcut, on the context menu of the term grid and the letter panel (the widgets'
// own actions, which other commands join).

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

#include "book/Book.h"

class QAction;
class QMenu;
class QPoint;
class QWidget;

namespace richtext {
class TqvCustomRichEdit;
}

namespace app {

class TBookCommands : public QObject {
  Q_OBJECT
 public:
  struct Targets {
    QString folder;                      // the glossary's tables
    std::function<QString()> letter;     // the letter the grid shows
    std::function<QString()> query;      // the search field's text
    std::function<bool()> storePending;  // stores a pending edit first; false when it could not
    richtext::TqvCustomRichEdit* pageSetup = nullptr;  // whose margins (Page Setup) the book takes
  };
  TBookCommands(const Targets& targets, QWidget* window);

  QAction* ExportAction = nullptr;  // Ctrl+Shift+B
  QAction* PrintAction = nullptr;   // Ctrl+Shift+P

  // Puts both commands on the widget's context menu.
  void Attach(QWidget* widget);

  void Export();
  void Print();

  // What the export dialog asked: answered by the dialog, or by tests.
  enum Format { fmtPdf, fmtHtml, fmtHtmlSinglePage, fmtRtf };
  enum Scope { scAll, scLetter, scQuery };
  struct Choice {
    Format format = fmtPdf;
    Scope scope = scAll;
    int columns = 1;
    QString path;  // the file, or the folder for web pages
  };
  using ExportDialog = std::function<bool(QWidget* parent, const QString& letter, const QString& query, Choice& choice)>;
  static ExportDialog& ExportDialogHook();

 private:
  book::BookOptions Options(const Choice& c, const book::Selection& s) const;
  bool Run(const QString& title, const std::function<book::Result(book::BookSource&, const std::vector<book::BookLetter>&,
                                                                  const book::Progress&)>& work,
           const book::Selection& selection, bool* cancelled);

  Targets targets_;
  QPointer<QWidget> window_;
};

}  // namespace app
