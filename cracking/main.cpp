#include "cracking/run_frame.h"

int main(int argc, char** argv) { return jpcp::cracking::run(argc, argv); }
