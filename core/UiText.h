// The texts of the main window: English by default, replaced all together by a language file.
#pragma once

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
    // Texts that came later: a language file may carry them after the ones above.
    TXT_FIND_NOT_FOUND,
    TXT_ERR_PRINT,
    TXT_ERR_PRINT_PARTIAL,  // %s: how many pages went out before the failure
    TXT_NO_PORT,
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
    std::string With(UiTextId id, const std::string& value) const;
    // The message for a print that failed after `pagesOut` pages went out (0: none) and,
    // on a line of its own, the reason the system gave (none when empty).
    std::string PrintFailed(int pagesOut, const std::string& reason) const;

private:
    std::string m_texts[TXT_COUNT];
};

// Fixed texts that no language file changes.
inline constexpr char ABOUT_CAPTION[] = "About Korvex";
std::string AboutTitle(const std::string& version);  // "Korvex v. " and the version

// The texts between :>" and "<: markers, in file order, with \n \r \t decoded.
// False (list empty) when the file can't be opened or read.
bool ReadMarkedEntries(const std::string& path, std::vector<std::string>& out);
