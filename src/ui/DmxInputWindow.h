#pragma once

#include "windows/DmxInputPresenter.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace tinctara {

// The 512 levels of the input universe: 16 rows of 32 cells, each with its
// level as a number over a bar of that height; grey while nothing is live.
// One widget paints them all, as 512 labels would cost more than the drawing.
class DmxLevelGrid : public QWidget {
    Q_OBJECT
public:
    explicit DmxLevelGrid(QWidget* parent = nullptr);
    void setLevels(const std::array<std::uint8_t, NetworkSlots>& levels, bool live);
    std::uint8_t level(int channel) const { return levels_.at(channel - 1); }
    bool live() const { return live_; }
    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QSize cellSize() const;
    int labelWidth() const;

    std::array<std::uint8_t, NetworkSlots> levels_{};
    bool live_ = false;
};

// "DMX Eingang": a thin view over DmxInputPresenter.
class DmxInputWindow : public QWidget, public DmxInputView {
    Q_OBJECT
public:
    DmxInputWindow(SettingsStore& store, DmxInputControl& input, QWidget* parent = nullptr);
    ~DmxInputWindow() override;

    DmxInputPresenter& presenter() { return *presenter_; }

    void setChoices(const std::vector<std::string>& kinds, const std::vector<std::string>& merges) override;
    void setFields(const DmxInputFields& fields) override;
    void setStatus(std::string_view text) override;
    void setCounters(std::string_view text) override;
    void setSources(const std::vector<std::array<std::string, 3>>& rows) override;
    void setLevels(const std::array<std::uint8_t, NetworkSlots>& levels, bool live) override;
    void setOnWall(bool on) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<DmxInputPresenter> presenter_;
    QComboBox* cboKind_ = nullptr;
    QLineEdit* txtUniverse_ = nullptr;
    QComboBox* cboAddress_ = nullptr;
    QComboBox* cboMerge_ = nullptr;
    QCheckBox* chkOnWall_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    DmxLevelGrid* picLevels_ = nullptr;
    QTableWidget* grdSources_ = nullptr;
    QLabel* lblCounters_ = nullptr;
    QTimer tmrRefresh_;
    bool updating_ = false;  // the presenter is setting the controls, not the user
};

}  // namespace tinctara
