// The application's look: Fusion, with tooltips waking after 500 ms and Alt leading to the menu bar.
#pragma once

// Installs the style on the running QApplication; call once, before any window is built.
void InstallApplicationStyle();
