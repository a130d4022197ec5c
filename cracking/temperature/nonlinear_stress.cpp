#include "cracking/temperature/nonlinear_stress.h"

#include <algorithm>

#include "cracking/temperature/linear_gradient.h"

namespace jpcp::cracking {

namespace {

// Top stresses beyond this are not credible for a slab in contact with its
// base; they are held there.
constexpr float top_stress_cap = 250.0f;  // psi
constexpr float top_stress_shift_share = 0.4f;
constexpr float bonded_linear_share = 0.9f;

size_t month_index(const inputs::HourlyRecord& record) { return static_cast<size_t>(record.month - 1); }

void prepare(size_t count, NonlinearStresses& out) {
  out.dtlin.resize(count);
  out.strNLbot.resize(count);
  out.strNLtop.resize(count);
}

// Subtracts 0.4 x the largest top stress from every top stress.
void apply_top_stress_shift(NonlinearStresses& out) {
  if (out.strNLtop.empty()) {
    out.top_stress_shift = 0.0f;
    return;
  }
  const float largest = *std::max_element(out.strNLtop.begin(), out.strNLtop.end());
  out.top_stress_shift = top_stress_shift_share * largest;
  for (float& s : out.strNLtop) s -= out.top_stress_shift;
}

}  // namespace

void nonlinear_stress_unbonded(std::span<const inputs::HourlyRecord> records, std::span<const float> qq,
                               std::span<const float> tempC, float hpcc, std::span<const float, 12> heff,
                               const ConcreteProperties& pcc, NonlinearStresses& out) {
  prepare(records.size(), out);
  // A point 0.05 hpcc from a surface lies halfway between the two nearest depths.
  const float w = 0.05f * hpcc / (hpcc / 10.0f);
  for (size_t r = 0; r < records.size(); ++r) {
    const auto& t = records[r].temperature;
    const float he = heff[month_index(records[r])];
    const float dtlin = linear_gradient(qq[r], he);
    const float temp_lin = -(dtlin / he) * (0.5f * hpcc - 0.05f * hpcc);
    const float temp_nl_bot = (t[9] - t[10]) * w - tempC[r] - temp_lin;
    const float temp_nl_top = ((1.0f - w) * t[0] + w * t[1]) - t[10] - tempC[r] + temp_lin;
    out.dtlin[r] = dtlin;
    out.strNLbot[r] = -pcc.e * pcc.alpha * temp_nl_bot / (1.0f - pcc.mu);
    out.strNLtop[r] = std::min(-pcc.alpha * temp_nl_top * pcc.e / (1.0f - pcc.mu), top_stress_cap);
  }
  apply_top_stress_shift(out);
}

void nonlinear_stress_bonded(std::span<const inputs::HourlyRecord> records, std::span<const float, 12> neutral_axis,
                             std::span<const float> qq, std::span<const float> tempC, float hpcc,
                             std::span<const float, 12> heff, const ConcreteProperties& pcc, NonlinearStresses& out) {
  prepare(records.size(), out);
  for (size_t r = 0; r < records.size(); ++r) {
    const auto& t = records[r].temperature;
    const size_t m = month_index(records[r]);
    const float he = heff[m];
    const float x = neutral_axis[m];
    const float dtlin = linear_gradient(qq[r], he);
    const float temp_lin = -(dtlin / he) * (hpcc - x) * bonded_linear_share;
    const float temp_nl_bot = -tempC[r] - temp_lin;
    const float temp_lin_top = (dtlin / he) * x * bonded_linear_share;
    const float temp_nl_top = ((t[0] + t[1]) * 0.5f - t[10] - tempC[r]) - temp_lin_top;
    out.dtlin[r] = dtlin;
    out.strNLbot[r] = -temp_nl_bot * pcc.e * pcc.alpha / (1.0f - pcc.mu);
    out.strNLtop[r] = std::min(-pcc.alpha * temp_nl_top * pcc.e / (1.0f - pcc.mu), top_stress_cap);
  }
  apply_top_stress_shift(out);
}

}  // namespace jpcp::cracking
