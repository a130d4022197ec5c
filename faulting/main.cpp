#include "common/cli/command_line.h"
#include "faulting/frame/run_frame.h"

namespace {

constexpr std::string_view description = R"(
Predicts, month by month, the mean faulting of the transverse joints of one
jointed plain concrete pavement section, from the differential energy of
loaded and unloaded slab corners.

Arguments:
  SOURCE_FOLDER  holds FaultFileList.txt (the section: a name and eight
                 input files, or NULL for the default file names), the
                 section's input files and optionally Response.txt
                 (deflection table: 0 SI, 1 US customary); it also
                 receives every result file
  MODEL_FOLDER   holds NNinfo.txt (30 deflection model file names), those
                 model files and defl0.csv (curl deflection grid)

Written in SOURCE_FOLDER (replaced at each run):
  JPCP_faulting.csv    monthly faulting with every intermediate quantity
  JPCP_faulting2.csv   monthly summary table
  _Deflection.csv      corner deflections, when Response.txt asks for them
  ErrorsFAULT.txt      one line per error; removed when there was none
  Progress.tmp         the analysis month, rewritten every 240 months
  VersionFaulting.txt  version line of the file layouts
A run analyses the first section of FaultFileList.txt only.
)";

}  // namespace

int main(int argc, char** argv) {
  return jpcp::cli::engine_main(argc, argv, "jpcp_faulting", jpcp::faulting::usage_line, description,
                                jpcp::faulting::run);
}
