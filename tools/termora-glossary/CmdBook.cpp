// termora-glossary book: the glossary (or a letter, or what a search finds) as a PDF book, web
// pages or one RTF document.
#include <QDir>
#include <QFileInfo>

#include "Cli.h"
#include "book/Book.h"
#include "platform/Printer.h"

namespace cli {

namespace {

const QString kCmd = QStringLiteral("book");

// Paper names the option takes, and their device-mode codes.
int PaperCode(const QString& name) {
  const QString n = name.trimmed().toLower();
  if (n == QLatin1String("a4")) return platform::dmpA4;
  if (n == QLatin1String("a5")) return platform::dmpA5;
  if (n == QLatin1String("a3")) return platform::dmpA3;
  if (n == QLatin1String("letter")) return platform::dmpLetter;
  if (n == QLatin1String("legal")) return platform::dmpLegal;
  return 0;
}

}  // namespace

int RunBook(const QStringList& args, Context& ctx) {
  Options o(args,
            {QStringLiteral("pdf"), QStringLiteral("html"), QStringLiteral("rtf"), QStringLiteral("letter"),
             QStringLiteral("query"), QStringLiteral("columns"), QStringLiteral("data"), QStringLiteral("paper"),
             QStringLiteral("margin"), QStringLiteral("title"), QStringLiteral("author")},
            {QStringLiteral("force"), QStringLiteral("single-page"), QStringLiteral("landscape")});
  if (!o.ok()) return Fail(ctx, kCmd, o.error(), kUsage);
  if (!o.positional().isEmpty())
    return Fail(ctx, kCmd, QStringLiteral("unexpected argument '%1' (see --help)").arg(o.positional().first()), kUsage);
  const QString pdf = o.value(QStringLiteral("pdf")), html = o.value(QStringLiteral("html")),
                rtf = o.value(QStringLiteral("rtf"));
  if (pdf.isEmpty() && html.isEmpty() && rtf.isEmpty())
    return Fail(ctx, kCmd, QStringLiteral("needs --pdf FILE, --html DIR or --rtf FILE (see --help)"), kUsage);

  book::BookOptions options;
  bool ok = true;
  options.columns = o.value(QStringLiteral("columns"), QStringLiteral("1")).toInt(&ok);
  if (!ok || options.columns < 1 || options.columns > 2)
    return Fail(ctx, kCmd, QStringLiteral("--columns takes 1 or 2"), kUsage);
  if (o.has(QStringLiteral("margin"))) {
    const double mm = o.value(QStringLiteral("margin")).toDouble(&ok);
    if (!ok || mm < 0 || mm > 100) return Fail(ctx, kCmd, QStringLiteral("--margin takes millimetres from 0 to 100"), kUsage);
    const int tw = int(mm * 1440 / 25.4);
    options.marginLeftTw = options.marginTopTw = options.marginRightTw = options.marginBottomTw = tw;
  }
  int paper = 0;
  if (o.has(QStringLiteral("paper")) && !(paper = PaperCode(o.value(QStringLiteral("paper")))))
    return Fail(ctx, kCmd, QStringLiteral("--paper takes A3, A4, A5, Letter or Legal"), kUsage);
  options.overwrite = o.has(QStringLiteral("force"));
  options.singlePage = o.has(QStringLiteral("single-page"));
  options.title = o.value(QStringLiteral("title"));
  options.author = o.value(QStringLiteral("author"));

  book::Selection selection{o.value(QStringLiteral("letter")), o.value(QStringLiteral("query"))};
  if (!selection.letter.isEmpty()) options.description = QStringLiteral("Буква %1").arg(selection.letter.toUpper());
  if (!selection.query.isEmpty())
    options.description += (options.description.isEmpty() ? QString() : QStringLiteral(", ")) +
                           QStringLiteral("поиск «%1»").arg(selection.query);

  // Existing output is refused before any work is done.
  if (!options.overwrite) {
    for (const QString& f : {pdf, rtf})
      if (!f.isEmpty() && QFileInfo::exists(f))
        return Fail(ctx, kCmd, QStringLiteral("%1 already exists (--force replaces it)").arg(f));
    if (!html.isEmpty() && QFileInfo::exists(html) &&
        !(QFileInfo(html).isDir() && QDir(html).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)))
      return Fail(ctx, kCmd, QStringLiteral("%1 already exists (--force replaces it)").arg(html));
  }

  book::BookSource source;
  QString error;
  const QString data = o.value(QStringLiteral("data"), DefaultDataFolder());
  if (!source.Open(data, &error)) return Fail(ctx, kCmd, error);
  std::vector<book::BookLetter> plan;
  if (!source.Plan(selection, &plan, &error)) return Fail(ctx, kCmd, error);
  const int terms = book::TermCount(plan);
  if (terms == 0) return Fail(ctx, kCmd, QStringLiteral("no term matches the selection; nothing was written"));

  if (!pdf.isEmpty()) {
    platform::TPrinter& p = platform::Printer();
    const int at = p.Printers().indexOf(platform::TPrinter::PdfPrinterName());
    if (at >= 0) {
      p.SetPrinterIndex(at);
      if (paper) p.DeviceMode().dmPaperSize = paper;
      if (o.has(QStringLiteral("landscape"))) p.SetOrientation(platform::poLandscape);
      p.SetPrinterIndex(at);
    }
    const book::Result r = book::WritePdf(source, plan, options, pdf);
    if (!r.Ok()) return Fail(ctx, kCmd, r.message);
    ctx.out << pdf << ": " << terms << " terms, " << r.pages << " pages" << Qt::endl;
  }
  if (!html.isEmpty()) {
    const book::Result r = book::WriteHtml(source, plan, options, html);
    if (!r.Ok()) return Fail(ctx, kCmd, r.message);
    ctx.out << html << ": " << terms << " terms, " << plan.size() << " letters" << Qt::endl;
  }
  if (!rtf.isEmpty()) {
    const book::Result r = book::WriteRtf(source, plan, options, rtf);
    if (!r.Ok()) return Fail(ctx, kCmd, r.message);
    ctx.out << rtf << ": " << terms << " terms" << Qt::endl;
  }
  return kOk;
}

}  // namespace cli
