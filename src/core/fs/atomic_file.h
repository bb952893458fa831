// Replacing a whole file so that it is never left half written: documents, text exports, the
// settings file and page images all go out this way.
#pragma once

#include <string>
#include <string_view>

namespace qv {

// Replaces the file at `nativePath` (a file-system path, not code page 932) with `data`. A fresh
// file beside it, created exclusively so no stale or foreign file is reused, is written (every
// write checked), flushed to disk and renamed over it; then the folder is flushed so the rename
// lasts. On any failure the temporary file is removed and the old file is still there, unchanged.
// A symbolic link is followed (the link stays), the replaced file's permission bits are kept and a
// new file gets the default ones. Callers apply their own rules (read-only documents, say) first.
// Returns false with a reason in *error (naming `nativePath`) when anything fails.
bool ReplaceFileAtomically(const std::string& nativePath, std::string_view data,
                           std::string* error = nullptr);

}  // namespace qv
