// The object group: what is written reads back whole, what other programs wrote is read as far
// as it goes, and object data is bounded.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "rtf/ObjectGroup.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

using namespace rtf;

namespace {
QByteArray Png(QColor c, int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(c);
  QByteArray bytes;
  QBuffer b(&bytes);
  b.open(QIODevice::WriteOnly);
  img.save(&b, "PNG");
  return bytes;
}

std::vector<QTextCharFormat> Objects(const QTextDocument& doc) {
  std::vector<QTextCharFormat> out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().objectType() == kEmbeddedObjectType)
        for (int i = 0; i < it.fragment().length(); ++i) out.push_back(it.fragment().charFormat());
  return out;
}
}  // namespace

TEST(RtfObjectGroup, WrittenGroupsReadBackWholeAndShowTheirPicture) {
  ObjectGroup g;
  g.link = true;
  g.objectClass = QStringLiteral("image/png");
  g.data = QByteArray("\x00\x01{}\\ data", 11);
  g.widthTw = 1500;
  g.heightTw = 750;
  g.resultPng = Png(Qt::red, 20, 10);
  g.resultWidthPx = 20;
  g.resultHeightPx = 10;
  const QByteArray group = ObjectGroupRtf(g);
  EXPECT_EQ(group, ObjectGroupRtf(g));  // the same bytes every time
  EXPECT_TRUE(ObjectGroupIsLink(group));

  ObjectGroup back;
  ASSERT_TRUE(ReadObjectGroup(group, back, 1024));
  EXPECT_TRUE(back.link);
  EXPECT_EQ(back.objectClass, g.objectClass);
  EXPECT_EQ(back.data, g.data);
  EXPECT_EQ(back.widthTw, 1500);
  EXPECT_EQ(back.heightTw, 750);
  EXPECT_FALSE(back.dataTooLarge);

  // In a document the object draws as its result picture and is written back byte for byte.
  QTextDocument doc;
  QTextCursor c(&doc);
  ASSERT_TRUE(ReadRtf("{\\rtf1\\ansi a" + group + "b\\par}", c));
  const auto objects = Objects(doc);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].property(kObjectRtf).toByteArray(), group);
  EXPECT_EQ(objects[0].property(kObjectClass).toString(), QStringLiteral("image/png"));
  const QImage shown = ObjectImage(objects[0]);
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(shown.pixelColor(5, 5), QColor(Qt::red));
  EXPECT_TRUE(WriteRtf(doc).contains(group));
}

TEST(RtfObjectGroup, ReadsOtherProgramsGroupsAndRefusesLargeData) {
  struct Case {
    const char* rtf;
    bool read;
    bool link;
    const char* cls;
    QByteArray data;
  } cases[] = {
      {"{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw10\\objh10{\\*\\objdata 0102\r\n03}{\\result x}}", true, false,
       "Paint.Picture", QByteArray("\x01\x02\x03", 3)},
      {"{\\object\\objautlink\\rsltpict{\\*\\objclass Word.Document.8}{\\*\\objdata \\bin3 abc}}", true, true,
       "Word.Document.8", QByteArray("abc")},
      {"{\\object{\\*\\objclass A\\'e9}{\\*\\objdata 0}", true, false, "A\u00e9", QByteArray()},  // cut off
      {"{\\pict\\pngblip 00}", false, false, "", QByteArray()},
      {"", false, false, "", QByteArray()},
      {"{\\object{\\*\\objdata \\bin999999 ab}}", true, false, "", QByteArray("ab}}")},  // \bin past the end
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.rtf);
    ObjectGroup g;
    EXPECT_EQ(ReadObjectGroup(QByteArray(k.rtf), g, 1024), k.read);
    if (!k.read) continue;
    EXPECT_EQ(g.link, k.link);
    EXPECT_EQ(g.objectClass, QString::fromUtf8(k.cls));
    EXPECT_EQ(g.data, k.data);
  }

  // Data beyond the limit is refused, not read, in hex and in binary form alike.
  ObjectGroup big;
  ASSERT_TRUE(ReadObjectGroup("{\\object{\\*\\objdata " + QByteArray(4000, 'a') + "}}", big, 1000));
  EXPECT_TRUE(big.dataTooLarge);
  EXPECT_TRUE(big.data.isEmpty());
  ASSERT_TRUE(ReadObjectGroup("{\\object{\\*\\objdata \\bin2000 " + QByteArray(2000, 'x') + "}}", big, 1000));
  EXPECT_TRUE(big.dataTooLarge);
}

TEST(RtfObjectGroup, EveryObjectReadIsANewOneEvenWhenItsBytesRepeat) {
  const QByteArray object = "{\\object\\objemb{\\*\\objclass X}{\\*\\objdata 00}}";
  QTextDocument doc;
  QTextCursor c(&doc);
  ASSERT_TRUE(ReadRtf("{\\rtf1\\ansi " + object + object + "\\par}", c));
  const auto objects = Objects(doc);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_NE(objects[0].intProperty(kObjectIndex), objects[1].intProperty(kObjectIndex));
  EXPECT_GT(objects[0].intProperty(kObjectIndex), 0);
}
