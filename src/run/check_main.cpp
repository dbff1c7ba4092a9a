#include "input/system.h"
#include "run/check_testdata.h"

int main(int argc, char** argv) {
  const krobelnik::ProgramArguments arguments(argc, argv);
  return krobelnik::CheckTestData(arguments.Count(), arguments.Values());
}
