#include "plugin/about.h"

#include "host/gui/emessagebox.h"

namespace {

// Shown as it stands, untranslated, like the caption.
constexpr const char* kAboutText =
    "Quillon v2.00\n"
    "Rebuilds the receiver's list of recorded movies from\n"
    "the recordings on its disk, named from their event\n"
    "information and sorted as you choose.\n"
    "https://quillon.example.org";

}  // namespace

void showUeber() {
  eMessageBox box(kAboutText, "About...", eMessageBox::iconInfo | eMessageBox::btOK,
                  eMessageBox::btOK, 0);
  box.show();
  box.exec();
  box.hide();
}
