// The set-up and the month loop of the faulting computation on small,
// hand-checked cases.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "faulting/deflection/calc_def.h"
#include "faulting/model/faulting_months.h"
#include "faulting/model/joint_transfer.h"
#include "faulting/model/section_setup.h"
#include "faulting/model/slab_parameters.h"
#include "tests/support/faulting_section.h"
#include "tests/support/section_folder.h"

namespace jpcp::faulting {
namespace {

using jpcp::testing::FaultingSectionInputs;
using jpcp::testing::TempFolder;

struct Reported {
  std::vector<std::string> messages;
  inputs::ReportError reporter() {
    return [this](std::string_view m) { messages.emplace_back(m); };
  }
};

inputs::HourlyRecord record(int32_t month, int32_t hour, float top, float mid, float bottom) {
  inputs::HourlyRecord r;
  r.temperature.fill(mid);
  r.temperature[0] = top;
  r.temperature[4] = mid;
  r.temperature[10] = bottom;
  r.month = month;
  r.hour = hour;
  return r;
}

TEST(FaultingSetup, BaseAndInitialDowelLoadTransfer) {
  EXPECT_EQ(base_load_transfer(0, 55.0f), 20.0f);
  EXPECT_EQ(base_load_transfer(1, 55.0f), 40.0f);
  EXPECT_EQ(base_load_transfer(2, 55.0f), 20.0f);
  EXPECT_EQ(base_load_transfer(7, 55.0f), 55.0f);
  for (int32_t type : {3, 4, 5, 6, -1, 8}) EXPECT_EQ(base_load_transfer(type, 55.0f), 30.0f) << type;
  EXPECT_EQ(initial_dowel_lte(0.0f, 10.0f), 0.0f);
  EXPECT_EQ(initial_dowel_lte(0.1f, 10.0f), 0.0f);
  // d = 1.25 in, h = 10 in: J = 120 d^2 / h = 18.75.
  EXPECT_NEAR(initial_dowel_lte(1.25f, 10.0f), 1.0 / (0.01 + 0.012 * std::pow(18.75, -0.849)), 1e-3);
}

TEST(FaultingSetup, LoadLevelsAndNormalisedLoads) {
  const auto loads = single_axle_loads();
  EXPECT_EQ(loads[0], 1500.0f);
  EXPECT_EQ(loads[1], 3500.0f);
  EXPECT_EQ(loads[16], 18500.0f);  // level 17
  EXPECT_EQ(loads[39], 41500.0f);
  const NormalisedLoads n = normalised_loads(0.1f, 10.0f);  // W = 25920 lb
  EXPECT_FLOAT_EQ(n.single[16], 18500.0f / 25920.0f);
  EXPECT_FLOAT_EQ(n.tandem[16], 37000.0f / (2.0f * 25920.0f));
  EXPECT_FLOAT_EQ(n.tridem[16], 55500.0f / (3.0f * 25920.0f));
}

TEST(FaultingSetup, NightTimeStatisticsAndFreezingFraction) {
  const std::vector<inputs::HourlyRecord> records = {
      record(3, 7, 40.0f, 45.0f, 50.0f),   // night
      record(3, 20, 30.0f, 35.0f, 32.0f),  // night, bottom at freezing
      record(3, 8, 90.0f, 70.0f, 60.0f),   // day hours 8..19 do not count
      record(3, 19, 90.0f, 70.0f, 20.0f),  // day, but freezing counts every hour
      record(0, 2, 10.0f, 11.0f, 12.0f),   // month 0 is December
  };
  const NightTemperatures night = night_temperature_statistics(records);
  EXPECT_FLOAT_EQ(night.temp[2][0], ((40.0f - 50.0f) + (30.0f - 32.0f)) / 2.0f);
  EXPECT_FLOAT_EQ(night.temp[2][1], 40.0f);
  EXPECT_EQ(night.temp[2][2], 0.0f);
  EXPECT_FLOAT_EQ(night.temp[11][0], -2.0f);
  EXPECT_FLOAT_EQ(night.temp[11][1], 11.0f);
  EXPECT_FLOAT_EQ(night.FR, 3.0f / 5.0f);
  EXPECT_TRUE(std::isnan(night.temp[5][0]));  // no hours in June
}

TEST(FaultingSetup, MonthPropertyAtTheFirstAgeMonthUsesAgeZero) {
  const std::vector<float> by_age = {100.0f, 110.0f, 130.0f};
  EXPECT_EQ(month_property(by_age, 1), 100.0f);
  EXPECT_EQ(month_property(by_age, 2), 105.0f);
  EXPECT_EQ(month_property(by_age, 3), 120.0f);
}

TEST(FaultingSetup, SlabFormulas) {
  EXPECT_FLOAT_EQ(cf(30.0f), 1.1f);
  EXPECT_FLOAT_EQ(cf(60.0f), 0.8f);
  EXPECT_FLOAT_EQ(cf(90.0f), 0.3f);
  EXPECT_NEAR(effective_thickness(10.0f, 6.0f, 4.0e6f, 4.0e4f), std::cbrt(1000.0 + 0.01 * 216.0), 1e-4);
  // A very stiff foundation gives the smallest radius of the models.
  EXPECT_EQ(radius_of_relative_stiffness(4.0e6f, 10.0f, 0.15f, 1.0e6f), 22.5f);
  EXPECT_NEAR(radius_of_relative_stiffness(4.0e6f, 10.0f, 0.15f, 200.0f),
              std::pow(4.0e9 / (12.0 * (1.0 - 0.0225) * 200.0), 0.25), 1e-3);
  EXPECT_NEAR(deflection_scale(10.0f, 200.0f, 40.0f), 34100596.0 * 10.0 / (200.0 * std::pow(40.0, 4)), 1e-5);
  EXPECT_FLOAT_EQ(korenev_parameter(5e-6f, 0.15f, 40.0f, 200.0f, -10.0f, 10.0f, 0.1f),
                  korenev_parameter(5e-6f, 0.15f, 40.0f, 200.0f, 10.0f, 10.0f, 0.1f));
}

TEST(JointTransfer, AggregateInterlockAndTheJointTotal) {
  // A closed joint (wid 0) has s = 0.05 h.
  const AggregateInterlock closed = LTEPCC(10.0f, 0.0f, 0.0f);
  const double s = 0.5;
  const double J = std::pow(10.0, -3.19626 + 16.09737 * std::exp(-std::exp(-(s - 0.35) / 0.38)));
  EXPECT_NEAR(closed.lte_agg, 1.0 / (0.01 + 0.012 * std::pow(J, -0.849)), 1e-3);
  EXPECT_NEAR(closed.tau_ref, 111.1 * std::exp(-std::exp(0.9988 * std::pow(10.0, -0.1089 * J))), 1e-3);
  // Wider joints and lost shear capacity transfer less.
  EXPECT_LT(LTEPCC(10.0f, 40.0f, 0.0f).lte_agg, closed.lte_agg);
  EXPECT_LT(LTEPCC(10.0f, 0.0f, 0.1f).lte_agg, closed.lte_agg);
  // Very stiff joints: 10^J is beyond single precision; the stress takes its limit.
  const AggregateInterlock stiff = LTEPCC(20.0f, 0.0f, 0.0f);
  EXPECT_NEAR(stiff.tau_ref, 111.1 / std::exp(1.0), 1e-3);

  EXPECT_NEAR(joint_lte(0.0f, 40.0f, 50.0f), 70.0f, 1e-4);
  EXPECT_EQ(joint_lte(99.0f, 20.0f, 10.0f), 95.0f);
  EXPECT_NEAR(load_transfer(joint_stiffness(63.0f)), 63.0f, 1e-3);
}

// Two load levels of single axles only.
class MonthTerms : public ::testing::Test {
 protected:
  MonthTerms() : single_(40, 1), tandem_(40, 1), tridem_(40, 1) {
    single_(0, 0) = 1000.0f;
    single_(1, 0) = 2000.0f;
    defl_[0][single_loaded] = 0.03f;
    defl_[0][single_unloaded] = 0.01f;
    defl_[1][single_loaded] = 0.01f;
    defl_[1][single_unloaded] = 0.02f;  // more under the unloaded slab: no energy, no shear
    traffic_ = MonthTraffic{&single_, &tandem_, &tridem_, 0};
  }
  inputs::Table2D<float> single_, tandem_, tridem_;
  DeflectionTable defl_{};
  MonthTraffic traffic_;
};

TEST_F(MonthTerms, DifferentialEnergy) {
  // 0.5 * 1000 * (0.5 * 200 * 0.04 * 0.02) + nothing from level 2.
  EXPECT_NEAR(de(defl_, traffic_, 200.0f, 0.5f), 0.5 * 1000.0 * (100.0 * 0.04 * 0.02), 1e-4);
}

TEST_F(MonthTerms, LossOfShear) {
  const float lte_agg = 60.0f, tau_ref = 50.0f, k = 200.0f, ell = 40.0f, h = 10.0f;
  float delta_s = 0.1f;
  loss_of_shear(defl_, traffic_, lte_agg, tau_ref, k, ell, 0.005f, h, delta_s);  // r below 0.001: no slope
  EXPECT_EQ(delta_s, 0.1f);
  const double J = std::pow((1.0 / 60.0 - 0.01) / 0.012, -1.1778563);
  const double tau = J * k * ell * 0.02 / h;
  for (const auto& [wid, g] : std::vector<std::pair<float, double>>{
           {20.0f, 0.005 / (1.0 + std::pow(2.0, -5.7))}, {50.0f, 0.068 / (1.0 + 6.0 * std::pow(2.0, -1.98))}}) {
    delta_s = 0.1f;
    loss_of_shear(defl_, traffic_, lte_agg, tau_ref, k, ell, wid, h, delta_s);
    EXPECT_NEAR(delta_s, 0.1 + g * (1000.0 / 1e6) * (tau / tau_ref), 1e-6) << wid;
  }
}

TEST_F(MonthTerms, DowelDamage) {
  DowelInputs in{1.25f, 10.0f, 1.0f, 400.0f, 4000.0f, 200.0f, 40.0f};
  // Without load transfer yet the dowels take no shear: J returns to J0.
  float dowdam = 0.0f, lte_d = 0.0f;
  LTE_dowel(defl_, traffic_, in, dowdam, lte_d);
  EXPECT_EQ(dowdam, 0.0f);
  EXPECT_NEAR(lte_d, initial_dowel_lte(1.25f, 10.0f), 1e-4);

  lte_d = 80.0f;
  LTE_dowel(defl_, traffic_, in, dowdam, lte_d);
  const double S = std::pow((1.0 / 80.0 - 0.01) / 0.012, -1.1778563) * 200.0 * 40.0;
  const double expected_damage = 400e-6 * (1000.0 * S * 0.02 + 2000.0 * S * 0.01) / (1.25 * 4000.0);
  EXPECT_NEAR(dowdam, expected_damage, 1e-5 * expected_damage);
  const double J0 = 120.0 * 1.5625 / 10.0, Jc = 165.0 * 1.5625 / 10.0 - 19.8;
  const double Jc_limited = std::max(Jc, 0.4);
  const double Jd = Jc_limited + (J0 - Jc_limited) * std::exp(-expected_damage);
  EXPECT_NEAR(lte_d, 1.0 / (0.01 + 0.012 * std::pow(Jd, -0.849)), 1e-3);
}

// A section read by the readers from a written folder, with the closed-form
// models; the month loop writes into string streams.
class MonthLoop : public ::testing::Test {
 protected:
  MonthLoop() : folder_("floop"), models_("floopm") { jpcp::testing::write_model_folder(models_.path()); }

  void load(const FaultingSectionInputs& in) {
    jpcp::testing::write_faulting_section(folder_.path(), in);
    auto path = [&](const char* name) { return (folder_.path() / name).string(); };
    const auto report = reported_.reporter();
    ASSERT_TRUE(read_section_input(path("faultgeneralinput.txt"), report, section_.inputs));
    const SectionInputs& s = section_.inputs;
    ASSERT_TRUE(read_fault_temperatures(path("thermalPCC.dat"), temperature_capacity(s.n_months, s.age_offset),
                                        s.age_offset, report, section_.temperatures));
    ASSERT_TRUE(read_fault_season_pattern(path("seasonpattern.txt"), s.n_months, report, section_.season));
    ASSERT_TRUE(read_fault_traffic({path("SingleAxleOutput.csv"), path("TandemAxleOutput.csv"),
                                    path("TridemAxleOutput.csv"), path("QuadAxleOutput.csv")},
                                   path("_HourlyTrafficPerc.txt"), s.n_months, report, section_.axles));
    for (size_t g = 0; g < deflection_model_count; ++g) {
      NodeSet nodes;
      for (size_t n = 0; n < joint_spacing_nodes; ++n) {
        nodes.paths[n] =
            (models_.path() / ("defl" + std::to_string(g + 1) + "_" + std::to_string(n + 1) + ".ttt")).string();
      }
      ASSERT_TRUE(load_deflection_model(nodes, 1 << 20, report, section_.models[g]));
    }
    ASSERT_TRUE(read_curl_grid((models_.path() / "defl0.csv").string(), report, section_.curl));
    ASSERT_TRUE(section_setup(section_, report, setup_));
    state_.faultmax = setup_.faultmax;
    state_.lte_d = setup_.lte_d;
    state_.cm = section_.inputs.start_month - 1;
  }
  bool run_loop() {
    streams_.detail = &detail_;
    streams_.summary = &summary_;
    return faulting_month_loop(section_, setup_, streams_, [this](int32_t i) { progress_.push_back(i); },
                               reported_.reporter(), state_);
  }
  std::vector<std::vector<std::string>> rows() const {
    std::vector<std::vector<std::string>> result;
    std::istringstream in(detail_.str());
    for (std::string line; std::getline(in, line);) {
      std::vector<std::string> fields;
      std::istringstream items(line);
      for (std::string field; std::getline(items, field, ',');) fields.push_back(field);
      result.push_back(fields);
    }
    return result;
  }

  TempFolder folder_;
  TempFolder models_;
  Reported reported_;
  FaultingSection section_;
  SectionSetup setup_;
  FaultingState state_;
  ResultStreams streams_;
  std::ostringstream detail_, summary_;
  std::vector<int32_t> progress_;
};

TEST_F(MonthLoop, SetUpGivesFreezingAdjustedCoefficientsAndTheCalendarSlabs) {
  load(FaultingSectionInputs());
  const float root = std::pow(setup_.night.FR, 0.25f);
  EXPECT_GT(setup_.night.FR, 0.0f);  // the writer's winter reaches freezing
  EXPECT_FLOAT_EQ(setup_.C12, 1.0184f + 0.91656f * root);
  EXPECT_FLOAT_EQ(setup_.C34, 0.002848f + 0.000883739f * root);
  EXPECT_EQ(setup_.L, 15.0f);
  EXPECT_EQ(setup_.lte_base, 40.0f);  // base type 1
  EXPECT_GT(setup_.faultmax, 0.0f);
  // The reference modulus is that of age 10 months: 4.0e6 + 2000 * 10 psi.
  EXPECT_FLOAT_EQ(setup_.h_eff[0], effective_thickness(10.0f, 6.0f, 4.02e6f, 40000.0f));
}

TEST_F(MonthLoop, JointSpacingIsClampedToTheModelRange) {
  FaultingSectionInputs in;
  in.set(5, "40");
  load(in);
  EXPECT_EQ(setup_.L, 33.0f);
  in.set(5, "10");
  load(in);
  EXPECT_EQ(setup_.L, 12.0f);
}

TEST_F(MonthLoop, ColdSlabClosesTheJointAndFrozenBaseTransfersNinetyPercent) {
  FaultingSectionInputs in;
  in.set(32, "-200");  // set temperature far below the slab: compression
  in.set(6, "0");      // undowelled
  in.profile = [](int, int) {
    std::array<float, 11> t{};
    t.fill(20.0f);  // frozen all year
    return t;
  };
  load(in);
  ASSERT_TRUE(run_loop());
  const auto r = rows();
  ASSERT_EQ(r.size(), 24u);
  for (const auto& row : r) {
    EXPECT_EQ(row[7], "   0.0000");  // joint opening clipped at 0
    EXPECT_EQ(std::stod(row[11]), 0.0);  // LTEd stays 0 without dowels
    EXPECT_EQ(std::stod(row[19]), 0.0);  // no dowel damage
    const double lte_agg = std::stod(row[10]);
    EXPECT_NEAR(std::stod(row[12]), std::min(95.0, 100.0 * (1.0 - 0.1 * (1.0 - lte_agg / 100.0))), 1e-3);
  }
  EXPECT_TRUE(progress_.empty());
}

TEST_F(MonthLoop, ZeroDowelDiameterKeepsLoadTransferFromBaseAndAggregateOnly) {
  FaultingSectionInputs in;
  in.set(6, "0");
  in.set(17, "4");
  load(in);
  ASSERT_TRUE(run_loop());
  EXPECT_EQ(state_.lte_d, 0.0f);
  EXPECT_EQ(state_.dowdam, 0.0f);
  for (const auto& row : rows()) {
    const double lte_agg = std::stod(row[10]);
    // Warm months: base type 4 gives 30 %; frozen months 90 %.
    const double warm = 100.0 * (1.0 - 0.7 * (1.0 - lte_agg / 100.0));
    const double cold = std::min(95.0, 100.0 * (1.0 - 0.1 * (1.0 - lte_agg / 100.0)));
    const double lte = std::stod(row[12]);
    EXPECT_TRUE(std::fabs(lte - warm) < 1e-3 || std::fabs(lte - cold) < 1e-3) << lte;
  }
}

TEST_F(MonthLoop, MonthsAfterFaultingOvertakesItsLimitAreSkippedButProgressGoesOn) {
  load(FaultingSectionInputs());
  // A huge faulting coefficient makes month 1 fault past the limit.
  setup_.C34 = 1.0e6f;
  section_.inputs.n_months = 480;  // months past the first are never computed
  ASSERT_TRUE(run_loop());
  const auto r = rows();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_GT(state_.F, state_.faultmax);
  EXPECT_EQ(progress_, (std::vector<int32_t>{240, 480}));
}

TEST_F(MonthLoop, NonFiniteValueEndsTheLoopWithItsQuantityAndMonth) {
  load(FaultingSectionInputs());
  section_.season.calendar.k_value[2] = 0.0f;  // March has no foundation
  ASSERT_FALSE(run_loop());
  EXPECT_EQ(rows().size(), 2u);  // January and February were written
  ASSERT_EQ(reported_.messages.size(), 1u);
  EXPECT_EQ(reported_.messages[0].rfind("Numerical error: ", 0), 0u);
  EXPECT_NE(reported_.messages[0].find(" is not a finite number in month 3"), std::string::npos);
}

}  // namespace
}  // namespace jpcp::faulting
