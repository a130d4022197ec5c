// The faulting program's section input file ("faultgeneralinput.txt"): 38
// lines of design, material, load-position and calibration inputs.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "common/inputs/reporting.h"

namespace jpcp::faulting {

struct SectionInputs {
  int32_t n_months = 0;     // analysis months
  int32_t start_month = 1;  // calendar month (1..12) of analysis month 1
  int32_t age_offset = 0;   // months added to the month counter to give the age month
  float h_pcc = 0.0f;       // slab thickness, in
  float spaceJT = 0.0f;     // joint spacing, ft
  float dowel_dia = 0.0f;   // in; 0 when undowelled
  float dowel_factor = 0.0f;
  float edge_support = 0.0f;    // as passed to the deflection models (see edge_support_value)
  int32_t widened_slab = 0;     // 1: widened slab
  float mu_pcc = 0.0f;          // Poisson's ratio
  float gamma_pcc = 0.0f;       // pci (the file gives pcf)
  float alpha_pcc = 0.0f;       // per deg F
  float hs = 0.0f;              // depth of the drying-shrinkage zone, in
  float ultshrin = 0.0f;        // microstrain
  float shrin_scale = 0.0f;     // microstrain
  int32_t t50 = 0;              // days to half the ultimate shrinkage
  int32_t base_type = 0;
  float h_base = 0.0f;          // in
  float gamma_base = 0.0f;      // pci (the file gives pcf)
  float base_frict = 0.0f;
  float erod = 0.0f;            // erodibility index
  float soil_a = 0.0f;
  float soil_b = 0.0f;
  float rhbot = 0.0f;           // relative humidity at the slab bottom, percent
  float lte_base_in = 0.0f;     // base load transfer of base type 7, percent
  float built_in_gradient = 0.0f;  // permanent curl/warp temperature difference, deg F
  float lane_width = 0.0f;      // ft
  float wheel_path_distance = 0.0f;    // in
  float wheel_path_correction = 0.0f;  // in
  float slab_width = 0.0f;      // ft
  float temp_set = 0.0f;        // set (zero-stress) temperature, deg F
  std::array<float, 8> C{};     // calibration coefficients C1..C8 at index 0..7
  float edge_distance = 0.0f;   // in, derived from the wheel path and the slab width

  float c(int number) const { return C[static_cast<size_t>(number - 1)]; }
};

// Messages of the checks that keep the monthly tables and the storage sizes
// meaningful (the analysis length and the calendar month index them).
inline constexpr std::string_view section_months_message =
    "Data error: General Input File -- number of analysis months must be at least 1.";
inline constexpr std::string_view section_age_offset_message =
    "Data error: General Input File -- age offset must not be negative.";

// The stored edge support: raised to at least 10, then 0.5 * value + 5.
float edge_support_value(float raw);

// Edge distance of the wheel path (in): the wheel-path distance less two
// thirds of its correction; a widened slab adds its extra width, up to 24 in.
float edge_distance_value(float wheel_path_distance, float wheel_path_correction, int32_t widened_slab,
                          float slab_width, float lane_width);

// Reads the file; on failure reports the message and returns false, leaving
// `inputs` untouched.
bool read_section_input(std::string_view path, const inputs::ReportError& report_error, SectionInputs& inputs);

}  // namespace jpcp::faulting
