// The directory lister: lists the files of one directory matching a pattern and an
// optional extension, in byte order of their names.
#pragma once

#include <string>
#include <vector>

#include "PluginChannels.h"

class DirectoryChannel : public Pex_DirectoryChannel {
public:
    DirectoryChannel();
    ~DirectoryChannel() override;

    int GetListedFileCount() override;
    void ClearList() override;
    // pattern: a directory and a wildcard name ("C:\dir\*.*", "/dir/*.dll"); '\' and '/'
    // both separate. "*.*" matches every name, also names without a dot.
    bool ListDirectory(const char* pattern) override;
    // Compared ignoring case; NULL or "" lists every extension.
    void SetExtensionFilter(const char* extension) override;
    const char* GetListedFilePath(int nr) override;
    const char* GetListedFileName(int nr) override;

private:
    bool Matches(const std::string& name, const std::string& wildcard) const;

    std::string extensionFilter;
    std::string listedDir;
    std::vector<std::string> names;
    std::string pathBuffer;  // GetListedFilePath's answer, valid until the next call
};
