// TAboutBox, the modal About dialog, and LinkLabel, the label on it that opens the maker's web site.
#pragma once

#include <QColor>
#include <QDialog>
#include <QLabel>
#include <QPoint>
#include <QUrl>
#include <functional>

class QPushButton;
class TCustomColorPanel;

// The address a link label opens: the jump target as stored when it holds more than blanks, otherwise
// the caption, prefixed with "mailto:" when it contains "@".
QString LinkAddressText(const QString& jumpTarget, const QString& caption);
// The same address as a URL; a text without a scheme is read as a web address.
QUrl LinkAddress(const QString& jumpTarget, const QString& caption);

// A label that acts as a link: blue and underlined, a pointing hand over it, purple from the first press
// on, and a click hands its address to the system. If the system cannot open it, the label stops being a
// link for good: greyed and disabled.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    enum class JumpMode { None, Internet };
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit LinkLabel(QWidget* parent = nullptr);

    QString jumpTarget() const { return jumpTarget_; }
    void setJumpTarget(const QString& target) { jumpTarget_ = target; }
    JumpMode jumpMode() const { return jumpMode_; }
    void setJumpMode(JumpMode mode) { jumpMode_ = mode; }
    QColor normalColor() const { return normalColor_; }
    void setNormalColor(const QColor& color);
    QColor activeColor() const { return activeColor_; }
    void setActiveColor(const QColor& color);
    bool underline() const { return font().underline(); }
    void setUnderline(bool underline);
    // Whether the label has been pressed and so shows the active colour.
    bool wasPressed() const { return wasPressed_; }

    // Replaces the system's default handler (QDesktopServices::openUrl); tests hand in their own.
    void setUrlOpener(UrlOpener opener);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyTextColor();
    void openAddress();

    QString jumpTarget_;
    JumpMode jumpMode_ = JumpMode::Internet;
    QColor normalColor_{0, 0, 255};
    QColor activeColor_{128, 0, 128};
    bool wasPressed_ = false;
    bool pressInProgress_ = false;
    UrlOpener opener_;
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 298;
    static constexpr int ClientHeight = 213;

    // Hidden until exec(); keep the one instance for the whole run, as its link remembers its state.
    explicit TAboutBox(QWidget* parent = nullptr);

    void setVisible(bool visible) override;

    TCustomColorPanel* Panel1;
    QLabel* ProductName;
    QLabel* Version;
    LinkLabel* LMDSimpleLabel1;
    QLabel* Copyright;
    QLabel* Comments;
    QPushButton* OKButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool shownBefore_ = false;
    QPoint lastPosition_;
};
