// A long text in the engine window: loading and resizing lay out what is shown, not the whole
// text, and the size requests still come.
#include <gtest/gtest.h>

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "engine/RichEngine.h"

using namespace engine;

namespace {

QByteArray EmptyParagraphs(int n) {
  QByteArray r = "{\\rtf1 ";
  for (int i = 0; i < n; ++i) r += "\\par ";
  return r + "}";
}

bool LaidOut(const QTextBlock& b) { return b.layout() && b.layout()->lineCount() > 0; }

}  // namespace

TEST(LongText, LoadingAndResizingLayOutOnlyTheStart) {
  TRichEngine e;
  e.resize(400, 200);
  e.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
  std::vector<LONG> heights;
  e.OnNotify = [&](UINT code, void* hdr) -> LRESULT {
    if (code == EN_REQUESTRESIZE) heights.push_back(static_cast<REQRESIZE*>(hdr)->rc.bottom);
    return 0;
  };
  e.SetEventMask(ENM_REQUESTRESIZE);

  const int paragraphs = 20000;
  ASSERT_EQ(e.LoadBytes(SF_RTF, EmptyParagraphs(paragraphs)), 0u);
  ASSERT_EQ(e.document()->blockCount(), paragraphs);
  EXPECT_TRUE(LaidOut(e.document()->firstBlock()));
  EXPECT_FALSE(LaidOut(e.document()->lastBlock())) << "loading laid out the whole text";
  EXPECT_FALSE(e.CanUndo());
  EXPECT_FALSE(e.GetModify());

  heights.clear();
  e.resize(300, 250);
  e.Perform(EM_REQUESTRESIZE);
  EXPECT_FALSE(LaidOut(e.document()->lastBlock())) << "a resize laid out the whole text";
  ASSERT_FALSE(heights.empty());
  EXPECT_GT(heights.back(), 200);

  // Left to the event loop, the layout goes on to the end and reports the full height.
  const LONG partial = heights.back();
  QTRY_VERIFY_WITH_TIMEOUT(LaidOut(e.document()->lastBlock()), 60000);
  QTRY_VERIFY_WITH_TIMEOUT(heights.back() > partial, 10000);
}

TEST(LongText, ShortTextIsMeasuredWhole) {
  TRichEngine e;
  e.resize(400, 200);
  e.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
  LONG height = 0;
  e.OnNotify = [&](UINT code, void* hdr) -> LRESULT {
    if (code == EN_REQUESTRESIZE) height = static_cast<REQRESIZE*>(hdr)->rc.bottom;
    return 0;
  };
  e.SetEventMask(ENM_REQUESTRESIZE);
  ASSERT_EQ(e.LoadBytes(SF_RTF, EmptyParagraphs(30)), 0u);
  e.Perform(EM_REQUESTRESIZE);
  const LONG thirty = height;
  ASSERT_EQ(e.LoadBytes(SF_RTF, EmptyParagraphs(60)), 0u);
  e.Perform(EM_REQUESTRESIZE);
  EXPECT_GT(thirty, 30 * 5);
  EXPECT_NEAR(double(height), 2.0 * thirty, thirty * 0.1);
}
