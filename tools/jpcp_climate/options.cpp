#include "tools/jpcp_climate/options.h"

#include <charconv>
#include <cmath>

namespace jpcp::climate_tool {

namespace {

bool parse_real(std::string_view text, double& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool parse_integer(std::string_view text, int32_t& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

bool whole(std::string_view name, std::string_view value, int32_t low, int32_t high, int32_t& out, std::string& error) {
  if (!parse_integer(value, out) || out < low || out > high) {
    error = "--" + std::string(name) + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high);
    return false;
  }
  return true;
}

bool real(std::string_view name, std::string_view value, double low, double high, double& out, std::string& error) {
  if (!parse_real(value, out) || out < low || out > high) {
    error = "--" + std::string(name) + " must be a number from " + std::to_string(static_cast<int>(low)) + " to " +
            std::to_string(static_cast<int>(high)) + " in";
    return false;
  }
  return true;
}

bool set_option(std::string_view name, std::string_view value, ClimateOptions& o, std::string& error) {
  switch (climate::set_thermal_option(name, value, o.thermal, error)) {
    case climate::OptionStatus::set: return true;
    case climate::OptionStatus::invalid: return false;
    case climate::OptionStatus::not_handled: break;
  }
  if (name == "format") {
    if (!climate::parse_weather_format(value, o.format)) {
      error = "--format must be epw, tmy3 or csv";
      return false;
    }
    return true;
  }
  if (name == "design-life") return whole(name, value, 1, 50, o.design_life_years, error);
  if (name == "start-month") return whole(name, value, 1, 12, o.start_month, error);
  if (name == "age-offset") return whole(name, value, 0, 24, o.age_offset_months, error);
  if (name == "thickness") return real(name, value, 6.0, 16.0, o.slab_thickness_in, error);
  if (name == "base-thickness") return real(name, value, 0.0, 12.0, o.base_thickness_in, error);
  if (name == "base") {
    climate::LayerMaterial unused;
    if (!climate::base_material_of_type(value, unused)) {
      error = "--base must be granular, asphalt or cement, or K,RHO,C";
      return false;
    }
    o.base_type = std::string(value);
    return true;
  }
  error = "unknown option --" + std::string(name);
  return false;
}

}  // namespace

climate::PavementThermal ClimateOptions::pavement() const {
  climate::PavementThermal p;
  p.slab_thickness_in = slab_thickness_in;
  p.base_thickness_in = base_thickness_in;
  climate::base_material_of_type(base_type, p.base);
  thermal.apply(p);
  return p;
}

bool parse_command_line(const std::vector<std::string_view>& arguments, ClimateOptions& options, std::string& error) {
  options = ClimateOptions{};
  std::vector<std::string_view> positional;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string_view argument = arguments[i];
    if (!argument.starts_with("--")) {
      positional.push_back(argument);
      continue;
    }
    argument.remove_prefix(2);
    std::string_view name = argument;
    std::string_view value;
    if (const size_t equals = argument.find('='); equals != std::string_view::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
    } else {
      if (i + 1 >= arguments.size()) {
        error = "option --" + std::string(name) + " needs a value";
        return false;
      }
      value = arguments[++i];
    }
    if (!set_option(name, value, options, error)) return false;
  }
  if (positional.size() < 2) {
    error = positional.empty() ? "missing the weather file and the folder to write" : "missing the folder to write";
    return false;
  }
  if (positional.size() > 2) {
    error = "unexpected argument '" + std::string(positional[2]) + "'";
    return false;
  }
  options.weather_path = std::string(positional[0]);
  options.folder = std::string(positional[1]);
  const climate::PavementThermal p = options.pavement();
  if (p.deep_depth_m <= (p.slab_thickness_in + p.base_thickness_in) * 0.0254 + 0.5) {
    error = "--deep-depth must lie at least 0.5 m below the base";
    return false;
  }
  return true;
}

std::string help_text() {
  return std::string(
             "Usage: jpcp_climate WEATHER DIR [options]\n"
             "       jpcp_climate --help | -h | --version\n"
             "\n"
             "Reads an hourly weather file (EPW, TMY3 CSV, or a CSV with the columns time,\n"
             "air_temperature_c, ghi_w_m2, wind_m_s and optionally dew_point_c,\n"
             "relative_humidity, sky_cover_tenths, infrared_w_m2, precipitation_mm) and\n"
             "writes into DIR the hourly slab temperatures of a heat-conduction model of\n"
             "slab, base and subgrade: ThermalPCC.dat for jpcp_cracking, FaultThermalPCC.dat\n"
             "for jpcp_faulting, humidity.csv (monthly mean relative humidity) and\n"
             "climate_summary.csv.\n"
             "\n"
             "Options (--option VALUE or --option=VALUE):\n"
             "  --format NAME          epw, tmy3 or csv (recognised from the file)\n"
             "  --design-life YEARS    1 to 50 (20)\n"
             "  --start-month M        calendar month of opening to traffic, 1 to 12 (6)\n"
             "  --age-offset MONTHS    paving to opening, 0 to 24 (1)\n"
             "  --thickness IN         slab thickness, 6 to 16 (10)\n"
             "  --base-thickness IN    0 to 12 (6)\n"
             "  --base TYPE            granular, asphalt or cement (granular)\n") +
         std::string(climate::thermal_options_help);
}

}  // namespace jpcp::climate_tool
