#include "cracking/frame/run_frame.h"

int main(int argc, char** argv) { return jpcp::cracking::run(argc, argv); }
