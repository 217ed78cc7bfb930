// The line list, streaming through the control, copying between controls and the form
// description.
#include <QBuffer>
#include <QtEndian>

#include "tests/richtext/RichEditFixture.h"

using namespace engine;
using namespace richtext;

namespace {
bool IsBold(TqvCustomRichEdit& E, int At) {
  E.SetSelStart(At);
  E.SetSelLength(1);
  return E.SelAttributes().Style() & fsBold;
}
}  // namespace

TEST(RichEditLines, CountGetAndATrailingBreak) {
  auto E = MakeEdit();
  E->QvLines().SetText("one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(E->Lines().Count(), 3);
  EXPECT_EQ(E->Lines().Get(0), "one");
  EXPECT_EQ(E->Lines().Get(2), "three");
  E->QvLines().SetText("one\r\ntwo");
  EXPECT_EQ(E->Lines().Count(), 2);
  E->QvLines().SetText("");
  EXPECT_EQ(E->Lines().Count(), 0);
}

TEST(RichEditLines, ALineIsReadAtMost4096Long) {
  auto E = MakeEdit();
  E->SetWordWrap(false);
  E->QvLines().SetText(QString(5000, 'x') + "\r\nshort");
  EXPECT_EQ(E->Lines().Get(0).size(), 4096);
  EXPECT_EQ(E->Lines().Get(1), "short");
}

TEST(RichEditLines, PutInsertAndDelete) {
  auto E = MakeEdit();
  auto& L = E->Lines();
  E->QvLines().SetText("a\r\nb");
  L.Put(1, "bee");
  L.Put(-1, "never");
  L.Put(9, "never");
  EXPECT_EQ(E->Text(), QString("a\r\nbee"));

  L.Insert(0, "first");
  EXPECT_EQ(L.ToStringList(), QStringList({"first", "a", "bee"}));
  L.Insert(3, "after");  // past the last, non-empty line: appended
  EXPECT_EQ(L.ToStringList(), QStringList({"first", "a", "bee", "after"}));
  L.Insert(-1, "never");
  L.Insert(9, "never");  // far past the end: nothing
  EXPECT_EQ(L.Count(), 4);

  E->QvLines().SetText("a\r\nb\r\n");  // the last line is empty
  L.Insert(3, "after");
  EXPECT_EQ(E->Text(), QString("a\r\nb\r\n"));

  E->QvLines().SetText("a\r\nb\r\nc");
  L.Delete(1);
  EXPECT_EQ(L.ToStringList(), QStringList({"a", "c"}));
  L.Clear();
  EXPECT_EQ(E->Text(), QString());
}

TEST(RichEditLines, SettingTheTextIsNotAChangeAndAddingKeepsSelectionHandler) {
  auto E = MakeEdit();
  int Changes = 0, Selections = 0;
  E->OnChange = [&](engine::TCustomRichEdit*) { ++Changes; };
  E->OnSelectionChange = [&](engine::TCustomRichEdit*) { ++Selections; };
  E->QvLines().SetText("quiet");
  EXPECT_EQ(Changes, 0);
  EXPECT_TRUE(E->Perform(EM_GETEVENTMASK) & ENM_CHANGE);  // switched back on

  Selections = 0;
  E->QvLines().AddStrings(QStringList({"x", "y"}));
  EXPECT_EQ(Selections, 0);
  EXPECT_TRUE(bool(E->OnSelectionChange));
  EXPECT_EQ(E->Lines().ToStringList(), QStringList({"quiet", "x", "y"}));

  TStringList Other(QStringList({"new", "lines"}));
  E->SetLines(Other);
  EXPECT_EQ(E->Lines().ToStringList(), QStringList({"new", "lines"}));
}

TEST(RichEditLines, CopyRichTextKeepsFormatting) {
  auto Source = MakeEdit();
  auto Target = MakeEdit();
  LoadAll(*Source, Rtf("plain {\\b bold}\\par next"));
  Source->SetMaxLength(100);
  Target->SetMaxLength(7);
  CopyRichText(Source.get(), Target.get());
  EXPECT_EQ(Target->Text(), Source->Text());
  EXPECT_TRUE(IsBold(*Target, 7));
  EXPECT_FALSE(IsBold(*Target, 1));
  EXPECT_EQ(Target->MaxLength(), 7);  // raised for the copy only
  EXPECT_FALSE(Source->Loading());
}

TEST(RichEditLines, LoadRichStreamFallsBackToPlainText) {
  auto E = MakeEdit();
  QBuffer B;
  B.setData("not rtf\nsecond");
  B.open(QIODevice::ReadOnly);
  E->LoadRichStream(B, false, 0);
  EXPECT_EQ(E->Text(), QString("not rtf\r\nsecond"));

  QBuffer R;
  R.setData(Rtf("{\\b x}y"));
  R.open(QIODevice::ReadOnly);
  E->LoadRichStream(R, false, 0);
  EXPECT_EQ(E->Text(), QString("xy"));
  EXPECT_TRUE(IsBold(*E, 0));
}

TEST(RichEditLines, SelectionRtfOutAndBackIn) {
  auto E = MakeEdit();
  LoadAll(*E, Rtf("{\\b honey} and wax"));
  E->SetSelStart(0);
  E->SetSelLength(5);
  TqvRichMemoryStream Saved;
  E->SaveSelectionRtf(Saved);
  EXPECT_TRUE(Saved.Bytes().startsWith("{\\rtf"));
  E->SetSelStart(10);
  E->SetSelLength(3);  // "wax"
  E->LoadSelectionRtf(Saved);
  EXPECT_EQ(E->Text(), QString("honey and honey"));
  EXPECT_TRUE(IsBold(*E, 11));
}

TEST(RichEditLines, FormDescriptionRoundTrip) {
  auto E = MakeEdit();
  LoadAll(*E, Rtf("{\\i Apis} mellifera"));
  E->SetRichEditVersion(1);
  QBuffer Out;
  Out.open(QIODevice::WriteOnly);
  E->WriteDescription(Out);
  EXPECT_EQ(E->RichEditVersion(), 2);  // writing the entry sets it
  const QByteArray Description = Out.data();
  EXPECT_TRUE(Description.startsWith("\x0fRichEditVersion\x04\x02\x00\x00\x00"));
  const int DataAt = Description.indexOf("\x04" "Data\x0a");
  ASSERT_GT(DataAt, 0);
  // Binary size, then the payload: its own 4-byte length and the saved stream.
  const QByteArray Payload = Description.mid(DataAt + 6 + 4);
  EXPECT_EQ(qFromLittleEndian<qint32>(Payload.constData()), Payload.size() - 4);
  EXPECT_TRUE(Payload.mid(4).startsWith("{\\rtf"));

  auto Copy = MakeEdit();
  QBuffer In;
  In.setData(Description);
  In.open(QIODevice::ReadOnly);
  Copy->ReadDescription(In);
  EXPECT_EQ(Copy->RichEditVersion(), 2);
  EXPECT_TRUE(Copy->DataRead());
  EXPECT_FALSE(Copy->PlainText());
  EXPECT_EQ(Copy->Text(), E->Text());
  Copy->SetSelStart(0);
  Copy->SetSelLength(1);
  EXPECT_TRUE(Copy->SelAttributes().Style() & fsItalic);
}

TEST(RichEditLines, DescriptionWithoutDataReadsStoredLinesAsRtfWhenTheyAreRtf) {
  auto Build = [](const QStringList& Lines) {
    QByteArray D;
    D += char(13);
    D += "Lines.Strings";
    D += char(1);
    for (const QString& L : Lines) {
      const QByteArray U = L.toUtf8();
      D += char(6);
      D += char(U.size());
      D += U;
    }
    D += char(0);
    return D;
  };
  auto E = MakeEdit();
  QBuffer In;
  In.setData(Build({"{\\rtf1 {\\b Bold}", "}"}));
  In.open(QIODevice::ReadOnly);
  E->ReadDescription(In);
  EXPECT_EQ(E->RichEditVersion(), 1);  // no entry: version 1
  EXPECT_FALSE(E->DataRead());
  EXPECT_TRUE(E->Text().startsWith("Bold"));
  EXPECT_TRUE(IsBold(*E, 0));

  auto P = MakeEdit();
  QBuffer Plain;
  Plain.setData(Build({"just", "lines"}));
  Plain.open(QIODevice::ReadOnly);
  P->ReadDescription(Plain);
  EXPECT_EQ(P->Lines().ToStringList().mid(0, 2), QStringList({"just", "lines"}));

  auto Bad = MakeEdit();
  QBuffer Broken;
  Broken.setData("\x04" "Data\x0a\xff\xff\xff\x7f");
  Broken.open(QIODevice::ReadOnly);
  EXPECT_THROW(Bad->ReadDescription(Broken), engine::EStreamError);
  EXPECT_FALSE(Bad->PlainText());  // put back after the failure
}

TEST(RichEditLines, UpdatesStopRedrawingOnlyWhileTheOutermostRuns) {
  auto E = MakeEdit();
  E->show();
  E->Lines().BeginUpdate();
  E->Lines().BeginUpdate();
  EXPECT_FALSE(E->Engine()->Redraw());
  E->Lines().EndUpdate();
  EXPECT_FALSE(E->Engine()->Redraw());
  E->Lines().EndUpdate();
  EXPECT_TRUE(E->Engine()->Redraw());
}
