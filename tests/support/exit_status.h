// Exit statuses as the death tests and the program runs see them.
#pragma once

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace jpcp::testing {

// The predicate of EXPECT_EXIT: the process ended by itself with a status
// other than 0. On Windows the status is the exit code itself; on POSIX it
// is a wait status.
inline bool exited_non_zero(int status) {
#ifdef _WIN32
  return status != 0;
#else
  return WIFEXITED(status) && WEXITSTATUS(status) != 0;
#endif
}

}  // namespace jpcp::testing
