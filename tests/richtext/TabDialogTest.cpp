// The tab dialog run on a control as the user meets it: the list it shows, Set, Clear, Clear All,
// the Enter rules, what OK checks and what the paragraph receives.
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

#include "richtext/editor/qvrichtb.h"
#include "tests/richtext/DialogDriver.h"
#include "tests/richtext/RichEditFixture.h"

using namespace engine;
using namespace richtext;

namespace {
using TDriver = std::function<void(TqvRichTabDialog&)>;

QStringList Items(const TqvRichTabDialog& D) {
  QStringList L;
  for (int I = 0; I < D.ListBox1->count(); ++I) L << D.ListBox1->item(I)->text();
  return L;
}

void TypeAndSet(TqvRichTabDialog& D, const QString& Text) {
  TypeInto(D.Edit1, Text);
  D.Button1->click();
}

class TabDialog : public ::testing::Test {
 protected:
  TabDialog() : Locale(QLocale(QLocale::English, QLocale::UnitedStates)) {
    InstallTabDialog();
    E = MakeEdit();
    E->SetText(QStringLiteral("Frame\tsuper\tbrood"));
  }
  ~TabDialog() override { QvRichEditHooks().ShowTabsDialog = nullptr; }

  void Given(QVector<int> Tabs) {
    E->SetParagraphFormat(pmTabStops, QString(), 0, 0, 0, 0, Tabs.data(), int(Tabs.size()), 0, 0, 0, false);
  }
  QVector<int> Tabs() {
    PARAFORMAT2 F;
    E->GetParagraphFormat(F);
    return QVector<int>(F.rgxTabs, F.rgxTabs + F.cTabCount);
  }
  bool Run(const TDriver& Drive) {
    return WithModalDialog<TqvRichTabDialog>([this] { return E->ShowTabsDialog(); }, Drive);
  }

  TLocaleScope Locale;
  std::unique_ptr<TProbeRichEdit> E;
};
}  // namespace

TEST_F(TabDialog, TheFormAsDesigned) {
  const std::pair<const char*, QRect> Places[] = {
      {"GroupBox1", {8, 8, 160, 177}}, {"Edit1", {8, 20, 142, 21}},    {"ListBox1", {8, 43, 142, 97}},
      {"Button1", {8, 146, 67, 25}},   {"Button2", {82, 146, 67, 25}}, {"OKButton", {175, 12, 75, 25}},
      {"Button3", {176, 44, 75, 25}},  {"Button4", {176, 152, 75, 25}},
  };
  Run([&](TqvRichTabDialog& D) {
    EXPECT_EQ(D.size(), QSize(257, 192));
    for (const auto& [Name, Geometry] : Places) EXPECT_EQ(D.findChild<QWidget*>(QLatin1String(Name))->geometry(), Geometry) << Name;
    EXPECT_EQ(D.windowTitle(), QStringLiteral("Tab"));
    EXPECT_EQ(D.GroupBox1->title(), QStringLiteral("&Tab Stop Position"));
    EXPECT_EQ(D.Button1->text(), QStringLiteral("Set"));
    EXPECT_EQ(D.Button2->text(), QStringLiteral("Clear"));
    EXPECT_EQ(D.Button4->text(), QStringLiteral("Clear All"));
    EXPECT_EQ(D.Button3->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(D.ListBox1->toolTip(), QStringLiteral("List of tabs and their positions"));
    EXPECT_EQ(D.ListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);
    QStringList Walk;
    for (int I = 0; I < 7; ++I) {
      Walk << QApplication::focusWidget()->objectName();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(Walk, QStringList({"Edit1", "ListBox1", "Button1", "Button2", "OKButton", "Button3", "Button4"}));
    Accelerator(&D, Qt::Key_T);  // the group box's accelerator leads into the box
    EXPECT_EQ(QApplication::focusWidget(), D.Edit1);
    QTest::keyClick(D.Edit1, Qt::Key_Escape);
  });
}

TEST_F(TabDialog, SetInsertsInOrderAndRefusesWhatIsNoPosition) {
  Given({720, 1440});
  EXPECT_TRUE(Run([](TqvRichTabDialog& D) {
    EXPECT_EQ(Items(D), QStringList({"0.5''", "1''"}));
    TypeAndSet(D, QStringLiteral("0.75"));
    EXPECT_EQ(Items(D), QStringList({"0.5''", "0.75''", "1''"}));
    EXPECT_EQ(D.Edit1->text(), QString());
    TypeAndSet(D, QStringLiteral("1"));  // already there
    for (const char* Refused : {"-1", "abc", "23"}) TypeAndSet(D, QString::fromLatin1(Refused));
    EXPECT_EQ(D.Edit1->text(), QStringLiteral("23"));
    TypeAndSet(D, QStringLiteral("0.25''"));  // with its unit, first
    EXPECT_EQ(Items(D), QStringList({"0.25''", "0.5''", "0.75''", "1''"}));
    TypeInto(D.Edit1, QString());
    D.OKButton->click();
  }));
  EXPECT_EQ(Tabs(), QVector<int>({360, 720, 1080, 1440}));
}

TEST_F(TabDialog, EnterSetsWhileTheBoxHoldsTextAndClosesWhenItIsEmpty) {
  EXPECT_TRUE(Run([](TqvRichTabDialog& D) {
    EXPECT_FALSE(D.OKButton->isDefault());  // the box has the focus
    TypeInto(D.Edit1, QStringLiteral("2"));
    QTest::keyClick(D.Edit1, Qt::Key_Return);
    EXPECT_TRUE(D.isVisible());
    EXPECT_EQ(Items(D), QStringList({"2''"}));
    D.ListBox1->setFocus();
    EXPECT_TRUE(D.OKButton->isDefault());
    D.Edit1->setFocus();
    QTest::keyClick(D.Edit1, Qt::Key_Return);  // empty now: OK
  }));
  EXPECT_EQ(Tabs(), QVector<int>({2880}));
}

TEST_F(TabDialog, OKChecksTheBoxFirst) {
  Given({720});
  Run([](TqvRichTabDialog& D) {
    TypeInto(D.Edit1, QStringLiteral("1.x"));
    D.ListBox1->setFocus();
    D.OKButton->click();
    EXPECT_TRUE(D.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), D.Edit1);
    // A negative number passes OK's check; Set refuses it and the dialog closes without it.
    TypeInto(D.Edit1, QStringLiteral("-1"));
    D.OKButton->click();
  });
  EXPECT_EQ(Tabs(), QVector<int>({720}));
  Run([](TqvRichTabDialog& D) {
    TypeInto(D.Edit1, QStringLiteral("1.5"));
    D.OKButton->click();  // a good position is set on the way out
  });
  EXPECT_EQ(Tabs(), QVector<int>({720, 2160}));
}

TEST_F(TabDialog, ClearRemovesTheSelectedAndClearAllEverything) {
  Given({360, 720, 1080, 1440});
  EXPECT_TRUE(Run([](TqvRichTabDialog& D) {
    D.ListBox1->setFocus();
    QTest::keyClick(D.ListBox1, Qt::Key_Home);
    QTest::keyClick(D.ListBox1, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(D.ListBox1, Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(D.ListBox1->selectedItems().size(), 3);
    D.Button2->click();
    EXPECT_EQ(Items(D), QStringList({"1''"}));
    D.OKButton->click();
  }));
  EXPECT_EQ(Tabs(), QVector<int>({1440}));
  EXPECT_TRUE(Run([](TqvRichTabDialog& D) {
    D.Button4->click();
    EXPECT_TRUE(Items(D).isEmpty());
    D.ListBox1->setFocus();
    QTest::keyClick(D.ListBox1, Qt::Key_Return);  // outside the box Enter is OK
  }));
  EXPECT_TRUE(Tabs().isEmpty());
  // Cancel changes nothing.
  Given({720});
  EXPECT_FALSE(Run([](TqvRichTabDialog& D) {
    D.Button4->click();
    QTest::keyClick(D.ListBox1, Qt::Key_Escape);
  }));
  EXPECT_EQ(Tabs(), QVector<int>({720}));
}

TEST_F(TabDialog, ACentimetreTabIsAppliedInTwips) {
  E->SetMeasurementUnits(muCentimeters);
  EXPECT_TRUE(Run([](TqvRichTabDialog& D) {
    TypeAndSet(D, QStringLiteral("2"));
    EXPECT_EQ(Items(D), QStringList({"2 cm"}));
    D.OKButton->click();
  }));
  EXPECT_EQ(Tabs(), QVector<int>({1135}));  // 2 × 1440 / 2.537, truncated
}

TEST_F(TabDialog, NeverMoreThan32TabStops) {
  QVector<int> Full;
  for (int I = 1; I <= 32; ++I) Full << I * 360;
  Given(Full);
  EXPECT_TRUE(Run([](TqvRichTabDialog& D) {
    EXPECT_EQ(D.ListBox1->count(), 32);
    TypeAndSet(D, QStringLiteral("0.1"));
    EXPECT_EQ(D.ListBox1->count(), 32);
    EXPECT_EQ(D.Edit1->text(), QStringLiteral("0.1"));  // refused, kept for the user
    D.ListBox1->setCurrentRow(31);
    D.Button2->click();
    TypeAndSet(D, QStringLiteral("0.1"));
    EXPECT_EQ(D.ListBox1->item(0)->text(), QStringLiteral("0.1''"));
    D.OKButton->click();
  }));
  const QVector<int> T = Tabs();
  ASSERT_EQ(T.size(), 32);
  EXPECT_EQ(T.front(), 144);
  EXPECT_EQ(T.back(), 31 * 360);
}
