#include "glossary/GlossaryBuild.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QHash>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <unistd.h>

#include "data/GlossaryStore.h"
#include "data/TermReader.h"
#include "rtf/RtfWriter.h"
#include "rtf/TermLinks.h"

namespace glossary {

namespace {

// The two table files, as the store names them.
QStringList TableFiles() {
  QStringList files;
  for (const char* t : {"tableMaster", "tableDetail"})
    files << data::FindStoreTable(QLatin1String(t))->fileName;
  return files;
}

bool Fill(const QList<Entry>& entries, const QString& folder, QString* error) {
  if (!data::CreateGlossaryTables(folder, error)) return false;
  data::GlossaryWriter writer(folder);
  if (!writer.Begin(error)) return false;
  QList<int> ids;
  const QStringList& letters = Letters();
  for (int n = 1; n <= letters.size(); ++n) {
    const int id = writer.AddLetter(letters[n - 1], n);
    if (id == 0) {
      *error = QStringLiteral("letter %1: %2").arg(letters[n - 1], writer.ErrorText());
      return false;
    }
    ids << id;
  }
  // A fresh table gives its terms the keys 1, 2, ... in the order they are added; links name
  // their terms by those keys, which are checked once the terms are in.
  QHash<QString, qint64> keys;
  for (int i = 0; i < entries.size(); ++i) keys.insert(TermKey(entries[i].term), i + 1);
  const auto keyOf = [&keys](const QString& target) { return keys.value(TermKey(target), 0); };
  for (const Entry& e : entries) {
    if (e.letter < 1 || e.letter > ids.size()) {
      *error = QStringLiteral("%1:%2: no letter has the record number %3")
                   .arg(e.file)
                   .arg(e.line)
                   .arg(e.letter);
      return false;
    }
    if (!writer.AddTerm(ids[e.letter - 1], e.term, DefinitionBytes(e.markup, keyOf))) {
      *error = QStringLiteral("%1:%2: %3").arg(e.file).arg(e.line).arg(writer.ErrorText());
      return false;
    }
  }
  if (!writer.Commit(error)) return false;
  data::TermReader reader;
  if (const data::StoreResult r = reader.Open(folder); !r.Ok()) {
    *error = r.error;
    return false;
  }
  std::vector<data::TermRow> rows;
  qint64 expected = 1;
  for (qint64 after = 0;; after = rows.back().key) {
    if (const data::StoreResult r = reader.ReadAfter(after, 1000, &rows); !r.Ok()) {
      *error = r.error;
      return false;
    }
    if (rows.empty()) break;
    for (const data::TermRow& row : rows)
      if (row.key != expected || row.word != entries[int(expected++ - 1)].term) {
        *error = QStringLiteral("the term \"%1\" was not stored under the key its links name").arg(row.word);
        return false;
      }
  }
  return true;
}

}  // namespace

QByteArray DefinitionBytes(const QString& markup, const std::function<qint64(const QString& target)>& keyOf) {
  QTextDocument doc;
  // The window's definition font, named outright so the bytes do not depend on the machine's
  // default font.
  doc.setDefaultFont(QFont(QStringLiteral("Verdana"), 12));
  MarkupToDocument(markup, &doc, [&keyOf](const QString& target) {
    const qint64 key = keyOf ? keyOf(target) : 0;
    return key > 0 ? rtf::TermLinkHref(key) : QString();
  });
  return rtf::WriteRtf(doc);
}

namespace {

const QString kScratchPrefix = QStringLiteral(".termora-glossary-build-");

// Scratch folders a killed build left: those of builds no longer running (their process id is in
// the name), and unnamed ones older than any build takes.
void RemoveStaleScratch(const QDir& data) {
  const QFileInfoList found =
      data.entryInfoList({kScratchPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
  for (const QFileInfo& f : found) {
    if (f.isSymLink()) continue;
    const QString rest = f.fileName().mid(kScratchPrefix.size());
    bool numbered = false;
    const qint64 pid = rest.section(QLatin1Char('-'), 0, 0).toLongLong(&numbered);
    bool stale;
    if (numbered && rest.contains(QLatin1Char('-')) && pid > 0)
      stale = pid != qint64(::getpid()) && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
    else
      stale = f.lastModified().secsTo(QDateTime::currentDateTime()) > 3600;
    if (stale) QDir(f.absoluteFilePath()).removeRecursively();
  }
}

}  // namespace

BuildResult BuildTables(const QList<Entry>& entries, const QString& dataFolder, QString* message) {
  const QDir data(dataFolder);
  if (data.exists()) RemoveStaleScratch(data);
  QStringList present;
  for (const QString& f : TableFiles())
    if (QFileInfo::exists(data.filePath(f))) present << f;
  if (present.size() == 2) {
    *message = QStringLiteral("The glossary tables are already in %1; they are left as they are.")
                   .arg(QDir::toNativeSeparators(data.absolutePath()));
    return BuildResult::AlreadyThere;
  }
  if (!present.isEmpty()) {
    *message = QStringLiteral("%1 is in %2 but its partner table is missing; nothing was changed. "
                              "Move the file away to build the bundled glossary afresh.")
                   .arg(present.front(), QDir::toNativeSeparators(data.absolutePath()));
    return BuildResult::Failed;
  }
  if (!QDir().mkpath(data.absolutePath())) {
    *message = QStringLiteral("Cannot create the folder %1.").arg(data.absolutePath());
    return BuildResult::Failed;
  }

  // A scratch folder beside the tables, so that moving the finished files is a rename on one
  // file system, and a build that fails or is killed never leaves a table where one is looked for.
  QTemporaryDir scratch(data.filePath(kScratchPrefix + QString::number(::getpid()) + QStringLiteral("-XXXXXX")));
  if (!scratch.isValid()) {
    *message = QStringLiteral("Cannot create a scratch folder in %1: %2")
                   .arg(data.absolutePath(), scratch.errorString());
    return BuildResult::Failed;
  }
  QString error;
  if (!Fill(entries, scratch.path(), &error)) {
    *message = QStringLiteral("Building the tables failed: %1").arg(error);
    return BuildResult::Failed;
  }

  QStringList moved;
  for (const QString& f : TableFiles()) {
    const QString to = data.filePath(f);
    if (!QFile::rename(QDir(scratch.path()).filePath(f), to)) {
      for (const QString& m : moved) QFile::remove(m);  // only files this build put there
      *message = QStringLiteral("Cannot move the finished table into %1 (is %2 there now?).")
                     .arg(data.absolutePath(), f);
      return BuildResult::Failed;
    }
    moved << to;
  }
  *message = QStringLiteral("Created the glossary tables in %1: %2 letters, %3 terms.")
                 .arg(QDir::toNativeSeparators(data.absolutePath()))
                 .arg(Letters().size())
                 .arg(entries.size());
  return BuildResult::Built;
}

int RunBuilder(const QString& sourceFolder, const QString& dataFolder, QTextStream& out,
               QTextStream& err) {
  QString message;
  // Existing tables are the user's: say so before even reading the source.
  bool both = true;
  for (const QString& f : TableFiles())
    both = both && QFileInfo::exists(QDir(dataFolder).filePath(f));
  if (both) {
    BuildTables({}, dataFolder, &message);
    out << message << Qt::endl;
    return 0;
  }
  QList<Entry> entries;
  SourceError error;
  if (!ReadSourceFolder(sourceFolder, &entries, &error)) {
    err << error.ToString() << Qt::endl;
    err << "No tables were created." << Qt::endl;
    return 1;
  }
  const BuildResult r = BuildTables(entries, dataFolder, &message);
  if (r == BuildResult::Failed) {
    err << message << Qt::endl;
    return 1;
  }
  out << message << Qt::endl;
  return 0;
}

}  // namespace glossary
