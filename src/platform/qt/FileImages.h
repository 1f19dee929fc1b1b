#pragma once
// Pictures from files, read as the program reads every file of its own (platform/storage/RegularFile.h):
// Qt would open a path itself, and a FIFO or a device in a picture's place would hang or flood
// the window that shows it.

#include <QIcon>
#include <QImage>
#include <cstdint>
#include <filesystem>
#include <map>

namespace platform::qt {

// The picture in `file` when it is a regular file of at most `limit` bytes; a null image else.
QImage imageFromFile(const std::filesystem::path& file, uint64_t limit);

// An icon of the picture files `bySize` (the side each is drawn for; 0 for one that scales, as
// SVG does), read now and decoded only when a size is asked for. A file that is not a regular
// file of at most `limit` bytes is left out; null when none is left.
QIcon iconFromFiles(const std::map<int, std::filesystem::path>& bySize, uint64_t limit);

}  // namespace platform::qt
