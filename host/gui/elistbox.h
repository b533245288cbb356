// The host's list of entries of type T: eListBoxBase with the two signals its users connect
// to, each carrying the entry concerned. selchanged: another entry became current, or the
// current entry changed its value. selected: the user chose the current entry.
#pragma once

#include "host/gui/elistboxbase.h"
#include "host/sigc.h"

template <class T>
class eListBox : public eListBoxBase {
 public:
  SigC::Signal1<void, T*> selchanged;
  SigC::Signal1<void, T*> selected;

  T* getCurrent() const { return static_cast<T*>(getCurrentEntry()); }

 protected:
  void SendSelChanged(eListBoxEntry* entry) override { selchanged(static_cast<T*>(entry)); }
  void SendSelected(eListBoxEntry* entry) override { selected(static_cast<T*>(entry)); }
};
