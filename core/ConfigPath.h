// How the path settings are kept in Korvex_Config.txt. The file holds single-byte text
// in the system's ANSI code page; inside the program paths are UTF-8. A path whose
// characters the code page lacks is kept by its short (8.3) name, which the system
// makes of such names; a path without one cannot be kept.
#pragma once

#include "core/UiText.h"

#include <string>
#include <vector>

class ConfigPathCodec {
public:
    virtual ~ConfigPathCodec() = default;
    // The UTF-8 form of a text read from the file.
    virtual std::string ToPath(const std::string& stored) const = 0;
    // The file's form of a UTF-8 path; false when a character of it has none (no
    // look-alike is put in its place: that could name another file).
    virtual bool ToStored(const std::string& path, std::string& stored) const = 0;
    // The short form (UTF-8) of an existing file or folder; empty when there is none.
    virtual std::string ShortForm(const std::string& path) const = 0;
    // The long form (UTF-8) of an existing file or folder named with short names; empty
    // when there is none.
    virtual std::string LongForm(const std::string& path) const = 0;
};

// The system's: the ANSI code page and the file system's short names on Windows; the
// text as it stands elsewhere.
const ConfigPathCodec& SystemConfigPathCodec();

// The full UTF-8 path of a stored text: a relative one is taken from the program's
// folder, short names are given their long form again (so the path reads as named);
// an empty text stays empty.
std::string PathFromConfig(const std::string& stored, const std::string& programDir,
                           const ConfigPathCodec& codec);
// The text that keeps the path: relative to the program's folder when it lies under it;
// when a character can't be stored, the short form of its folder with the file's name,
// or, when the file's own name can't be stored, the short form of the (existing) file.
// False when none of these can be stored.
bool PathToConfig(const std::string& path, const std::string& programDir, const ConfigPathCodec& codec,
                  std::string& stored);

// The operator's message when paths could not be kept: keys as SaveSettings reports them.
std::string NotRememberedMessage(const std::vector<std::string>& keys, const UiTextTable& texts = EnglishUiText());
