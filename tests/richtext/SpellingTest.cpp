// Spelling in the control: the wavy line on screen only, the popup's suggestions, the spelling
// dialog's walk, and which controls offer spelling.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextBlock>

#include "engine/RichEngine.h"
#include "platform/Printer.h"
#include "richtext/qvriched.h"
#include "richtext/qvspelldlg.h"
#include "richtext/qvspellmarks.h"
#include "spell/SharedSpeller.h"
#include "tests/common/PdfTools.h"
#include "tests/common/TestQuestions.h"

using namespace richtext;

namespace {

class TSpellEdit : public TqvDBRichEditSpell {
 public:
  using TqvDBRichEditSpell::TqvDBRichEditSpell;
  using TqvDBRichEditSpell::DoEnter;
  using TqvDBRichEditSpell::DoExit;
};

class SpellingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QString Aff, Dic;
    if (!spell::FindRussianDictionary(&Aff, &Dic)) GTEST_SKIP() << "no Russian dictionary installed";
    spell::ConfigureSharedSpeller({Aff, Dic, {}, UserList()});
    ASSERT_TRUE(spell::WaitForSharedSpeller()->HasDictionary());
    Edit = std::make_unique<TSpellEdit>();
    Edit->resize(420, 200);
    Edit->setFont(QFont("DejaVu Sans", 12));
    Edit->HandleNeeded();
    Edit->show();
  }
  void TearDown() override {
    Edit.reset();
    spell::ResetSharedSpeller();
  }
  QString UserList() const { return Dir.filePath("user-words.txt"); }
  void SetText(const QString& Text) {
    Edit->Engine()->SetPlainText(Text);
    QApplication::processEvents();
  }
  int PosOf(const QString& Word) const { return int(Edit->Engine()->Text().indexOf(Word)); }
  // The viewport as drawn, and the red of the wavy line in it.
  QImage Drawn() const { return Edit->Engine()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  static bool IsRed(QRgb C) { return qRed(C) > 150 && qGreen(C) < 90 && qBlue(C) < 90; }
  static int RedPixels(const QImage& I, QRect Area = {}) {
    if (Area.isNull()) Area = I.rect();
    int N = 0;
    for (int Y = std::max(0, Area.top()); Y <= std::min(I.height() - 1, Area.bottom()); ++Y)
      for (int X = std::max(0, Area.left()); X <= std::min(I.width() - 1, Area.right()); ++X) N += IsRed(I.pixel(X, Y));
    return N;
  }
  // The box under a word where its line is drawn, in viewport pixels.
  QRect UnderWord(const QString& Word) const {
    const int At = PosOf(Word);
    const QPoint A = Edit->Engine()->PosFromChar(At), B = Edit->Engine()->PosFromChar(At + int(Word.size()));
    const int Height = QFontMetrics(Edit->Engine()->font()).height();
    return QRect(QPoint(A.x() - 2, A.y()), QPoint(B.x() + 2, A.y() + Height + 6));
  }
  QStringList MenuTexts(QMenu* M) const {
    QStringList Out;
    for (QAction* A : M->actions())
      if (A->isVisible()) Out << (A->isSeparator() ? QStringLiteral("-") : A->text());
    return Out;
  }

  QTemporaryDir Dir;
  TestQuestions Questions;
  std::unique_ptr<TSpellEdit> Edit;
};

}  // namespace

TEST_F(SpellingTest, OnlyUnknownWordsAreUnderlinedOnScreen) {
  SetText(QStringLiteral("Пчёлы сабирают нектар с Apis mellifera 2024 ВНИИП"));
  const QImage I = Drawn();
  const QRect Wrong = UnderWord(QStringLiteral("сабирают"));
  EXPECT_GT(RedPixels(I, Wrong), 10);
  EXPECT_EQ(RedPixels(I), RedPixels(I, Wrong)) << "red outside the unknown word";
}

TEST_F(SpellingTest, NothingIsUnderlinedWhileReadOnlyOrWithCheckingOff) {
  SetText(QStringLiteral("Пчеллы сабирают"));
  EXPECT_GT(RedPixels(Drawn()), 0);
  Edit->SetReadOnly(true);
  EXPECT_EQ(RedPixels(Drawn()), 0);
  Edit->SetReadOnly(false);
  Edit->SetCheckSpelling(false);
  EXPECT_EQ(RedPixels(Drawn()), 0);
}

TEST_F(SpellingTest, AKeystrokeChecksOnlyTheParagraphItChanged) {
  QStringList Paragraphs;
  for (int I = 0; I < 40; ++I) Paragraphs << QStringLiteral("Пчёлы собирают нектар и пыльцу %1.").arg(I);
  SetText(Paragraphs.join(u'\n'));
  Drawn();
  const int Before = Edit->SpellMarks()->ParagraphsChecked();
  EXPECT_LT(Before, 40) << "only what is in view is checked";
  Edit->Engine()->SetSel({0, 0});
  QKeyEvent Key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("ы"));
  QApplication::sendEvent(Edit->Engine(), &Key);
  const QImage I = Drawn();
  EXPECT_EQ(Edit->SpellMarks()->ParagraphsChecked(), Before + 1);
  EXPECT_GT(RedPixels(I, UnderWord(QStringLiteral("ыПчёлы"))), 0);
}

TEST_F(SpellingTest, TheLineIsNeverPartOfTheTextRtfClipboardOrPrint) {
  SetText(QStringLiteral("Пчеллы сабирают нектар."));
  const QByteArray RtfBefore = Edit->Engine()->SaveRtf();
  ASSERT_GT(RedPixels(Drawn()), 0);
  EXPECT_EQ(Edit->Engine()->SaveRtf(), RtfBefore);
  EXPECT_FALSE(RtfBefore.contains("\\ulwave"));
  std::unique_ptr<QMimeData> Copied(Edit->Engine()->MimeDataForRange(0, 10));
  EXPECT_FALSE(Copied->data("text/rtf").contains("\\ul"));
  EXPECT_FALSE(Copied->html().contains("underline"));

  if (!pdf::ToolsAvailable()) GTEST_SKIP() << "poppler-utils missing";
  platform::TPrinterSetup S;
  S.Printers = {platform::TPrinter::PdfPrinterName()};
  S.PdfPath = Dir.filePath("print.pdf");
  platform::SetPrinterSetup(S);
  Edit->Print(QStringLiteral("Spelling"));
  platform::SetPrinterSetup(std::nullopt);
  EXPECT_TRUE(pdf::PageTexts(S.PdfPath).value(0).contains(QStringLiteral("Пчеллы сабирают")));
  const QImage Page = pdf::PageImage(S.PdfPath, 1, 100).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(Page.isNull());
  EXPECT_EQ(RedPixels(Page), 0);
  EXPECT_TRUE(pdf::InkBox(Page).isValid()) << "the page shows the text";
}

TEST_F(SpellingTest, PopupOffersSuggestionsAtTheTopAndAppliesOne) {
  SetText(QStringLiteral("Летом пчеллы собирают мёд."));
  Edit->SetPopupTextPosition(PosOf(QStringLiteral("пчеллы")) + 2);
  QMenu* Menu = Edit->GetPopupMenu();
  ASSERT_NE(Menu, nullptr);
  const QStringList Texts = MenuTexts(Menu);
  const qsizetype Add = Texts.indexOf(QStringLiteral("Добавить в словарь"));
  ASSERT_GE(Add, 1) << Texts.join(u'|').toStdString();
  EXPECT_LE(Add, 5);
  EXPECT_EQ(Texts.value(Add + 1), QStringLiteral("Пропустить везде"));
  EXPECT_EQ(Texts.value(Add + 2), QStringLiteral("-"));
  EXPECT_TRUE(Texts.mid(0, Add).contains(QStringLiteral("пчелы")) || Texts.mid(0, Add).contains(QStringLiteral("пчёлы")));
  // The built-in items follow, in their own order.
  EXPECT_EQ(Menu->actions().value(int(Edit->SpellingItems().size())), Edit->PopupItems()[0]);

  QAction* Suggestion = Edit->SpellingItems().at(Texts.mid(0, Add).indexOf(QStringLiteral("пчелы")) >= 0
                                                     ? Texts.mid(0, Add).indexOf(QStringLiteral("пчелы"))
                                                     : Texts.mid(0, Add).indexOf(QStringLiteral("пчёлы")));
  const QString Chosen = Suggestion->text();
  Suggestion->trigger();
  EXPECT_EQ(Edit->Engine()->Text(), QStringLiteral("Летом %1 собирают мёд.").arg(Chosen));
  EXPECT_TRUE(Edit->Engine()->Undo());
  EXPECT_EQ(Edit->Engine()->Text(), QStringLiteral("Летом пчеллы собирают мёд."));

  // On a known word the menu is the usual one.
  Edit->SetPopupTextPosition(PosOf(QStringLiteral("мёд")));
  Edit->GetPopupMenu();
  EXPECT_TRUE(Edit->SpellingItems().isEmpty());
  EXPECT_EQ(Menu->actions().value(0), Edit->PopupItems()[0]);
}

TEST_F(SpellingTest, AddToDictionaryFromThePopupWritesTheUserList) {
  SetText(QStringLiteral("Поставили роевню у пасеки."));
  ASSERT_GT(RedPixels(Drawn()), 0);
  Edit->SetPopupTextPosition(PosOf(QStringLiteral("роевню")));
  Edit->GetPopupMenu();
  QAction* Add = nullptr;
  for (QAction* A : Edit->SpellingItems())
    if (A->objectName() == "SpellAddItem") Add = A;
  ASSERT_NE(Add, nullptr);
  Add->trigger();
  QFile F(UserList());
  ASSERT_TRUE(F.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(F.readAll()), QStringLiteral("роевню\n"));
  EXPECT_EQ(RedPixels(Drawn()), 0);
}

TEST_F(SpellingTest, DialogWalksFromTheCaretWithChangeAllAsOneUndoStep) {
  const QString Text = QStringLiteral(
      "Пчеллы летят. Матка сидит.\nРабочие пчеллы строят сабирают соты. Трутни пчеллы ждут.");
  SetText(Text);
  Edit->Engine()->SetSel({engine::LONG(PosOf(QStringLiteral("Матка"))), engine::LONG(PosOf(QStringLiteral("Матка")))});
  QStringList Seen;
  QString Sentence;
  TqvSpellDialogRunner Previous = SetSpellDialogRunner([&](TqvSpellDialog& D) {
    Seen << D.Word();
    Sentence = D.Sentence();
    ASSERT_FALSE(D.Suggestions().isEmpty());
    D.ChangeTo()->setText(QStringLiteral("пчёлы"));
    D.ChangeAll();  // the three "пчеллы" after and before the caret; "Пчеллы" is another word
    Seen << D.Word();
    D.ChangeTo()->setText(QStringLiteral("собирают"));
    D.Change();
    Seen << D.Word();
    D.Ignore();  // wrapped round to the first word
    EXPECT_TRUE(D.Finished());
  });
  Questions.answers = {platform::idOk};
  EXPECT_TRUE(Edit->SpellCheck());
  SetSpellDialogRunner(Previous);
  EXPECT_EQ(Seen, (QStringList{"пчеллы", "сабирают", "Пчеллы"}));
  EXPECT_EQ(Sentence, QStringLiteral("Рабочие пчеллы строят сабирают соты."));
  EXPECT_EQ(Edit->Engine()->Text(),
            QStringLiteral("Пчеллы летят. Матка сидит.\rРабочие пчёлы строят собирают соты. Трутни пчёлы ждут."));
  EXPECT_EQ(Questions.Texts(), QStringList{"The spell check is complete."});
  // Change undoes first, then Change All in one step.
  ASSERT_TRUE(Edit->Engine()->Undo());
  ASSERT_TRUE(Edit->Engine()->Undo());
  EXPECT_EQ(Edit->Engine()->Text(), QString(Text).replace(u'\n', u'\r'));
}

TEST_F(SpellingTest, DialogOnACorrectTextOnlySaysItIsComplete) {
  SetText(QStringLiteral("Пчёлы собирают нектар."));
  bool Shown = false;
  TqvSpellDialogRunner Previous = SetSpellDialogRunner([&](TqvSpellDialog&) { Shown = true; });
  EXPECT_TRUE(Edit->SpellCheck());
  SetSpellDialogRunner(Previous);
  EXPECT_FALSE(Shown);
  EXPECT_EQ(Questions.Texts(), QStringList{"The spell check is complete."});
}

TEST_F(SpellingTest, DialogIgnoreAllAndAddToDictionary) {
  SetText(QStringLiteral("роевня и роевня, носематоз и носематоз"));
  Edit->Engine()->SetSel({0, 0});
  QStringList Seen;
  TqvSpellDialogRunner Previous = SetSpellDialogRunner([&](TqvSpellDialog& D) {
    Seen << D.Word();
    D.IgnoreAll();
    Seen << D.Word();
    D.AddToDictionary();
  });
  EXPECT_TRUE(Edit->SpellCheck());
  SetSpellDialogRunner(Previous);
  EXPECT_EQ(Seen, (QStringList{"роевня", "носематоз"}));
  QFile F(UserList());
  ASSERT_TRUE(F.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(F.readAll()), QStringLiteral("носематоз\n"));
}

TEST_F(SpellingTest, SpellingIsOfferedByClassName) {
  EXPECT_TRUE(Edit->OffersSpelling());
  TqvDBRichEdit Plain;
  EXPECT_FALSE(Plain.OffersSpelling());
  Edit->SetPopupTextPosition(-1);
  SetText(QStringLiteral("Пчёлы"));
  Edit->GetPopupMenu();
  QMetaObject::invokeMethod(Edit->BuiltInPopup(), "aboutToShow");
  EXPECT_TRUE(Edit->PopupItems()[19]->isVisible());
  EXPECT_EQ(Edit->PopupItems()[19]->text(), QStringLiteral("Check &Spelling"));
}

TEST(SpellingNoDictionaryTest, SaysSoOnceAndTheTextStillWorks) {
  spell::ConfigureSharedSpeller({QStringLiteral("/nonexistent/ru_RU.aff"), QStringLiteral("/nonexistent/ru_RU.dic"), {}, {}});
  spell::WaitForSharedSpeller();
  TestQuestions Questions;
  TSpellEdit Edit;
  Edit.resize(300, 100);
  Edit.HandleNeeded();
  Edit.Engine()->SetPlainText(QStringLiteral("Пчеллы"));
  EXPECT_FALSE(Edit.SpellingActive());
  // Told on entering the text to edit it, once in the program's run.
  for (int Entry = 0; Entry < 2; ++Entry) {
    Edit.DoEnter();
    QApplication::processEvents();
    Edit.DoExit();
  }
  ASSERT_EQ(Questions.asked.size(), 1u);
  EXPECT_TRUE(Questions.asked[0].text.contains(QStringLiteral("dictionary")));
  // Asked for outright, the spelling command answers why it cannot run.
  EXPECT_FALSE(Edit.SpellCheck());
  EXPECT_EQ(Questions.asked.size(), 2u);
  Edit.SetPopupTextPosition(0);
  Edit.GetPopupMenu();
  EXPECT_TRUE(Edit.SpellingItems().isEmpty());
  Edit.Engine()->SetSel({0, 0});
  Edit.Engine()->ReplaceSel(QStringLiteral("Рой "));
  EXPECT_EQ(Edit.Engine()->Text(), QStringLiteral("Рой Пчеллы"));
  spell::ResetSharedSpeller();
}
