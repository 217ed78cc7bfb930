#include "app/DateLine.h"

namespace app {

namespace {
const char16_t* const kMonths[12] = {u"января", u"февраля", u"марта",    u"апреля",  u"мая",    u"июня",
                                     u"июля",   u"августа", u"сентября", u"октября", u"ноября", u"декабря"};
const char16_t* const kDays[7] = {u"воскресенье", u"понедельник", u"вторник", u"среда",
                                  u"четверг",     u"пятница",     u"суббота"};
}  // namespace

QString MonthName(int month) {
  return month >= 1 && month <= 12 ? QString::fromUtf16(kMonths[month - 1]) : QString();
}

QString DayName(int dayOfWeek) {
  return dayOfWeek >= 1 && dayOfWeek <= 7 ? QString::fromUtf16(kDays[dayOfWeek - 1]) : QString();
}

int SundayBasedDayOfWeek(const QDate& d) {
  // Qt counts Monday = 1 ... Sunday = 7.
  return d.dayOfWeek() % 7 + 1;
}

QString DateLine(const QDate& d) {
  return QStringLiteral("  Сегодня ") + QString::number(d.day()) + QLatin1Char(' ') + MonthName(d.month()) +
         QLatin1Char(' ') + QString::number(d.year()) + QStringLiteral(" года, ") +
         DayName(SundayBasedDayOfWeek(d)) + QLatin1Char(' ');
}

}  // namespace app
