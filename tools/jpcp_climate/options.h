// Command line of jpcp_climate.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "climate/thermal_options.h"
#include "climate/weather_series.h"

namespace jpcp::climate_tool {

struct ClimateOptions {
  std::string weather_path;
  std::string folder;
  climate::WeatherFormat format = climate::WeatherFormat::detect;
  int32_t design_life_years = 20;
  int32_t start_month = 6;        // calendar month of opening to traffic
  int32_t age_offset_months = 1;  // paving to opening
  double slab_thickness_in = 10.0;
  double base_thickness_in = 6.0;
  std::string base_type = "granular";
  climate::ThermalOverrides thermal;
  // The pavement the options describe.
  climate::PavementThermal pavement() const;
};

bool parse_command_line(const std::vector<std::string_view>& arguments, ClimateOptions& options, std::string& error);

std::string help_text();

}  // namespace jpcp::climate_tool
