#include "search/IndexService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <chrono>
#include <unordered_map>

#include <sys/stat.h>

#include "base/ScopeGuard.h"
#include "search/Query.h"

namespace search {

namespace {

// Terms read and indexed per transaction: large enough for speed, small enough that a reader of
// the tables or of the index never waits long.
constexpr int kBatch = 250;
constexpr int kBuildCommitTerms = 1000;
// Passes made again in a row because another program emptied the index meanwhile.
constexpr int kMaxRestarts = 3;
// How long a query waits for this program's own writes to reach the index.
constexpr auto kOwnWritesWait = std::chrono::seconds(2);
// How often tables without a stamp are compared term by term.
constexpr auto kBlindPassEvery = std::chrono::minutes(1);
// A pass the tables refused (locked, unreadable) is tried again after this, doubled at each
// failure up to the limit.
constexpr auto kFirstRetry = std::chrono::seconds(1);
constexpr auto kLongestRetry = std::chrono::seconds(60);
// Progress is told at most this often.
constexpr auto kProgressEvery = std::chrono::milliseconds(100);

bool FileIdentity(const QString& path, quint64* device, quint64* inode) {
  struct stat st;
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
  *device = quint64(st.st_dev);
  *inode = quint64(st.st_ino);
  return true;
}

void RemoveIndexFiles(const QString& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(suffix));
}

}  // namespace

IndexService::IndexService(const QString& folder, SourceFactory makeSource, QObject* parent)
    : QObject(parent), folder_(folder), makeSource_(std::move(makeSource)) {}

IndexService::~IndexService() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  reader_.Close();
}

void IndexService::Start() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (started_) return;
  started_ = true;
  // Opening comes before the writes that were told before the start.
  tasks_.push_front(Task::Of(Task::Open));
  thread_ = std::thread([this] { Run(); });
}

IndexStatus IndexService::Status() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return status_;
}

QString IndexService::Location() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return location_;
}

void IndexService::Push(Task task, bool front) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (task.kind == Task::Row) ++pendingRows_;
    if (front)
      tasks_.push_front(std::move(task));
    else
      tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void IndexService::TermWritten(qint64 id, const QString& before, const QString& after) {
  Push(Task{Task::Row, id, before, after});
}

void IndexService::CheckForChanges() { PushOnce(Task::Check); }

void IndexService::PushOnce(Task::Kind kind) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // An opening, a rebuild or a check already waiting does all this one would.
    for (const Task& t : tasks_)
      if (t.kind == Task::Open || t.kind == Task::Rebuild || t.kind == kind) return;
  }
  Push(Task::Of(kind));
}

bool IndexService::WaitIdle(int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return tasks_.empty() && !busy_; });
}

void IndexService::SetStatus(IndexState state, qint64 done, qint64 total, const QString& message) {
  bool tell;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    tell = state != status_.state || message != status_.message || now - lastTold_ >= kProgressEvery ||
           done == total;
    tell = tell || behind_ != status_.behind;
    status_.state = state;
    status_.done = done;
    status_.total = total;
    status_.message = message;
    status_.behind = behind_;
    if (tell) lastTold_ = now;
  }
  idle_.notify_all();
  if (tell) QMetaObject::invokeMethod(this, [this] { emit StatusChanged(); }, Qt::QueuedConnection);
}

// ---- the index's thread --------------------------------------------------------------------

void IndexService::Run() {
  source_ = makeSource_ ? makeSource_() : nullptr;
  for (;;) {
    Task task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      const auto ready = [this] { return Stopping() || !tasks_.empty(); };
      if (!retryAt_) {
        wake_.wait(lock, ready);
      } else if (!wake_.wait_until(lock, *retryAt_, ready)) {
        retryAt_.reset();
        tasks_.push_back(Task::Of(Task::Check));
      }
      if (Stopping()) break;
      task = std::move(tasks_.front());
      tasks_.pop_front();
      busy_ = true;
    }
    Execute(task);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      busy_ = false;
      if (task.kind == Task::Row) --pendingRows_;
    }
    idle_.notify_all();
  }
  writer_.Close();
  source_.reset();
}

void IndexService::Execute(const Task& task) {
  switch (task.kind) {
    case Task::Open: OpenIndex(false); break;
    case Task::Rebuild: OpenIndex(true); break;
    case Task::Check:
      if (IndexFileGone()) OpenIndex(false);
      else if (writer_.IsOpen()) Synchronize(false);
      break;
    case Task::Row:
      // A new file is built from the tables, this write included.
      if (IndexFileGone()) OpenIndex(false);
      else if (writer_.IsOpen()) ApplyRow(task);
      break;
  }
}

bool IndexService::OpenAt(const QString& location, bool memory, QString* error) {
  if (writer_.Open(location, /*writer=*/true, error) && (memory || writer_.Check(error))) return true;
  writer_.Close();
  return false;
}

bool IndexService::OpenIndex(bool fresh) {
  SetStatus(IndexState::Opening);
  QString error;
  if (!source_ || !source_->Open(&error)) {
    SetStatus(IndexState::Unavailable, 0, 0, error.isEmpty() ? QCoreApplication::translate("Search", "The glossary cannot be read.") : error);
    return false;
  }
  writer_.Close();
  bool memory;
  QString location;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    memory = status_.inMemory;
  }
  QString why;  // why the index is not in its file
  if (!memory) {
    const QString path = QDir(folder_).filePath(QString::fromLatin1(kIndexFileName));
    const QFileInfo file(path);
    if (!QFileInfo(folder_).isWritable() || (file.exists() && !file.isWritable())) {
      why = QCoreApplication::translate("Search", "The folder %1 cannot be written to.").arg(QDir::toNativeSeparators(folder_));
    } else {
      if (fresh) RemoveIndexFiles(path);
      bool ok = OpenAt(path, false, &error);
      if (!ok && writer_.Damaged()) {
        // Derived data: a damaged file is thrown away and made again.
        RemoveIndexFiles(path);
        ok = OpenAt(path, false, &error);
      }
      if (ok)
        location = path;
      else
        why = error;
    }
    memory = location.isEmpty();
    memoryWhy_ = why;
  }
  if (memory) {
    location = QStringLiteral("file:/termora-search-%1?vfs=memdb").arg(quintptr(this), 0, 16);
    if (!OpenAt(location, true, &error)) {
      SetStatus(IndexState::Unavailable, 0, 0, memoryWhy_.isEmpty() ? error : memoryWhy_);
      return false;
    }
  }
  quint64 device = 0, inode = 0;
  if (!memory) FileIdentity(location, &device, &inode);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    location_ = location;
    fileDevice_ = device;
    fileInode_ = inode;
    ++generation_;
    status_.inMemory = memory;
  }
  if (!writer_.IsComplete()) {
    if (!writer_.Reset(&error)) {
      SetStatus(IndexState::Unavailable, 0, 0, error);
      return false;
    }
    Synchronize(true);
  } else {
    Synchronize(false);
  }
  return true;
}

void IndexService::Synchronize(bool fromScratch) {
  QString error;
  const QString stamp = source_->Stamp();
  const IndexState settled = IndexState::Ready;
  const QString& note = memoryWhy_;
  // The cheap test first: nothing written since the index last caught up.
  if (!fromScratch && !stamp.isEmpty() && stamp == writer_.Stamp()) {
    NoRetry();
    SetStatus(settled, 0, 0, note);
    return;
  }
  // Tables whose changes the stamp cannot tell are compared term by term, but not at every look.
  const auto now = std::chrono::steady_clock::now();
  if (!fromScratch && stamp.isEmpty()) {
    if (lastBlindPass_.time_since_epoch().count() != 0 && now - lastBlindPass_ < kBlindPassEvery) {
      SetStatus(settled, 0, 0, note);
      return;
    }
    lastBlindPass_ = now;
  }
  const IndexState state = fromScratch ? IndexState::Building : IndexState::CatchingUp;
  qint64 total = 0;
  if (!source_->Count(&total, &error)) {
    // The tables are busy or unreadable now; the index stays as it is and tries again later.
    SettleUntilRetry(error);
    return;
  }
  SetStatus(state, 0, total);
  // Another program sharing the file may empty it meanwhile (a build of its own); read before
  // what the index holds, so that no emptying after it goes unseen.
  const QString generation = writer_.Generation();
  std::unordered_map<qint64, KnownTerm> known;
  if (!fromScratch && !writer_.Known(&known, &error)) {
    RebuildDamaged(error);
    return;
  }
  writer_.SetBulk(fromScratch);
  base::ScopeGuard bulkOff([this] { writer_.SetBulk(false); });
  auto failed = [&] {
    writer_.Rollback();
    if (writer_.Damaged()) {
      RebuildDamaged(error);
    } else {
      SettleUntilRetry(error);
    }
  };

  qint64 after = 0;
  qint64 done = 0;
  bool open = false;  // a transaction is open
  int uncommitted = 0;
  // Leaving half-way (stopping, the tables unreadable) drops what was not committed.
  base::ScopeGuard dropOpen([&] {
    if (open) writer_.Rollback();
  });
  std::vector<SourceTerm> batch;
  std::vector<IndexedTerm> changed;
  for (;;) {
    if (Stopping()) return;
    if (!source_->ReadAfter(after, kBatch, &batch, &error)) {
      SettleUntilRetry(error);
      return;
    }
    if (batch.empty()) break;
    changed.clear();
    for (SourceTerm& t : batch) {
      after = t.id;
      const quint64 fingerprint = TermFingerprint(t.letter, t.word, t.definition);
      if (auto it = known.find(t.id); it != known.end()) {
        const bool same = it->second.fingerprint == fingerprint;
        known.erase(it);
        if (same) continue;
      }
      IndexedTerm indexed{t.id, t.version, t.letter, fingerprint, t.word, QString(), {}};
      indexed.text = source_->TextAndLinksOf(t.definition, &indexed.links);
      changed.push_back(std::move(indexed));
    }
    if (!changed.empty()) {
      if (!open && !writer_.Begin(&error)) return failed();
      open = true;
      for (const IndexedTerm& t : changed)
        if (!writer_.Put(t, &error)) return failed();
      uncommitted += int(changed.size());
      // A build from scratch commits in large pieces: each commit is a piece of the full-text
      // index that has to be merged with the others later.
      if (!fromScratch || uncommitted >= kBuildCommitTerms) {
        if (!writer_.Commit(&error)) return failed();
        open = false;
        uncommitted = 0;
      }
    }
    done += qint64(batch.size());
    SetStatus(state, std::min(done, total), total);
  }
  // What the index still holds and the tables no longer do.
  if (!open && !writer_.Begin(&error)) return failed();
  open = true;
  if (writer_.Generation() != generation) {
    // Emptied by another program during the pass: what this pass committed before is gone, and
    // the index is complete only once a pass over every term has gone through since.
    writer_.Rollback();
    open = false;
    if (++restarts_ <= kMaxRestarts) return Synchronize(false);
    SetStatus(settled, 0, 0, note);
    return;
  }
  for (const auto& [id, k] : known)
    if (!writer_.Remove(id, &error)) return failed();
  // The stamp read before the pass: a write made during it shows as a change next time. Marked
  // complete in the same transaction, so that nobody finds it finished but without the mark.
  if (!writer_.SetStamp(stamp, &error) || !writer_.SetComplete(&error) || !writer_.Commit(&error)) return failed();
  open = false;
  if (fromScratch && !writer_.Optimize(&error)) return failed();
  writer_.Checkpoint();
  restarts_ = 0;
  rebuilds_ = 0;
  NoRetry();
  SetStatus(settled, 0, 0, note);
}

void IndexService::ApplyRow(const Task& task) {
  QString error;
  SourceTerm t;
  const TermSource::ReadResult read = source_->Read(task.id, &t, &error);
  // Unreadable now: the stamp is left behind, so the check made a little later catches up with
  // this write.
  if (read == TermSource::Failed) return SettleUntilRetry(error);
  auto failed = [&] {
    writer_.Rollback();
    if (writer_.Damaged())
      RebuildDamaged(error);
    else
      SettleUntilRetry(error);
  };
  IndexedTerm term;
  if (read == TermSource::Found) {
    term = IndexedTerm{t.id, t.version, t.letter, TermFingerprint(t.letter, t.word, t.definition), t.word, QString(), {}};
    term.text = source_->TextAndLinksOf(t.definition, &term.links);
  }
  if (!writer_.Begin(&error)) return failed();
  const bool ok = read == TermSource::Found ? writer_.Put(term, &error) : writer_.Remove(task.id, &error);
  if (!ok) return failed();
  const QString indexed = writer_.Stamp();
  // The index was in step with the tables before this write, and nobody else wrote meanwhile:
  // it is in step after it too.
  const bool inStep = !task.after.isEmpty() && indexed == task.before;
  if (inStep && !writer_.SetStamp(task.after, &error)) return failed();
  if (!writer_.Commit(&error)) return failed();
  // Someone else wrote too: catch up with them now rather than at the next start.
  if (!inStep && !task.before.isEmpty() && indexed != task.after) CheckForChanges();
}

void IndexService::RetryLater() {
  behind_ = true;
  if (Stopping()) return;
  retryDelay_ = retryDelay_.count() == 0 ? std::chrono::milliseconds(kFirstRetry)
                                         : std::min<std::chrono::milliseconds>(retryDelay_ * 2, kLongestRetry);
  retryAt_ = std::chrono::steady_clock::now() + retryDelay_;
  // The pass made then compares term by term even where the tables tell no stamp.
  lastBlindPass_ = {};
}

void IndexService::NoRetry() {
  behind_ = false;
  retryAt_.reset();
  retryDelay_ = std::chrono::milliseconds(0);
}

void IndexService::SettleUntilRetry(const QString& error) {
  RetryLater();
  SetStatus(IndexState::Ready, 0, 0, error);
}

void IndexService::RebuildDamaged(const QString& why) {
  writer_.Close();
  // A file made afresh that is damaged at once will not do better a second time: memory then.
  if (++rebuilds_ > 1) {
    memoryWhy_ = why;
    std::lock_guard<std::mutex> lock(mutex_);
    status_.inMemory = true;
  }
  if (rebuilds_ > 2) {
    SetStatus(IndexState::Unavailable, 0, 0, why);
    return;
  }
  OpenIndex(true);
}

// ---- queries, on the caller's thread ---------------------------------------------------------

bool IndexService::IndexFileGone() const {
  QString location;
  quint64 device, inode;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (status_.inMemory || location_.isEmpty()) return false;
    location = location_;
    device = fileDevice_;
    inode = fileInode_;
  }
  quint64 d = 0, i = 0;
  return !FileIdentity(location, &d, &i) || d != device || i != inode;
}

void IndexService::ReopenIfGone() {
  if (!IndexFileGone()) return;
  int generation;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    generation = generation_;
  }
  reader_.Close();
  PushOnce(Task::Open);
  // Briefly: the new file is open at once, and fills while the query shows what it has.
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait_for(lock, kOwnWritesWait, [&] { return generation_ != generation; });
}

bool IndexService::ReaderReady(QString* error) {
  ReopenIfGone();
  QString location;
  int generation;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    location = location_;
    generation = generation_;
  }
  if (location.isEmpty()) {
    if (error) *error = QCoreApplication::translate("Search", "The search index is not open yet.");
    return false;
  }
  if (generation != readerGeneration_ || !reader_.IsOpen()) {
    if (!reader_.Open(location, /*writer=*/false, error)) return false;
    readerGeneration_ = generation;
  }
  return true;
}

FindResult IndexService::Find(const QString& text) {
  FindResult r;
  const Match match = ParseQuery(text);
  r.match = match.expression;
  if (match.IsEmpty()) return r;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait_for(lock, kOwnWritesWait, [this] { return pendingRows_ == 0 || status_.state != IndexState::Ready; });
  }
  if (!ReaderReady(&r.error)) return r;
  if (!reader_.Find(match, &r.hits, &r.error) && reader_.Damaged()) {
    reader_.Close();
    PushOnce(Task::Rebuild);
  }
  return r;
}

bool IndexService::Details(const QString& match, qint64 id, HitDetails* details, QString* error) {
  if (!ReaderReady(error)) return false;
  if (reader_.Details(match, id, details, error)) return true;
  if (reader_.Damaged()) {
    reader_.Close();
    PushOnce(Task::Rebuild);
  }
  return false;
}

bool IndexService::LinksTo(qint64 target, std::vector<LinkingTerm>* sources, qint64* count, QString* error) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait_for(lock, kOwnWritesWait, [this] { return pendingRows_ == 0 || status_.state != IndexState::Ready; });
  }
  if (sources) sources->clear();
  if (count) *count = 0;
  if (!ReaderReady(error)) return false;
  const bool ok = sources ? reader_.LinksTo(target, sources, error) : reader_.CountLinksTo(target, count, error);
  if (ok && sources && count) *count = qint64(sources->size());
  if (!ok && reader_.Damaged()) {
    reader_.Close();
    PushOnce(Task::Rebuild);
  }
  return ok;
}

bool IndexService::Names(std::vector<std::pair<qint64, QString>>* names, QString* error) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait_for(lock, kOwnWritesWait, [this] { return pendingRows_ == 0 || status_.state != IndexState::Ready; });
  }
  names->clear();
  if (!ReaderReady(error)) return false;
  const bool ok = reader_.Names(names, error);
  if (!ok && reader_.Damaged()) {
    reader_.Close();
    PushOnce(Task::Rebuild);
  }
  return ok;
}

}  // namespace search
