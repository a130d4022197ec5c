#include "climate/calendar.h"

namespace jpcp::climate {

namespace {

constexpr std::array<int32_t, 12> common_month_days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr std::array<std::string_view, 12> month_names = {"January", "February", "March",     "April",
                                                          "May",     "June",     "July",      "August",
                                                          "September", "October", "November", "December"};

int32_t floor_mod(int32_t value, int32_t divisor) {
  const int32_t r = value % divisor;
  return r < 0 ? r + divisor : r;
}

}  // namespace

bool is_long_year(int32_t year) { return floor_mod(year - first_record_year, 3) == 0; }

int32_t days_in_year(int32_t year) { return is_long_year(year) ? 366 : 365; }

int32_t days_in_month(int32_t year, int32_t month) {
  const int32_t days = common_month_days[static_cast<size_t>(month - 1)];
  return month == 2 && is_long_year(year) ? days + 1 : days;
}

int32_t day_index(int32_t year, int32_t month, int32_t day) {
  int32_t index = 0;
  for (int32_t y = calendar_epoch_year; y < year; ++y) index += days_in_year(y);
  for (int32_t m = 1; m < month; ++m) index += days_in_month(year, m);
  return index + day - 1;
}

Date date_of(int32_t index) {
  Date date;
  date.year = calendar_epoch_year;
  while (index >= days_in_year(date.year)) {
    index -= days_in_year(date.year);
    ++date.year;
  }
  date.day_of_year = index + 1;
  date.month = 1;
  while (index >= days_in_month(date.year, date.month)) {
    index -= days_in_month(date.year, date.month);
    ++date.month;
  }
  date.day = index + 1;
  return date;
}

std::string_view month_name(int32_t month) { return month_names[static_cast<size_t>(month - 1)]; }

YearMonth add_months(YearMonth start, int32_t offset) {
  const int32_t total = start.year * 12 + (start.month - 1) + offset;
  return YearMonth{total / 12, total % 12 + 1};
}

}  // namespace jpcp::climate
