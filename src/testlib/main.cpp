#include "input/system.h"
#include "testlib/testlib.h"

int main(int argc, char** argv) {
  const krobelnik::ProgramArguments arguments(argc, argv);
  return krobelnik::TestlibMain(arguments.Count(), arguments.Values());
}
