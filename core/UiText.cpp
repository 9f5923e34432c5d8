// The text table with its English defaults, and the language file reader.
#include "core/UiText.h"

#include "core/SafeFile.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace {
const char* const DEFAULT_TEXTS[] = {
    "COM Port",
    "Baud Rate",
    "Update bar position",
    "Font",
    "Rientry",
    "Output",
    "Save",
    "Save As...",
    "Load",
    "Clear",
    "Print Preview",
    "Print",
    "Start",
    "Stop",
    "",
    "Exit program",
    "ATTENTION! Communication is start!\nContinue?",
    "Clear all data?",
    "ERROR open COM port.",
    "ERROR load file.",
    "ERROR save file.",
    "Cannot find \"%s\".",
    "The document could not be printed.",
    "The document could not be printed to the end: %s page(s) went out.",
    "No COM port is present.\nConnect the register's adapter, then open the COM Port list.",
    "COM%s is not present.",
    "This file is the record of the acquisition that is running, so it can't be replaced until the run stops.\n"
    "Use Save As... to save the lines to another file.",
    "The view cannot hold more lines. The run goes on, and every line is still written to Korvex_LastRun.txt.",
    "Recording stopped because of an internal error. Press Start to record again.",
    "the communication library answered %s",
    "Infor&mazioni su Korvex...",
    "Text File (*.txt)",
    "All File (*.*)",
    "Korvex",
    "Pag. ",
    "Printing",
    "Printing page %s of %s",
    "Cancel",
    "There is not enough memory to print. The lines stay as they are.",
    "There is not enough memory for the print preview. The lines stay as they are.",
    "The print preview cannot be shown: its window could not be created. Close some windows or programs and try "
    "again.",
    "The print preview cannot be shown: the default printer cannot be used. Check that it is installed and ready, "
    "then try again.",
    "There is not enough memory to copy the lines. The clipboard is unchanged.",
    "&Print...",
    "&Next Page",
    "Pre&v Page",
    "&Two Page",
    "&One Page",
    "Zoom &In",
    "Zoom &Out",
    "&Close",
    "Close print preview mode",
    "Move to next page",
    "Move to previous page",
    "Show two pages side by side",
    "Show one page",
    "Print the report",
    "Zoom in",
    "Zoom out",
    "Unrecognised control ID",
    "There was not enough memory to finish the last action. The program goes on running.",
    "An internal error stopped the last action. The program goes on running.",
    "Error",
    "Usage: Korvex.exe [options] [file]\n"
    "  file           the dump file to open\n"
    "  /port N        the COM port by number; /port COMn by name\n"
    "  /baud N        the baud rate\n"
    "  /start         start recording\n"
    "  /wait S        a time in whole seconds (1 to 86400)\n"
    "  /idle-stop S   a time in whole seconds without data (1 to 86400)\n"
    "  /save PATH     the output file\n"
    "  /exit          close the program at the end\n"
    "Put a path with spaces in double quotes.",
    "Only one file can be given: %s is a second one after %s.",
    "An empty file name was given.",
    "Unknown option %s.",
    "The option %s is given twice.",
    "The option %s needs a value.",
    "The port %s is neither a number nor COMn.",
    "The baud rate %s is not a number.",
    "The time %s of %s is not a whole number of seconds from 1 to %s.",
    "The option /save needs a file name.",
    "The port %s given with /port is not one of the ports present: %s.",
    "The baud rate %s given with /baud is not one of %s.",
    "(none)",
    "The name of %s has characters that Korvex_Config.txt cannot hold, so Korvex will not remember it at the next "
    "start. Choose a file in a folder whose name uses only the characters of the system's language setting.",
    "The name of %s has characters that Korvex_Config.txt cannot hold, so Korvex will not remember them at the next "
    "start. Choose a file in a folder whose name uses only the characters of the system's language setting.",
    "the output file",
    "the translation table",
    "the invalid-character table",
    "the language file",
    ", ",
    " and ",
    "Pages %s to %s are not in the report: it ends at page %s. Nothing was printed.",
    "Korvex",
    "Korvex - COM%s %s - %s - %s, %s - %s",
    "Korvex - %s - %s",
    "waiting for data",
    "receiving",
    "quiet for %s s",
    "stopped",
    "%s line",
    "%s lines",
    "%s KB",
    " ",
    "Start or stop recording",
    "Save the lines to the output file",
    "Save the lines to another file",
    "Load a saved dump",
    "Print the lines",
    "Show the pages before printing",
    "%s (%s)",
    "Ctrl+",
    "Shift+",
};
static_assert(sizeof DEFAULT_TEXTS / sizeof DEFAULT_TEXTS[0] == TXT_COUNT, "one default for every text");

const char OPEN_MARKER[] = ":>\"";
const char CLOSE_MARKER[] = "\"<:";
const size_t MARKER_SIZE = 3;

bool MarkerAt(const std::string& data, size_t pos, const char* marker)
{
    return data.size() - pos >= MARKER_SIZE && std::memcmp(data.data() + pos, marker, MARKER_SIZE) == 0;
}

// Decodes the escape whose backslash is at pos; returns the position after what it took.
size_t DecodeEscape(const std::string& data, size_t pos, std::string& text)
{
    size_t next = pos + 1;
    if (next < data.size() && data[next] == 'n') {
        text += '\n';
        ++next;
    }
    if (next < data.size() && data[next] == 'r') {
        text += '\r';
        ++next;
    }
    if (next < data.size() && data[next] == 't') {
        text += '\t';
        ++next;
    }
    // Any other letter leaves the backslash as it is and is read on its own.
    if (next == pos + 1)
        text += '\\';
    return next;
}
}  // namespace

UiTextTable::UiTextTable()
{
    Reset();
}

void UiTextTable::Reset()
{
    for (int i = 0; i < TXT_COUNT; ++i)
        m_texts[i] = DEFAULT_TEXTS[i];
}

void UiTextTable::LoadLanguage(const std::string& path)
{
    std::vector<std::string> texts;
    if (!ReadMarkedEntries(path, texts) || texts.size() < size_t{TXT_BASE_COUNT} || texts.size() > size_t{TXT_COUNT})
        return;
    for (size_t i = 0; i < texts.size(); ++i)
        m_texts[i].swap(texts[i]);
}

std::string UiTextTable::Fill(std::string text, std::initializer_list<std::string> values)
{
    size_t at = 0;
    for (const std::string& value : values) {
        at = text.find("%s", at);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, value);
        at += value.size();  // a %s inside a value is never taken for one of the entry's
    }
    return text;
}

std::string UiTextTable::Because(UiTextId id, const std::string& subject, const std::string& reason) const
{
    const std::string cause = subject.empty() || reason.empty() ? subject + reason : subject + ": " + reason;
    return cause.empty() ? m_texts[id] : m_texts[id] + "\n" + cause;
}

std::string UiTextTable::PrintFailed(int pagesOut, const std::string& reason) const
{
    std::string text = pagesOut > 0 ? With(TXT_ERR_PRINT_PARTIAL, std::to_string(pagesOut)) : m_texts[TXT_ERR_PRINT];
    if (!reason.empty())
        text += "\n" + reason;
    return text;
}

const UiTextTable& EnglishUiText()
{
    static const UiTextTable texts;
    return texts;
}

std::string AboutTitle(const std::string& version)
{
    return "Korvex v. " + version;
}

bool ReadMarkedEntries(const std::string& path, std::vector<std::string>& out)
{
    out.clear();
    try {
        // Only a disk file of a language file's size: a device or a huge file would
        // hold up the start.
        std::string data;
        if (!ReadRegularFile(path, SMALL_FILE_LIMIT, data))
            return false;
        bool inside = false;
        std::string text;
        size_t pos = 0;
        while (pos < data.size()) {
            if (!inside) {
                if (MarkerAt(data, pos, OPEN_MARKER)) {
                    inside = true;
                    pos += MARKER_SIZE;
                } else {
                    ++pos;
                }
            } else if (MarkerAt(data, pos, CLOSE_MARKER)) {
                out.push_back(text);
                text.clear();
                inside = false;
                pos += MARKER_SIZE;
            } else if (data[pos] == '\\') {
                pos = DecodeEscape(data, pos, text);
            } else {
                text += data[pos++];
            }
        }
        // A text still open at the end of the file is dropped.
        return true;
    } catch (const std::exception&) {
        out.clear();
        return false;
    }
}
