#include "check/check_testdata.h"
#include "input/system.h"

int main(int argc, char** argv) {
  const krobelnik::ProgramArguments arguments(argc, argv);
  return krobelnik::CheckTestData(arguments.Count(), arguments.Values());
}
