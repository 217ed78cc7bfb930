#pragma once
// Terms held in memory in place of the tables, shared between a test and the index's thread.
// A definition is its own plain text (UTF-8); each conversion is counted, so a test can tell a
// catch-up from a rebuild.

#include <QRegularExpression>
#include <QString>
#include <map>
#include <ostream>
#include <memory>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "search/IndexService.h"
#include "search/TermSource.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

struct FakeTables {
  std::mutex mutex;
  std::map<qint64, search::SourceTerm> terms;
  QString stamp = QStringLiteral("s1");
  int conversions = 0;
  bool unreadable = false;
  int conversionMs = 0;  // how long each conversion takes, to make a build last
  // Called on the index's thread before each read of a batch of terms, with the read's number.
  std::function<void(int)> beforeRead;
  int reads = 0;
  int refusedReads = 0;  // reads of a batch still to be refused, as by a lock held elsewhere

  void Set(qint64 id, qint64 letter, const QString& word, const QString& text) {
    std::lock_guard<std::mutex> lock(mutex);
    search::SourceTerm& t = terms[id];
    t = search::SourceTerm{id, t.version + 1, letter, word, text.toUtf8()};
  }
  void Erase(qint64 id) {
    std::lock_guard<std::mutex> lock(mutex);
    terms.erase(id);
  }
  void SetStamp(const QString& s) {
    std::lock_guard<std::mutex> lock(mutex);
    stamp = s;
  }
  int Conversions() {
    std::lock_guard<std::mutex> lock(mutex);
    return conversions;
  }
  QString WordOf(qint64 id) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = terms.find(id);
    return it == terms.end() ? QStringLiteral("<gone %1>").arg(id) : it->second.word;
  }
};

class FakeSource : public search::TermSource {
 public:
  explicit FakeSource(std::shared_ptr<FakeTables> t) : t_(std::move(t)) {}
  bool Open(QString* error) override {
    std::lock_guard<std::mutex> lock(t_->mutex);
    if (t_->unreadable) *error = QStringLiteral("cannot read the tables");
    return !t_->unreadable;
  }
  QString Stamp() override {
    std::lock_guard<std::mutex> lock(t_->mutex);
    return t_->stamp;
  }
  bool Count(qint64* count, QString*) override {
    std::lock_guard<std::mutex> lock(t_->mutex);
    *count = qint64(t_->terms.size());
    return true;
  }
  bool ReadAfter(qint64 afterId, int limit, std::vector<search::SourceTerm>* terms, QString* error) override {
    std::function<void(int)> hook;
    int read;
    {
      std::lock_guard<std::mutex> lock(t_->mutex);
      hook = t_->beforeRead;
      read = ++t_->reads;
    }
    if (hook) hook(read);
    std::lock_guard<std::mutex> lock(t_->mutex);
    if (t_->refusedReads > 0) {
      --t_->refusedReads;
      *error = QStringLiteral("database is locked");
      return false;
    }
    terms->clear();
    for (auto it = t_->terms.upper_bound(afterId); it != t_->terms.end() && int(terms->size()) < limit; ++it)
      terms->push_back(it->second);
    return true;
  }
  ReadResult Read(qint64 id, search::SourceTerm* term, QString*) override {
    std::lock_guard<std::mutex> lock(t_->mutex);
    auto it = t_->terms.find(id);
    if (it == t_->terms.end()) return Gone;
    *term = it->second;
    return Found;
  }
  QString TextOf(const QByteArray& definition) override {
    int ms;
    {
      std::lock_guard<std::mutex> lock(t_->mutex);
      ++t_->conversions;
      ms = t_->conversionMs;
    }
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return QString::fromUtf8(definition);
  }
  // A link stands in the text as "{N}", N the key of the term it goes to.
  QString TextAndLinksOf(const QByteArray& definition, std::vector<qint64>* links) override {
    QString text = TextOf(definition);
    links->clear();
    static const QRegularExpression link(QStringLiteral("\\{(\\d+)\\}"));
    for (auto it = link.globalMatch(text); it.hasNext();) links->push_back(it.next().captured(1).toLongLong());
    return text.remove(link);
  }

 private:
  std::shared_ptr<FakeTables> t_;
};

inline std::unique_ptr<search::IndexService> StartService(const QString& folder, std::shared_ptr<FakeTables> t) {
  auto s = std::make_unique<search::IndexService>(folder, [t] { return std::make_unique<FakeSource>(t); });
  s->Start();
  s->WaitIdle(30000);
  return s;
}
