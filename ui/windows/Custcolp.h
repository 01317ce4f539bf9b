// TCustomColorPanel: a bevelled panel whose 3D edges are drawn in two colours of its own.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class TCustomColorPanel : public QWidget {
    Q_OBJECT
public:
    enum class BevelKind { None, Lowered, Raised, Space };

    // The longest caption drawn; anything after it is left out.
    static constexpr int MaxCaptionLength = 255;

    // A raised one-pixel bevel, no border, button-face fill, centred empty caption, and the system's
    // button-highlight and button-shadow colours for the bevels.
    explicit TCustomColorPanel(QWidget* parent = nullptr);

    QColor HighLightColor() const { return highLightColor_; }
    void setHighLightColor(const QColor& color);
    QColor ShadowColor() const { return shadowColor_; }
    void setShadowColor(const QColor& color);
    BevelKind BevelOuter() const { return bevelOuter_; }
    void setBevelOuter(BevelKind kind);
    BevelKind BevelInner() const { return bevelInner_; }
    void setBevelInner(BevelKind kind);
    int BevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int width);
    int BorderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);
    QColor Color() const { return color_; }
    void setColor(const QColor& color);
    // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment Alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor highLightColor_;
    QColor shadowColor_;
    BevelKind bevelOuter_ = BevelKind::Raised;
    BevelKind bevelInner_ = BevelKind::None;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    QColor color_;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    QString caption_;
};

// The caption as the panel draws it: its first MaxCaptionLength characters, never splitting a character
// that takes two UTF-16 units.
QString PanelCaptionText(const QString& caption);
