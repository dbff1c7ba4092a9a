#include "input/system.h"
#include "run/explain.h"

int main(int argc, char** argv) {
  const krobelnik::ProgramArguments arguments(argc, argv);
  return krobelnik::ExplainMain(arguments.Count(), arguments.Values());
}
