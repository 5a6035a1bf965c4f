#pragma once

#include "windows/RemoteOptionsPresenter.h"

#include <QImage>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace tinctara {

// The page's address as a QR code (libqrencode), `scale` pixels per module,
// with the quiet zone of four modules; a null image when it cannot be made.
QImage remoteQrCode(const QString& text, int scale = 4);

// The options window's tab "Fernbedienung": a thin view over RemoteOptionsPresenter.
class RemoteOptionsTab : public QWidget, public RemoteOptionsView {
    Q_OBJECT
public:
    RemoteOptionsTab(SettingsStore& store, RemoteControl& remote, QWidget* parent = nullptr);
    ~RemoteOptionsTab() override;

    RemoteOptionsPresenter& presenter() { return *presenter_; }

    void setRemoteOn(bool on) override;
    void setAddresses(const std::vector<std::string>& addresses, const std::string& current) override;
    void setPort(std::string_view text) override;
    void setCode(std::string_view text) override;
    void showUrl(std::string_view url) override;
    void setStatus(std::string_view text) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<RemoteOptionsPresenter> presenter_;
    QCheckBox* chkRemote_ = nullptr;
    QComboBox* cboAddress_ = nullptr;
    QLineEdit* txtPort_ = nullptr;
    QLineEdit* txtCode_ = nullptr;
    QLabel* lblUrl_ = nullptr;
    QLabel* picQrCode_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    bool updating_ = false;
};

}  // namespace tinctara
