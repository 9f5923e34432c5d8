// Paths between the program's UTF-8 and the configuration file's code page.
#include "core/ConfigPath.h"

#include "core/AppSettings.h"
#include "core/PathParts.h"

namespace {
std::string WithBackslash(std::string dir)
{
    if (!dir.empty() && dir.back() != '\\')
        dir += '\\';
    return dir;
}

// The folder's short form with the file's own name, which still names the file when it
// is deleted and made anew; else (a name the code page lacks) the file's short form.
std::string ShortFormOf(const std::string& path, const ConfigPathCodec& codec)
{
    const std::string dir = DirectoryPart(path);
    const std::string name = FileNamePart(path);
    std::string stored;
    if (!dir.empty() && !name.empty() && codec.ToStored(name, stored)) {
        const std::string shortDir = codec.ShortForm(dir);
        if (!shortDir.empty())
            return WithBackslash(shortDir) + name;
    }
    return codec.ShortForm(path);
}
// The long form of a path with short names in it: of the file, or, for a file not there
// now, of its folder followed by the file's name; the path itself when neither exists.
std::string LongFormOf(const std::string& path, const ConfigPathCodec& codec)
{
    if (path.find('~') == std::string::npos)  // every short name has one
        return path;
    std::string longPath = codec.LongForm(path);
    if (!longPath.empty())
        return longPath;
    const std::string dir = DirectoryPart(path);
    const std::string longDir = dir.empty() ? std::string() : codec.LongForm(dir);
    return longDir.empty() ? path : WithBackslash(longDir) + FileNamePart(path);
}
}  // namespace

std::string PathFromConfig(const std::string& stored, const std::string& programDir,
                           const ConfigPathCodec& codec)
{
    std::string path = codec.ToPath(stored);
    if (!path.empty()) {
        MakeAbsolutePath(path, programDir);
        path = LongFormOf(path, codec);
    }
    return path;
}

bool PathToConfig(const std::string& path, const std::string& programDir, const ConfigPathCodec& codec,
                  std::string& stored)
{
    if (codec.ToStored(MakeRelativePath(path, programDir), stored))
        return true;
    const std::string shortPath = ShortFormOf(path, codec);
    if (shortPath.empty())
        return false;
    // Under a program folder of such a name, the short form is kept relative to the
    // folder's own short form, so that the folder can still be moved or renamed.
    const std::string shortProgramDir = WithBackslash(codec.ShortForm(programDir));
    if (shortProgramDir.size() > 1 && codec.ToStored(MakeRelativePath(shortPath, shortProgramDir), stored))
        return true;
    return codec.ToStored(shortPath, stored);
}

std::string NotRememberedMessage(const std::vector<std::string>& keys, const UiTextTable& texts)
{
    std::string files;
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string& key = keys[i];
        const std::string& what = key == "OUTPUT_FILE"         ? texts[TXT_OUTPUT_FILE]
                                  : key == "TAB_FILE"          ? texts[TXT_TRANSLATION_TABLE]
                                  : key == "INVALID_CHAR_FILE" ? texts[TXT_INVALID_CHAR_TABLE]
                                  : key == "LANGUAGE_FILE"     ? texts[TXT_LANGUAGE_FILE]
                                                               : key;
        files += (i == 0 ? "" : texts[i + 1 == keys.size() ? TXT_LIST_AND : TXT_LIST_COMMA]) + what;
    }
    return texts.With(keys.size() > 1 ? TXT_NOT_KEPT_MANY : TXT_NOT_KEPT_ONE, files);
}
