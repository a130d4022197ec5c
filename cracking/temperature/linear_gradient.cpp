#include "cracking/temperature/linear_gradient.h"

namespace jpcp::cracking {

namespace {

constexpr size_t depths = 11;  // temperatures from the surface to the bottom, equally spaced
constexpr size_t layers = depths - 1;

// Trapezoidal mean of the profile minus its bottom temperature.
float mean_minus_bottom(const std::array<float, 11>& t) {
  float sum = 0.5f * t[0];
  for (size_t j = 1; j < layers; ++j) sum += t[j];
  sum += 0.5f * t[layers];
  return sum / 10.0f - t[layers];
}

// First moment of the piecewise-linear profile with layer i weighted by
// w_i = (3i - 2) dz - offset (i from 1).
float first_moment(const std::array<float, 11>& t, float dz, float offset) {
  float sum = 0.0f;
  for (size_t i = 1; i <= layers; ++i) {
    const float w = static_cast<float>(3 * i - 2) * dz - offset;
    sum += t[i - 1] * w + t[i] * (w + dz);
  }
  return dz / 6.0f * sum;
}

size_t month_index(const inputs::HourlyRecord& record) { return static_cast<size_t>(record.month - 1); }

}  // namespace

void profile_moments_unbonded(std::span<const inputs::HourlyRecord> records, float hpcc, std::vector<float>& qq,
                              std::vector<float>& tempC) {
  const float dz = hpcc / 10.0f;
  qq.resize(records.size());
  tempC.resize(records.size());
  for (size_t r = 0; r < records.size(); ++r) {
    // w_i = 2 z_i + z_(i+1) with z measured from mid-depth.
    qq[r] = first_moment(records[r].temperature, dz, 1.5f * hpcc);
    tempC[r] = mean_minus_bottom(records[r].temperature);
  }
}

void profile_moments_bonded(std::span<const inputs::HourlyRecord> records, float hbase,
                            std::span<const float, 12> neutral_axis, std::span<const float, 12> modular_ratio,
                            float hpcc, std::vector<float>& qq, std::vector<float>& tempC) {
  const float dz = hpcc / 10.0f;
  qq.resize(records.size());
  tempC.resize(records.size());
  for (size_t r = 0; r < records.size(); ++r) {
    const auto& t = records[r].temperature;
    const size_t m = month_index(records[r]);
    const float x = neutral_axis[m];
    // Measured from the bottom temperature, so a uniform profile has no moment.
    qq[r] = first_moment(t, dz, 3.0f * x) - t[layers] * 0.5f * hpcc * (hpcc - 2.0f * x);
    tempC[r] = mean_minus_bottom(t) / (1.0f + modular_ratio[m] * hbase / hpcc);
  }
}

float linear_gradient(float qq, float heff) { return -12.0f * qq / (heff * heff); }

bool classify_hours(std::span<const inputs::HourlyRecord> records, std::span<const float> dtlin,
                    std::span<const float, 12> curl, MonthlyHours& hours) {
  for (size_t r = 0; r < records.size(); ++r) {
    const size_t m = month_index(records[r]);
    ++hours.total[m];
    const float g = dtlin[r] + curl[m];
    auto& table = g <= 0.0f ? hours.nighttime[m] : hours.daytime[m];
    if (table.size() >= max_class_hours_per_month) return false;
    table.push_back({g, static_cast<int32_t>(r), records[r].hour + 1});
  }
  return true;
}

}  // namespace jpcp::cracking
