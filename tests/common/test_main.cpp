// The test programs' shared entry: one QApplication for the whole run, headless unless the
// caller asked for a real display, with only the fonts the set-up installs, under an English
// locale.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/Question.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Text is measured the same on every machine: fonts installed besides the set-up's stay unseen.
  qputenv("FONTCONFIG_FILE", TERMORA_TEST_FONTCONFIG);
  // The tests pin the English texts and number formats, whatever the machine's locale: the
  // program turns Russian under a Russian LANG or LANGUAGE, and Qt reads the locale too.
  qputenv("LANGUAGE", "en");
  qputenv("LC_ALL", "C.UTF-8");
  qputenv("LANG", "C.UTF-8");
  QApplication app(argc, argv);
  QApplication::setApplicationName(platform::ApplicationTitle());
  // A test that forgets to script its questions must not hang on a modal box.
  platform::SetAnswerer([](const platform::Question& q) {
    ADD_FAILURE() << "unexpected question: " << q.text.toStdString();
    return int(platform::idCancel);
  });
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
