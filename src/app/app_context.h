// The program-wide objects every window works with, owned by the main window for the program's
// whole life: the settings file and settings, the cut buffer and the services the documents use.
#pragma once

#include <memory>

#include "core/model/ports.h"

class FileChooser;

namespace qv {
class EnvData;
class FragBuffer;
class UsrIniFile;
}  // namespace qv

struct AppContext {
    qv::UsrIniFile* Ini = nullptr;
    qv::EnvData* Env = nullptr;
    qv::FragBuffer* Buffer = nullptr;
    qv::TextMetrics* Metrics = nullptr;
    qv::PictureLoader* Pictures = nullptr;
    qv::Prompts* Prompts = nullptr;
    qv::Clipboard* Clipboard = nullptr;
    qv::RandomSource* Random = nullptr;
    qv::LinkOpener* Links = nullptr;
    qv::DocumentHost* Host = nullptr;
    FileChooser* Files = nullptr;
};
