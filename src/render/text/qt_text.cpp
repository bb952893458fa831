#include "render/text/qt_text.h"

#include "core/text/cp932.h"

namespace qv {

QString FromCp932(std::string_view bytes) {
    std::string utf8 = Cp932ToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToCp932(const QString& text, bool* complete) {
    QByteArray utf8 = text.toUtf8();
    Cp932Encoding enc =
        Utf8ToCp932(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    if (complete) *complete = enc.Complete;
    return std::move(enc.Bytes);
}

}  // namespace qv
