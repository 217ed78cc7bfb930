// The class library's rich edit control over the engine window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

#include "engine/CustomRichEdit.h"
#include "tests/common/TestQuestions.h"

using namespace engine;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

void Key(QWidget* w, int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

void Type(QWidget* w, const QString& text) {
  for (QChar c : text) Key(w, c.isLetter() && c.unicode() < 128 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown), QString(c));
}

// A derived control that records what passes through its hooks.
class Probe : public TCustomRichEdit {
 public:
  std::vector<UINT> messages;
  int changes = 0;
  using TCustomRichEdit::CreateWnd;
  using TCustomRichEdit::DestroyWnd;

 protected:
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override {
    messages.push_back(msg);
    return TCustomRichEdit::WndProc(msg, w, l);
  }
  void Change() override {
    ++changes;
    TCustomRichEdit::Change();
  }
};

}  // namespace

TEST(CustomRichEdit, SelectionProperties) {
  TCustomRichEdit r;
  r.SetText(QStringLiteral("Пчеловодство"));
  r.SetSelStart(3);
  EXPECT_EQ(r.SelStart(), 3);
  EXPECT_EQ(r.SelLength(), 0);
  r.SetSelLength(5);
  EXPECT_EQ(r.SelText(), QStringLiteral("ловод"));
  r.SetSelText(QStringLiteral("—"));
  EXPECT_EQ(r.Text(), QStringLiteral("Пче—ство"));
  r.SelectAll();
  EXPECT_EQ(r.SelLength(), r.GetTextLen());
  r.ClearSelection();
  EXPECT_EQ(r.Text(), QString());
}

TEST(CustomRichEdit, TextAttributesOfSelectionAndTypingDefault) {
  TCustomRichEdit r;
  r.SetText(QStringLiteral("abcdef"));
  r.SetSelStart(0);
  r.SetSelLength(3);
  r.SelAttributes().SetName(QStringLiteral("Arial"));
  r.SelAttributes().SetSize(14);
  r.SelAttributes().SetStyle(fsBold | fsUnderline);
  r.SelAttributes().SetColor(base::clRed);
  r.SelAttributes().SetCharset(204);
  EXPECT_EQ(r.SelAttributes().Name(), QStringLiteral("Arial"));
  EXPECT_EQ(r.SelAttributes().Size(), 14);
  EXPECT_EQ(r.SelAttributes().Style(), fsBold | fsUnderline);
  EXPECT_EQ(r.SelAttributes().Color(), base::clRed);
  EXPECT_EQ(r.SelAttributes().Charset(), 204);
  // Automatic colour reads as the window text colour and can be set back.
  r.SelAttributes().SetColor(base::clWindowText);
  EXPECT_EQ(r.SelAttributes().Color(), base::clWindowText);

  r.SetSelLength(6);
  const TConsistentAttributes ca = r.SelAttributes().ConsistentAttributes();
  EXPECT_FALSE(ca & caBold);
  EXPECT_FALSE(ca & caSize);
  EXPECT_TRUE(ca & caItalic);

  TCustomRichEdit typed;
  typed.DefAttributes().SetName(QStringLiteral("Courier New"));
  typed.DefAttributes().SetSize(9);
  typed.DefAttributes().SetStyle(fsItalic);
  Type(typed.Handle(), QStringLiteral("xy"));
  typed.SelectAll();
  EXPECT_EQ(typed.SelAttributes().Name(), QStringLiteral("Courier New"));
  EXPECT_EQ(typed.SelAttributes().Size(), 9);
  EXPECT_EQ(typed.SelAttributes().Style(), fsItalic);

  // The typing default follows the control's font, before and after the window exists.
  TCustomRichEdit f;
  f.setFont(QFont(QStringLiteral("DejaVu Serif"), 13));
  EXPECT_EQ(f.DefAttributes().Size(), 13);
  f.setFont(QFont(QStringLiteral("DejaVu Sans"), 11, QFont::Bold));
  EXPECT_EQ(f.DefAttributes().Size(), 11);
  EXPECT_EQ(f.DefAttributes().Name(), QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(f.DefAttributes().Style(), fsBold);
}

TEST(CustomRichEdit, ParagraphAttributesInPoints) {
  TCustomRichEdit r;
  r.SetText(QStringLiteral("a\rb"));
  r.SetSelStart(0);
  TParaAttributes& p = r.Paragraph();
  p.SetFirstIndent(18);
  p.SetLeftIndent(9);
  p.SetRightIndent(36);
  p.SetAlignment(taCenter);
  PARAFORMAT pf;
  r.Perform(EM_GETPARAFORMAT, 0, LPARAM(&pf));
  EXPECT_EQ(pf.dxStartIndent, 360);
  EXPECT_EQ(pf.dxOffset, 180);
  EXPECT_EQ(pf.dxRightIndent, 720);
  EXPECT_EQ(p.Alignment(), taCenter);

  p.SetNumbering(nsBullet);
  EXPECT_EQ(p.Numbering(), nsBullet);
  EXPECT_EQ(p.LeftIndent(), 10);  // a bullet needs room
  p.SetNumbering(nsNone);
  EXPECT_EQ(p.Numbering(), nsNone);
  EXPECT_EQ(p.LeftIndent(), 0);
  EXPECT_EQ(p.FirstIndent(), 18);

  p.SetTab(0, 36);
  p.SetTab(1, 72);
  EXPECT_EQ(p.TabCount(), 2);
  EXPECT_EQ(p.Tab(1), 72);
  // The second paragraph kept its own format.
  r.SetSelStart(2);
  EXPECT_EQ(p.FirstIndent(), 0);
  EXPECT_EQ(p.TabCount(), 0);
}

TEST(CustomRichEdit, EngineLines) {
  TCustomRichEdit r;
  TStrings& lines = r.Lines();
  lines.SetText(QStringLiteral("one\r\ntwo\r\nthree\r\n"));
  EXPECT_EQ(lines.Count(), 3);  // a final break adds no line
  EXPECT_EQ(lines.Get(1), QStringLiteral("two"));
  EXPECT_EQ(lines.Get(7), QString());
  lines.Put(1, QStringLiteral("TWO"));
  lines.Insert(0, QStringLiteral("zero"));
  lines.Delete(2);
  EXPECT_EQ(lines.ToStringList(), (QStringList{"zero", "one", "three"}));
  lines.Add(QStringLiteral("four"));
  EXPECT_EQ(lines.ToStringList(), (QStringList{"zero", "one", "three", "four"}));

  // Just past the last line: appended after a non-empty last line, ignored after an empty one
  // and further out.
  r.SetText(QStringLiteral("x"));
  lines.Insert(1, QStringLiteral("y"));
  EXPECT_EQ(r.Text(), QStringLiteral("x\r\ny"));
  lines.Insert(5, QStringLiteral("z"));
  EXPECT_EQ(r.Text(), QStringLiteral("x\r\ny"));
  r.SetText(QStringLiteral("x\r"));
  lines.Insert(2, QStringLiteral("y"));
  EXPECT_EQ(r.Text(), QStringLiteral("x\r\n"));

  TStringList other(QStringList{"a", "b"});
  lines.Assign(other);
  EXPECT_EQ(lines.ToStringList(), (QStringList{"a", "b"}));
  lines.Clear();
  EXPECT_EQ(lines.Count(), 0);
}

TEST(CustomRichEdit, LoadFallsBackToPlainTextAndSavesRtfOrText) {
  TCustomRichEdit r;
  QBuffer rtf;
  rtf.setData("{\\rtf1\\ansi {\\b bold} text\\par}");
  rtf.open(QIODevice::ReadOnly);
  r.Lines().LoadFromStream(rtf);
  EXPECT_EQ(r.Text(), QStringLiteral("bold text"));

  QBuffer plain;
  plain.setData("not rtf\nsecond");
  plain.open(QIODevice::ReadOnly);
  r.Lines().LoadFromStream(plain);
  EXPECT_EQ(r.Text(), QStringLiteral("not rtf\r\nsecond"));

  QBuffer out;
  out.open(QIODevice::WriteOnly);
  r.Lines().SaveToStream(out);
  EXPECT_TRUE(out.data().startsWith("{\\rtf1"));
  r.SetPlainText(true);
  QBuffer text;
  text.open(QIODevice::WriteOnly);
  r.Lines().SaveToStream(text);
  EXPECT_EQ(text.data(), QByteArray("not rtf\r\nsecond"));

  // A stream that cannot be written fails with the engine lines' message.
  QBuffer readOnly;
  readOnly.open(QIODevice::ReadOnly);
  try {
    r.Lines().SaveToStream(readOnly);
    ADD_FAILURE() << "no failure";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Failed to Save Stream"));
  }
  EXPECT_THROW(r.Lines().LoadFromFile(QStringLiteral("/nonexistent/definition.rtf")), EFOpenError);
}

TEST(CustomRichEdit, LineBreaksSurviveChunkBoundaries) {
  // The engine asks for 4096 bytes and gets at most half, so byte 2048 starts the second chunk.
  for (const QByteArray& brk : {QByteArray("\r"), QByteArray("\r\n"), QByteArray("\n")}) {
    QByteArray data(2047, 'a');
    data += brk;
    data += "tail";
    QBuffer b(&data);
    b.open(QIODevice::ReadOnly);
    TCustomRichEdit r;
    r.SetPlainText(true);
    r.Lines().LoadFromStream(b);
    EXPECT_EQ(r.Lines().Count(), 2) << brk.toHex().constData();
    EXPECT_EQ(r.Lines().Get(1), QStringLiteral("tail")) << brk.toHex().constData();
  }
}

TEST(CustomRichEdit, FilesRoundTripAndAFailedSaveKeepsTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("def.rtf"));
  TCustomRichEdit r;
  r.SetText(QStringLiteral("Медосбор"));
  r.Lines().SaveToFile(path);
  TCustomRichEdit s;
  s.Lines().LoadFromFile(path);
  EXPECT_EQ(s.Text(), QStringLiteral("Медосбор"));
  EXPECT_THROW(r.Lines().SaveToFile(dir.filePath(QStringLiteral("no/such/dir/x.rtf"))), EFCreateError);
}

TEST(CustomRichEdit, WindowRecreationKeepsTheText) {
  Probe r;
  r.SetText(QStringLiteral("kept"));
  r.SetModified(true);
  r.RecreateWnd();
  EXPECT_EQ(r.Text(), QStringLiteral("kept"));
  EXPECT_TRUE(r.Modified());
  r.DestroyWnd();
  EXPECT_FALSE(r.HandleAllocated());
  EXPECT_EQ(r.Text(), QStringLiteral("kept"));
  r.CreateWnd();
  EXPECT_EQ(r.Engine()->Text(), QStringLiteral("kept"));
}

TEST(CustomRichEdit, EventsFollowTheEngine) {
  TCustomRichEdit r;
  r.SetText(QStringLiteral("abc"));
  std::vector<std::string> seen;
  r.OnChange = [&](TCustomRichEdit*) { seen.push_back("change"); };
  r.OnSelectionChange = [&](TCustomRichEdit*) { seen.push_back("sel"); };
  r.SetSelStart(1);
  EXPECT_EQ(seen, std::vector<std::string>{"sel"});
  seen.clear();
  Type(r.Handle(), QStringLiteral("x"));
  EXPECT_EQ(seen, (std::vector<std::string>{"change", "sel"}));

  // Protected text: the handler decides, and says no unless it allows.
  r.SetText(QStringLiteral("locked"));
  r.SelectAll();
  r.SelAttributes().SetProtected(true);
  std::vector<std::pair<int, int>> asked;
  r.SetSelStart(1);
  r.SetSelLength(2);
  r.SetSelText(QStringLiteral("X"));
  EXPECT_EQ(r.Text(), QStringLiteral("locked"));
  bool allow = true;
  r.OnProtectChange = [&](TCustomRichEdit*, int s, int e, bool& ok) {
    asked.emplace_back(s, e);
    ok = allow;
  };
  r.SetSelText(QStringLiteral("X"));
  EXPECT_EQ(r.Text(), QStringLiteral("lXked"));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], std::make_pair(1, 3));
  // Formatting protected text is not a change of it.
  asked.clear();
  r.SelectAll();
  r.SelAttributes().SetStyle(fsBold);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(r.SelAttributes().Style(), fsBold);
}

TEST(CustomRichEdit, ResizeRequestAndSaveClipboard) {
  auto* r = new TCustomRichEdit;
  QRect asked;
  r->OnResizeRequest = [&](TCustomRichEdit*, QRect rc) { asked = rc; };
  r->Perform(EM_SETEVENTMASK, 0, r->Perform(EM_GETEVENTMASK) | ENM_REQUESTRESIZE);
  r->SetText(QStringLiteral("1\r2\r3\r4\r5\r6"));
  r->Perform(EM_REQUESTRESIZE);
  EXPECT_GT(asked.height(), 20);

  r->SelectAll();
  r->CopyToClipboard();
  int chars = -1;
  r->OnSaveClipboard = [&](TCustomRichEdit*, int, int numChars, bool& save) {
    chars = numChars;
    save = false;
  };
  delete r;
  EXPECT_GT(chars, 0);
  EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
}

TEST(CustomRichEdit, KeyHooksAndKeyOptions) {
  TCustomRichEdit r;
  r.show();
  QWidget* e = r.Handle();
  // KeyPress sees the character and may drop or change it.
  r.OnKeyPress = [](TCustomRichEdit*, QChar& k) {
    if (k == QChar('q')) k = QChar();
    else if (k == QChar('a')) k = QChar('b');
  };
  Type(e, QStringLiteral("qaz"));
  EXPECT_EQ(r.Text(), QStringLiteral("bz"));
  r.OnKeyPress = nullptr;
  // KeyDown with the key cleared consumes it.
  r.OnKeyDown = [](TCustomRichEdit*, int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Backspace) key = 0;
  };
  Key(e, Qt::Key_Backspace);
  EXPECT_EQ(r.Text(), QStringLiteral("bz"));
  r.OnKeyDown = nullptr;

  // Enter and Tab go into the text only when wanted.
  r.SetWantReturns(false);
  Key(e, Qt::Key_Return, QStringLiteral("\r"));
  EXPECT_EQ(r.Text(), QStringLiteral("bz"));
  r.SetWantReturns(true);
  Key(e, Qt::Key_Return, QStringLiteral("\r"));
  EXPECT_EQ(r.Text(), QStringLiteral("bz\r\n"));
  Key(e, Qt::Key_Tab, QStringLiteral("\t"));
  EXPECT_EQ(r.Text(), QStringLiteral("bz\r\n"));
  r.SetWantTabs(true);
  Key(e, Qt::Key_Tab, QStringLiteral("\t"));
  EXPECT_EQ(r.Text(), QStringLiteral("bz\r\n\t"));

  // MaxLength and ReadOnly bound what typing does.
  r.SetMaxLength(6);
  Type(e, QStringLiteral("12345"));
  EXPECT_EQ(r.GetTextLen(), 6);
  r.SetMaxLength(0);
  r.SetReadOnly(true);
  Type(e, QStringLiteral("z"));
  EXPECT_EQ(r.GetTextLen(), 6);
}

TEST(CustomRichEdit, FindTextPassesThroughTheWindowProcedure) {
  Probe r;
  r.SetText(QStringLiteral("Соты, соты и мёд"));
  r.messages.clear();
  EXPECT_EQ(r.FindText(QStringLiteral("соты"), 0, r.GetTextLen(), 0), 0);
  EXPECT_EQ(r.FindText(QStringLiteral("соты"), 0, r.GetTextLen(), stMatchCase), 6);
  EXPECT_EQ(r.FindText(QStringLiteral("сот"), 0, r.GetTextLen(), stWholeWord), -1);
  EXPECT_EQ(r.FindText(QStringLiteral("мёд"), 0, 10, 0), -1);
  EXPECT_EQ(r.messages, std::vector<UINT>(4, EM_FINDTEXT));
  // The derived control's Change hook runs for every text change.
  const int before = r.changes;
  r.SetSelStart(0);
  r.SetSelText(QStringLiteral("!"));
  EXPECT_EQ(r.changes, before + 1);
}
