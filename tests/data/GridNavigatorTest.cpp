// The data-aware grid and navigator: keys, enabling, questions and store errors.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>

#include "data/DBGrid.h"
#include "data/DBNavigator.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/TestQuestions.h"

using namespace data;

namespace {

void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString()) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

class GridNavigatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeGlossary(dir.path(), {{"А", {"Акация", "Апис", "Аэрозоль"}}, {"Б", {}}});
    t = std::make_unique<GlossaryTables>(dir.path());
    t->Open();
    window.resize(600, 400);
    grid = new TDBGrid(&window);
    grid->setGeometry(4, 8, 301, 277);
    grid->SetDataSource(&t->DataSource2);
    TColumn& c = grid->AddColumn("WordDetail");
    c.Title().SetCaption("Термин");
    c.Title().SetAlignment(Qt::AlignHCenter);
    c.SetWidth(265);
    nav = new TDBNavigator(&window);
    nav->setGeometry(76, 292, 182, 25);
    nav->SetDataSource(&t->DataSource2);
    other = new QLineEdit(&window);
    other->setGeometry(320, 8, 100, 25);
    window.show();
    QApplication::setActiveWindow(&window);
    grid->setFocus();
    QApplication::processEvents();
  }
  void TearDown() override {
    delete grid;  // before the tables it shows
    delete nav;
    t.reset();
  }
  QString EnabledButtons() const {
    QString s;
    for (int b = nbFirst; b <= nbRefresh; ++b) s += nav->ButtonEnabled(TNavigateBtn(b)) ? '1' : '0';
    return s;
  }

  QTemporaryDir dir;
  std::unique_ptr<GlossaryTables> t;
  QWidget window;
  TDBGrid* grid = nullptr;
  TDBNavigator* nav = nullptr;
  QLineEdit* other = nullptr;
};

TEST_F(GridNavigatorTest, NavigatorButtonsFollowTheDataSetState) {
  //                  first prior next last insert delete edit post cancel refresh
  EXPECT_EQ(EnabledButtons(), "0011111001");
  t->Table2.Next();
  EXPECT_EQ(EnabledButtons(), "1111111001");
  t->Table2.Last();
  EXPECT_EQ(EnabledButtons(), "1100111001");
  t->Table2.Edit();
  EXPECT_EQ(EnabledButtons(), "1100110110");
  t->Table2.Cancel();
  t->Table1.SetRecNo(2);  // no terms
  EXPECT_EQ(EnabledButtons(), "0000101001");
  t->Table2.Close();
  EXPECT_EQ(EnabledButtons(), "0000000000");
}

TEST_F(GridNavigatorTest, NavigatorShowsOnlyTheVisibleButtonsAndHintsOnRequest) {
  nav->SetVisibleButtons(NavButton(nbPrior) | NavButton(nbNext) | NavButton(nbInsert) | NavButton(nbDelete) |
                         NavButton(nbEdit) | NavButton(nbPost) | NavButton(nbCancel));
  int total = 0;
  for (int b = nbFirst; b <= nbRefresh; ++b) {
    QAbstractButton* button = nav->Button(TNavigateBtn(b));
    const bool shown = !(b == nbFirst || b == nbLast || b == nbRefresh);
    EXPECT_EQ(button->isVisible(), shown) << b;
    if (shown) total += button->width();
    EXPECT_TRUE(button->toolTip().isEmpty());
  }
  EXPECT_EQ(total, nav->width());
  nav->SetShowHint(true);
  EXPECT_EQ(nav->Button(nbPost)->toolTip(), "Post edit");
}

TEST_F(GridNavigatorTest, DeleteAsksFirstAndOnlyOkDeletes) {
  TestQuestions questions;
  questions.answers = {platform::idCancel, platform::idOk};
  nav->BtnClick(nbDelete);
  EXPECT_EQ(t->Table2.RecordCount(), 3);
  nav->BtnClick(nbDelete);
  EXPECT_EQ(t->Words(), QStringList({"Апис", "Аэрозоль"}));
  ASSERT_EQ(questions.asked.size(), 2u);
  EXPECT_EQ(questions.asked[0].text, "Delete record?");
  EXPECT_EQ(questions.asked[0].buttons, platform::Buttons::OkCancel);
  EXPECT_EQ(questions.asked[0].caption, "Termora");

  // The grid asks the same on Ctrl+Delete.
  questions.answers = {platform::idCancel, platform::idOk};
  Key(grid, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(t->Table2.RecordCount(), 2);
  Key(grid, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(t->Words(), QStringList({"Аэрозоль"}));
  EXPECT_EQ(questions.Texts(), QStringList({"Delete record?", "Delete record?", "Delete record?", "Delete record?"}));
}

TEST_F(GridNavigatorTest, AStoreErrorIsShownAndTheEditStays) {
  GlossaryTables second(dir.path());
  second.Open();
  nav->BtnClick(nbEdit);
  t->Table2WordDetail.SetAsString("Акация мине");
  second.Table2.Edit();
  second.Table2WordDetail.SetAsString("Акация чужая");
  second.Table2.Post();

  TestQuestions questions;
  nav->BtnClick(nbPost);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].icon, platform::Icon::Error);
  EXPECT_TRUE(questions.asked[0].text.contains("changed by another user")) << questions.asked[0].text.toStdString();
  EXPECT_EQ(t->Table2.State(), dsEdit);
  EXPECT_EQ(t->Table2WordDetail.AsString(), "Акация мине");
  EXPECT_EQ(EnabledButtons().mid(nbPost, 2), "11");
}

TEST_F(GridNavigatorTest, NavigatorIsUsableFromTheKeyboard) {
  nav->setFocus();
  Key(nav, Qt::Key_Right);
  Key(nav, Qt::Key_Right);  // on Next
  Key(nav, Qt::Key_Space);
  EXPECT_EQ(t->Table2.RecNo(), 2);
  Key(nav, Qt::Key_Left);  // Prior
  Key(nav, Qt::Key_Return);
  EXPECT_EQ(t->Table2.RecNo(), 1);
}

TEST_F(GridNavigatorTest, GridKeysMoveThroughTheTerms) {
  Key(grid, Qt::Key_Down);
  EXPECT_EQ(t->Table2.RecNo(), 2);
  Key(grid, Qt::Key_End);
  EXPECT_EQ(t->Table2WordDetail.AsString(), "Аэрозоль");
  Key(grid, Qt::Key_Home);
  EXPECT_EQ(t->Table2.RecNo(), 1);
  Key(grid, Qt::Key_PageDown);
  EXPECT_EQ(t->Table2.RecNo(), 3);
  Key(grid, Qt::Key_Up);
  EXPECT_EQ(t->Table2.RecNo(), 2);
  Key(grid, Qt::Key_PageUp);
  EXPECT_EQ(t->Table2.RecNo(), 1);
}

TEST_F(GridNavigatorTest, DownOnTheLastRowStartsANewTermThatFocusLossDropsUntouched) {
  Key(grid, Qt::Key_End);
  Key(grid, Qt::Key_Down);
  EXPECT_EQ(t->Table2.State(), dsInsert);
  EXPECT_EQ(t->Table2.CurrentIndex(), 3);
  Key(grid, Qt::Key_Down);  // no second empty row
  EXPECT_EQ(t->Table2.RowCount(), 4);
  Key(grid, Qt::Key_Up);  // leaving it upwards drops it
  EXPECT_EQ(t->Table2.State(), dsBrowse);
  EXPECT_EQ(t->Table2.RowCount(), 3);

  // Clicking another row leaves it the same way, and lands on the row clicked.
  Key(grid, Qt::Key_Down);
  const QPointF second(40, grid->TitleHeight() + grid->DefaultRowHeight() * 1.5);
  QMouseEvent click(QEvent::MouseButtonPress, second, grid->mapToGlobal(second), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(grid, &click);
  EXPECT_EQ(t->Table2.State(), dsBrowse);
  EXPECT_EQ(t->Table2WordDetail.AsString(), "Апис");

  Key(grid, Qt::Key_Insert);
  EXPECT_EQ(t->Table2.State(), dsInsert);
  other->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(t->Table2.State(), dsBrowse);
  EXPECT_EQ(t->Words(), QStringList({"Акация", "Апис", "Аэрозоль"}));

  // A new row the user typed into keeps what was typed when the focus goes elsewhere.
  grid->setFocus();
  Key(grid, Qt::Key_Insert);
  Key(grid, Qt::Key_A, Qt::NoModifier, "В");
  ASSERT_TRUE(grid->EditorMode());
  grid->InplaceEditor()->setText("Вощина");
  grid->InplaceEditor()->setModified(true);
  other->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(t->Table2.State(), dsInsert);
  EXPECT_EQ(t->Table2WordDetail.AsString(), "Вощина");
}

TEST_F(GridNavigatorTest, TypingEditsTheTermInPlaceUpToItsWidth) {
  Key(grid, Qt::Key_A, Qt::NoModifier, "Б");
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(t->Table2.State(), dsEdit);
  QLineEdit* editor = grid->InplaceEditor();
  EXPECT_EQ(editor->maxLength(), 40);
  editor->setText("Бортевой улей");
  editor->setModified(true);
  Key(editor, Qt::Key_Return);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(t->Table2WordDetail.AsString(), "Бортевой улей");
  nav->BtnClick(nbPost);
  EXPECT_EQ(t->Words(), QStringList({"Апис", "Аэрозоль", "Бортевой улей"}));

  // What the editor holds is stored by a post from elsewhere (the navigator) too.
  Key(grid, Qt::Key_Home);
  Key(grid, Qt::Key_F2);
  ASSERT_TRUE(grid->EditorMode());
  grid->InplaceEditor()->setText("Апис меллифера");
  grid->InplaceEditor()->setModified(true);
  nav->BtnClick(nbPost);
  EXPECT_EQ(t->Words().first(), "Апис меллифера");

  // Esc drops what was typed, a second Esc the edit.
  Key(grid, Qt::Key_F2);
  grid->InplaceEditor()->setText("xyz");
  grid->InplaceEditor()->setModified(true);
  Key(grid->InplaceEditor(), Qt::Key_Escape);
  EXPECT_EQ(grid->InplaceEditor()->text(), "Апис меллифера");
  Key(grid->InplaceEditor(), Qt::Key_Escape);
  EXPECT_EQ(t->Table2.State(), dsBrowse);
}

TEST_F(GridNavigatorTest, ATermRefusesInvisibleCharactersAndAPasteLeavesThemOut) {
  TestQuestions questions;
  const QStringList before = t->Words();
  // Put there by an input method or by code, they are refused with the reason; the typing stays.
  for (const char16_t bad : {0x0000, 0x001B, 0x0009, 0x000A, 0x000D, 0x007F, 0x202E, 0x2028}) {
    const QString code = QStringLiteral("U+%1").arg(QString::number(bad, 16).toUpper().rightJustified(4, u'0'));
    SCOPED_TRACE(code.toStdString());
    const QString word = QStringLiteral("Ап") + QChar(bad) + QStringLiteral("ис");
    Key(grid, Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    grid->InplaceEditor()->setText(word);
    grid->InplaceEditor()->setModified(true);
    const size_t asked = questions.asked.size();
    Key(grid->InplaceEditor(), Qt::Key_Return);
    ASSERT_EQ(questions.asked.size(), asked + 1);
    EXPECT_TRUE(questions.asked.back().text.contains(code)) << questions.asked.back().text.toStdString();
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor()->text(), word);
    Key(grid->InplaceEditor(), Qt::Key_Escape);
    Key(grid->InplaceEditor(), Qt::Key_Escape);
  }
  EXPECT_EQ(t->Words(), before);

  // Pasted, a name from another program loses them: line breaks and tabs become one space.
  Key(grid, Qt::Key_F2);
  ASSERT_TRUE(grid->EditorMode());
  grid->InplaceEditor()->selectAll();
  QApplication::clipboard()->setText(QStringLiteral("Апис\t\tмеллифера\u202e\r\n"));
  Key(grid->InplaceEditor(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("Апис меллифера"));
  EXPECT_EQ(grid->InplaceEditor()->cursorPosition(), 14);
  Key(grid->InplaceEditor(), Qt::Key_Return);
  nav->BtnClick(nbPost);
  EXPECT_TRUE(t->Words().contains(QStringLiteral("Апис меллифера")));
  EXPECT_EQ(questions.asked.size(), 8u);
}

TEST_F(GridNavigatorTest, TabWalksTheCellsOfTheRowThenLeavesTheGrid) {
  grid->ClearColumns();
  grid->AddColumn("WordDetail");
  grid->AddColumn("NumDetail");
  EXPECT_EQ(grid->SelectedColumn(), 0);
  Key(grid, Qt::Key_Tab);
  EXPECT_EQ(grid->SelectedColumn(), 1);
  EXPECT_TRUE(grid->hasFocus());
  // A number column takes digits only.
  Key(grid, Qt::Key_X, Qt::NoModifier, "x");
  EXPECT_FALSE(grid->EditorMode());
  // Past the last cell the focus goes on, from any row: Tab does not walk the records.
  Key(grid, Qt::Key_Tab);
  EXPECT_FALSE(grid->hasFocus());
  EXPECT_EQ(t->Table2.RecNo(), 1);

  grid->setFocus();
  Key(grid, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(grid->SelectedColumn(), 0);
  EXPECT_TRUE(grid->hasFocus());
  Key(grid, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_FALSE(grid->hasFocus());
  EXPECT_EQ(t->Table2.RecNo(), 1);

  // From the editor the same, and what it holds is kept.
  grid->setFocus();
  Key(grid, Qt::Key_Down);
  Key(grid, Qt::Key_F2);
  ASSERT_TRUE(grid->EditorMode());
  grid->InplaceEditor()->setText("Апис меллифера");
  grid->InplaceEditor()->setModified(true);
  Key(grid->InplaceEditor(), Qt::Key_Tab);
  EXPECT_EQ(grid->SelectedColumn(), 1);
  EXPECT_EQ(t->Table2WordDetail.AsString(), "Апис меллифера");
  Key(grid, Qt::Key_Tab);
  EXPECT_FALSE(grid->hasFocus());
  EXPECT_EQ(t->Table2.RecNo(), 2);
}

TEST_F(GridNavigatorTest, DraggingATitleEdgeResizesThatColumn) {
  const QPointF edge(grid->IndicatorWidth() + 1 + 265, 5);
  const QPointF wider = edge + QPointF(-40, 0);
  QMouseEvent press(QEvent::MouseButtonPress, edge, grid->mapToGlobal(edge), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent move(QEvent::MouseMove, wider, grid->mapToGlobal(wider), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, wider, grid->mapToGlobal(wider), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(grid, &press);
  QApplication::sendEvent(grid, &move);
  QApplication::sendEvent(grid, &release);
  EXPECT_EQ(grid->Column(0).Width(), 225);
  EXPECT_EQ(t->Table2.RecNo(), 1);  // the title row moves no record
}

TEST_F(GridNavigatorTest, PaintsTheCurrentRowsStateAndNoRowsOnceClosed) {
  // The current row's indicator: a pointer while browsing, an I-beam while editing, a star for
  // a new row. Each differs from the others and from an empty indicator cell.
  auto indicator = [&] {
    const QImage image = grid->grab().toImage();
    const int y = grid->TitleHeight() + (t->Table2.CurrentIndex() - grid->TopRow()) * grid->DefaultRowHeight();
    return image.copy(0, y, grid->IndicatorWidth(), grid->DefaultRowHeight() - 1);
  };
  auto otherRowIndicator = [&] {
    const QImage image = grid->grab().toImage();
    const int y = grid->TitleHeight() + (t->Table2.CurrentIndex() + 1 - grid->TopRow()) * grid->DefaultRowHeight();
    return image.copy(0, y, grid->IndicatorWidth(), grid->DefaultRowHeight() - 1);
  };
  const QImage empty = otherRowIndicator();
  const QImage browse = indicator();
  t->Table2.Edit();
  const QImage edit = indicator();
  t->Table2.Cancel();
  t->Table2.Insert();
  const QImage insert = indicator();
  for (const QImage& state : {browse, edit, insert}) EXPECT_NE(state, empty);
  EXPECT_NE(browse, edit);
  EXPECT_NE(browse, insert);
  EXPECT_NE(edit, insert);

  // Closed: below the title row (and the ends of its column lines) the grid is its own colour.
  t->Table2.Close();
  const QImage closed = grid->grab().toImage();
  int stray = 0;
  for (int y = grid->TitleHeight() + 1; y < closed.height(); ++y)
    for (int x = 0; x < closed.width(); ++x) stray += closed.pixelColor(x, y).rgb() != grid->Color().rgb();
  EXPECT_EQ(stray, 0);
}

TEST_F(GridNavigatorTest, ANewTermKeepsItsTypingAndTabGoesOnToTheNextControl) {
  // The keys go wherever the focus is, as they do for a user.
  auto type = [](const QString& text) { QTest::keyClicks(static_cast<QWidget*>(nullptr), text); };
  auto key = [](Qt::Key k) { QTest::keyClick(static_cast<QWidget*>(nullptr), k); };
  QWidget::setTabOrder(grid, other);  // the definition's place in the window
  struct Start {
    const char* name;
    const char* term;
    std::function<void()> begin;
  };
  const std::vector<Start> starts = {
      {"navigator insert on the first row", "Propolis", [&] { nav->BtnClick(nbInsert); }},
      {"Insert key on the second row", "Nectar",
       [&] {
         key(Qt::Key_Home);
         key(Qt::Key_Down);
         key(Qt::Key_Insert);
       }},
      {"Down on the last row", "Pollen",
       [&] {
         key(Qt::Key_End);
         key(Qt::Key_Down);
       }},
  };
  QStringList expected = t->Words();
  for (const Start& s : starts) {
    SCOPED_TRACE(s.name);
    grid->setFocus();
    other->clear();
    s.begin();
    ASSERT_EQ(t->Table2.State(), dsInsert);
    const QString term = QString::fromLatin1(s.term);
    type(term.left(3));
    QApplication::processEvents();
    type(term.mid(3));
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor()->text(), term);

    key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), other);
    EXPECT_EQ(t->Table2.State(), dsInsert);
    EXPECT_EQ(t->Table2WordDetail.AsString(), term);
    type("Definition");
    EXPECT_EQ(other->text(), "Definition");
    EXPECT_EQ(t->Table2WordDetail.AsString(), term);

    nav->BtnClick(nbPost);
    expected << term;
    expected.sort();
    EXPECT_EQ(t->Words(), expected);
  }
}

}  // namespace

namespace {

// How a navigator button's glyph looks: the inked pixels of its middle, by kind.
struct GlyphInk {
  int coloured = 0;   // in the text colour, blue here
  int shadow = 0;     // neutral grey
  int highlight = 0;  // white
};

GlyphInk InkOf(QAbstractButton* b) {
  const QImage img = b->grab().toImage();
  GlyphInk ink;
  const int side = std::min(b->width(), b->height()) - 6;  // the glyph's box, inside the bevel
  const QRect middle(b->width() / 2 - side / 2, b->height() / 2 - side / 2, side, side);
  const QRgb face = img.pixel(middle.topLeft());
  for (int y = middle.top(); y <= middle.bottom(); ++y)
    for (int x = middle.left(); x <= middle.right(); ++x) {
      const QRgb p = img.pixel(x, y);
      if (p == face) continue;
      const int r = qRed(p), g = qGreen(p), bl = qBlue(p);
      if (bl > r + 60 && bl > g + 60) ++ink.coloured;
      else if (std::abs(r - g) < 12 && std::abs(g - bl) < 12 && r < 180) ++ink.shadow;
      else if (r > 250 && g > 250 && bl > 250) ++ink.highlight;
    }
  return ink;
}

}  // namespace

TEST_F(GridNavigatorTest, DisabledButtonsLookDisabledWhateverTheTextColour) {
  QPalette blue = nav->palette();
  blue.setColor(QPalette::ButtonText, QColor(0, 0, 206));  // every colour group, as the glossary sets it
  nav->setPalette(blue);
  struct Case {
    const char* state;
    std::function<void()> go;
    std::vector<TNavigateBtn> enabled, disabled;
  } cases[] = {
      {"first row, browsing", [&] { t->Table2.First(); }, {nbNext, nbInsert, nbEdit}, {nbPrior, nbPost, nbCancel}},
      {"last row", [&] { t->Table2.Last(); }, {nbPrior}, {nbNext}},
      {"editing", [&] { t->Table2.Edit(); }, {nbPost, nbCancel}, {nbEdit}},
  };
  for (const Case& c : cases) {
    c.go();
    for (TNavigateBtn b : c.enabled) {
      const GlyphInk ink = InkOf(nav->Button(b));
      EXPECT_GT(ink.coloured, 5) << c.state << ", button " << b;
      EXPECT_EQ(ink.shadow, 0) << c.state << ", button " << b;
    }
    for (TNavigateBtn b : c.disabled) {
      const GlyphInk ink = InkOf(nav->Button(b));
      EXPECT_EQ(ink.coloured, 0) << c.state << ", button " << b;
      EXPECT_GT(ink.shadow, 5) << c.state << ", button " << b;
      EXPECT_GT(ink.highlight, 2) << c.state << ", button " << b;  // embossed
    }
  }
}

TEST_F(GridNavigatorTest, ANameWiderThanItsColumnEndsInAnEllipsisAndShowsWholeAsATooltip) {
  QFont verdana(QStringLiteral("Verdana"));
  verdana.setPixelSize(16);
  grid->setFont(verdana);
  const QString longName = QString::fromUtf8("Аварийный вывод маток без матки");
  t->Table2.First();
  t->Table2.Edit();
  t->Table2WordDetail.SetAsString(longName);
  t->Table2.Post();
  t->Table2.First();
  ASSERT_EQ(grid->CellText(0, 0), longName);

  const QString shown = grid->ShownCellText(0, 0);
  ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
  EXPECT_TRUE(longName.startsWith(shown.chopped(1)));
  EXPECT_LE(QFontMetrics(verdana).horizontalAdvance(shown), 265 - 4);
  EXPECT_EQ(grid->ShownCellText(1, 0), QString::fromUtf8("Апис"));  // a name that fits is left whole

  auto hover = [&](int row) {
    const QPoint at(100, grid->TitleHeight() + row * grid->DefaultRowHeight() + 3);
    QHelpEvent help(QEvent::ToolTip, at, grid->mapToGlobal(at));
    QApplication::sendEvent(grid, &help);
  };
  hover(0);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), longName);
  hover(1);
  EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
}
