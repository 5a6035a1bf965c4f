#include "ShowViewHub.h"

namespace tinctara {

void ShowViewHub::setTitle(std::string_view text)
{
    if (mainWindow_)
        mainWindow_->setWindowTitle(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace tinctara
