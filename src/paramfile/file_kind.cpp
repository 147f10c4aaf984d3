#include "paramfile/file_kind.h"

#include "platform/guarded_reading.h"
#include "platform/text_encoding.h"

#include <cctype>

namespace zmbr {

namespace {

// An SVG picture is XML text whose first element is <svg>: after a byte-order mark, blanks,
// an XML declaration, comments or a document type.
bool isSvg(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    while (!bytes.empty() && std::isspace(static_cast<unsigned char>(bytes.front())))
        bytes.remove_prefix(1);
    if (!bytes.starts_with("<"))
        return false;
    for (std::size_t at = bytes.find('<'); at != std::string_view::npos;
         at = bytes.find('<', at + 1)) {
        const std::string_view tag = bytes.substr(at + 1);
        if (tag.starts_with("svg"))
            return tag.size() == 3 || !std::isalnum(static_cast<unsigned char>(tag[3]));
        if (!tag.starts_with("?") && !tag.starts_with("!"))
            return false;
    }
    return false;
}

} // namespace

RecognizedFile recognizeFile(std::string_view b) {
    static const std::string cp932Title = utf8ToCp932(kResultTitle);
    if (b.starts_with(kResultTitle) || b.starts_with(cp932Title))
        return {FileKind::ResultFile, ""};
    if (b.starts_with("\x89PNG\r\n\x1A\n"))
        return {FileKind::Picture, "PNG"};
    if (b.starts_with("GIF87a") || b.starts_with("GIF89a"))
        return {FileKind::Picture, "GIF"};
    if (b.starts_with("\xFF\xD8\xFF"))
        return {FileKind::Picture, "JPEG"};
    if (isSvg(b))
        return {FileKind::Picture, "SVG"};
    if (b.starts_with("%PDF-"))
        return {FileKind::Pdf, ""};
    if (b.starts_with(std::string_view("PK\x03\x04", 4)) ||
        b.starts_with(std::string_view("PK\x05\x06", 4)))
        return {FileKind::Archive, "zip"};
    if (b.starts_with("\x1F\x8B"))
        return {FileKind::Archive, "gzip"};
    return {};
}

RecognizedFile recognizeFile(FileSystem& fs, const std::string& path) {
    std::optional<Failure> failure;
    const auto file = openGuarded(fs, path, failure);
    if (!file)
        return {};
    std::string bytes(kFileKindBytes, '\0');
    std::size_t filled = 0;
    for (std::size_t got = 0; filled < bytes.size(); filled += got) {
        if (file->read(bytes.data() + filled, bytes.size() - filled, got) != 0)
            return {};
        if (got == 0)
            break;
    }
    bytes.resize(filled);
    return recognizeFile(bytes);
}

std::string notAPanelText(const RecognizedFile& file) {
    switch (file.kind) {
    case FileKind::ResultFile:
        return "This is a result file, not a parameter file.";
    case FileKind::Picture:
        return "This is a picture (" + file.format + "), not a parameter file.";
    case FileKind::Pdf:
        return "This is a PDF document, not a parameter file.";
    case FileKind::Archive:
        return "This is an archive (" + file.format + "), not a parameter file: unpack it first.";
    case FileKind::Other:
        break;
    }
    return "";
}

} // namespace zmbr
