#include "common/cli/command_line.h"
#include "cracking/frame/run_frame.h"

namespace {

constexpr std::string_view description = R"(
Predicts, month by month over the design life, the percent of slabs with
transverse cracks of jointed plain concrete pavement sections, from
bottom-up and top-down fatigue damage under axle loads and curling.

Arguments:
  SOURCE_FOLDER   holds FileList.txt (the sections: a name and nine input
                  files each, or NULL for the default file names), every
                  section's input files, and optionally Response.txt
                  (stress tables: 0 SI, 1 US customary) and BGCal.txt
                  (calibration built-in gradient)
  RESULTS_FOLDER  receives every result file; it must exist
  NN_FOLDER       holds NNinfo.txt (four model file names) and the 28 NN
                  model files
  SUMMARY_FILE    optional: name of the calibration summary file in
                  RESULTS_FOLDER; selects calibration mode (each section is
                  analysed once per calibration value of its General input)
  DETAIL          optional, any text: in calibration mode, write the
                  per-section result files too

Written in RESULTS_FOLDER (replaced at each run unless said otherwise):
  NAME_Cracking.csv      monthly damage and percent slabs cracked, per section
  LTemp_NAME.csv         monthly temperature-gradient distributions
                         (LTemp_B_NAME.csv too when the slab starts bonded)
  StressResults.csv      stress tables, appended to at every analysis
                         (StressResultsBond.csv for the bonded case)
  _StressBot.csv, _StressTop.csv   stresses per month, when Response.txt asks
  ESALs.txt, Traff.csv   design traffic of the last section
  SUMMARY_FILE           calibration summary (calibration mode)
  JPCP Errors.txt        one line per error; removed when there was none
  Progress.tmp           one line, rewritten while the run goes on: 0.0 at
                         the start, rising stage values during an analysis,
                         100.0 at its end, -1.0 after an error
  VersionCracking.txt    version line of the file layouts
Standard output: one line per section (its name).
)";

}  // namespace

int main(int argc, char** argv) {
  return jpcp::cli::engine_main(argc, argv, "jpcp_cracking", jpcp::cracking::command_synopsis, description,
                                jpcp::cracking::run);
}
