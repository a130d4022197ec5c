#include "common/inputs/temperature_data.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/common/inputs/input_test_support.h"

namespace jpcp::inputs {
namespace {

using testing::padded;
using testing::ReportedErrors;
using testing::TempFolder;

// Temperature i (0-based) of a record of day d: d mod 100 + 0.5 i.
float temperature(int day, size_t i) { return static_cast<float>(day % 100) + 0.5f * static_cast<float>(i); }

// One record in its columns: I4 year, I2 month, I2 day, I2 hour, 11 F6.
std::string record(int year, int month, int day, int hour) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%4d%2d%2d%2d", year, month, day % 100, hour);
  std::string line = buffer;
  for (size_t i = 0; i < 11; ++i) {
    std::snprintf(buffer, sizeof buffer, "%6.1f", static_cast<double>(temperature(day, i)));
    line += buffer;
  }
  return line + "\n";
}

std::string day_records(int year, int month, int day) {
  std::string text;
  for (int hour = 0; hour < 24; ++hour) text += record(year, month, day, hour);
  return text;
}

std::string header(int header_year) {
  std::string text;
  for (int i = 1; i <= 288; ++i) text += std::to_string(header_year - 1 + i / 288) + "  monthly summary line\n";
  return text;
}

TemperatureReadPolicy cracking_policy(int32_t start_month) {
  TemperatureReadPolicy policy;
  policy.start_month = start_month;
  return policy;
}

struct Reading {
  bool ok = false;
  std::vector<HourlyRecord> records;
  std::vector<std::string> messages;
};

Reading read(const TempFolder& folder, const std::string& contents, const TemperatureReadPolicy& policy) {
  Reading result;
  ReportedErrors errors;
  result.ok = read_temperature_data(folder.write("ThermalPCC.dat", contents), policy, errors.reporter(),
                                    result.records);
  result.messages = errors.messages;
  return result;
}

TEST(TemperatureData, YearBlocksOf366And365DaysEndAtTheHeaderYear) {
  TempFolder folder;
  // Blocks 1 and 2 lie after the header year 1999, block 3 in it: reading
  // stops after the third block, so the bad line after it is never read.
  std::string text = header(1999);
  int day = 0;
  for (const auto& [days, year] : {std::pair{366, 2003}, std::pair{365, 2002}, std::pair{365, 1999}}) {
    for (int d = 0; d < days; ++d, ++day) text += day_records(year, 1 + (day / 31) % 12, day);
  }
  text += "not a record\n";
  const Reading r = read(folder, text, cracking_policy(1));
  ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages[0]);
  ASSERT_EQ(r.records.size(), size_t{(366 + 365 + 365) * 24});
  const HourlyRecord& first_of_block2 = r.records[366 * 24];
  EXPECT_EQ(first_of_block2.hour, 0);
  EXPECT_EQ(first_of_block2.temperature[10], temperature(366, 10));
  EXPECT_EQ(r.records.back().hour, 23);
  EXPECT_EQ(r.records.back().temperature[0], temperature(day - 1, 0));

  // With the header year 2002 the second block already ends the reading.
  text.replace(0, text.find("2003"), header(2002));
  const Reading earlier = read(folder, text, cracking_policy(1));
  ASSERT_TRUE(earlier.ok);
  EXPECT_EQ(earlier.records.size(), size_t{(366 + 365) * 24});
  // With the header year 2003 the first block of 366 days is the only one.
  text.replace(0, text.find("2003"), header(2003));
  const Reading first_block = read(folder, text, cracking_policy(1));
  ASSERT_TRUE(first_block.ok);
  EXPECT_EQ(first_block.records.size(), size_t{366 * 24});
}

TEST(TemperatureData, RecordsAreStoredWithTheirAnalysisMonthUntilTheFileEnds) {
  TempFolder folder;
  // Starting month 7: January is analysis month 7, June 12, July 1.
  std::string text = header(2000) + day_records(2005, 1, 1) + day_records(2005, 6, 2) + day_records(2005, 7, 3);
  const Reading whole_days = read(folder, text, cracking_policy(7));
  ASSERT_TRUE(whole_days.ok);
  ASSERT_EQ(whole_days.records.size(), 72u);
  EXPECT_EQ(whole_days.records[0].month, 7);
  EXPECT_EQ(whole_days.records[24].month, 12);
  EXPECT_EQ(whole_days.records[71].month, 1);
  const HourlyRecord& r29 = whole_days.records[29];
  EXPECT_EQ(r29.hour, 5);
  for (size_t i = 0; i < 11; ++i) EXPECT_EQ(r29.temperature[i], temperature(2, i));

  // A file that ends inside a day keeps the records read.
  for (int hour = 0; hour < 5; ++hour) text += record(2005, 12, 4, hour);
  const Reading partial = read(folder, text, cracking_policy(1));
  ASSERT_TRUE(partial.ok);
  ASSERT_EQ(partial.records.size(), 77u);
  EXPECT_EQ(partial.records[0].month, 1);  // starting month 1 keeps the calendar order
  EXPECT_EQ(partial.records[76].month, 12);
  EXPECT_EQ(partial.records[76].hour, 4);

  // Whole-number temperatures, CRLF line ends and columns beyond 76.
  std::string line = record(2005, 3, 5, 0);
  line.replace(10, 6, "    72");
  line.insert(line.size() - 1, "   trailing notes\r");
  const Reading extras = read(folder, header(2000) + line, cracking_policy(1));
  ASSERT_TRUE(extras.ok);
  ASSERT_EQ(extras.records.size(), 1u);
  EXPECT_EQ(extras.records[0].temperature[0], 72.0f);
  EXPECT_EQ(extras.records[0].temperature[10], temperature(5, 10));
}

TEST(TemperatureData, HoursOutOfOrder) {
  TempFolder folder;
  std::string day;
  for (int hour : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14}) day += record(2001, 1, 1, hour);
  Reading r = read(folder, header(2000) + day, cracking_policy(1));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, std::vector<std::string>{"Temperature data error: hours are out of order."});

  // The second day must start again at hour 0.
  std::string second = day_records(2001, 1, 1);
  for (int hour = 1; hour < 25; ++hour) second += record(2001, 1, 2, hour);
  r = read(folder, header(2000) + second, cracking_policy(1));
  EXPECT_EQ(r.messages, std::vector<std::string>{"Temperature data error: hours are out of order."});
}

TEST(TemperatureData, LinesThatDoNotFitTheFormat) {
  TempFolder folder;
  const std::string invalid = "Temperature data error: invalid data format";
  auto message_for = [&](const std::string& contents) {
    const Reading r = read(folder, contents, cracking_policy(1));
    EXPECT_FALSE(r.ok);
    return r.messages;
  };
  std::string letters = record(2001, 1, 1, 0);
  letters.replace(30, 6, "  warm");  // the fourth temperature
  EXPECT_EQ(message_for(header(2000) + letters), std::vector<std::string>{invalid});

  std::string bad_header = header(2000);
  bad_header.replace(bad_header.find("1999", 100), 4, "19x9");
  EXPECT_EQ(message_for(bad_header + day_records(2001, 1, 1)), std::vector<std::string>{invalid});

  // Months outside 1..12 would index the monthly tables out of range; a
  // blank line between records reads as month 0.
  EXPECT_EQ(message_for(header(2000) + record(2001, 13, 1, 0)), std::vector<std::string>{invalid});
  EXPECT_EQ(message_for(header(2000) + day_records(2001, 1, 1) + "\n" + day_records(2001, 1, 2)),
            std::vector<std::string>{invalid});
}

TEST(TemperatureData, BlankLinesAfterTheLastRecordEndTheFile) {
  TempFolder folder;
  const Reading r = read(folder, header(2000) + day_records(2001, 1, 1) + "\n  \r\n\n", cracking_policy(1));
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(r.records.size(), 24u);
}

TEST(TemperatureData, FileEndingInTheHeaderNamesThePathIn260Characters) {
  TempFolder folder;
  std::string hundred_lines;
  for (int i = 0; i < 100; ++i) hundred_lines += "2000\n";
  const Reading r = read(folder, hundred_lines, cracking_policy(1));
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0], "Unexpected end of file: " + padded(folder.path("ThermalPCC.dat"), 260));
  EXPECT_EQ(r.messages[0].size(), 24u + 260u);

  ReportedErrors errors;
  std::vector<HourlyRecord> records(3);
  const std::string missing = folder.path("Missing.dat");
  EXPECT_FALSE(read_temperature_data(missing, cracking_policy(1), errors.reporter(), records));
  EXPECT_EQ(errors.messages, std::vector<std::string>{"Unexpected end of file: " + padded(missing, 260)});
  EXPECT_FALSE(folder.exists("Missing.dat"));
  EXPECT_EQ(records.size(), 3u);  // left as it was
}

TEST(TemperatureData, ReadingStopsWhenTheTableIsFull) {
  TempFolder folder;
  TemperatureReadPolicy policy = cracking_policy(1);
  policy.capacity = 30;
  // The 31st record is unreadable but never reached.
  std::string text = header(2000) + day_records(2001, 1, 1);
  for (int hour = 0; hour < 6; ++hour) text += record(2001, 1, 2, hour);
  text += "   x\n";
  const Reading r = read(folder, text, policy);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.records.size(), 30u);
  EXPECT_EQ(r.records.back().hour, 5);
}

TEST(TemperatureData, FaultingLayoutSkipsTheFirstMonthsAndKeepsCalendarMonths) {
  TempFolder folder;
  TemperatureReadPolicy policy;
  policy.header_block = false;
  policy.start_month = 0;
  policy.skip_months = 2;
  policy.capacity = 24 * 4 + 10;  // four whole days
  // Months of the days: 3, 3, 4, 5, 6. The month counter is 1, 1, 2, 3, 4,
  // so days 4 and 5 would be stored, and only day 4 fits in four days.
  std::string text = day_records(1990, 3, 1) + day_records(1990, 3, 2) + day_records(1990, 4, 3) +
                     day_records(1990, 5, 4) + day_records(1990, 6, 5);
  Reading r = read(folder, text, policy);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.records.size(), 24u);
  EXPECT_EQ(r.records[0].month, 5);
  EXPECT_EQ(r.records[0].hour, 0);
  EXPECT_EQ(r.records[23].temperature[3], temperature(4, 3));

  policy.capacity = 24 * 10;  // the end of the file ends the reading
  r = read(folder, text, policy);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.records.size(), 48u);
  EXPECT_EQ(r.records[47].month, 6);

  policy.skip_months = 0;
  r = read(folder, text, policy);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.records.size(), 120u);
  EXPECT_EQ(r.records[0].month, 3);

  // No header: a header line is read as a record and does not fit.
  r = read(folder, header(2000) + text, policy);
  EXPECT_EQ(r.messages, std::vector<std::string>{"Temperature data error: invalid data format"});
  std::string swapped = text;
  swapped.replace(0, 10, "1990 3 1 1");
  r = read(folder, swapped, policy);
  EXPECT_EQ(r.messages, std::vector<std::string>{"Temperature data error: hours are out of order."});
}

// The checks after the reader: whole days, -100 to 200 deg F, all 12 months.
TEST(TemperatureRecordChecks, WholeDaysRangeAndTwelveMonths) {
  std::vector<HourlyRecord> records;
  for (int32_t month = 1; month <= 12; ++month) {
    for (int32_t hour = 0; hour < 24; ++hour) records.push_back(HourlyRecord{{}, month, hour});
  }
  records[5].temperature.fill(70.0f);
  records[5].temperature[3] = 200.0f;
  records[6].temperature[10] = -100.0f;
  ReportedErrors errors;
  EXPECT_TRUE(temperature_records_valid(records, 1000, "t.dat", errors.reporter()));

  records[5].temperature[3] = 200.1f;
  EXPECT_FALSE(temperature_records_valid(records, 1000, "t.dat", errors.reporter()));
  records[5].temperature[3] = 20.0f;

  std::vector<HourlyRecord> eleven(records.begin(), records.end() - 24);
  EXPECT_FALSE(temperature_records_valid(eleven, 1000, "t.dat", errors.reporter()));
  // A day cut short, unless the storage filled up there.
  std::vector<HourlyRecord> cut(records.begin(), records.end() - 1);
  EXPECT_FALSE(temperature_records_valid(cut, 1000, "t.dat", errors.reporter()));
  EXPECT_TRUE(temperature_records_valid(cut, cut.size(), "t.dat", errors.reporter()));
  EXPECT_EQ(errors.messages,
            (std::vector<std::string>{
                "Temperature data error: record 6, temperature 4 (deg F) must be -100 to 200: 200.1",
                std::string(temperature_months_message), std::string(temperature_partial_day_message)}));
}

}  // namespace
}  // namespace jpcp::inputs
