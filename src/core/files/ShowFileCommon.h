#pragma once

#include "files/SectionedFile.h"
#include "files/ShowFiles.h"

#include <optional>
#include <stdexcept>
#include <string>

// Helpers shared by the four show-file formats; not part of the core's API.
namespace tinctara::showfile {

inline constexpr const char* SaveAborted = "Speichern wurde abgebrochen.";

// A plain message box with an OK button and the program's title.
void tell(ShowFileContext& context, const std::string& text);

// The file name a command works on: the current one of its kind while
// SilentFileOp is set, else the dialog's answer. Nothing when cancelled.
std::optional<std::string> askOpenPath(ShowFileContext& context, const std::string& currentPath,
                                       FileDialogRequest request);
std::optional<std::string> askSavePath(ShowFileContext& context, const std::string& currentPath,
                                       FileDialogRequest request);

struct OpenedFile {
    ShowFileReader reader;
    std::string path;
    bool viaFallback = false;
};

// A file that exists but holds nothing to read (only blanks) or is larger
// than any show: the loaders end with their kind's "any other failure".
class UnusableShowFile : public std::runtime_error {
public:
    explicit UnusableShowFile(const std::string& path) : std::runtime_error("unusable show file: " + path) {}
};

// The header stage: the path itself, else the file of the same name in the
// kind's fall-back folder below the program folder. Throws UnusableShowFile
// for a file that is empty, blank or too large.
std::optional<OpenedFile> openWithFallback(ShowFileContext& context, const std::string& path,
                                           const char* fallbackFolder);

// Writes the file; on failure tells the user and leaves the old file alone.
bool commitOrTell(ShowFileContext& context, const ShowFileWriter& writer, const std::string& path);

}  // namespace tinctara::showfile
