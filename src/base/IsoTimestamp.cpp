#include "base/IsoTimestamp.h"

#include <QString>

namespace vantrel::iso {
namespace {

constexpr qint64 secondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date.
qint64 daysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2 ? 1 : 0;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<qint64>(doe) - 719468;
}

struct Civil {
    qint64 year;
    unsigned month;
    unsigned day;
};

Civil civilFromDays(qint64 z)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<qint64>(yoe) + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

bool isLeap(qint64 y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(qint64 y, unsigned m)
{
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

bool digits(std::string_view s, size_t at, size_t count, unsigned& value)
{
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(s[i] - '0');
    }
    return true;
}

void appendDigits(std::string& out, unsigned value, int count)
{
    char buffer[4];
    for (int i = count - 1; i >= 0; --i) {
        buffer[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(buffer, static_cast<size_t>(count));
}

} // namespace

std::optional<QDateTime> parseWholeSecondUtc(std::string_view s)
{
    // 0123456789012345678 9
    // YYYY-MM-DDTHH:MM:SSZ
    if (s.size() != 20 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':' || s[19] != 'Z')
        return std::nullopt;
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!digits(s, 0, 4, year) || !digits(s, 5, 2, month) || !digits(s, 8, 2, day) || !digits(s, 11, 2, hour)
        || !digits(s, 14, 2, minute) || !digits(s, 17, 2, second))
        return std::nullopt;
    if (year < 1000 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59
        || second > 59)
        return std::nullopt;
    const qint64 secs = daysFromCivil(year, month, day) * secondsPerDay + hour * 3600 + minute * 60 + second;
    return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC);
}

QDateTime parse(std::string_view text)
{
    if (auto t = parseWholeSecondUtc(text))
        return *t;
    return QDateTime::fromString(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), Qt::ISODate);
}

bool appendWholeSecondUtc(std::string& out, const QDateTime& t)
{
    if (!t.isValid())
        return false;
    // The second the time falls in (toSecsSinceEpoch() rounds toward zero before 1970).
    const qint64 ms = t.toMSecsSinceEpoch();
    const qint64 secs = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    const qint64 days = secs >= 0 ? secs / secondsPerDay : (secs - secondsPerDay + 1) / secondsPerDay;
    const auto inDay = static_cast<unsigned>(secs - days * secondsPerDay);
    const Civil date = civilFromDays(days);
    if (date.year < 1000 || date.year > 9999)
        return false;
    appendDigits(out, static_cast<unsigned>(date.year), 4);
    out += '-';
    appendDigits(out, date.month, 2);
    out += '-';
    appendDigits(out, date.day, 2);
    out += 'T';
    appendDigits(out, inDay / 3600, 2);
    out += ':';
    appendDigits(out, inDay / 60 % 60, 2);
    out += ':';
    appendDigits(out, inDay % 60, 2);
    out += 'Z';
    return true;
}

} // namespace vantrel::iso
