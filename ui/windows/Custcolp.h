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

    QColor HighLightColor() const { return m_highLightColor; }
    void setHighLightColor(const QColor& color);
    QColor ShadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor& color);
    BevelKind BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(BevelKind kind);
    BevelKind BevelInner() const { return m_bevelInner; }
    void setBevelInner(BevelKind kind);
    int BevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);
    QColor Color() const { return m_color; }
    void setColor(const QColor& color);
    // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment Alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_highLightColor;
    QColor m_shadowColor;
    BevelKind m_bevelOuter = BevelKind::Raised;
    BevelKind m_bevelInner = BevelKind::None;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    QColor m_color;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    QString m_caption;
};

// The caption as the panel draws it: its first MaxCaptionLength characters, never splitting a character
// that takes two UTF-16 units.
QString PanelCaptionText(const QString& caption);
