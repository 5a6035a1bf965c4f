#include "PlayUnitProgress.h"

#include "Accessibility.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tinctara {

PlayUnitProgress::PlayUnitProgress(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowTitleHint)
{
    nameControl(this, QStringLiteral("frmSendToMerger"));
    setWindowTitle(QStringLiteral("Sequenz senden"));
    lblProgress_ = new QLabel(this);
    nameControl(lblProgress_, QStringLiteral("lblProgress"));
    prgTransfer_ = new QProgressBar(this);
    nameControl(prgTransfer_, QStringLiteral("prgTransfer"), QStringLiteral("Fortschritt beim Senden"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblProgress_);
    layout->addWidget(prgTransfer_);
    setMinimumWidth(320);
}

void PlayUnitProgress::showProgress(int sent, int total)
{
    if (total <= 0) {
        hide();
        return;
    }
    prgTransfer_->setRange(0, total);
    prgTransfer_->setValue(sent);
    lblProgress_->setText(QStringLiteral("Sende zum Merger: Schritt %1 von %2").arg(sent).arg(total));
    if (!isVisible()) {
        adjustSize();
        if (parentWidget())
            move(parentWidget()->geometry().center() - rect().center());
        show();
    }
}

}  // namespace tinctara
