// The layouts of the three faulting result files, byte for byte.
#include <gtest/gtest.h>

#include <sstream>

#include "faulting/results/result_files.h"

namespace jpcp::faulting {
namespace {

MonthRow september_row() {
  MonthRow r;
  r.month = 9;
  r.calendar_month = 9;
  r.E = 4004100.0f;
  r.Eb = 30000.0f;
  r.k = 190.0f;
  r.rh = 62.0f;
  r.ult_shr_t = 570.162f;
  r.wid = 58.4f;
  r.ell = 36.7099f;
  r.dT = -21.3642f;
  r.lte_agg = 12.5608f;
  r.lte_d = 79.1961f;
  r.lte = 89.0875f;
  r.single_loaded = 0.0096f;
  r.single_unloaded = 0.0053f;
  r.tandem_loaded = 0.0077f;
  r.tandem_unloaded = 0.0043f;
  r.DE = 97.8059f;
  r.delta_s = 0.0008f;
  r.dowdam = 8.0754f;
  r.delta_F = 0.00001f;
  r.F = 0.0001f;
  return r;
}

struct Files {
  std::ostringstream detail, summary, deflection;
  ResultStreams streams(int32_t response_switch) {
    return ResultStreams{&detail, &summary, &deflection, response_switch};
  }
};

TEST(FaultingResultFiles, HeadingsOfAllThreeFiles) {
  Files f;
  write_headings(f.streams(2), 0.05f, 0.25f, 1.2f, 0.003f);
  EXPECT_EQ(f.detail.str(),
            "  5.000000E-02, 0.2500000, 1.200000, 3.000000E-03\n"
            "Pavement,,,,,,,reversible,joint,radius,Total,PCC,Dowel,Total,18.5 single,18.5 single,37 tandem,"
            "37 tandem,Differential,shear,dowel,faulting,total,\n"
            "age,month,Epcc,Ebase,k-value,humidity,shrinkage,opening,of relative stiffness,Temp.Diff.,LTE,LTE,LTE,"
            "loaded,unloaded,loaded,unloaded,Energy,loss,damage, incremen,faulting,\n"
            "mo, ,psi,psi,psi/in,percent,microstrain,mils,in,\xB0" "F,percent,percent,percent,in,in,in,in,lb x in, , ,"
            "in,in,\n");
  EXPECT_EQ(f.summary.str(),
            "Age(mo),Age(yr),Month,Epcc (Mpsi),Ebase (ksi),\n"
            "k(psi/in),R.H.(%),dT(\xB0" "F),Joint opening(in),LTE(%),\n"
            "SA def. L(in),SA def. UL(in),TA def. L(in),TA def. UL(in),\n"
            "D.E.(in-lb),Faulting(in)\n");
  EXPECT_EQ(f.deflection.str(),
            "Year,Age(mo),Epcc(Mpsi), Total Temp Dif(deg F),Axle Type,Load(Kips), Loaded Defl(in),Unloaded "
            "Defl(in)\n");
  Files si;
  write_headings(si.streams(1), 0.05f, 0.25f, 1.2f, 0.003f);
  EXPECT_EQ(si.deflection.str(),
            "Year,Age(mo),Epcc(Mpa), Total Temp Dif(deg C),Axle Type,Load(Kg), Loaded Defl(cm),Unloaded Defl(cm)\n");
  Files none;
  write_headings(none.streams(3), 0.05f, 0.25f, 1.2f, 0.003f);
  EXPECT_EQ(none.deflection.str(), "");
}

TEST(FaultingResultFiles, MonthRowsInUsUnits) {
  Files f;
  write_month_rows(f.streams(2), september_row());
  EXPECT_EQ(f.detail.str(),
            "    9   ,September   ,    0.400410E+07,    30000.000, 190.0000,  62.0000, 570.1620,   0.0584,"
            "    36.7099,   -21.3642,    12.5608,    79.1961,    89.0875,     0.0096,     0.0053,     0.0077,"
            "     0.0043,    97.8059,     0.0008,     8.0754,     0.0000,     0.0001,\n");
  EXPECT_EQ(f.summary.str(),
            "    9,  0.75,September ,  4.00,    30.00, 190., 62.0,-21.4,0.0584, 89.1,0.0096,0.0053,0.0077,0.0043,"
            "   97.8, 0.0001\n");
  EXPECT_EQ(f.deflection.str(),
            "    8,    9,   4.00,-21.36,Single    , 18.5,0.0096,0.0053\n"
            "    8,    9,   4.00,-21.36,Tandem    , 37.0,0.0077,0.0043\n");
}

TEST(FaultingResultFiles, DeflectionRowsInSiUnitsAndTooWideValues) {
  Files f;
  MonthRow row = september_row();
  write_month_rows(f.streams(1), row);
  EXPECT_EQ(f.deflection.str(),
            "    8,    9, 27588., -11.9,Single    ,  8380.,0.0244,0.0135\n"
            "    8,    9, 27588., -11.9,Tandem    , 16760.,0.0196,0.0109\n");
  Files wide;
  row.k = 100000.0f;
  write_month_rows(wide.streams(4), row);
  EXPECT_NE(wide.summary.str().find(",*****,"), std::string::npos);
  EXPECT_NE(wide.detail.str().find(", ********,"), std::string::npos);
  EXPECT_EQ(wide.deflection.str(), "");
}

}  // namespace
}  // namespace jpcp::faulting
