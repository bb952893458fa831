// Reading a JSON Canvas 1.0 file (".canvas") into a document: the way back of the export in
// core/export/json_canvas.h. Text, file and link nodes become cards, group nodes become groups
// (each card joins the smallest group whose rectangle holds its centre; a label becomes the
// group's name plate), edges between two groups become group lines. The keys of our own that the
// export writes ("qvGroup", "qvColumns" …) bring back what a canvas cannot hold, so an exported
// document reads back as it was. docs/export.md lists the mapping.
#pragma once

#include <string>
#include <string_view>

#include "core/fs/read_file.h"
#include "core/io/read_result.h"

namespace qv {

class FragSet;

// Whether `path` ends in ".canvas" (any letter case).
bool HasCanvasExtension(std::string_view path);

// The document a canvas opens as: the same path with ".csv" in place of ".canvas", so that saving
// never writes into the canvas.
std::string CanvasDocumentPath(std::string_view canvasPath);

// Reads the canvas `bytes` into `set` (new and empty). Relative file paths of the canvas are
// relative to `canvasFolder`; they stay relative when the document lives in the same folder
// (`documentFolder`), otherwise they become absolute. Cards beyond the document's limit and
// groups beyond 100 are left out and counted (CutShort); characters code page 932 cannot hold
// become "〓" and their cards are listed.
//
// A file that is not a canvas (not JSON, no "nodes" array, nested too deep, too large) gives
// Unreadable with the reason, and the set is untouched. Names and flags are left to the caller.
ReadResult ReadCanvasBytes(FragSet& set, std::string_view bytes, std::string_view canvasFolder,
                           std::string_view documentFolder);

// Opens the canvas at `canvasPath`, read already into `bytes` (ReadWholeFile with
// kMaxDocumentFileSize), as the document `documentPath` (normally CanvasDocumentPath): the set is
// named by it and modified, read-only unless the canvas was read whole, and never saved over the
// canvas file itself.
ReadResult ImportCanvasFile(FragSet& set, std::string_view canvasPath, const WholeFile& bytes,
                            std::string_view documentPath);

}  // namespace qv
