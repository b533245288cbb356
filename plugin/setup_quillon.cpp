#include "plugin/setup_quillon.h"

#include <libintl.h>

#include <clocale>
#include <cstdint>

#include "host/econfig.h"
#include "host/estring.h"
#include "host/gui/elistboxentrycheck.h"
#include "host/gui/elistboxentrymenuseparator.h"
#include "host/gui/emessagebox.h"
#include "host/gui/eskin.h"
#include "movielist/display_name.h"
#include "movielist/recover.h"
#include "movielist/sort.h"
#include "plugin/about.h"

namespace {

constexpr const char* kCaption = "Quillon v2.00";

// The host's translation of `text`, looked up in its own text domain.
const char* translated(const char* text) {
  return dcgettext(nullptr, text, LC_MESSAGES);
}

gPixmap* separatorImage() {
  return eSkin::getActive()->queryImage("listbox.separator");
}

int sortTypeOf(const eListBoxEntryMenu* entry) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(entry->getKey()));
}

}  // namespace

eSetupQuillon::eSetupQuillon() : eSetupWindow(kCaption, 9, 400) {
  list.clearList();
  move(ePoint{170, 80});
  list.setFlags(list.getFlags() | eListBoxBase::flagShowEntryHelp);

  sortTypeEntry = new eListBoxEntryMulti(&list, translated("Select sort type (left, right)"));
  sortTypeEntry->add(translated("  Sort by Filename Ascending >"), kSortByNameAscending);
  sortTypeEntry->add(translated("< Sort by Filename Descending >"), kSortByNameDescending);
  sortTypeEntry->add(translated("< Sort by Filedate Ascending >"), kSortByDateAscending);
  sortTypeEntry->add(translated("< Sort by Filedate Descending >"), kSortByDateDescending);
  sortTypeEntry->add(translated("< Sort by Description Ascending >"), kSortByDescriptionAscending);
  sortTypeEntry->add(translated("< Sort by Description Descending "), kSortByDescriptionDescending);
  int sortType = kSortByNameAscending;
  eConfig::instance()->getKey(kFileSortKey, sortType);
  sortTypeEntry->setCurrent(sortType);
  CONNECT(list.selchanged, SigC::slot(*this, &eSetupQuillon::selChanged));

  new eListBoxEntryMenuSeparator(&list, separatorImage(), 0, true);

  const char* eitInfoText = translated("Use EIT-Info for Display");
  eString eitInfoHelp = translated("Enable to use eit-file for the movie display name");
  new eListBoxEntryCheck(&list, eitInfoText, kEitInfoKey, eitInfoHelp);

  new eListBoxEntryMenuSeparator(&list, separatorImage(), 0, true);
  new eListBoxEntryMenuSeparator(&list, nullptr, 0, true);

  eString recoverHelp;
  recoverHelp.sprintf("%s", " Create new recordings.epl");
  auto* recover = new eListBoxEntryMenu(&list, "Start Movie-Recovering", recoverHelp,
                                        eListBoxEntryMenu::alignCentre, nullptr, 0);
  CONNECT(recover->selected, SigC::slot(*this, &eSetupQuillon::StartRecover));

  new eListBoxEntryMenuSeparator(&list, nullptr, 0, true);
  new eListBoxEntryMenuSeparator(&list, separatorImage(), 0, true);

  eString infoHelp;
  infoHelp.sprintf("%s", "Info");
  auto* info =
      new eListBoxEntryMenu(&list, "Info", infoHelp, eListBoxEntryMenu::alignCentre, nullptr, 0);
  CONNECT(info->selected, SigC::slot(*this, &eSetupQuillon::Options));
}

eSetupQuillon::~eSetupQuillon() = default;

void eSetupQuillon::selChanged(eListBoxEntryMenu* entry) {
  if (entry != sortTypeEntry) return;
  const int sortType = sortTypeOf(entry);
  eConfig::instance()->setKey(kFileSortKey, sortType);
}

void eSetupQuillon::StartRecover() {
  hide();
  const char* message = RecoverMovies() != 0 ? translated("Movies recovered successfully.")
                                             : translated("Movies could not be recovered.");
  eMessageBox box(message, kCaption, eMessageBox::iconInfo | eMessageBox::btOK, eMessageBox::btOK,
                  0);
  box.show();
  box.exec();
  box.hide();
  show();
}

void eSetupQuillon::Options() {
  hide();
  showUeber();
  show();
}

int eSetupQuillon::RecoverMovies() {
  return rebuildRecordingsList(sortTypeOf(sortTypeEntry));
}
