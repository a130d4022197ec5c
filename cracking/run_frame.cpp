#include "cracking/run_frame.h"

namespace jpcp::cracking {

int run(int, char**) { return 0; }

}  // namespace jpcp::cracking
