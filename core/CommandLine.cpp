// The program's command line.
#include "core/CommandLine.h"

#include <cctype>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool SameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A whole number of at most nine digits and no sign; nothing otherwise.
std::optional<int> Number(std::string_view text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

enum class Switch { Port, Baud, Start, Wait, IdleStop, Save, Exit, None };

struct SwitchName {
    const char* name;
    Switch which;
    bool takesValue;
};

const SwitchName kSwitches[] = {
    {"/port", Switch::Port, true},      {"/baud", Switch::Baud, true},           {"/start", Switch::Start, false},
    {"/wait", Switch::Wait, true},      {"/idle-stop", Switch::IdleStop, true}, {"/save", Switch::Save, true},
    {"/exit", Switch::Exit, false},
};

const SwitchName* FindSwitch(std::string_view arg)
{
    for (const SwitchName& s : kSwitches)
        if (SameLetters(arg, s.name))
            return &s;
    return nullptr;
}

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

}  // namespace

std::string_view CommandLineTail(std::string_view whole)
{
    size_t at = 0;
    if (!whole.empty() && whole[0] == '"') {
        const size_t close = whole.find('"', 1);
        at = close == std::string_view::npos ? whole.size() : close + 1;
    }
    while (at < whole.size() && !IsBlank(whole[at]))
        ++at;
    while (at < whole.size() && IsBlank(whole[at]))
        ++at;
    return whole.substr(at);
}

std::vector<std::string> SplitCommandLine(std::string_view tail)
{
    std::vector<std::string> args;
    size_t at = 0;
    for (;;) {
        while (at < tail.size() && IsBlank(tail[at]))
            ++at;
        if (at >= tail.size())
            return args;
        std::string arg;
        bool quoted = false;
        while (at < tail.size() && (quoted || !IsBlank(tail[at]))) {
            if (tail[at] == '\\') {
                size_t slashes = 0;
                while (at < tail.size() && tail[at] == '\\') {
                    ++slashes;
                    ++at;
                }
                if (at < tail.size() && tail[at] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        arg += '"';
                        ++at;
                    }
                    // An even number leaves the quote to open or close quoting below.
                } else {
                    arg.append(slashes, '\\');
                }
            } else if (tail[at] == '"') {
                if (quoted && at + 1 < tail.size() && tail[at + 1] == '"') {
                    arg += '"';
                    at += 2;
                } else {
                    quoted = !quoted;
                    ++at;
                }
            } else {
                arg += tail[at++];
            }
        }
        args.push_back(std::move(arg));
    }
}

CommandLineResult ParseCommandLine(std::string_view tail, const UiTextTable& texts)
{
    CommandLineResult result;
    CommandLineOptions& o = result.options;
    const std::vector<std::string> args = SplitCommandLine(tail);
    const auto fail = [&result](std::string error) {
        result.ok = false;
        result.error = std::move(error);
        return result;
    };
    bool seen[static_cast<int>(Switch::None)] = {};
    bool fileSeen = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '/') {
            if (fileSeen)
                return fail(texts.Format(TXT_CMD_SECOND_FILE, {Quoted(arg), Quoted(o.file)}));
            if (arg.empty())
                return fail(texts[TXT_CMD_EMPTY_FILE]);
            o.file = arg;
            fileSeen = true;
            continue;
        }
        const SwitchName* s = FindSwitch(arg);
        if (!s)
            return fail(texts.With(TXT_CMD_UNKNOWN, arg));
        bool& given = seen[static_cast<int>(s->which)];
        if (given)
            return fail(texts.With(TXT_CMD_TWICE, s->name));
        given = true;
        std::string value;
        if (s->takesValue) {
            // A switch where the value should be means that the value is missing.
            if (i + 1 >= args.size() || FindSwitch(args[i + 1]))
                return fail(texts.With(TXT_CMD_NO_VALUE, s->name));
            value = args[++i];
        }
        switch (s->which) {
        case Switch::Port: {
            std::string_view digits = value;
            if (digits.size() > 3 && SameLetters(digits.substr(0, 3), "COM"))
                digits.remove_prefix(3);
            const std::optional<int> port = Number(digits);
            if (!port || *port < 1)
                return fail(texts.With(TXT_CMD_BAD_PORT, Quoted(value)));
            o.port = port;
            break;
        }
        case Switch::Baud: {
            const std::optional<int> baud = Number(value);
            if (!baud || *baud < 1)
                return fail(texts.With(TXT_CMD_BAD_BAUD, Quoted(value)));
            o.baud = baud;
            break;
        }
        case Switch::Wait:
        case Switch::IdleStop: {
            const std::optional<int> seconds = Number(value);
            if (!seconds || *seconds < 1 || *seconds > kMaxCommandLineSeconds)
                return fail(texts.Format(TXT_CMD_BAD_TIME,
                                         {Quoted(value), s->name, std::to_string(kMaxCommandLineSeconds)}));
            (s->which == Switch::Wait ? o.waitSeconds : o.idleStopSeconds) = seconds;
            break;
        }
        case Switch::Save:
            if (value.empty())
                return fail(texts[TXT_CMD_SAVE_NO_FILE]);
            o.savePath = value;
            break;
        case Switch::Start:
            o.start = true;
            break;
        case Switch::Exit:
            o.exit = true;
            break;
        case Switch::None:
            break;
        }
    }
    result.ok = true;
    return result;
}
