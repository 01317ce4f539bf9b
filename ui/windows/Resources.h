// Registration of the pictures compiled into the window library.
#pragma once

// Makes the resources of mirelund.qrc (":/splash.jpg") available. The window library is static, so
// nothing registers them before this is called; calling it again does nothing.
void InitMirelundResources();
