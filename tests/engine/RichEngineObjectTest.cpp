// The engine window's layout and what sits in its text: formatting a range for the printer, the
// formatting rectangle, links, embedded objects and their callback, redrawing and scrolling.
#include "tests/engine/RichEngineTestUtil.h"

using namespace enginetest;

TEST(RichEngine, FormatRangePaginatesEveryCharacterExactlyOnce) {
  TRichEngine e;
  QString text;
  for (int i = 0; i < 120; ++i)
    text += QStringLiteral("Строка %1: пчёлы собирают нектар с цветков липы и гречихи.\r").arg(i);
  e.SetPlainText(text);
  const int len = int(e.Perform(WM_GETTEXTLENGTH));

  QImage page(850, 1100, QImage::Format_RGB32);
  page.setDotsPerMeterX(int(100 / 0.0254));
  page.setDotsPerMeterY(int(100 / 0.0254));
  QPainter p(&page);
  FORMATRANGE fr;
  fr.hdc = fr.hdcTarget = &p;
  fr.rc = {720, 720, 7920, 10080};  // 5 x 6.5 inches
  fr.rcPage = fr.rc;
  e.Perform(EM_FORMATRANGE, 0, 0);
  std::vector<std::pair<int, int>> pages;
  int last = 0;
  do {
    fr.chrg = {last, -1};
    page.fill(Qt::white);
    const int next = int(e.Perform(EM_FORMATRANGE, 1, LPARAM(&fr)));
    ASSERT_GT(next, last);
    pages.emplace_back(last, next);
    // Something was drawn inside the rectangle and nothing outside it.
    bool inside = false, outside = false;
    for (int y = 0; y < page.height(); y += 2)
      for (int x = 0; x < page.width(); x += 2) {
        const bool ink = page.pixel(x, y) != qRgb(255, 255, 255);
        const bool in = x >= 50 && x < 550 && y >= 50 && y < 700;
        (in ? inside : outside) |= ink;
      }
    EXPECT_TRUE(inside);
    EXPECT_FALSE(outside);
    last = next;
  } while (last < len);
  e.Perform(EM_FORMATRANGE, 0, 0);
  p.end();
  ASSERT_GT(pages.size(), 2u);
  EXPECT_EQ(pages.front().first, 0);
  EXPECT_EQ(pages.back().second, len);
  for (size_t i = 1; i < pages.size(); ++i) EXPECT_EQ(pages[i].first, pages[i - 1].second);

  // Measuring gives the same breaks as rendering, on a device of any resolution, and a limited
  // range stops at its end.
  fr.chrg = {0, -1};
  EXPECT_EQ(e.Perform(EM_FORMATRANGE, 0, LPARAM(&fr)), pages[0].second);
  QImage fine(2550, 3300, QImage::Format_RGB32);
  fine.setDotsPerMeterX(int(300 / 0.0254));
  fine.setDotsPerMeterY(int(300 / 0.0254));
  QPainter fp(&fine);
  FORMATRANGE at300 = fr;
  at300.hdc = at300.hdcTarget = &fp;
  at300.chrg = {pages[1].first, -1};
  EXPECT_EQ(e.Perform(EM_FORMATRANGE, 1, LPARAM(&at300)), pages[1].second);
  fp.end();
  fr.chrg = {0, 10};
  EXPECT_EQ(e.Perform(EM_FORMATRANGE, 0, LPARAM(&fr)), 10);
}

TEST(RichEngine, FormattingRectangleGovernsLayout) {
  TRichEngine e;
  e.resize(400, 300);
  e.show();
  RECT r{4, 2, 398, 298};
  e.Perform(EM_SETRECT, 0, LPARAM(&r));
  RECT got;
  e.Perform(EM_GETRECT, 0, LPARAM(&got));
  EXPECT_EQ(got, r);
  EXPECT_EQ(e.viewport()->geometry().topLeft(), QPoint(4, 2));
  e.SetPlainText(QStringLiteral("word "));
  POINTL pt;
  e.Perform(EM_POSFROMCHAR, LPARAM(&pt), 0);
  EXPECT_GE(pt.x, 4);
  EXPECT_GE(pt.y, 2);
  POINTL at{pt.x + 1, pt.y + 2};
  EXPECT_EQ(e.Perform(EM_CHARFROMPOS, 0, LPARAM(&at)), 0);
  e.Perform(EM_SETRECT, 0, 0);
  e.Perform(EM_GETRECT, 0, LPARAM(&got));
  EXPECT_EQ(got.left, 0);
}

TEST(RichEngine, LinksAreReportedOnlyWithTheLinkEvent) {
  TRichEngine e;
  e.resize(500, 200);
  e.show();
  e.SetPlainText(QStringLiteral("see www.example.org now"));
  e.Perform(EM_AUTOURLDETECT, 1);
  EXPECT_EQ(e.Perform(EM_GETAUTOURLDETECT), 1);
  std::vector<ENLINK> links;
  e.OnNotify = [&](UINT code, void* hdr) -> LRESULT {
    if (code == EN_LINK) links.push_back(*static_cast<ENLINK*>(hdr));
    return 0;
  };
  POINTL pt;
  e.Perform(EM_POSFROMCHAR, LPARAM(&pt), 8);
  const QPoint inLink = QPoint(pt.x + 3, pt.y + 5) - e.viewport()->pos();
  QTest::mouseMove(e.viewport(), inLink);
  QTest::mouseClick(e.viewport(), Qt::LeftButton, {}, inLink);
  EXPECT_TRUE(links.empty());
  e.Perform(EM_SETEVENTMASK, 0, ENM_LINK);
  QTest::mousePress(e.viewport(), Qt::LeftButton, {}, inLink);
  QTest::mouseRelease(e.viewport(), Qt::LeftButton, {}, inLink);
  ASSERT_GE(links.size(), 2u);
  EXPECT_EQ(links[0].msg, WM_LBUTTONDOWN);
  EXPECT_EQ(links[0].chrg.cpMin, 4);
  EXPECT_EQ(links[0].chrg.cpMax, 19);
  EXPECT_EQ(links.back().msg, WM_LBUTTONUP);
}

TEST(RichEngine, ObjectsReadFromRtfAreKeptCountedAndWrittenBack) {
  const QByteArray object =
      "{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw1000\\objh500{\\*\\objdata 0102030405}"
      "{\\result{\\pict\\pngblip\\picw1\\pich1\\picwgoal1000\\pichgoal500 "
      "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
      "1f15c4890000000d49444154789c6360f8ffff3f0005fe02fea7d6a4ee0000000049454e44ae426082}}}";
  TRichEngine e;
  ASSERT_TRUE(e.LoadRtf("{\\rtf1\\ansi a" + object + "b\\par}"));
  EXPECT_EQ(e.Text(), QStringLiteral("a") + QChar(QChar::ObjectReplacementCharacter) + QStringLiteral("b"));
  IRichEditOle* ole = nullptr;
  ASSERT_TRUE(e.Perform(EM_GETOLEINTERFACE, 0, LPARAM(&ole)));
  ASSERT_NE(ole, nullptr);
  EXPECT_EQ(ole->GetObjectCount(), 1);
  REOBJECT reo;
  ASSERT_EQ(ole->GetObject(0, &reo, REO_GETOBJ_NO_INTERFACES), S_OK);
  EXPECT_EQ(reo.cp, 1);
  EXPECT_EQ(reo.clsid, QStringLiteral("Paint.Picture"));
  Select(e, 1, 2);
  EXPECT_EQ(e.Perform(EM_SELECTIONTYPE), SEL_OBJECT);
  EXPECT_EQ(ole->GetObject(REO_IOB_SELECTION, &reo, REO_GETOBJ_NO_INTERFACES), S_OK);
  const QByteArray out = e.SaveRtf();
  EXPECT_TRUE(out.contains("Paint.Picture"));
  EXPECT_TRUE(out.contains("0102030405"));

  // An object inserted by a program lands at the selection and is counted.
  Select(e, 0, 0);
  REOBJECT ins;
  ins.cp = REO_CP_SELECTION;
  ins.clsid = QStringLiteral("Package");
  ins.objectRtf = object;
  EXPECT_EQ(ole->InsertObject(&ins), S_OK);
  EXPECT_EQ(ole->GetObjectCount(), 2);
  EXPECT_EQ(e.Text().at(0), QChar(QChar::ObjectReplacementCharacter));
}

TEST(RichEngine, ObjectCallbackIsAskedAboutInsertsAndPastes) {
  struct Callback : IRichEditOleCallback {
    int insertQueries = 0, acceptQueries = 0;
    std::vector<IOleObject*> deleted;
    HRESULT answer = S_OK;
    HRESULT GetNewStorage(IStorage**) override { return E_NOTIMPL; }
    HRESULT GetInPlaceContext() override { return E_NOTIMPL; }
    HRESULT ShowContainerUI(bool) override { return E_NOTIMPL; }
    HRESULT QueryInsertObject(const QString&, IStorage*, LONG) override {
      ++insertQueries;
      return answer;
    }
    HRESULT DeleteObject(IOleObject* o) override {
      deleted.push_back(o);
      return S_OK;
    }
    HRESULT QueryAcceptData(const QMimeData*, UINT*, DWORD, bool) override {
      ++acceptQueries;
      return answer;
    }
    HRESULT ContextSensitiveHelp(bool) override { return E_NOTIMPL; }
    HRESULT GetClipboardData(CHARRANGE*, DWORD, QMimeData**) override { return E_NOTIMPL; }
    HRESULT GetDragDropEffect(bool, DWORD, DWORD*) override { return S_OK; }
    HRESULT GetContextMenu(WORD, IOleObject*, CHARRANGE*, QMenu** menu) override {
      *menu = nullptr;
      return S_OK;
    }
  } cb;
  TRichEngine e;
  EXPECT_EQ(e.Perform(EM_SETOLECALLBACK, 0, LPARAM(&cb)), 1);
  QApplication::clipboard()->setText(QStringLiteral("pasted"));
  cb.answer = E_FAIL;
  e.Perform(WM_PASTE);
  EXPECT_EQ(e.Text(), QString());
  cb.answer = S_OK;
  e.Perform(WM_PASTE);
  EXPECT_EQ(e.Text(), QStringLiteral("pasted"));
  EXPECT_EQ(cb.acceptQueries, 2);
  IRichEditOle* ole = e.OleInterface();
  REOBJECT reo;
  reo.cp = 0;
  reo.objectRtf = "{\\object{\\*\\objclass X}{\\*\\objdata 00}}";
  cb.answer = E_FAIL;
  EXPECT_NE(ole->InsertObject(&reo), S_OK);
  EXPECT_EQ(cb.insertQueries, 1);
  EXPECT_EQ(ole->GetObjectCount(), 0);

  // An object the host hands in comes back with its interface, and its removal is reported.
  struct Doc : IOleObject {
    QString ClassName() const override { return QStringLiteral("Doc"); }
    QString UserType(int) const override { return QStringLiteral("Document"); }
    HRESULT DoVerb(LONG) override { return S_OK; }
    HRESULT Update() override { return S_OK; }
    QByteArray ObjectRtf() const override { return "{\\object{\\*\\objclass Doc}{\\*\\objdata 00}}"; }
  } doc;
  cb.answer = S_OK;
  REOBJECT host;
  host.cp = 3;
  host.clsid = QStringLiteral("Doc");
  host.poleobj = &doc;
  ASSERT_EQ(ole->InsertObject(&host), S_OK);
  REOBJECT back;
  ASSERT_EQ(ole->GetObject(0, &back, REO_GETOBJ_POLEOBJ), S_OK);
  EXPECT_EQ(back.poleobj, &doc);
  EXPECT_EQ(back.cp, 3);
  Select(e, 2, 4);
  e.Perform(WM_CUT);
  EXPECT_EQ(cb.deleted, std::vector<IOleObject*>{&doc});
  EXPECT_EQ(ole->GetObjectCount(), 0);
}

TEST(RichEngine, AClickOnAnObjectSelectsIt) {
  TRichEngine e;
  e.resize(400, 200);
  e.show();
  ASSERT_TRUE(e.LoadRtf("{\\rtf1\\ansi ab{\\pict\\pngblip\\picw1\\pich1\\picwgoal600\\pichgoal600 "
                        "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
                        "1f15c4890000000d49444154789c6360f8ffff3f0005fe02fea7d6a4ee0000000049454e44ae426082}cd\\par}"));
  POINTL pt;
  e.Perform(EM_POSFROMCHAR, LPARAM(&pt), 2);
  e.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x + 10, pt.y + 10));
  e.Perform(WM_LBUTTONUP, 0, MAKELPARAM(pt.x + 10, pt.y + 10));
  EXPECT_EQ(e.GetSel(), (CHARRANGE{2, 3}));
  EXPECT_EQ(e.Perform(EM_SELECTIONTYPE), SEL_OBJECT);
}

TEST(RichEngine, RedrawScrollCaretAndBackground) {
  TRichEngine e;
  e.resize(200, 60);
  e.show();
  QString many;
  for (int i = 0; i < 50; ++i) many += QStringLiteral("line %1\r").arg(i);
  e.SetPlainText(many);
  Select(e, e.TextLength(), e.TextLength());
  e.verticalScrollBar()->setValue(0);
  e.Perform(EM_SCROLLCARET_RE);
  EXPECT_GT(e.verticalScrollBar()->value(), 0);
  e.Perform(WM_SETREDRAW, 0);
  EXPECT_FALSE(e.Redraw());
  e.Perform(WM_SETREDRAW, 1);
  EXPECT_TRUE(e.Redraw());
  e.Perform(EM_SETBKGNDCOLOR, 0, LPARAM(RGB(255, 255, 200)));
  EXPECT_EQ(e.palette().color(QPalette::Base), QColor(255, 255, 200));
  // Text with no highlight of its own reports the window's background.
  Select(e, 0, 3);
  CHARFORMAT2 cf;
  e.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&cf));
  EXPECT_TRUE(cf.dwEffects & CFE_AUTOBACKCOLOR);
  EXPECT_EQ(cf.crBackColor, RGB(255, 255, 200));
}
