#pragma once

#include "windows/MemoryCardPresenter.h"

#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tinctara {

// frmFiles: a thin view over MemoryCardPresenter.
class MemoryCardWindow : public QWidget, public MemoryCardView {
    Q_OBJECT
public:
    explicit MemoryCardWindow(MemoryCardPresenter::Services services, QWidget* parent = nullptr);
    ~MemoryCardWindow() override;

    MemoryCardPresenter& presenter() { return *presenter_; }

    void setCaption(std::string_view caption) override;
    void setSequenceName(std::string_view name) override;
    void setStatus(std::string_view text) override;
    void setDisplay(std::string_view text) override;
    void setProgress(std::int64_t written, std::int64_t total) override;
    void setWorking(bool working) override;
    void closeWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<MemoryCardPresenter> presenter_;
    std::array<QPushButton*, MemoryCardButton::Count> cmdFiles_{};
    QPushButton* cmdStop_ = nullptr;
    QLabel* lblSequence_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QPlainTextEdit* txtDisplay_ = nullptr;
    QProgressBar* prgWrite_ = nullptr;
};

}  // namespace tinctara
