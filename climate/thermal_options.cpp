#include "climate/thermal_options.h"

#include <charconv>
#include <cmath>
#include <sstream>
#include <vector>

namespace jpcp::climate {

namespace {

bool parse_real(std::string_view text, double& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool parse_list(std::string_view text, size_t count, std::vector<double>& values) {
  values.clear();
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    double v = 0.0;
    if (!parse_real(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start), v))
      return false;
    values.push_back(v);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return values.size() == count;
}

std::string range_text(double low, double high) {
  std::ostringstream out;
  out << low << " to " << high;
  return out.str();
}

// Conductivity, density and specific heat of natural and manufactured
// pavement materials lie well inside these bounds.
constexpr double min_conductivity = 0.1, max_conductivity = 5.0;
constexpr double min_density = 500.0, max_density = 3500.0;
constexpr double min_specific_heat = 300.0, max_specific_heat = 3000.0;

OptionStatus material(std::string_view name, std::string_view value, std::optional<LayerMaterial>& out,
                      std::string& error) {
  std::vector<double> v;
  if (!parse_list(value, 3, v) || v[0] < min_conductivity || v[0] > max_conductivity || v[1] < min_density ||
      v[1] > max_density || v[2] < min_specific_heat || v[2] > max_specific_heat) {
    error = "--" + std::string(name) + " must be K,RHO,C: conductivity " + range_text(min_conductivity, max_conductivity) +
            " W/m K, density " + range_text(min_density, max_density) + " kg/m3, specific heat " +
            range_text(min_specific_heat, max_specific_heat) + " J/kg K";
    return OptionStatus::invalid;
  }
  out = LayerMaterial{v[0], v[1], v[2]};
  return OptionStatus::set;
}

OptionStatus real(std::string_view name, std::string_view value, double low, double high, std::string_view unit,
                  std::optional<double>& out, std::string& error) {
  double v = 0.0;
  if (!parse_real(value, v) || v < low || v > high) {
    error = "--" + std::string(name) + " must be a number from " + range_text(low, high) +
            (unit.empty() ? "" : " " + std::string(unit));
    return OptionStatus::invalid;
  }
  out = v;
  return OptionStatus::set;
}

}  // namespace

void ThermalOverrides::apply(PavementThermal& pavement) const {
  if (absorptivity) pavement.solar_absorptivity = *absorptivity;
  if (emissivity) pavement.emissivity = *emissivity;
  if (convection_still_air) pavement.convection_still_air = *convection_still_air;
  if (convection_per_wind) pavement.convection_per_wind = *convection_per_wind;
  if (pcc) pavement.slab = *pcc;
  if (base) pavement.base = *base;
  if (subgrade) pavement.subgrade = *subgrade;
  if (deep_depth_m) pavement.deep_depth_m = *deep_depth_m;
}

OptionStatus set_thermal_option(std::string_view name, std::string_view value, ThermalOverrides& overrides,
                                std::string& error) {
  if (name == "absorptivity") return real(name, value, 0.05, 1.0, "", overrides.absorptivity, error);
  if (name == "emissivity") return real(name, value, 0.5, 1.0, "", overrides.emissivity, error);
  if (name == "deep-depth") return real(name, value, 1.0, 30.0, "m", overrides.deep_depth_m, error);
  if (name == "pcc") return material(name, value, overrides.pcc, error);
  if (name == "subgrade") return material(name, value, overrides.subgrade, error);
  if (name == "base" && value.find(',') != std::string_view::npos) return material(name, value, overrides.base, error);
  if (name == "convection") {
    std::vector<double> v;
    if (!parse_list(value, 2, v) || v[0] < 0.5 || v[0] > 50.0 || v[1] < 0.0 || v[1] > 20.0) {
      error = "--convection must be A,B: A from 0.5 to 50 W/m2K, B from 0 to 20 W s/m3K";
      return OptionStatus::invalid;
    }
    overrides.convection_still_air = v[0];
    overrides.convection_per_wind = v[1];
    return OptionStatus::set;
  }
  return OptionStatus::not_handled;
}

const std::string_view thermal_options_help =
    "  --absorptivity A       solar absorptivity of the surface, 0.05 to 1 (0.6)\n"
    "  --emissivity E         long-wave emissivity of the surface, 0.5 to 1 (0.9)\n"
    "  --convection A,B       convection coefficient A + B * wind, W/m2K and\n"
    "                         W s/m3K (5.7,3.8)\n"
    "  --pcc K,RHO,C          concrete conductivity W/m K, density kg/m3, specific\n"
    "                         heat J/kg K (1.5,2350,920)\n"
    "  --base K,RHO,C         base layer properties (those of the base type)\n"
    "  --subgrade K,RHO,C     subgrade properties (1.1,1850,1100)\n"
    "  --deep-depth M         depth of the fixed ground temperature, 1 to 30 m (3)\n";

bool base_material_of_type(std::string_view type, LayerMaterial& material) {
  if (type == "granular") material = granular_base_material;
  else if (type == "asphalt") material = asphalt_base_material;
  else if (type == "cement") material = cement_base_material;
  else return false;
  return true;
}

}  // namespace jpcp::climate
