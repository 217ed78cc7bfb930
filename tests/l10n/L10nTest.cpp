// The Russian interface: which environment asks for it, the catalogue's consistency, every text
// record filled, and each menu and dialog checked as a Russian user meets it: no English left,
// no accelerator letter used twice, no caption cut or lying over the box it names.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>
#include <set>

#include "app/Translations.h"
#include "platform/FindReplaceDialog.h"
#include "platform/InsertObjectDialog.h"
#include "richtext/Qvintl.h"
#include "richtext/editor/qvrchdlg.h"
#include "richtext/editor/qvrich.h"
#include "richtext/editor/qvrichtb.h"
#include "richtext/qvfontdlg.h"
#include "richtext/qvspelldlg.h"
#include "spell/Speller.h"
#include "tests/common/ObjectFakes.h"
#include "tests/richtext_editor/EditorFixture.h"

using namespace richtext;

namespace {

TEST(InterfaceLanguage, RussianWhereTheEnvironmentAsksForIt) {
  const struct {
    const char *language, *lcAll, *lcMessages, *lang;
    bool russian;
  } cases[] = {
      {"", "", "", "ru_RU.UTF-8", true},
      {"", "", "", "ru", true},
      {"ru", "", "", "C.UTF-8", true},
      {"ru_RU:en", "", "", "", true},
      {"en", "", "", "ru_RU.UTF-8", false},  // LANGUAGE=en ./run.sh under a Russian desktop
      {"en_GB:ru", "", "", "ru_RU.UTF-8", false},
      {"", "C.UTF-8", "", "ru_RU.UTF-8", false},
      {"", "", "ru_UA.UTF-8", "en_US.UTF-8", true},
      {"", "", "", "en_US.UTF-8", false},
      {"", "", "", "", false},
      {"", "", "", "rup_RO", false},  // Aromanian, not Russian
  };
  for (const auto& c : cases)
    EXPECT_EQ(app::RussianWanted(QString::fromUtf8(c.language), QString::fromUtf8(c.lcAll),
                                 QString::fromUtf8(c.lcMessages), QString::fromUtf8(c.lang)),
              c.russian)
        << c.language << " | " << c.lcAll << " | " << c.lcMessages << " | " << c.lang;
}

// The mnemonic letter of a caption ("&Файл" -> 'ф'), or a null char.
QChar Mnemonic(const QString& text) {
  for (int i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return text[i + 1].toLower();
  }
  return {};
}

QString Plain(QString text) {
  text.replace(QLatin1String("&&"), QLatin1String("\x01"));
  text.remove(u'&');
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text;
}

bool HasCyrillic(const QString& text) {
  static const QRegularExpression cyrillic(QStringLiteral("[А-Яа-яЁё]"));
  return cyrillic.match(text).hasMatch();
}

// Words a Russian interface keeps as they are: key lock indicators, a font sample, and the OK
// that Qt's own Russian buttons keep.
bool KeptAsIs(const QString& text) {
  static const QStringList kept = {QStringLiteral("CAP"), QStringLiteral("NUM"), QStringLiteral("AaBbYyZz"),
                                   QStringLiteral("OK")};
  return kept.contains(Plain(text)) || !text.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}")));
}

// The catalogue in the tree: every message translated, with the source's placeholders, and with
// an accelerator where the source has one.
TEST(RussianCatalogue, EveryMessageIsTranslatedKeepingPlaceholdersAndAccelerators) {
  QFile file(QStringLiteral(TERMORA_TS));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QString context, source;
  int messages = 0;
  static const QRegularExpression placeholder(QStringLiteral("%[0-9s]"));
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == QLatin1String("name")) context = xml.readElementText();
    else if (xml.name() == QLatin1String("source")) source = xml.readElementText();
    else if (xml.name() == QLatin1String("translation")) {
      ++messages;
      const QString type = xml.attributes().value(QLatin1String("type")).toString();
      const QString text = xml.readElementText();
      SCOPED_TRACE((context + QStringLiteral(": ") + source).toStdString());
      EXPECT_TRUE(type.isEmpty()) << "marked " << type.toStdString();
      EXPECT_FALSE(text.isEmpty());
      QStringList want, got;
      for (const auto& m : placeholder.globalMatch(source)) want << m.captured();
      for (const auto& m : placeholder.globalMatch(text)) got << m.captured();
      want.sort();
      got.sort();
      EXPECT_EQ(got, want) << text.toStdString();
      EXPECT_EQ(Mnemonic(source).isNull(), Mnemonic(text).isNull()) << text.toStdString();
      if (!KeptAsIs(source)) {
        EXPECT_TRUE(HasCyrillic(text)) << text.toStdString();
      }
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_GT(messages, 0);
}

class RussianInterface : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(app::InstallRussian()) << "the program's Russian catalogue did not load"; }
};

template <class Record>
void ExpectTranslated(const Record& shown, const char* what) {
  const Record english;
  for (const auto& p : Record::TextProperties()) {
    const QString& source = english.*p.Member;
    if (source.isEmpty() || KeptAsIs(source)) continue;
    EXPECT_TRUE(HasCyrillic(shown.*p.Member)) << what << "." << p.Name << ": " << (shown.*p.Member).toStdString();
  }
}

TEST_F(RussianInterface, EveryTextRecordIsFilled) {
  const TqvDBRichEditIntl* r = GlobalIntl->RichEdit();
  ExpectTranslated(*r, "RichEdit");
  ExpectTranslated(*r->MenuLabels(), "MenuLabels");
  ExpectTranslated(*r->PopupMenuLabels(), "PopupMenuLabels");
  ExpectTranslated(*r->ParagraphDialog(), "ParagraphDialog");
  ExpectTranslated(*r->TabDialog(), "TabDialog");
  ExpectTranslated(*GlobalIntl->UserMessages(), "UserMessages");
  EXPECT_TRUE(HasCyrillic(GlobalIntl->BtnOKCaption()));
  EXPECT_TRUE(HasCyrillic(GlobalIntl->BtnCancelCaption()));
  // The texts shown where a record's text is left empty.
  for (const QString& s : r->ParagraphDialog()->SpacingChoices()) EXPECT_TRUE(HasCyrillic(s) || !s.contains(u'L')) << s.toStdString();
  EXPECT_TRUE(HasCyrillic(r->MenuLabels()->RedoCaptionShown()));
  EXPECT_TRUE(HasCyrillic(r->RedoButtonHintShown()));
  // The alignment travels to the control as its text: the four must stay apart.
  const TqvRichEditParagraphDlg* p = r->ParagraphDialog();
  EXPECT_EQ((std::set<QString>{p->AlignLeft(), p->AlignRight(), p->AlignCenter(), p->AlignJustify()}).size(), 4u);
}

// What a user reads in `window`: every caption with its widget, and the problems found in them.
struct Findings {
  QStringList english, repeated, cut;
};

bool Visible(const QWidget* w, const QWidget* window) { return w->isVisibleTo(const_cast<QWidget*>(window)); }

void CheckMenu(const QMenu* menu, const QString& where, Findings& f) {
  std::set<QChar> letters;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator() || a->text().isEmpty()) continue;
    const QString at = where + QStringLiteral(" > ") + a->text();
    if (!KeptAsIs(a->text()) && !HasCyrillic(a->text())) f.english << at;
    const QChar m = Mnemonic(a->text());
    if (!m.isNull() && !letters.insert(m).second) f.repeated << at;
    if (a->menu()) CheckMenu(a->menu(), at, f);
  }
}

Findings Check(QWidget* window) {
  Findings f;
  const QString where = window->objectName();
  if (!window->windowTitle().isEmpty() && !HasCyrillic(window->windowTitle())) f.english << where + QStringLiteral(" title");
  // Accelerators are unique per page: the pages of a tab widget are apart, but one page's
  // captions share the window's letters with the window's own buttons.
  std::set<QChar> letters;
  const auto note = [&](QWidget* w, const QString& text) {
    const QString at = where + QStringLiteral(": ") + Plain(text);
    if (!KeptAsIs(text) && !HasCyrillic(text)) f.english << at;
    const QChar m = Mnemonic(text);
    if (!m.isNull() && !letters.insert(m).second) f.repeated << at;
    (void)w;
  };
  QList<QWidget*> inputs;
  for (QWidget* w : window->findChildren<QWidget*>())
    if (Visible(w, window) && (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                               qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QListWidget*>(w)))
      inputs << w;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!Visible(w, window)) continue;
    const QFontMetrics fm = w->fontMetrics();
    QString text;
    int need = 0, room = 0;
    if (auto* l = qobject_cast<QLabel*>(w)) {
      text = l->text();
      if (text.isEmpty() || l->wordWrap() || l->textFormat() == Qt::RichText) continue;
      need = fm.horizontalAdvance(Plain(text));
      room = l->contentsRect().width();
      // A caption lies beside its box, never over it.
      const QRect box(l->mapTo(window, QPoint(0, 0)), l->size());
      const QRect textBox(box.topLeft(), QSize(qMin(need, box.width()), box.height()));
      for (QWidget* in : inputs)
        if (textBox.intersects(QRect(in->mapTo(window, QPoint(0, 0)), in->size())))
          f.cut << where + QStringLiteral(": ") + Plain(text) + QStringLiteral(" over ") + in->objectName();
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
      text = b->text();
      need = fm.horizontalAdvance(Plain(text)) + 6;
      room = b->width();
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {  // check and radio boxes
      text = b->text();
      need = b->sizeHint().width();
      room = b->width();
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
      text = g->title();
      need = fm.horizontalAdvance(Plain(text)) + 12;
      room = g->width();
    } else {
      continue;
    }
    if (text.isEmpty()) continue;
    note(w, text);
    if (need > room)
      f.cut << where + QStringLiteral(": ") + Plain(text) + QStringLiteral(" needs %1 px, has %2").arg(need).arg(room);
    // Within its window.
    const QRect inWindow(w->mapTo(window, QPoint(0, 0)), w->size());
    if (!window->rect().contains(inWindow)) f.cut << where + QStringLiteral(": ") + Plain(text) + QStringLiteral(" leaves the window");
  }
  return f;
}

void ExpectClean(QWidget* window) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  const Findings f = Check(window);
  EXPECT_TRUE(f.english.isEmpty()) << "English: " << f.english.join(QStringLiteral("; ")).toStdString();
  EXPECT_TRUE(f.repeated.isEmpty()) << "accelerator used twice: " << f.repeated.join(QStringLiteral("; ")).toStdString();
  EXPECT_TRUE(f.cut.isEmpty()) << "cut: " << f.cut.join(QStringLiteral("; ")).toStdString();
}

TEST_F(RussianInterface, ParagraphDialog) {
  for (bool justify : {false, true}) {
    TqvRichParagraphDialog d;
    TqvParagraphDialogSettings s;
    s.OfferJustify = justify;
    d.Prepare(s, TqvParagraphValues{});
    ExpectClean(&d);
    // The longest alignment and spacing choices fit their lists.
    for (QComboBox* c : d.findChildren<QComboBox*>())
      for (int i = 0; i < c->count(); ++i)
        EXPECT_LE(c->fontMetrics().horizontalAdvance(c->itemText(i)) + 24, c->width()) << c->itemText(i).toStdString();
  }
}

TEST_F(RussianInterface, TabDialog) {
  TqvRichTabDialog d;
  d.Prepare(TqvTabDialogSettings{}, {720, 1440});
  ExpectClean(&d);
}

TEST_F(RussianInterface, FindAndReplaceDialogs) {
  platform::TFindDialog find;
  ExpectClean(&find);
  platform::TReplaceDialog replace;
  ExpectClean(&replace);
}

TEST_F(RussianInterface, FontDialog) {
  TqvFontDialog d;
  ExpectClean(&d);
}

TEST_F(RussianInterface, PageSetupDialog) {
  for (TqvMeasurementUnits units : {muInches, muCentimeters}) {
    TqvPageSetupForm d(nullptr, TqvPageSetupForm::TValues{}, units, true);
    ExpectClean(&d);
  }
}

TEST_F(RussianInterface, PrintDialog) {
  auto edit = MakeEdit();
  bool seen = false;
  QTimer::singleShot(0, [&] {
    QWidget* d = QApplication::activeModalWidget();
    ASSERT_NE(d, nullptr);
    seen = true;
    ExpectClean(d);
    for (QDialogButtonBox* b : d->findChildren<QDialogButtonBox*>())
      for (QAbstractButton* button : b->buttons())
        EXPECT_TRUE(KeptAsIs(button->text()) || HasCyrillic(button->text())) << button->text().toStdString();
    d->close();
  });
  TqvPrintChoice choice;
  EditorDialogs().Print(edit.get(), choice);
  EXPECT_TRUE(seen);
}

TEST_F(RussianInterface, SpellingDialog) {
  spell::TSpeller speller(spell::TSpellerFiles{QStringLiteral("/nonexistent/ru_RU.aff"), QStringLiteral("/nonexistent/ru_RU.dic"), {}, {}});
  EXPECT_TRUE(HasCyrillic(speller.Problem())) << speller.Problem().toStdString();
  TqvSpellDialog d(TqvSpellTarget{}, speller);
  ExpectClean(&d);
}

TEST_F(RussianInterface, InsertObjectDialog) {
  platform::OLEUIINSERTOBJECT io;
  platform::TInsertObjectDialog d(io, nullptr);
  ExpectClean(&d);
}

TEST_F(RussianInterface, ObjectPropertiesDialogOnEachPage) {
  // A linked object as a Russian user's container describes it.
  struct Info : platform::FakeObjectInfo {
    platform::HRESULT GetObjectInfo(platform::DWORD, platform::DWORD* size, QString* label, QString* type, QString* shortType,
                          QString* location) override {
      if (size) *size = 2048;
      if (label) *label = QStringLiteral("Текстовый документ");
      if (type) *type = QStringLiteral("Текстовый документ");
      if (shortType) *shortType = QStringLiteral("Текст");
      if (location) *location = QStringLiteral("Словарь");
      return platform::S_OK;
    }
  } info;
  platform::PROPSHEETHEADER sheet;
  platform::OLEUIVIEWPROPS view;
  platform::OLEUILINKPROPS link;
  platform::OLEUIOBJECTPROPS props;
  props.dwFlags = platform::OPF_OBJECTISLINK;
  props.lpPS = &sheet;
  props.lpObjInfo = &info;
  props.lpLinkInfo = &info;
  props.lpVP = &view;
  props.lpLP = &link;
  platform::TObjectPropertiesDialog d(props, nullptr);
  auto* pages = d.findChild<QTabWidget*>(QStringLiteral("Pages"));
  ASSERT_NE(pages, nullptr);
  for (int i = 0; i < pages->count(); ++i) {
    SCOPED_TRACE(pages->tabText(i).toStdString());
    EXPECT_TRUE(HasCyrillic(pages->tabText(i)));
    pages->setCurrentIndex(i);
    ExpectClean(&d);
  }
}

TEST_F(RussianInterface, EditorWindowMenusAndPopupMenu) {
  auto edit = MakeEdit();
  edit->SetText(QStringLiteral("Пчела"));
  EXPECT_TRUE(!RunEditor(*edit, [](TqvRichEditForm& form) {
    const Findings f = Check(&form);
    EXPECT_TRUE(f.english.isEmpty()) << "English: " << f.english.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(f.repeated.isEmpty()) << f.repeated.join(QStringLiteral("; ")).toStdString();
    Findings menus;
    for (QMenuBar* bar : form.findChildren<QMenuBar*>()) {
      std::set<QChar> top;
      for (QAction* a : bar->actions()) {
        const QChar m = Mnemonic(a->text());
        if (!m.isNull() && !top.insert(m).second) menus.repeated << a->text();
        if (!a->text().isEmpty() && !HasCyrillic(a->text())) menus.english << a->text();
        if (a->menu()) CheckMenu(a->menu(), a->text(), menus);
      }
    }
    EXPECT_TRUE(menus.english.isEmpty()) << "English: " << menus.english.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(menus.repeated.isEmpty()) << "accelerator used twice: " << menus.repeated.join(QStringLiteral("; ")).toStdString();
    form.QDialog::done(QDialog::Rejected);
  }) || true);

  edit->PreparePopup();
  Findings popup;
  CheckMenu(edit->BuiltInPopup(), QStringLiteral("popup"), popup);
  EXPECT_TRUE(popup.english.isEmpty()) << "English: " << popup.english.join(QStringLiteral("; ")).toStdString();
  EXPECT_TRUE(popup.repeated.isEmpty()) << "accelerator used twice: " << popup.repeated.join(QStringLiteral("; ")).toStdString();
}

}  // namespace
