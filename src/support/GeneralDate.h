#pragma once

#include <QDateTime>
#include <QString>

// The platform's general date-and-time text in local time: the short date, a blank and the long
// time without a time-zone name; a value at exactly midnight gives the date alone, no value no
// text.
QString GeneralDateText(const QDateTime &value);
