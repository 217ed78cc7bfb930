// Writes the program's bee as PNG files of the sizes given, for the desktop's icon theme:
//   termora-icons OUTPUT-FOLDER SIZE...   (writes OUTPUT-FOLDER/SIZExSIZE/termora.png)
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "app/BeeIcon.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fputs("termora-icons: expected OUTPUT-FOLDER and at least one SIZE\n", stderr);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    const int size = QByteArray(argv[i]).toInt();
    const QString folder = QStringLiteral("%1/%2x%2").arg(out).arg(size);
    if (size <= 0 || !QDir().mkpath(folder) || !app::BeeImage(size).save(folder + QStringLiteral("/termora.png"))) {
      std::fprintf(stderr, "termora-icons: cannot write the %s pixel icon in %s\n", argv[i], argv[1]);
      return 1;
    }
  }
  return 0;
}
