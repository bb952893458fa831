// Why a file could not be written or read, in the words of the program's messages. The core
// keeps English texts for the command-line tool; these go by its problem codes instead.
#pragma once

#include <QString>
#include <filesystem>
#include <string>

#include "core/fs/atomic_file.h"
#include "core/fs/read_file.h"
#include "core/recovery/recovery_store.h"

namespace qv {

// The system's error `err` (an errno value).
QString SystemErrorReason(int err);
// Why `written` failed; `path` is the file it was for (native), looked at again to say what kind
// of file stood in the way.
QString WriteFailureReason(const WriteResult& written, const std::string& path);
// Why a file could not be read; `otherWhy` (the core's text) when the problem is none of the
// file's own.
QString ReadFailureReason(FileProblem problem, const std::string& otherWhy = {});
// Why the copy of `candidate` cannot be restored.
QString RecoveryReason(const RecoveryCandidate& candidate);
// Why the folder of recovery copies `folder` (native) is not used.
QString RecoveryFolderReason(const RecoveryFolderCheck& check, const std::filesystem::path& folder);

}  // namespace qv
