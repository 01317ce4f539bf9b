// The report of the design on show: what the session and its file hold, gathered for MakeReportContent.
#pragma once

#include <QString>

#include "engine/DesignFile.h"
#include "report/ReportContent.h"

class DesignSession;

// Everything the report prints of the session's design: the design as calculated and as built, its
// report, the tolerance figures (run here, at once, when the session's run has not finished or was
// never asked for), the bill of materials and the file's title and notes. Throws riaa::EngineError
// when the session has no design to report.
ReportSource ReportSourceOfSession(DesignSession& session, const riaa::DesignDocument& document,
                                   const QString& fileName);
