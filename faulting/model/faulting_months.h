// The monthly faulting computation of one section: set-up, then for every
// analysis month the joint opening, load transfer, corner deflections,
// differential energy, shear and dowel damage and the faulting increment,
// with the month's rows of the result files.
#pragma once

#include <cstdint>
#include <functional>

#include "common/inputs/reporting.h"
#include "faulting/model/section_data.h"
#include "faulting/model/section_setup.h"
#include "faulting/results/result_files.h"

namespace jpcp::faulting {

// Receives the month counter every 240th month (the frame writes Progress.tmp).
using MonthProgress = std::function<void(int32_t month)>;

// State carried from month to month.
struct FaultingState {
  float F = 0.0f;         // total faulting, in
  float faultmax = 0.0f;  // in
  float delta_s = 0.0f;   // accumulated loss of shear capacity
  float dowdam = 0.0f;    // accumulated dowel damage
  float lte_d = 0.0f;     // dowel load transfer, percent
  int32_t cm = 0;         // calendar month of the last analysed month
};

// Month counters at which progress is reported.
inline constexpr int32_t progress_interval = 240;

// Runs the month loop on a finished set-up; writes the rows. False (after
// reporting) when a value of a row is not a finite number.
bool faulting_month_loop(FaultingSection& section, const SectionSetup& setup, const ResultStreams& streams,
                         const MonthProgress& progress, const inputs::ReportError& report_error,
                         FaultingState& state);

// The whole computation: set-up, headings, month loop.
bool faulting_computation(FaultingSection& section, const ResultStreams& streams, const MonthProgress& progress,
                          const inputs::ReportError& report_error);

}  // namespace jpcp::faulting
