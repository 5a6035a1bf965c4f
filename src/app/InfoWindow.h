#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tinctara {

class UserInteraction;

// frmInfo: the program's logo, name, version and credits.
class InfoWindow : public QDialog {
    Q_OBJECT
public:
    InfoWindow(const std::string& versionText, UserInteraction& user, QWidget* parent = nullptr);

    // Shows the window for five seconds while the program goes on handling its
    // events, then closes it.
    void AutoUnload();

protected:
    bool event(QEvent* event) override;

private:
    UserInteraction& user_;
    QLabel* lblInfo_ = nullptr;
    QPushButton* cmdInfo_ = nullptr;
};

// The program's logo: a small wall of coloured lamps.
QPixmap tinctaraLogo(int size);

}  // namespace tinctara
