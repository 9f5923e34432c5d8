// Copying the text view's lines to the clipboard.
#pragma once

class CDataView;

enum class CopyResult { Copied, NoMemory, ClipboardBusy };

// Puts the marked line on the clipboard as text, or every line with CR LF between
// them when no line is marked. NoMemory when the text does not fit in memory,
// ClipboardBusy when the clipboard could not be had; the clipboard is unchanged then.
CopyResult CopyViewText(const CDataView& view);
