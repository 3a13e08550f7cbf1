#pragma once
// The files of the exchange: reading one whole, asking whether one exists, writing one whole under a
// temporary name that is renamed over the target only when every byte is written, and joining a
// folder and a name.
//
// The write-then-rename writer and the path join stand in for the suite's shared ones
// (AtomicFileWriter, the kit's JoinPath) until those land; the callers need only these three calls.
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
// One separator between folder and name: '\' after a drive path ("C:\x"), '/' after any other.
CString JoinPath(const CString& folder, const CString& name);
// A path cut to `limit` bytes, never inside a character.
CString CutPath(const CString& path, int limit);

}  // namespace interlex
