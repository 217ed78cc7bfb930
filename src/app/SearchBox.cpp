#include "app/SearchBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QVBoxLayout>

#include "app/SearchSource.h"
#include "data/DataSet.h"
#include "platform/Question.h"

namespace app {

using search::IndexState;

namespace {

// The index is opened once the window is up: its first paint does not wait for it.
constexpr int kStartDelayMs = 300;
// Progress is shown only for work that takes longer than this.
constexpr int kProgressAfterMs = 400;
constexpr int kResultsWidth = 500;
constexpr int kMaxVisibleRows = 7;
constexpr QRgb kTermColour = 0x0000CE;  // the terms' blue of the grid and the editor

const char16_t kPlaceholder[] = u"Поиск по словарю (Ctrl+Shift+F)";

// Why the index is behind, in the user's words where the reason is a common one.
QString BehindReason(const QString& message) {
  if (message.contains(QLatin1String("disk is full"))) return QStringLiteral("на диске нет места");
  if (message.contains(QLatin1String("is locked")) || message.contains(QLatin1String("is busy")))
    return QStringLiteral("таблицы заняты другой программой");
  return message;
}

bool Working(IndexState s) {
  return s == IndexState::NotStarted || s == IndexState::Opening || s == IndexState::Building ||
         s == IndexState::CatchingUp;
}

QFont PixelFont(const QString& face, int pixels, bool bold = false) {
  QFont f(face);
  f.setPixelSize(pixels);
  f.setStyleHint(QFont::SansSerif);
  f.setBold(bold);
  return f;
}

// Text with the index's marks turned into bold ranges; runs of white space become one space.
struct Marked {
  QString plain;
  QList<QTextLayout::FormatRange> bold;
};

Marked Unmark(const QString& text) {
  Marked m;
  m.plain.reserve(text.size());
  int boldFrom = -1;
  bool space = false;
  for (const QChar c : text) {
    if (c == QChar(search::kMarkOn)) {
      boldFrom = int(m.plain.size());
    } else if (c == QChar(search::kMarkOff)) {
      if (boldFrom >= 0 && int(m.plain.size()) > boldFrom) {
        QTextLayout::FormatRange r;
        r.start = boldFrom;
        r.length = int(m.plain.size()) - boldFrom;
        r.format.setFontWeight(QFont::Bold);
        m.bold << r;
      }
      boldFrom = -1;
    } else if (c.isSpace()) {
      if (!space && !m.plain.isEmpty()) m.plain += QLatin1Char(' ');
      space = true;
      continue;
    } else {
      m.plain += c;
    }
    space = false;
  }
  return m;
}

QTextLine LayOutLine(QTextLayout& layout, const Marked& m, const QFont& font) {
  layout.setText(m.plain);
  layout.setFont(font);
  layout.setFormats(m.bold);
  QTextOption o;
  o.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(o);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  return line;
}

// Marked text fitted to one line of `width`, laid out in `layout`: cut with an ellipsis at the
// end, and at the start too when the first matched word would lie beyond the end, so that the
// line shows why the term was found.
QTextLine FitLine(QTextLayout& layout, Marked& m, const QFont& font, int width) {
  QTextLine line = LayOutLine(layout, m, font);
  if (!line.isValid() || line.naturalTextWidth() <= width) return line;
  const QString ellipsis = QStringLiteral("…");
  const int room = width - QFontMetrics(font).horizontalAdvance(ellipsis);
  if (!m.bold.isEmpty()) {
    const QTextLayout::FormatRange first = m.bold.first();
    if (line.cursorToX(first.start + first.length) > room) {
      // A quarter of the line's words before the match, or more when the text ends soon after
      // it; from a word's start.
      const qreal from = std::min(line.cursorToX(first.start) - width / 4.0, line.naturalTextWidth() - room);
      int cut = std::clamp(line.xToCursor(std::max<qreal>(0, from), QTextLine::CursorBetweenCharacters), 0,
                           first.start);
      while (cut < first.start && cut > 0 && !m.plain[cut - 1].isSpace()) ++cut;
      while (cut < first.start && m.plain[cut].isSpace()) ++cut;
      if (cut > 0) {
        m.plain = ellipsis + m.plain.mid(cut);
        for (QTextLayout::FormatRange& r : m.bold) r.start += 1 - cut;
        line = LayOutLine(layout, m, font);
        if (line.naturalTextWidth() <= width) return line;
      }
    }
  }
  const int cut = std::max(0, line.xToCursor(std::max(0, room), QTextLine::CursorOnCharacter));
  m.plain = m.plain.left(cut).trimmed() + ellipsis;
  for (auto it = m.bold.begin(); it != m.bold.end();) {
    it->length = std::min(it->length, cut - it->start);
    it = it->length > 0 ? std::next(it) : m.bold.erase(it);
  }
  return LayOutLine(layout, m, font);
}

// One line of marked text in `rect`.
void DrawMarked(QPainter* p, const QRect& rect, const QString& text, const QFont& font, const QColor& colour) {
  Marked m = Unmark(text);
  QTextLayout layout;
  const QTextLine line = FitLine(layout, m, font, rect.width());
  if (!line.isValid()) return;
  p->save();
  p->setPen(colour);
  p->setClipRect(rect);
  const int y = rect.top() + (rect.height() - int(line.height())) / 2;
  layout.draw(p, QPointF(rect.left(), y));
  p->restore();
}

// A result row: the term with its letter on the right, and under it a line of its definition.
class ResultDelegate : public QStyledItemDelegate {
 public:
  explicit ResultDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return QSize(option.rect.width(), TermFont().pixelSize() + SnippetFont().pixelSize() + 14);
  }

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    o.text.clear();
    if (index.data(TSearchResultModel::CurrentRole).toBool()) o.state |= QStyle::State_Selected;
    const QWidget* w = o.widget;
    QStyle* style = w ? w->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &o, p, w);

    const bool selected = o.state & QStyle::State_Selected;
    const QPalette& pal = o.palette;
    const QColor text = selected ? pal.color(QPalette::HighlightedText) : QColor::fromRgb(kTermColour);
    const QColor quiet = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
    const QRect r = o.rect.adjusted(6, 4, -6, -3);
    const int termHeight = TermFont().pixelSize() + 4;

    const QString letter = index.data(TSearchResultModel::LetterRole).toString();
    const QFont letterFont = PixelFont(QStringLiteral("Verdana"), 12, true);
    const int letterWidth = QFontMetrics(letterFont).horizontalAdvance(QStringLiteral("Ш")) + 10;
    const QRect letterBox(r.right() - letterWidth + 1, r.top() + 1, letterWidth, termHeight - 2);
    if (!letter.isEmpty()) {
      p->save();
      p->setRenderHint(QPainter::Antialiasing, true);
      p->setPen(Qt::NoPen);
      p->setBrush(selected ? pal.color(QPalette::Highlight).lighter(130) : QColor(223, 223, 227));
      p->drawRoundedRect(letterBox, 3, 3);
      p->setPen(text);
      p->setFont(letterFont);
      p->drawText(letterBox, Qt::AlignCenter, letter);
      p->restore();
    }
    DrawMarked(p, QRect(r.left(), r.top(), r.width() - letterWidth - 8, termHeight),
               index.data(TSearchResultModel::WordRole).toString(), TermFont(), text);
    DrawMarked(p, QRect(r.left(), r.top() + termHeight, r.width(), r.height() - termHeight),
               index.data(TSearchResultModel::SnippetRole).toString(), SnippetFont(), quiet);
  }

 private:
  static QFont TermFont() { return PixelFont(QStringLiteral("Verdana"), 13); }
  static QFont SnippetFont() { return PixelFont(QStringLiteral("Verdana"), 12); }
};

}  // namespace

QString FitMarkedLine(const QString& text, const QFont& font, int width) {
  Marked m = Unmark(text);
  QTextLayout layout;
  FitLine(layout, m, font, width);
  QString out = m.plain;
  // Back to marks, from the last range so that earlier positions stay valid.
  for (auto it = m.bold.crbegin(); it != m.bold.crend(); ++it) {
    out.insert(it->start + it->length, QChar(search::kMarkOff));
    out.insert(it->start, QChar(search::kMarkOn));
  }
  return out;
}

// ---- the model --------------------------------------------------------------------------------

TSearchResultModel::TSearchResultModel(search::IndexService* service, std::function<QString(qint64)> letterOf,
                                       QObject* parent)
    : QAbstractListModel(parent), service_(service), letterOf_(std::move(letterOf)) {}

void TSearchResultModel::SetResult(const search::FindResult& result) {
  beginResetModel();
  result_ = result;
  details_.clear();
  current_ = result_.hits.empty() ? -1 : 0;
  endResetModel();
}

void TSearchResultModel::SetCurrent(int row) {
  if (row < 0 || row >= rowCount() || row == current_) return;
  const int old = current_;
  current_ = row;
  if (old >= 0) emit dataChanged(index(old), index(old), {CurrentRole});
  emit dataChanged(index(row), index(row), {CurrentRole});
}

void TSearchResultModel::Clear() { SetResult(search::FindResult()); }

int TSearchResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(result_.hits.size());
}

const search::HitDetails* TSearchResultModel::Details(int row) const {
  if (row < 0 || row >= int(result_.hits.size())) return nullptr;
  const qint64 id = result_.hits[size_t(row)].id;
  auto it = details_.find(id);
  if (it == details_.end()) {
    search::HitDetails d;
    QString error;
    // A term the index has lost since the query shows as a row without name or letter.
    if (!service_->Details(result_.match, id, &d, &error)) d = search::HitDetails();
    it = details_.insert(id, d);
  }
  return &it.value();
}

qint64 TSearchResultModel::TermId(int row) const {
  return row >= 0 && row < int(result_.hits.size()) ? result_.hits[size_t(row)].id : 0;
}

qint64 TSearchResultModel::LetterId(int row) const {
  const search::HitDetails* d = Details(row);
  return d ? d->letter : 0;
}

QVariant TSearchResultModel::data(const QModelIndex& index, int role) const {
  const search::HitDetails* d = index.isValid() ? Details(index.row()) : nullptr;
  if (!d) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return Unmark(d->word).plain + QStringLiteral(" — ") + Unmark(d->snippet).plain;
    case WordRole: return d->word;
    case LetterRole: return letterOf_ ? letterOf_(d->letter) : QString();
    case SnippetRole: return d->snippet;
    case TermIdRole: return TermId(index.row());
    case CurrentRole: return index.row() == current_;
    case LetterIdRole: return d->letter;
    default: return QVariant();
  }
}

// ---- the drop-down ------------------------------------------------------------------------------

TSearchResults::TSearchResults(QWidget* window) : QFrame(window) {
  setObjectName(QStringLiteral("SearchResults"));
  setFrameShape(QFrame::Box);
  setLineWidth(1);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, p.color(QPalette::Base));
  p.setColor(QPalette::WindowText, QColor(128, 128, 128));
  setPalette(p);
  setFocusPolicy(Qt::NoFocus);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("SearchSummary"));
  summary_->setFont(PixelFont(QStringLiteral("Verdana"), 12));
  summary_->setContentsMargins(6, 3, 6, 2);
  summary_->setTextFormat(Qt::PlainText);

  list_ = new QListView(this);
  list_->setObjectName(QStringLiteral("SearchList"));
  // The field keeps the focus; the list follows its keys and takes clicks.
  list_->setFocusPolicy(Qt::NoFocus);
  list_->setFrameShape(QFrame::NoFrame);
  list_->setUniformItemSizes(true);
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  list_->setMouseTracking(true);
  list_->setItemDelegate(new ResultDelegate(list_));

  keys_ = new QLabel(QStringLiteral("↑ ↓ — выбрать    Enter — перейти к термину    Esc — закрыть"), this);
  keys_->setFont(PixelFont(QStringLiteral("Verdana"), 11));
  keys_->setContentsMargins(6, 2, 6, 3);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->setSpacing(0);
  layout->addWidget(summary_);
  layout->addWidget(list_, 1);
  layout->addWidget(keys_);
}

void TSearchResults::Place(const QPoint& anchor, int rows) {
  const int rowHeight = list_->itemDelegate()->sizeHint(QStyleOptionViewItem(), QModelIndex()).height();
  const int chrome = summary_->sizeHint().height() + keys_->sizeHint().height() + 2 * frameWidth() + 2;
  const int shown = std::clamp(rows, 0, kMaxVisibleRows);
  const int height = std::min(chrome + shown * rowHeight + (shown ? 2 : 0), anchor.y() - 2);
  QRect r(0, 0, kResultsWidth, std::max(height, chrome));
  r.moveBottomRight(anchor);
  if (r.left() < 2) r.moveLeft(2);
  list_->setVisible(shown > 0);
  setGeometry(r);
}

// ---- the field ----------------------------------------------------------------------------------

TSearchBox::TSearchBox(const QString& folder, const SearchTargets& targets, QWidget* window,
                       search::IndexService::SourceFactory makeSource)
    : QLineEdit(nullptr),
      targets_(targets),
      window_(window),
      service_(std::make_unique<search::IndexService>(
          folder, makeSource ? std::move(makeSource) : [folder]() -> std::unique_ptr<search::TermSource> {
            return std::make_unique<GlossaryTermSource>(folder);
          })) {
  setObjectName(QStringLiteral("SearchBox1"));
  // Reached by its shortcut or a click, not by Tab: the window's tab order stays as it is.
  setFocusPolicy(Qt::ClickFocus);
  setPlaceholderText(QString::fromUtf16(kPlaceholder));
  setToolTip(QStringLiteral("Поиск по всему словарю (Ctrl+Shift+F): в названиях и определениях, в любой форме слова.\n"
                            "пчела мёд — оба слова;  пчел* — слова, которые так начинаются;\n"
                            "\"большой улей\" — слова подряд."));
  // The status bar is 20 pixels high: a compact field that fits inside it.
  setFont(PixelFont(QStringLiteral("Verdana"), 12));
  setFixedSize(240, 16);
  setTextMargins(1, 0, 1, 0);

  model_ = new TSearchResultModel(service_.get(), [this](qint64 id) { return LetterOf(id); }, this);
  results_ = new TSearchResults(window);
  results_->List()->setModel(model_);
  results_->hide();
  connect(results_->List(), &QListView::clicked, this, [this](const QModelIndex& i) { GoToResult(i.row()); });

  shortcut_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), window);
  shortcut_->setContext(Qt::WindowShortcut);
  connect(shortcut_, &QShortcut::activated, this, &TSearchBox::Activate);

  typing_.setSingleShot(true);
  typing_.setInterval(kTypingPauseMs);
  connect(&typing_, &QTimer::timeout, this, &TSearchBox::RunQuery);
  connect(this, &QLineEdit::textChanged, this, [this] { typing_.start(); });
  connect(service_.get(), &search::IndexService::StatusChanged, this, &TSearchBox::StatusChanged);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    if (now == this && old && old != this && old->window() == window_) returnFocus_ = old;
  });
  window->installEventFilter(this);
  QTimer::singleShot(kStartDelayMs, this, [this] { service_->Start(); });
}

TSearchBox::~TSearchBox() {
  window_->removeEventFilter(this);
  typing_.stop();
}

void TSearchBox::TermWritten(const data::TStoreCommit& commit) {
  service_->TermWritten(commit.key, commit.before, commit.after);
  // What is shown may have changed with it.
  if (results_->isVisible()) typing_.start();
}

void TSearchBox::Activate() {
  service_->Start();
  // Writes by other programs since the last look are caught up with (cheap when there are none).
  service_->CheckForChanges();
  if (!hasFocus()) {
    QWidget* had = QApplication::focusWidget();
    if (had && had != this && had->window() == window_) returnFocus_ = had;
    setFocus(Qt::ShortcutFocusReason);
  }
  selectAll();
  if (!text().trimmed().isEmpty()) RunQuery();
}

void TSearchBox::RunQuery() {
  typing_.stop();
  const QString typed = text();
  shownFor_ = typed;
  const search::FindResult r = service_->Find(typed);
  if (r.match.isEmpty()) {
    model_->Clear();
    HideResults();
    return;
  }
  model_->SetResult(r);
  ShowResults();
  // The summary may speak of the error; the list shows what was found.
  if (!r.error.isEmpty() && r.hits.empty() && service_->Status().state == IndexState::Ready)
    results_->Summary()->setText(QStringLiteral("Поиск не удался: ") + r.error);
}

void TSearchBox::ShowResults() {
  const search::IndexStatus st = service_->Status();
  shownState_ = st.state;
  const int found = model_->rowCount();
  QString summary;
  if (st.state == IndexState::Unavailable) {
    summary = QStringLiteral("Поиск недоступен: ") + st.message;
  } else if (Working(st.state)) {
    const int percent = st.total > 0 ? int(st.done * 100 / st.total) : 0;
    summary = (st.state == IndexState::CatchingUp ? QStringLiteral("Индекс поиска обновляется: %1 %. ")
                                                  : QStringLiteral("Индекс поиска строится: %1 %. "))
                  .arg(percent) +
              QStringLiteral("Найдено пока: %1").arg(found);
  } else {
    summary = found ? QStringLiteral("Найдено: %1").arg(found) : QStringLiteral("Ничего не найдено");
  }
  shownBehind_ = st.behind && st.state != IndexState::Unavailable;
  if (shownBehind_)
    summary += QStringLiteral(". Результаты могут быть неполными: последние изменения ещё не попали в индекс поиска (%1). "
                              "Индекс догонит их сам, как только сможет записать.")
                   .arg(BehindReason(st.message));
  results_->Summary()->setText(summary);
  results_->Place(ResultsAnchor(), found);
  results_->show();
  results_->raise();
}

QPoint TSearchBox::ResultsAnchor() const {
  // Right-aligned with the field, just above the bar it sits in.
  const QWidget* bar = parentWidget() ? parentWidget() : this;
  return QPoint(mapTo(window_, rect().topRight()).x(), bar->mapTo(window_, QPoint(0, 0)).y() - 2);
}

void TSearchBox::HideResults() { results_->hide(); }

void TSearchBox::Dismiss() {
  typing_.stop();
  HideResults();
  QWidget* back = returnFocus_ ? returnFocus_.data() : targets_.landing;
  if (back && back->isVisible() && back->isEnabled())
    back->setFocus(Qt::OtherFocusReason);
}

void TSearchBox::MoveSelection(int by) {
  const int rows = model_->rowCount();
  if (rows == 0) return;
  const int now = model_->Current() >= 0 ? model_->Current() : (by > 0 ? -1 : rows);
  const int row = std::clamp(now + by, 0, rows - 1);
  model_->SetCurrent(row);
  results_->List()->scrollTo(model_->index(row));
}

void TSearchBox::keyPressEvent(QKeyEvent* event) {
  const int page = kMaxVisibleRows - 1;
  switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp: {
      if (typing_.isActive() || (!results_->isVisible() && !text().trimmed().isEmpty())) RunQuery();
      const int k = event->key();
      MoveSelection(k == Qt::Key_Down ? 1 : k == Qt::Key_Up ? -1 : k == Qt::Key_PageDown ? page : -page);
      return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      if (typing_.isActive() || shownFor_ != text() || !results_->isVisible()) RunQuery();
      if (model_->Current() >= 0) GoToResult(model_->Current());
      return;
    }
    case Qt::Key_Escape: Dismiss(); return;
    default: QLineEdit::keyPressEvent(event);
  }
}

void TSearchBox::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // Its icon is looked up in the desktop's theme, which would hold up the window's first paint.
  setClearButtonEnabled(true);
  service_->Start();
  // Reached by a click as well as by its shortcut: writes by others are looked for either way.
  service_->CheckForChanges();
}

void TSearchBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // The field's own menu keeps the results; anything else in the window closes them.
  if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) HideResults();
}

bool TSearchBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest) &&
      results_->isVisible())
    results_->Place(ResultsAnchor(), model_->rowCount());
  return QLineEdit::eventFilter(watched, event);
}

void TSearchBox::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  const search::IndexStatus st = service_->Status();
  if (!Working(st.state) || !building_.isValid() || building_.elapsed() < kProgressAfterMs || st.total <= 0) return;
  // A thin bar along the bottom of the field while the index is being made.
  QPainter p(this);
  const QRect bar(2, height() - 4, int((width() - 4) * st.done / st.total), 2);
  p.fillRect(bar, palette().color(QPalette::Highlight));
}

void TSearchBox::StatusChanged() {
  const search::IndexStatus st = service_->Status();
  const bool building = st.state == IndexState::Building || st.state == IndexState::CatchingUp;
  if (building && !building_.isValid()) building_.start();
  if (!building) building_.invalidate();

  QString placeholder = QString::fromUtf16(kPlaceholder);
  QString tip = toolTip().section(QLatin1String("\n\n"), 0, 0);
  if (st.state == IndexState::Unavailable) {
    placeholder = QStringLiteral("Поиск недоступен");
    tip += QStringLiteral("\n\nПоиск недоступен: ") + st.message;
  } else if (building && building_.elapsed() >= kProgressAfterMs && st.total > 0) {
    placeholder = QStringLiteral("Индекс поиска: %1 %").arg(st.done * 100 / st.total);
  } else if (st.behind) {
    tip += QStringLiteral("\n\nРезультаты могут быть неполными: последние изменения ещё не попали в индекс поиска (") +
           BehindReason(st.message) + QStringLiteral(").");
  } else if (st.inMemory && !st.message.isEmpty()) {
    tip += QStringLiteral("\n\nИндекс поиска хранится только в памяти: ") + st.message;
  }
  setPlaceholderText(placeholder);
  setToolTip(tip);
  update();

  if (!results_->isVisible()) return;
  // Results shown while the index was being made are complete once it is.
  if ((Working(shownState_) && !Working(st.state)) || (shownBehind_ && !st.behind))
    RunQuery();
  else
    ShowResults();
}

QString TSearchBox::LetterOf(qint64 letterId) const {
  data::TTable* m = targets_.master;
  if (!m || !m->Active()) return QString();
  for (int i = 0; i < m->RowCount(); ++i)
    if (m->RowValue(i, targets_.masterKey).toLongLong() == letterId)
      return m->RowValue(i, targets_.masterLetter).toString();
  return QString();
}

bool TSearchBox::GoToResult(int row) {
  const qint64 termId = model_->TermId(row);
  if (termId == 0) return false;
  const qint64 letterId = model_->LetterId(row);
  const QString word = Unmark(model_->data(model_->index(row), TSearchResultModel::WordRole).toString()).plain;
  data::TTable* master = targets_.master;
  data::TTable* detail = targets_.detail;
  auto recordOf = [](data::TTable* t, data::TField* key, qint64 value) {
    for (int i = 0; i < t->RowCount(); ++i)
      if (t->RowValue(i, key).toLongLong() == value) return i + 1;
    return 0;
  };
  bool gone = false;
  bool landed = false;
  platform::Guarded(
      [&] {
        // A pending edit ends first, by the usual rules; a refused post throws and the user stays.
        detail->CheckBrowseMode();
        const int letter = recordOf(master, targets_.masterKey, letterId);
        if (letter == 0) {
          gone = true;
          return;
        }
        master->SetRecNo(letter);
        if (master->RecNo() != letter) return;
        const int term = recordOf(detail, targets_.detailKey, termId);
        if (term == 0) {
          gone = true;
          return;
        }
        detail->SetRecNo(term);
        landed = detail->RecNo() == term;
      },
      window_);
  if (gone) {
    platform::Inform(QStringLiteral("Термина «%1» больше нет в словаре: его удалили или изменили в другой программе. "
                                    "Результаты поиска будут обновлены.")
                         .arg(word),
                     platform::ApplicationTitle(), platform::Icon::Information, window_);
    service_->CheckForChanges();
  }
  if (!landed) return false;
  HideResults();
  if (targets_.landing) targets_.landing->setFocus(Qt::OtherFocusReason);
  return true;
}

}  // namespace app
