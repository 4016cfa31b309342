#include "engine/dates.h"

#include <cstdio>
#include <ctime>

namespace qorvel::engine {

namespace {

bool validYmd(int y, int m, int d) {
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1)
        return false;
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

bool digits(std::string_view s, int& out) {
    if (s.empty())
        return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

}  // namespace

Date Date::fromYmd(int y, int m, int d) {
    if (!validYmd(y, m, d))
        return {};
    // Gregorian calendar to Julian day number.
    const int a = (14 - m) / 12;
    const int yy = y + 4800 - a;
    const int mm = m + 12 * a - 3;
    return Date{d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045};
}

void Date::toYmd(int& year, int& month, int& day) const {
    const int a = julian + 32044;
    const int b = (4 * a + 3) / 146097;
    const int c = a - 146097 * b / 4;
    const int d = (4 * c + 3) / 1461;
    const int e = c - 1461 * d / 4;
    const int m = (5 * e + 2) / 153;
    day = e - (153 * m + 2) / 5 + 1;
    month = m + 3 - 12 * (m / 10);
    year = 100 * b + d - 4800 + m / 10;
}

std::string Date::toDtos() const {
    if (empty())
        return std::string(8, ' ');
    int y = 0, m = 0, d = 0;
    toYmd(y, m, d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

Date Date::fromDtos(std::string_view t) {
    if (t.size() < 8)
        return {};
    int y = 0, m = 0, d = 0;
    if (!digits(t.substr(0, 4), y) || !digits(t.substr(4, 2), m) || !digits(t.substr(6, 2), d))
        return {};
    return fromYmd(y, m, d);
}

Date Date::fromAmerican(std::string_view t) {
    int parts[3] = {0, 0, 0};
    int lengths[3] = {0, 0, 0};
    int n = 0;
    size_t i = 0;
    while (i < t.size() && t[i] == ' ')
        ++i;
    while (i < t.size() && n < 3) {
        size_t j = i;
        while (j < t.size() && t[j] >= '0' && t[j] <= '9')
            ++j;
        if (j == i || !digits(t.substr(i, j - i), parts[n]))
            return {};
        lengths[n] = static_cast<int>(j - i);
        ++n;
        if (j < t.size() && t[j] != ' ')
            ++j;  // the separator
        i = j;
    }
    if (n != 3)
        return {};
    int year = parts[2];
    if (lengths[2] <= 2)
        year += year < 50 ? 2000 : 1900;
    return fromYmd(year, parts[0], parts[1]);
}

Date Date::today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return fromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace qorvel::engine
