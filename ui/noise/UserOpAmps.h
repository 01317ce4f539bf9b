// The user's own op-amp table: the file in the user's data folder, read once when the window starts.
#pragma once

#include <QString>
#include <vector>

#include "engine/OpAmps.h"

struct UserOpAmps {
    std::vector<riaa::OpAmpRow> rows;
    QString problems;  // one line for each bad row, with the file's name and the row's line; empty when all read
};

// $XDG_DATA_HOME/mirelund/opamps.json, or ~/.local/share/mirelund/opamps.json where XDG_DATA_HOME is
// not set: the rule the command line keeps too. No file is no table and no problem.
QString UserOpAmpsPath();
UserOpAmps ReadUserOpAmps(const QString& path = UserOpAmpsPath());
