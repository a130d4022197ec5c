#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "climate/weather_series.h"

namespace jpcp::climate {

namespace {

constexpr double missing = std::numeric_limits<double>::quiet_NaN();

constexpr std::array<std::string_view, weather_field_count> field_names = {
    "air_temperature_c", "ghi_w_m2", "wind_m_s", "dew_point_c", "relative_humidity",
    "sky_cover_tenths", "infrared_w_m2", "precipitation_mm"};

// Plausible ranges of measured values; anything outside is a fault of the
// file, not weather. Relative humidity up to 110 % (sensors read a little
// above saturation; values above 100 are taken as 100).
struct Range {
  double low, high;
};
constexpr std::array<Range, weather_field_count> valid_ranges = {{
    {-70.0, 60.0}, {0.0, 1500.0}, {0.0, 40.0}, {-80.0, 40.0}, {0.0, 110.0}, {0.0, 10.0}, {0.0, 700.0}, {0.0, 500.0}}};
constexpr double radiometer_offset_wm2 = 10.0;
constexpr std::array<bool, weather_field_count> required = {true, true, true, false, false, false, false, false};

constexpr int32_t month_days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool is_leap(int32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Splits a CSV line; a field in double quotes may hold commas.
std::vector<std::string_view> split_csv(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (true) {
    if (i < line.size() && line[i] == '"') {
      const size_t close = line.find('"', i + 1);
      const size_t end = close == std::string_view::npos ? line.size() : close;
      fields.push_back(line.substr(i + 1, end - i - 1));
      const size_t comma = line.find(',', end);
      if (comma == std::string_view::npos) break;
      i = comma + 1;
    } else {
      const size_t comma = line.find(',', i);
      if (comma == std::string_view::npos) {
        fields.push_back(trim(line.substr(i)));
        break;
      }
      fields.push_back(trim(line.substr(i, comma - i)));
      i = comma + 1;
    }
  }
  return fields;
}

bool parse_number(std::string_view text, double& value) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(value);
}

bool parse_int(std::string_view text, int32_t& value) {
  text = trim(text);
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// A row as read: where it stands in the file, its stamp and its values
// (NaN where missing).
struct RawRow {
  size_t line = 0;
  WeatherHour hour;
};

class Reader {
 public:
  Reader(const std::string& path, std::string& error) : path_(path), error_(error) {}

  bool fail(size_t line, std::string_view field, const std::string& reason) {
    error_ = path_ + ": row " + std::to_string(line);
    if (!field.empty()) error_ += ", field " + std::string(field);
    error_ += ": " + reason;
    return false;
  }

  // A value of a field: a number, or missing when empty, when it equals
  // one of the layout's missing-value codes.
  bool value(size_t line, std::string_view field_label, std::string_view text, const std::vector<double>& codes,
             double& out) {
    const std::string_view t = trim(text);
    if (t.empty() || t == "NA" || t == "NaN" || t == "nan") {
      out = missing;
      return true;
    }
    if (!parse_number(t, out)) return fail(line, field_label, "'" + std::string(t) + "' is not a number");
    for (double code : codes) {
      if (out == code) out = missing;
    }
    return true;
  }

  bool stamp_check(size_t line, WeatherHour& hour, std::string_view label) {
    if (hour.month < 1 || hour.month > 12) return fail(line, label, "month " + std::to_string(hour.month) + " is not 1 to 12");
    if (hour.day < 1 || hour.day > month_days[hour.month - 1] || (check_leap_years && hour.month == 2 && hour.day == 29 && !is_leap(hour.year)))
      return fail(line, label, "day " + std::to_string(hour.day) + " does not exist in month " + std::to_string(hour.month));
    if (hour.hour < 1 || hour.hour > 24) return fail(line, label, "hour " + std::to_string(hour.hour) + " is not 1 to 24");
    return true;
  }

  // The fields of a data row, which must number `count` (`expected` says
  // where that count comes from).
  bool row_fields(size_t line, std::string_view text, size_t count, const std::string& expected,
                  std::vector<std::string_view>& fields) {
    fields = split_csv(text);
    if (fields.size() == count) return true;
    return fail(line, "", std::to_string(fields.size()) + " fields where " + expected);
  }

  std::vector<RawRow> rows;
  // Typical years take each month from another year: their year fields say
  // nothing about 29 February.
  bool check_leap_years = false;

 private:
  std::string path_;
  std::string& error_;
};

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // UTF-8 byte-order mark
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  while (!lines.empty() && trim(lines.back()).empty()) lines.pop_back();
  return lines;
}

std::string file_stem(const std::string& path) { return std::filesystem::path(path).stem().string(); }

// EPW: 8 header lines, then rows of 35 fields. Missing-value codes by field.
bool read_epw(const std::vector<std::string_view>& lines, Reader& reader, WeatherSeries& series) {
  constexpr size_t header_lines = 8;
  constexpr size_t field_count = 35;
  if (lines.size() <= header_lines) return reader.fail(lines.size(), "", "the file ends inside the 8 header lines");
  const auto location = split_csv(lines[0]);
  if (location.size() < 10 || lower(location[0]) != "location")
    return reader.fail(1, "LOCATION", "the location line needs 10 fields");
  std::string site;
  for (size_t i = 1; i <= 3; ++i) {
    const std::string part(trim(location[i]));
    if (part.empty() || part == "-" || lower(part) == "unknown") continue;
    site += (site.empty() ? "" : ", ") + part;
  }
  series.site = site.empty() ? file_stem(series.path) : site;
  if (!parse_number(location[6], series.latitude_deg) || std::abs(series.latitude_deg) > 90.0)
    return reader.fail(1, "latitude", "not a latitude");
  if (!parse_number(location[7], series.longitude_deg) || std::abs(series.longitude_deg) > 180.0)
    return reader.fail(1, "longitude", "not a longitude");
  series.has_location = true;

  // Field positions (0-based) and missing codes of the values used.
  struct Column {
    WeatherField field;
    size_t index;
    std::string_view label;
    std::vector<double> codes;
  };
  const Column columns[] = {
      {WeatherField::air_temperature, 6, "dry bulb temperature", {99.9}},
      {WeatherField::dew_point, 7, "dew point temperature", {99.9}},
      {WeatherField::relative_humidity, 8, "relative humidity", {999.0}},
      {WeatherField::infrared, 12, "horizontal infrared radiation", {9999.0}},
      {WeatherField::global_horizontal, 13, "global horizontal radiation", {9999.0}},
      {WeatherField::wind_speed, 21, "wind speed", {999.0}},
      {WeatherField::sky_cover, 23, "opaque sky cover", {99.0}},
      {WeatherField::precipitation, 33, "liquid precipitation depth", {999.0}},
  };
  std::vector<double> total_cover;  // total sky cover, where the opaque cover is missing in every row
  for (size_t l = header_lines; l < lines.size(); ++l) {
    const size_t line = l + 1;
    if (trim(lines[l]).empty()) continue;
    std::vector<std::string_view> fields;
    if (!reader.row_fields(line, lines[l], field_count, "an EPW row has 35", fields)) return false;
    RawRow row;
    row.line = line;
    int32_t minute = 0;
    if (!parse_int(fields[0], row.hour.year)) return reader.fail(line, "year", "not a whole number");
    if (!parse_int(fields[1], row.hour.month)) return reader.fail(line, "month", "not a whole number");
    if (!parse_int(fields[2], row.hour.day)) return reader.fail(line, "day", "not a whole number");
    if (!parse_int(fields[3], row.hour.hour)) return reader.fail(line, "hour", "not a whole number");
    if (!parse_int(fields[4], minute)) return reader.fail(line, "minute", "not a whole number");
    if (minute != 0 && minute != 60) return reader.fail(line, "minute", "minute " + std::to_string(minute) + ": the rows are not hourly");
    if (!reader.stamp_check(line, row.hour, "date")) return false;
    row.hour.value.fill(missing);
    for (const Column& column : columns) {
      if (!reader.value(line, column.label, fields[column.index], column.codes, row.hour.value[static_cast<size_t>(column.field)]))
        return false;
    }
    double total = missing;
    if (!reader.value(line, "total sky cover", fields[22], {99.0}, total)) return false;
    total_cover.push_back(total);
    reader.rows.push_back(row);
  }
  // Opaque cover missing throughout: the total cover stands in for it.
  const size_t cover = static_cast<size_t>(WeatherField::sky_cover);
  if (std::all_of(reader.rows.begin(), reader.rows.end(), [&](const RawRow& r) { return std::isnan(r.hour.value[cover]); })) {
    for (size_t r = 0; r < reader.rows.size(); ++r) reader.rows[r].hour.value[cover] = total_cover[r];
  }
  return true;
}

// TMY3 CSV: station line, column-name line, rows "MM/DD/YYYY,HH:MM,...".
bool read_tmy3(const std::vector<std::string_view>& lines, Reader& reader, WeatherSeries& series) {
  if (lines.size() < 3) return reader.fail(lines.size(), "", "the file ends before its first data row");
  const auto station = split_csv(lines[0]);
  if (station.size() < 6) return reader.fail(1, "station", "the station line needs id, name, state, time zone, latitude, longitude");
  series.site = std::string(trim(station[1]));
  if (station.size() > 2 && !trim(station[2]).empty() && trim(station[2]) != "-") series.site += ", " + std::string(trim(station[2]));
  if (!trim(station[0]).empty()) series.site += " (" + std::string(trim(station[0])) + ")";
  if (!parse_number(station[4], series.latitude_deg) || std::abs(series.latitude_deg) > 90.0)
    return reader.fail(1, "latitude", "not a latitude");
  if (!parse_number(station[5], series.longitude_deg) || std::abs(series.longitude_deg) > 180.0)
    return reader.fail(1, "longitude", "not a longitude");
  series.has_location = true;

  const auto names = split_csv(lines[1]);
  // A column name's part before its unit, lower case: "Dry-bulb (C)" -> "dry-bulb".
  auto key_of = [](std::string_view name) {
    const size_t paren = name.find(" (");
    return lower(trim(paren == std::string_view::npos ? name : name.substr(0, paren)));
  };
  struct Column {
    WeatherField field;
    std::vector<std::string_view> keys;  // first found wins
    size_t index = std::string_view::npos;
    std::string label = {};
  };
  std::vector<Column> columns = {
      {WeatherField::air_temperature, {"dry-bulb"}},
      {WeatherField::global_horizontal, {"ghi"}},
      {WeatherField::wind_speed, {"wspd"}},
      {WeatherField::dew_point, {"dew-point"}},
      {WeatherField::relative_humidity, {"rhum"}},
      {WeatherField::sky_cover, {"opqcld", "totcld"}},
      {WeatherField::precipitation, {"lprecip depth"}},
  };
  size_t date_index = std::string_view::npos;
  size_t time_index = std::string_view::npos;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string key = key_of(names[i]);
    if (key == "date") date_index = i;
    if (key == "time") time_index = i;
  }
  for (Column& column : columns) {
    for (std::string_view key : column.keys) {
      for (size_t i = 0; i < names.size() && column.index == std::string_view::npos; ++i) {
        if (key_of(names[i]) == key) {
          column.index = i;
          column.label = std::string(trim(names[i]));
        }
      }
    }
    if (column.index == std::string_view::npos && required[static_cast<size_t>(column.field)])
      return reader.fail(2, std::string(column.keys.front()), "no such column in the column names");
  }
  if (date_index == std::string_view::npos || time_index == std::string_view::npos)
    return reader.fail(2, "Date/Time", "the column names need Date (MM/DD/YYYY) and Time (HH:MM)");

  for (size_t l = 2; l < lines.size(); ++l) {
    const size_t line = l + 1;
    if (trim(lines[l]).empty()) continue;
    std::vector<std::string_view> fields;
    if (!reader.row_fields(line, lines[l], names.size(),
                           "the column names give " + std::to_string(names.size()), fields))
      return false;
    RawRow row;
    row.line = line;
    const std::string_view date = fields[date_index];
    const std::string_view time = fields[time_index];
    const size_t slash1 = date.find('/');
    const size_t slash2 = slash1 == std::string_view::npos ? slash1 : date.find('/', slash1 + 1);
    if (slash2 == std::string_view::npos || !parse_int(date.substr(0, slash1), row.hour.month) ||
        !parse_int(date.substr(slash1 + 1, slash2 - slash1 - 1), row.hour.day) ||
        !parse_int(date.substr(slash2 + 1), row.hour.year))
      return reader.fail(line, "Date", "'" + std::string(date) + "' is not MM/DD/YYYY");
    int32_t minute = 0;
    const size_t colon = time.find(':');
    if (colon == std::string_view::npos || !parse_int(time.substr(0, colon), row.hour.hour) ||
        !parse_int(time.substr(colon + 1), minute))
      return reader.fail(line, "Time", "'" + std::string(time) + "' is not HH:MM");
    if (minute != 0 && minute != 60) return reader.fail(line, "Time", "minute " + std::to_string(minute) + ": the rows are not hourly");
    if (!reader.stamp_check(line, row.hour, "Date")) return false;
    row.hour.value.fill(missing);
    for (const Column& column : columns) {
      if (column.index == std::string_view::npos) continue;
      // -9900 marks a missing value in these files.
      if (!reader.value(line, column.label, fields[column.index], {-9900.0, -9999.0},
                        row.hour.value[static_cast<size_t>(column.field)]))
        return false;
    }
    reader.rows.push_back(row);
  }
  return true;
}

// Civil date one day back.
void previous_day(int32_t& year, int32_t& month, int32_t& day) {
  if (--day >= 1) return;
  if (--month < 1) {
    month = 12;
    --year;
  }
  day = month == 2 ? (is_leap(year) ? 29 : 28) : month_days[month - 1];
}

// Plain CSV: a header naming the columns, then one row per hour.
bool read_plain_csv(const std::vector<std::string_view>& lines, Reader& reader, WeatherSeries& series) {
  series.site = file_stem(series.path);
  reader.check_leap_years = true;
  if (lines.empty()) return reader.fail(1, "", "the file is empty");
  const auto names = split_csv(lines[0]);
  size_t time_index = std::string_view::npos;
  std::array<size_t, weather_field_count> index;
  index.fill(std::string_view::npos);
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string name = lower(names[i]);
    if (name == "time") time_index = i;
    for (size_t f = 0; f < weather_field_count; ++f) {
      if (name == field_names[f]) index[f] = i;
    }
  }
  if (time_index == std::string_view::npos) return reader.fail(1, "time", "no such column in the column names");
  for (size_t f = 0; f < weather_field_count; ++f) {
    if (required[f] && index[f] == std::string_view::npos)
      return reader.fail(1, field_names[f], "no such column in the column names");
  }
  if (lines.size() < 2) return reader.fail(1, "", "the file has no rows after its column names");
  for (size_t l = 1; l < lines.size(); ++l) {
    const size_t line = l + 1;
    if (trim(lines[l]).empty()) continue;
    std::vector<std::string_view> fields;
    if (!reader.row_fields(line, lines[l], names.size(),
                           "the column names give " + std::to_string(names.size()), fields))
      return false;
    RawRow row;
    row.line = line;
    const std::string_view time = fields[time_index];
    int32_t minute = 0;
    if (time.size() < 16 || time[4] != '-' || time[7] != '-' || (time[10] != 'T' && time[10] != ' ') ||
        time[13] != ':' || !parse_int(time.substr(0, 4), row.hour.year) ||
        !parse_int(time.substr(5, 2), row.hour.month) || !parse_int(time.substr(8, 2), row.hour.day) ||
        !parse_int(time.substr(11, 2), row.hour.hour) || !parse_int(time.substr(14, 2), minute))
      return reader.fail(line, "time", "'" + std::string(time) + "' is not YYYY-MM-DDTHH:MM");
    if (minute != 0) return reader.fail(line, "time", "minute " + std::to_string(minute) + ": the rows are not hourly");
    // 00:00 ends the last hour of the day before.
    if (row.hour.hour == 0) {
      row.hour.hour = 1;
      if (!reader.stamp_check(line, row.hour, "time")) return false;
      previous_day(row.hour.year, row.hour.month, row.hour.day);
      row.hour.hour = 24;
    }
    if (!reader.stamp_check(line, row.hour, "time")) return false;
    row.hour.value.fill(missing);
    for (size_t f = 0; f < weather_field_count; ++f) {
      if (index[f] == std::string_view::npos) continue;
      if (!reader.value(line, field_names[f], fields[index[f]], {}, row.hour.value[f])) return false;
    }
    reader.rows.push_back(row);
  }
  return true;
}

// Position of a stamp in a year of 366 days of 24 hours (29 February
// included), for the step from one row to the next.
int32_t hour_of_year(const WeatherHour& h) {
  int32_t day = 0;
  for (int32_t m = 1; m < h.month; ++m) day += month_days[m - 1];
  return (day + h.day - 1) * 24 + h.hour;
}

// Hours from one stamp to the next: 1 for consecutive rows. Rows of a
// typical year may drop 29 February and take each month from another year,
// so only the month, day and hour count; the year wraps from December to
// January.
int32_t hours_between(const WeatherHour& a, const WeatherHour& b) {
  const int32_t hour_a = hour_of_year(a);
  int32_t hour_b = hour_of_year(b);
  const bool new_year = hour_b <= hour_a && b.month == 1 && a.month == 12;
  if (new_year) hour_b += 366 * 24;
  if (hour_b <= hour_a) return hour_b - hour_a;  // not forward in time
  int32_t step = hour_b - hour_a;
  // 29 February passed over: not a gap.
  const int32_t feb29_start = (31 + 28) * 24;
  auto passes_feb29 = [&](int32_t from, int32_t to) { return from <= feb29_start && to > feb29_start + 24; };
  if (!new_year && passes_feb29(hour_a, hour_b)) step -= 24;
  return step;
}

// One row per hour, short runs of missing rows filled, short runs of
// missing values interpolated; longer gaps end the reading.
bool assemble(Reader& reader, WeatherSeries& series, std::string_view format_label) {
  const std::vector<RawRow>& rows = reader.rows;
  if (rows.empty()) return reader.fail(1, "", "the file has no weather rows");
  std::vector<size_t> line_of;  // file line of each hour (of the next row for inserted hours)
  std::vector<bool> inserted;
  series.hours.clear();
  for (size_t r = 0; r < rows.size(); ++r) {
    if (r > 0) {
      const int32_t step = hours_between(rows[r - 1].hour, rows[r].hour);
      if (step < 1 || step > longest_interpolated_gap_hours + 1) {
        const WeatherHour& h = rows[r].hour;
        const std::string when = std::to_string(h.month) + "/" + std::to_string(h.day) + " hour " + std::to_string(h.hour);
        if (step < 1) return reader.fail(rows[r].line, "", when + " does not follow the row before it: the rows are not hourly");
        return reader.fail(rows[r].line, "",
                           std::to_string(step - 1) + " hours missing before " + when + " (at most " +
                               std::to_string(longest_interpolated_gap_hours) + " are interpolated)");
      }
      // Missing rows: hours with every value missing, stamped in sequence.
      WeatherHour stamp = rows[r - 1].hour;
      for (int32_t k = 1; k < step; ++k) {
        if (++stamp.hour > 24) {
          stamp.hour = 1;
          const bool leap_day_follows = stamp.month == 2 && rows[r].hour.month == 2 && rows[r].hour.day == 29;
          const int32_t days = stamp.month == 2 && !leap_day_follows ? 28 : month_days[stamp.month - 1];
          if (++stamp.day > days) {
            stamp.day = 1;
            if (++stamp.month > 12) stamp.month = 1;
          }
        }
        stamp.value.fill(missing);
        series.hours.push_back(stamp);
        line_of.push_back(rows[r].line);
        inserted.push_back(true);
      }
    }
    series.hours.push_back(rows[r].hour);
    line_of.push_back(rows[r].line);
    inserted.push_back(false);
  }

  const size_t n = series.hours.size();
  std::vector<bool> filled(n, false);
  for (size_t f = 0; f < weather_field_count; ++f) {
    const std::string_view label = field_names[f];
    auto is_missing = [&](size_t i) { return std::isnan(series.hours[i].value[f]); };
    size_t present_count = 0;
    for (size_t i = 0; i < n; ++i) present_count += is_missing(i) ? 0 : 1;
    if (present_count == 0) {
      if (required[f]) return reader.fail(line_of[0], label, std::string("missing in every row of the ") + std::string(format_label) + " file");
      series.present[f] = false;
      continue;
    }
    series.present[f] = true;
    for (size_t i = 0; i < n;) {
      if (!is_missing(i)) {
        ++i;
        continue;
      }
      size_t end = i;
      while (end < n && is_missing(end)) ++end;
      const size_t length = end - i;
      if (length > static_cast<size_t>(longest_interpolated_gap_hours))
        return reader.fail(line_of[i], label,
                           std::to_string(length) + " hours missing in a row (at most " +
                               std::to_string(longest_interpolated_gap_hours) + " are interpolated)");
      for (size_t k = i; k < end; ++k) {
        double value = 0.0;
        if (i == 0) {
          value = series.hours[end].value[f];  // at the start of the file: the first value
        } else if (end == n) {
          value = series.hours[i - 1].value[f];  // at the end: the last value
        } else {
          const double w = static_cast<double>(k - i + 1) / static_cast<double>(length + 1);
          value = series.hours[i - 1].value[f] + (series.hours[end].value[f] - series.hours[i - 1].value[f]) * w;
        }
        series.hours[k].value[f] = value;
        filled[k] = true;
      }
      i = end;
    }
    const Range range = valid_ranges[f];
    const bool radiation = f == static_cast<size_t>(WeatherField::global_horizontal) ||
                           f == static_cast<size_t>(WeatherField::infrared);
    for (size_t i = 0; i < n; ++i) {
      double& v = series.hours[i].value[f];
      // Radiometers read a few W/m2 below zero at night (thermal offset).
      if (radiation && v < 0.0 && v >= -radiometer_offset_wm2) v = 0.0;
      if (v < range.low || v > range.high) {
        std::ostringstream reason;
        reason << v << " lies outside " << range.low << " to " << range.high;
        return reader.fail(line_of[i], label, reason.str());
      }
      if (f == static_cast<size_t>(WeatherField::relative_humidity)) v = std::min(v, 100.0);
    }
  }
  series.interpolated_hours = 0;
  for (size_t i = 0; i < n; ++i) series.interpolated_hours += (filled[i] || inserted[i]) ? 1 : 0;
  return true;
}

WeatherFormat detect_format(const std::vector<std::string_view>& lines) {
  if (lines.empty()) return WeatherFormat::csv;
  if (lower(trim(lines[0])).starts_with("location,")) return WeatherFormat::epw;
  if (lines.size() > 1 && lower(trim(lines[1])).starts_with("date (mm/dd/yyyy)")) return WeatherFormat::tmy3;
  return WeatherFormat::csv;
}

}  // namespace

std::string_view weather_field_name(WeatherField field) { return field_names[static_cast<size_t>(field)]; }

bool parse_weather_format(std::string_view name, WeatherFormat& format) {
  if (name == "epw") format = WeatherFormat::epw;
  else if (name == "tmy3") format = WeatherFormat::tmy3;
  else if (name == "csv") format = WeatherFormat::csv;
  else return false;
  return true;
}

std::string_view weather_format_name(WeatherFormat format) {
  switch (format) {
    case WeatherFormat::epw: return "epw";
    case WeatherFormat::tmy3: return "tmy3";
    case WeatherFormat::csv: return "csv";
    case WeatherFormat::detect: break;
  }
  return "detect";
}

bool read_weather_text(std::string_view text, const std::string& path, WeatherFormat format, WeatherSeries& series,
                       std::string& error) {
  series = WeatherSeries{};
  series.path = path;
  const std::vector<std::string_view> lines = split_lines(text);
  if (format == WeatherFormat::detect) format = detect_format(lines);
  series.format = format;
  Reader reader(path, error);
  bool ok = false;
  switch (format) {
    case WeatherFormat::epw: ok = read_epw(lines, reader, series); break;
    case WeatherFormat::tmy3: ok = read_tmy3(lines, reader, series); break;
    default: ok = read_plain_csv(lines, reader, series); break;
  }
  return ok && assemble(reader, series, weather_format_name(format));
}

bool read_weather_file(const std::string& path, WeatherFormat format, WeatherSeries& series, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return read_weather_text(text.str(), path, format, series, error);
}

}  // namespace jpcp::climate
