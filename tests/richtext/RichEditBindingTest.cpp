// The control bound to TextDetail: showing the current definition, editing, storing, dropping.
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>

#include "data/DBGrid.h"
#include "tests/richtext/RichEditFixture.h"
#include "tests/common/TestQuestions.h"

using namespace engine;
using namespace data;
using namespace richtext;

namespace {
QByteArray EngineRtf(TqvCustomRichEdit& E) {
  QBuffer B;
  B.open(QIODevice::WriteOnly);
  E.EngineLines().SaveToStream(B);
  return B.data();
}

class RichEditBinding : public ::testing::Test {
 protected:
  RichEditBinding()
      : G({{QString::fromUtf8("Акация"), Rtf("{\\b Acacia} blossom")},
           {QString::fromUtf8("Апис"), QByteArray("Plain stored text\r\nsecond line")},
           {QString::fromUtf8("Аэрозоль"), QByteArray()}}) {}

  std::unique_ptr<TProbeRichEdit> Bound() {
    auto E = MakeEdit();
    E->SetDataSource(&G.DataSource2);
    E->SetDataField("TextDetail");
    return E;
  }
  TGlossary G;
};
}  // namespace

TEST_F(RichEditBinding, ShowsTheCurrentDefinitionAndFollowsTheRecord) {
  auto E = Bound();
  EXPECT_TRUE(E->ContentLoaded());
  EXPECT_EQ(E->Text(), QString("Acacia blossom"));
  E->SetSelStart(0);
  E->SetSelLength(1);
  EXPECT_TRUE(E->SelAttributes().Style() & fsBold);
  EXPECT_FALSE(E->Modified());

  G.Table2.Next();  // stored as plain text: shown as that text
  EXPECT_EQ(E->Text(), QString("Plain stored text\r\nsecond line"));

  G.Table2.Next();  // empty: no bullets, left aligned, typing in the control's font colour
  EXPECT_EQ(E->Text(), QString());
  EXPECT_EQ(E->Paragraph().Numbering(), nsNone);
  EXPECT_EQ(E->Paragraph().Alignment(), taLeftJustify);
  EXPECT_EQ(E->DefAttributes().Color(), E->ControlFontColor());

  G.Table1.Next();  // a letter without terms
  EXPECT_EQ(E->Text(), QString());
}

TEST_F(RichEditBinding, TheEngineTakesChangesOnlyWhileTheRecordIsEdited) {
  auto E = Bound();
  EXPECT_EQ(G.Table2.State(), dsBrowse);
  EXPECT_TRUE(E->Engine()->IsReadOnly());
  G.Table2.Edit();
  EXPECT_FALSE(E->Engine()->IsReadOnly());
  G.Table2.Cancel();
  EXPECT_TRUE(E->Engine()->IsReadOnly());
}

TEST_F(RichEditBinding, TypingStartsAnEditWithoutMovingCaretOrSelection) {
  auto E = Bound();
  E->SetSelStart(7);
  E->SetSelLength(8);  // "blossom"
  TypeKey(*E, Qt::Key_F, QChar('f'));
  EXPECT_EQ(G.Table2.State(), dsEdit);
  EXPECT_EQ(E->Text(), QString("Acacia f"));
  EXPECT_TRUE(E->Modified());
}

TEST_F(RichEditBinding, PostingStoresExactlyTheEngineRtf) {
  auto E = Bound();
  std::vector<std::string> Log;
  G.DataSource2.OnStateChange = [&] { Log.push_back("state " + std::to_string(int(G.Table2.State()))); };
  E->OnChange = [&](engine::TCustomRichEdit*) { Log.push_back("change"); };
  G.Table2.BeforePost = [&](TTable*) {
    Log.push_back(G.Text.AsBytes() == EngineRtf(*E) ? "before post: field holds the text" : "before post: stale");
  };
  E->SetSelStart(6);
  TypeKey(*E, Qt::Key_Exclam, QChar('!'));
  G.Table2.Post();
  G.DataSource2.OnStateChange = nullptr;
  G.Table2.BeforePost = nullptr;
  E->OnChange = nullptr;
  // (The reload after the post raises further changes; the order up to it is what matters.)
  ASSERT_GE(Log.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(Log.begin(), Log.begin() + 4),
            (std::vector<std::string>{"state 2", "change", "before post: field holds the text", "state 1"}));

  const QByteArray Shown = EngineRtf(*E);
  EXPECT_EQ(E->Text(), QString("Acacia! blossom"));
  EXPECT_EQ(G.Text.AsBytes(), Shown);
  // And it comes back from the store as it was shown.
  G.Table2.Next();
  G.Table2.Prior();
  EXPECT_EQ(G.Text.AsBytes(), Shown);
  EXPECT_EQ(E->Text(), QString("Acacia! blossom"));
}

TEST_F(RichEditBinding, APlainTextDefinitionIsStoredAsRtfOnceChanged) {
  auto E = Bound();
  G.Table2.Next();
  E->SetSelStart(0);
  TypeKey(*E, Qt::Key_A, QChar('A'));
  G.Table2.Post();
  EXPECT_TRUE(G.Text.AsBytes().startsWith("{\\rtf"));
  EXPECT_EQ(E->Text(), QString("APlain stored text\r\nsecond line"));
}

TEST_F(RichEditBinding, EscDropsTheUnpostedChange) {
  auto E = Bound();
  const QByteArray Stored = G.Text.AsBytes();
  E->SetSelStart(0);
  TypeKey(*E, Qt::Key_Z, QChar('z'));
  EXPECT_EQ(E->Text(), QString("zAcacia blossom"));
  TypeKey(*E, Qt::Key_Escape, QChar(27));
  EXPECT_EQ(E->Text(), QString("Acacia blossom"));
  EXPECT_FALSE(E->Modified());
  G.Table2.Post();
  EXPECT_EQ(G.Text.AsBytes(), Stored);
}

TEST_F(RichEditBinding, MovingToAnotherTermStoresTheChangeOnce) {
  auto E = Bound();
  E->SetSelStart(14);
  TypeKey(*E, Qt::Key_S, QChar('s'));
  G.Table2.Next();
  EXPECT_EQ(E->Text(), QString("Plain stored text\r\nsecond line"));
  G.Table2.Prior();
  EXPECT_EQ(E->Text(), QString("Acacia blossoms"));
  EXPECT_EQ(G.Table2.State(), dsBrowse);
}

TEST_F(RichEditBinding, EnterAndTabFollowWantReturnsAndWantTabs) {
  auto E = Bound();
  E->SetWantReturns(false);
  E->SetSelStart(6);
  TypeKey(*E, Qt::Key_Return, QChar(13));
  EXPECT_EQ(E->Text(), QString("Acacia blossom"));
  EXPECT_EQ(E->SelStart(), 0);
  EXPECT_EQ(E->SelLength(), 0);

  E->SetSelStart(6);
  TypeKey(*E, Qt::Key_Tab, QChar(9));
  EXPECT_EQ(E->Text(), QString("Acacia blossom"));
  EXPECT_EQ(G.Table2.State(), dsBrowse);
}

TEST_F(RichEditBinding, ReadOnlyRules) {
  auto E = Bound();
  EXPECT_FALSE(E->GetReadOnly());
  E->SetReadOnly(true);
  EXPECT_TRUE(E->GetReadOnly());
  TypeKey(*E, Qt::Key_Q, QChar('q'));
  EXPECT_EQ(G.Table2.State(), dsBrowse);
  EXPECT_EQ(E->Text(), QString("Acacia blossom"));
  E->SetReadOnly(false);
  G.Text.SetReadOnly(true);
  EXPECT_TRUE(E->GetReadOnly());
  G.Text.SetReadOnly(false);

  TqvDBRichEdit Free;
  EXPECT_FALSE(Free.GetReadOnly());
  Free.SetReadOnly(true);
  EXPECT_TRUE(Free.GetReadOnly());
}

TEST_F(RichEditBinding, AFailedWriteBackOnExitKeepsTheEdit) {
  TestQuestions Q;
  auto E = Bound();
  E->DoEnter();
  E->SetSelStart(0);
  TypeKey(*E, Qt::Key_K, QChar('k'));
  ASSERT_EQ(G.Table2.State(), dsEdit);
  G.Text.SetReadOnly(true);  // the write-back will be refused
  E->DoExit();
  ASSERT_EQ(Q.asked.size(), 1u);
  EXPECT_TRUE(Q.asked[0].text.contains("TextDetail"));
  EXPECT_EQ(G.Table2.State(), dsEdit);
  EXPECT_TRUE(E->IsFocused());
  EXPECT_EQ(E->Text(), QString("kAcacia blossom"));

  G.Text.SetReadOnly(false);
  E->DoExit();
  EXPECT_FALSE(E->IsFocused());
  G.Table2.Post();
  EXPECT_EQ(G.Text.AsBytes(), EngineRtf(*E));
}

TEST_F(RichEditBinding, WithoutAutoDisplayThePlaceholderShowsUntilLoaded) {
  auto E = Bound();
  E->SetAutoDisplay(false);
  G.Table2.Next();
  EXPECT_FALSE(E->ContentLoaded());
  EXPECT_EQ(E->Text(), QString("(TextDetail)"));
  TypeKey(*E, Qt::Key_X, QChar('x'));  // dropped while not loaded
  EXPECT_EQ(G.Table2.State(), dsBrowse);

  // Copying from it takes the stored contents, not the placeholder.
  auto Target = MakeEdit();
  CopyRichText(E.get(), Target.get());
  EXPECT_EQ(Target->Text(), QString("Plain stored text\r\nsecond line"));

  TypeKey(*E, Qt::Key_Return, QChar(13));  // Enter loads
  EXPECT_TRUE(E->ContentLoaded());
  EXPECT_EQ(E->Text(), QString("Plain stored text\r\nsecond line"));
}

TEST_F(RichEditBinding, PreviewLoadsOnlyTheFirstChunks) {
  QByteArray Long = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard ";
  for (int I = 0; I < 4000; ++I) Long += "word" + QByteArray::number(I) + " ";
  Long += "}";
  G.Table2.Edit();
  G.Text.SetAsBytes(Long);
  G.Table2.Post();
  auto E = MakeEdit();
  E->LoadFieldPreview(&G.Text, 2);
  EXPECT_FALSE(E->ContentLoaded());
  EXPECT_TRUE(E->Text().startsWith("word0 word1"));
  EXPECT_LT(E->Text().size(), 20000);
  EXPECT_GT(E->Text().size(), 0);
}

TEST_F(RichEditBinding, AFieldThatIsNotABlobShowsAndTakesItsText) {
  auto E = MakeEdit();
  E->SetDataSource(&G.DataSource2);
  E->SetDataField("WordDetail");
  EXPECT_TRUE(E->ContentLoaded());
  EXPECT_EQ(E->Text(), QString::fromUtf8("Акация"));
  E->SetSelStart(6);
  TypeKey(*E, Qt::Key_A, QChar(0x44F));  // "я", typed as any Cyrillic letter is
  EXPECT_EQ(G.Table2.State(), dsEdit);
  G.Table2.Post();
  EXPECT_EQ(G.Word.AsString(), QString::fromUtf8("Акацияя"));

  // A character the field refuses beeps and is dropped; the record stays as it was.
  auto N = MakeEdit();
  N->SetDataSource(&G.DataSource2);
  N->SetDataField("AssistDetail");
  const QString Before = N->Text();
  N->SetSelStart(0);
  TypeKey(*N, Qt::Key_X, QChar('x'));
  EXPECT_EQ(N->Text(), Before);
  EXPECT_EQ(G.Table2.State(), dsBrowse);
}

TEST_F(RichEditBinding, F2OpensTheEditorAndPastingNeedsSomethingPastable) {
  auto E = Bound();
  TypeKey(*E, Qt::Key_F2);
  EXPECT_TRUE(E->Executed);
  E->Executed = false;
  E->SetPopupOptions(TqvRichEditPopupOptions{rpoPopupCut});
  TypeKey(*E, Qt::Key_F2);
  EXPECT_FALSE(E->Executed);

  auto* Raster = new QMimeData;
  Raster->setImageData(QImage(2, 2, QImage::Format_RGB32));
  QGuiApplication::clipboard()->setMimeData(Raster);
  TypeKey(*E, Qt::Key_V, QChar(22), Qt::ControlModifier);
  TypeKey(*E, Qt::Key_Insert, QChar(), Qt::ShiftModifier);
  EXPECT_EQ(G.Table2.State(), dsBrowse);  // consumed before anything started an edit
  EXPECT_EQ(E->Text(), QString("Acacia blossom"));

  QGuiApplication::clipboard()->setText("royal ");
  E->SetSelStart(0);
  TypeKey(*E, Qt::Key_V, QChar(22), Qt::ControlModifier);
  EXPECT_EQ(G.Table2.State(), dsEdit);
  EXPECT_EQ(E->Text(), QString("royal Acacia blossom"));
  QGuiApplication::clipboard()->clear();
}

TEST_F(RichEditBinding, DrawsTheFieldAsACopy) {
  auto E = Bound();
  E->SetAutoDisplay(false);
  G.Table2.Next();
  ASSERT_FALSE(E->ContentLoaded());
  QImage Canvas(E->size(), QImage::Format_RGB32);
  Canvas.fill(Qt::white);
  {
    QPainter P(&Canvas);
    E->PaintCopy(P);
  }
  int Ink = 0;
  for (int Y = 0; Y < Canvas.height(); ++Y)
    for (int X = 0; X < Canvas.width(); ++X) Ink += Canvas.pixel(X, Y) != qRgb(255, 255, 255);
  EXPECT_GT(Ink, 20);                  // the stored text was drawn
  EXPECT_FALSE(E->ContentLoaded());    // without loading it into the control
}

TEST_F(RichEditBinding, NotLoadedContentsLoadOnPaintOrDoubleClickAndNoEditorOpens) {
  auto E = Bound();
  E->SetAutoDisplay(false);
  G.Table2.Next();
  ASSERT_FALSE(E->ContentLoaded());
  E->DblClick();  // only loads
  EXPECT_TRUE(E->ContentLoaded());
  EXPECT_FALSE(E->Executed);
  E->DblClick();  // outside a grid a double click opens no editor
  EXPECT_FALSE(E->Executed);

  G.Table2.Prior();
  ASSERT_FALSE(E->ContentLoaded());
  E->show();
  (void)E->grab();  // paints it
  EXPECT_TRUE(E->ContentLoaded());
  EXPECT_EQ(E->Text(), QString("Acacia blossom"));
}

TEST_F(RichEditBinding, InsideAGridNavigationKeysAndDoubleClicksBelongToTheGrid) {
  TDBGrid Grid;
  Grid.SetDataSource(&G.DataSource2);
  Grid.resize(400, 300);
  auto* E = new TProbeRichEdit(&Grid);
  E->setGeometry(10, 10, 200, 100);
  E->SetDataSource(&G.DataSource2);
  E->SetDataField("TextDetail");
  Grid.show();
  QApplication::setActiveWindow(&Grid);
  E->Engine()->setFocus();
  ASSERT_TRUE(E->Engine()->hasFocus());
  const int Row = G.Table2.RecNo();
  TypeKey(*E, Qt::Key_Down);
  EXPECT_TRUE(Grid.hasFocus());
  EXPECT_EQ(G.Table2.RecNo(), Row + 1);  // the grid took the key as its own

  E->DblClick();
  EXPECT_TRUE(E->Executed);

  E->Engine()->setFocus();
  E->SetWantNavigationKeys(true);
  TypeKey(*E, Qt::Key_Down);
  EXPECT_TRUE(E->Engine()->hasFocus());
}

TEST_F(RichEditBinding, LeavingForAnotherControlWritesBackButDeactivatingTheWindowDoesNot) {
  QWidget Window;
  auto* E = new TProbeRichEdit(&Window);
  E->setGeometry(0, 0, 200, 100);
  auto* Other = new QLineEdit(&Window);
  Other->setGeometry(0, 120, 100, 20);
  E->SetDataSource(&G.DataSource2);
  E->SetDataField("TextDetail");
  Window.show();
  QApplication::setActiveWindow(&Window);
  E->Engine()->setFocus();
  ASSERT_TRUE(E->IsFocused());
  E->SetSelStart(0);
  TypeKey(*E, Qt::Key_W, QChar('w'));
  ASSERT_EQ(G.Table2.State(), dsEdit);
  const QByteArray Stored = G.Text.AsBytes();

  QWidget Elsewhere;
  Elsewhere.show();
  QApplication::setActiveWindow(&Elsewhere);
  EXPECT_TRUE(E->IsFocused());
  EXPECT_EQ(G.Text.AsBytes(), Stored);  // nothing written while the window is inactive

  QApplication::setActiveWindow(&Window);
  Other->setFocus();
  EXPECT_FALSE(E->IsFocused());
  EXPECT_EQ(G.Text.AsBytes(), EngineRtf(*E));  // written into the record, not yet posted
  EXPECT_EQ(G.Table2.State(), dsEdit);
}

TEST(RichEditBindingProtected, ProtectedTextNeverBlocksLoadingTheNextDefinition) {
  TGlossary G({{QString::fromUtf8("Акация"), Rtf("{\\protect locked} text")},
               {QString::fromUtf8("Апис"), Rtf("next definition")}});
  auto E = MakeEdit();
  E->SetDataSource(&G.DataSource2);
  E->SetDataField("TextDetail");
  ASSERT_EQ(E->Text(), QString("locked text"));
  E->OnProtectChange = [](engine::TCustomRichEdit*, int, int, bool& Allow) { Allow = false; };
  G.Table2.Next();
  EXPECT_EQ(E->Text(), QString("next definition"));
  EXPECT_TRUE(bool(E->OnProtectChange));  // the control's own handler is back
}

TEST_F(RichEditBinding, ParagraphFormattingStartsAnEdit) {
  auto E = Bound();
  ASSERT_EQ(G.Table2.State(), dsBrowse);
  E->SetBullet(true);
  EXPECT_EQ(G.Table2.State(), dsEdit);
  G.Table2.Post();
  PARAFORMAT2 P;
  E->GetParagraphFormat(P);
  EXPECT_EQ(P.wNumbering, PFN_BULLET);  // stored and shown again after the post
}

TEST_F(RichEditBinding, AParentChangeReloadsTheFieldUnlessTheUserHasUnpostedChanges) {
  QWidget First, Second;
  auto* E = new TProbeRichEdit(&First);
  E->SetDataSource(&G.DataSource2);
  E->SetDataField("TextDetail");
  ASSERT_TRUE(E->ContentLoaded());
  E->setParent(&Second);
  EXPECT_FALSE(E->ContentLoaded());  // read again when next shown
  E->LoadFieldContents();
  E->SetSelStart(0);
  TypeKey(*E, Qt::Key_M, QChar('m'));
  E->setParent(&First);
  EXPECT_TRUE(E->ContentLoaded());
  EXPECT_EQ(E->Text(), QString("mAcacia blossom"));
}
