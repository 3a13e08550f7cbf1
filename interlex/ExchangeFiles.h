#pragma once
// The files of the exchange: reading one whole, asking whether one exists, and writing one whole
// through the suite's write-then-rename writer, so that a failed export leaves no partial file.
#include <framework/Afx.h>

#include <string>
#include <string_view>

namespace interlex {

// False (last error set) when the file cannot be opened or read; an empty file gives "".
bool ReadWholeFile(const CString& path, std::string& bytes);
// The file can be opened for reading.
bool FileExists(const CString& path);
// The new file is complete or absent: on failure (last error set) an existing file is unchanged and
// no temporary file is left.
bool WriteWholeFile(const CString& path, std::string_view bytes);
// A path cut to `limit` bytes, never inside a character.
CString CutPath(const CString& path, int limit);

}  // namespace interlex
