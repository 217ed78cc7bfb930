#pragma once
// The glossary window: the letter bar, the terms of the chosen letter, the definition of the
// chosen term, and the date line.

#include <QDate>
#include <QString>
#include <QWidget>
#include <functional>

#include "data/DBGrid.h"
#include "data/DBNavigator.h"
#include "data/DataSet.h"
#include "gradient/LmButton.h"
#include "gradient/LmPanel.h"
#include "platform/Shell.h"
#include "richtext/qvriched.h"

class QAction;
class QPushButton;
class QStatusBar;

namespace app {

class TBookCommands;
class TSearchBox;
class TTermLinks;

class TForm1 : public QWidget {
  Q_OBJECT
 public:
  // Builds every component and opens both tables of `databaseName` (a folder; "." is the working
  // folder): the master first, then the detail through its link. Throws EDatabaseError with the
  // store's text when a table cannot be opened. `today` gives the date of the date line.
  explicit TForm1(const QString& databaseName = QStringLiteral("."), std::function<QDate()> today = nullptr,
                  QWidget* parent = nullptr);
  ~TForm1() override;

  // Handlers.
  void FormCreate(QObject* Sender);
  void Lm1Click(QObject* Sender);
  void Lm2Click(QObject* Sender);
  void Lm3Click(QObject* Sender);
  void Lm4Click(QObject* Sender);
  void Lm5Click(QObject* Sender);
  void Lm6Click(QObject* Sender);
  void Lm7Click(QObject* Sender);
  void Lm8Click(QObject* Sender);
  void Lm9Click(QObject* Sender);
  void Lm10Click(QObject* Sender);
  void Lm11Click(QObject* Sender);
  void Lm12Click(QObject* Sender);
  void Lm13Click(QObject* Sender);
  void Lm14Click(QObject* Sender);
  void Lm15Click(QObject* Sender);
  void Lm16Click(QObject* Sender);
  void Lm17Click(QObject* Sender);
  void Lm18Click(QObject* Sender);
  void Lm19Click(QObject* Sender);
  void Lm20Click(QObject* Sender);
  void Lm21Click(QObject* Sender);
  void Lm22Click(QObject* Sender);
  void Lm23Click(QObject* Sender);
  void Lm24Click(QObject* Sender);
  void Lm25Click(QObject* Sender);
  void Lm26Click(QObject* Sender);
  void Lm27Click(QObject* Sender);
  void LmButton1Click(QObject* Sender);
  void Button1Click(QObject* Sender);
  void Button2Click(QObject* Sender);

  // The About text and the backup's outcome messages.
  static QString AboutText();
  static QString BackupMessage(int result, bool anyOperationsAborted);
  // The message for a finished backup: its outcome, and what a copy left out.
  static QString BackupReport(const platform::CopyOutcome& outcome);

  // The folders the backup copies from and into (the user's ~/vekTermora/...). Tests point them
  // elsewhere.
  QString BackupSource;
  QString BackupTarget;

  // Components, in creation order.
  QStatusBar* StatusBar1 = nullptr;
  gradient::TLmPanel* LmPanel1 = nullptr;
  data::TDBGrid* DBGrid1 = nullptr;
  data::TDBNavigator* DBNavigator1 = nullptr;
  richtext::TqvDBRichEdit* qvDBRichEdit1 = nullptr;
  gradient::TLmButton* Lm[28] = {};  // Lm[1] ... Lm[27]
  gradient::TLmButton* LmButton1 = nullptr;
  QPushButton* Button1 = nullptr;
  data::TDBGrid* DBGrid2 = nullptr;
  data::TDBNavigator* DBNavigator2 = nullptr;
  QPushButton* Button2 = nullptr;
  data::TDataSource* DataSource1 = nullptr;
  data::TDataSource* DataSource2 = nullptr;
  data::TTable* Table1 = nullptr;
  data::TTable* Table2 = nullptr;
  data::TAutoIncField* Table1IDMaster = nullptr;
  data::TSmallintField* Table1NumMaster = nullptr;
  data::TStringField* Table1LetterMaster = nullptr;
  data::TAutoIncField* Table2IDDetail = nullptr;
  data::TSmallintField* Table2NumDetail = nullptr;
  data::TIntegerField* Table2AssistDetail = nullptr;
  data::TStringField* Table2WordDetail = nullptr;
  data::TGraphicField* Table2TextDetail = nullptr;
  // Search in the whole glossary, at the right end of the status bar.
  TSearchBox* SearchBox1 = nullptr;
  // Export and printing of the whole glossary: the context menu of the grid and the letter panel.
  TBookCommands* BookCommands1 = nullptr;
  // Links between terms: making, following, back and forward, what links here.
  TTermLinks* TermLinks1 = nullptr;
  QAction* LinksHereItem = nullptr;
  QAction* FindMentionsItem = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Stores a pending change as moving to another term does; when the store refuses it, closes
  // only if the user agrees to lose it.
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateComponents();
  void CreateSearch();
  void CreateBookCommands();
  void CreateLinks();
  void CreateData(const QString& databaseName);
  gradient::TLmButton* CreateLetterButton(int n);
  void PickLetter(int recNo);
  // Tells why the terms cannot be changed, and marks the window read-only.
  void ShowReadOnly(const QString& why);
  // Advanced typography on, then the selection's paragraphs justified.
  void SendJustifyMessages();
  // Stores what the grid and the definition hold of the current term, if anything changed.
  // Returns whether the window may close: stored, nothing to store, or the user chose to drop
  // what the store refused.
  bool StoreBeforeClosing();

  std::function<QDate()> today_;
};

// Exporting and importing terms from the glossary window (Unit1Exchange.cpp): the items on the
// term grid's context menu and what they do.

// Adds "Экспорт терминов…" and "Импорт терминов…" to the term grid's context menu.
void InstallExchangeActions(TForm1* form);

// Export: asks which terms (the glossary, the current letter, the current term, what the search
// field finds) and where.
void ExportTerms(TForm1* form);
// Import: asks for a file, reads it, shows the review, stores what the user settles on.
void ImportTerms(TForm1* form, const QString& path = QString());

}  // namespace app
