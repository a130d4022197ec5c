// The design traffic summaries of a section: ESALs.txt (the design
// traffic in million ESALs) and Traff.csv (the axles of each load class and
// the load equivalency factors).
#pragma once

#include <string_view>

#include "common/inputs/reporting.h"
#include "common/inputs/traffic.h"

namespace jpcp::cracking {

// Design traffic in million ESALs, as ESALs.txt gives it.
float design_traffic_millions(const inputs::AxleTraffic& traffic);
// False (reported) when the design traffic does not fit its field of
// ESALs.txt; checked before the summaries are written.
bool traffic_summaries_fit(const inputs::AxleTraffic& traffic, const inputs::ReportError& report_error);

// ESALs.txt and Traff.csv in the results folder.
void write_traffic_summaries(const inputs::AxleTraffic& traffic, std::string_view results_folder);

}  // namespace jpcp::cracking
