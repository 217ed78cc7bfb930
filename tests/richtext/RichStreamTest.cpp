#include <gtest/gtest.h>

#include <QBuffer>

#include "richtext/qvRichStream.h"

using namespace richtext;

TEST(RichMemoryStream, CapacityGrowsInWholeSteps) {
  struct Case {
    qint64 Asked, Expected;
  } Cases[] = {{0, 0}, {1, 131072}, {131072, 131072}, {131073, 262144}, {-5, 0}};
  for (const auto& C : Cases) EXPECT_EQ(QvRoundCapacity(C.Asked), C.Expected) << C.Asked;

  TqvRichMemoryStream S;
  S.WriteBuffer(QByteArray(10, 'a'));
  EXPECT_EQ(S.Capacity(), 131072);
  S.WriteBuffer(QByteArray(131072, 'b'));  // 131082 bytes now
  EXPECT_EQ(S.Capacity(), 262144);
  EXPECT_EQ(S.Size(), 131082);
  S.SetCapacity(0);
  EXPECT_EQ(S.Capacity(), 0);
}

TEST(RichMemoryStream, ReadsBackWhatWasWrittenThroughTheDeviceInterface) {
  TqvRichMemoryStream S;
  ASSERT_EQ(S.write("{\\rtf1 Hello}"), 13);
  EXPECT_EQ(S.Position(), 13);
  S.SetPosition(0);
  EXPECT_EQ(S.readAll(), QByteArray("{\\rtf1 Hello}"));
  S.SetPosition(7);
  S.write("J");
  EXPECT_EQ(S.Bytes(), QByteArray("{\\rtf1 Jello}"));
  S.SetSize(3);
  EXPECT_EQ(S.Position(), 3);
  EXPECT_EQ(S.Bytes(), QByteArray("{\\r"));
}

TEST(RichMemoryStream, OutOfMemoryIsAnErrorWithItsText) {
  TqvRichMemoryStream S;
  try {
    S.SetCapacity(qint64(1) << 40);
    FAIL() << "no error";
  } catch (const EqvStreamError& E) {
    EXPECT_STREQ(E.what(), "Out of memory while expanding memory stream");
  }
  // Through the device interface the failure is reported, and nothing was written.
  S.SetPosition((qint64(1) << 40));
  EXPECT_EQ(S.write("x"), -1);
  EXPECT_EQ(S.errorString(), "Out of memory while expanding memory stream");
  EXPECT_EQ(S.Size(), 0);
}

namespace {
// Streams a source through the chunk reader as the engine would, asking `Wanted` bytes a time.
QByteArray Pump(const QByteArray& Source, long Wanted, int MaxChunks = 0, int* Chunks = nullptr) {
  QBuffer B;
  B.setData(Source);
  B.open(QIODevice::ReadOnly);
  TqvChunkReader R(B, MaxChunks);
  QByteArray Out;
  std::vector<uint8_t> Buf(static_cast<size_t>(Wanted));
  for (int Guard = 0; Guard < 100000; ++Guard) {
    long Got = 0;
    EXPECT_EQ(R.Fill(Buf.data(), Wanted, &Got), 0u);
    EXPECT_LE(Got, Wanted);
    if (Got == 0) break;
    Out.append(reinterpret_cast<const char*>(Buf.data()), Got);
  }
  if (Chunks) *Chunks = R.ChunksDelivered();
  return Out;
}
}  // namespace

TEST(ChunkReader, EveryLineBreakReachesTheEngineAsCrLf) {
  const QByteArray Expected = "one\r\ntwo\r\nthree\r\n\r\nfour";
  const QByteArray Sources[] = {"one\rtwo\nthree\r\n\r\nfour", "one\ntwo\nthree\n\nfour",
                                "one\r\ntwo\r\nthree\r\n\r\nfour"};
  for (const auto& S : Sources) {
    EXPECT_EQ(Pump(S, 4096), Expected) << S.constData();
    // Chunk sizes that split CR LF pairs and lone CRs at every place.
    for (long W : {2, 3, 4, 5, 6, 7, 8}) EXPECT_EQ(Pump(S, W), Expected) << S.constData() << " " << W;
  }
}

TEST(ChunkReader, LimitedLoadStopsAfterMaxChunksAndClosesTheGroup) {
  // Each chunk takes 8 source bytes at most (16 / 2).
  const QByteArray Source = "{\\rtf1 ab{\\pard {\\b x} more text that is left out}";
  int Chunks = 0;
  const QByteArray Got = Pump(Source, 16, 2, &Chunks);
  EXPECT_EQ(Chunks, 2);
  // Chunk 1 "{\rtf1 a", chunk 2 "b{\pard " has "\pard" but no "{" after it: kept whole.
  EXPECT_EQ(Got, QByteArray("{\\rtf1 ab{\\pard "));

  const QByteArray Second = Pump("{\\rtf1 {\\pard{\\b x}} tail", 32, 1);
  EXPECT_EQ(Second, QByteArray("{\\rtf1 {\\pard}"));
  EXPECT_EQ(Pump("no rtf here at all", 8, 0).size(), 18);  // no limit: everything
}

TEST(RemoveHighlight, StripsTheWordItsNumberAndOneSpace) {
  struct Case {
    const char *In, *Out;
  } Cases[] = {
      {"{\\highlight7 text}", "{text}"},
      {"{\\highlight12  two spaces}", "{ two spaces}"},
      {"{\\highlight3\\b bold}", "{\\b bold}"},           // another character after the digits stays
      {"a\\\\highlight4 b", "a\\\\highlight4 b"},          // escaped: kept
      {"a\\\\highlight4 b\\highlight5 c", "a\\\\highlight4 bc"},
      {"\\highlight1 \\highlight2 x", "x"},
      {"\\highlight", ""},
      {"plain", "plain"},
  };
  for (const auto& C : Cases) EXPECT_EQ(QvRemoveHighlightWords(C.In), QByteArray(C.Out)) << C.In;
}
