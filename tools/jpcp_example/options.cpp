#include "tools/jpcp_example/options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <sstream>

#include "tools/jpcp_example/climate.h"

namespace jpcp::example {

namespace {

bool parse_real(std::string_view text, double& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

template <typename Integer>
bool parse_integer(std::string_view text, Integer& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

std::string range_message(std::string_view option, double low, double high, std::string_view unit) {
  std::ostringstream out;
  out << "--" << option << " must be a number from " << low << " to " << high;
  if (!unit.empty()) out << " " << unit;
  return out.str();
}

// A section name is one free-form text value of the file lists: no blanks,
// commas, slashes or quotes, and it must not begin with NULL (that name
// selects the default file names).
bool valid_section_name(std::string_view name) {
  if (name.empty() || name.size() > 60 || name.starts_with("NULL")) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
  });
}

using Setter = std::function<bool(std::string_view value, SectionOptions& options, std::string& error)>;

Setter real_option(std::string_view name, double SectionOptions::*member, double low, double high,
                   std::string_view unit) {
  return [=](std::string_view value, SectionOptions& options, std::string& error) {
    double v = 0.0;
    if (!parse_real(value, v) || v < low || v > high) {
      error = range_message(name, low, high, unit);
      return false;
    }
    options.*member = v;
    return true;
  };
}

Setter integer_option(std::string_view name, int32_t SectionOptions::*member, int32_t low, int32_t high,
                      std::string_view unit) {
  return [=](std::string_view value, SectionOptions& options, std::string& error) {
    int32_t v = 0;
    if (!parse_integer(value, v) || v < low || v > high) {
      error = "--" + std::string(name) + " must be a whole number from " + std::to_string(low) + " to " +
              std::to_string(high) + (unit.empty() ? "" : " " + std::string(unit));
      return false;
    }
    options.*member = v;
    return true;
  };
}

const std::map<std::string, Setter, std::less<>>& setters() {
  static const std::map<std::string, Setter, std::less<>> table = {
      {"name",
       [](std::string_view value, SectionOptions& options, std::string& error) {
         if (!valid_section_name(value)) {
           error = "--name must be 1 to 60 letters, digits, '_', '-' or '.', not beginning with NULL";
           return false;
         }
         options.section_name = std::string(value);
         return true;
       }},
      {"design-life", integer_option("design-life", &SectionOptions::design_life_years, 1, 50, "years")},
      {"start-month", integer_option("start-month", &SectionOptions::start_month, 1, 12, "")},
      {"thickness", real_option("thickness", &SectionOptions::slab_thickness_in, 6.0, 16.0, "in")},
      {"joint-spacing", real_option("joint-spacing", &SectionOptions::joint_spacing_ft, 10.0, 25.0, "ft")},
      {"dowel",
       [](std::string_view value, SectionOptions& options, std::string& error) {
         double v = 0.0;
         if (!parse_real(value, v) || !(v == 0.0 || (v >= 0.75 && v <= 2.0))) {
           error = "--dowel must be 0 (no dowels) or a diameter from 0.75 to 2 in";
           return false;
         }
         options.dowel_diameter_in = v;
         return true;
       }},
      {"base",
       [](std::string_view value, SectionOptions& options, std::string& error) {
         if (!parse_base_type(value, options.base)) {
           error = "--base must be granular, asphalt or cement, or K,RHO,C";
           return false;
         }
         return true;
       }},
      {"base-thickness", real_option("base-thickness", &SectionOptions::base_thickness_in, 0.0, 12.0, "in")},
      {"bond-months", integer_option("bond-months", &SectionOptions::bond_months, 0, 1500, "")},
      {"aadtt", real_option("aadtt", &SectionOptions::aadtt, 1.0, 100000.0, "trucks per day")},
      {"growth", real_option("growth", &SectionOptions::growth_percent, -5.0, 15.0, "percent per year")},
      {"climate",
       [](std::string_view value, SectionOptions& options, std::string& error) {
         if (find_climate(value) == nullptr) {
           error = "--climate must be one of:";
           for (const Climate& climate : named_climates()) error += " " + std::string(climate.name);
           return false;
         }
         options.climate = std::string(value);
         return true;
       }},
      {"seed",
       [](std::string_view value, SectionOptions& options, std::string& error) {
         if (!parse_integer(value, options.seed)) {
           error = "--seed must be a whole number from 0 to 4294967295";
           return false;
         }
         return true;
       }},
      {"climate-years", integer_option("climate-years", &SectionOptions::climate_years, 1, max_climate_years, "")},
      {"mr28", real_option("mr28", &SectionOptions::mr28_psi, 450.0, 900.0, "psi")},
      {"k-value", real_option("k-value", &SectionOptions::k_value, 50.0, 500.0, "psi/in")},
      {"shoulder",
       [](std::string_view value, SectionOptions& options, std::string& error) {
         if (value != "asphalt" && value != "tied") {
           error = "--shoulder must be asphalt or tied";
           return false;
         }
         options.tied_shoulder = value == "tied";
         return true;
       }},
      {"slab-width", real_option("slab-width", &SectionOptions::slab_width_ft, 12.0, 15.0, "ft")},
      {"response", integer_option("response", &SectionOptions::response, -1, 1, "")},
      {"weather",
       [](std::string_view value, SectionOptions& options, std::string& error) {
         if (value.empty()) {
           error = "--weather needs a file name";
           return false;
         }
         options.weather_path = std::string(value);
         return true;
       }},
      {"weather-format",
       [](std::string_view value, SectionOptions& options, std::string& error) {
         if (!climate::parse_weather_format(value, options.weather_format)) {
           error = "--weather-format must be epw, tmy3 or csv";
           return false;
         }
         return true;
       }},
  };
  return table;
}

}  // namespace

int32_t SectionOptions::effective_climate_years() const {
  return climate_years > 0 ? climate_years : std::min(design_life_years, max_climate_years);
}

bool parse_command_line(const std::vector<std::string_view>& arguments, CommandLine& command_line,
                        std::string& error) {
  command_line = CommandLine{};
  if (arguments.empty()) {
    error = "missing the program: cracking, faulting or both";
    return false;
  }
  if (arguments[0] == "cracking") {
    command_line.program = Program::cracking;
  } else if (arguments[0] == "faulting") {
    command_line.program = Program::faulting;
  } else if (arguments[0] == "both") {
    command_line.program = Program::both;
  } else {
    error = "unknown program '" + std::string(arguments[0]) + "': expected cracking, faulting or both";
    return false;
  }
  if (arguments.size() < 2 || arguments[1].starts_with("--")) {
    error = "missing the folder to write";
    return false;
  }
  command_line.folder = std::string(arguments[1]);

  for (size_t i = 2; i < arguments.size(); ++i) {
    std::string_view argument = arguments[i];
    if (!argument.starts_with("--")) {
      error = "unexpected argument '" + std::string(argument) + "'";
      return false;
    }
    argument.remove_prefix(2);
    std::string_view name = argument;
    std::string_view value;
    bool has_value = false;
    if (const size_t equals = argument.find('='); equals != std::string_view::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      has_value = true;
    }
    const auto setter = setters().find(name);
    const bool thermal = name == "absorptivity" || name == "emissivity" || name == "convection" || name == "pcc" ||
                         name == "subgrade" || name == "deep-depth" || name == "base";
    if (setter == setters().end() && !thermal) {
      error = "unknown option --" + std::string(name);
      return false;
    }
    if (!has_value) {
      if (i + 1 >= arguments.size()) {
        error = "option --" + std::string(name) + " needs a value";
        return false;
      }
      value = arguments[++i];
    }
    switch (climate::set_thermal_option(name, value, command_line.section.thermal, error)) {
      case climate::OptionStatus::set: continue;
      case climate::OptionStatus::invalid: return false;
      case climate::OptionStatus::not_handled: break;
    }
    if (!setter->second(value, command_line.section, error)) return false;
  }
  return true;
}

std::string help_text() {
  std::ostringstream out;
  out << "Usage: jpcp_example cracking DIR [options]\n"
         "       jpcp_example faulting DIR [options]\n"
         "       jpcp_example both DIR [options]     (writes DIR/cracking and DIR/faulting)\n"
         "       jpcp_example --help | -h | --version\n"
         "\n"
         "Writes a complete example section folder for jpcp_cracking or jpcp_faulting:\n"
         "the file list, the design and material inputs, the season pattern, the axle\n"
         "load spectra, the hourly traffic, Response.txt and hourly slab temperature\n"
         "profiles from a heat-conduction model driven by synthetic weather or by the\n"
         "weather file of a real site (--weather). The NN model files are not written\n"
         "(jpcp_models writes model folders).\n"
         "\n"
         "Options (--option VALUE or --option=VALUE):\n"
         "  --name TEXT            section name (Example)\n"
         "  --design-life YEARS    1 to 50 (20)\n"
         "  --start-month M        calendar month of opening to traffic, 1 to 12 (6)\n"
         "  --thickness IN         slab thickness, 6 to 16 (10)\n"
         "  --joint-spacing FT     transverse joint spacing, 10 to 25 (15)\n"
         "  --dowel IN             dowel diameter, 0 for none or 0.75 to 2 (1.25)\n"
         "  --base TYPE            granular, asphalt or cement (granular)\n"
         "  --base-thickness IN    0 to 12 (6)\n"
         "  --bond-months N        months the slab stays bonded to the base\n"
         "                         (granular 0, asphalt and cement 60)\n"
         "  --aadtt N              trucks per day, both directions, at opening (2000)\n"
         "  --growth PCT           truck growth per year, compound, -5 to 15 (4)\n"
         "  --climate NAME         ";
  for (const Climate& climate : named_climates()) out << climate.name << (&climate == &named_climates().back() ? "" : ", ");
  out << " (wet-freeze)\n"
         "  --seed N               seed of the synthetic weather (1)\n"
         "  --climate-years N      years of hourly temperatures for jpcp_cracking, 1 to 16\n"
         "                         (the design life, at most 16)\n"
         "  --mr28 PSI             28-day modulus of rupture, 450 to 900 (650)\n"
         "  --k-value PSI/IN       annual foundation k-value, 50 to 500 (150); frozen months\n"
         "                         3 times it, at most 999, the thaw month 0.8 times it\n"
         "  --shoulder TYPE        asphalt or tied (asphalt)\n"
         "  --slab-width FT        12 to 15; above 12 the slab is widened (12)\n"
         "  --response N           value of Response.txt: -1 no response files, 0 SI, 1 US (-1)\n"
         "  --weather FILE         hourly weather of a real site (EPW, TMY3 CSV or plain CSV):\n"
         "                         slab temperatures, monthly humidities, frozen months,\n"
         "                         wet days and set temperature come from it instead of\n"
         "                         the synthetic climate (see jpcp_climate)\n"
         "  --weather-format NAME  epw, tmy3 or csv (recognised from the file)\n"
         "\n"
         "Heat-model options (SI; the defaults of both weather sources):\n";
  out << climate::thermal_options_help;
  out << "\n"
         "Options, each only as the sole argument:\n"
         "  -h, --help             this text\n"
         "  --version              the program's version\n"
         "\n"
         "Climates:\n";
  for (const Climate& climate : named_climates()) out << "  " << climate.name << ": " << climate.description << "\n";
  return out.str();
}

}  // namespace jpcp::example
