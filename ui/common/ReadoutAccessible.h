// What a screen reader learns of the graph page's readouts: a name, a description and the value shown.
#pragma once

class QString;
class QWidget;

// Names and describes a readout and lets a screen reader ask it for the value it shows: a label's
// text, or for any other control the long part of its hint (the pointer readout over the graph).
// A label's own interface would offer its text as the name and lose it once the name is set.
void MakeAccessibleReadout(QWidget* readout, const QString& name, const QString& description);
