// Start-up under LANGUAGE=en on a Russian desktop keeps the English interface (this program runs
// under an English locale; the Russian one is checked by the l10n tests).
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/Translations.h"
#include "base/ScopeGuard.h"
#include "richtext/Qvintl.h"

TEST(InterfaceLanguage, LanguageEnOnARussianDesktopKeepsEnglish) {
  const QByteArray language = qgetenv("LANGUAGE"), lang = qgetenv("LANG");
  base::ScopeGuard restore([&] {
    qputenv("LANGUAGE", language);
    qputenv("LANG", lang);
  });
  qputenv("LANG", "ru_RU.UTF-8");
  qputenv("LANGUAGE", "en");
  app::InstallInterfaceLanguage();
  const richtext::TqvDBRichEditIntl* r = richtext::GlobalIntl->RichEdit();
  EXPECT_EQ(r->MenuLabels()->FileCaption(), QStringLiteral("&File"));
  EXPECT_EQ(r->PopupMenuLabels()->CutCaption(), QStringLiteral("Cu&t"));
  EXPECT_EQ(r->ParagraphDialog()->AlignJustify(), QStringLiteral("Justify"));
  EXPECT_EQ(richtext::GlobalIntl->BtnCancelCaption(), QStringLiteral("Cancel"));
  EXPECT_EQ(QCoreApplication::translate("Editor", "Page Setup"), QStringLiteral("Page Setup"));
}
