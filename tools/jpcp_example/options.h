// Command line of jpcp_example.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "climate/temperature_files.h"
#include "climate/thermal_options.h"
#include "climate/weather_series.h"
#include "tools/jpcp_example/materials.h"

namespace jpcp::example {

enum class Program { cracking, faulting, both };

// The design of one example section. Defaults: a 10 in doweled slab with
// 15 ft joints on 6 in of granular base, 2000 trucks a day growing by 4 %
// a year, 20 years, in a wet-freeze climate.
struct SectionOptions {
  std::string section_name = "Example";
  int32_t design_life_years = 20;
  int32_t start_month = 6;            // calendar month of opening to traffic
  double slab_thickness_in = 10.0;
  double joint_spacing_ft = 15.0;
  double dowel_diameter_in = 1.25;    // 0: undoweled joints
  BaseType base = BaseType::granular;
  double base_thickness_in = 6.0;
  int32_t bond_months = -1;           // below 0: the base type's default
  double aadtt = 2000.0;              // trucks per day, both directions, at opening
  double growth_percent = 4.0;        // compound, per year
  std::string climate = "wet-freeze";
  uint32_t seed = 1;
  int32_t climate_years = 0;          // cracking temperature records; 0: the design life, at most 16
  double mr28_psi = 650.0;            // 28-day modulus of rupture
  double k_value = 150.0;             // annual foundation k-value, psi/in
  bool tied_shoulder = false;         // tied concrete shoulder instead of an asphalt one
  double slab_width_ft = 12.0;        // above the 12 ft lane: a widened slab
  int32_t response = -1;              // the value written to Response.txt
  std::string weather_path;           // a weather file of a real site instead of the synthetic climate
  climate::WeatherFormat weather_format = climate::WeatherFormat::detect;
  climate::ThermalOverrides thermal;  // heat-model options given on the command line

  int32_t effective_bond_months() const {
    return bond_months >= 0 ? bond_months : base_properties(base).default_bond_months;
  }
  int32_t effective_climate_years() const;
};

using climate::max_climate_years;

struct CommandLine {
  Program program = Program::cracking;
  std::string folder;
  SectionOptions section;
};

// Parses the arguments after the program name. On failure returns false
// with a message for the user.
bool parse_command_line(const std::vector<std::string_view>& arguments, CommandLine& command_line,
                        std::string& error);

// Usage text of --help (the exit-status table and the documentation pointer
// follow it).
std::string help_text();

}  // namespace jpcp::example
