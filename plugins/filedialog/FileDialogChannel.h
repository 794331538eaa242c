// The file dialog of the headless player: a console chooser. On a terminal it shows the
// filter text and the matching files of the current directory and reads a choice; without
// a terminal nothing is chosen.
#pragma once

#include <string>
#include <vector>

#include "PluginChannels.h"

class FileDialogChannel : public Pex_FileDialogChannel {
public:
    // A chosen path never has more than this many characters.
    static constexpr size_t kMaxPath = 259;

    FileDialogChannel();
    ~FileDialogChannel() override;

    bool ChooseFile(const char* filter, const char* extension, char* path) override;

private:
    std::vector<std::string> MatchingFiles(const char* extension) const;
    // The answer for one line typed by the user; "" when nothing usable was chosen.
    std::string Resolve(const std::string& line, const std::vector<std::string>& files) const;
};
