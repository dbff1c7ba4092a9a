#include "input/system.h"
#include "run/run_eval.h"

int main(int argc, char** argv) {
  const krobelnik::ProgramArguments arguments(argc, argv);
  return krobelnik::Main(arguments.Count(), arguments.Values());
}
