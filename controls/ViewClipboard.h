// Copying the text view's lines to the clipboard.
#pragma once

class CDataView;

// Puts the marked line on the clipboard as text, or every line with CR LF between
// them when no line is marked. False when the clipboard could not be had.
bool CopyViewText(const CDataView& view);
