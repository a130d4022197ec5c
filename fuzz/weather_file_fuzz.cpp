// Weather files of the three layouts (the layout chosen by the input's
// length, or recognised from its first lines), and the site calendar and
// statistics of those that read.
#include <string>

#include "climate/site_weather.h"
#include "climate/weather_series.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp::climate;
  static constexpr WeatherFormat formats[] = {WeatherFormat::detect, WeatherFormat::epw, WeatherFormat::tmy3,
                                              WeatherFormat::csv};
  const std::string_view text = jpcp::fuzz::as_text(data, size);
  WeatherSeries series;
  std::string error;
  if (read_weather_text(text, "weather", formats[size % 4], series, error)) {
    SiteWeather site;
    if (build_site_weather(series, site, error)) (void)site.at(24 * 800 + static_cast<int32_t>(size % 24));
  }
  return 0;
}
