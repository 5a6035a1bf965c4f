#pragma once

#include "platform/ShowView.h"

#include <QPointer>
#include <QWidget>

namespace tinctara {

// The one ShowView of the program: hands each call to the window that shows
// it. A window that is not open receives nothing.
class ShowViewHub : public ShowView {
public:
    void attachMainWindow(QWidget* window) { mainWindow_ = window; }

    void setTitle(std::string_view text) override;

private:
    QPointer<QWidget> mainWindow_;
};

}  // namespace tinctara
