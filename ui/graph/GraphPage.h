// Page 1 of the main window: the RIAA response graph with its curve buttons and readouts.
#pragma once

#include <QRect>
#include <QWidget>
#include <vector>

#include "engine/Formats.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QResizeEvent;
class GraphImage;

class GraphPage : public QWidget {
    Q_OBJECT
public:
    // The page's size as laid out; the anchors are reckoned from it.
    static constexpr int kDesignWidth = 634;
    static constexpr int kDesignHeight = 373;

    explicit GraphPage(const riaa::NumberLocale& locale, QWidget* parent = nullptr);
    ~GraphPage() override;

    // Draws Image1 afresh at its current size: the grid and each curve whose button is down.
    // The buttons call it after changing state; the main window calls it once at start-up.
    void SpdBtnInvRIAAEqClick();
    // Writes the level and frequency under the pointer, given in Image1's pixels, into Image1's
    // hint, which the status bar shows.
    void Image1MouseMove(int x, int y);
    // Shows the inverse curve's level at the frequency in CmbBxRiaa; text that is no number is
    // reported in the error box and leaves the readout as it was.
    void CmbBxRiaaChange();
    // Centres the "+10", "0", "-10" and "-20" labels on their levels beside Image1.
    void FormResize();

    QFrame* Bevel4;
    QFrame* Bevel5;
    QFrame* Bevel1;
    QLabel* Label9;
    QLabel* Label7;
    QComboBox* CmbBxRiaa;
    QLabel* LMDLabelAtten;
    QLabel* Label19;
    QPushButton* SpdBtnInvRIAAEq;
    QPushButton* SpdBtnPlayBack;
    QPushButton* SpdBtnRIAAEq;
    GraphImage* Image1;
    QLabel* Label10;
    QLabel* Label16;
    QLabel* Label17;
    QLabel* Label18;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label14;
    QLabel* Label15;
    QLabel* Label13;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Which edges of the page a control keeps its distance to. Along an axis with neither edge
    // the control keeps its centre at the same proportion of the page.
    enum Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8 };
    struct AnchoredControl {
        QWidget* control;
        QRect design;
        int anchors;
    };

    // The frames and the frequency box with its readout; the curve buttons, the graph and its scales;
    // where each control sits at the design size.
    void buildFrequencyReadout();
    void buildCurves();
    void placeControls();
    void place(QWidget* control, QRect design, int anchors);
    void applyAnchors();

    riaa::NumberLocale locale_;
    std::vector<AnchoredControl> anchored_;
};
