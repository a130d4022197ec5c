// Case files of the slab solver (JSON). Every key of the basic layout is
// required; the optional keys are listed in slab/README.md. A missing or
// malformed key gives a one-line error that names it by its path
// ("slabs.thickness_in: missing").
#pragma once

#include <string>

#include "slab/slab_case.h"

namespace jpcp::slab {

// Reads and checks a case from JSON text; false with `error` otherwise.
bool parse_case(const std::string& json_text, SlabCase& out, std::string& error);

}  // namespace jpcp::slab
