#include "climate/temperature_files.h"

#include <cmath>
#include <string>

#include "common/text/fixed_format.h"

namespace jpcp::climate {

namespace {

// A temperature in the F6.2 columns of the temperature files. Millions of
// them are written, so the value is rounded to hundredths here and the
// digits put down directly; the layout is that of the shared F6.2 writer
// (right-aligned, asterisks when too wide).
void append_temperature_field(std::string& line, double value) {
  constexpr int width = 6;
  const long long hundredths = std::llround(value * 100.0);
  const unsigned long long magnitude = static_cast<unsigned long long>(hundredths < 0 ? -hundredths : hundredths);
  std::string digits = std::to_string(magnitude / 100) + '.';
  digits += static_cast<char>('0' + magnitude % 100 / 10);
  digits += static_cast<char>('0' + magnitude % 10);
  if (hundredths < 0) digits.insert(digits.begin(), '-');
  if (static_cast<int>(digits.size()) > width) {
    line.append(width, '*');
    return;
  }
  line.append(static_cast<size_t>(width) - digits.size(), ' ');
  line += digits;
}

// Mean profiles of each calendar month and hour over the records (the
// header block of the cracking file shows them).
std::vector<std::array<double, profile_points>> month_hour_means(const std::vector<ProfileRecord>& records) {
  std::vector<std::array<double, profile_points>> sums(288);
  std::vector<int32_t> counts(288, 0);
  for (const ProfileRecord& record : records) {
    const size_t slot = static_cast<size_t>(record.month - 1) * 24 + static_cast<size_t>(record.hour);
    for (size_t j = 0; j < profile_points; ++j) sums[slot][j] += record.temperature_f[j];
    ++counts[slot];
  }
  for (size_t slot = 0; slot < sums.size(); ++slot) {
    for (double& value : sums[slot]) value = counts[slot] > 0 ? value / counts[slot] : 0.0;
  }
  return sums;
}

}  // namespace

RecordSpan cracking_record_span(int32_t climate_years) {
  RecordSpan span;
  span.first_day = day_index(first_record_year, 1, 1);
  for (int32_t y = 0; y < climate_years; ++y) span.day_count += days_in_year(first_record_year + y);
  return span;
}

RecordSpan faulting_record_span(int32_t analysis_months, int32_t start_month, int32_t age_offset_months) {
  const int32_t months = analysis_months + age_offset_months;
  const YearMonth opening{first_record_year, start_month};
  const YearMonth paving = add_months(opening, -age_offset_months);
  const YearMonth end = add_months(paving, months);
  const int32_t first_day = day_index(paving.year, paving.month, 1);
  const int32_t end_day = day_index(end.year, end.month, 1);
  return RecordSpan{first_day, end_day - first_day};
}

void write_temperature_record(std::ostream& out, const ProfileRecord& record, int32_t year_field) {
  std::string line = text::format_I(year_field, 4) + text::format_I(record.month, 2) +
                     text::format_I(record.day, 2) + text::format_I(record.hour, 2);
  for (float t : record.temperature_f) append_temperature_field(line, t);
  line += '\n';
  out << line;
}

void write_cracking_temperature_file(std::ostream& out, const std::vector<ProfileRecord>& records) {
  // 288 header lines, one per calendar month and hour: the header year,
  // month, day 0, hour and the mean profile of that month and hour.
  const auto means = month_hour_means(records);
  for (int32_t month = 1; month <= 12; ++month) {
    for (int32_t hour = 0; hour < 24; ++hour) {
      ProfileRecord header{cracking_header_year, month, 0, hour, {}};
      const auto& mean = means[static_cast<size_t>(month - 1) * 24 + static_cast<size_t>(hour)];
      for (size_t j = 0; j < profile_points; ++j) header.temperature_f[j] = static_cast<float>(mean[j]);
      write_temperature_record(out, header, cracking_header_year);
    }
  }
  for (const ProfileRecord& record : records) write_temperature_record(out, record, record.year);
}

void write_faulting_temperature_file(std::ostream& out, const std::vector<ProfileRecord>& records) {
  for (const ProfileRecord& record : records) write_temperature_record(out, record, record.year);
}

}  // namespace jpcp::climate
