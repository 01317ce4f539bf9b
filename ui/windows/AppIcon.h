// The application icon, drawn in code: a teal disc, a lightning bolt and a striped column.
#pragma once

#include <QIcon>
#include <QImage>

// The 32 x 32 picture in the sixteen classic colours, transparent around the disc.
QImage MirelundIconImage();

// The icon for the application and its windows (QApplication::setWindowIcon).
QIcon MirelundIcon();
