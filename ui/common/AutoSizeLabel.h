// Sizing of labels to their text, as labels that fit their caption do.
#pragma once

class QLabel;

// One line of the label's text in its font: the advance width and the font's height.
void FitLabelToText(QLabel* label);

// Fits the label to its text and moves it so that its right edge stays at x = `right`: a longer text
// grows to the left.
void FitLabelToTextAtRight(QLabel* label, int right, int top);
