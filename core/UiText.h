// Every text the operator sees: English by default, replaced by a language file.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

enum UiTextId {
    TXT_COM_PORT,
    TXT_BAUD_RATE,
    TXT_UPDATE_BAR_POSITION,
    TXT_FONT,
    TXT_INDENT,
    TXT_OUTPUT,
    TXT_SAVE,
    TXT_SAVE_AS,
    TXT_LOAD,
    TXT_CLEAR,
    TXT_PRINT_PREVIEW,
    TXT_PRINT,
    TXT_START,
    TXT_STOP,
    TXT_EXIT_BUTTON,
    TXT_EXIT_TOOLTIP,
    TXT_CONFIRM_STOP_EXIT,
    TXT_CONFIRM_CLEAR,
    TXT_ERR_OPEN_COM,
    TXT_ERR_LOAD_FILE,
    TXT_ERR_SAVE_FILE,
    // Texts that came later: a language file may carry them after the ones above, in
    // this order; those it stops short of keep their defaults.
    TXT_FIND_NOT_FOUND,     // %s: the text looked for
    TXT_ERR_PRINT,
    TXT_ERR_PRINT_PARTIAL,  // %s: how many pages went out before the failure
    TXT_NO_PORT,
    // The main window's refusals and notices.
    TXT_PORT_NOT_PRESENT,   // %s: the port's number
    TXT_LIVE_RECORD_REFUSED,
    TXT_VIEW_FULL,
    TXT_RUN_FAULT,
    TXT_LIBRARY_ANSWERED,   // %s: the number the library's Open gave
    TXT_ABOUT_MENU,         // the system menu's entry for the About box
    TXT_FILTER_TEXT_FILES,  // the file dialogs' two filters
    TXT_FILTER_ALL_FILES,
    // The report: document name and header title, and the page label's prefix.
    TXT_REPORT_TITLE,
    TXT_PAGE_PREFIX,
    // The printing box.
    TXT_PRINTING_TITLE,
    TXT_PRINTING_PAGE,      // %s: the page, %s: the page count
    TXT_CANCEL,
    // What the report, the preview and the view say when they cannot go on.
    TXT_NO_MEMORY_PRINT,
    TXT_NO_MEMORY_PREVIEW,
    TXT_PREVIEW_NO_WINDOW,
    TXT_PREVIEW_NO_PRINTER,
    TXT_NO_MEMORY_COPY,
    // The preview's toolbar, then its tooltips.
    TXT_PREVIEW_PRINT,
    TXT_PREVIEW_NEXT,
    TXT_PREVIEW_PREV,
    TXT_PREVIEW_TWO_PAGES,
    TXT_PREVIEW_ONE_PAGE,
    TXT_PREVIEW_ZOOM_IN,
    TXT_PREVIEW_ZOOM_OUT,
    TXT_PREVIEW_CLOSE,
    TXT_TIP_CLOSE,
    TXT_TIP_NEXT,
    TXT_TIP_PREV,
    TXT_TIP_TWO_PAGES,
    TXT_TIP_ONE_PAGE,
    TXT_TIP_PRINT,
    TXT_TIP_ZOOM_IN,
    TXT_TIP_ZOOM_OUT,
    TXT_TIP_UNKNOWN,
    // The window layer's notices after a handler failed, and their caption when the
    // program has no name.
    TXT_NO_MEMORY,
    TXT_FAULT,
    TXT_FAULT_CAPTION,
    // The command line: its usage, then what is wrong with it.
    TXT_USAGE,
    TXT_CMD_SECOND_FILE,    // %s: the second file, %s: the first
    TXT_CMD_EMPTY_FILE,
    TXT_CMD_UNKNOWN,        // %s: the option
    TXT_CMD_TWICE,          // %s: the option
    TXT_CMD_NO_VALUE,       // %s: the option
    TXT_CMD_BAD_PORT,       // %s: the value
    TXT_CMD_BAD_BAUD,       // %s: the value
    TXT_CMD_BAD_TIME,       // %s: the value, %s: the option, %s: the longest time
    TXT_CMD_SAVE_NO_FILE,
    TXT_CMD_PORT_ABSENT,    // %s: the port, %s: the ports present
    TXT_CMD_BAUD_ABSENT,    // %s: the baud rate, %s: the rates offered
    TXT_CMD_NONE,           // an empty list
    // Paths the configuration file cannot hold: the message for one and for several,
    // the files' names, and how a list of names is joined.
    TXT_NOT_KEPT_ONE,       // %s: the file
    TXT_NOT_KEPT_MANY,      // %s: the files
    TXT_OUTPUT_FILE,
    TXT_TRANSLATION_TABLE,
    TXT_INVALID_CHAR_TABLE,
    TXT_LANGUAGE_FILE,
    TXT_LIST_COMMA,
    TXT_LIST_AND,
    // A page range of the printer dialog that holds no page of the report.
    TXT_PAGES_NOT_IN_REPORT,  // %s: the first page asked for, %s: the last, %s: the report's last page
    // The main window's title: before anything happened, during and after a run, after
    // a Load; a run's states; how counts are written.
    TXT_TITLE_IDLE,
    TXT_TITLE_RUN,          // %s: port, baud rate, state, lines, size, time since Start
    TXT_TITLE_FILE,         // %s: the file's name, its lines
    TXT_RUN_WAITING,
    TXT_RUN_RECEIVING,
    TXT_RUN_QUIET,          // %s: the seconds without a byte
    TXT_RUN_STOPPED,
    TXT_COUNT_LINE,         // %s: 1
    TXT_COUNT_LINES,        // %s: the count
    TXT_COUNT_KB,           // %s: the kilobytes
    TXT_DIGIT_GROUP,        // between groups of three digits
    // The tooltips of the main window's buttons, and how their keys are named there.
    TXT_TIP_START_STOP,
    TXT_TIP_SAVE,
    TXT_TIP_SAVE_AS,
    TXT_TIP_LOAD,
    TXT_TIP_PRINT_LINES,
    TXT_TIP_PREVIEW_LINES,
    TXT_TIP_WITH_KEY,       // %s: the tip, the key
    TXT_KEY_CTRL,
    TXT_KEY_SHIFT,
    TXT_COUNT
};

// The texts that every language file holds, TXT_COM_PORT to TXT_ERR_SAVE_FILE.
constexpr int TXT_BASE_COUNT = TXT_FIND_NOT_FOUND;

// The texts by UiTextId; made with the English defaults.
class UiTextTable {
public:
    UiTextTable();

    const std::string& operator[](int id) const { return m_texts[id]; }
    std::string& operator[](int id) { return m_texts[id]; }

    // Puts the English defaults back.
    void Reset();
    // Replaces the entries by position when the file holds TXT_BASE_COUNT to TXT_COUNT
    // texts (the later ones keep their defaults when the file stops short of them); with
    // fewer or more texts nothing changes.
    void LoadLanguage(const std::string& path);
    // The entry with its first %s replaced by `value` (taken as it is, never as a
    // pattern); an entry without %s is returned unchanged.
    std::string With(UiTextId id, const std::string& value) const { return Format(id, {value}); }
    // The entry with each %s replaced in turn by the next value (values taken as they
    // are); a %s beyond the values stays, values beyond the %s are left out.
    std::string Format(UiTextId id, std::initializer_list<std::string> values) const
    {
        return Fill(m_texts[id], values);
    }
    // The same for a text taken from a table earlier.
    static std::string Fill(std::string text, std::initializer_list<std::string> values);
    // A failure and its cause: the entry, then on a line of its own the file or port it
    // was about and the reason the system gave ("C:\Out.txt: Access is denied."); the
    // subject or the reason alone when the other is empty, the entry alone when both are.
    std::string Because(UiTextId id, const std::string& subject, const std::string& reason) const;
    // The message for a print that failed after `pagesOut` pages went out (0: none) and,
    // on a line of its own, the reason the system gave (none when empty).
    std::string PrintFailed(int pagesOut, const std::string& reason) const;

private:
    std::string m_texts[TXT_COUNT];
};

// The English table, for code that runs before (or without) the program's own.
const UiTextTable& EnglishUiText();

// Fixed texts that no language file changes.
inline constexpr char ABOUT_CAPTION[] = "About Korvex";
std::string AboutTitle(const std::string& version);  // "Korvex v. " and the version

// The texts between :>" and "<: markers, in file order, with \n \r \t decoded.
// False (list empty) when the file can't be opened or read.
bool ReadMarkedEntries(const std::string& path, std::vector<std::string>& out);
