// The calendar of the hourly temperature records.
//
// The cracking program reads its temperature records in year blocks of 366,
// 365 and 365 days, repeating. The record years follow the same pattern,
// so that every block holds exactly one calendar year: the years 2001, 2004,
// 2007, ... have 366 days (February 29), the others 365. Days are counted
// from 1 January 1999, the start of the weather that warms the ground up
// before the first record.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace jpcp::climate {

inline constexpr int32_t calendar_epoch_year = 1999;
// First year of the cracking program's temperature records; a 366-day year,
// like the first year block of its reader.
inline constexpr int32_t first_record_year = 2001;

struct Date {
  int32_t year = first_record_year;
  int32_t month = 1;        // 1..12
  int32_t day = 1;          // 1..31
  int32_t day_of_year = 1;  // 1..366
};

bool is_long_year(int32_t year);
int32_t days_in_year(int32_t year);
int32_t days_in_month(int32_t year, int32_t month);

// Days since 1 January 1999 (day 0); the date must not lie before it.
int32_t day_index(int32_t year, int32_t month, int32_t day);
Date date_of(int32_t index);

// "January" ... "December".
std::string_view month_name(int32_t month);

// Calendar month (1..12) that lies `offset` months after `month` (negative
// offsets go back), and the matching year.
struct YearMonth {
  int32_t year = first_record_year;
  int32_t month = 1;
};
YearMonth add_months(YearMonth start, int32_t offset);

}  // namespace jpcp::climate
