// The untyped part of the host's list: the entries in display order, the current entry,
// the flags, and the cursor's movements. The list owns its entries: it deletes those it
// still holds when it is cleared or destroyed. Its signals are typed by eListBox<T>.
#pragma once

#include <vector>

#include "host/gui/screen.h"

class eListBoxEntry;

class eListBoxBase {
 public:
  // The list shows the current entry's help text below its rows.
  static constexpr int flagShowEntryHelp = 2;

  eListBoxBase() = default;
  eListBoxBase(const eListBoxBase&) = delete;
  eListBoxBase& operator=(const eListBoxBase&) = delete;
  virtual ~eListBoxBase();

  // Deletes every entry; no entry is current afterwards.
  void clearList();
  void setFlags(int flags) { flags_ = flags; }
  int getFlags() const { return flags_; }

  // Adds `entry` at the end. It becomes current when `makeCurrent` is set, or when no entry
  // is current yet; with `sendSelChanged` a new current entry is reported.
  void append(eListBoxEntry* entry, bool makeCurrent, bool sendSelChanged);
  // Removes `entry` without deleting it. When it was current, the next selectable entry
  // (else the previous one) becomes current, reported when `sendSelChanged` is set.
  void take(eListBoxEntry* entry, bool sendSelChanged);

  eListBoxEntry* getCurrentEntry() const { return current_; }
  int getCount() const { return static_cast<int>(entries_.size()); }

  // The remote control's keys on the list: the cursor moves to the previous or next
  // selectable entry (stopping at the ends), the current entry changes its value, or it is
  // chosen. Each returns whether anything happened.
  bool moveUp() { return moveBy(-1); }
  bool moveDown() { return moveBy(+1); }
  bool changeValue(int direction);
  bool chooseCurrent();

  // The rows, the current row and, with flagShowEntryHelp, its help text.
  void describe(eWidgetView& view) const;

 protected:
  virtual void SendSelChanged(eListBoxEntry* entry) = 0;
  virtual void SendSelected(eListBoxEntry* entry) = 0;

 private:
  bool moveBy(int step);
  // The nearest selectable entry from `from` on in steps of `step`, or null.
  eListBoxEntry* selectableFrom(int from, int step) const;
  int indexOf(const eListBoxEntry* entry) const;
  // The invariant the cursor's calls rely on: no current entry, or a selectable entry of this
  // list (take() moves the cursor off an entry before it leaves).
  bool holdsCurrent() const;

  std::vector<eListBoxEntry*> entries_;
  eListBoxEntry* current_ = nullptr;
  int flags_ = 0;
};
