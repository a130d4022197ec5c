// The heat-model options of the programs that run the model (SI units):
//   --absorptivity a        solar absorptivity of the surface
//   --emissivity e          long-wave emissivity of the surface
//   --convection A,B        hc = A + B U, W/(m2 K) and W s/(m3 K)
//   --pcc K,RHO,C           concrete conductivity W/(m K), density kg/m3,
//   --base K,RHO,C            specific heat J/(kg K); the same for the base
//   --subgrade K,RHO,C        and the subgrade
//   --deep-depth M          depth of the fixed ground temperature, m
// (--base TYPE, the base type by name, is the calling program's.)
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "climate/slab_temperature_model.h"

namespace jpcp::climate {

struct ThermalOverrides {
  std::optional<double> absorptivity;
  std::optional<double> emissivity;
  std::optional<double> convection_still_air;
  std::optional<double> convection_per_wind;
  std::optional<LayerMaterial> pcc, base, subgrade;
  std::optional<double> deep_depth_m;
  // Sets what was given over the defaults of `pavement`.
  void apply(PavementThermal& pavement) const;
};

enum class OptionStatus { not_handled, set, invalid };

// One option (name without the leading --). `invalid` comes with a message.
OptionStatus set_thermal_option(std::string_view name, std::string_view value, ThermalOverrides& overrides,
                                std::string& error);

// The usage lines of these options.
extern const std::string_view thermal_options_help;

// Base layer properties of a base type name: granular, asphalt, cement.
bool base_material_of_type(std::string_view type, LayerMaterial& material);

}  // namespace jpcp::climate
