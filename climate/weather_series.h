// One table of hourly weather, whatever the layout of the file it came
// from (EPW, TMY3 CSV or the plain CSV), and the readers that fill it.
//
// Each hour is stamped with the end of the hour, as the files stamp it:
// hour 1 is 0:00-1:00, hour 24 is 23:00-24:00 of the same day. Air
// temperature, dew point, humidity and wind are the values at the stamp;
// radiation is the mean over the hour before it (the files' Wh/m2 sums over
// one hour).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jpcp::climate {

enum class WeatherFormat { detect, epw, tmy3, csv };

enum class WeatherField : size_t {
  air_temperature,    // deg C
  global_horizontal,  // W/m2, mean of the hour
  wind_speed,         // m/s, at the file's measuring height
  dew_point,          // deg C
  relative_humidity,  // percent
  sky_cover,          // tenths: opaque cover where the file has it, else total
  infrared,           // downward long-wave radiation of the sky on the horizontal, W/m2, mean of the hour
  precipitation,      // mm in the hour
};
inline constexpr size_t weather_field_count = 8;
// The plain CSV's column name of each field.
std::string_view weather_field_name(WeatherField field);

struct WeatherHour {
  int32_t year = 0;   // as the file gives it (typical years mix years)
  int32_t month = 1;
  int32_t day = 1;
  int32_t hour = 1;   // 1..24, the end of the hour
  std::array<double, weather_field_count> value{};
  double operator[](WeatherField field) const { return value[static_cast<size_t>(field)]; }
};

struct WeatherSeries {
  std::string path;
  WeatherFormat format = WeatherFormat::csv;
  std::string site;
  double latitude_deg = 0.0;   // north positive
  double longitude_deg = 0.0;  // east positive
  bool has_location = false;
  std::vector<WeatherHour> hours;
  std::array<bool, weather_field_count> present{};  // a field the file holds (not missing in every hour)
  int32_t interpolated_hours = 0;  // hours with at least one value filled in across a short gap
  bool has(WeatherField field) const { return present[static_cast<size_t>(field)]; }
};

// Longest run of missing hours of one field that is filled in by linear
// interpolation; a longer one ends the reading.
inline constexpr int32_t longest_interpolated_gap_hours = 6;

// Reads a weather file. On failure returns false with a message that names
// the file, the row (line of the file) and the field.
bool read_weather_file(const std::string& path, WeatherFormat format, WeatherSeries& series, std::string& error);
// The same on text already in memory; `path` only names it in messages.
bool read_weather_text(std::string_view text, const std::string& path, WeatherFormat format, WeatherSeries& series,
                       std::string& error);

// "epw", "tmy3", "csv" (false for anything else).
bool parse_weather_format(std::string_view name, WeatherFormat& format);
std::string_view weather_format_name(WeatherFormat format);

}  // namespace jpcp::climate
