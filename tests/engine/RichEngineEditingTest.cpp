// The engine window under editing: notifications, protected text, undo and redo, read-only and
// the text limit with their bell, the clipboard and pasted HTML.
#include "tests/engine/RichEngineTestUtil.h"

using namespace enginetest;

TEST(RichEngine, NotificationsOnlyWhenEnabledAndInOrder) {
  TRichEngine e;
  std::vector<UINT> seen;
  e.OnNotify = [&](UINT code, void*) -> LRESULT {
    seen.push_back(code);
    return 0;
  };
  e.SetPlainText(QStringLiteral("abc"));
  Select(e, 1, 2);
  EXPECT_TRUE(seen.empty());

  EXPECT_EQ(e.Perform(EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE), 0);
  EXPECT_EQ(e.Perform(EM_GETEVENTMASK), LRESULT(ENM_CHANGE | ENM_SELCHANGE));
  Select(e, 0, 0);
  ASSERT_EQ(seen, std::vector<UINT>{EN_SELCHANGE});
  seen.clear();
  const std::u16string x = U(QStringLiteral("x"));
  e.Perform(EM_REPLACESEL, 1, LPARAM(x.c_str()));
  EXPECT_EQ(seen, (std::vector<UINT>{EN_CHANGE, EN_SELCHANGE}));

  // A change of format is not a change of text.
  seen.clear();
  Select(e, 0, 4);
  seen.clear();
  CHARFORMAT2 cf;
  cf.dwMask = CFM_BOLD;
  cf.dwEffects = CFE_BOLD;
  e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&cf));
  EXPECT_TRUE(seen.empty());

  e.Perform(EM_SETEVENTMASK, 0, ENM_SELCHANGE);
  seen.clear();
  e.Perform(EM_REPLACESEL, 1, LPARAM(x.c_str()));
  EXPECT_EQ(seen, std::vector<UINT>{EN_SELCHANGE});
}

TEST(RichEngine, SelectionChangeCarriesTheRange) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("abcdef"));
  CHARRANGE got{-5, -5};
  WORD type = 99;
  e.OnNotify = [&](UINT code, void* hdr) -> LRESULT {
    if (code == EN_SELCHANGE) {
      got = static_cast<SELCHANGE*>(hdr)->chrg;
      type = static_cast<SELCHANGE*>(hdr)->seltyp;
    }
    return 0;
  };
  e.Perform(EM_SETEVENTMASK, 0, ENM_SELCHANGE);
  Select(e, 2, 5);
  EXPECT_EQ(got.cpMin, 2);
  EXPECT_EQ(got.cpMax, 5);
  EXPECT_EQ(type, SEL_TEXT | SEL_MULTICHAR);
}

TEST(RichEngine, ProtectedTextAsksBeforeEveryChange) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("open SHUT open"));
  Select(e, 5, 9);
  CHARFORMAT2 prot;
  prot.dwMask = CFM_PROTECTED;
  prot.dwEffects = CFE_PROTECTED;
  e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&prot));
  bool allow = false;
  std::vector<CHARRANGE> asked;
  e.OnNotify = [&](UINT code, void* hdr) -> LRESULT {
    if (code != EN_PROTECTED) return 0;
    asked.push_back(static_cast<ENPROTECTED*>(hdr)->chrg);
    return allow ? 0 : 1;
  };
  e.Perform(EM_SETEVENTMASK, 0, ENM_PROTECTED);
  const std::u16string x = U(QStringLiteral("x"));
  Select(e, 6, 7);
  e.Perform(EM_REPLACESEL, 1, LPARAM(x.c_str()));
  EXPECT_EQ(e.Text(), QStringLiteral("open SHUT open"));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].cpMin, 6);
  // Typing inside the run and deleting into it are refused too; outside it nothing is asked.
  Select(e, 7, 7);
  QTest::keyClick(&e, Qt::Key_A);
  Select(e, 9, 9);
  QTest::keyClick(&e, Qt::Key_Backspace);
  EXPECT_EQ(e.Text(), QStringLiteral("open SHUT open"));
  asked.clear();
  Select(e, 0, 1);
  e.Perform(EM_REPLACESEL, 1, LPARAM(x.c_str()));
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(e.Text(), QStringLiteral("xpen SHUT open"));
  // With the answer "allow" the change goes through.
  allow = true;
  Select(e, 5, 9);
  e.Perform(EM_REPLACESEL, 1, LPARAM(x.c_str()));
  EXPECT_EQ(e.Text(), QStringLiteral("xpen x open"));
}

TEST(RichEngine, UndoRedoModifyAndReadOnly) {
  TRichEngine e;
  e.show();
  EXPECT_FALSE(e.Perform(EM_CANUNDO));
  Type(&e, QStringLiteral("мёд"));
  EXPECT_EQ(e.Text(), QStringLiteral("мёд"));
  EXPECT_TRUE(e.Perform(EM_GETMODIFY));
  EXPECT_TRUE(e.Perform(EM_CANUNDO));
  EXPECT_TRUE(e.Perform(EM_UNDO));
  EXPECT_EQ(e.Text(), QString());
  EXPECT_TRUE(e.Perform(EM_CANREDO));
  EXPECT_TRUE(e.Perform(EM_REDO));
  EXPECT_EQ(e.Text(), QStringLiteral("мёд"));
  e.Perform(EM_SETMODIFY, 0);
  EXPECT_FALSE(e.Perform(EM_GETMODIFY));

  e.Perform(EM_SETREADONLY, 1);
  QTest::keyClicks(&e, QStringLiteral("x"));
  QTest::keyClick(&e, Qt::Key_Backspace);
  EXPECT_EQ(e.Text(), QStringLiteral("мёд"));
  EXPECT_FALSE(e.Perform(EM_UNDO));
  // Programs still change a read-only engine.
  const std::u16string x = U(QStringLiteral("!"));
  Select(e, 3, 3);
  e.Perform(EM_REPLACESEL, 0, LPARAM(x.c_str()));
  EXPECT_EQ(e.Text(), QStringLiteral("мёд!"));
}

TEST(RichEngine, TextLimitStopsTypingNotPrograms) {
  TRichEngine e;
  e.show();
  bool maxText = false;
  e.OnNotify = [&](UINT code, void*) -> LRESULT {
    maxText |= code == EN_MAXTEXT;
    return 0;
  };
  e.Perform(EM_EXLIMITTEXT, 0, 3);
  QTest::keyClicks(&e, QStringLiteral("abcdef"));
  EXPECT_EQ(e.Text(), QStringLiteral("abc"));
  EXPECT_TRUE(maxText);
  e.SetPlainText(QStringLiteral("a longer text set by the program"));
  EXPECT_EQ(e.TextLength(), 32);
}

TEST(RichEngine, RefusedKeystrokesRingTheInstalledBell) {
  int rings = 0;
  const TEngineBell before = SetEngineBell([&] { ++rings; });
  TRichEngine e;
  e.show();
  Type(&e, QStringLiteral("ab"));
  EXPECT_EQ(rings, 0);
  e.Perform(EM_EXLIMITTEXT, 0, 2);
  Type(&e, QStringLiteral("c"));
  EXPECT_EQ(rings, 1);
  e.Perform(EM_SETREADONLY, 1);
  QTest::keyClick(&e, Qt::Key_Backspace);
  EXPECT_EQ(rings, 2);
  EXPECT_EQ(e.Text(), QStringLiteral("ab"));
  SetEngineBell(before);
}

TEST(RichEngine, ClipboardCarriesRtfHtmlAndTextAndPastePrefersRtf) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("Жирный текст"));
  Select(e, 0, 6);
  CHARFORMAT2 cf;
  cf.dwMask = CFM_BOLD;
  cf.dwEffects = CFE_BOLD;
  e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&cf));
  e.Perform(WM_COPY);
  const QMimeData* md = QApplication::clipboard()->mimeData();
  ASSERT_NE(md, nullptr);
  EXPECT_TRUE(md->data(QStringLiteral("text/rtf")).startsWith("{\\rtf1"));
  EXPECT_TRUE(md->hasHtml());
  EXPECT_EQ(md->text(), QStringLiteral("Жирный"));

  TRichEngine f;
  EXPECT_TRUE(f.Perform(EM_CANPASTE));
  f.Perform(WM_PASTE);
  EXPECT_EQ(f.Text(), QStringLiteral("Жирный"));
  Select(f, 0, 6);
  CHARFORMAT2 got;
  f.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got));
  EXPECT_TRUE(got.dwEffects & CFE_BOLD);

  // HTML from another program keeps its bold; plain text comes in as text.
  auto* html = new QMimeData;
  html->setHtml(QStringLiteral("<b>bee</b>"));
  html->setText(QStringLiteral("bee"));
  QApplication::clipboard()->setMimeData(html);
  TRichEngine g;
  g.Perform(WM_PASTE);
  EXPECT_EQ(g.Text(), QStringLiteral("bee"));
  Select(g, 0, 3);
  g.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got));
  EXPECT_TRUE(got.dwEffects & CFE_BOLD);
  // Asked for plain text only, the formatting stays behind.
  TRichEngine h;
  h.Perform(EM_PASTESPECIAL, CF_UNICODETEXT);
  Select(h, 0, 3);
  h.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got));
  EXPECT_EQ(h.Text(), QStringLiteral("bee"));
  EXPECT_FALSE(got.dwEffects & CFE_BOLD);

  // A format the host registered is pasted by name; its RTF is read as RTF.
  const UINT utf8Rtf = RegisterClipboardFormat(QStringLiteral("RTF in UTF8"));
  EXPECT_EQ(RegisterClipboardFormat(QStringLiteral("RTF in UTF8")), utf8Rtf);
  EXPECT_EQ(RegisterClipboardFormat(QStringLiteral("Rich Text Format")), UINT(CF_RTF));
  auto* custom = new QMimeData;
  custom->setData(QStringLiteral("RTF in UTF8"), "{\\rtf1\\ansi {\\i slanted}}");
  QApplication::clipboard()->setMimeData(custom);
  TRichEngine k;
  EXPECT_TRUE(k.Perform(EM_CANPASTE, utf8Rtf));
  EXPECT_FALSE(k.Perform(EM_CANPASTE, CF_RTF));
  k.Perform(EM_PASTESPECIAL, utf8Rtf);
  EXPECT_EQ(k.Text(), QStringLiteral("slanted"));
  Select(k, 0, 7);
  k.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got));
  EXPECT_TRUE(got.dwEffects & CFE_ITALIC);

  // Nothing can be pasted while read-only, and a picture alone is not text.
  h.Perform(EM_SETREADONLY, 1);
  EXPECT_EQ(h.Perform(EM_CANPASTE), 0);
  auto* image = new QMimeData;
  image->setImageData(QImage(4, 4, QImage::Format_RGB32));
  QApplication::clipboard()->setMimeData(image);
  EXPECT_EQ(g.Perform(EM_CANPASTE), 0);
}

TEST(RichEngine, ClipboardTextEndsLinesWithLineFeedsAndHtmlCarriesItsPictures) {
  QImage red(2, 2, QImage::Format_RGB32);
  red.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(red.save(&buffer, "PNG"));
  TRichEngine e;
  ASSERT_TRUE(e.LoadRtf("{\\rtf1\\ansi\\trowd\\cellx1000\\cellx2000 x\\cell y\\cell\\row\\pard first\\line second\\par "
                        "ab{\\pict\\pngblip\\picw2\\pich2\\picwgoal600\\pichgoal600 " +
                        png.toHex() + "}cd\\par page {\\field{\\*\\fldinst PAGE}{\\fldrslt}}\\par}"));
  Select(e, 0, e.TextLength());
  e.Perform(WM_COPY);
  const QMimeData* md = QApplication::clipboard()->mimeData();
  ASSERT_NE(md, nullptr);
  // No CR; the picture is no character of the text, the page field reads as its number, table
  // cells are apart by a tab.
  EXPECT_EQ(md->text(), QStringLiteral("x\ty\nfirst\nsecond\nabcd\npage 1"));
  // The RTF is the engine's own, its line ends as they were.
  EXPECT_TRUE(md->data(QStringLiteral("text/rtf")).contains("\\pngblip"));
  EXPECT_TRUE(md->html().contains(QStringLiteral("src=\"data:image/png;base64,") + QString::fromLatin1(png.toBase64())))
      << md->html().toStdString();

  // Another program that takes the HTML alone gets the picture.
  auto* html = new QMimeData;
  html->setHtml(md->html());
  QApplication::clipboard()->setMimeData(html);
  TRichEngine f;
  f.Perform(WM_PASTE);
  EXPECT_EQ(f.Text().count(QChar::ObjectReplacementCharacter), 1);
  EXPECT_TRUE(f.SaveRtf().contains("\\pngblip"));
}

TEST(RichEngine, CutIsUndoableAndRefusedWhileReadOnly) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("cut me"));
  Select(e, 0, 4);
  e.Perform(WM_CUT);
  EXPECT_EQ(e.Text(), QStringLiteral("me"));
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("cut "));
  e.Perform(EM_UNDO);
  EXPECT_EQ(e.Text(), QStringLiteral("cut me"));
  e.Perform(EM_SETREADONLY, 1);
  Select(e, 0, 4);
  e.Perform(WM_CUT);
  EXPECT_EQ(e.Text(), QStringLiteral("cut me"));
}

TEST(RichEngine, PastedHtmlListsAndHeadingsLookTheSameAfterSaveAndLoad) {
  // Where each paragraph's text starts on screen, how tall its first line is, how it is aligned.
  auto itemStarts = [](TRichEngine& e) {
    std::vector<std::tuple<int, int, int>> xs;
    e.show();
    QApplication::processEvents();
    for (QTextBlock b = e.document()->begin(); b.isValid(); b = b.next())
      xs.emplace_back(e.cursorRect(QTextCursor(b)).x(), e.cursorRect(QTextCursor(b)).height(),
                      int(b.blockFormat().alignment()));
    return xs;
  };
  TRichEngine e;
  e.resize(400, 300);
  auto* md = new QMimeData;
  md->setHtml(QStringLiteral("<p>Корм</p><ul><li>мёд</li><li>перга</li></ul><ol><li>вода</li></ol><h1>Улей</h1>"
                             "<p align=justify>Рамки</p>"));
  ASSERT_TRUE(e.InsertMimeData(md));
  delete md;
  Select(e, 5, 5);  // the first item
  PARAFORMAT2 item;
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&item));
  EXPECT_EQ(item.wNumbering, PFN_BULLET);
  EXPECT_GT(item.dxStartIndent, 0);
  const std::vector<std::tuple<int, int, int>> shown = itemStarts(e);
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_GT(std::get<0>(shown[1]), std::get<0>(shown[0]));
  EXPECT_GT(std::get<1>(shown[4]), std::get<1>(shown[0]));

  TRichEngine f;
  f.resize(400, 300);
  StreamInBytes(f, SF_RTF, StreamOutBytes(e, SF_RTF));
  EXPECT_EQ(itemStarts(f), shown);
  Select(f, 5, 5);
  PARAFORMAT2 back;
  f.Perform(EM_GETPARAFORMAT, 0, LPARAM(&back));
  EXPECT_EQ(back.wNumbering, PFN_BULLET);
  EXPECT_EQ(back.dxStartIndent, item.dxStartIndent);
  EXPECT_EQ(back.dxOffset, item.dxOffset);
}

TEST(RichEngine, PictureInPastedHtmlIsStoredAndComesBack) {
  QImage red(2, 2, QImage::Format_RGB32);
  red.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  red.save(&buffer, "PNG");
  TRichEngine e;
  auto* md = new QMimeData;
  md->setHtml(QStringLiteral("<p>Соты <img src=\"data:image/png;base64,%1\" width=\"20\" height=\"10\"></p>")
                  .arg(QString::fromLatin1(png.toBase64())));
  ASSERT_TRUE(e.InsertMimeData(md));
  delete md;
  const QByteArray rtf = StreamOutBytes(e, SF_RTF);
  EXPECT_TRUE(rtf.contains("\\pict")) << rtf.constData();

  TRichEngine f;
  StreamInBytes(f, SF_RTF, rtf);
  QTextCursor c(f.document());
  c.setPosition(6);
  const QTextCharFormat object = c.charFormat();
  ASSERT_EQ(object.objectType(), kEmbeddedObjectType);
  EXPECT_EQ(ObjectImage(object).pixelColor(1, 1), QColor(Qt::red));
  EXPECT_EQ(ObjectSize(object).toSize(), QSize(20, 10));
}
