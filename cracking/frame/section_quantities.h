// Section-level quantities of jpcp_cracking computed by the run frame.
#pragma once

#include <array>
#include <span>

#include "cracking/frame/section.h"
#include "cracking/inputs/general_input.h"

namespace jpcp::cracking {

// Hourly traffic weights from the percentages of daily traffic per hour:
// percentage / 100 x 24, so that 1 is an average hour.
std::array<float, 24> hourly_traffic_weights(const std::array<float, 24>& percentages);

// Humidity factor of the drying-shrinkage warping at relative humidity rh (%).
float humidity_factor(float rh);

// Equivalent temperature difference of moisture warping per month, from the
// months' relative humidity (analysis order), and its total with the
// built-in gradient.
MoistureWarping moisture_warping_difference(const inputs::GeneralInput& general,
                                            const std::array<float, 12>& relative_humidity);

// Trims the thin upper tail of one month's gradient distribution f(1..n).
void distribution_tail_trimming(std::span<float> distribution);
// The same for the first `bins` bins of one month of a bins x 12 table.
void trim_month(inputs::Table2D<float>& table, size_t month, size_t bins);

}  // namespace jpcp::cracking
