#pragma once
// Files kept in the source tree beside the tests (fixtures, the corpus), found from wherever the
// test program runs: __FILE__ may be a relative path when the compiler is handed one.
#include <QString>

QString SourcePath(const QString& relative);
