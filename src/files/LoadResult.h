#pragma once

namespace tk {

// What a loader did with a file's bytes. The command that started the load turns anything but Loaded into
// the message "Cannot open file".
enum class LoadResult {
    Loaded,   // every field of the file's layout was read
    Refused,  // no tag, or a tag the format does not know, or a file the loader cannot walk: nothing changed
    Incomplete,  // the data ended early or held a value out of range: what was read before stays
};

}  // namespace tk
