#pragma once
// Damaging a table file underneath the program, as a failing disk or another program would.

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QtEndian>

// The file's page size, from its header.
inline int TablePageSize(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QByteArray head = f.read(100);
  return head.size() < 18 ? 0 : qFromBigEndian<quint16>(head.constData() + 16);
}

// The 1-based page that holds the first occurrence of `marker` (a row's bytes), or 0.
inline int TablePageHolding(const QString& path, const QByteArray& marker) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const qsizetype at = f.readAll().indexOf(marker);
  const int size = TablePageSize(path);
  return at < 0 || size == 0 ? 0 : int(at / size) + 1;
}

// Overwrites a page with noise and advances the file's change counter, so that every open
// connection reads the file again as after another program's write.
inline void ScrambleTablePage(const QString& path, int page) {
  const int size = TablePageSize(path);
  ASSERT_GT(size, 0);
  ASSERT_GT(page, 0);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  QByteArray noise(size, '\0');
  for (int i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919 + 13) % 251);
  f.seek(qint64(page - 1) * size);
  f.write(noise);
  f.seek(24);
  const QByteArray counter = f.read(4);
  uchar next[4];
  qToBigEndian(qFromBigEndian<quint32>(counter.constData()) + 1, next);
  f.seek(24);
  f.write(reinterpret_cast<const char*>(next), 4);
}
