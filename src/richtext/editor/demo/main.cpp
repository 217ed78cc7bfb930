// Tries the find, replace, paragraph and tab dialogs on a rich edit control.
//   termora-dialogs-demo            a window with the control and a button per dialog
//   termora-dialogs-demo --shots D  saves a picture of each dialog into folder D and quits
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/FindReplaceDialog.h"
#include "richtext/editor/qvrchdlg.h"
#include "richtext/editor/qvrichtb.h"
#include "engine/RichEngine.h"
#include "richtext/qvriched.h"

using namespace richtext;

namespace {
const char kSample[] =
    "Пчелиная семья — сложный биологический организм. Ёмкость улья и сила семьи связаны.\r"
    "Воск выделяют восковые железы рабочих пчёл; воск идёт на постройку сотов.\r"
    "Frame\tsuper\tbrood\r"
    "Honey, wax and propolis: the hive gives honey, the comb gives wax.";

void Save(QWidget* W, const QString& Folder, const QString& Name) {
  W->grab().save(QDir(Folder).filePath(Name + QStringLiteral(".png")));
}

// Grabs the modal dialog the call brings up, then cancels it.
void ShotOfModal(const std::function<bool()>& Open, const QString& Folder, const QString& Name) {
  QTimer::singleShot(300, [=] {
    if (auto* D = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      Save(D, Folder, Name);
      D->reject();
    }
  });
  Open();
}
}  // namespace

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  InstallParagraphDialog();
  InstallTabDialog();

  QWidget Window;
  Window.setWindowTitle(QStringLiteral("Dialogs"));
  auto* Edit = new TqvCustomRichEdit(&Window);
  auto* Layout = new QVBoxLayout(&Window);
  auto* Buttons = new QHBoxLayout;
  Layout->addLayout(Buttons);
  Layout->addWidget(Edit, 1);
  Window.resize(640, 360);
  Edit->HandleNeeded();
  Edit->SetText(QString::fromUtf8(kSample));
  const int Tabs[] = {720, 1440, 2160};
  Edit->SetSelStart(Edit->Engine()->Text().indexOf(QStringLiteral("Frame")));
  Edit->SetParagraphFormat(pmTabStops, QString(), 0, 0, 0, 0, Tabs, 3, 0, 0, 0, false);
  Edit->SetSelStart(0);

  auto AddButton = [&](const QString& Caption, const QKeySequence& Key, std::function<void()> Act) {
    auto* B = new QPushButton(Caption, &Window);
    Buttons->addWidget(B);
    QObject::connect(B, &QPushButton::clicked, &Window, Act);
    if (!Key.isEmpty()) QObject::connect(new QShortcut(Key, &Window), &QShortcut::activated, &Window, Act);
  };
  AddButton(QStringLiteral("&Find"), QKeySequence(QStringLiteral("Ctrl+F")), [Edit] { Edit->ShowFindDialog(); });
  AddButton(QStringLiteral("Find &Next"), QKeySequence(Qt::Key_F3), [Edit] {
    if (!Edit->LastFindText().isEmpty()) Edit->FindNext();
  });
  AddButton(QStringLiteral("R&eplace"), QKeySequence(QStringLiteral("Ctrl+H")), [Edit] { Edit->ShowReplaceDialog(); });
  AddButton(QStringLiteral("&Paragraph..."), {}, [Edit] { Edit->ShowParagraphDialog(); });
  AddButton(QStringLiteral("&Tabs..."), {}, [Edit] { Edit->ShowTabsDialog(); });
  auto* Centimetres = new QCheckBox(QStringLiteral("&Centimetres"), &Window);
  Buttons->addWidget(Centimetres);
  QObject::connect(Centimetres, &QCheckBox::toggled, &Window,
                   [Edit](bool On) { Edit->SetMeasurementUnits(On ? muCentimeters : muInches); });
  Buttons->addStretch(1);
  Window.show();

  const QStringList Args = App.arguments();
  const int ShotsAt = int(Args.indexOf(QStringLiteral("--shots")));
  if (ShotsAt < 0 || ShotsAt + 1 >= Args.size()) return App.exec();

  const QString Folder = Args[ShotsAt + 1];
  QDir().mkpath(Folder);
  QTimer::singleShot(300, [&] {
    Save(&Window, Folder, QStringLiteral("window"));
    Edit->SetSelStart(Edit->Engine()->Text().indexOf(QStringLiteral("воск")));
    Edit->SetSelLength(4);
    Edit->ShowFindDialog();
    QTimer::singleShot(300, [&] {
      Save(Edit->FindDialog(), Folder, QStringLiteral("find"));
      Edit->FindDialog()->FindNextButton()->click();
      Save(&Window, Folder, QStringLiteral("found"));
      Edit->FindDialog()->reject();
      Edit->ShowReplaceDialog();
      QTimer::singleShot(300, [&] {
        Save(Edit->ReplaceDialog(), Folder, QStringLiteral("replace"));
        Edit->ReplaceDialog()->reject();
        Edit->SetSelStart(0);
        ShotOfModal([Edit] { return Edit->ShowParagraphDialog(); }, Folder, QStringLiteral("paragraph"));
        Edit->SetSelStart(Edit->Engine()->Text().indexOf(QStringLiteral("Frame")));
        ShotOfModal([Edit] { return Edit->ShowTabsDialog(); }, Folder, QStringLiteral("tabs"));
        App.quit();
      });
    });
  });
  return App.exec();
}
