#pragma once

#include "platform/ShowView.h"

#include <QPointer>

namespace tinctara {

class MainWindow;

// The one ShowView of the program: hands each call to the window that shows
// it. A window that is not open receives nothing.
class ShowViewHub : public ShowView {
public:
    void attachMainWindow(MainWindow* window);

    void setTitle(std::string_view text) override;
    void setDmxStartStopChecked(bool startChecked, bool stopChecked) override;

private:
    QPointer<MainWindow> mainWindow_;
};

}  // namespace tinctara
