#pragma once
// Keeps the search index in step with the tables, on a thread of its own so the window stays
// usable: opens it at start and makes it again when it is missing, damaged, made by another build
// or unfinished; catches up with writes made by others; applies this program's own posts and
// deletes as they commit. Queries run on the caller's thread, on a connection of their own.
//
// The index never stops the glossary from opening: a folder that cannot hold it gets one in
// memory, and when even that fails, search says it is unavailable.

#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "search/SearchIndex.h"
#include "search/TermSource.h"

namespace search {

// The index's file in the glossary's folder.
inline constexpr char kIndexFileName[] = "termora-search.db";

enum class IndexState {
  NotStarted,
  Opening,
  Building,     // made from scratch; results are partial until it is done
  CatchingUp,   // following writes made by others; results may lag behind them
  Ready,
  Unavailable,  // see IndexStatus::message
};

struct IndexStatus {
  IndexState state = IndexState::NotStarted;
  qint64 done = 0;
  qint64 total = 0;
  bool inMemory = false;
  // Writes the index could not take yet (a full disk, locked tables): it tries again by itself,
  // and until then results may miss them.
  bool behind = false;
  QString message;  // why search is unavailable, why the index is behind, or why it is only in memory
};

struct FindResult {
  QString match;  // the query given to the index; empty when the text held no word
  std::vector<Hit> hits;
  QString error;
};

class IndexService : public QObject {
  Q_OBJECT
 public:
  using SourceFactory = std::function<std::unique_ptr<TermSource>()>;

  // `makeSource` runs on the index's thread, which also destroys what it makes.
  IndexService(const QString& folder, SourceFactory makeSource, QObject* parent = nullptr);
  ~IndexService() override;

  // Starts the thread (once): open, check, build or catch up.
  void Start();
  IndexStatus Status() const;
  QString Location() const;

  // A write this program committed to the terms, with the table's stamps around it (an empty
  // `after`: others may have written too).
  void TermWritten(qint64 id, const QString& before, const QString& after);
  // Looks for writes made by others and catches up with them.
  void CheckForChanges();

  // Queries; on the thread that made the service. A query waits for this program's own writes
  // to reach the index, so a post is found at once.
  FindResult Find(const QString& text);
  bool Details(const QString& match, qint64 id, HitDetails* details, QString* error);
  // The terms whose definitions link to `target` (with `sources`), or only how many (without).
  // Waits for this program's own writes, as Find does.
  bool LinksTo(qint64 target, std::vector<LinkingTerm>* sources, qint64* count, QString* error);
  // Every indexed term's key and name.
  bool Names(std::vector<std::pair<qint64, QString>>* names, QString* error);

  // Waits until nothing is queued or running (tests, benchmarks); false on timeout.
  bool WaitIdle(int timeoutMs);

 signals:
  // Emitted on the service's thread whenever the status changes.
  void StatusChanged();

 private:
  struct Task {
    enum Kind { Open, Row, Check, Rebuild };
    static Task Of(Kind kind) { return Task{kind, 0, QString(), QString()}; }
    Kind kind = Open;
    qint64 id = 0;
    QString before;
    QString after;
  };

  void Run();
  void Push(Task task, bool front = false);
  void PushOnce(Task::Kind kind);
  void Execute(const Task& task);
  bool OpenIndex(bool fresh);
  bool OpenAt(const QString& location, bool memory, QString* error);
  void Synchronize(bool fromScratch);
  void ApplyRow(const Task& task);
  void RebuildDamaged(const QString& why);
  void RetryLater();
  void NoRetry();
  // A pass the tables refused: the index stays as it is, says why and tries again later.
  void SettleUntilRetry(const QString& error);
  void SetStatus(IndexState state, qint64 done = 0, qint64 total = 0, const QString& message = QString());
  bool ReaderReady(QString* error);
  // The index's file was deleted or replaced since it was opened (the README says it may be
  // deleted at any time): it is opened again, as at the start.
  bool IndexFileGone() const;
  void ReopenIfGone();
  bool Stopping() const { return stop_.load(std::memory_order_relaxed); }

  const QString folder_;
  SourceFactory makeSource_;

  // The index's thread and what it alone touches.
  std::thread thread_;
  std::unique_ptr<TermSource> source_;
  SearchIndex writer_;
  std::atomic<bool> stop_{false};
  int rebuilds_ = 0;      // made anew for damage since the last pass that went through
  int restarts_ = 0;      // passes started again since the last that went through
  QString memoryWhy_;     // why the index is in memory rather than in its file
  std::chrono::steady_clock::time_point lastTold_;
  std::chrono::steady_clock::time_point lastBlindPass_;  // a pass made for want of a stamp
  // A pass that could not read the tables is made again by itself, later each time it fails.
  std::optional<std::chrono::steady_clock::time_point> retryAt_;
  std::chrono::milliseconds retryDelay_{0};

  // Shared with the caller's thread.
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Task> tasks_;
  bool busy_ = false;
  int pendingRows_ = 0;
  IndexStatus status_;
  QString location_;
  int generation_ = 0;  // changes whenever the index is made anew, so the reader reopens it
  quint64 fileDevice_ = 0, fileInode_ = 0;  // the file opened at location_ (not for memory)
  bool behind_ = false;
  bool started_ = false;

  // The caller's thread only.
  SearchIndex reader_;
  int readerGeneration_ = -1;
};

}  // namespace search
