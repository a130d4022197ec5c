// Each hourly temperature profile reduced to its first moment about the
// bending axis (qq) and its mean-minus-bottom temperature (tempC), the
// equivalent linear temperature difference dtlin, and the split of the hours
// into daytime (top warmer) and night-time hours per month.
// Temperatures in deg F, depths in inches; dtlin > 0: top warmer than bottom.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "common/inputs/temperature_data.h"

namespace jpcp::cracking {

// Largest number of records of one series, and of hours of one class in one
// month, that the temperature processing holds.
inline constexpr size_t max_temperature_records = 150000;
inline constexpr size_t max_class_hours_per_month = 15000;

// Unbonded: moments about the mid-depth of the slab.
void profile_moments_unbonded(std::span<const inputs::HourlyRecord> records, float hpcc, std::vector<float>& qq,
                              std::vector<float>& tempC);

// Bonded: moments about the neutral axis of the composite section, measured
// from the bottom temperature; neutral_axis and modular_ratio per month.
void profile_moments_bonded(std::span<const inputs::HourlyRecord> records, float hbase,
                            std::span<const float, 12> neutral_axis, std::span<const float, 12> modular_ratio,
                            float hpcc, std::vector<float>& qq, std::vector<float>& tempC);

// dtlin = -12 qq / heff^2 with the month's effective thickness.
float linear_gradient(float qq, float heff);

// One hour of a class: its gradient, record index (0-based) and hour of day + 1.
struct ClassifiedHour {
  float gradient;
  int32_t record;
  int32_t hour;
};

struct MonthlyHours {
  std::array<std::vector<ClassifiedHour>, 12> daytime;
  std::array<std::vector<ClassifiedHour>, 12> nighttime;
  std::array<int32_t, 12> total{};  // hours of the month, both classes
};

// Classifies every record by g = dtlin + c(month): g <= 0 is a night-time
// hour. False when a month collects more hours of one class than the
// tables hold.
bool classify_hours(std::span<const inputs::HourlyRecord> records, std::span<const float> dtlin,
                    std::span<const float, 12> curl, MonthlyHours& hours);

}  // namespace jpcp::cracking
