// kolvanto: the desktop program. Its command line is one file name, the
// source, or --version.

#include <cstdio>
#include <cstring>

#include "app/divide_app.h"
#include "core/program_version.h"

int main(int argc, char** argv) {
  // Answered before the application object exists, so that no display is needed.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("kolvanto %s\n", kv::ProgramVersionText().c_str());
    return 0;
  }
  kv::CDivideApp app(argc, argv);
  return app.InitInstance();
}
