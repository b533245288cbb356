#include "host/gui/ewidget.h"

#include <algorithm>
#include <vector>

namespace {

// The widgets on the display, in the order they were shown.
std::vector<const eWidget*>& shownWidgets() {
  static std::vector<const eWidget*> widgets;
  return widgets;
}

}  // namespace

eWidget::eWidget(eWidgetView::Kind kind) : kind_(kind) {}

eWidget::~eWidget() {
  hide();
}

void eWidget::show() {
  if (visible_) return;
  visible_ = true;
  shownWidgets().push_back(this);
  if (eScreen* screen = eScreen::getActive()) screen->shown(view());
}

void eWidget::hide() {
  if (!visible_) return;
  visible_ = false;
  std::erase(shownWidgets(), this);
  if (eScreen* screen = eScreen::getActive()) screen->hidden(view());
}

int eWidget::exec() {
  closing_ = false;
  while (!closing_) {
    if (eScreen* screen = eScreen::getActive()) screen->refresh(currentScreenFrame());
    eKeySource* keys = eKeySource::getActive();
    std::optional<eRCKey> key = keys != nullptr ? keys->nextKey() : std::nullopt;
    if (!key) throw eNoMoreKeys(widgetLabel(view()));
    eventHandler(*key);
  }
  closing_ = false;
  return result_;
}

void eWidget::close(int result) {
  result_ = result;
  closing_ = true;
}

eWidgetView eWidget::view() const {
  eWidgetView view;
  view.kind = kind_;
  view.caption = text_;
  view.position = position_;
  view.size = size_;
  describe(view);
  return view;
}

int eWidget::eventHandler(eRCKey) {
  return 0;
}

void eWidget::describe(eWidgetView&) const {}

eScreenFrame currentScreenFrame() {
  eScreenFrame frame;
  for (const eWidget* widget : shownWidgets()) frame.push_back(widget->view());
  return frame;
}
