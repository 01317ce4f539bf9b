#include "windows/Custcolp.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "windows/Frame3D.h"

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
      highLightColor_(palette().color(QPalette::Light)),
      shadowColor_(palette().color(QPalette::Dark)),
      color_(palette().color(QPalette::Button)) {}

void TCustomColorPanel::setHighLightColor(const QColor& color) {
    highLightColor_ = color;
    update();
}

void TCustomColorPanel::setShadowColor(const QColor& color) {
    shadowColor_ = color;
    update();
}

void TCustomColorPanel::setBevelOuter(BevelKind kind) {
    bevelOuter_ = kind;
    update();
}

void TCustomColorPanel::setBevelInner(BevelKind kind) {
    bevelInner_ = kind;
    update();
}

void TCustomColorPanel::setBevelWidth(int width) {
    bevelWidth_ = saneWidth(width);
    update();
}

void TCustomColorPanel::setBorderWidth(int width) {
    borderWidth_ = saneWidth(width);
    update();
}

void TCustomColorPanel::setColor(const QColor& color) {
    color_ = color;
    update();
}

void TCustomColorPanel::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void TCustomColorPanel::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TCustomColorPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = rect();
    if (bevelOuter_ != BevelKind::None) {
        const BevelColors colors = bevelColors(bevelOuter_, highLightColor_, shadowColor_);
        area = DrawFrame3D(painter, area, colors.top, colors.bottom, bevelWidth_);
    }
    area = DrawFrame3D(painter, area, color_, color_, borderWidth_);
    if (bevelInner_ != BevelKind::None) {
        const BevelColors colors = bevelColors(bevelInner_, highLightColor_, shadowColor_);
        area = DrawFrame3D(painter, area, colors.top, colors.bottom, bevelWidth_);
    }
    if (area.isEmpty()) {
        return;
    }
    painter.fillRect(area, color_);
    if (caption_.isEmpty()) {
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
    painter.drawText(band, int(alignment_) | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextExpandTabs,
                     PanelCaptionText(caption_));
}
