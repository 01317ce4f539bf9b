#include "windows/About1.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include "common/AutoSizeLabel.h"
#include "common/Controls.h"
#include "common/Fonts.h"
#include "windows/Custcolp.h"

namespace {

const QString SiteCaption = QStringLiteral("mirelund.example");
const QString SiteAddress = QStringLiteral("https://www.mirelund.example/");
const QString CopyrightNotice = QStringLiteral("Copyright \u00A9 2026 Mirelund");
const QString RightsNotice = QStringLiteral("Provided as is.");

}  // namespace

QString LinkAddressText(const QString& jumpTarget, const QString& caption) {
    if (!jumpTarget.trimmed().isEmpty()) {
        return jumpTarget;
    }
    if (caption.contains(QLatin1Char('@'))) {
        return QStringLiteral("mailto:") + caption;
    }
    return caption;
}

QUrl LinkAddress(const QString& jumpTarget, const QString& caption) {
    const QString text = LinkAddressText(jumpTarget, caption);
    QUrl url(text, QUrl::TolerantMode);
    if (url.scheme().isEmpty()) {
        url = QUrl::fromUserInput(text);
    }
    return url;
}

LinkLabel::LinkLabel(QWidget* parent)
    : QLabel(parent), opener_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setCursor(Qt::PointingHandCursor);
    setUnderline(true);
    applyTextColor();
}

void LinkLabel::setNormalColor(const QColor& color) {
    normalColor_ = color;
    applyTextColor();
}

void LinkLabel::setActiveColor(const QColor& color) {
    activeColor_ = color;
    applyTextColor();
}

void LinkLabel::setUnderline(bool underline) {
    QFont underlined = font();
    underlined.setUnderline(underline);
    setFont(underlined);
}

void LinkLabel::setUrlOpener(UrlOpener opener) { opener_ = std::move(opener); }

// Only the enabled colour groups change: a disabled label keeps the style's greyed text.
void LinkLabel::applyTextColor() {
    const QColor color = wasPressed_ ? activeColor_ : normalColor_;
    QPalette colors = palette();
    colors.setColor(QPalette::Active, QPalette::WindowText, color);
    colors.setColor(QPalette::Inactive, QPalette::WindowText, color);
    setPalette(colors);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || jumpMode_ != JumpMode::Internet) {
        QLabel::mousePressEvent(event);
        return;
    }
    wasPressed_ = true;
    pressInProgress_ = true;
    applyTextColor();
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressInProgress_) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    pressInProgress_ = false;
    event->accept();
    // A press dragged off the label before release is no click.
    if (rect().contains(event->position().toPoint()) && jumpMode_ == JumpMode::Internet) {
        openAddress();
    }
}

void LinkLabel::openAddress() {
    const bool opened = opener_ && opener_(LinkAddress(jumpTarget_, text()));
    if (!opened) {
        // No message: the label simply stops offering what it cannot do.
        jumpMode_ = JumpMode::None;
        setEnabled(false);
    }
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(ClientWidth, ClientHeight);
    setSizeGripEnabled(false);
    const QFont dialogFont = PixelFont(QStringLiteral("MS Sans Serif"), 11);
    setFont(dialogFont);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    Panel1 = new TCustomColorPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 161);
    Panel1->setBevelOuter(TCustomColorPanel::BevelKind::Lowered);
    Panel1->setBevelInner(TCustomColorPanel::BevelKind::Raised);
    Panel1->setBevelWidth(1);

    ProductName = MakePlainLabel(Panel1, "ProductName", QStringLiteral("Mirelund"), PixelFont(QStringLiteral("Arial"), 16, true));
    FitLabelToText(ProductName);
    ProductName->move(40, 16);

    Version = MakePlainLabel(Panel1, "Version", QStringLiteral("Version 1"), dialogFont);
    FitLabelToText(Version);
    Version->move(203, 36);

    LMDSimpleLabel1 = new LinkLabel(Panel1);
    LMDSimpleLabel1->setObjectName(QStringLiteral("LMDSimpleLabel1"));
    QFont linkFont = PixelFont(QStringLiteral("Arial"), 16);
    linkFont.setUnderline(true);
    LMDSimpleLabel1->setFont(linkFont);
    LMDSimpleLabel1->setText(SiteCaption);
    LMDSimpleLabel1->setJumpTarget(SiteAddress);
    LMDSimpleLabel1->setGeometry(72, 80, 149, 20);

    Copyright = MakePlainLabel(Panel1, "Copyright", CopyrightNotice, dialogFont);
    FitLabelToText(Copyright);
    Copyright->move(16, 136);

    Comments = MakePlainLabel(Panel1, "Comments", RightsNotice, dialogFont);
    Comments->setWordWrap(true);
    Comments->setGeometry(184, 136, 83, Comments->heightForWidth(83));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::setVisible(bool visible) {
    if (visible && !isVisible()) {
        if (!shownBefore_) {
            // Centred on the screen the first time; an explicit move also keeps the dialog from being
            // re-centred over its parent later on.
            const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
            if (screen) {
                move(screen->geometry().center() - rect().center());
            }
            shownBefore_ = true;
        } else {
            move(lastPosition_);
        }
    }
    QDialog::setVisible(visible);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
    // There is no cancel button, so Escape is not a way out.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAboutBox::hideEvent(QHideEvent* event) {
    lastPosition_ = pos();
    QDialog::hideEvent(event);
}
