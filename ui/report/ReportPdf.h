// The report as a PDF file: the content laid out by QTextDocument, drawings as vectors, written atomically.
#pragma once

#include <QLocale>
#include <QPageSize>
#include <QString>

#include "report/ReportContent.h"

// A4, or Letter where the locale measures in inches (the US system).
QPageSize ReportPageSize(const QLocale& locale);

// Writes the report to path, replacing a file there only once the whole report is written: a failure
// leaves what was there before, or nothing. Needs a QGuiApplication (the offscreen platform will do)
// and no window. Throws riaa::EngineError "The report could not be saved to PATH: REASON".
void WriteReportPdf(const ReportContent& content, const QString& path,
                    const QPageSize& pageSize = ReportPageSize(QLocale::system()));
