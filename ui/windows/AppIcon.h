// The application icon, drawn in code: a teal disc, a lightning bolt and a striped column.
#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

// The side of the grid the icon is designed on; at this size and its whole multiples every edge but the
// disc's falls on a pixel boundary.
inline constexpr int MirelundIconDesignSize = 32;

// The sizes installed in the hicolor theme besides the scalable picture.
inline constexpr int MirelundIconSizes[] = {16, 32, 48, 64, 128, 256};

// The one drawing of the icon, in vector strokes and fills on the design grid (0, 0) to (32, 32). The
// painter's transform scales it; the raster pictures and the scalable one are all painted by this.
void PaintMirelundIcon(QPainter& painter);

// The picture at `size` x `size` pixels, transparent around the disc. At whole multiples of the design size
// it is drawn without antialiasing and so holds only colours of the classic sixteen; at other sizes edges
// are antialiased. A size below 1 gives a null image.
QImage MirelundIconImage(int size = MirelundIconDesignSize);

// The icon for the application and its windows (QApplication::setWindowIcon), at every installed size.
QIcon MirelundIcon();
