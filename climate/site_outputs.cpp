#include "climate/site_outputs.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace jpcp::climate {

namespace {

std::string number(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

// A text field: quoted when it holds a comma or a quote.
std::string csv_text(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::vector<ProfileRecord> site_temperature_series(const SiteWeather& site, PavementThermal pavement,
                                                   const RecordSpan& span) {
  pavement.deep_temperature_c = site.mean_annual_air_c;
  return slab_temperature_series(
      pavement, [&site](int32_t hour) { return site.at(hour); }, site.model_start(), span.first_day, span.day_count);
}

std::array<MonthlyDifference, 12> monthly_differences(const std::vector<ProfileRecord>& records) {
  std::array<MonthlyDifference, 12> months{};
  std::array<int32_t, 12> days{};
  for (auto& m : months) {
    m.max = -1e9;
    m.min = 1e9;
  }
  for (size_t d = 0; d + 24 <= records.size(); d += 24) {
    MonthlyDifference& m = months[static_cast<size_t>(records[d].month - 1)];
    double day_max = -1e9, day_min = 1e9;
    for (size_t h = d; h < d + 24; ++h) {
      const double difference = static_cast<double>(records[h].temperature_f[0]) - records[h].temperature_f[profile_points - 1];
      m.mean += difference;
      ++m.hours;
      day_max = std::max(day_max, difference);
      day_min = std::min(day_min, difference);
    }
    m.mean_daily_max += day_max;
    m.mean_daily_min += day_min;
    m.max = std::max(m.max, day_max);
    m.min = std::min(m.min, day_min);
    ++days[static_cast<size_t>(records[d].month - 1)];
  }
  for (size_t i = 0; i < 12; ++i) {
    if (months[i].hours == 0) {
      months[i] = MonthlyDifference{};
      continue;
    }
    months[i].mean /= months[i].hours;
    months[i].mean_daily_max /= days[i];
    months[i].mean_daily_min /= days[i];
  }
  return months;
}

void write_humidity_file(std::ostream& out, const SiteWeather& site) {
  out << "month,relative_humidity_pct\n";
  for (size_t m = 0; m < 12; ++m) out << m + 1 << ',' << number(site.monthly_relative_humidity_pct[m], 1) << '\n';
}

void write_climate_summary(std::ostream& out, const SiteWeather& site, const PavementThermal& pavement,
                           const std::array<MonthlyDifference, 12>& differences) {
  const WeatherSeries& series = *site.series;
  auto row = [&out](std::string_view name, const std::string& value) { out << name << ',' << value << '\n'; };
  out << "quantity,value\n";
  row("site", csv_text(series.site));
  row("latitude_deg", series.has_location ? number(series.latitude_deg, 3) : "");
  row("longitude_deg", series.has_location ? number(series.longitude_deg, 3) : "");
  row("weather_format", std::string(weather_format_name(series.format)));
  row("years_used", std::to_string(site.years_used));
  row("typical_year", site.typical_year ? "yes" : "no");
  row("mean_annual_air_temperature_c", number(site.mean_annual_air_c, 2));
  row("mean_annual_air_temperature_f", number(site.mean_annual_air_c * 1.8 + 32.0, 2));
  row("freezing_index_f_days", number(site.freezing_index_f_days, 1));
  row("freeze_thaw_cycles_per_year", number(site.freeze_thaw_cycles, 1));
  row("annual_precipitation_mm", site.has_precipitation ? number(site.annual_precipitation_mm, 1) : "");
  row("wet_days_per_year", site.has_precipitation ? number(site.wet_days, 1) : "");
  row("hours_interpolated", std::to_string(series.interpolated_hours));
  static constexpr std::string_view longwave_names[] = {"file", "dew point and sky cover",
                                                        "humidity and sky cover", "air temperature"};
  row("sky_longwave_from", std::string(longwave_names[static_cast<size_t>(site.longwave)]));
  row("slab_thickness_in", number(pavement.slab_thickness_in, 2));
  out << '\n';
  out << "month,mean_air_temperature_c,mean_relative_humidity_pct,mean_top_bottom_difference_f,"
         "mean_daily_max_difference_f,mean_daily_min_difference_f,max_difference_f,min_difference_f\n";
  for (size_t m = 0; m < 12; ++m) {
    const MonthlyDifference& d = differences[m];
    out << m + 1 << ',' << number(site.monthly_air_c[m], 2) << ','
        << (site.has_humidity ? number(site.monthly_relative_humidity_pct[m], 1) : "") << ',' << number(d.mean, 2)
        << ',' << number(d.mean_daily_max, 2) << ',' << number(d.mean_daily_min, 2) << ',' << number(d.max, 2) << ','
        << number(d.min, 2) << '\n';
  }
}

}  // namespace jpcp::climate
