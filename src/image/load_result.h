#pragma once

#include <cstdint>
#include <string>

namespace image {

// How a firmware file load ended. The window answers each differently: a
// missing update file is "No Updated File !", a refused one is an invalid file.
enum class LoadStatus {
    Loaded,         // the image and its length now hold the file
    NotOpened,      // the file could not be opened or read; the image is unchanged
    Refused,        // the file's content is not a loadable image; the image is unchanged
    NotRecognised,  // the name picks no loader; nothing was read, the image is unchanged
};

struct LoadResult {
    LoadStatus status = LoadStatus::NotRecognised;
    // Of the image's defined bytes after a load; 0 whenever nothing was loaded.
    std::uint16_t checksum = 0;
    // For the user: what went wrong and where. Empty after a load.
    std::string message;
    // For a refused HEX file: only what is wrong and where ("line 2, column 18:
    // ..."), for places that already name the file. For a file not opened: the
    // system's reason alone ("No such file or directory").
    std::string reason;

    bool Loaded() const { return status == LoadStatus::Loaded; }
};

}  // namespace image
