// kolvanto: the desktop program. Its command line is one file name, the source.

#include "app/divide_app.h"

int main(int argc, char** argv) {
  kv::CDivideApp app(argc, argv);
  return app.InitInstance();
}
