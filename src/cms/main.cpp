#include "cms/cms.h"
#include "input/system.h"

int main(int argc, char** argv) {
  const krobelnik::ProgramArguments arguments(argc, argv);
  return krobelnik::CmsMain(arguments.Count(), arguments.Values());
}
