#include "common/platform/run_scope.h"

#include <iostream>

namespace jpcp::platform {

namespace {

// Per thread: the scope of code that runs outside any run, and the current one.
thread_local RunScope thread_scope;
thread_local RunScope* current = nullptr;

}  // namespace

RunScope& current_run_scope() { return current ? *current : thread_scope; }

ActiveRunScope::ActiveRunScope(RunScope& scope) : saved_(current) { current = &scope; }

ActiveRunScope::~ActiveRunScope() { current = saved_; }

std::ostream& run_out() {
  RunScope& scope = current_run_scope();
  return scope.out ? *scope.out : std::cout;
}

std::ostream& run_err() {
  RunScope& scope = current_run_scope();
  return scope.err ? *scope.err : std::cerr;
}

}  // namespace jpcp::platform
