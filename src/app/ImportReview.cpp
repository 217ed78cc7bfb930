#include "app/ImportReview.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

#include "platform/Question.h"
#include "rtf/PlainText.h"
#include "rtf/RtfReader.h"

namespace app {

using exchange::Choice;
using exchange::ItemKind;

namespace {

QString KindText(const exchange::PlanItem& i) {
  switch (i.kind) {
    case ItemKind::New: return QStringLiteral("Новый");
    case ItemKind::Identical: return QStringLiteral("Уже есть, такой же");
    case ItemKind::Conflict: return QStringLiteral("Отличается");
    case ItemKind::Refused: return QStringLiteral("Не принят");
  }
  return QString();
}

QString DecisionText(const exchange::PlanItem& i) {
  switch (i.kind) {
    case ItemKind::New: return QStringLiteral("Добавить под буквой %1").arg(i.letter);
    case ItemKind::Identical: return QStringLiteral("Пропустить");
    case ItemKind::Refused: return i.reason;
    case ItemKind::Conflict:
      switch (i.choice) {
        case Choice::Mine: return QStringLiteral("Оставить моё");
        case Choice::Theirs: return QStringLiteral("Взять из файла");
        case Choice::Both: return QStringLiteral("Оставить оба (новое как «%1»)").arg(i.bothName);
      }
  }
  return QString();
}

class ItemsModel : public QAbstractTableModel {
 public:
  ItemsModel(const exchange::Plan& plan, const std::vector<int>& order) : plan_(plan), order_(order) {}
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(order_.size()); }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    const exchange::PlanItem& i = plan_.items[order_[size_t(index.row())]];
    if (role == Qt::DisplayRole) {
      switch (index.column()) {
        case 0: return i.incoming.name;
        case 1: return KindText(i);
        case 2: return DecisionText(i);
      }
    }
    if (role == Qt::FontRole && i.kind == ItemKind::Conflict && index.column() == 1) {
      QFont f;
      f.setBold(true);
      return f;
    }
    if (role == Qt::ToolTipRole) return i.incoming.where;
    return {};
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char16_t* const titles[] = {u"Термин", u"В словаре", u"Что будет"};
    return QString::fromUtf16(titles[section]);
  }
  void Changed() { emit dataChanged(index(0, 2), index(rowCount({}) - 1, 2)); }
  void Reset() {
    beginResetModel();
    endResetModel();
  }

 private:
  const exchange::Plan& plan_;
  const std::vector<int>& order_;
};

// A definition as it looks: its stored form when there is one, else its text.
void ShowDefinition(QTextEdit* view, const QByteArray& stored, const QString& text) {
  view->clear();
  if (!stored.isEmpty() && rtf::LooksLikeRtf(stored)) {
    QTextCursor c(view->document());
    if (rtf::ReadRtf(stored, c)) return;
  }
  QTextCursor c(view->document());
  rtf::InsertPlainText(stored.isEmpty() ? text : exchange::DefinitionText(stored), c);
}

}  // namespace

// The worker's state: written by the worker until `done`, read by the window after it.
struct TImportReview::Loader {
  std::atomic<bool> stop{false};
  std::atomic<bool> done{false};
  std::atomic<int> percent{0};
  bool ok = false;
  QString error;
  exchange::Plan plan;
  std::thread thread;
  ~Loader() {
    stop = true;
    if (thread.joinable()) thread.join();
  }
};

TImportReview::TImportReview(exchange::Plan plan, const QString& fileName, QWidget* parent)
    : QDialog(parent), plan_(std::move(plan)) {
  Build(fileName);
  Install();
}

TImportReview::TImportReview(const QString& folder, const QString& path, QWidget* parent) : QDialog(parent) {
  Build(path);
  Summary->setText(QStringLiteral("Чтение файла и сравнение со словарём…"));
  Progress->show();
  ImportButton->setEnabled(false);
  for (QRadioButton* b : {KeepMine, TakeTheirs, KeepBoth}) b->setEnabled(false);
  loader_ = std::make_unique<Loader>();
  Loader* l = loader_.get();
  l->thread = std::thread([l, folder, path] {
    // Reading takes most of the time; planning the rest.
    exchange::Document doc;
    l->ok = exchange::ReadExchangeFile(path, &doc, &l->error, [l](int percent) {
              l->percent = percent * 9 / 10;
              return !l->stop;
            }) &&
            exchange::MakePlan(folder, doc, &l->plan, &l->error, [l] { return !l->stop; });
    l->done.store(true, std::memory_order_release);
  });
  // Only TBX files report how far reading got.
  if (exchange::FormatOfPath(path) != exchange::Format::Tbx) Progress->setRange(0, 0);
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, [this, timer] {
    Poll();
    if (!loader_) timer->stop();
  });
  timer->start(50);
}

void TImportReview::Poll() {
  if (!loader_) return;
  if (!loader_->done.load(std::memory_order_acquire)) {
    Progress->setValue(loader_->percent);
    return;
  }
  std::unique_ptr<Loader> l = std::move(loader_);
  l->thread.join();
  Progress->hide();
  if (!l->ok) {
    loadError_ = l->error.isEmpty() ? QStringLiteral("Чтение файла остановлено.") : l->error;
    Summary->setText(QStringLiteral("Файл не может быть импортирован; ничего не сохранено.\n%1").arg(loadError_));
    CancelButton->setText(QStringLiteral("Закрыть"));
    return;
  }
  plan_ = std::move(l->plan);
  Install();
}

void TImportReview::Install() {
  // Conflicts first: they are what needs the user.
  order_.clear();
  for (const ItemKind kind : {ItemKind::Conflict, ItemKind::New, ItemKind::Refused, ItemKind::Identical})
    for (int i = 0; i < plan_.items.size(); ++i)
      if (plan_.items[i].kind == kind) order_.push_back(i);
  QString summary = QStringLiteral("В файле %1 терминов: новых — %2, отличаются от словаря — %3, такие же — %4, не приняты — %5.")
                        .arg(plan_.items.size())
                        .arg(plan_.Count(ItemKind::New))
                        .arg(plan_.Count(ItemKind::Conflict))
                        .arg(plan_.Count(ItemKind::Identical))
                        .arg(plan_.Count(ItemKind::Refused));
  for (const QString& n : plan_.notes) summary += QLatin1Char('\n') + n;
  Summary->setText(summary);
  static_cast<ItemsModel*>(model_.get())->Reset();
  if (!order_.empty()) SelectRow(0);
  ShowItem(order_.empty() ? -1 : 0);
  ImportButton->setEnabled(plan_.Count(ItemKind::New) + plan_.Count(ItemKind::Conflict) > 0);
}

void TImportReview::Build(const QString& fileName) {
  setWindowTitle(QStringLiteral("Импорт терминов — %1").arg(QFileInfo(fileName).fileName()));
  Summary = new QLabel(this);
  Summary->setWordWrap(true);
  Progress = new QProgressBar(this);
  Progress->setRange(0, 100);
  Progress->hide();

  model_ = std::make_unique<ItemsModel>(plan_, order_);
  Items = new QTableView(this);
  Items->setObjectName(QStringLiteral("Items"));
  Items->setModel(model_.get());
  Items->setSelectionBehavior(QAbstractItemView::SelectRows);
  Items->setSelectionMode(QAbstractItemView::SingleSelection);
  Items->verticalHeader()->hide();
  Items->verticalHeader()->setDefaultSectionSize(Items->fontMetrics().height() + 6);
  Items->horizontalHeader()->setStretchLastSection(true);
  Items->setColumnWidth(0, 240);
  Items->setColumnWidth(1, 150);

  MineCaption = new QLabel(QStringLiteral("В словаре:"), this);
  TheirsCaption = new QLabel(QStringLiteral("В файле:"), this);
  Mine = new QTextEdit(this);
  Theirs = new QTextEdit(this);
  for (QTextEdit* e : {Mine, Theirs}) {
    e->setReadOnly(true);
    e->document()->setDefaultFont(QFont(QStringLiteral("Verdana"), 10));
  }
  KeepMine = new QRadioButton(QStringLiteral("Оставить &моё"), this);
  TakeTheirs = new QRadioButton(QStringLiteral("Взять из &файла"), this);
  KeepBoth = new QRadioButton(QStringLiteral("Оставить &оба"), this);
  auto* group = new QButtonGroup(this);
  group->addButton(KeepMine);
  group->addButton(TakeTheirs);
  group->addButton(KeepBoth);
  SameForAll = new QCheckBox(QStringLiteral("То же для &всех конфликтов"), this);

  auto* sides = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(MineCaption);
  left->addWidget(Mine);
  auto* right = new QVBoxLayout;
  right->addWidget(TheirsCaption);
  right->addWidget(Theirs);
  sides->addLayout(left);
  sides->addLayout(right);
  auto* choices = new QHBoxLayout;
  choices->addWidget(KeepMine);
  choices->addWidget(TakeTheirs);
  choices->addWidget(KeepBoth);
  choices->addStretch();
  choices->addWidget(SameForAll);

  auto* buttons = new QDialogButtonBox(this);
  ImportButton = buttons->addButton(QStringLiteral("&Импортировать"), QDialogButtonBox::AcceptRole);
  CancelButton = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
  ImportButton->setDefault(true);

  auto* lower = new QWidget(this);
  auto* lowerLayout = new QVBoxLayout(lower);
  lowerLayout->setContentsMargins(0, 0, 0, 0);
  lowerLayout->addLayout(sides);
  lowerLayout->addLayout(choices);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(Items);
  split->addWidget(lower);
  split->setStretchFactor(0, 2);
  split->setStretchFactor(1, 3);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Summary);
  layout->addWidget(Progress);
  layout->addWidget(split, 1);
  layout->addWidget(buttons);
  resize(900, 640);

  connect(Items->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& now) { ShowItem(now.row()); });
  connect(KeepMine, &QRadioButton::clicked, this, [this] { Choose(Choice::Mine); });
  connect(TakeTheirs, &QRadioButton::clicked, this, [this] { Choose(Choice::Theirs); });
  connect(KeepBoth, &QRadioButton::clicked, this, [this] { Choose(Choice::Both); });
  connect(SameForAll, &QCheckBox::toggled, this, [this](bool on) {
    if (on && current_ >= 0 && plan_.items[current_].kind == ItemKind::Conflict) Choose(plan_.items[current_].choice);
  });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    QString message;
    if (Import(&message)) {
      platform::Inform(message, QStringLiteral("Импорт терминов"), platform::Icon::Information, this);
      accept();
    } else if (!message.isEmpty()) {
      platform::ShowError(message, QStringLiteral("Импорт терминов"), this);
    }
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TImportReview::~TImportReview() = default;

void TImportReview::SelectRow(int row) {
  Items->selectionModel()->setCurrentIndex(model_->index(row, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TImportReview::ShowItem(int row) {
  current_ = row < 0 || row >= int(order_.size()) ? -1 : order_[size_t(row)];
  if (current_ < 0) {
    Mine->clear();
    Theirs->clear();
    RefreshChoices();
    return;
  }
  const exchange::PlanItem& i = plan_.items[current_];
  const bool mine = i.kind == ItemKind::Conflict || i.kind == ItemKind::Identical;
  MineCaption->setText(mine ? QStringLiteral("В словаре: %1").arg(i.mineName) : QStringLiteral("В словаре: нет"));
  TheirsCaption->setText(QStringLiteral("В файле: %1").arg(i.incoming.name));
  if (mine)
    ShowDefinition(Mine, i.mine, QString());
  else
    Mine->clear();
  ShowDefinition(Theirs, i.incoming.rtf, i.incoming.text);
  RefreshChoices();
}

void TImportReview::RefreshChoices() {
  const bool conflict = current_ >= 0 && plan_.items[current_].kind == ItemKind::Conflict;
  for (QRadioButton* b : {KeepMine, TakeTheirs, KeepBoth}) b->setEnabled(conflict);
  if (!conflict) return;
  const Choice c = plan_.items[current_].choice;
  KeepMine->setChecked(c == Choice::Mine);
  TakeTheirs->setChecked(c == Choice::Theirs);
  KeepBoth->setChecked(c == Choice::Both);
  KeepBoth->setToolTip(QStringLiteral("Термин из файла будет добавлен как «%1»").arg(plan_.items[current_].bothName));
}

void TImportReview::Choose(Choice choice) {
  if (SameForAll->isChecked())
    exchange::ChooseForAll(&plan_, choice);
  else if (current_ >= 0 && plan_.items[current_].kind == ItemKind::Conflict)
    plan_.items[current_].choice = choice;
  static_cast<ItemsModel*>(model_.get())->Changed();
  RefreshChoices();
}

bool TImportReview::Import(QString* message) {
  if (loader_ || !loadError_.isEmpty()) return false;
  QProgressDialog progress(QStringLiteral("Импорт терминов…"), QStringLiteral("Отмена"), 0, 100, this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  bool cancelled = false;
  exchange::ImportSummary summary;
  QString error;
  const bool ok = exchange::ApplyPlan(plan_, &summary, &error, [&](int done, int total) {
    if ((done & 63) == 0 || done == total) {
      progress.setMaximum(total);
      progress.setValue(done);
      QApplication::processEvents();
    }
    cancelled = progress.wasCanceled();
    return !cancelled;
  });
  progress.reset();
  if (ok) {
    *message = QStringLiteral("Добавлено новых терминов: %1, заменено определений: %2, добавлено под новым именем: %3, "
                              "оставлено как было: %4, пропущено одинаковых: %5, не принято: %6.")
                   .arg(summary.added)
                   .arg(summary.replaced)
                   .arg(summary.keptBoth)
                   .arg(summary.keptMine)
                   .arg(summary.identical)
                   .arg(summary.refused);
    return true;
  }
  *message = cancelled ? QStringLiteral("Импорт остановлен; ничего не сохранено.") : error;
  return false;
}

}  // namespace app
