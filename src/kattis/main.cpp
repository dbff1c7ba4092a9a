#include "input/system.h"
#include "kattis/kattis.h"

int main(int argc, char** argv) {
  const krobelnik::ProgramArguments arguments(argc, argv);
  return krobelnik::KattisMain(arguments.Count(), arguments.Values());
}
