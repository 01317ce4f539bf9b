// TSplashForm, the window shown while the program starts, and the labels of its wordmark.
#pragma once

#include <QLabel>
#include <QWidget>

class TCustomColorPanel;

// A transparent label for the wordmark: plain advances without pair kerning, and the baseline at the
// label's top plus the font's ascent rounded up, so that rows of different sizes share a baseline.
class WordmarkLabel : public QLabel {
    Q_OBJECT
public:
    explicit WordmarkLabel(QWidget* parent = nullptr);
    // Where the text's baseline lies, in the label's own coordinates.
    int baseline() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TSplashForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 437;
    static constexpr int ClientHeight = 201;
    // The rights notice ends here whatever its length.
    static constexpr int RightsNoticeRight = 420;

    // Borderless, centred on the screen, hidden until shown. Registers the picture resources itself.
    explicit TSplashForm(QWidget* parent = nullptr);

    // Replaces the rights notice, keeping its right edge at RightsNoticeRight.
    void setRightsNotice(const QString& text);

    TCustomColorPanel* CustomColorPanel1;
    WordmarkLabel* Label1;  // large row, silver
    QLabel* Label2;         // version
    QLabel* Label3;         // copyright notice
    QLabel* Label4;         // rights notice
    WordmarkLabel* Label5;  // large row, navy
    QLabel* Label7;         // the product name on green
    QLabel* Image1;         // the valve picture
    QWidget* Shape1;        // white bar over the picture's right edge
    WordmarkLabel* Label6;  // small row, silver
    WordmarkLabel* Label8;  // small row, navy
};
