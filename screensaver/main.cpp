// corvscreen: the live wind rose as a screen saver.
#include <iostream>

#include "screensaver/saver_run.h"

int main(int argc, char** argv) {
  return corvane::screensaver::RunCorvscreen(argc, argv, std::cout, std::cerr);
}
