// The colours of the classic sixteen-colour palette that the icon and the splash window share.
#pragma once

#include <QColor>

namespace classic_colours {
inline const QColor kBlack{0, 0, 0};
inline const QColor kMaroon{128, 0, 0};
inline const QColor kOlive{128, 128, 0};
inline const QColor kNavy{0, 0, 128};
inline const QColor kPurple{128, 0, 128};
inline const QColor kTeal{0, 128, 128};
inline const QColor kGrey{128, 128, 128};
inline const QColor kSilver{192, 192, 192};
inline const QColor kRed{255, 0, 0};
inline const QColor kYellow{255, 255, 0};
}  // namespace classic_colours
