#pragma once

#include "windows/EffectsPresenter.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tinctara {

// The small copy of the wall inside the effects window: one square per
// element at its place in the grid, painted in one pass.
class EffectPreview : public QWidget {
    Q_OBJECT
public:
    explicit EffectPreview(QWidget* parent = nullptr);
    void setWall(const EffectWall& wall);
    void setColours(const std::vector<Rgb>& colours);
    const std::vector<Rgb>& colours() const { return colours_; }
    QSize sizeHint() const override { return {220, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    EffectWall wall_;
    std::vector<Rgb> colours_;
};

// frmEffekte: the thin Qt view of EffectsPresenter.
class EffectsWindow : public QWidget, public EffectsView {
    Q_OBJECT
public:
    EffectsWindow(EffectsPresenter::Services services, QWidget* parent = nullptr);
    ~EffectsWindow() override;

    EffectsPresenter& presenter() { return *presenter_; }

    // The output ticked: a shown preview moves with it, so that the wall and
    // the preview are painted in the same pass. Its own timer takes over when
    // no tick came for a period and a half (the output paused).
    void outputTicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setStatus(std::string_view text) override;
    void setField(int index, std::string_view text) override;
    void setFieldEnabled(int index, bool enabled) override;
    void setChoicesEnabled(bool direction, bool pattern, bool fit, bool colours) override;
    void setColourChoices(const std::vector<std::string>& names) override;
    void setPreviewWall(const EffectWall& wall) override;
    void showPreview(const std::vector<Rgb>& colours) override;
    void setMusicField(int index, std::string_view text) override;
    void setEveryBeats(int choice) override;
    void setAnalysing(bool analysing) override;
    void setMusicPreview(bool available, bool running) override;
    void musicAnalysisFinished() override;
    QWidget* buildMusicGroup();
    // A field of an array whose every change goes to the presenter.
    QLineEdit* textField(QWidget* parent, const QString& name, const char* heading,
                         void (EffectsPresenter::*change)(int, std::string_view), int index);

    std::unique_ptr<EffectsPresenter> presenter_;
    QComboBox* cboArt_ = nullptr;
    QComboBox* cboRichtung_ = nullptr;
    QComboBox* cboMuster_ = nullptr;
    QComboBox* cboEinpassen_ = nullptr;
    std::array<QComboBox*, EffectsText::ColourChoices> cboFarbe_{};
    std::array<QLineEdit*, EffectsText::Fields> txtEffekt_{};
    std::array<QLabel*, EffectsText::Fields> lblEffekt_{};
    QPushButton* cmdDatei_ = nullptr;
    QCheckBox* chkWeiss_ = nullptr;
    std::array<QPushButton*, EffectsText::Buttons> cmdEffekt_{};
    EffectPreview* picVorschau_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    std::array<QLineEdit*, EffectsText::MusicFields> txtMusik_{};
    QComboBox* cboBeats_ = nullptr;
    QPushButton* cmdLied_ = nullptr;
    std::array<QPushButton*, EffectsText::MusicButtons> cmdMusik_{};
    QTimer* timVorschau_ = nullptr;
    bool updating_ = false;
    bool shown_ = false;  // the preview runs only while the window can be seen
};

}  // namespace tinctara
