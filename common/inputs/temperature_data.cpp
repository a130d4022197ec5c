#include "common/inputs/temperature_data.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "common/inputs/value_checks.h"
#include "common/platform/huge_pages.h"
#include "common/platform/paths.h"
#include "common/platform/run_reporting.h"
#include "common/text/fixed_format.h"
#include "common/text/line_stream.h"

namespace jpcp::inputs {

namespace {

constexpr std::string_view temperature_eof_prefix = "Unexpected end of file: ";
// The path follows the fixed text in a blank-padded field of this width.
constexpr int temperature_message_path_width = 260;

// 12 x 24 header lines precede the hourly records of the cracking program's
// file; only the year in their first four columns is read.
constexpr size_t header_lines = 288;
constexpr size_t hours_per_day = 24;
// Days of the year blocks of the cracking program: 366, 365, 365, repeating.
constexpr std::array<int32_t, 3> block_days = {366, 365, 365};
// Characters of a record line up to its last temperature field (I4, 3 I2,
// 10 F6 and one character of the 11th), its line end counted.
constexpr size_t shortest_record_line = 72;

// One hourly record as written: I4 year, I2 month, I2 day, I2 hour, 11 F6.
struct RecordLine {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;
  std::array<float, 11> temperature{};
};

// False when the line does not fit the record format, or names no calendar
// month (the month indexes the monthly tables).
bool parse_record(std::string_view line, RecordLine& record) {
  if (!text::read_fixed_integer(line, 1, 4, record.year) || !text::read_fixed_integer(line, 5, 2, record.month) ||
      !text::read_fixed_integer(line, 7, 2, record.day) || !text::read_fixed_integer(line, 9, 2, record.hour)) {
    return false;
  }
  for (size_t i = 0; i < record.temperature.size(); ++i) {
    if (!text::read_fixed_real(line, 11 + 6 * static_cast<int>(i), 6, record.temperature[i])) return false;
  }
  return record.month >= 1 && record.month <= 12;
}

// Month 1 is the starting month; start month 0 keeps the calendar month.
int32_t stored_month(int32_t month, int32_t start_month) {
  if (start_month <= 0) return month;
  const int32_t offset = (month - start_month) % 12;
  return (offset < 0 ? offset + 12 : offset) + 1;
}

class TemperatureFileReader {
 public:
  TemperatureFileReader(std::string_view path, const TemperatureReadPolicy& policy, const ReportError& report_error)
      : path_(path), policy_(policy), report_error_(report_error) {
    // The file is read line by line, never held whole. A missing file reads
    // as an empty one.
    if (!stream_.open(path)) return;
    // Storage for the records the file can hold: a record line reaches the
    // last temperature's column.
    std::error_code error;
    const auto bytes = std::filesystem::file_size(platform::find_input_file(path).value_or(std::string()), error);
    if (!error) {
      records_.reserve(std::min(policy.capacity, static_cast<size_t>(bytes / shortest_record_line) + 1));
      platform::advise_huge_pages(records_.data(), records_.capacity() * sizeof(HourlyRecord));
    }
  }

  bool read(std::vector<HourlyRecord>& records) {
    const bool ok = policy_.header_block ? read_year_blocks() : read_days();
    if (ok) records = std::move(records_);
    return ok;
  }

 private:
  enum class DayResult { complete, end_of_reading, failed };

  // Cracking layout: the header, then blocks of years until the block whose
  // last record lies in the header year or before, or the table is full.
  bool read_year_blocks() {
    int32_t header_year = 0;
    for (size_t i = 0; i < header_lines; ++i) {
      if (!stream_.next(line_)) {
        report_error_(std::string(temperature_eof_prefix) + text::format_A(path_, temperature_message_path_width),
                      detail("the header of 288 lines ends at line " + std::to_string(stream_.line_count())));
        return false;
      }
      line_number_ = stream_.line_count();
      if (!text::read_fixed_integer(line_, 1, 4, header_year)) {
        report_error_(temperature_format_message, line_detail());
        return false;
      }
    }
    for (size_t block = 0;; ++block) {
      for (int32_t day = 0; day < block_days[block % block_days.size()]; ++day) {
        const DayResult result = read_day();
        if (result == DayResult::failed) return false;
        if (result == DayResult::end_of_reading) return true;
      }
      if (last_year_ <= header_year || records_.size() >= policy_.capacity) return true;
    }
  }

  // Faulting layout: no header, whole days up to the capacity.
  bool read_days() {
    const size_t days = policy_.capacity / hours_per_day;
    for (size_t day = 0; day < days; ++day) {
      const DayResult result = read_day();
      if (result == DayResult::failed) return false;
      if (result == DayResult::end_of_reading) return true;
    }
    return true;
  }

  // 24 records whose hours run 0 to 23. The end of the file, or a full
  // table, ends the reading normally (records of a partial day are kept).
  DayResult read_day() {
    for (int32_t hour = 0; hour < static_cast<int32_t>(hours_per_day); ++hour) {
      if (records_.size() >= policy_.capacity || !next_record_line()) return DayResult::end_of_reading;
      RecordLine line;
      if (!parse_record(line_, line)) {
        report_error_(temperature_format_message, line_detail());
        return DayResult::failed;
      }
      if (line.hour != hour) {
        report_error_(temperature_hours_message, line_detail() + "; hour " + std::to_string(hour) + " was expected");
        return DayResult::failed;
      }
      last_year_ = line.year;
      // Months are counted from the first record on; records of the first
      // skip_months months are passed over.
      if (line.month != previous_month_) ++month_count_;
      previous_month_ = line.month;
      if (month_count_ <= policy_.skip_months) continue;
      records_.push_back(HourlyRecord{line.temperature, stored_month(line.month, policy_.start_month), line.hour});
    }
    return DayResult::complete;
  }

  // Takes the next line to read as a record into line_; false when only
  // blank lines are left. Blank lines after the last record (often left by
  // editors) end the file; a blank line between records is still read, and
  // is a format error.
  bool next_record_line() {
    if (!stream_.next(line_)) return false;
    line_number_ = stream_.line_count();
    if (!is_blank_line(line_)) return true;
    held_line_ = line_;  // the stream's view moves on while looking ahead
    const size_t held_number = line_number_;
    std::string_view ahead;
    while (stream_.next(ahead)) {
      if (!is_blank_line(ahead)) {
        line_ = held_line_;
        line_number_ = held_number;
        return true;
      }
    }
    return false;
  }

  static bool is_blank_line(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

  // The file, and the line just read with its text, for the console.
  std::string detail(const std::string& what) const { return platform::input_file_detail(path_) + "; " + what; }
  std::string line_detail() const {
    return detail("line " + std::to_string(line_number_) + ": found '" + std::string(line_.substr(0, 80)) + "'");
  }

  std::string_view path_;
  const TemperatureReadPolicy& policy_;
  const ReportError& report_error_;
  text::LineStream stream_;
  std::string_view line_;   // the line just read
  size_t line_number_ = 0;  // its number, from 1
  std::string held_line_;   // a blank line kept while looking past it
  std::vector<HourlyRecord> records_;
  int32_t last_year_ = 0;
  int32_t previous_month_ = 0;  // no record read yet: the first record always counts
  int32_t month_count_ = 0;
};

}  // namespace

bool temperature_records_valid(std::span<const HourlyRecord> records, size_t capacity, std::string_view path,
                               const ReportError& report_error) {
  // Records come in whole days unless the storage filled up: a last day that
  // stops before hour 23 means the file was cut short.
  if (!records.empty() && records.back().hour != 23 && records.size() < capacity) {
    report_error(
        temperature_partial_day_message,
        platform::input_file_detail(path) + "; the last day ends after hour " + std::to_string(records.back().hour));
    return false;
  }
  std::array<bool, 12> covered{};
  for (size_t r = 0; r < records.size(); ++r) {
    const HourlyRecord& record = records[r];
    for (size_t i = 0; i < record.temperature.size(); ++i) {
      const float t = record.temperature[i];
      if (t >= lowest_slab_temperature && t <= highest_slab_temperature) continue;
      report_error("Temperature data error: record " + std::to_string(r + 1) + ", temperature " +
                       std::to_string(i + 1) + " (deg F) must be " + shown_value(lowest_slab_temperature) + " to " +
                       shown_value(highest_slab_temperature) + ": " + shown_value(t),
                   platform::input_file_detail(path) + "; hour " + std::to_string(record.hour) + " of a day in month " +
                       std::to_string(record.month));
      return false;
    }
    if (record.month >= 1 && record.month <= 12) covered[static_cast<size_t>(record.month - 1)] = true;
  }
  std::string missing;
  for (size_t m = 0; m < covered.size(); ++m) {
    if (!covered[m]) missing += (missing.empty() ? "" : ", ") + std::to_string(m + 1);
  }
  if (missing.empty()) return true;
  report_error(temperature_months_message, platform::input_file_detail(path) + "; " + std::to_string(records.size()) +
                                               " hourly records; months without "
                                               "records: " +
                                               missing);
  return false;
}

bool read_temperature_data(std::string_view path, const TemperatureReadPolicy& policy,
                           const ReportError& report_error, std::vector<HourlyRecord>& records) {
  return TemperatureFileReader(path, policy, report_error).read(records);
}

}  // namespace jpcp::inputs
