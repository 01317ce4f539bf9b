// The application's title, "Mirelund": the task-bar entry's text, while every window title stays as its window sets it.
#pragma once

// Call once on the running QApplication.
void SetApplicationTitle();
