// Parts of a Windows path as the program uses them: the directory part is the text up
// to and including the last backslash, the file-name part the text after it.
#pragma once

#include <string>

// "C:\Data\Out.txt" gives "C:\Data\"; a path without a backslash gives "".
std::string DirectoryPart(const std::string& path);
// "C:\Data\Out.txt" gives "Out.txt"; a path without a backslash is all file name.
std::string FileNamePart(const std::string& path);
