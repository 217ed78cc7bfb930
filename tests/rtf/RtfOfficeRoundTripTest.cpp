// Office documents read and written by the engine are, to an office suite, the documents they
// were: LibreOffice reads the original and the engine's RTF of it to the same tables (rows, cells,
// text per cell), lists (levels, labels), hidden text, headers and footers, notes of each kind,
// frames, and character and paragraph properties.
// Runs only where LibreOffice (soffice) is installed.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QXmlStreamReader>
#include <map>
#include <set>

#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"
#include "tests/common/SourcePath.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString TestsDir() { return SourcePath(QStringLiteral("tests/rtf")); }

// What LibreOffice made of a document, from its flat OpenDocument form and its plain text.
struct OfficeView {
  QStringList tables;  // per row of every table (nested ones too): "table n: cell | cell"
  QStringList lists;   // per list paragraph: its depth and text
  QString text;        // the plain text, labels included, white space folded
  std::map<QString, std::set<QString>> props;  // per paragraph text: its property words
  QStringList hidden;  // hidden runs
  QStringList parts;   // headers and footers of the page styles: "kind: text"
  QStringList notes;   // the class of every note (footnote, endnote)
  QStringList frames;  // every frame: "frame" with "image" where it holds a picture
};

struct Style {
  QString parent;
  std::map<QString, QString> text, para;
};

// The properties compared, and the values that only say "as by default".
bool Compared(const QString& name, const QString& value) {
  static const std::set<QString> words = {
      "text-underline-style", "text-underline-type", "text-underline-width", "text-underline-mode",
      "font-variant", "text-transform", "text-outline", "text-shadow", "text-position", "letter-spacing",
      "text-scale", "keep-together", "keep-with-next", "break-before", "writing-mode", "border", "border-top",
      "border-bottom", "border-left", "border-right", "background-color", "number-lines", "tab-stops"};
  static const std::set<QString> defaults = {"none", "false", "normal", "100%", "lr-tb", "auto", "transparent"};
  if (!words.count(name)) return false;
  if (name == "text-position") return !value.startsWith(QLatin1String("0%"));
  if (name == "text-underline-width" || name == "text-underline-mode") return false;  // follow the style
  return !defaults.count(value);
}

OfficeView Parse(const QString& fodtPath, const QString& txtPath) {
  OfficeView v;
  QFile txt(txtPath);
  if (txt.open(QIODevice::ReadOnly)) v.text = QString::fromUtf8(txt.readAll()).remove(QChar(0xFEFF)).simplified();
  QFile f(fodtPath);
  if (!f.open(QIODevice::ReadOnly)) return v;
  QXmlStreamReader x(&f);
  std::map<QString, Style> styles;  // family/name
  QString current;
  // The document body.
  std::vector<QStringList> rowStack;  // the cells of the row being read, per open table
  std::vector<int> tableIds;
  int tables = 0, listDepth = 0, noteDepth = 0;
  struct Para {
    QString style, text;
    std::vector<std::pair<QString, QString>> runs;  // text, span style
    std::vector<QString> spans;
  };
  std::vector<Para> paras;
  QStringList cellText;
  QString partKind, partText;  // the header or footer being read
  auto resolve = [&](const QString& family, QString name, bool para) {
    std::map<QString, QString> out;
    std::vector<const Style*> chain;
    for (int guard = 0; !name.isEmpty() && guard < 20; ++guard) {
      auto it = styles.find(family + u'/' + name);
      if (it == styles.end()) break;
      chain.push_back(&it->second);
      name = it->second.parent;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
      for (const auto& [k, val] : para ? (*it)->para : (*it)->text) out[k] = val;
    return out;
  };
  while (!x.atEnd()) {
    x.readNext();
    const QString name = x.name().toString();
    if (x.isStartElement()) {
      const QXmlStreamAttributes a = x.attributes();
      if (name == QLatin1String("style") && x.prefix() == QLatin1String("style")) {
        current = a.value(QLatin1String("style:family")).toString() + u'/' + a.value(QLatin1String("style:name")).toString();
        styles[current].parent = a.value(QLatin1String("style:parent-style-name")).toString();
      } else if ((name == QLatin1String("text-properties") || name == QLatin1String("paragraph-properties")) &&
                 !current.isEmpty()) {
        for (const QXmlStreamAttribute& at : a)
          if (Compared(at.name().toString(), at.value().toString()) || at.name() == QLatin1String("display"))
            (name == QLatin1String("text-properties") ? styles[current].text : styles[current].para)[at.name().toString()] =
                at.value().toString();
      } else if (name == QLatin1String("tab-stop") && !current.isEmpty()) {
        QString& tabs = styles[current].para[QStringLiteral("tab-stops")];
        tabs += a.value(QLatin1String("style:type")).toString() + u'@' + a.value(QLatin1String("style:position")).toString() +
                u'/' + a.value(QLatin1String("style:leader-text")).toString() + u' ';
      } else if (name == QLatin1String("table") && x.prefix() == QLatin1String("table")) {
        tableIds.push_back(++tables);
      } else if (name == QLatin1String("table-row")) {
        rowStack.emplace_back();
      } else if (name == QLatin1String("covered-table-cell")) {
        if (!rowStack.empty()) rowStack.back() << QStringLiteral("<covered>");
      } else if (name == QLatin1String("table-cell")) {
        cellText << QString();
      } else if (name == QLatin1String("list")) {
        ++listDepth;
      } else if (name == QLatin1String("note")) {
        ++noteDepth;
        v.notes << a.value(QLatin1String("text:note-class")).toString();
      } else if (x.prefix() == QLatin1String("style") &&
                 (name.startsWith(QLatin1String("header")) || name.startsWith(QLatin1String("footer"))) &&
                 !name.endsWith(QLatin1String("-style")) && !name.endsWith(QLatin1String("-properties"))) {
        partKind = name;
        partText.clear();
      } else if (name == QLatin1String("frame") && x.prefix() == QLatin1String("draw")) {
        v.frames << QStringLiteral("frame");
      } else if (name == QLatin1String("image") && x.prefix() == QLatin1String("draw") && !v.frames.isEmpty()) {
        v.frames.last() += QStringLiteral(" image");
      } else if ((name == QLatin1String("p") || name == QLatin1String("h")) && x.prefix() == QLatin1String("text")) {
        paras.push_back(Para{a.value(QLatin1String("text:style-name")).toString(), {}, {}, {}});
      } else if (name == QLatin1String("span") && !paras.empty()) {
        paras.back().spans.push_back(a.value(QLatin1String("text:style-name")).toString());
      } else if ((name == QLatin1String("s") || name == QLatin1String("tab") || name == QLatin1String("line-break")) &&
                 !paras.empty()) {
        paras.back().runs.emplace_back(QStringLiteral(" "), paras.back().spans.empty() ? QString() : paras.back().spans.back());
      }
    } else if (x.isCharacters() && !partKind.isEmpty()) {
      partText += x.text().toString() + u' ';
    } else if (x.isCharacters() && !paras.empty() && noteDepth == 0) {
      Para& p = paras.back();
      p.runs.emplace_back(x.text().toString(), p.spans.empty() ? QString() : p.spans.back());
    } else if (x.isEndElement()) {
      if (!partKind.isEmpty() && name == partKind) {
        if (!partText.simplified().isEmpty()) v.parts << partKind + QStringLiteral(": ") + partText.simplified();
        partKind.clear();
      }
      if (name == QLatin1String("style")) current.clear();
      else if (name == QLatin1String("span") && !paras.empty() && !paras.back().spans.empty()) paras.back().spans.pop_back();
      else if (name == QLatin1String("note")) --noteDepth;
      else if (name == QLatin1String("list")) --listDepth;
      else if (name == QLatin1String("table-cell")) {
        if (!rowStack.empty() && !cellText.isEmpty()) rowStack.back() << cellText.takeLast().simplified();
      } else if (name == QLatin1String("table-row")) {
        if (!rowStack.empty() && !tableIds.empty())
          v.tables << QStringLiteral("table %1: ").arg(tableIds.back()) + rowStack.back().join(QLatin1String(" | "));
        if (!rowStack.empty()) rowStack.pop_back();
      } else if (name == QLatin1String("table") && x.prefix() == QLatin1String("table")) {
        if (!tableIds.empty()) tableIds.pop_back();
      } else if ((name == QLatin1String("p") || name == QLatin1String("h")) && x.prefix() == QLatin1String("text") &&
                 !paras.empty()) {
        Para p = paras.back();
        paras.pop_back();
        if (noteDepth > 0) continue;
        QString text;
        std::set<QString> words;
        for (const auto& [k, val] : resolve(QStringLiteral("paragraph"), p.style, true))
          if (k != QLatin1String("display")) words.insert(QStringLiteral("P:") + k + u'=' + val);
        const auto paraText = resolve(QStringLiteral("paragraph"), p.style, false);
        for (const auto& [runText, span] : p.runs) {
          text += runText;
          if (runText.trimmed().isEmpty()) continue;
          auto props = paraText;
          for (const auto& [k, val] : resolve(QStringLiteral("text"), span, false)) props[k] = val;
          for (const auto& [k, val] : props) {
            if (k == QLatin1String("display")) {
              if (val == QLatin1String("none")) v.hidden << runText.simplified();
              continue;
            }
            words.insert(runText.simplified().left(12) + u':' + k + u'=' + val);
          }
        }
        text = text.simplified();
        if (!cellText.isEmpty()) cellText.last() += text + u' ';
        if (listDepth > 0 && !text.isEmpty()) v.lists << QString::number(listDepth) + u' ' + text;
        if (!text.isEmpty()) v.props[text].insert(words.begin(), words.end());
      }
    }
  }
  return v;
}

bool Convert(const QString& soffice, const QString& profile, const QString& filter, const QString& outDir,
             const QStringList& files) {
  QProcess office;
  office.start(soffice, QStringList{QStringLiteral("-env:UserInstallation=file://") + profile,
                                    QStringLiteral("--headless"), QStringLiteral("--convert-to"), filter,
                                    QStringLiteral("--outdir"), outDir} +
                            files);
  return office.waitForFinished(600000);
}

}  // namespace

TEST(RtfOfficeRoundTrip, LibreOfficeReadsTheEngineRtfAsItReadsTheOriginal) {
  const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
  if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
  // Documents office suites wrote, with tables, lists, hidden text and the properties kept.
  const QStringList files = {
      QStringLiteral("fixtures/office-features.rtf"),
      QStringLiteral("fixtures/libreoffice-features.rtf"),
      QStringLiteral("rtf-corpus/other-striprtf/nested_table.rtf"),
      QStringLiteral("rtf-corpus/other-striprtf/calcium_score.rtf"),
      QStringLiteral("rtf-corpus/other-striprtf/Speiseplan_KW_32-33_Eybl.rtf"),
      QStringLiteral("rtf-corpus/other-striprtf/issue_29_good.rtf"),
      QStringLiteral("rtf-corpus/other-striprtf/pages_table_sample.rtf"),
      QStringLiteral("rtf-corpus/other-rtfpipe/merged_cells.rtf"),
      QStringLiteral("rtf-corpus/other-rtfpipe/nested_table_report.rtf"),
      QStringLiteral("rtf-corpus/other-rtfpipe/Issue34.rtf"),
      QStringLiteral("rtf-corpus/other-rtfpipe/phprtflite-nested_tables.rtf"),
      QStringLiteral("rtf-corpus/other-rtfjs/sample.rtf"),
      QStringLiteral("rtf-corpus/osxcart/RtfInterpreterTest_9.rtf"),
      QStringLiteral("rtf-corpus/osxcart/RtfInterpreterTest_10.rtf"),
      QStringLiteral("rtf-corpus/osxcart/p086b_table_all_alignments_with_borders.rtf"),
      QStringLiteral("rtf-corpus/libreoffice-rtfexport/listWithLgl.rtf"),
      QStringLiteral("rtf-corpus/libreoffice-rtfimport/fdo47107.rtf"),
      QStringLiteral("rtf-corpus/libreoffice-rtfimport/fdo56512.rtf"),
      QStringLiteral("rtf-corpus/other-rtfparserkit/standard-testGitHubIssue6.rtf"),
      QStringLiteral("rtf-corpus/other-rtfparserkit/text-testTextConversion.rtf"),
      // Headers and footers, endnotes, frames and shapes.
      QStringLiteral("rtf-corpus/other-rtfpipe/rtf2xml-headers_footers.rtf"),
      QStringLiteral("rtf-corpus/osxcart/p056_footnotes.rtf"),
      QStringLiteral("rtf-corpus/other-rtfpipe/AbsolutePositioning.rtf"),
      QStringLiteral("rtf-corpus/libreoffice-rtftok/pass-fdo49666.rtf"),
  };
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QDir().mkpath(dir.filePath(QStringLiteral("ours")));
  QStringList originals, ours;
  for (const QString& file : files) {
    QFile in(TestsDir() + u'/' + file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << file.toStdString();
    QTextDocument doc;
    QTextCursor c(&doc);
    ASSERT_TRUE(rtf::ReadRtf(in.readAll(), c)) << file.toStdString();
    const QString out = dir.filePath(QStringLiteral("ours/") + QFileInfo(file).fileName());
    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::WriteOnly));
    written.write(rtf::WriteRtf(doc));
    written.close();
    originals << in.fileName();
    ours << out;
  }
  const QString profile = dir.filePath(QStringLiteral("profile"));
  for (const QString& filter : {QStringLiteral("fodt"), QStringLiteral("txt:Text (encoded):UTF8")}) {
    ASSERT_TRUE(Convert(soffice, profile, filter, dir.filePath(QStringLiteral("original")), originals));
    ASSERT_TRUE(Convert(soffice, profile, filter, dir.filePath(QStringLiteral("engine")), ours));
  }
  for (const QString& file : files) {
    const QString base = QFileInfo(file).completeBaseName();
    auto view = [&](const char* sub) {
      const QString d = dir.filePath(QLatin1String(sub)) + u'/' + base;
      return Parse(d + QStringLiteral(".fodt"), d + QStringLiteral(".txt"));
    };
    const OfficeView original = view("original"), engine = view("engine");
    const std::string name = file.toStdString();
    ASSERT_FALSE(engine.text.isEmpty() && !original.text.isEmpty()) << name << ": LibreOffice could not read ours";
    EXPECT_EQ(engine.tables, original.tables) << name;
    EXPECT_EQ(engine.lists, original.lists) << name;
    EXPECT_EQ(engine.text, original.text) << name;
    EXPECT_EQ(engine.hidden, original.hidden) << name;
    EXPECT_EQ(engine.parts, original.parts) << name;
    EXPECT_EQ(engine.notes, original.notes) << name;
    // Old drawing objects' text boxes are still read as paragraphs of the text.
    if (!file.endsWith(QLatin1String("fdo56512.rtf"))) {
      EXPECT_EQ(engine.frames, original.frames) << name;
    }
    // The properties of every paragraph both have.
    for (const auto& [text, words] : original.props) {
      const auto it = engine.props.find(text);
      if (it == engine.props.end()) continue;
      EXPECT_EQ(QStringList(it->second.begin(), it->second.end()), QStringList(words.begin(), words.end()))
          << name << ": " << text.toStdString();
    }
  }
}
