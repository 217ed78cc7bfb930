#pragma once
// The status bar's date line, in Russian: "  Сегодня 5 марта 2024 года, вторник ".

#include <QDate>
#include <QString>

namespace app {

// Genitive month names, 1 = January.
QString MonthName(int month);
// Weekday names counted 1 = Sunday ... 7 = Saturday.
QString DayName(int dayOfWeek);
// The day of the week of `d` counted 1 = Sunday ... 7 = Saturday.
int SundayBasedDayOfWeek(const QDate& d);

QString DateLine(const QDate& d);

}  // namespace app
