#include "faulting/frame/run_frame.h"

int main(int argc, char** argv) { return jpcp::faulting::run(argc, argv); }
