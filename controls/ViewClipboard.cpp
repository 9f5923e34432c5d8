// Copying the text view's lines to the clipboard.
#include "controls/ViewClipboard.h"

#include "controls/DataView.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace {
// Another program may hold the clipboard for a moment.
bool OpenClipboardOf(HWND owner)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (::OpenClipboard(owner))
            return true;
        ::Sleep(10);
    }
    return false;
}

// The text in one movable block, as the clipboard takes it; lines joined by CR LF. Null
// when it does not fit in memory.
HGLOBAL JoinLines(const CDataView& view, bool markedOnly)
{
    const int count = view.GetLineCount();
    size_t size = 1;
    int taken = 0;
    for (int i = 0; i < count; ++i) {
        if (!markedOnly || view.IsMarked(i)) {
            const size_t more = view.GetLine(i).size() + (taken++ > 0 ? 2 : 0);
            if (more > SIZE_MAX - size)
                return nullptr;
            size += more;
        }
    }
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    char* out = block ? static_cast<char*>(::GlobalLock(block)) : nullptr;
    if (!out) {
        if (block)
            ::GlobalFree(block);
        return nullptr;
    }
    taken = 0;
    for (int i = 0; i < count; ++i) {
        if (!markedOnly || view.IsMarked(i)) {
            if (taken++ > 0) {
                std::memcpy(out, "\r\n", 2);
                out += 2;
            }
            const std::string_view line = view.GetLine(i);
            std::memcpy(out, line.data(), line.size());
            out += line.size();
        }
    }
    *out = '\0';
    ::GlobalUnlock(block);
    return block;
}
}  // namespace

CopyResult CopyViewText(const CDataView& view)
{
    HGLOBAL text = JoinLines(view, view.GetMarkCount() > 0);
    if (!text)
        return CopyResult::NoMemory;
    if (!OpenClipboardOf(view.m_hWnd)) {
        ::GlobalFree(text);
        return CopyResult::ClipboardBusy;
    }
    ::EmptyClipboard();
    // Once the clipboard has taken the block, it is the clipboard's.
    const bool placed = ::SetClipboardData(CF_TEXT, text) != nullptr;
    ::CloseClipboard();
    if (!placed)
        ::GlobalFree(text);
    return placed ? CopyResult::Copied : CopyResult::ClipboardBusy;
}
