// The open and save dialogs of the output text file, with the program's filter list
// and options.
#pragma once

#include <windows.h>
#include <string>

enum class FileDialogKind { Open, Save };

// Shows the dialog with the file name and initial directory given (an empty
// directory leaves the choice to the system). True and the chosen path on OK. All
// paths are UTF-8.
bool ShowFileDialog(HWND owner, FileDialogKind kind, const std::string& fileName, const std::string& initialDir,
                    std::string& chosenPath);
