#include "explain/explain_program.h"
#include "input/system.h"

int main(int argc, char** argv) {
  const krobelnik::ProgramArguments arguments(argc, argv);
  return krobelnik::ExplainMain(arguments.Count(), arguments.Values());
}
