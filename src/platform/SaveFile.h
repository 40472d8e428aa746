#pragma once

// Standard library
#include <functional>
#include <string>

namespace quillex {

class OutputStream;

enum class [[nodiscard]] SaveResult{
    Ok,
    OpenFailed,   // the file could not be created or opened for writing
    WriteFailed,  // a write or the close failed; an old file is left as it was
                  // unless it had to be written in place and part was written
};

// Writes the file's new content to the stream it is given. Returns 0, or the
// errno of the write that failed.
using ContentWriter = std::function<int(OutputStream& stream)>;

// Save's file handling: writes what `write` produces to `path`. The content
// goes to a temporary file beside the target, which is put in place only
// when every write and the close have succeeded, so a failure there never
// loses an existing file. Where no temporary file can be made there (a
// directory that takes no new files, a path too long for the temporary
// name) the target is written in place, as a plain overwrite does; it keeps
// its old bytes when the first write fails. A file with more than one name
// (hard links) is written in place too, so that every name sees the new
// content, but only once all of it has been written to an unnamed file
// first: a failure while it is made leaves the file as it was. A symbolic
// link is followed, even to a file that does not exist yet, and stays a
// link. Devices and pipes are written in place. `errorOut` receives the
// errno of a failure.
SaveResult SaveFile(const std::string& path, const ContentWriter& write, int* errorOut = nullptr);

}  // namespace quillex
