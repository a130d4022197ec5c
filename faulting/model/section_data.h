// Everything the readers and the deflection model set-up hold for the one
// section of a faulting run.
#pragma once

#include <string>
#include <vector>

#include "common/inputs/input_set.h"
#include "common/inputs/temperature_data.h"
#include "faulting/deflection/curl_grid.h"
#include "faulting/deflection/deflection_model.h"
#include "faulting/inputs/fault_season_pattern.h"
#include "faulting/inputs/section_input.h"
#include "faulting/inputs/shared_inputs.h"

namespace jpcp::faulting {

struct FaultingSection {
  inputs::InputSet input_set;
  SectionInputs inputs;
  FaultSeasonPattern season;
  AxleTables axles;                              // single, tandem, tridem, quad
  std::vector<inputs::HourlyRecord> temperatures;  // calendar months as written
  int64_t model_storage = 0;                     // coefficients per node block
  DeflectionModels models;
  CurlDeflectionGrid curl;
};

}  // namespace jpcp::faulting
