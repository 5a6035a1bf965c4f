#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace tinctara {

// The 12.75 s of the transfer to the play unit: a small tool window with the
// ticks sent, which goes when the transfer ends.
class PlayUnitProgress : public QWidget {
    Q_OBJECT
public:
    explicit PlayUnitProgress(QWidget* parent);
    // total 0 hides the window.
    void showProgress(int sent, int total);

private:
    QLabel* lblProgress_ = nullptr;
    QProgressBar* prgTransfer_ = nullptr;
};

}  // namespace tinctara
