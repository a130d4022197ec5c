// The hourly temperature files of the two programs: the records' calendar
// span and their fixed-column layout.
//
// A record is one line: year (I4), month (I2), day (I2), hour 0..23 (I2) and
// the 11 slab temperatures (deg F, F6.2) from the surface down. The
// cracking program's file (ThermalPCC.dat) begins with 288 header lines,
// one per calendar month and hour, holding the mean profile of that month
// and hour; the faulting program's file has the records only.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "climate/calendar.h"
#include "climate/slab_temperature_model.h"

namespace jpcp::climate {

// Header year of the cracking temperature file: one before the first record
// year, so that the reader goes on block after block to the end of the file.
inline constexpr int32_t cracking_header_year = first_record_year - 1;

// Most climate years the cracking program's record table holds: 16 years
// of the 366-365-365 pattern are 140 304 hourly records, 17 would exceed
// the 141 191 it keeps.
inline constexpr int32_t max_climate_years = 16;

// Days of records, counted from the calendar epoch.
struct RecordSpan {
  int32_t first_day = 0;
  int32_t day_count = 0;
};

// Cracking records: whole climate years from 1 January of the first record
// year.
RecordSpan cracking_record_span(int32_t climate_years);
// Faulting records: whole calendar months from the paving month
// (`age_offset_months` before opening in `start_month` of the first record
// year) through the last analysis month, analysis_months + age_offset_months
// months in all.
RecordSpan faulting_record_span(int32_t analysis_months, int32_t start_month, int32_t age_offset_months);

void write_temperature_record(std::ostream& out, const ProfileRecord& record, int32_t year_field);
void write_cracking_temperature_file(std::ostream& out, const std::vector<ProfileRecord>& records);
void write_faulting_temperature_file(std::ostream& out, const std::vector<ProfileRecord>& records);

}  // namespace jpcp::climate
