// The settings window between two showings of the About box.
#include "host/plugin_entry.h"

#include "plugin/about.h"
#include "plugin/setup_quillon.h"

extern "C" int plugin_exec(void*) {
  showUeber();
  eSetupQuillon setup;
  setup.show();
  setup.exec();
  setup.hide();
  showUeber();
  return 0;
}
