// Windows: the files are polled (size and write time), which sees every kind of save,
// network shares included.
#include "FileNotices.h"

std::unique_ptr<FileNotices> FileNotices::Open() { return nullptr; }
