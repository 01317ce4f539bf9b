#include "Custcolp.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "Frame3D.h"

namespace {

struct BevelColors {
    QColor top;
    QColor bottom;
};

// A lowered bevel is a raised one with its colours swapped; "space" looks like raised.
BevelColors bevelColors(TCustomColorPanel::BevelKind kind, const QColor& highlight, const QColor& shadow) {
    if (kind == TCustomColorPanel::BevelKind::Lowered) {
        return {shadow, highlight};
    }
    return {highlight, shadow};
}

// Widths beyond any window's size draw the same as the window's size, so they are kept to a sane range.
int saneWidth(int width) { return std::clamp(width, 0, 10000); }

}  // namespace

QString PanelCaptionText(const QString& caption) {
    if (caption.size() <= TCustomColorPanel::MaxCaptionLength) {
        return caption;
    }
    qsizetype length = TCustomColorPanel::MaxCaptionLength;
    if (caption.at(length - 1).isHighSurrogate()) {
        --length;
    }
    return caption.left(length);
}

TCustomColorPanel::TCustomColorPanel(QWidget* parent)
    : QWidget(parent),
      m_highLightColor(palette().color(QPalette::Light)),
      m_shadowColor(palette().color(QPalette::Dark)),
      m_color(palette().color(QPalette::Button)) {}

void TCustomColorPanel::setHighLightColor(const QColor& color) {
    m_highLightColor = color;
    update();
}

void TCustomColorPanel::setShadowColor(const QColor& color) {
    m_shadowColor = color;
    update();
}

void TCustomColorPanel::setBevelOuter(BevelKind kind) {
    m_bevelOuter = kind;
    update();
}

void TCustomColorPanel::setBevelInner(BevelKind kind) {
    m_bevelInner = kind;
    update();
}

void TCustomColorPanel::setBevelWidth(int width) {
    m_bevelWidth = saneWidth(width);
    update();
}

void TCustomColorPanel::setBorderWidth(int width) {
    m_borderWidth = saneWidth(width);
    update();
}

void TCustomColorPanel::setColor(const QColor& color) {
    m_color = color;
    update();
}

void TCustomColorPanel::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void TCustomColorPanel::setCaption(const QString& caption) {
    m_caption = caption;
    update();
}

void TCustomColorPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = rect();
    if (m_bevelOuter != BevelKind::None) {
        const BevelColors colors = bevelColors(m_bevelOuter, m_highLightColor, m_shadowColor);
        area = DrawFrame3D(painter, area, colors.top, colors.bottom, m_bevelWidth);
    }
    area = DrawFrame3D(painter, area, m_color, m_color, m_borderWidth);
    if (m_bevelInner != BevelKind::None) {
        const BevelColors colors = bevelColors(m_bevelInner, m_highLightColor, m_shadowColor);
        area = DrawFrame3D(painter, area, colors.top, colors.bottom, m_bevelWidth);
    }
    if (area.isEmpty()) {
        return;
    }
    painter.fillRect(area, m_color);
    if (m_caption.isEmpty()) {
        return;
    }

    // One line of text centred in what is left; further lines of a caption fall outside the band and are
    // clipped away. The bottom edge is counted exclusive here, as the band's centring expects.
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const int lineHeight = QFontMetrics(font()).height();
    const int bandTop = (area.top() + area.bottom() + 1 - lineHeight) / 2;
    const QRect band(area.left(), bandTop, area.width(), lineHeight);
    painter.setClipRect(band);
    painter.drawText(band, int(m_alignment) | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextExpandTabs,
                     PanelCaptionText(m_caption));
}
