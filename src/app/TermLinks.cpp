#include "app/TermLinks.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>

#include "app/SearchSource.h"
#include "data/DataSet.h"
#include "engine/RichEngine.h"
#include "platform/Question.h"
#include "richtext/qvriched.h"
#include "rtf/DefinitionText.h"
#include "rtf/TermLinks.h"
#include "search/IndexService.h"

namespace app {

namespace {

constexpr int kChooserRows = 50;
constexpr int kTipChars = 160;

// The first line of a definition with text, cut to a tooltip's length.
QString FirstLine(const QByteArray& definition) {
  const QStringList lines = rtf::DefinitionText(definition).split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
  for (const QString& l : lines) {
    const QString t = l.simplified();
    if (t.isEmpty()) continue;
    return t.size() > kTipChars ? t.left(kTipChars - 1) + QChar(0x2026) : t;
  }
  return QString();
}

int RecordOf(data::TTable* t, data::TField* key, qint64 value) {
  for (int i = 0; i < t->RowCount(); ++i)
    if (t->RowValue(i, key).toLongLong() == value) return i + 1;
  return 0;
}

}  // namespace

// ---- the chooser --------------------------------------------------------------------------------

TLinkChooser::TLinkChooser(search::IndexService* service, std::function<QString(qint64)> nameOf, const QString& words,
                           QWidget* parent)
    : QDialog(parent), service_(service), nameOf_(std::move(nameOf)) {
  setObjectName(QStringLiteral("LinkChooser"));
  setWindowTitle(QStringLiteral("Ссылка на термин"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Термин, на который ведёт ссылка «%1»:").arg(words), this));
  field_ = new QLineEdit(words, this);
  field_->setObjectName(QStringLiteral("LinkChooserField"));
  layout->addWidget(field_);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("LinkChooserList"));
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Chosen() != 0) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(field_, &QLineEdit::textChanged, this, [this] { Refresh(); });
  connect(list_, &QListWidget::itemActivated, this, [this] {
    if (Chosen() != 0) accept();
  });
  // Up and Down in the field move through the list, as in the search's results.
  field_->installEventFilter(this);
  resize(360, 320);
  Refresh();
}

bool TLinkChooser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == field_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Down || key == Qt::Key_Up) && list_->count() > 0) {
      const int row = std::clamp(list_->currentRow() + (key == Qt::Key_Down ? 1 : -1), 0, list_->count() - 1);
      list_->setCurrentRow(row);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

qint64 TLinkChooser::Chosen() const {
  const QListWidgetItem* i = list_->currentItem();
  return i ? i->data(Qt::UserRole).toLongLong() : 0;
}

void TLinkChooser::Refresh() {
  list_->clear();
  if (!service_) return;
  const search::FindResult r = service_->Find(field_->text());
  for (const search::Hit& h : r.hits) {
    if (list_->count() >= kChooserRows) break;
    const QString name = nameOf_(h.id);
    if (name.isEmpty()) continue;
    auto* item = new QListWidgetItem(name, list_);
    item->setData(Qt::UserRole, h.id);
  }
  if (list_->count() > 0) list_->setCurrentRow(0);
}

// ---- links --------------------------------------------------------------------------------------

TTermLinks::TTermLinks(const QString& folder, const LinkTargets& targets, search::IndexService* service, QObject* parent)
    : QObject(parent), folder_(folder), targets_(targets), service_(service) {}

std::optional<data::TermRow> TTermLinks::Read(qint64 key) {
  if (key <= 0) return std::nullopt;
  if (!reader_.IsOpen() && !reader_.Open(folder_).Ok()) return std::nullopt;
  data::TermRow row;
  const data::StoreResult r = reader_.Read(key, &row);
  if (!r.Ok()) {
    // A connection that failed is opened again next time.
    if (r.status != data::StoreStatus::Gone) reader_.Close();
    return std::nullopt;
  }
  return row;
}

QString TTermLinks::NameOf(qint64 key) {
  const std::optional<data::TermRow> row = Read(key);
  return row ? row->word : QString();
}

qint64 TTermLinks::CurrentTerm() const {
  data::TTable* d = targets_.detail;
  if (!d || !d->Active() || d->IsEmpty()) return 0;
  return targets_.detailKey->IsNull() ? 0 : targets_.detailKey->AsInteger();
}

QString TTermLinks::ChooseLink(const QString& words) {
  TLinkChooser chooser(service_, [this](qint64 key) { return NameOf(key); }, words, targets_.window);
  if (RunDialog(&chooser) != QDialog::Accepted) return QString();
  const qint64 key = chooser.Chosen();
  return key > 0 ? rtf::TermLinkHref(key) : QString();
}

bool TTermLinks::IsBroken(const QString& target) {
  if (!rtf::IsTermLink(target)) return false;
  const qint64 key = rtf::TermLinkKey(target);
  if (key <= 0) return true;
  if (auto it = exists_.constFind(key); it != exists_.constEnd()) return !it.value();
  const bool exists = Read(key).has_value();
  exists_.insert(key, exists);
  return !exists;
}

QString TTermLinks::ToolTip(const QString& target) {
  if (!rtf::IsTermLink(target)) return QString();
  const std::optional<data::TermRow> row = Read(rtf::TermLinkKey(target));
  if (!row) return QStringLiteral("Ссылка ведёт на термин, которого нет в словаре");
  const QString line = FirstLine(row->definition);
  return line.isEmpty() ? row->word : row->word + QStringLiteral("\n") + line;
}

bool TTermLinks::Follow(const QString& target) {
  // Only our own links are followed: no other target starts another program from here.
  if (!rtf::IsTermLink(target)) return true;
  const qint64 key = rtf::TermLinkKey(target);
  if (key <= 0 || !Read(key)) {
    exists_.insert(key, false);
    if (auto* e = targets_.definition ? targets_.definition->Handle() : nullptr) e->RefreshLinks();
    platform::Inform(QStringLiteral("Ссылка ведёт на термин, которого нет в словаре: его удалили."),
                     platform::ApplicationTitle(), platform::Icon::Information, targets_.window);
    return true;
  }
  GoToTerm(key);
  return true;
}

bool TTermLinks::GoToTerm(qint64 key, bool remember) {
  const qint64 from = CurrentTerm();
  if (key == from && key != 0) return true;
  const std::optional<data::TermRow> row = Read(key);
  if (!row) {
    platform::Inform(QStringLiteral("Этого термина больше нет в словаре."), platform::ApplicationTitle(),
                     platform::Icon::Information, targets_.window);
    return false;
  }
  data::TTable* master = targets_.master;
  data::TTable* detail = targets_.detail;
  bool landed = false;
  platform::Guarded(
      [&] {
        // A pending edit ends first, by the usual rules; a refused post throws and the user stays.
        detail->CheckBrowseMode();
        const int letter = RecordOf(master, targets_.masterKey, row->letter);
        if (letter == 0) return;
        master->SetRecNo(letter);
        if (master->RecNo() != letter) return;
        const int term = RecordOf(detail, targets_.detailKey, key);
        if (term == 0) return;
        detail->SetRecNo(term);
        landed = detail->RecNo() == term;
      },
      targets_.window);
  if (landed && remember && from != 0) {
    back_.push_back(from);
    forward_.clear();
  }
  return landed;
}

bool TTermLinks::Back() {
  if (back_.empty()) return false;
  const qint64 here = CurrentTerm();
  const qint64 to = back_.back();
  if (!GoToTerm(to, false)) {
    // Gone or refused: a term no longer there is dropped from the way back, a refusal keeps it.
    if (!Read(to)) back_.pop_back();
    return false;
  }
  back_.pop_back();
  if (here != 0) forward_.push_back(here);
  return true;
}

bool TTermLinks::Forward() {
  if (forward_.empty()) return false;
  const qint64 here = CurrentTerm();
  const qint64 to = forward_.back();
  if (!GoToTerm(to, false)) {
    if (!Read(to)) forward_.pop_back();
    return false;
  }
  forward_.pop_back();
  if (here != 0) back_.push_back(here);
  return true;
}

std::vector<search::LinkingTerm> TTermLinks::LinksHere(qint64 key) {
  std::vector<search::LinkingTerm> terms;
  QString error;
  if (service_ && key > 0) service_->LinksTo(key, &terms, nullptr, &error);
  return terms;
}

void TTermLinks::ShowLinksHere() {
  const qint64 key = CurrentTerm();
  if (key == 0) return;
  const std::vector<search::LinkingTerm> terms = LinksHere(key);
  QDialog d(targets_.window);
  d.setObjectName(QStringLiteral("LinksHere"));
  d.setWindowTitle(QStringLiteral("Ссылки сюда: %1").arg(NameOf(key)));
  auto* layout = new QVBoxLayout(&d);
  auto* label = new QLabel(terms.empty() ? QStringLiteral("Ни один термин не ссылается на этот.")
                                         : QStringLiteral("Терминов, ссылающихся на этот: %1").arg(terms.size()),
                           &d);
  layout->addWidget(label);
  auto* list = new QListWidget(&d);
  list->setObjectName(QStringLiteral("LinksHereList"));
  for (const search::LinkingTerm& t : terms) {
    auto* item = new QListWidgetItem(t.word, list);
    item->setData(Qt::UserRole, t.id);
  }
  if (list->count() > 0) list->setCurrentRow(0);
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &d);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  connect(list, &QListWidget::itemActivated, &d, [&d] { d.accept(); });
  d.resize(320, 300);
  if (RunDialog(&d) != QDialog::Accepted || !list->currentItem()) return;
  GoToTerm(list->currentItem()->data(Qt::UserRole).toLongLong());
}

std::vector<search::Mention> TTermLinks::Mentions() {
  std::vector<search::Mention> out;
  richtext::TqvCustomRichEdit* edit = targets_.definition;
  if (!edit || !edit->HandleAllocated() || !service_) return out;
  if (!finderFilled_) {
    std::vector<std::pair<qint64, QString>> names;
    QString error;
    if (!service_->Names(&names, &error)) return out;
    finder_.Clear();
    for (const auto& [id, name] : names) finder_.Add(id, name);
    finderFilled_ = true;
  }
  engine::TRichEngine* e = edit->Handle();
  const QString text = e->Text();
  // What the definition already links to, and where its links are.
  std::vector<qint64> linked;
  std::vector<std::pair<int, int>> links;
  for (int p = 0; p < text.size();) {
    engine::CHARRANGE r;
    const QString t = e->LinkTargetAt(p, &r);
    if (t.isEmpty()) {
      ++p;
      continue;
    }
    if (const qint64 k = rtf::TermLinkKey(t); k > 0) linked.push_back(k);
    links.emplace_back(r.cpMin, r.cpMax);
    p = std::max(p + 1, int(r.cpMax));
  }
  for (const search::Mention& m : finder_.Find(text, CurrentTerm(), links))
    if (std::find(linked.begin(), linked.end(), m.term) == linked.end()) out.push_back(m);
  return out;
}

void TTermLinks::FindMentions() {
  richtext::TqvCustomRichEdit* edit = targets_.definition;
  if (!edit || edit->GetReadOnly()) return;
  const std::vector<search::Mention> found = Mentions();
  if (found.empty()) {
    platform::Inform(QStringLiteral("В определении не найдено упоминаний других терминов без ссылки."),
                     platform::ApplicationTitle(), platform::Icon::Information, targets_.window);
    return;
  }
  engine::TRichEngine* e = edit->Handle();
  const QString text = e->Text();
  QDialog d(targets_.window);
  d.setObjectName(QStringLiteral("FindMentions"));
  d.setWindowTitle(QStringLiteral("Упоминания других терминов"));
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(new QLabel(QStringLiteral("Слова, которые называют другие термины. Отметьте, какие сделать ссылками:"), &d));
  auto* list = new QListWidget(&d);
  list->setObjectName(QStringLiteral("MentionsList"));
  for (const search::Mention& m : found) {
    auto* item = new QListWidgetItem(
        QStringLiteral("%1 → %2").arg(text.mid(m.from, m.to - m.from), NameOf(m.term)), list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  // The proposal under the cursor shows as selected words in the definition.
  connect(list, &QListWidget::currentRowChanged, &d, [&](int row) {
    if (row >= 0 && row < int(found.size())) e->SetSel({found[size_t(row)].from, found[size_t(row)].to});
  });
  // Space or a click ticks one; "Link all" ticks every one.
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(&d);
  QPushButton* linkChecked = buttons->addButton(QStringLiteral("Сделать ссылками отмеченные"), QDialogButtonBox::AcceptRole);
  QPushButton* linkAll = buttons->addButton(QStringLiteral("Все"), QDialogButtonBox::AcceptRole);
  linkChecked->setObjectName(QStringLiteral("LinkChecked"));
  linkAll->setObjectName(QStringLiteral("LinkAll"));
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(linkAll, &QPushButton::clicked, &d, [list] {
    for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Checked);
  });
  connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  layout->addWidget(buttons);
  d.resize(380, 320);
  if (list->count() > 0) list->setCurrentRow(0);
  const engine::CHARRANGE before = e->GetSel();
  if (RunDialog(&d) != QDialog::Accepted) {
    e->SetSel(before);
    return;
  }
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->checkState() == Qt::Checked)
      edit->SetLinkAt(found[size_t(i)].from, found[size_t(i)].to, rtf::TermLinkHref(found[size_t(i)].term));
  e->SetSel(before);
}

void TTermLinks::TellBeforeDelete() {
  const qint64 key = CurrentTerm();
  if (key == 0 || !service_) return;
  qint64 count = 0;
  QString error;
  if (!service_->LinksTo(key, nullptr, &count, &error) || count == 0) return;
  platform::Inform(QStringLiteral("На термин «%1» ссылаются другие термины: %2. Если удалить его, эти ссылки "
                                  "останутся в их определениях и будут показаны как недействительные.")
                       .arg(NameOf(key))
                       .arg(count),
                   platform::ApplicationTitle(), platform::Icon::Warning, targets_.window);
}

void TTermLinks::Forget() {
  exists_.clear();
  finderFilled_ = false;
  if (targets_.definition && targets_.definition->HandleAllocated()) targets_.definition->Handle()->RefreshLinks();
}

}  // namespace app
