#include "tests/common/SourcePath.h"

QString SourcePath(const QString& relative) { return QStringLiteral(TERMORA_SOURCE_ROOT "/") + relative; }
