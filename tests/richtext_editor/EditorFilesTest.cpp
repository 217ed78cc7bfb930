// Loading into and saving from the editor window: RTF and plain text by the chosen filter, the
// question before replacing a file, and files that cannot be read or written.
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>

#include "tests/richtext_editor/EditorFixture.h"

using namespace engine;
using namespace richtext;

namespace {

QByteArray ReadFile(const QString& Path) {
  QFile F(Path);
  return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& Path, const QByteArray& Bytes) {
  QFile F(Path);
  ASSERT_TRUE(F.open(QIODevice::WriteOnly));
  F.write(Bytes);
}

// Answers the file dialogs with a chosen file and filter, and puts the real ones back after.
class ScriptedDialogs {
 public:
  ScriptedDialogs() : saved_(EditorDialogs()) {
    EditorDialogs().Open = [this](QWidget*, const QString& Filter, int& Index) {
      Filters << Filter;
      Index = OpenIndex;
      return OpenFile;
    };
    EditorDialogs().Save = [this](QWidget*, const QString& Filter, const QString& Ext, int& Index) {
      Filters << Filter;
      DefaultExt = Ext;
      Index = SaveIndex;
      return SaveFile;
    };
  }
  ~ScriptedDialogs() { EditorDialogs() = saved_; }
  QString OpenFile, SaveFile, DefaultExt;
  int OpenIndex = 1, SaveIndex = 1;
  QStringList Filters;

 private:
  TqvEditorDialogs saved_;
};

class EditorFiles : public ::testing::Test {
 protected:
  EditorFiles() {
    Edit.resize(400, 200);
    Edit.HandleNeeded();
    Edit.EngineLines().LoadFromBytes(Rtf("{\\b Bold} and plain"));
    TqvRichEditOptions O = Edit.EditorOptions();
    Edit.SetEditorOptions(O.Include(reoShowLoad).Include(reoShowSaveAs));
  }
  QString Path(const char* Name) const { return Dir.filePath(QString::fromLatin1(Name)); }

  QTemporaryDir Dir;
  TqvDBRichEdit Edit;
  ScriptedDialogs Dialogs;
  TestQuestions Questions;
};

}  // namespace

TEST_F(EditorFiles, SavesRtfOrPlainTextByTheFilterAndTheEditorKeepsItsFormatting) {
  RunEditor(Edit, [&](TqvRichEditForm& F) {
    Dialogs.SaveFile = Path("def.rtf");
    F.SaveAs1Click();
    Dialogs.SaveFile = Path("def.txt");
    Dialogs.SaveIndex = 2;
    F.SaveAs1Click();
    Select(*F.RichEdit1, 0, 4);
    EXPECT_TRUE(F.RichEdit1->SelAttributes().Style() & fsBold);
    EXPECT_FALSE(F.RichEdit1->PlainText());
    F.Exit1Click();
  });
  EXPECT_EQ(Dialogs.Filters.value(0), QStringLiteral("Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT"));
  EXPECT_EQ(Dialogs.DefaultExt, QStringLiteral("rtf"));
  EXPECT_TRUE(ReadFile(Path("def.rtf")).startsWith("{\\rtf1"));
  EXPECT_TRUE(ReadFile(Path("def.rtf")).contains("\\b"));
  EXPECT_EQ(ReadFile(Path("def.txt")).trimmed(), QByteArray("Bold and plain"));
  EXPECT_TRUE(Questions.asked.empty());
}

TEST_F(EditorFiles, ReplacingAFileNeedsAYes) {
  WriteFile(Path("old.rtf"), "old contents");
  Questions.answers = {platform::idNo, platform::idCancel, platform::idYes};
  RunEditor(Edit, [&](TqvRichEditForm& F) {
    Dialogs.SaveFile = Path("old.rtf");
    F.SaveAs1Click();
    EXPECT_EQ(ReadFile(Path("old.rtf")), QByteArray("old contents"));
    F.SaveAs1Click();
    EXPECT_EQ(ReadFile(Path("old.rtf")), QByteArray("old contents"));
    F.SaveAs1Click();
    F.Exit1Click();
  });
  ASSERT_EQ(Questions.asked.size(), 3u);
  EXPECT_EQ(Questions.asked[0].text, QStringLiteral("OK to overwrite %1").arg(Path("old.rtf")));
  EXPECT_EQ(Questions.asked[0].buttons, platform::Buttons::YesNoCancel);
  EXPECT_TRUE(ReadFile(Path("old.rtf")).startsWith("{\\rtf1"));
}

TEST_F(EditorFiles, LoadsRtfAndAnythingElseAsPlainTextAndALoadIsAChangeHandedBack) {
  WriteFile(Path("in.rtf"), Rtf("{\\i Loaded} text"));
  WriteFile(Path("in.txt"), "first line\r\n{not rtf}\r\n");
  RunEditor(Edit, [&](TqvRichEditForm& F) {
    Dialogs.OpenFile = Path("in.rtf");
    F.Load1Click();
    EXPECT_EQ(F.RichEdit1->Text(), QStringLiteral("Loaded text"));
    Select(*F.RichEdit1, 0, 6);
    EXPECT_TRUE(F.RichEdit1->SelAttributes().Style() & fsItalic);
    EXPECT_TRUE(F.RichEdit1->Modified());
    Dialogs.OpenFile = Path("in.txt");
    Dialogs.OpenIndex = 2;
    F.Load1Click();
    EXPECT_EQ(F.RichEdit1->Text(), QStringLiteral("first line\r\n{not rtf}\r\n"));
    F.SaveExit1Click();
  });
  EXPECT_EQ(Edit.Text(), QStringLiteral("first line\r\n{not rtf}\r\n"));
  EXPECT_TRUE(Edit.Modified());
}

TEST_F(EditorFiles, AFileThatCannotBeReadOrWrittenIsReportedAndNothingIsLost) {
  WriteFile(Path("blocker"), "a file where a folder should be");
  WriteFile(Path("kept.rtf"), "kept");
  RunEditor(Edit, [&](TqvRichEditForm& F) {
    Dialogs.OpenFile = Path("missing.rtf");
    F.Load1->trigger();
    EXPECT_EQ(F.RichEdit1->Text(), QStringLiteral("Bold and plain"));
    EXPECT_FALSE(F.RichEdit1->Modified());
    Dialogs.SaveFile = Path("blocker") + QStringLiteral("/out.rtf");
    F.SaveAs1->trigger();
    EXPECT_TRUE(F.isVisible());
    F.Exit1Click();
  });
  ASSERT_EQ(Questions.asked.size(), 2u);
  EXPECT_TRUE(Questions.asked[0].text.contains(QStringLiteral("missing.rtf"))) << Questions.asked[0].text.toStdString();
  EXPECT_TRUE(Questions.asked[1].text.contains(QStringLiteral("out.rtf"))) << Questions.asked[1].text.toStdString();
  EXPECT_EQ(ReadFile(Path("kept.rtf")), QByteArray("kept"));
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), 2);  // no half-written file left
}

TEST_F(EditorFiles, TheHostCanTakeOverLoadAndSave) {
  int Calls = 0;
  Edit.OnMenuLoadClick = [&](QWidget*, TqvCustomRichEdit*, bool& DoDefault) {
    ++Calls;
    DoDefault = false;
  };
  Edit.OnMenuSaveAsClick = Edit.OnMenuLoadClick;
  RunEditor(Edit, [&](TqvRichEditForm& F) {
    F.Load1Click();
    F.SaveAs1Click();
    F.Exit1Click();
  });
  EXPECT_EQ(Calls, 2);
  EXPECT_TRUE(Dialogs.Filters.isEmpty());  // no dialog ran
}

TEST_F(EditorFiles, ALargeFileLoadsUnderAProgressWindowWhichCanStopTheReading) {
  QByteArray Body;
  while (Body.size() < 3 * 1024 * 1024) Body += "{\\b Apis} mellifera carnica, a gentle and thrifty bee.\\par\n";
  WriteFile(Path("big.rtf"), "{\\rtf1\\ansi " + Body + "}");
  // Whether a progress window was up, and its label once the reading was done.
  auto Watch = [](TqvRichEditForm& F, bool Cancel, QString& Label) {
    auto* Timer = new QTimer(&F);
    QObject::connect(Timer, &QTimer::timeout, &F, [&F, Timer, Cancel, &Label] {
      auto* P = F.findChild<QProgressDialog*>();
      if (P == nullptr || !P->isVisible()) return;
      Label = P->labelText();
      if (Cancel) {
        P->cancel();
        Timer->stop();
      }
    });
    Timer->start(0);
    return Timer;
  };
  RunEditor(Edit, [&](TqvRichEditForm& F) {
    Dialogs.OpenFile = Path("big.rtf");
    QString Label;
    QTimer* T = Watch(F, true, Label);
    F.Load1Click();
    delete T;
    EXPECT_TRUE(Label.contains("big.rtf"));
    EXPECT_EQ(F.RichEdit1->Text(), QStringLiteral("Bold and plain"));  // stopped: nothing changed
    EXPECT_FALSE(F.RichEdit1->Modified());

    Label.clear();
    T = Watch(F, false, Label);
    F.Load1Click();
    delete T;
    // Up until the document is built, saying what it waits for.
    EXPECT_TRUE(Label.startsWith("Reading the document \"big.rtf\"")) << Label.toStdString();
    EXPECT_TRUE(F.RichEdit1->Text().startsWith("Apis mellifera carnica"));
    EXPECT_GT(F.RichEdit1->GetTextLen(), 2 * 1024 * 1024);
    EXPECT_EQ(F.findChild<QProgressDialog*>(), nullptr);  // gone once the text is in
    EXPECT_TRUE(F.RichEdit1->Modified());
    F.RichEdit1->SetModified(false);
    F.Exit1Click();
  });
}
