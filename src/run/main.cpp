#include "run/run_eval.h"

int main(int argc, char** argv) { return krobelnik::Main(argc, argv); }
