// Code page 932 bytes <-> QString, for drawing text, dialog fields, the clipboard and file names.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qv {

QString FromCp932(std::string_view bytes);

// Characters code page 932 cannot hold become '?'; *complete (when given) tells whether any did.
std::string ToCp932(const QString& text, bool* complete = nullptr);

}  // namespace qv
